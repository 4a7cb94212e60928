// The front end end to end: zux-headless with the generated art and key files,
// read back through its trace and the files it leaves beside it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/test_util.h"

static const std::string BuildDir = ZUX_BUILD_DIR;

// A program folder holding the art, and a high-score file if given.
static std::string GameFolder(const std::vector<uint8_t> *hs)
{
    std::string dir = MakeTempDir();
    std::vector<uint8_t> data = ReadBytes(BuildDir + "/Data.zux");
    EXPECT_FALSE(data.empty()) << "Data.zux has not been built";
    WriteBytes(dir + "/Data.zux", data);
    if (hs) WriteBytes(dir + "/HS.dat", *hs);
    return dir;
}

static std::vector<std::string> RunGameIn(const std::string &dir, int ticks,
                                          const std::string &keys)
{
    WriteText(dir + "/keys.txt", keys);
    std::string out;
    int status = RunHeadless("--dir " + dir + " --ticks " + std::to_string(ticks) + " --keys " +
                                 dir + "/keys.txt --trace " + dir + "/trace.txt",
                             &out);
    EXPECT_EQ(status, 0) << out;
    return ReadLines(dir + "/trace.txt");
}

// The trace line of tick (empty when there is none).
static std::string Tick(const std::vector<std::string> &trace, int tick)
{
    for (const std::string &line : trace)
        if (TraceField(line, "tick") == std::to_string(tick)) return line;
    return "";
}

static int32_t Word(const std::vector<uint8_t> &file, size_t at)
{
    if (at + 4 > file.size()) return -1;
    return (int32_t)(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                     (uint32_t)file[at + 3] << 24);
}

static std::vector<uint8_t> Words(const std::vector<int32_t> &words)
{
    std::vector<uint8_t> bytes;
    for (int32_t w : words)
        for (int k = 0; k < 4; k++) bytes.push_back((uint8_t)((uint32_t)w >> (8 * k)));
    return bytes;
}

// The frame of the first ScoreTable tick with the given phaseTicks.
static std::string TableFrame(const std::vector<std::string> &trace, int phaseTicks)
{
    for (const std::string &line : trace)
        if (TraceField(line, "screen") == "ScoreTable" &&
            TraceField(line, "phaseTicks") == std::to_string(phaseTicks))
            return TraceField(line, "frame");
    return "";
}

TEST(FrontEndToEnd, IntroRunsItsWholeLength)
{
    std::string dir = GameFolder(nullptr);
    std::vector<std::string> trace = RunGameIn(dir, 600, "");
    EXPECT_EQ(TraceField(Tick(trace, 1), "introPhase"), "Reveal");
    EXPECT_EQ(TraceField(Tick(trace, 213), "introPhase"), "Reveal");
    EXPECT_EQ(TraceField(Tick(trace, 214), "introPhase"), "LightUp");
    EXPECT_EQ(TraceField(Tick(trace, 285), "introPhase"), "Hold");
    EXPECT_EQ(TraceField(Tick(trace, 586), "introPhase"), "LightDown");
    EXPECT_EQ(TraceField(Tick(trace, 586), "light"), "60");
    EXPECT_EQ(TraceField(Tick(trace, 586), "timer"), "20");
    std::string end = Tick(trace, 587);
    EXPECT_EQ(TraceField(end, "screen"), "Menu");
    EXPECT_EQ(TraceField(end, "presented"), "false");
    EXPECT_EQ(TraceField(Tick(trace, 588), "timer"), "40");
    RemoveTree(dir);
}

// A newcomer skips the intro, picks skin 3, plays a type-B game to its end,
// enters "AB", watches the tables, closes, and finds all of it at the next start.
// Table B is made of zero scores here so that a short game enters it.
TEST(FrontEndToEnd, NewcomerGameNameEntryAndRestart)
{
    std::vector<int32_t> hs;
    for (int t = 0; t < 4; t++)
        for (int r = 0; r < 5; r++) {
            hs.insert(hs.end(), {25, 20, 23});
            hs.push_back(t == 1 ? 0 : 1000 - 100 * r);
            hs.push_back(5 - r);
        }
    std::vector<uint8_t> hsFile = Words(hs);
    std::string dir = GameFolder(&hsFile);

    std::string keys = "5 press 1\n"                                // skip the intro
                       "10 press Down\n12 press Down\n15 press 1\n" // SKINS
                       "70 press Down\n72 press Down\n75 press 1\n" // skin 3
                       "150 press Down\n155 press 1\n"              // NEW GAME
                       "210 press Down\n215 press 1\n";             // TYPE B
    for (int t = 400; t <= 1500; t += 2) keys += std::to_string(t) + " press Down\n";
    keys += "1600 press 1\n" // leave the game-over display
            "1602 press 1\n1605 press Right\n1615 press 1\n";
    for (int k = 0; k < 4; k++) keys += std::to_string(1620 + 10 * k) + " press Right\n";
    for (int k = 0; k < 6; k++) keys += std::to_string(1660 + 10 * k) + " press Down\n";
    keys += "1720 press 1\n"; // end
    std::vector<std::string> trace = RunGameIn(dir, 2400, keys);

    EXPECT_EQ(TraceField(Tick(trace, 5), "screen"), "Menu");
    EXPECT_EQ(TraceField(Tick(trace, 65), "menuState"), "7");
    EXPECT_EQ(TraceField(Tick(trace, 215), "menuState"), "11");
    EXPECT_EQ(TraceField(Tick(trace, 239), "menuState"), "3");
    EXPECT_EQ(TraceField(Tick(trace, 240), "screen"), "Game");
    EXPECT_EQ(TraceField(Tick(trace, 1599), "screen"), "Game");
    std::string entry = Tick(trace, 1600);
    ASSERT_EQ(TraceField(entry, "screen"), "NameEntry");
    EXPECT_EQ(TraceField(entry, "timer"), "20");
    EXPECT_EQ(TraceField(entry, "enteredName"), "[42,42,42]");
    EXPECT_EQ(TraceField(Tick(trace, 1602), "sounds"), "[\"sclick.wav\"]");
    EXPECT_EQ(TraceField(Tick(trace, 1612), "sounds"), "[\"srot.wav\"]");
    EXPECT_EQ(TraceField(Tick(trace, 1615), "enteredName"), "[0,1,42]");
    EXPECT_EQ(TraceField(Tick(trace, 1720), "scorePhase"), "5");
    EXPECT_EQ(TraceField(Tick(trace, 1769), "screen"), "NameEntry");
    std::string table = Tick(trace, 1770);
    EXPECT_EQ(TraceField(table, "screen"), "ScoreTable");
    EXPECT_EQ(TraceField(table, "scorePhase"), "6");
    EXPECT_EQ(TraceField(Tick(trace, 2369), "phaseTicks"), "599");
    EXPECT_EQ(TraceField(Tick(trace, 2370), "screen"), "Menu");
    std::string tableB = TableFrame(trace, 200);
    EXPECT_FALSE(tableB.empty());

    std::vector<uint8_t> scores = ReadBytes(dir + "/HS.dat");
    ASSERT_EQ(scores.size(), 400u);
    EXPECT_EQ(Word(scores, 100), 0); // table B, row 0: A, B, blank
    EXPECT_EQ(Word(scores, 104), 1);
    EXPECT_EQ(Word(scores, 108), 42);
    EXPECT_GT(Word(scores, 112), 0);
    EXPECT_EQ(Word(scores, 116), 1);
    EXPECT_EQ(Word(scores, 120 + 16), 5); // the old row 0 moved down
    EXPECT_EQ(Word(scores, 180 + 16), 2); // the old row 4 dropped out
    EXPECT_EQ(Word(scores, 12), 1000);    // table A untouched
    std::vector<uint8_t> settings = ReadBytes(dir + "/SS.dat");
    ASSERT_EQ(settings.size(), 1052u);
    EXPECT_EQ(Word(settings, 0), 2);  // skin 3
    EXPECT_EQ(Word(settings, 28), 0); // the game is over: nothing to continue
    EXPECT_EQ(Word(settings, 36), 1);

    // The next start: left alone, the menu shows the same tables.
    trace = RunGameIn(dir, 420, "5 press 1\n");
    EXPECT_EQ(TraceField(Tick(trace, 155), "menuState"), "12");
    EXPECT_EQ(TraceField(Tick(trace, 181), "screen"), "ScoreTable");
    EXPECT_EQ(TableFrame(trace, 200), tableB);
    EXPECT_EQ(ReadBytes(dir + "/HS.dat"), scores); // never written at shutdown
    EXPECT_EQ(Word(ReadBytes(dir + "/SS.dat"), 0), 2);
    RemoveTree(dir);
}
