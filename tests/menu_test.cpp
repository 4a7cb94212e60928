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

// A menu as start-up builds it, with stand-in sounds and the six tiles.
struct MenuTest : testing::Test {
    TempFolder folder{true};
    std::string sounds; // started by the last step
    void SetUp() override
    {
        for (int s = 0; s < SkinCount; s++)
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
    int Step(std::initializer_list<int> pressed = {})
    {
        return StepWithKeys(MenuStep, pressed, &sounds);
    }
    // Steps until the menu is in state (or, for -1, until a result comes), at
    // most 100 ticks; the ticks taken, the last result in *result.
    int StepsTo(int32_t state, int *result = nullptr)
    {
        for (int k = 1, r; k <= 100; k++)
            if (r = Step(), state < 0 ? r != 0 : MenuData.menuState == state) {
                if (result) *result = r;
                return k;
            }
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
    ASSERT_EQ(MainMenu->entryCount[PageMain], 6);
    Step();
    // Up on row 0 goes to the last row; the entry swings -3, 0, +3, 0.
    Step({KeyUp});
    EXPECT_TRUE(MainMenu->selection == 5 && sounds == "srot.wav");
    Ints xs = {EntryX(0, 5)};
    for (int i = 0; i < 3; i++, xs.push_back(EntryX(0, 5))) Step();
    EXPECT_EQ(xs, (Ints{13, 16, 19, 16}));
    // Down on the last row goes to row 0: 0, -3, 0, +3, 0.
    Step({KeyDown});
    EXPECT_EQ(MainMenu->selection, 0);
    xs = {EntryX(0, 0)};
    for (int i = 0; i < 4; i++, xs.push_back(EntryX(0, 0))) Step();
    EXPECT_EQ(xs, (Ints{16, 13, 16, 19, 16}));
    EXPECT_EQ(EntryX(0, 5), 16);
    // Up and Down in one tick: up and back down, the wobble as after Down.
    Step({KeyUp, KeyDown});
    EXPECT_TRUE(MainMenu->selection == 0 && EntryX(0, 0) == 16 && EntryX(0, 5) == 16);
    EXPECT_FLOAT_EQ(MenuData.wobbleAngle, 270.0f); // 360 drawn, then one step on
    Step();
    EXPECT_EQ(EntryX(0, 0), 13);
    // A key restarts the idle count: 150 quiet ticks after it the slide starts.
    for (int i = 0; i < 148; i++) Step();
    EXPECT_EQ(MenuData.menuState, MenuMainPage);
    Step();
    EXPECT_EQ(MenuData.menuState, MenuSlideLeft);
}

TEST_F(MenuTest, ContinueNeedsASavedGameAndSeedsWithTheMenuTicks)
{
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
    EXPECT_EQ(StepsTo(-1), 25); // the slide ends on the 24th tick, the result comes on the next
    EXPECT_EQ(MenuData.menuState, MenuLeaveContinue);
}

TEST_F(MenuTest, SlidesAndNewGames)
{
    // (The slides' timings are followed end to end.)
    Settings.SavedGameValid = 1;
    Choose(1); // NEW GAME
    ASSERT_GT(StepsTo(MenuTypePage), 0);
    // Row 0 takes up the wobble left over from before the slide.
    EXPECT_TRUE(MainMenu->selection == 0 && MainMenu->selectedX == 16);
    for (int row = 1; row < 5; row++) EXPECT_EQ(EntryX(PageGameType, row), 16);
    // Back to the main page takes 51 ticks; the rows it lacks reuse old slots.
    Choose(4);
    EXPECT_EQ(MenuData.menuState, MenuSlideLeft);
    EXPECT_EQ(StepsTo(MenuMainPage), 51);
    EXPECT_EQ(MainMenu->page, PageMain);
    for (int row = 1; row < 6; row++) EXPECT_EQ(EntryX(PageMain, row), 16);
    // Type B: the saved game is forgotten at once; the result stays until the
    // frame step leaves the menu.
    Choose(1);
    StepsTo(MenuTypePage);
    Choose(1);
    EXPECT_EQ(Settings.SavedGameValid, 0);
    int result;
    StepsTo(-1, &result);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(Step(), 3);
    ResetMenu();
    EXPECT_TRUE(MenuData.menuState == MenuMainPage && EntryX(PageMain, 0) == 16);
}

TEST_F(MenuTest, OptionsSkinsAndMissingPictures)
{
    Step();
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(0)));
    // The switches click only while the sound is on.
    Choose(3); // OPTIONS
    ASSERT_GT(StepsTo(MenuOptionsPage), 0);
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
    EXPECT_TRUE(Settings.DropOption == 1 && MainMenu->entries[PageOptions][1] != dropOff);
    EXPECT_EQ(MenuData.menuState, MenuOptionsPage);
    // Controls without its picture shows the menu; select goes back to the options.
    Choose(1);
    EXPECT_EQ(MenuData.menuState, MenuControls);
    Step({Key1});
    EXPECT_TRUE(MenuData.menuState == MenuOptionsPage && MainMenu->page == PageOptions);

    Choose(1); // BACK
    ASSERT_GT(StepsTo(MenuMainPage), 0);
    Choose(2); // SKINS
    ASSERT_GT(StepsTo(MenuSkinPage), 0);
    Choose(3); // skin 4: its tile shows at once, the corner being only ever tiles
    EXPECT_TRUE(Settings.SelectedSkin == 3 && CurrentSkin == 3);
    EXPECT_EQ(MainMenu->background, SkinMenuBackgrounds[3]);
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(3)));
    EXPECT_GT(StepsTo(MenuMainPage), 0);
    // The credits picture is missing: the menu shows instead until select.
    Choose(4);
    EXPECT_EQ(MenuData.menuState, MenuCredits);
    Step();
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(3)));
    Step({Key1});
    EXPECT_TRUE(MenuData.menuState == MenuMainPage && MenuData.idleTicks == 0u);
}
