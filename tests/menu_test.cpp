// The main menu, driven tick by tick with scripted key counters over the
// headless platform; pictures are small loose files made here, or absent.
#include <gtest/gtest.h>

#include <cstring>

#include "front/menu.h"
#include "front/settings.h"
#include "gfx/skins.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "tests/test_util.h"

namespace
{

int TileGrey(int skin) { return 40 * (skin + 1); }

// A menu as start-up builds it, with stand-in sounds and, if asked, the six tiles.
struct MenuTest : testing::Test {
    TempFolder folder{true};
    std::string sounds; // started by the last step
    void Open(bool tiles)
    {
        for (int s = 0; tiles && s < SkinCount; s++)
            WriteBytes(folder.Path("Skin" + std::to_string(s + 1) + "BackgroundMenu.tga"),
                       RawTga(32, 32, Bytes(32 * 32, (uint8_t)TileGrey(s))));
        OpenBasics();
        memset(&MenuData, 0, sizeof(MenuData));
        LoadMenu();
        ResetMenu();
        ApplySkinOption();
    }
    void TearDown() override
    {
        ReleaseMenu();
        CloseBasics();
    }
    // One menu tick with the given key slots pressed on it.
    int Step(std::initializer_list<int> pressed = {})
    {
        return StepWithKeys(MenuStep, pressed, &sounds);
    }
    // Steps while the result is 0 (at most 100 ticks); the ticks taken, the result in *result.
    int StepsToResult(int *result = nullptr)
    {
        int k = 1, r;
        while ((r = Step()) == 0 && k < 100) k++;
        if (result) *result = r;
        return k;
    }
    // Steps until the menu is in state, at most 100 ticks; the ticks taken.
    int StepsToState(int32_t state)
    {
        for (int k = 1; k <= 100; k++)
            if (Step(), MenuData.menuState == state) return k;
        return -1;
    }
    // Moves the highlight down n rows and selects.
    void Choose(int n)
    {
        for (int i = 0; i < n; i++) Step({KeyDown});
        Step({Key1});
    }
    int32_t EntryX(int32_t page, int32_t row) { return MainMenu->entries[page][row]->x; }
    uint16_t Corner() { return BackBuffer[ScreenWidth * ScreenHeight - 1]; }
};

} // namespace

TEST_F(MenuTest, HighlightWrapsAndWobbles)
{
    Open(false);
    ASSERT_EQ(MainMenu->entryCount[PageMain], 6);
    Step();
    EXPECT_EQ(MainMenu->selection, 0);
    // Up on row 0 goes to the last row; the entry swings -3, 0, +3, 0.
    Step({KeyUp});
    EXPECT_EQ(MainMenu->selection, 5);
    EXPECT_EQ(sounds, "srot.wav");
    std::vector<int32_t> xs = {EntryX(0, 5)};
    for (int i = 0; i < 3; i++, xs.push_back(EntryX(0, 5))) Step();
    EXPECT_EQ(xs, (std::vector<int32_t>{13, 16, 19, 16}));
    // Down on the last row goes to row 0: 0, -3, 0, +3, 0.
    Step({KeyDown});
    EXPECT_EQ(MainMenu->selection, 0);
    xs = {EntryX(0, 0)};
    for (int i = 0; i < 4; i++, xs.push_back(EntryX(0, 0))) Step();
    EXPECT_EQ(xs, (std::vector<int32_t>{16, 13, 16, 19, 16}));
    EXPECT_EQ(EntryX(0, 5), 16);
    // Up and Down in one tick: up and back down, the wobble as after Down.
    Step({KeyUp, KeyDown});
    EXPECT_TRUE(MainMenu->selection == 0 && EntryX(0, 0) == 16 && EntryX(0, 5) == 16);
    EXPECT_FLOAT_EQ(MenuData.wobbleAngle, 270.0f); // 360 drawn, then one step on
    Step();
    EXPECT_EQ(EntryX(0, 0), 13);
}

TEST_F(MenuTest, ContinueNeedsASavedGameAndSeedsWithTheMenuTicks)
{
    Open(false);
    for (int i = 0; i < 9; i++) Step();
    // Refused: the destroy sound after the click; the generator is untouched.
    Settings.SavedGameValid = 0;
    Plat_Seed(4242);
    EXPECT_EQ(Step({Key1}), 0);
    EXPECT_TRUE(MenuData.menuState == MenuMainPage && MainMenu->selection == 0);
    EXPECT_EQ(sounds, "sclick.wav,sdest.wav");
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
    EXPECT_EQ(StepsToResult(), 25); // the slide ends on the 24th tick, the result comes on the next
    EXPECT_EQ(MenuData.menuState, MenuLeaveContinue);
}

TEST_F(MenuTest, SlideTimingsAndNewGames)
{
    Open(false);
    Settings.SavedGameValid = 1;
    Choose(1); // NEW GAME
    int switchTick = -1, endTick = -1;
    for (int k = 1; k <= 60 && endTick < 0; k++) {
        Step();
        if (switchTick < 0 && MainMenu->page == PageGameType) switchTick = k;
        if (MenuData.menuState == MenuTypePage) endTick = k;
    }
    EXPECT_EQ(switchTick, 24);
    EXPECT_EQ(endTick, 48);
    // Row 0 takes up the wobble left over from before the slide.
    EXPECT_TRUE(MainMenu->selection == 0 && MainMenu->selectedX == 16);
    for (int row = 1; row < 5; row++) EXPECT_EQ(EntryX(PageGameType, row), 16);

    // Back to the main page takes 51 ticks; the rows it lacks reuse old slots.
    Choose(4);
    EXPECT_EQ(MenuData.menuState, MenuSlideLeft);
    EXPECT_EQ(StepsToState(MenuMainPage), 51);
    EXPECT_EQ(MainMenu->page, PageMain);
    for (int row = 1; row < 6; row++) EXPECT_EQ(EntryX(PageMain, row), 16);

    // Type B: the saved game is forgotten at once and the result comes on tick 25.
    Choose(1);
    StepsToState(MenuTypePage);
    Choose(1);
    EXPECT_EQ(Settings.SavedGameValid, 0);
    int result;
    EXPECT_EQ(StepsToResult(&result), 25);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(Step(), 3); // until the frame step leaves the menu
    ResetMenu();
    EXPECT_TRUE(MenuData.menuState == MenuMainPage && EntryX(PageMain, 0) == 16);
}

TEST_F(MenuTest, IdleTimeoutShowsTheScores)
{
    Open(false);
    for (int i = 0; i < 149; i++) ASSERT_EQ(Step(), 0);
    EXPECT_EQ(MenuData.menuState, MenuMainPage);
    std::vector<uint16_t> before(BackBuffer, BackBuffer + ScreenWidth * ScreenHeight);
    EXPECT_EQ(Step(), 0); // tick 150: the slide starts, nothing is drawn
    EXPECT_TRUE(MenuData.menuState == MenuSlideLeft && MenuData.idleTicks == 0u);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), BackBuffer));
    EXPECT_EQ(StepsToState(MenuLeaveScores), 25);
    EXPECT_EQ(Step(), 6);
    // A key restarts the count.
    ResetMenu();
    for (int i = 0; i < 100; i++) Step();
    Step({KeyDown});
    for (int i = 0; i < 149; i++) Step();
    EXPECT_EQ(MenuData.menuState, MenuMainPage);
    Step();
    EXPECT_EQ(MenuData.menuState, MenuSlideLeft);
}

TEST_F(MenuTest, SwitchesClickOnlyWhileTheSoundIsOn)
{
    Open(false);
    Choose(3); // OPTIONS
    ASSERT_GT(StepsToState(MenuOptionsPage), 0);
    const MenuItem *soundOn = MainMenu->entries[PageOptions][0];
    EXPECT_EQ(Step({Key1}), 0);
    EXPECT_TRUE(Settings.SoundOption == 0 && sounds == "sclick.wav");
    EXPECT_NE(MainMenu->entries[PageOptions][0], soundOn);
    Step({Key1});
    EXPECT_TRUE(Settings.SoundOption == 1 && sounds.empty());
    EXPECT_EQ(MainMenu->entries[PageOptions][0], soundOn);
    Step({KeyDown});
    const MenuItem *dropOff = MainMenu->entries[PageOptions][1];
    Step({Key1});
    EXPECT_EQ(Settings.DropOption, 1);
    EXPECT_NE(MainMenu->entries[PageOptions][1], dropOff);
    EXPECT_EQ(MenuData.menuState, MenuOptionsPage);
    // Controls without its picture shows the menu; select goes back to the options.
    Choose(1);
    EXPECT_EQ(MenuData.menuState, MenuControls);
    Step({Key1});
    EXPECT_TRUE(MenuData.menuState == MenuOptionsPage && MainMenu->page == PageOptions);
}

TEST_F(MenuTest, SkinChoiceSwitchesTheTileAndReturns)
{
    Open(true);
    Step();
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(0)));
    Choose(2); // SKINS
    ASSERT_GT(StepsToState(MenuSkinPage), 0);
    Choose(3); // skin 4
    EXPECT_TRUE(Settings.SelectedSkin == 3 && CurrentSkin == 3);
    EXPECT_EQ(MainMenu->background, SkinMenuBackgrounds[3]);
    // The corner is only ever tiles: "Skin4BackgroundMenu.tga" shows at once.
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(3)));
    EXPECT_GT(StepsToState(MenuMainPage), 0);
    EXPECT_EQ(MainMenu->page, PageMain);
    // The credits picture is missing: the menu shows instead until select.
    Choose(4);
    EXPECT_EQ(MenuData.menuState, MenuCredits);
    Step();
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(3)));
    Step({Key1});
    EXPECT_TRUE(MenuData.menuState == MenuMainPage && MenuData.idleTicks == 0u);
}
