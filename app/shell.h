// The application shell: start-up, the message loop, the frame step with its
// screen state machine, and shutdown.
#pragma once

#include <cstdint>

struct PlatMessage;

enum ScreenStateValue {
    ScreenIntro = 0,
    ScreenMenu = 1,
    ScreenGame = 2,
    ScreenNameEntry = 3,
    ScreenScoreTable = 4,
};

// What lives the whole run (the timer period and the quit flag are the
// clock's, platform/clock.h).
struct ShellState {
    int32_t ScreenState;   // ScreenStateValue; anything unknown runs as Game
    uint8_t TickFlag;      // a timer message arrived; the next frame step runs a tick
    uint8_t Frozen;        // the player left the window: timer messages run no tick
    uint8_t HeldKeys[256]; // virtual keys down now, released for the player on a freeze
    int32_t TicksRun;      // screen steps run since start-up: a replay's tick count
};

extern ShellState Shell;

// Opens the screen and loads everything once; false when there is no display.
bool StartUp(void);

// Runs at most one tick: called after every retrieved message, before dispatch.
void FrameStep(void);

// Handles one message after the frame step (key, timer, focus and close messages).
void WindowProcedure(const PlatMessage *msg);

// Releases everything in the mirror order of start-up and writes "SS.dat".
void ShutDown(void);

// Takes the screen state the transition table gives for a step's result, with
// the resets and timer changes that go with it.
int32_t ScreenTransition(int32_t state, int result);

// Hands one retrieved message to the game: the frame step, then the window
// procedure, both recorded for a replay. Every platform's message loop goes
// through here; while a replay plays, its driver takes the message instead.
void DeliverMessage(const PlatMessage *msg);

// The game's half of DeliverMessage: the frame step, the recorder and the window procedure.
void HandMessage(const PlatMessage *msg);

// StartUp, the message loop and ShutDown; 0 on a normal close, 1 without a display.
int RunGame(void);
