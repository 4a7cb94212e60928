// What the browser platform's files share among themselves.
#pragma once

#include <cstdint>

// Queues a key message by the quick-tap rule: a release that no tick has seen
// held yet waits for the next tick. vk 0 does nothing.
void WebSendKey(int32_t vk, bool down);

// Queues any message for the game (the replay viewer's controls).
void WebSendMessage(int kind, int32_t code);

// The game's virtual key for a KeyboardEvent code ("KeyZ", "ArrowUp"); 0 for none.
int32_t WebKeyboardKey(const char *code);

// Compares every standard-mapped gamepad with the last poll and sends the
// changes as key messages.
void WebPollGamepads(void);

// Starts listening to the keyboard, the page's focus and its visibility.
void WebListen(void);

// The virtual clock of the scripted test mode: on, the browser's timer never
// ticks and WebScriptTick does instead.
void WebUseScriptedClock(bool on);

// Starts tick number tick of the scripted clock: its events first, then the
// timer and the null message, as the headless platform does.
struct HeadlessEvent;
void WebScriptTick(int32_t tick, const HeadlessEvent *events, int count);

// The next queued message; false when the queue is empty.
bool WebNextMessage(struct PlatMessage *msg);

// True once the quit message has been posted.
bool WebQuitPosted(void);

// The program's pump, called whenever browser events have queued messages:
// it hands every queued message to the game.
void WebPump(void);

// Starts listening to the page's focus and visibility.
void WebListenFocus(void);

// How many frames have been presented; whether any was since the count was
// count; the headless trace's hash of the last one.
int32_t WebPresentCount(void);
bool WebPresentedSince(int32_t count);
uint64_t WebFrameHash(void);

// How many timer ticks have been delivered.
int32_t WebTickCount(void);

// The key messages and focus changes so far, as a headless key file (test mode).
const char *WebEventLog(void);
void WebKeepEventLog(bool on);

// Notes a sound started, for the scripted clock's report.
void WebNoteSound(const char *name);

// The sounds started since WebClearSounds, joined by commas.
const char *WebSoundsStarted(void);
void WebClearSounds(void);
