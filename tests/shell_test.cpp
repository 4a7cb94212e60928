// The frame loop, the screen transitions and the key counters, run in-process
// over the headless platform; and the headless program's key files,
// arguments, traces and frame dumps.
#include <gtest/gtest.h>

#include "app/shell.h"
#include "front/settings.h"
#include "game/progress.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "tests/test_util.h"

namespace
{

std::vector<int32_t> Ticks; // the ticks run, with whether each presented a frame
std::vector<bool> Presented;

// Runs the whole program in dir for up to lastTick ticks with the given events.
int RunScripted(const std::string &dir, int32_t lastTick, std::vector<HeadlessEvent> events)
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

// The ticks (1-based, counted after the press) at which a held key fires.
std::vector<int> FiringTicks(int32_t vk, int slot, int ticks)
{
    std::vector<int> fired;
    OnKeyDown(vk);
    for (int t = 1; t <= ticks; t++) {
        AdvanceKeys();
        if (KeyFires(slot)) fired.push_back(t);
        OnKeyDown(vk); // the platform's auto-repeat changes nothing
    }
    OnKeyUp(vk);
    return fired;
}

// Parses text; the events as "tick:action:vk" words, or the error message.
std::string Parse(const std::string &text, bool *ok)
{
    HeadlessEvent events[32];
    int count = 0;
    char message[128] = "";
    *ok = Headless_ParseKeys(text.data(), (uint32_t)text.size(), events, 32, &count, message,
                             sizeof(message));
    std::string s = *ok ? "" : message;
    for (int i = 0; *ok && i < count; i++)
        s += std::to_string(events[i].tick) + ":" + std::to_string(events[i].action) + ":" +
             std::to_string(events[i].vk) + " ";
    return s;
}

} // namespace

TEST(Shell, EveryTickRunsOneStepAndTheRunEndsWhenAsked)
{
    TempFolder t;
    EXPECT_EQ(RunScripted(t.dir, 30, {}), 0);
    ASSERT_EQ(Ticks.size(), 31u); // start-up (tick 0), then 1..30, each presenting
    for (size_t i = 0; i < Ticks.size(); i++) EXPECT_TRUE(Ticks[i] == (int32_t)i && Presented[i]);
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
    EXPECT_EQ((Ints{frame[103 * 240], frame[103 * 240 + 1], frame[104 * 240 + 2], frame[102 * 240],
                    frame[105 * 240]}),
              (Ints{0xFFFF, 0, 0xFFFF, 0, 0}));
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

TEST(Shell, TransitionsNotFollowedEndToEnd)
{
    Headless_Reset();
    Game.Score = 0; // qualifies for no table
    // state, step result, the next state, the saved game's validity after it
    // (-1: as it was) and the timer after it (-1: left alone).
    const int32_t rows[][5] = {
        {ScreenGame, 1, ScreenMenu, 0, -1}, // game over without entering the table drops it
        {17, 0, 17, 1, -1},                 // unknown states run as the game
        {-3, 2, ScreenMenu, 1, -1},
        {ScreenMenu, 6, ScreenScoreTable, 1, -1},
        {ScreenScoreTable, 0, ScreenScoreTable, 1, -1},
        {ScreenScoreTable, 1, ScreenMenu, 1, 20},
    };
    for (const auto &r : rows) {
        Settings.SavedGameValid = 1;
        SetTimerPeriod(40);
        EXPECT_EQ(ScreenTransition(r[0], r[1]), r[2]) << r[0] << " " << r[1];
        EXPECT_EQ(Settings.SavedGameValid, r[3]) << r[0] << " " << r[1];
        EXPECT_EQ(Headless_TimerPeriod(), r[4] < 0 ? 40 : r[4]) << r[0] << " " << r[1];
    }
}

TEST(Keys, FiringTapsTheSharedSlotAndTheLock)
{
    Headless_Reset();
    OpenKeys();
    SetAllThresholds(100000);
    SetThreshold(KeyLeft, 8);
    Shell.QuitFlag = 0;
    // The first tick, then past the threshold.
    EXPECT_EQ(FiringTicks(VkLeft, KeyLeft, 11), (std::vector<int>{1, 8, 9, 10, 11}));
    SetThreshold(KeyDown, 0);
    EXPECT_EQ(FiringTicks(VkDown, KeyDown, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(FiringTicks(Vk0 + 5, Key5, 50), (std::vector<int>{1}));
    // A tap between two ticks is never seen.
    OnKeyDown(VkRight);
    OnKeyUp(VkRight);
    AdvanceKeys();
    EXPECT_FALSE(KeyFires(KeyRight));
    // Enter and '1' share a slot: the second press restarts nothing, either release ends it.
    OnKeyDown(Vk0 + 1);
    AdvanceKeys();
    AdvanceKeys();
    OnKeyDown(VkEnter);
    EXPECT_EQ(Keys.KeySlot[Key1], 3);
    OnKeyUp(VkEnter);
    EXPECT_EQ(Keys.KeySlot[Key1], 0);
    // Only digits count as any key; slots outside the table never fire.
    OnKeyDown(VkUp);
    OnKeyDown(VkF9);
    OnKeyDown(0x41); // 'A' is not tracked
    AdvanceKeys();
    EXPECT_TRUE(KeyFires(KeyUp) && !AnyKeyFires() && !KeyFires(-1) && !KeyFires(KeySlotCount));
    OnKeyUp(VkUp); // ends nothing: no lock yet

    // The lock ignores presses until any tracked key is released.
    OnKeyDown(VkLeft);
    AdvanceKeys();
    LockKeys();
    EXPECT_EQ(Keys.KeySlot[KeyLeft], 0);
    OnKeyDown(VkLeft);
    OnKeyDown(Vk0 + 3);
    AdvanceKeys();
    EXPECT_FALSE(KeyFires(KeyLeft) || KeyFires(Key3));
    // F8 works through the lock, pressed or released, and does not end it.
    OnKeyDown(VkF8);
    EXPECT_EQ(Shell.QuitFlag, 1);
    Shell.QuitFlag = 0;
    OnKeyUp(VkF8);
    EXPECT_TRUE(Shell.QuitFlag == 1 && Keys.KeyLock == 1);
    Shell.QuitFlag = 0;
    OnKeyUp(Vk0 + 7); // a key that was never held still ends the lock
    EXPECT_EQ(Keys.KeyLock, 0);
    OnKeyDown(VkLeft);
    AdvanceKeys();
    EXPECT_TRUE(KeyFires(KeyLeft));
}

TEST(Headless, KeyFilesTracesFramesAndArguments)
{
    bool ok;
    // A press's release comes at the next tick, before that tick's own events.
    EXPECT_EQ(Parse("# a game\n\n3 press Enter\n4 down Left  # hold\r\n4 press 7\n"
                    "9 up Left\n12 focus-lost\n15 close\n",
                    &ok),
              "3:0:13 4:1:13 4:0:37 4:0:55 5:1:55 9:1:37 12:3:0 15:4:0 ");
    EXPECT_TRUE(ok);
    for (const char *bad :
         {"1 down Left\n0 up Left\n", "1 down\n", "1 hop Left\n", "x down Left\n", "1 down Q\n",
          "1 close now\n", "1 down Left Up\n", "-4 down Left\n", "2\n", "1 down F10\n"})
        EXPECT_TRUE(Parse(bad, &ok).find("line ") != std::string::npos && !ok) << bad;
    EXPECT_EQ(Parse("1 down Left\n\n# x\n3 up Nope\n", &ok).rfind("line 4", 0), 0u);
    std::string many;
    for (int i = 0; i < 40; i++) many += "1 press 1\n";
    Parse(many, &ok);
    EXPECT_FALSE(ok) << "more events than room";

    TempFolder t;
    const std::string &dir = t.dir;
    WriteText(dir + "/keys.txt", "2 press Left\n4 down F8\n");
    std::string out;
    ASSERT_EQ(RunHeadless("--dir " + dir + " --ticks 50 --keys " + dir + "/keys.txt --trace " +
                              dir + "/trace.jsonl --frames " + dir + " --frame-at 0,3",
                          &out),
              0)
        << out;
    std::vector<std::string> lines = ReadLines(dir + "/trace.jsonl");
    ASSERT_EQ(lines.size(), 4u); // F8 at tick 4 closes the program after that tick
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_EQ(TraceField(lines[i], "tick") + TraceField(lines[i], "screen") +
                      TraceField(lines[i], "timer") + TraceField(lines[i], "presented"),
                  std::to_string(i + 1) + "Intro20true");
        EXPECT_EQ(TraceField(lines[i], "frame").size(), 16u);
    }
    Bytes png = ReadBytes(dir + "/frame-000003.png");
    ASSERT_GT(png.size(), 33u);
    // PNG, width 240 and height 320 = 0x140 in the header.
    EXPECT_EQ((std::vector<int>{png[1], png[19], png[22], png[23]}),
              (std::vector<int>{'P', 240, 1, 0x40}));
    EXPECT_FALSE(ReadBytes(dir + "/frame-000000.png").empty());

    // Bad arguments exit with 2 and say why; a bad key file names its line.
    WriteText(dir + "/bad.txt", "1 down Left\n2 sideways Left\n");
    for (std::string args :
         std::vector<std::string>{"--ticks", "--ticks -5", "--ticks 12x", "--frame-every 0",
                                  "--frame-at 1,,2", "--bogus 1", "--keys " + dir + "/none.txt"})
        EXPECT_TRUE(RunHeadless("--dir " + dir + " " + args, &out) == 2 && !out.empty()) << args;
    EXPECT_EQ(RunHeadless("--dir " + dir + " --keys " + dir + "/bad.txt", &out), 2);
    EXPECT_NE(out.find("line 2"), std::string::npos) << out;
}
