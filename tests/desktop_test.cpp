// The desktop around the game: the save folder, "zux.cfg", the command line
// and the freeze while the player is away.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/config.h"
#include "app/shell.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "res/files.h"
#include "res/folders.h"
#include "tests/test_util.h"

TEST(Desktop, SaveFolderChoiceAndWhereFilesAreRead)
{
    TempFolder t;
    std::string data = t.Path("share/"), home = t.Path("home/"), prog = t.dir + "/";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    ASSERT_TRUE(WriteText(data + "Res.txt", "installed"));
    ASSERT_TRUE(WriteText(data + "SS.dat", "x")); // never a save
    ASSERT_TRUE(WriteText(t.Path("HS.dat"), "portable"));
    Headless_SetDataFolder(data.c_str());
    uint8_t *out = nullptr;

    // Resources: beside the program first, then the data folder.
    EXPECT_EQ(ReadWholeFile("Res.txt", &out), 9u);
    FreeFileBlock(out);
    ASSERT_TRUE(WriteText(t.Path("Res.txt"), "local"));
    EXPECT_EQ(ReadWholeFile("Res.txt", &out), 5u);
    FreeFileBlock(out);

    // A writable program folder with the game's data keeps the saves; a home given wins.
    char why[512] = "";
    setenv("XDG_DATA_HOME", (t.dir + "/xdg").c_str(), 1);
    ASSERT_TRUE(ChooseSaveFolder(nullptr, why, sizeof(why)));
    EXPECT_EQ(SaveFolder(), t.dir + "/xdg/zux/");
    ASSERT_TRUE(WriteText(t.Path("DATA.ZUX"), "z"));
    ASSERT_TRUE(ChooseSaveFolder(nullptr, why, sizeof(why)));
    EXPECT_EQ(SaveFolder(), prog);
    ASSERT_TRUE(ChooseSaveFolder(home.c_str(), why, sizeof(why)));
    EXPECT_EQ(SaveFolder(), home);

    // A save folder without the file yet reads the program folder's copy;
    // the first write makes the folder, and from then on its own copy counts.
    out = nullptr;
    EXPECT_EQ(ReadSaveFile("HS.dat", &out), 8u);
    FreeFileBlock(out);
    EXPECT_EQ(ReadSaveFile("SS.dat", &(out = nullptr)), 0u);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(ReplaceWholeFile("HS.dat", "mine", 4), 4u);
    EXPECT_EQ(ReadBytes(home + "HS.dat").size(), 4u);
    EXPECT_EQ(ReadBytes(t.Path("HS.dat")).size(), 8u);

    // Read-only program folder: $XDG_DATA_HOME/zux/, else ~/.local/share/zux/;
    // a relative XDG_DATA_HOME is ignored. (Root writes anywhere: checked only
    // when the test runs as somebody else.)
    chmod(t.dir.c_str(), 0555);
    if (access(t.dir.c_str(), W_OK) != 0) {
        ASSERT_TRUE(ChooseSaveFolder("", why, sizeof(why)));
        EXPECT_EQ(SaveFolder(), t.dir + "/xdg/zux/");
        setenv("XDG_DATA_HOME", "relative", 1);
        setenv("HOME", (t.dir + "/user").c_str(), 1);
        EXPECT_FALSE(ChooseSaveFolder(nullptr, why, sizeof(why)));
        EXPECT_EQ(std::string(why), "zux: cannot save in " + t.dir +
                                        "/user/.local/share/zux/: " + "Permission denied");
    }
    chmod(t.dir.c_str(), 0755);
    unsetenv("XDG_DATA_HOME");

    // A folder that cannot be made (a file is in the way): the write fails.
    ASSERT_TRUE(WriteText(t.Path("file"), ""));
    EXPECT_FALSE(ChooseSaveFolder(t.Path("file/zux").c_str(), why, sizeof(why)));
    EXPECT_EQ(ReplaceWholeFile("SS.dat", "x", 1), 0u);
    SetSaveFolder("");
    Headless_SetDataFolder("");
}

static std::string Warnings;
static void Collect(int line, const char *what)
{
    Warnings += std::to_string(line) + ":" + what + ";";
}

TEST(Desktop, ConfigLinesAndBadOnesSkipped)
{
    ConfigState cfg;
    ClearConfig(&cfg);
    Warnings.clear();
    std::string text = "# comment\n"
                       "display = windowed   # trailing comment\n"
                       "  scale=3\r\n"
                       "close-on-focus-loss = yes\n"
                       "key Space = none\n"
                       "key Left Shift = 7\n"
                       "button a = Enter\n"
                       "\n"
                       "scale = 17\n"       // 9: out of range
                       "display = huge\n"   // 10
                       "colour = blue\n"    // 11: unknown setting
                       "key Q = Jump\n"     // 12: unknown game key
                       "just words\n"       // 13
                       "key = 1\n"          // 14: no key name
                       "record = perhaps\n" // 15
                       "key Z = 4";         // 16: last line without a newline
    ParseConfig(text.data(), (uint32_t)text.size(), &cfg, Collect);
    EXPECT_EQ(cfg.windowed, 1);
    EXPECT_EQ(cfg.scale, 3);
    EXPECT_EQ(cfg.closeOnFocusLoss, 1);
    EXPECT_EQ(cfg.record, -1);
    ASSERT_EQ(cfg.bindingCount, 4);
    EXPECT_STREQ(cfg.bindings[0].name, "Space");
    EXPECT_EQ(cfg.bindings[0].vk, 0);
    EXPECT_STREQ(cfg.bindings[1].name, "Left Shift");
    EXPECT_EQ(cfg.bindings[1].vk, Vk0 + 7);
    EXPECT_TRUE(cfg.bindings[2].button && cfg.bindings[2].vk == VkEnter);
    EXPECT_EQ(cfg.bindings[3].line, 16);
    EXPECT_EQ(Warnings, "9:scale is a number from 0 to 16;10:display is windowed or fullscreen;"
                        "11:unknown setting;12:unknown game key (Up, Down, Left, Right, 0-9, "
                        "Enter, F8, F9 or none);13:expected name = value;14:missing key name;"
                        "15:the value is yes or no;");

    // The default file is all comments: nothing set, nothing to warn about.
    ClearConfig(&cfg);
    Warnings.clear();
    const char *def = DefaultConfigText();
    ParseConfig(def, (uint32_t)strlen(def), &cfg, Collect);
    EXPECT_EQ(Warnings, "");
    EXPECT_EQ(cfg.bindingCount + cfg.windowed + cfg.scale, -2);
}

TEST(Desktop, CommandLine)
{
    const struct {
        std::vector<const char *> args;
        const char *error; // null: accepted
    } cases[] = {
        {{"--windowed", "--scale", "3", "--home", "/tmp/h", "--close-on-focus-loss"}, nullptr},
        {{"--fullscreen", "--version", "--help"}, nullptr},
        {{"--scale", "0"}, "bad --scale: 0 (a number from 1 to 16)"},
        {{"--scale", "2x"}, "bad --scale: 2x (a number from 1 to 16)"},
        {{"--scale"}, "--scale needs a value"},
        {{"--home", ""}, "--home needs a folder"},
        {{"--windowed", "--fullscreen"}, "--windowed and --fullscreen exclude each other"},
        {{"--sound"}, "unknown option: --sound"},
        {{"game.zux"}, "unknown option: game.zux"},
    };
    for (const auto &c : cases) {
        std::vector<char *> argv = {(char *)"zux"};
        for (const char *a : c.args) argv.push_back((char *)a);
        OptionsState o;
        char error[256] = "";
        bool ok = ParseOptions((int)argv.size(), argv.data(), &o, error, sizeof(error));
        EXPECT_EQ(ok, c.error == nullptr) << c.args[0];
        if (c.error) {
            EXPECT_STREQ(error, c.error);
        }
    }
    OptionsState o;
    char error[64];
    std::vector<char *> argv = {(char *)"zux", (char *)"--windowed", (char *)"--scale",
                                (char *)"3",   (char *)"--home",     (char *)"/tmp/h"};
    ASSERT_TRUE(ParseOptions((int)argv.size(), argv.data(), &o, error, sizeof(error)));
    EXPECT_TRUE(o.windowed == 1 && o.scale == 3 && !strcmp(o.home, "/tmp/h"));
    EXPECT_TRUE(o.closeOnFocusLoss == -1 && !o.help && !o.version);

    // zux itself (where this build has it): a bad option is refused before anything starts.
    if (access((std::string(ZUX_BUILD_DIR) + "/zux").c_str(), X_OK) != 0)
        GTEST_SKIP() << "this build has no zux";
    std::string out;
    EXPECT_EQ(RunTool("zux", "--scale 99", &out), 2);
    EXPECT_NE(out.find("zux: bad --scale: 99"), std::string::npos);
    EXPECT_NE(out.find("usage: zux"), std::string::npos);
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
class Freeze : public ProgramTest
{
};

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
