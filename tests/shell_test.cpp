// The frame loop, the screen transitions and the key counters, run in-process
// over the headless platform; and the headless program's key files,
// arguments, traces and frame dumps.
#include <gtest/gtest.h>

#include "app/shell.h"
#include "front/settings.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "tests/test_util.h"

namespace
{

Ints Ticks; // the ticks run, each as 2 * tick + whether it presented a frame

// Runs the whole program in dir for up to lastTick ticks with the given events.
int RunScripted(const std::string &dir, int32_t lastTick, std::vector<HeadlessEvent> events)
{
    Ticks.clear();
    Headless_Reset();
    Headless_SetFolder(dir.c_str());
    Headless_SetLastTick(lastTick);
    Headless_SetEvents(events.data(), (int)events.size());
    Headless_SetTickHook([](int32_t t) { Ticks.push_back(2 * t + Headless_PresentedThisTick()); });
    return RunGame();
}

// Presses the keys, then runs ticks ticks of the counters.
void Hold(std::initializer_list<int32_t> vks, int ticks = 1)
{
    for (int32_t vk : vks) OnKeyDown(vk);
    for (int t = 0; t < ticks; t++) AdvanceKeys();
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
    Ints all; // start-up (tick 0), then 1..30, each presenting
    for (int i = 0; i <= 30; i++) all.push_back(2 * i + 1);
    EXPECT_EQ(Ticks, all);
    // Focus lost before tick 5's step: the tick still runs, then the window
    // closes; a close request closes it before the step; F8 down or up closes.
    for (HeadlessEvent e : {HeadlessEvent{5, ActFocusLost, 0}, HeadlessEvent{5, ActClose, 0},
                            HeadlessEvent{7, ActDown, VkF8}, HeadlessEvent{9, ActUp, VkF8}}) {
        EXPECT_EQ(RunScripted(t.dir, 1000, {e}), 0);
        EXPECT_EQ(Ticks.back() / 2, e.tick - (e.action == ActClose)) << e.action;
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
    const uint16_t *f = Headless_Frame();
    EXPECT_EQ((Ints{Headless_PresentCount(), f[103 * 240], f[103 * 240 + 1], f[104 * 240 + 2],
                    f[102 * 240], f[105 * 240]}),
              (Ints{1, 0xFFFF, 0, 0xFFFF, 0, 0}));
    // A dropped frame is not retried; without a timer message the step does nothing.
    auto step = [](bool fails, int32_t flag) {
        Headless_SetDisplayFails(fails), Shell.TickFlag = flag, FrameStep();
        return Headless_PresentCount();
    };
    EXPECT_EQ((Ints{step(true, 1), step(false, 1), (FrameStep(), Headless_PresentCount())}),
              (Ints{1, 2, 2}));
    // Quit in the menu posts a close request.
    EXPECT_EQ(ScreenTransition(ScreenMenu, -1), ScreenMenu);
    PlatMessage msg;
    EXPECT_TRUE(Plat_GetMessage(&msg));
    EXPECT_TRUE(msg.kind == MsgClose);
    ShutDown();
}

TEST(Shell, TransitionsNotFollowedEndToEnd)
{
    Headless_Reset();
    // state, step result, the next state, the saved game's validity after it
    // (-1: as it was) and the timer after it (-1: left alone).
    const int32_t rows[][5] = {{17, 0, 17, 1, -1}, // unknown states run as the game
                               {-3, 2, ScreenMenu, 1, -1},
                               {ScreenScoreTable, 0, ScreenScoreTable, 1, -1},
                               {ScreenScoreTable, 1, ScreenMenu, 1, 20}};
    for (const auto &r : rows) {
        Settings.SavedGameValid = 1, SetTimerPeriod(40);
        EXPECT_EQ(
            (Ints{ScreenTransition(r[0], r[1]), Settings.SavedGameValid, Headless_TimerPeriod()}),
            (Ints{r[2], r[3], r[4] < 0 ? 40 : r[4]}))
            << r[0] << " " << r[1];
    }
}

TEST(Keys, FiringTapsTheSharedSlotAndTheLock)
{
    Headless_Reset();
    OpenKeys();
    SetAllThresholds(100000);
    Shell.QuitFlag = 0;
    // A tap between two ticks is never seen (how held keys repeat, the soak checks).
    OnKeyDown(VkRight), OnKeyUp(VkRight), AdvanceKeys();
    EXPECT_FALSE(KeyFires(KeyRight));
    // Enter and '1' share a slot: the second press restarts nothing, either release ends it.
    Hold({Vk0 + 1}, 2);
    OnKeyDown(VkEnter);
    EXPECT_EQ(Keys.KeySlot[Key1], 3);
    OnKeyUp(VkEnter);
    EXPECT_EQ(Keys.KeySlot[Key1], 0);
    // Only digits count as any key; slots outside the table never fire; 'A' is not tracked.
    Hold({VkUp, VkF9, 0x41});
    EXPECT_TRUE(KeyFires(KeyUp));
    EXPECT_TRUE(!AnyKeyFires());
    EXPECT_TRUE(!KeyFires(-1));
    EXPECT_TRUE(!KeyFires(KeySlotCount));
    OnKeyUp(VkUp); // ends nothing: no lock yet
    // The lock ignores presses until any tracked key is released.
    Hold({VkLeft});
    LockKeys();
    EXPECT_EQ(Keys.KeySlot[KeyLeft], 0);
    Hold({VkLeft, Vk0 + 3});
    EXPECT_FALSE(KeyFires(KeyLeft));
    EXPECT_FALSE(KeyFires(Key3));
    // F8 works through the lock, pressed or released, and does not end it.
    OnKeyDown(VkF8);
    EXPECT_EQ(Shell.QuitFlag, 1);
    Shell.QuitFlag = 0, OnKeyUp(VkF8);
    EXPECT_TRUE(Shell.QuitFlag == 1);
    EXPECT_TRUE(Keys.KeyLock == 1);
    Shell.QuitFlag = 0, OnKeyUp(Vk0 + 7); // a key that was never held still ends the lock
    EXPECT_EQ(Keys.KeyLock, 0);
    Hold({VkLeft});
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
    std::string many;
    for (int i = 0; i < 17; i++) many += "1 press 1\n"; // more events than room
    for (const std::string &bad :
         std::vector<std::string>{many, "1 down Left\n0 up Left\n", "1 down\n", "1 hop Left\n",
                                  "x down Left\n", "1 down Q\n", "1 close now\n",
                                  "1 down Left Up\n", "-4 down Left\n", "2\n", "1 down F10\n"}) {
        EXPECT_TRUE(Parse(bad, &ok).find("line ") != std::string::npos) << bad;
        EXPECT_TRUE(!ok) << bad;
    }
    EXPECT_EQ(Parse("1 down Left\n\n# x\n3 up Nope\n", &ok).rfind("line 4", 0), 0u);

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
        const std::string &l = lines[i];
        EXPECT_EQ(TraceField(l, "tick") + TraceField(l, "screen") + TraceField(l, "timer") +
                      TraceField(l, "presented") + std::to_string(TraceField(l, "frame").size()),
                  std::to_string(i + 1) + "Intro20true16");
    }
    Bytes png = ReadBytes(dir + "/frame-000003.png");
    ASSERT_GT(png.size(), 33u);
    // PNG, width 240 and height 320 = 0x140 in the header.
    EXPECT_EQ((Ints{png[1], png[19], png[22], png[23]}), (Ints{'P', 240, 1, 0x40}));
    EXPECT_FALSE(ReadBytes(dir + "/frame-000000.png").empty());

    // Bad arguments exit with 2 and say why; a bad key file names its line.
    WriteText(dir + "/bad.txt", "1 down Left\n2 sideways Left\n");
    for (std::string args :
         std::vector<std::string>{"--ticks", "--ticks -5", "--ticks 12x", "--frame-every 0",
                                  "--frame-at 1,,2", "--bogus 1", "--keys " + dir + "/none.txt"}) {
        EXPECT_TRUE(RunHeadless("--dir " + dir + " " + args, &out) == 2) << args;
        EXPECT_TRUE(!out.empty()) << args;
    }
    EXPECT_EQ(RunHeadless("--dir " + dir + " --keys " + dir + "/bad.txt", &out), 2);
    EXPECT_NE(out.find("line 2"), std::string::npos) << out;
}
