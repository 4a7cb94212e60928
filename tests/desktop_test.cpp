// The desktop around the game: the save folder, "zux.cfg", the command line
// and the freeze while the player is away.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/config.h"
#include "app/replay.h"
#include "app/shell.h"
#include "front/settings.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "res/files.h"
#include "res/folders.h"
#include "tests/test_util.h"

TEST(Desktop, SaveFolderChoiceAndWhereFilesAreRead)
{
    TempFolder t;
    std::string data = t.Path("share/"), home = t.Path("home/");
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    // The data folder's SS.dat is never a save.
    ASSERT_TRUE(WriteText(data + "Res.txt", "installed"));
    ASSERT_TRUE(WriteText(data + "SS.dat", "x"));
    ASSERT_TRUE(WriteText(t.Path("HS.dat"), "portable"));
    Headless_SetDataFolder(data.c_str());
    // The size read; -1 when the read failed and handed out no block.
    auto size = [](uint32_t (*read)(const char *, uint8_t **), const char *name) {
        uint8_t *out = nullptr;
        int n = (int)read(name, &out);
        FreeFileBlock(out);
        return out ? n : -1;
    };
    char why[512] = "";
    auto choose = [&why](const char *home) {
        return ChooseSaveFolder(home, why, sizeof(why)) ? std::string(SaveFolder()) : "failed";
    };

    // Resources: beside the program first, then the data folder.
    EXPECT_EQ(size(ReadWholeFile, "Res.txt"), 9);
    ASSERT_TRUE(WriteText(t.Path("Res.txt"), "local"));
    EXPECT_EQ(size(ReadWholeFile, "Res.txt"), 5);

    // A writable program folder with the game's data keeps the saves; a home given wins.
    setenv("XDG_DATA_HOME", (t.dir + "/xdg").c_str(), 1);
    EXPECT_EQ(choose(nullptr), t.dir + "/xdg/zux/");
    ASSERT_TRUE(WriteText(t.Path("DATA.ZUX"), "z"));
    EXPECT_EQ(choose(nullptr), t.dir + "/");
    EXPECT_EQ(choose(home.c_str()), home);

    // A save folder without the file yet reads the program folder's copy;
    // the first write makes the folder, and from then on its own copy counts.
    EXPECT_EQ(size(ReadSaveFile, "HS.dat"), 8);
    EXPECT_EQ(size(ReadSaveFile, "SS.dat"), -1);
    ASSERT_EQ(ReplaceWholeFile("HS.dat", "mine", 4), 4u);
    EXPECT_EQ(ReadBytes(home + "HS.dat").size(), 4u);
    EXPECT_EQ(ReadBytes(t.Path("HS.dat")).size(), 8u);

    // Read-only program folder: $XDG_DATA_HOME/zux/, else ~/.local/share/zux/;
    // a relative XDG_DATA_HOME is ignored. (Root writes anywhere: checked only
    // when the test runs as somebody else.)
    chmod(t.dir.c_str(), 0555);
    if (access(t.dir.c_str(), W_OK) != 0) {
        EXPECT_EQ(choose(""), t.dir + "/xdg/zux/");
        setenv("XDG_DATA_HOME", "relative", 1);
        setenv("HOME", (t.dir + "/user").c_str(), 1);
        EXPECT_EQ(choose(nullptr), "failed");
        EXPECT_EQ(std::string(why), "zux: cannot save in " + t.dir +
                                        "/user/.local/share/zux/: " + "Permission denied");
    }
    chmod(t.dir.c_str(), 0755);
    unsetenv("XDG_DATA_HOME");

    // A folder that cannot be made (a file is in the way): the write fails.
    ASSERT_TRUE(WriteText(t.Path("file"), ""));
    EXPECT_EQ(choose(t.Path("file/zux").c_str()), "failed");
    EXPECT_EQ(ReplaceWholeFile("SS.dat", "x", 1), 0u);
    SetSaveFolder("");
    Headless_SetDataFolder("");
}

// Every kind of file that cannot be saved is reported, each once: the save
// folder at start-up, SS.dat, HS.dat and the replay. (In a process of its own,
// which reports nothing before.)
TEST(Desktop, EachKindOfFileNotSavedIsReportedOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder t;
    // A folder in the way of each save file, and a file in the way of the replay's folder.
    ASSERT_EQ(mkdir(t.Path("SS.dat").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(t.Path("HS.dat").c_str(), 0755), 0);
    ASSERT_TRUE(WriteText(t.Path("file"), ""));
    auto run = [&t]() {
        char why[512];
        if (!ChooseSaveFolder(t.Path("file/zux").c_str(), why, sizeof(why)))
            WarnSaveFailure("folder", why);
        SetSaveFolder("");
        StartRecording(t.Path("file/run.zuxreplay").c_str(), "test");
        for (int i = 0; i < 2; i++) {
            SaveRecording();
            SaveSettings();
            ReplaceWholeFile("HS.dat", "x", 1);
        }
        StopRecording();
        exit(0);
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0),
                "^zux: cannot save in [^\n]*/file/zux/: Not a directory\n"
                "zux: cannot save the replay [^\n]*/file/run.zuxreplay: Not a directory\n"
                "zux: cannot save SS.dat in [^\n]*: Is a directory\n"
                "zux: cannot save HS.dat in [^\n]*: Is a directory\n$");
}

static std::string Warnings;
static void Collect(int line, const char *what)
{
    Warnings += std::to_string(line) + ":" + what + ";";
}

TEST(Desktop, ConfigLinesAndBadOnesSkipped)
{
    // What was read (windowed scale close record, then each binding and its
    // line), then the warnings.
    auto parse = [](const char *text) {
        ConfigState cfg;
        ClearConfig(&cfg);
        Warnings.clear();
        ParseConfig(text, (uint32_t)strlen(text), &cfg, Collect);
        std::string s = std::to_string(cfg.windowed) + " " + std::to_string(cfg.scale) + " " +
                        std::to_string(cfg.closeOnFocusLoss) + " " + std::to_string(cfg.record);
        for (const ConfigBinding &b : std::vector(cfg.bindings, cfg.bindings + cfg.bindingCount))
            s += ", " + std::string(b.button ? "button " : "") + b.name + " = " +
                 std::to_string(b.vk) + " @" + std::to_string(b.line);
        return s + " | " + Warnings;
    };
    // Lines 9 to 15 cannot be read; the last line has no newline.
    EXPECT_EQ(parse("# comment\ndisplay = windowed   # trailing comment\n  scale=3\r\n"
                    "close-on-focus-loss = yes\nkey Space = none\nkey Left Shift = 7\n"
                    "button a = Enter\n\nscale = 17\ndisplay = huge\ncolour = blue\n"
                    "key Q = Jump\njust words\nkey = 1\nrecord = perhaps\nkey Z = 4"),
              "1 3 1 -1, Space = 0 @5, Left Shift = " + std::to_string(Vk0 + 7) +
                  " @6, button a = " + std::to_string(VkEnter) +
                  " @7, Z = " + std::to_string(Vk0 + 4) +
                  " @16 | 9:scale is a number from 0 to 16;10:display is windowed or fullscreen;"
                  "11:unknown setting;12:unknown game key (Up, Down, Left, Right, 0-9, Enter, F8, "
                  "F9 or none);13:expected name = value;14:missing key name;15:the value is yes "
                  "or no;");
    // The default file is all comments: nothing set, nothing to warn about.
    EXPECT_EQ(parse(DefaultConfigText()), "-1 -1 -1 -1 | ");
}

// A byte-order mark before line 1 is skipped, and quotes name the keys whose
// names hold '#' or '=', as the default file shows.
TEST(Desktop, ConfigTakesAByteOrderMarkAndQuotedKeys)
{
    const char text[] = "\xEF\xBB\xBF"
                        "scale = 2\n"
                        "key \"#\" = 7   # the hash key\n"
                        "key \"=\" = 4\n"
                        "key \"Keypad =\" = Enter\n"
                        "key \"Keypad #\" = \"1\"\n"
                        "key \" = 3\n"
                        "key \"\" = 3\n";
    ConfigState cfg;
    ClearConfig(&cfg);
    Warnings.clear();
    ParseConfig(text, (uint32_t)strlen(text), &cfg, Collect);
    EXPECT_EQ(cfg.scale, 2);
    EXPECT_EQ(Warnings, "7:missing key name;");
    ASSERT_EQ(cfg.bindingCount, 5);
    const struct {
        const char *name;
        int32_t vk;
    } want[] = {{"#", Vk0 + 7},
                {"=", Vk0 + 4},
                {"Keypad =", VkEnter},
                {"Keypad #", Vk0 + 1},
                {"\"", Vk0 + 3}};
    for (int i = 0; i < 5; i++) {
        EXPECT_STREQ(cfg.bindings[i].name, want[i].name);
        EXPECT_EQ(cfg.bindings[i].vk, want[i].vk) << want[i].name;
    }
    EXPECT_NE(strstr(DefaultConfigText(), "key \"#\" = 7"), nullptr);
}

TEST(Desktop, CommandLine)
{
    // Accepted: what was read (windowed scale home close record replay, then the
    // switches); refused: the error.
    const struct {
        std::vector<const char *> args;
        const char *want;
    } cases[] = {
        {{"--windowed", "--scale", "3", "--home", "/tmp/h", "--record", "r"}, "1 3 /tmp/h -1 r -"},
        {{"--fullscreen", "--version", "--help", "--close-on-focus-loss", "--no-record"},
         "0 -1 - 1 - - no-record help version"},
        {{"--replay", "a.zuxreplay", "--scale", "2"}, "-1 2 - -1 - a.zuxreplay"},
        {{"--scale", "0"}, "bad --scale: 0 (a number from 1 to 16)"},
        {{"--scale", "2x"}, "bad --scale: 2x (a number from 1 to 16)"},
        {{"--scale"}, "--scale needs a value"},
        {{"--home", ""}, "--home needs a folder"},
        {{"--windowed", "--fullscreen"}, "--windowed and --fullscreen exclude each other"},
        {{"--sound"}, "unknown option: --sound"},
        {{"game.zux"}, "unknown option: game.zux"},
        {{"--record"}, "--record needs a file"},
        {{"--replay", ""}, "--replay needs a file"},
        {{"--record", "a", "--no-record"}, "--record and --no-record exclude each other"},
        {{"--replay", "a", "--no-record"}, "--replay records nothing: no --record or --no-record"},
    };
    auto s = [](const char *v) { return std::string(" ") + (v ? v : "-"); };
    for (const auto &c : cases) {
        std::vector<char *> argv = {(char *)"zux"};
        for (const char *a : c.args) argv.push_back((char *)a);
        OptionsState o;
        char error[256] = "";
        bool ok = ParseOptions((int)argv.size(), argv.data(), &o, error, sizeof(error));
        std::string got = !ok ? error
                              : std::to_string(o.windowed) + " " + std::to_string(o.scale) +
                                    s(o.home) + " " + std::to_string(o.closeOnFocusLoss) +
                                    s(o.record) + s(o.replay) + (o.noRecord ? " no-record" : "") +
                                    (o.help ? " help" : "") + (o.version ? " version" : "") + error;
        EXPECT_EQ(got, c.want);
    }

    // zux itself (where this build has it): a bad option is refused before anything starts.
    if (access((std::string(ZUX_BUILD_DIR) + "/zux").c_str(), X_OK) != 0)
        GTEST_SKIP() << "this build has no zux";
    std::string out;
    EXPECT_EQ(RunTool("zux", "--scale 99", &out), 2);
    EXPECT_EQ(out, "zux: bad --scale: 99 (a number from 1 to 16)\n" + std::string(UsageText()));
    EXPECT_EQ(RunTool("zux", "--version", &out), 0);
    EXPECT_EQ(out.rfind("zux ", 0), 0u);

    // Without a display: the first run writes the default zux.cfg; a later
    // one warns about the keys and buttons SDL does not know, then says why it
    // cannot start.
    TempFolder home;
    setenv("SDL_VIDEODRIVER", "none-such", 1);
    EXPECT_EQ(RunTool("zux", "--home " + home.dir, &out), 1);
    EXPECT_EQ(ReadBytes(home.Path("zux.cfg")).size(), strlen(DefaultConfigText()));
    ASSERT_TRUE(WriteText(home.Path("zux.cfg"), "key Left Shift = 7\nkey Hyper Z = 1\n"
                                                "button a = 2\nbutton trigger = 3\n"));
    EXPECT_EQ(RunTool("zux", "--home " + home.dir, &out), 1);
    unsetenv("SDL_VIDEODRIVER");
    const std::string where = "zux: " + home.dir + "/zux.cfg line ";
    EXPECT_NE(out.find(where + "2: unknown key; skipped\n" + where +
                       "4: unknown controller button; skipped\nzux: cannot open a display"),
              std::string::npos)
        << out;
}

// The freeze: while the player is away no tick runs, nothing sounds, held keys
// are let go and the settings are saved; coming back carries on from there.
using Freeze = ProgramTest;

TEST_F(Freeze, StandsStillReleasesKeysAndSaves)
{
    Tick(300); // into the menu
    PlatMessage down = {MsgKeyDown, VkDown}, away = {MsgSuspend, 0}, back = {MsgResume, 0};
    DeliverMessage(&down);
    Tick();
    ASSERT_GT(Keys.KeySlot[KeyDown], 0);
    unlink(folder.Path("SS.dat").c_str());
    int32_t stops = Headless_SoundStops(), presents = Headless_PresentCount();
    DeliverMessage(&away);
    EXPECT_EQ(Keys.KeySlot[KeyDown], 0); // no phantom key on the way back
    EXPECT_EQ(Headless_SoundStops(), stops + 1);
    EXPECT_EQ(ReadBytes(folder.Path("SS.dat")).size(), 1052u);
    Tick(50);
    EXPECT_EQ(Headless_PresentCount(), presents);
    DeliverMessage(&down); // a press while away is not taken
    EXPECT_EQ(Keys.KeySlot[KeyDown], 0);
    DeliverMessage(&back);
    Tick();
    EXPECT_EQ(Headless_PresentCount(), presents + 1);
}

TEST(Desktop, FreezeThroughTheRunnerShiftsTheRunAndFocusLostStillCloses)
{
    HeadlessRun plain, frozen;
    plain.Run(200, "");
    frozen.Run(270, "50 focus-away\n120 focus-back\n");
    // Every line but the tick number: the frozen run's tick 120 + k is the plain run's 50 + k.
    auto noTick = [](std::string line) { return line.substr(line.find(',')); };
    for (int t = 50; t < 120; t++) EXPECT_EQ(frozen.At(t, "presented"), "false") << t;
    for (int k = 0; k < 150; k++)
        ASSERT_EQ(noTick(frozen.trace[119 + k]), noTick(plain.trace[49 + k])) << k;

    std::vector<std::string> trace;
    EXPECT_EQ(RunKeys(plain.dir, 200, "30 focus-lost\n", &trace), 0);
    EXPECT_EQ(trace.size(), 30u);
}
