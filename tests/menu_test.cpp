// The main menu, driven tick by tick with scripted key counters over the
// headless platform; pictures are small loose files made here, or absent.
// What the soak's bot sees of the menu its notes hold; here the pictures
// that are missing and a saved game forgotten before the slide ends.
#include <gtest/gtest.h>

#include <cstring>

#include "front/menu.h"
#include "front/settings.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "tests/test_util.h"

namespace
{

const int TileGrey = 40;

// A menu as start-up builds it, with stand-in sounds and the first skin's tile.
struct MenuTest : testing::Test {
    TempFolder folder{true};
    int last = 0; // the last step's result
    void SetUp() override
    {
        WriteBytes(folder.Path("Skin1BackgroundMenu.tga"),
                   RawTga(32, 32, Bytes(32 * 32, TileGrey)));
        OpenBasics();
        memset(&MenuData, 0, sizeof(MenuData));
        LoadMenu(), ResetMenu(), ApplySkinOption();
    }
    void TearDown() override { ReleaseMenu(), CloseBasics(); }
    int Step(std::initializer_list<int> k = {})
    {
        return last = StepWithKeys(MenuStep, k, nullptr);
    }
    // Steps until the menu is in state (or, for -1, until a result comes), at
    // most 200 ticks; the ticks taken.
    int StepsTo(int32_t state)
    {
        for (int k = 1; k <= 200; k++)
            if (Step(), state < 0 ? last != 0 : MenuData.menuState == state) return k;
        return -1;
    }
    // Moves the highlight down n rows and selects; the menu's state after.
    int32_t Choose(int n)
    {
        for (int i = 0; i < n; i++) Step({KeyDown});
        return Step({Key1}), MenuData.menuState;
    }
    uint16_t Corner() { return BackBuffer[ScreenWidth * ScreenHeight - 1]; }
};

} // namespace

TEST_F(MenuTest, MissingPicturesAndANewGameForgetsTheSavedOne)
{
    // Controls without its picture shows the menu; select goes back to the options.
    ASSERT_GT((Choose(3), StepsTo(MenuOptionsPage)), 0); // OPTIONS
    EXPECT_EQ(Choose(2), MenuControls);
    Step();
    EXPECT_EQ(Corner(), GreyPixel(TileGrey));
    EXPECT_TRUE(Choose(0) == MenuOptionsPage);
    EXPECT_TRUE(MainMenu->page == PageOptions);
    ASSERT_GT((Choose(1), StepsTo(MenuMainPage)), 0); // BACK
    // The credits picture is missing too: the menu shows instead until select.
    EXPECT_EQ(Choose(4), MenuCredits);
    Step();
    EXPECT_EQ(Corner(), GreyPixel(TileGrey));
    Step({Key1});
    EXPECT_TRUE(MenuData.menuState == MenuMainPage);
    EXPECT_TRUE(MenuData.idleTicks == 0u);
    // A new game forgets the saved one at once, before the page has slid away.
    Settings.SavedGameValid = 1;
    for (int i = 0; i < 3; i++) Step({KeyUp});
    Choose(0), StepsTo(MenuTypePage), Choose(1);
    EXPECT_EQ(Settings.SavedGameValid, 0);
}

TEST_F(MenuTest, AnArrowRestartsTheIdleCount)
{
    for (int i = 0; i < 100; i++) Step();
    Step({KeyDown}); // the slide to the tables starts 150 quiet ticks after it
    EXPECT_EQ(StepsTo(MenuSlideLeft), 150);
}
