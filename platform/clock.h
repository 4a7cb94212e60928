// The frame clock's period, which the screens set themselves, and the quit
// flag, which F8 and a lost focus raise; the frame step above reads both.
#pragma once

#include <cstdint>

enum {
    FrameTimerId = 1234,
    StartTimerPeriod = 25, // the period the window is created with
    ShortTimerPeriod = 20, // intro and score screens
    LongTimerPeriod = 40,  // menu and game
    NormalTimerSpeed = 4,  // timer speeds in quarters: 4 runs the periods as they are
};

struct ClockState {
    int32_t TimerPeriod; // ms
    uint8_t QuitFlag;    // focus lost or F8: close at the next message
    int32_t speed;       // quarters of the normal speed (a replay's viewer changes it)
};

extern ClockState Clock;

// Writes TimerPeriod and re-arms the frame timer with it at once.
void SetTimerPeriod(int32_t periodMs);

// Runs the frame timer at quarters / 4 of the normal speed from now on, TimerPeriod unchanged.
void SetTimerSpeed(int32_t quarters);

// The period the frame timer runs at: TimerPeriod at the speed set, at least 1 ms.
int32_t ArmedTimerPeriod(void);
