// The front end end to end: zux-headless with the generated art and key files,
// read back through its trace and the files it leaves beside it.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/test_util.h"

// Expects the trace fields listed as "tick field value; ...".
static void ExpectTrace(const HeadlessRun &run, const std::string &list)
{
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ';');) {
        std::istringstream words(item);
        int tick = 0;
        std::string field, value;
        words >> tick >> field >> value;
        ASSERT_TRUE(tick > 0 && !value.empty()) << item;
        EXPECT_EQ(run.At(tick, field.c_str()), value) << item;
    }
}

TEST(FrontEndToEnd, IntroRunsItsWholeLength)
{
    HeadlessRun run;
    run.Run(600, "");
    ExpectTrace(run, "1 introPhase Reveal; 213 introPhase Reveal; 214 introPhase LightUp; "
                     "285 introPhase Hold; 586 introPhase LightDown; 586 light 60; "
                     "586 timer 20; 587 screen Menu; 587 presented false; 588 timer 40");
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

// A newcomer skips the intro, picks skin 3, plays a type-B game to its end,
// enters "AB", watches the tables, closes, and finds all of it at the next start.
// Table B is made of zero scores here so that a short game enters it.
TEST(FrontEndToEnd, NewcomerGameNameEntryAndRestart)
{
    std::vector<int32_t> hs;
    for (int t = 0; t < 4; t++)
        for (int r = 0; r < 5; r++)
            hs.insert(hs.end(), {25, 20, 23, t == 1 ? 0 : 1000 - 100 * r, 5 - r});
    HeadlessRun run;
    ASSERT_TRUE(WriteBytes(run.dir + "/HS.dat", LeWords(hs)));
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
    run.Run(2400, keys + "1720 press 1\n"); // end
    ExpectTrace(run, "5 screen Menu; 65 menuState 7; 215 menuState 11; 239 menuState 3; "
                     "240 screen Game; 1599 screen Game; 1600 screen NameEntry; 1600 timer 20; "
                     "1600 enteredName [42,42,42]; 1602 sounds [\"sclick.wav\"]; "
                     "1612 sounds [\"srot.wav\"]; 1615 enteredName [0,1,42]; 1720 scorePhase 5; "
                     "1769 screen NameEntry; 1770 screen ScoreTable; 1770 scorePhase 6; "
                     "2369 phaseTicks 599; 2370 screen Menu");
    std::string tableB = TableFrame(run.trace, 200);
    EXPECT_FALSE(tableB.empty());

    // Table B, row 0: A, B, blank, a score, level 1; the old row 0 moved down
    // and row 4 dropped out; table A untouched. The skin is kept, nothing to continue.
    Bytes scores = ReadBytes(run.dir + "/HS.dat"), settings = ReadBytes(run.dir + "/SS.dat");
    ASSERT_EQ(scores.size(), 400u);
    EXPECT_GT(LeWord(scores, 112), 0);
    EXPECT_EQ((std::vector<int32_t>{LeWord(scores, 100), LeWord(scores, 104), LeWord(scores, 108),
                                    LeWord(scores, 116), LeWord(scores, 136), LeWord(scores, 196),
                                    LeWord(scores, 12)}),
              (std::vector<int32_t>{0, 1, 42, 1, 5, 2, 1000}));
    ASSERT_EQ(settings.size(), 1052u);
    EXPECT_EQ(
        (std::vector<int32_t>{LeWord(settings, 0), LeWord(settings, 28), LeWord(settings, 36)}),
        (std::vector<int32_t>{2, 0, 1}));

    // The next start: left alone, the menu shows the same tables.
    run.Run(420, "5 press 1\n");
    EXPECT_EQ(run.At(155, "menuState"), "12");
    EXPECT_EQ(run.At(181, "screen"), "ScoreTable");
    EXPECT_EQ(TableFrame(run.trace, 200), tableB);
    EXPECT_EQ(ReadBytes(run.dir + "/HS.dat"), scores); // never written at shutdown
    EXPECT_EQ(LeWord(ReadBytes(run.dir + "/SS.dat"), 0), 2);
}
