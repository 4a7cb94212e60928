// The main menu, driven tick by tick with scripted key counters over the
// headless platform; pictures are small loose files made here, or absent.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "front/menu.h"
#include "front/settings.h"
#include "gfx/skins.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/sound.h"
#include "tests/test_util.h"

// An uncompressed 8-bit grey TGA, top row first.
static std::vector<uint8_t> GreyTga(int w, int h, uint8_t value)
{
    std::vector<uint8_t> f(18, 0);
    f[2] = 3;
    f[12] = (uint8_t)w;
    f[13] = (uint8_t)(w >> 8);
    f[14] = (uint8_t)h;
    f[15] = (uint8_t)(h >> 8);
    f[16] = 8;
    f[17] = 0x20;
    f.insert(f.end(), (size_t)w * h, value);
    return f;
}

static uint16_t Grey565(uint8_t v) { return (uint16_t)((v >> 3) << 11 | (v >> 2) << 5 | (v >> 3)); }

static uint8_t TileGrey(int skin) { return (uint8_t)(40 * (skin + 1)); }

// A menu as start-up builds it, with dummy sounds and, if asked, the six tiles.
static std::string OpenMenu(bool tiles)
{
    Headless_Reset();
    std::string dir = MakeTempDir();
    for (const char *name : {"sclick.wav", "srot.wav", "sdest.wav", "slevel.wav"})
        WriteText(dir + "/" + name, "RIFF");
    if (tiles)
        for (int s = 0; s < SkinCount; s++)
            WriteBytes(dir + "/Skin" + std::to_string(s + 1) + "BackgroundMenu.tga",
                       GreyTga(32, 32, TileGrey(s)));
    Headless_SetFolder(dir.c_str());
    EXPECT_TRUE(OpenScreen());
    OpenKeys();
    SetAllThresholds(100000);
    OpenResourceArchive();
    LoadSounds();
    DefaultSettings();
    memset(&MenuData, 0, sizeof(MenuData));
    LoadMenu();
    ResetMenu();
    ApplySkinOption();
    return dir;
}

static void CloseMenu(const std::string &dir)
{
    ReleaseMenu();
    ReleaseSounds();
    CloseScreen();
    CloseResourceArchive();
    RemoveTree(dir);
}

static std::vector<std::string> Sounds; // started by the last step

// One menu tick with the given keys pressed on it (and released after).
static int Step(std::initializer_list<int> pressed = {})
{
    for (int s : pressed) Keys.KeySlot[s] = 1;
    AdvanceKeys();
    int before = Headless_SoundCount();
    int result = MenuStep();
    Sounds.clear();
    for (int i = before; i < Headless_SoundCount(); i++) Sounds.push_back(Headless_SoundName(i));
    for (int s : pressed) Keys.KeySlot[s] = 0;
    return result;
}

// Steps until the menu is in state, at most limit ticks; the ticks taken.
static int StepUntilState(int32_t state, int limit = 100)
{
    for (int k = 1; k <= limit; k++) {
        Step();
        if (MenuData.menuState == state) return k;
    }
    return -1;
}

static int32_t EntryX(int32_t page, int32_t row) { return MainMenu->entries[page][row]->x; }

TEST(Menu, HighlightWrapsAndWobbles)
{
    std::string dir = OpenMenu(false);
    ASSERT_NE(MainMenu, nullptr);
    ASSERT_EQ(MainMenu->entryCount[PageMain], 6);
    Step();
    EXPECT_EQ(MainMenu->selection, 0);

    // Up on row 0 goes to the last row; the entry swings -3, 0, +3, 0.
    Step({KeyUp});
    EXPECT_EQ(MainMenu->selection, 5);
    EXPECT_EQ(Sounds, std::vector<std::string>{"srot.wav"});
    std::vector<int32_t> xs = {EntryX(0, 5)};
    for (int i = 0; i < 3; i++) {
        Step();
        xs.push_back(EntryX(0, 5));
    }
    EXPECT_EQ(xs, (std::vector<int32_t>{13, 16, 19, 16}));

    // Down on the last row goes to row 0: 0, -3, 0, +3, 0.
    Step({KeyDown});
    EXPECT_EQ(MainMenu->selection, 0);
    xs = {EntryX(0, 0)};
    for (int i = 0; i < 4; i++) {
        Step();
        xs.push_back(EntryX(0, 0));
    }
    EXPECT_EQ(xs, (std::vector<int32_t>{16, 13, 16, 19, 16}));
    EXPECT_EQ(EntryX(0, 5), 16);

    // Up and Down in one tick: up and back down, the wobble as after Down.
    Step({KeyUp, KeyDown});
    EXPECT_EQ(MainMenu->selection, 0);
    EXPECT_EQ(EntryX(0, 0), 16);
    EXPECT_EQ(EntryX(0, 5), 16);
    EXPECT_FLOAT_EQ(MenuData.wobbleAngle, 270.0f); // 360 drawn, then one step on
    Step();
    EXPECT_EQ(EntryX(0, 0), 13);
    CloseMenu(dir);
}

TEST(Menu, ContinueNeedsASavedGameAndSeedsWithTheMenuTicks)
{
    std::string dir = OpenMenu(false);
    for (int i = 0; i < 9; i++) Step();
    Settings.SavedGameValid = 0;
    Plat_Seed(4242);
    EXPECT_EQ(Step({Key1}), 0);
    EXPECT_EQ(MenuData.menuState, MenuMainPage);
    EXPECT_EQ(MainMenu->selection, 0);
    // The destroy sound replaces the click as the refusal; the generator is untouched.
    EXPECT_EQ(Sounds, (std::vector<std::string>{"sclick.wav", "sdest.wav"}));
    int next = Plat_Rand();
    Plat_Seed(4242);
    EXPECT_EQ(next, Plat_Rand());

    // With a saved game the page slides away, seeded with the tick count (11).
    Settings.SavedGameValid = 1;
    EXPECT_EQ(Step({Key1}), 0);
    EXPECT_EQ(MenuData.menuState, MenuSlideRight);
    next = Plat_Rand();
    Plat_Seed(11);
    EXPECT_EQ(next, Plat_Rand());
    EXPECT_EQ(Settings.SavedGameValid, 1);
    int k = 1;
    while (Step() == 0 && k < 100) k++;
    EXPECT_EQ(k, 25); // the slide ends on the 24th tick, the result comes on the next
    EXPECT_EQ(MenuData.menuState, MenuLeaveContinue);
    CloseMenu(dir);
}

TEST(Menu, SlideTimingsAndNewGames)
{
    std::string dir = OpenMenu(false);
    Settings.SavedGameValid = 1;
    Step({KeyDown});
    Step({Key1}); // NEW GAME
    int switchTick = -1, endTick = -1;
    for (int k = 1; k <= 60 && endTick < 0; k++) {
        Step();
        if (switchTick < 0 && MainMenu->page == PageGameType) switchTick = k;
        if (MenuData.menuState == MenuTypePage) endTick = k;
    }
    EXPECT_EQ(switchTick, 24);
    EXPECT_EQ(endTick, 48);
    EXPECT_EQ(MainMenu->selection, 0);
    // Row 0 takes up the wobble left over from before the slide.
    EXPECT_EQ(MainMenu->selectedX, 16);
    for (int row = 1; row < 5; row++) EXPECT_EQ(EntryX(PageGameType, row), 16);

    // Back to the main page takes 51 ticks; the rows it lacks reuse old slots.
    for (int i = 0; i < 4; i++) Step({KeyDown});
    Step({Key1});
    EXPECT_EQ(MenuData.menuState, MenuSlideLeft);
    EXPECT_EQ(StepUntilState(MenuMainPage), 51);
    EXPECT_EQ(MainMenu->page, PageMain);
    for (int row = 1; row < 6; row++) EXPECT_EQ(EntryX(PageMain, row), 16);

    // Type B: the saved game is forgotten at once and the result comes on tick 25.
    Step({KeyDown});
    Step({Key1});
    StepUntilState(MenuTypePage);
    Step({KeyDown});
    Step({Key1});
    EXPECT_EQ(Settings.SavedGameValid, 0);
    int k = 1;
    int result;
    while ((result = Step()) == 0 && k < 100) k++;
    EXPECT_EQ(k, 25);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(Step(), 3); // until the frame step leaves the menu
    ResetMenu();
    EXPECT_EQ(MenuData.menuState, MenuMainPage);
    EXPECT_EQ(EntryX(PageMain, 0), 16);
    CloseMenu(dir);
}

TEST(Menu, IdleTimeoutShowsTheScores)
{
    std::string dir = OpenMenu(false);
    for (int i = 0; i < 149; i++) ASSERT_EQ(Step(), 0);
    EXPECT_EQ(MenuData.menuState, MenuMainPage);
    std::vector<uint16_t> before(BackBuffer, BackBuffer + ScreenWidth * ScreenHeight);
    EXPECT_EQ(Step(), 0); // tick 150: the slide starts, nothing is drawn
    EXPECT_EQ(MenuData.menuState, MenuSlideLeft);
    EXPECT_EQ(MenuData.idleTicks, 0u);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), BackBuffer));
    EXPECT_EQ(StepUntilState(MenuLeaveScores), 25);
    EXPECT_EQ(Step(), 6);

    // A key restarts the count.
    ResetMenu();
    for (int i = 0; i < 100; i++) Step();
    Step({KeyDown});
    for (int i = 0; i < 149; i++) Step();
    EXPECT_EQ(MenuData.menuState, MenuMainPage);
    Step();
    EXPECT_EQ(MenuData.menuState, MenuSlideLeft);
    CloseMenu(dir);
}

TEST(Menu, SwitchesClickOnlyWhileTheSoundIsOn)
{
    std::string dir = OpenMenu(false);
    for (int i = 0; i < 3; i++) Step({KeyDown});
    Step({Key1}); // OPTIONS
    ASSERT_GT(StepUntilState(MenuOptionsPage), 0);
    const MenuItem *soundOn = MainMenu->entries[PageOptions][0];
    EXPECT_EQ(Step({Key1}), 0);
    EXPECT_EQ(Settings.SoundOption, 0);
    EXPECT_EQ(Sounds, std::vector<std::string>{"sclick.wav"});
    EXPECT_NE(MainMenu->entries[PageOptions][0], soundOn);
    Step({Key1});
    EXPECT_EQ(Settings.SoundOption, 1);
    EXPECT_TRUE(Sounds.empty());
    EXPECT_EQ(MainMenu->entries[PageOptions][0], soundOn);

    Step({KeyDown});
    const MenuItem *dropOff = MainMenu->entries[PageOptions][1];
    Step({Key1});
    EXPECT_EQ(Settings.DropOption, 1);
    EXPECT_NE(MainMenu->entries[PageOptions][1], dropOff);
    EXPECT_EQ(MenuData.menuState, MenuOptionsPage);

    // Controls without its picture shows the menu; select goes back to the options.
    Step({KeyDown});
    Step({Key1});
    EXPECT_EQ(MenuData.menuState, MenuControls);
    Step({Key1});
    EXPECT_EQ(MenuData.menuState, MenuOptionsPage);
    EXPECT_EQ(MainMenu->page, PageOptions);
    CloseMenu(dir);
}

TEST(Menu, SkinChoiceSwitchesTheTileAndReturns)
{
    std::string dir = OpenMenu(true);
    Step();
    EXPECT_EQ(BackBuffer[ScreenWidth * ScreenHeight - 1], Grey565(TileGrey(0)));
    Step({KeyDown});
    Step({KeyDown});
    Step({Key1}); // SKINS
    ASSERT_GT(StepUntilState(MenuSkinPage), 0);
    for (int i = 0; i < 3; i++) Step({KeyDown});
    Step({Key1}); // skin 4
    EXPECT_EQ(Settings.SelectedSkin, 3);
    EXPECT_EQ(CurrentSkin, 3);
    EXPECT_EQ(MainMenu->background, SkinMenuBackgrounds[3]);
    // The corner is only ever tiles: "Skin4BackgroundMenu.tga" shows at once.
    EXPECT_EQ(BackBuffer[ScreenWidth * ScreenHeight - 1], Grey565(TileGrey(3)));
    EXPECT_GT(StepUntilState(MenuMainPage), 0);
    EXPECT_EQ(MainMenu->page, PageMain);

    // The credits picture is missing: the menu shows instead until select.
    for (int i = 0; i < 4; i++) Step({KeyDown});
    Step({Key1});
    EXPECT_EQ(MenuData.menuState, MenuCredits);
    Step();
    EXPECT_EQ(BackBuffer[ScreenWidth * ScreenHeight - 1], Grey565(TileGrey(3)));
    Step({Key1});
    EXPECT_EQ(MenuData.menuState, MenuMainPage);
    EXPECT_EQ(MenuData.idleTicks, 0u);
    CloseMenu(dir);
}
