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
    int last = 0;       // its result
    void SetUp() override
    {
        for (int s = 0; s < SkinCount; s++)
            WriteBytes(folder.Path("Skin" + std::to_string(s + 1) + "BackgroundMenu.tga"),
                       RawTga(32, 32, Bytes(32 * 32, (uint8_t)TileGrey(s))));
        OpenBasics();
        memset(&MenuData, 0, sizeof(MenuData));
        LoadMenu(), ResetMenu(), ApplySkinOption();
    }
    void TearDown() override { ReleaseMenu(), CloseBasics(); }
    int Step(std::initializer_list<int> k = {})
    {
        return last = StepWithKeys(MenuStep, k, &sounds);
    }
    // Steps until the menu is in state (or, for -1, until a result comes), at
    // most 200 ticks; the ticks taken.
    int StepsTo(int32_t state)
    {
        for (int k = 1; k <= 200; k++)
            if (Step(), state < 0 ? last != 0 : MenuData.menuState == state) return k;
        return -1;
    }
    // Whether the generator was seeded with seed (then seeds it so again).
    bool Seeded(uint32_t seed)
    {
        int next = Plat_Rand();
        return Plat_Seed(seed), next == Plat_Rand();
    }
    // Row's x on the main page now and after each of n more ticks.
    Ints Wobble(int32_t row, int n)
    {
        Ints xs = {EntryX(0, row)};
        for (int i = 0; i < n; i++, xs.push_back(EntryX(0, row))) Step();
        return xs;
    }
    // Moves the highlight down n rows and selects; the menu's state after.
    int32_t Choose(int n)
    {
        for (int i = 0; i < n; i++) Step({KeyDown});
        return Step({Key1}), MenuData.menuState;
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
    EXPECT_EQ(Wobble(5, 3), (Ints{13, 16, 19, 16}));
    // Down on the last row goes to row 0: 0, -3, 0, +3, 0.
    Step({KeyDown});
    EXPECT_EQ(MainMenu->selection, 0);
    EXPECT_EQ(Wobble(0, 4), (Ints{16, 13, 16, 19, 16}));
    EXPECT_EQ(EntryX(0, 5), 16);
    // Up and Down in one tick: up and back down, the wobble as after Down.
    Step({KeyUp, KeyDown});
    EXPECT_TRUE(MainMenu->selection == 0 && EntryX(0, 0) == 16 && EntryX(0, 5) == 16);
    EXPECT_FLOAT_EQ(MenuData.wobbleAngle, 270.0f); // 360 drawn, then one step on
    Step();
    EXPECT_EQ(EntryX(0, 0), 13);
    // A key restarts the idle count: 150 quiet ticks after it the slide starts.
    EXPECT_EQ(StepsTo(MenuSlideLeft), 149);
}

TEST_F(MenuTest, ContinueNeedsASavedGameAndSeedsWithTheMenuTicks)
{
    for (int i = 0; i < 9; i++) Step();
    // Refused: the destroy sound after the click; the generator is untouched.
    Settings.SavedGameValid = 0, Plat_Seed(4242);
    EXPECT_TRUE(Step({Key1}) == 0 && MenuData.menuState == MenuMainPage &&
                MainMenu->selection == 0 && sounds == "sclick.wav,sdest.wav");
    EXPECT_TRUE(Seeded(4242));
    // With a saved game the page slides away, seeded with the tick count (11).
    Settings.SavedGameValid = 1;
    EXPECT_TRUE(Step({Key1}) == 0 && MenuData.menuState == MenuSlideRight &&
                Settings.SavedGameValid == 1);
    EXPECT_TRUE(Seeded(11));
    // The slide ends on the 24th tick, the result comes on the next.
    EXPECT_TRUE(StepsTo(-1) == 25 && MenuData.menuState == MenuLeaveContinue);
}

TEST_F(MenuTest, SlidesAndNewGames)
{
    // (The slides' timings are followed end to end.)
    Settings.SavedGameValid = 1;
    ASSERT_GT((Choose(1), StepsTo(MenuTypePage)), 0); // NEW GAME
    // Row 0 takes up the wobble left over from before the slide.
    EXPECT_TRUE(MainMenu->selection == 0 && MainMenu->selectedX == 16);
    for (int row = 1; row < 5; row++) EXPECT_EQ(EntryX(PageGameType, row), 16);
    // Back to the main page takes 51 ticks; the rows it lacks reuse old slots.
    EXPECT_EQ(Choose(4), MenuSlideLeft);
    EXPECT_TRUE(StepsTo(MenuMainPage) == 51 && MainMenu->page == PageMain);
    for (int row = 1; row < 6; row++) EXPECT_EQ(EntryX(PageMain, row), 16);
    // Type B: the saved game is forgotten at once; the result stays until the
    // frame step leaves the menu.
    Choose(1), StepsTo(MenuTypePage), Choose(1);
    EXPECT_EQ(Settings.SavedGameValid, 0);
    StepsTo(-1);
    EXPECT_EQ((Ints{last, Step()}), (Ints{3, 3}));
    ResetMenu();
    EXPECT_TRUE(MenuData.menuState == MenuMainPage && EntryX(PageMain, 0) == 16);
}

TEST_F(MenuTest, OptionsSkinsAndMissingPictures)
{
    Step();
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(0)));
    // The switches click only while the sound is on.
    ASSERT_GT((Choose(3), StepsTo(MenuOptionsPage)), 0); // OPTIONS
    MenuItem **options = MainMenu->entries[PageOptions], *soundOn = options[0];
    EXPECT_TRUE(Step({Key1}) == 0 && Settings.SoundOption == 0 && sounds == "sclick.wav" &&
                options[0] != soundOn);
    Step({Key1});
    EXPECT_TRUE(Settings.SoundOption == 1 && sounds.empty() && options[0] == soundOn);
    MenuItem *dropOff = (Step({KeyDown}), options[1]);
    EXPECT_EQ(Choose(0), MenuOptionsPage);
    EXPECT_TRUE(Settings.DropOption == 1 && options[1] != dropOff);
    // Controls without its picture shows the menu; select goes back to the options.
    EXPECT_EQ(Choose(1), MenuControls);
    EXPECT_TRUE(Choose(0) == MenuOptionsPage && MainMenu->page == PageOptions);

    ASSERT_GT((Choose(1), StepsTo(MenuMainPage)), 0); // BACK
    ASSERT_GT((Choose(2), StepsTo(MenuSkinPage)), 0); // SKINS
    Choose(3); // skin 4: its tile shows at once, the corner being only ever tiles
    EXPECT_TRUE(Settings.SelectedSkin == 3 && CurrentSkin == 3 &&
                MainMenu->background == SkinMenuBackgrounds[3]);
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(3)));
    EXPECT_GT(StepsTo(MenuMainPage), 0);
    // The credits picture is missing: the menu shows instead until select.
    EXPECT_EQ(Choose(4), MenuCredits);
    Step();
    EXPECT_EQ(Corner(), GreyPixel(TileGrey(3)));
    Step({Key1});
    EXPECT_TRUE(MenuData.menuState == MenuMainPage && MenuData.idleTicks == 0u);
}
