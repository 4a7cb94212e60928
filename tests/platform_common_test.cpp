// What every backend shares (platform/common): the quick-tap rule, the key
// names zux.cfg and the browser use, and the timer id coming back with its ticks.
#include <gtest/gtest.h>
#include <string>

#include "platform/common/bindings.h"
#include "platform/common/taps.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

static std::string Sent;
static void Note(int kind, int32_t vk)
{
    Sent += (kind == MsgKeyDown ? "down "
             : kind == MsgKeyUp ? "up "
                                : "? ") +
            std::string(Plat_KeyName(vk) ? Plat_KeyName(vk) : "?") + ";";
}

// A release no tick has seen held waits for the next tick; one a tick has
// seen goes at once; a key pressed again before the tick keeps no release.
TEST(PlatformCommon, QuickTapsWaitForATick)
{
    TapState taps = {};
    Sent.clear();
    TapKey(&taps, Vk0 + 4, true, Note), TapKey(&taps, Vk0 + 4, false, Note);
    EXPECT_EQ(Sent, "down 4;");
    TapTick(&taps, Note);
    EXPECT_EQ(Sent, "down 4;up 4;");
    Sent.clear();
    TapKey(&taps, VkLeft, true, Note), TapTick(&taps, Note), TapKey(&taps, VkLeft, false, Note);
    EXPECT_EQ(Sent, "down Left;up Left;");
    Sent.clear();
    TapKey(&taps, VkUp, true, Note), TapKey(&taps, VkUp, false, Note);
    TapKey(&taps, VkUp, true, Note), TapTick(&taps, Note);
    TapKey(&taps, 0, true, Note), TapKey(&taps, 256, true, Note);
    EXPECT_EQ(Sent, "down Up;down Up;");
}

// zux.cfg's names (the US legend, as SDL names keys) and the browser's codes.
TEST(PlatformCommon, KeyNamesAndCodes)
{
    EXPECT_STREQ(KeyCodeOfName("Return"), "Enter");
    EXPECT_STREQ(KeyCodeOfName("left shift"), "ShiftLeft");
    EXPECT_STREQ(KeyCodeOfName("Q"), "KeyQ");
    EXPECT_STREQ(KeyCodeOfName("0"), "Digit0");
    EXPECT_STREQ(KeyCodeOfName("Keypad 0"), "Numpad0");
    EXPECT_STREQ(KeyCodeOfName("F24"), "F24");
    EXPECT_EQ(KeyCodeOfName("F25"), nullptr);
    EXPECT_EQ(KeyCodeOfName("KeyQ"), nullptr);
    EXPECT_EQ(KeyCodeOfName(""), nullptr);
    EXPECT_TRUE(IsKeyCode("KeyQ"));
    EXPECT_TRUE(IsKeyCode("NumpadEnter"));
    EXPECT_TRUE(IsKeyCode("F12"));
    EXPECT_FALSE(IsKeyCode("Keyq"));
    EXPECT_FALSE(IsKeyCode("Return"));
    EXPECT_EQ(PadButtonOfName("dpleft"), 14);
    EXPECT_EQ(PadButtonOfName(""), -1);
    EXPECT_EQ(DefaultPadKeys[PadButtonOfName("start")], Vk0 + 2);
}

// The frame timer's messages carry the id it was armed with.
TEST(PlatformCommon, TimerMessagesCarryTheirId)
{
    Headless_Reset();
    Headless_SetLastTick(2);
    ASSERT_TRUE(Plat_OpenWindow());
    Plat_SetTimer(77, 20);
    PlatMessage m = {MsgNull, 0};
    for (int i = 0; i < 8 && m.kind != MsgTimer; i++) ASSERT_TRUE(Plat_GetMessage(&m));
    EXPECT_EQ(m.kind, MsgTimer);
    EXPECT_EQ(m.code, 77);
    Headless_Reset();
}
