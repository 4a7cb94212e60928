// The frame loop and the screen state machine, run in-process over the
// headless platform.
#include <gtest/gtest.h>

#include "app/shell.h"
#include "front/settings.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_util.h"

static std::vector<int32_t> Ticks; // the ticks run, with whether each presented a frame
static std::vector<bool> Presented;

// Runs the whole program in dir for up to lastTick ticks with the given events.
static int RunScripted(const std::string &dir, int32_t lastTick, std::vector<HeadlessEvent> events)
{
    Ticks.clear();
    Presented.clear();
    Headless_Reset();
    Headless_SetFolder(dir.c_str());
    Headless_SetLastTick(lastTick);
    Headless_SetEvents(events.data(), (int)events.size());
    Headless_SetTickHook([](int32_t tick) {
        Ticks.push_back(tick);
        Presented.push_back(Headless_PresentedThisTick());
    });
    return RunGame();
}

TEST(Shell, EveryTickRunsOneStepAndTheRunEndsWhenAsked)
{
    TempFolder t;
    EXPECT_EQ(RunScripted(t.dir, 30, {}), 0);
    ASSERT_EQ(Ticks.size(), 31u); // start-up (tick 0), then 1..30, each presenting
    for (size_t i = 0; i < Ticks.size(); i++) EXPECT_TRUE(Ticks[i] == (int32_t)i && Presented[i]);
    EXPECT_EQ(Shell.TimerPeriod, 20);
    EXPECT_EQ(ReadBytes(t.Path("SS.dat")).size(), 1052u); // shutdown always writes the settings

    // Focus lost before tick 5's step: the tick still runs, then the window
    // closes; a close request closes it before the step; F8 down or up closes.
    const struct {
        HeadlessEvent event;
        int32_t lastTick;
    } ends[] = {{{5, ActFocusLost, 0}, 5},
                {{5, ActClose, 0}, 4},
                {{7, ActDown, VkF8}, 7},
                {{9, ActUp, VkF8}, 9}};
    for (const auto &e : ends) {
        EXPECT_EQ(RunScripted(t.dir, 1000, {e.event}), 0);
        EXPECT_EQ(Ticks.back(), e.lastTick) << e.event.action;
    }
    Headless_SetTickHook(nullptr);
}

TEST(Shell, DroppedFramesQuitAndTheLoadingPicture)
{
    TempFolder t;
    // A 3 x 2 grey picture: white except one black pixel, which stays transparent.
    ASSERT_TRUE(WriteBytes(t.Path("Loading.tga"), RawTga(3, 2, {255, 0, 255, 255, 255, 255})));
    Headless_SetLastTick(100);
    ASSERT_TRUE(StartUp());
    const uint16_t *frame = Headless_Frame();
    EXPECT_EQ(Headless_PresentCount(), 1);
    EXPECT_EQ((std::vector<uint16_t>{frame[103 * 240], frame[103 * 240 + 1], frame[104 * 240 + 2],
                                     frame[102 * 240], frame[105 * 240]}),
              (std::vector<uint16_t>{0xFFFF, 0, 0xFFFF, 0, 0}));

    // A dropped frame is not retried; without a timer message the step does nothing.
    Headless_SetDisplayFails(true);
    Shell.TickFlag = 1;
    FrameStep();
    EXPECT_EQ(Headless_PresentCount(), 1);
    Headless_SetDisplayFails(false);
    Shell.TickFlag = 1;
    FrameStep();
    FrameStep();
    EXPECT_EQ(Headless_PresentCount(), 2);

    // Quit in the menu posts a close request.
    EXPECT_EQ(ScreenTransition(ScreenMenu, -1), ScreenMenu);
    PlatMessage msg;
    ASSERT_TRUE(Plat_GetMessage(&msg));
    EXPECT_EQ(msg.kind, MsgClose);
    ShutDown();
}

TEST(Shell, TransitionTable)
{
    Headless_Reset();
    // state, step result, the next state, and the saved game's validity after it
    // (-1: as it was); the timer is left alone on the way to the high scores.
    SetTimerPeriod(40);
    const int32_t rows[][4] = {
        {ScreenIntro, 0, ScreenIntro, -1},
        {ScreenIntro, 1, ScreenMenu, -1},
        {ScreenMenu, 0, ScreenMenu, -1},
        {ScreenMenu, 7, ScreenMenu, -1},
        {ScreenMenu, 6, ScreenScoreTable, -1},
        {ScreenGame, 0, ScreenGame, 1},
        {ScreenGame, 2, ScreenMenu, 1}, // abandoning keeps the saved game
        {ScreenGame, 1, ScreenMenu, 0}, // game over without entering the table drops it
        {17, 0, 17, 1},                 // unknown states run as the game
        {-3, 2, ScreenMenu, 1},
        {ScreenNameEntry, 0, ScreenNameEntry, 1},
        {ScreenNameEntry, 1, ScreenScoreTable, 0},
    };
    for (const auto &r : rows) {
        Settings.SavedGameValid = 1;
        EXPECT_EQ(ScreenTransition(r[0], r[1]), r[2]) << r[0] << " " << r[1];
        EXPECT_TRUE(r[3] < 0 || Settings.SavedGameValid == r[3]) << r[0] << " " << r[1];
        EXPECT_TRUE(r[0] != ScreenMenu || Shell.TimerPeriod == 40) << r[1];
    }
    for (int r = 1; r <= 5; r++) EXPECT_EQ(ScreenTransition(ScreenMenu, r), ScreenGame);
    EXPECT_EQ(Shell.TimerPeriod, 20);
    SetTimerPeriod(40);
    EXPECT_EQ(ScreenTransition(ScreenScoreTable, 0), ScreenScoreTable);
    EXPECT_EQ(ScreenTransition(ScreenScoreTable, 1), ScreenMenu);
    EXPECT_EQ(Shell.TimerPeriod, 20);
    EXPECT_EQ(Headless_TimerPeriod(), 20);
}
