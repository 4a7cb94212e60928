// Key hold counters: firing patterns, the shared Enter/'1' slot and the lock.
#include <gtest/gtest.h>

#include "app/shell.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"

static void FreshKeys(void)
{
    Headless_Reset();
    OpenKeys();
    SetAllThresholds(100000);
    SetThreshold(KeyLeft, 8);
    SetThreshold(KeyRight, 8);
    Shell.QuitFlag = 0;
}

// The ticks (1-based, counted after the press) at which a held key fires.
static std::vector<int> FiringTicks(int32_t vk, int slot, int ticks)
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

TEST(Keys, FiringTapsTheSharedSlotAndBounds)
{
    FreshKeys();
    // The first tick, then past the threshold.
    EXPECT_EQ(FiringTicks(VkLeft, KeyLeft, 11), (std::vector<int>{1, 8, 9, 10, 11}));
    SetThreshold(KeyDown, 10);
    EXPECT_EQ(FiringTicks(VkDown, KeyDown, 11), (std::vector<int>{1, 10, 11}));
    SetThreshold(KeyDown, 0);
    EXPECT_EQ(FiringTicks(VkDown, KeyDown, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(FiringTicks(Vk0 + 5, Key5, 50), (std::vector<int>{1}));
    EXPECT_EQ(FiringTicks(VkF9, KeyF9, 3), (std::vector<int>{1}));

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
    OnKeyDown(VkEnter);
    AdvanceKeys();
    EXPECT_TRUE(KeyFires(Key1));
    EXPECT_TRUE(AnyKeyFires());
    OnKeyUp(VkEnter);

    // Only digits count as any key; slots outside the table never fire.
    OnKeyDown(VkUp);
    OnKeyDown(VkF9);
    OnKeyDown(0x41); // 'A' is not tracked
    AdvanceKeys();
    EXPECT_TRUE(KeyFires(KeyUp));
    EXPECT_FALSE(AnyKeyFires());
    EXPECT_FALSE(KeyFires(-1));
    EXPECT_FALSE(KeyFires(KeySlotCount));
}

TEST(Keys, LockIgnoresPressesUntilAnyTrackedKeyIsReleased)
{
    FreshKeys();
    OnKeyDown(VkLeft);
    AdvanceKeys();
    LockKeys();
    EXPECT_EQ(Keys.KeySlot[KeyLeft], 0);
    OnKeyDown(VkLeft);
    OnKeyDown(Vk0 + 3);
    AdvanceKeys();
    EXPECT_FALSE(KeyFires(KeyLeft));
    EXPECT_FALSE(KeyFires(Key3));

    // F8 works through the lock, pressed or released, and does not end it.
    OnKeyDown(VkF8);
    EXPECT_EQ(Shell.QuitFlag, 1);
    Shell.QuitFlag = 0;
    OnKeyUp(VkF8);
    EXPECT_EQ(Shell.QuitFlag, 1);
    EXPECT_EQ(Keys.KeyLock, 1);

    OnKeyUp(Vk0 + 7); // a key that was never held still ends the lock
    EXPECT_EQ(Keys.KeyLock, 0);
    OnKeyDown(VkLeft);
    AdvanceKeys();
    EXPECT_TRUE(KeyFires(KeyLeft));
}
