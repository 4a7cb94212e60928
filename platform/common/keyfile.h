// The key file of scripted runs (zux-headless, the browser's test mode): one
// event a line, "TICK ACTION [KEY]", '#' comments.
#pragma once

#include <cstdint>

enum HeadlessAction {
    ActDown,
    ActUp,
    ActPress,     // down at the tick, up at the next
    ActFocusLost, // the original rule: the window deactivated, the game closes
    ActClose,
    ActFocusAway, // the player left the window: the game freezes
    ActFocusBack, // the player came back
};

struct HeadlessEvent {
    int32_t tick;
    int action;
    int32_t vk; // virtual key for down, up and press
};

// Parses a key file's text into events (sorted by tick). On failure returns
// false and fills error with a message naming the line.
bool Headless_ParseKeys(const char *text, uint32_t length, HeadlessEvent *events, int capacity,
                        int *count, char *error, int errorSize);

// The window message a scripted action stands for (MsgKeyDown for ActDown,
// MsgSuspend for ActFocusAway, ...); MsgNull for any other action.
int Headless_ActionMessage(int action);
