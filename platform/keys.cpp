// Key hold counters. The window's key messages start and stop the counters; the
// frame clock advances them; the screens ask whether a slot fires this tick.
#include "platform/keys.h"

#include "platform/clock.h"
#include "platform/platform.h"

KeyState Keys;

void OpenKeys(void)
{
    for (int i = 0; i < KeySlotCount; i++) Keys.KeySlot[i] = 0;
    Keys.KeyLock = 0;
    Plat_DefaultKeys(Keys.defaultKeys);
}

bool KeyFires(int slot)
{
    if (slot < 0 || slot >= KeySlotCount) return false;
    int32_t c = Keys.KeySlot[slot];
    return c == 2 || c > Keys.thresholds[slot];
}

bool AnyKeyFires(void)
{
    for (int slot = Key0; slot <= Key9; slot++)
        if (KeyFires(slot)) return true;
    return false;
}

void SetAllThresholds(int32_t value)
{
    for (int i = 0; i < KeySlotCount; i++) Keys.thresholds[i] = value;
}

void SetThreshold(int slot, int32_t value)
{
    if (slot >= 0 && slot < KeySlotCount) Keys.thresholds[slot] = value;
}

void AdvanceKeys(void)
{
    for (int i = 0; i < KeySlotCount; i++)
        if (Keys.KeySlot[i] > 0) Keys.KeySlot[i]++;
}

void LockKeys(void)
{
    Keys.KeyLock = 1;
    for (int i = 0; i < KeySlotCount; i++) Keys.KeySlot[i] = 0;
}

// The slot of a digit, Enter or F9 key; -1 for any other key.
static int CharacterSlot(int32_t vk)
{
    if (vk == VkEnter || vk == 0x31) return Key1;
    if (vk == 0x30) return Key0;
    if (vk >= 0x32 && vk <= 0x39) return Key2 + (vk - 0x32);
    if (vk == VkF9) return KeyF9;
    return -1;
}

void OnKeyDown(int32_t vk)
{
    bool locked = Keys.KeyLock != 0;
    // Every direction is compared, so two buttons sharing one code both start.
    for (int d = 0; d < 4; d++)
        if (vk == Keys.defaultKeys[d] && Keys.KeySlot[KeyUp + d] == 0 && !locked)
            Keys.KeySlot[KeyUp + d] = 1;
    int slot = CharacterSlot(vk);
    if (slot >= 0 && Keys.KeySlot[slot] == 0 && !locked) Keys.KeySlot[slot] = 1;
    if (vk == VkF8) Clock.QuitFlag = 1;
}

void OnKeyUp(int32_t vk)
{
    for (int d = 0; d < 4; d++)
        if (vk == Keys.defaultKeys[d]) {
            Keys.KeyLock = 0;
            Keys.KeySlot[KeyUp + d] = 0;
        }
    int slot = CharacterSlot(vk);
    if (slot >= 0) {
        Keys.KeyLock = 0;
        Keys.KeySlot[slot] = 0;
    }
    if (vk == VkF8) Clock.QuitFlag = 1;
}
