// The frame loop and the screen state machine, run in-process over the
// headless platform.
#include <gtest/gtest.h>

#include "app/shell.h"
#include "front/settings.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_util.h"

struct LoopRecord {
    std::vector<int32_t> ticks;
    std::vector<bool> presented;
};
static LoopRecord Record;

static void RecordTick(int32_t tick)
{
    Record.ticks.push_back(tick);
    Record.presented.push_back(Headless_PresentedThisTick());
}

// Runs the whole program for up to lastTick ticks with the given events.
static int RunScripted(const std::string &dir, int32_t lastTick, std::vector<HeadlessEvent> events)
{
    Record = LoopRecord();
    Headless_Reset();
    Headless_SetFolder(dir.c_str());
    Headless_SetLastTick(lastTick);
    Headless_SetEvents(events.data(), (int)events.size());
    Headless_SetTickHook(RecordTick);
    return RunGame();
}

TEST(Shell, EveryTickRunsOneStepAndPresentsItsFrame)
{
    std::string dir = MakeTempDir();
    EXPECT_EQ(RunScripted(dir, 30, {}), 0);
    ASSERT_EQ(Record.ticks.size(), 31u); // start-up (tick 0), then 1..30
    for (size_t i = 0; i < Record.ticks.size(); i++) {
        EXPECT_EQ(Record.ticks[i], (int32_t)i);
        EXPECT_TRUE(Record.presented[i]);
    }
    EXPECT_EQ(Shell.TimerPeriod, 20);
    // Shutdown always writes the settings.
    EXPECT_EQ(ReadBytes(dir + "/SS.dat").size(), 1052u);
    RemoveTree(dir);
}

TEST(Shell, FocusLossF8AndCloseEndTheRunAtOnce)
{
    std::string dir = MakeTempDir();
    // Focus lost before tick 5's step: the tick still runs, then the window closes.
    EXPECT_EQ(RunScripted(dir, 1000, {{5, ActFocusLost, 0}}), 0);
    EXPECT_EQ(Record.ticks.back(), 5);
    // A close request at tick 5 closes the window before its step.
    EXPECT_EQ(RunScripted(dir, 1000, {{5, ActClose, 0}}), 0);
    EXPECT_EQ(Record.ticks.back(), 4);
    EXPECT_EQ(RunScripted(dir, 1000, {{7, ActDown, VkF8}}), 0);
    EXPECT_EQ(Record.ticks.back(), 7);
    EXPECT_EQ(Shell.QuitFlag, 1);
    // Releasing F8 closes too.
    EXPECT_EQ(RunScripted(dir, 1000, {{9, ActUp, VkF8}}), 0);
    EXPECT_EQ(Record.ticks.back(), 9);
    RemoveTree(dir);
}

TEST(Shell, DroppedFramesAreNotRetried)
{
    std::string dir = MakeTempDir();
    Headless_Reset();
    Headless_SetFolder(dir.c_str());
    ASSERT_TRUE(StartUp());
    Headless_SetDisplayFails(true);
    int32_t before = Headless_PresentCount();
    Shell.TickFlag = 1;
    FrameStep();
    EXPECT_EQ(Headless_PresentCount(), before);
    Headless_SetDisplayFails(false);
    Shell.TickFlag = 1;
    FrameStep();
    EXPECT_EQ(Headless_PresentCount(), before + 1);
    // Without a timer message the frame step does nothing.
    FrameStep();
    EXPECT_EQ(Headless_PresentCount(), before + 1);
    ShutDown();
    RemoveTree(dir);
}

TEST(Shell, TransitionTable)
{
    Headless_Reset();
    SetTimerPeriod(40);
    EXPECT_EQ(ScreenTransition(ScreenIntro, 0), ScreenIntro);
    EXPECT_EQ(ScreenTransition(ScreenIntro, 1), ScreenMenu);
    EXPECT_EQ(ScreenTransition(ScreenMenu, 0), ScreenMenu);
    EXPECT_EQ(ScreenTransition(ScreenMenu, 7), ScreenMenu);
    for (int r = 1; r <= 5; r++) EXPECT_EQ(ScreenTransition(ScreenMenu, r), ScreenGame);
    // The high scores from the menu leave the timer to the score screen.
    EXPECT_EQ(ScreenTransition(ScreenMenu, 6), ScreenScoreTable);
    EXPECT_EQ(Shell.TimerPeriod, 40);

    // Abandoning a game keeps the saved game; game over that does not enter
    // the table drops it.
    Settings.SavedGameValid = 1;
    EXPECT_EQ(ScreenTransition(ScreenGame, 0), ScreenGame);
    EXPECT_EQ(ScreenTransition(ScreenGame, 2), ScreenMenu);
    EXPECT_EQ(Settings.SavedGameValid, 1);
    EXPECT_EQ(ScreenTransition(ScreenGame, 1), ScreenMenu);
    EXPECT_EQ(Settings.SavedGameValid, 0);
    // Unknown states run as the game.
    EXPECT_EQ(ScreenTransition(17, 0), 17);
    EXPECT_EQ(ScreenTransition(-3, 2), ScreenMenu);

    Settings.SavedGameValid = 1;
    EXPECT_EQ(ScreenTransition(ScreenNameEntry, 0), ScreenNameEntry);
    EXPECT_EQ(ScreenTransition(ScreenNameEntry, 1), ScreenScoreTable);
    EXPECT_EQ(Settings.SavedGameValid, 0);
    EXPECT_EQ(Shell.TimerPeriod, 20);
    SetTimerPeriod(40);
    EXPECT_EQ(ScreenTransition(ScreenScoreTable, 0), ScreenScoreTable);
    EXPECT_EQ(ScreenTransition(ScreenScoreTable, 1), ScreenMenu);
    EXPECT_EQ(Shell.TimerPeriod, 20);
    EXPECT_EQ(Headless_TimerPeriod(), 20);
}

TEST(Shell, MenuQuitPostsACloseRequest)
{
    std::string dir = MakeTempDir();
    Headless_Reset();
    Headless_SetFolder(dir.c_str());
    Headless_SetLastTick(100);
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(ScreenTransition(ScreenMenu, -1), ScreenMenu);
    PlatMessage msg;
    ASSERT_TRUE(Plat_GetMessage(&msg));
    EXPECT_EQ(msg.kind, MsgClose);
    ShutDown();
    RemoveTree(dir);
}

TEST(Shell, StartUpShowsTheLoadingPicture)
{
    std::string dir = MakeTempDir();
    // A 3 x 2 greyscale picture, top row first: grey 255 except one black pixel.
    std::vector<uint8_t> tga = {0, 0, 3, 0, 0, 0,    0,   0, 0,   0,   0,   0,
                                3, 0, 2, 0, 8, 0x20, 255, 0, 255, 255, 255, 255};
    ASSERT_TRUE(WriteBytes(dir + "/Loading.tga", tga));
    Headless_Reset();
    Headless_SetFolder(dir.c_str());
    ASSERT_TRUE(StartUp());
    const uint16_t *frame = Headless_Frame();
    EXPECT_EQ(Headless_PresentCount(), 1);
    EXPECT_EQ(frame[103 * 240 + 0], 0xFFFF);
    EXPECT_EQ(frame[103 * 240 + 1], 0); // black is transparent over the black screen
    EXPECT_EQ(frame[104 * 240 + 2], 0xFFFF);
    EXPECT_EQ(frame[102 * 240 + 0], 0);
    EXPECT_EQ(frame[105 * 240 + 0], 0);
    ShutDown();
    RemoveTree(dir);
}
