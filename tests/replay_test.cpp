// Replays: a run recorded by zux-headless plays back to a match, one changed
// key line makes it diverge at that line's tick, damaged replays are refused
// with the line and the problem, and the save folder keeps the newest 20.
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <string>

#include "app/replay.h"
#include "app/shell.h"
#include "front/settings.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_util.h"

namespace
{

const std::pair<int, const char *> Moves[] = {
    {90, "press 1"}, {260, "press 7"}, {280, "press 7"}, {300, "press Left"}, {310, "press 3"}};

// The intro skipped; a game of type A (left frozen a while with Right held),
// C and D, each left with F9; then one of type B played to game over and a
// name entered.
std::string WholeRunKeys(void)
{
    std::string k = "5 press 1\n";
    auto at = [&k](int t, const char *what) { k += std::to_string(t) + " " + what + "\n"; };
    int t = 20;
    for (int type : {0, 2, 3, 1}) {
        at(t, "press Down");
        at(t + 10, "press 1"); // NEW GAME
        for (int d = 0; d < type; d++) at(t + 70 + 5 * d, "press Down");
        for (auto [x, what] : Moves) at(t + x, what);
        if (type == 0)
            at(t + 312, "down Right"), at(t + 314, "focus-away"), at(t + 320, "focus-back");
        if (type == 1) break;
        at(t + 330, "press F9");
        t += 400;
    }
    for (int x = t + 340; x < t + 540; x += 2) at(x, "press Down");
    for (int x : {600, 610, 615, 625, 730}) at(t + x, x == 615 ? "press Right" : "press 1");
    return k;
}

std::string Text(const std::string &path)
{
    Bytes b = ReadBytes(path);
    return std::string(b.begin(), b.end());
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
    // Every table of HS.dat holds zeros so that the game enters a name.
    Ints hs;
    for (int i = 0; i < 20; i++) hs.insert(hs.end(), {25, 20, 23, 0, 5 - i % 5});
    ASSERT_TRUE(WriteBytes(run.dir + "/HS.dat", LeWords(hs)));
    std::string d = run.dir + "/", replay = d + "run.zuxreplay", out;
    ASSERT_TRUE(WriteText(d + "keys.txt", WholeRunKeys()));
    auto headless = [&](const std::string &args) { return RunHeadless("--dir " + d + args, &out); };
    ASSERT_EQ(
        headless(" --ticks 2000 --keys " + d + "keys.txt --trace " + d + "t --record " + replay), 0)
        << out;
    std::string trace = Text(d + "t"), text = Text(replay);
    for (const char *screen : {"\"Game\"", "\"NameEntry\"", "\"gameType\":3", "\"gameType\":2"})
        EXPECT_NE(trace.find(screen), trace.npos) << screen;

    // The start files as the run found them, not as it left them; the frozen
    // ticks are no ticks of the replay.
    EXPECT_TRUE(
        std::regex_search(text, std::regex("^# zux replay 1\n(#.*\n){3}# file SS.dat absent\n"
                                           "# file HS.dat 400 190000001400000017000000")));
    EXPECT_TRUE(std::regex_search(text, std::regex("\n# end 1994 [0-9a-f]{16}\n$")));

    // Played back over the files the run left: they are not read, nor written.
    Bytes settings = ReadBytes(run.dir + "/SS.dat"), scores = ReadBytes(run.dir + "/HS.dat");
    ASSERT_EQ(settings.size(), 1052u);
    ASSERT_EQ(headless(" --replay " + replay), 0) << out;
    EXPECT_EQ(out, "replay matches (1994 ticks)\n");
    EXPECT_EQ(ReadBytes(run.dir + "/SS.dat"), settings);
    EXPECT_EQ(ReadBytes(run.dir + "/HS.dat"), scores);

    // Left instead of Right in the frozen game: the first differing frame is that key's tick.
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, std::regex("\n(\\d+) down Right\n")));
    std::string tick = m[1];
    ASSERT_TRUE(
        WriteText(replay, text.replace(m.position(0), m.length(0), "\n" + tick + " down Left\n")));
    EXPECT_EQ(headless(" --replay " + replay), 3) << out;
    EXPECT_EQ(out, "replay diverged at tick " + tick + "\n");

    // Cut short, it is refused with the line after its last.
    std::string cut = text.substr(0, text.rfind("# end"));
    ASSERT_TRUE(WriteText(replay, cut));
    EXPECT_EQ(headless(" --replay " + replay), 2);
    EXPECT_EQ(out, "zux-headless: " + replay + ": line " +
                       std::to_string(std::count(cut.begin(), cut.end(), '\n') + 1) +
                       ": no closing \"# end TICK HASH\" line: the replay is cut short\n");

    // A replay of an earlier build, the README's animation, still matches.
    EXPECT_EQ(headless(" --replay " ZUX_SOURCE_DIR "/docs/game.zuxreplay"), 0);
    EXPECT_EQ(out, "replay matches (440 ticks)\n");
}

// A start file longer than the game reads (here an SS.dat of 70,000 bytes
// whose first 1052 choose the third skin) still plays back to a match.
TEST(Replay, ALongStartFilePlaysBack)
{
    HeadlessRun run;
    Ints words(SettingsWords, 0);
    words[0] = 2; // the skin
    words[9] = 1; // sound on
    Bytes settings = LeWords(words);
    settings.resize(70000, 0x5a);
    ASSERT_TRUE(WriteBytes(run.dir + "/SS.dat", settings));
    std::string d = run.dir + "/", replay = d + "run.zuxreplay", out;
    ASSERT_TRUE(WriteText(d + "keys.txt", "5 press 1\n40 press 1\n"));
    ASSERT_EQ(RunHeadless("--dir " + d + " --ticks 300 --keys " + d + "keys.txt --record " + replay,
                          &out),
              0)
        << out;
    EXPECT_NE(Text(replay).find("\n# file SS.dat 65536 020000000000"), std::string::npos);
    ASSERT_EQ(RunHeadless("--dir " + d + " --replay " + replay, &out), 0) << out;
    EXPECT_EQ(out, "replay matches (300 ticks)\n");
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
    std::string text = Text(path);
    ShutDown();
    EXPECT_TRUE(
        std::regex_search(text, std::regex("\n10 down Left\n(#.*\n)*12 up Left\n# end 11 .*\n$")))
        << text;
}

TEST(Replay, DamagedReplaysAreRefusedWithTheLine)
{
    ReplayRecord r;
    char error[256];
    ASSERT_TRUE(ParseReplay(GoodReplay, sizeof(GoodReplay) - 1, &r, error, sizeof(error))) << error;
    ASSERT_TRUE(r.files[0].size == 2);
    EXPECT_TRUE(r.files[0].bytes[1] == 0xff);
    EXPECT_TRUE(!r.files[1].bytes);
    ASSERT_TRUE(r.eventCount == 3);
    EXPECT_TRUE(r.events[2].kind == ReplayClose);
    EXPECT_TRUE(r.events[2].tick == 11);
    ASSERT_TRUE(r.checkCount == 2);
    EXPECT_TRUE(r.checks[1].hash == 0xff);
    EXPECT_TRUE(r.lastTick == 10);
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
        EXPECT_TRUE(!r.events);
        EXPECT_TRUE(!r.checks);
        EXPECT_TRUE(!r.files[0].bytes);
    }
}

TEST(Replay, TheSaveFolderKeepsTheNewestTwentyItNamed)
{
    TempFolder folder;
    std::string dir = folder.dir + "/";
    auto name = [](int m) { return "2026-01-01_10-" + std::to_string(m) + "-00.zuxreplay"; };
    for (int m = 11; m <= 33; m++) ASSERT_TRUE(WriteText(dir + name(m), "x"));
    ASSERT_TRUE(WriteText(dir + "best game.zuxreplay", "x"));
    PruneReplays(dir.c_str(), ReplayKeep);
    EXPECT_TRUE(ReadBytes(dir + name(13)).empty());
    EXPECT_FALSE(ReadBytes(dir + name(14)).empty());
    EXPECT_FALSE(ReadBytes(dir + "best game.zuxreplay").empty());

    // A second run in the same second gets a name of its own, even before the
    // first has written anything: the name is taken when the run starts.
    char first[ReplayMaxPath], second[ReplayMaxPath];
    ASSERT_TRUE(NewReplayPath(dir.c_str(), first, sizeof(first)));
    ASSERT_TRUE(NewReplayPath(dir.c_str(), second, sizeof(second)));
    EXPECT_STRNE(first, second);
    EXPECT_NE(std::string(second).find(".zuxreplay"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
}

// The oldest replay goes first, by when it was written: a "-2" is newer than
// the plain name of the same second, and a name's date does not count when
// the file was written later.
TEST(Replay, PruningGoesByAge)
{
    TempFolder folder;
    std::string dir = folder.dir + "/";
    const char *names[] = {"2026-01-01_10-00-00.zuxreplay", "2026-01-01_10-00-00-2.zuxreplay",
                           "2026-01-01_09-00-00.zuxreplay", "2026-01-01_11-00-00.zuxreplay"};
    auto now = std::filesystem::file_time_type::clock::now();
    const int age[] = {300, 200, 100, 200}; // seconds ago
    for (int i = 0; i < 4; i++) {
        ASSERT_TRUE(WriteText(dir + names[i], "x"));
        std::filesystem::last_write_time(dir + names[i], now - std::chrono::seconds(age[i]));
    }
    PruneReplays(dir.c_str(), 3);
    EXPECT_FALSE(std::filesystem::exists(dir + names[0]));
    EXPECT_TRUE(std::filesystem::exists(dir + names[1]));
    EXPECT_TRUE(std::filesystem::exists(dir + names[2]));
    // Written in the same second: "-2" is the newer name of that second.
    for (int i : {0, 1}) {
        ASSERT_TRUE(WriteText(dir + names[i], "x"));
        std::filesystem::last_write_time(dir + names[i], now);
    }
    PruneReplays(dir.c_str(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir + names[0]));
    EXPECT_TRUE(std::filesystem::exists(dir + names[1]));
}
