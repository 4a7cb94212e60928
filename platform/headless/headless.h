// Control of the headless platform: a virtual clock that delivers one timer
// message per tick, scripted key events, a kept 5-6-5 frame and a log of the
// sounds started. Used by zux-headless and by the tests.
#pragma once

#include <cstdint>

#include "platform/common/keyfile.h"

enum {
    HeadlessMaxSoundsPerTick = 16,
    HeadlessSoundName = 32,
};

// Resets the platform: no window, no queue, clock at tick 0, generator state 1.
void Headless_Reset(void);

// Sets the program's folder (a trailing '/' is added when missing).
void Headless_SetFolder(const char *dir);

// Sets the installed data folder resources are looked for in after the
// program's folder ("" for none, the default).
void Headless_SetDataFolder(const char *dir);

// Runs ticks 1..lastTick, then asks the window to close.
void Headless_SetLastTick(int32_t lastTick);

// The events to deliver, sorted by tick; copied.
bool Headless_SetEvents(const HeadlessEvent *events, int count);

// Called after every tick's step with that tick number; null for none.
void Headless_SetTickHook(void (*hook)(int32_t tick));

// The tick being run (0 during start-up).
int32_t Headless_CurrentTick(void);

// The frame last presented and whether the current tick presented one.
const uint16_t *Headless_Frame(void);
bool Headless_PresentedThisTick(void);

// How many frames have been presented in all.
int32_t Headless_PresentCount(void);

// The timer period last armed, in ms.
int32_t Headless_TimerPeriod(void);

// The sounds started during the current tick, in order.
int Headless_SoundCount(void);
const char *Headless_SoundName(int index);

// How many times Plat_StopSound was called, and the last icon's size (0 for none).
int32_t Headless_SoundStops(void);
int Headless_IconWidth(void);

// Makes Plat_BeginDraw fail (to test dropped frames).
void Headless_SetDisplayFails(bool fails);

// Plat_FrameHash, by its older name.
uint64_t Headless_FrameHash(const uint16_t *frame, int pixelCount);
