// Key hold counters: each tracked key is a slot whose counter the frame clock
// advances, and which fires on the first tick and then past its threshold.
#pragma once

#include <cstdint>

enum KeySlotName {
    KeyQuit,
    KeySpare1,
    KeySpare2,
    KeyUp,
    KeyDown,
    KeyLeft,
    KeyRight,
    Key0,
    Key1,
    Key2,
    Key3,
    Key4,
    Key5,
    Key6,
    Key7,
    Key8,
    Key9,
    KeyF9,
    KeySlotCount
};

struct KeyState {
    int32_t KeySlot[KeySlotCount];    // 0 = not held; n >= 2: held through n - 1 ticks
    int32_t thresholds[KeySlotCount]; // repeat threshold per slot
    uint8_t KeyLock;                  // 1: ignore presses until a tracked key is released
    int16_t defaultKeys[4];           // virtual keys of up, down, left, right
};

extern KeyState Keys;

// Takes the platform's direction keys and clears every counter and the lock.
void OpenKeys(void);

// True on the first tick of a hold and on every tick past the slot's threshold.
bool KeyFires(int slot);

// True when any of Key0..Key9 fires (Enter counts through Key1).
bool AnyKeyFires(void);

void SetAllThresholds(int32_t value);
void SetThreshold(int slot, int32_t value);

// Advances every held counter by one tick; called before each screen step.
void AdvanceKeys(void);

// Forgets every held key and ignores presses until a tracked key is released.
void LockKeys(void);

// The window's key messages; F8 sets the clock's QuitFlag either way.
void OnKeyDown(int32_t vk);
void OnKeyUp(int32_t vk);
