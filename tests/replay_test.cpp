// Replays: a run recorded by zux-headless plays back to a match, one changed
// key line makes it diverge at that line's tick, damaged replays are refused
// with the line and the problem, and the save folder keeps the newest 20.
#include <cstdio>
#include <gtest/gtest.h>
#include <regex>
#include <string>

#include "app/config.h"
#include "app/replay.h"
#include "app/shell.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_util.h"

namespace
{

// The intro skipped; a game of type A (left frozen a while with Left held),
// C and D, each left with F9; then one of type B played to game over and a
// name entered. Every table of HS.dat holds zeros so that the game enters one.
std::string WholeRunKeys(void)
{
    std::string k = "5 press 1\n";
    auto press = [&k](int t, const char *key) { k += std::to_string(t) + " press " + key + "\n"; };
    int t = 20;
    for (int type : {0, 2, 3, 1}) {
        press(t, "Down");
        press(t + 10, "1"); // NEW GAME
        for (int d = 0; d < type; d++) press(t + 70 + 5 * d, "Down");
        press(t + 90, "1");
        press(t + 260, "7");
        press(t + 280, "7");
        press(t + 300, "Left");
        press(t + 310, "3");
        if (type == 0)
            k += std::to_string(t + 312) + " down Right\n" + std::to_string(t + 314) +
                 " focus-away\n" + std::to_string(t + 320) + " focus-back\n";
        if (type == 1) break;
        press(t + 330, "F9");
        t += 400;
    }
    for (int x = t + 340; x < t + 540; x += 2) press(x, "Down");
    for (int x : {600, 610, 615, 625, 730}) press(t + x, x == 615 ? "Right" : "1");
    return k;
}

Bytes ZeroScores(void)
{
    std::vector<int32_t> hs;
    for (int i = 0; i < 20; i++) hs.insert(hs.end(), {25, 20, 23, 0, 5 - i % 5});
    return LeWords(hs);
}

// A small replay that reads, lines numbered from 1.
const char GoodReplay[] = "# zux replay 1\n"              // 1
                          "# version test\n"              // 2
                          "# file SS.dat 2 0aff\n"        // 3
                          "# file HS.dat absent\n"        // 4
                          "3 down Enter\n"                // 5
                          "# frame 3 0123456789abcdef\n"  // 6
                          "4 up Enter   # a comment\n"    // 7
                          "# frame 10 00000000000000ff\n" // 8
                          "11 close\n"                    // 9
                          "# end 10 00000000000000ff\n";  // 10

} // namespace

TEST(Replay, RecordedRunPlaysBackAndOneChangedKeyDiverges)
{
    HeadlessRun run;
    ASSERT_TRUE(WriteBytes(run.dir + "/HS.dat", ZeroScores()));
    std::string keys = run.dir + "/keys.txt", replay = run.dir + "/run.zuxreplay";
    ASSERT_TRUE(WriteText(keys, WholeRunKeys()));
    std::string out;
    ASSERT_EQ(RunHeadless("--dir " + run.dir + " --ticks 2000 --keys " + keys + " --record " +
                              replay + " --trace " + run.dir + "/trace.jsonl",
                          &out),
              0)
        << out;
    std::vector<std::string> trace = ReadLines(run.dir + "/trace.jsonl");
    for (const char *screen : {"\"Game\"", "\"NameEntry\"", "\"gameType\":3", "\"gameType\":2"})
        EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [&](const std::string &l) {
            return l.find(screen) != l.npos;
        })) << screen;

    // The start files as the run found them, not as it left them.
    std::vector<std::string> lines = ReadLines(replay);
    ASSERT_GT(lines.size(), 100u);
    EXPECT_EQ(lines[0], "# zux replay 1");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "# file SS.dat absent"), lines.end());
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string &l) {
        return l.rfind("# file HS.dat 400 190000001400000017000000", 0) == 0;
    }));
    // The frozen ticks are no ticks of the replay.
    std::smatch end;
    ASSERT_TRUE(std::regex_match(lines.back(), end, std::regex("# end (\\d+) [0-9a-f]{16}")));
    EXPECT_EQ(end[1], "1994");

    // Played back over the files the run left: they are not read, nor written.
    Bytes settings = ReadBytes(run.dir + "/SS.dat"), scores = ReadBytes(run.dir + "/HS.dat");
    ASSERT_EQ(settings.size(), 1052u);
    ASSERT_EQ(RunHeadless("--dir " + run.dir + " --replay " + replay, &out), 0) << out;
    EXPECT_EQ(out, "replay matches (1994 ticks)\n");
    EXPECT_EQ(ReadBytes(run.dir + "/SS.dat"), settings);
    EXPECT_EQ(ReadBytes(run.dir + "/HS.dat"), scores);

    // Left instead of Right in the frozen game: the first differing frame is
    // that key's tick.
    std::string text, changed;
    for (const std::string &l : lines) text += l + "\n";
    size_t at = text.find(" down Right\n");
    ASSERT_NE(at, text.npos);
    size_t start = text.rfind('\n', at) + 1;
    std::string tick = text.substr(start, at - start);
    changed = text;
    changed.replace(at, 11, " down Left\n");
    ASSERT_TRUE(WriteText(replay, changed));
    EXPECT_EQ(RunHeadless("--dir " + run.dir + " --replay " + replay, &out), 3) << out;
    EXPECT_EQ(out, "replay diverged at tick " + tick + "\n");

    // A replay of an earlier build, the README's animation, still matches.
    EXPECT_EQ(
        RunHeadless("--dir " + run.dir + " --replay " ZUX_SOURCE_DIR "/docs/game.zuxreplay", &out),
        0);
    EXPECT_EQ(out, "replay matches (440 ticks)\n");
}

// A game that is never closed, frozen while the player is away: what was
// played is on disk already, the release the freeze made included.
TEST(Replay, AFreezeWritesTheReplaySoFar)
{
    TempFolder folder;
    std::string path = folder.Path("run.zuxreplay");
    const HeadlessEvent events[] = {{10, ActDown, VkLeft}, {12, ActFocusAway, 0}};
    ASSERT_TRUE(Headless_SetEvents(events, 2));
    ASSERT_TRUE(StartRecording(path.c_str(), "test"));
    ASSERT_TRUE(StartUp());
    PlatMessage msg;
    while (Headless_CurrentTick() < 30 && Plat_GetMessage(&msg)) DeliverMessage(&msg);
    std::vector<std::string> lines = ReadLines(path);
    ShutDown();
    ASSERT_GT(lines.size(), 4u);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "10 down Left"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "12 up Left"), lines.end());
    EXPECT_EQ(lines.back().rfind("# end 11 ", 0), 0u) << lines.back();
}

TEST(Replay, DamagedReplaysAreRefusedWithTheLine)
{
    ReplayRecord r;
    char error[256];
    ASSERT_TRUE(ParseReplay(GoodReplay, sizeof(GoodReplay) - 1, &r, error, sizeof(error))) << error;
    EXPECT_TRUE(r.files[0].size == 2 && r.files[0].bytes[1] == 0xff && !r.files[1].bytes);
    EXPECT_TRUE(r.eventCount == 3 && r.events[2].kind == ReplayClose && r.events[2].tick == 11);
    EXPECT_TRUE(r.checkCount == 2 && r.checks[1].hash == 0xff && r.lastTick == 10);
    FreeReplay(&r);

    struct Damage {
        const char *from, *to, *error;
    } cases[] = {
        {"# zux replay 1", "# zux replay 2", "line 1: unknown replay format"},
        {"# zux replay 1", "3 down Enter", "line 1: not a zux replay"},
        {"0aff", "0a", "line 3: start file cut short or too long"},
        {"0aff", "0afg", "line 3: bad hex digit"},
        {"# file HS.dat absent", "# file XS.dat absent", "line 4: unknown start file"},
        {"# file HS.dat absent\n", "", "line 4: the header does not give HS.dat"},
        {"4 up Enter", "4 up Escape", "line 7: unknown key"},
        {"4 up Enter", "4 press Enter", "line 7: unknown action"},
        {"4 up Enter", "4 up En\x01ter", "line 7: unreadable characters"},
        {"4 up Enter", "4x up Enter", "line 7: bad tick"},
        {"4 up Enter", "2 up Enter", "line 7: tick goes back"},
        {"11 close", "9 close", "line 9: tick goes back"},
        {"# frame 10 00000000000000ff", "# frame 10 ff", "line 8: bad checkpoint"},
        {"# end 10 00000000000000ff\n", "", "line 10: no closing \"# end TICK HASH\" line"},
        {"# end 10 00000000000000ff\n", "# end 10 00000000000000ff\n5 up Up\n",
         "line 11: text after the closing line"},
    };
    for (const Damage &d : cases) {
        std::string text = GoodReplay;
        text.replace(text.find(d.from), strlen(d.from), d.to);
        EXPECT_FALSE(ParseReplay(text.data(), (uint32_t)text.size(), &r, error, sizeof(error)))
            << d.error;
        EXPECT_EQ(std::string(error).rfind(d.error, 0), 0u) << error;
        EXPECT_TRUE(!r.events && !r.checks && !r.files[0].bytes);
    }

    // The programs refuse one with that line, exit 2.
    TempFolder folder;
    std::string path = folder.Path("cut.zuxreplay"), out;
    ASSERT_TRUE(WriteText(path, std::string(GoodReplay, strstr(GoodReplay, "# end") - GoodReplay)));
    EXPECT_EQ(RunHeadless("--dir " + folder.dir + " --replay " + path, &out), 2);
    EXPECT_EQ(out, "zux-headless: " + path +
                       ": line 10: no closing \"# end TICK HASH\" line: the replay is cut short\n");
}

TEST(Replay, TheSaveFolderKeepsTheNewestTwentyItNamed)
{
    TempFolder folder;
    std::string dir = folder.dir + "/";
    for (int i = 0; i < 23; i++) {
        char name[64];
        snprintf(name, sizeof(name), "2026-01-%02d_10-00-00.zuxreplay", i + 1);
        ASSERT_TRUE(WriteText(dir + name, "x"));
    }
    ASSERT_TRUE(WriteText(dir + "best game.zuxreplay", "x"));
    PruneReplays(dir.c_str(), ReplayKeep);
    EXPECT_FALSE(ReadBytes(dir + "2026-01-03_10-00-00.zuxreplay").size());
    EXPECT_TRUE(ReadBytes(dir + "2026-01-04_10-00-00.zuxreplay").size());
    EXPECT_TRUE(ReadBytes(dir + "best game.zuxreplay").size());

    // A second run in the same second gets a name of its own.
    char first[ReplayMaxPath], second[ReplayMaxPath];
    ASSERT_TRUE(NewReplayPath(dir.c_str(), first, sizeof(first)));
    ASSERT_TRUE(WriteText(first, "x"));
    ASSERT_TRUE(NewReplayPath(dir.c_str(), second, sizeof(second)));
    EXPECT_STRNE(first, second);
    EXPECT_NE(std::string(second).find(".zuxreplay"), std::string::npos);
}

TEST(Replay, CommandLine)
{
    const struct {
        std::vector<const char *> args;
        const char *error; // null: accepted
    } cases[] = {
        {{"--record", "a.zuxreplay"}, nullptr},
        {{"--no-record", "--windowed"}, nullptr},
        {{"--replay", "a.zuxreplay", "--scale", "2"}, nullptr},
        {{"--record"}, "--record needs a file"},
        {{"--replay", ""}, "--replay needs a file"},
        {{"--record", "a", "--no-record"}, "--record and --no-record exclude each other"},
        {{"--replay", "a", "--no-record"}, "--replay records nothing: no --record or --no-record"},
    };
    for (const auto &c : cases) {
        std::vector<char *> argv = {(char *)"zux"};
        for (const char *a : c.args) argv.push_back((char *)a);
        OptionsState o;
        char error[256] = "";
        EXPECT_EQ(ParseOptions((int)argv.size(), argv.data(), &o, error, sizeof(error)), !c.error)
            << c.args[0];
        EXPECT_STREQ(error, c.error ? c.error : "");
        bool replays = !c.error && !strcmp(c.args[0], "--replay");
        EXPECT_TRUE(!replays || !strcmp(o.replay, "a.zuxreplay"));
    }
}
