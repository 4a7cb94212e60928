// The browser platform: the 240 x 320 frame put on the page's canvas, the
// window's message queue fed by browser events, and the frame timer over the
// browser's own timer, or a virtual clock in the scripted test mode.
#include <cstdio>
#include <cstring>
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include "platform/common/display.h"
#include "platform/common/keyfile.h"
#include "platform/common/queue.h"
#include "platform/common/taps.h"
#include "platform/platform.h"
#include "platform/web/web_local.h"

enum {
    LogSize = 64 * 1024,
    SoundListSize = 256,
};

struct WebState {
    PlatQueue queue;
    bool windowOpen;
    bool quitPosted;
    bool scripted;
    bool timerArmed;
    int timerId;
    double timerPeriod;
    double nextTick; // performance.now() time of the next timer message
    long timeout;    // the browser timeout waiting for it, 0 for none
    int32_t ticks;
    int32_t presents;
    bool hidden;
    bool blurred;
    bool suspended;
    TapState taps;
    bool keepLog;
    int logUsed;
    char log[LogSize];
    char sounds[SoundListSize];
};

static WebState W;
static uint16_t Frame[DisplayWidth * DisplayHeight];
static uint32_t Rgba[DisplayWidth * DisplayHeight];

// Puts the RGBA frame on the canvas.
EM_JS(void, WebPutFrame, (const uint32_t *rgba), { zuxPage.putFrame(HEAPU8, rgba); });

// Logs a queued message in key-file form: it is delivered in tick ticks + 1.
static void LogMessage(int kind, int32_t code)
{
    if (!W.keepLog) return;
    const char *what = nullptr, *key = nullptr;
    switch (kind) {
    case MsgKeyDown: what = "down", key = Plat_KeyName(code); break;
    case MsgKeyUp: what = "up", key = Plat_KeyName(code); break;
    case MsgSuspend: what = "focus-away"; break;
    case MsgResume: what = "focus-back"; break;
    default: return;
    }
    if ((kind == MsgKeyDown || kind == MsgKeyUp) && !key) return;
    int n = snprintf(W.log + W.logUsed, (size_t)(LogSize - W.logUsed), "%d %s%s%s\n",
                     (int)W.ticks + 1, what, key ? " " : "", key ? key : "");
    if (n > 0 && W.logUsed + n < LogSize) W.logUsed += n;
}

static void Enqueue(int kind, int32_t code)
{
    if (QueuePush(&W.queue, kind, code)) LogMessage(kind, code);
}

void WebSendMessage(int kind, int32_t code) { Enqueue(kind, code); }

bool WebNextMessage(PlatMessage *msg) { return QueuePop(&W.queue, msg); }

bool WebQuitPosted(void) { return W.quitPosted; }
int32_t WebPresentCount(void) { return W.presents; }
bool WebPresentedSince(int32_t count) { return W.presents != count; }
int32_t WebTickCount(void) { return W.ticks; }
const char *WebEventLog(void) { return W.log; }
const char *WebSoundsStarted(void) { return W.sounds; }
void WebClearSounds(void) { W.sounds[0] = 0; }

void WebKeepEventLog(bool on)
{
    W.keepLog = on;
    W.logUsed = 0;
    W.log[0] = 0;
}

// Adds a sound's name to the list the scripted clock reports per tick.
void WebNoteSound(const char *name)
{
    size_t used = strlen(W.sounds);
    snprintf(W.sounds + used, sizeof(W.sounds) - used, "%s%s", used ? "," : "", name);
}

void WebSendKey(int32_t vk, bool down)
{
    if (W.windowOpen) TapKey(&W.taps, vk, down, Enqueue);
}

// One tick: the timer message, the null message that runs it at once, then
// the releases that waited for it.
static void BeginTick(void)
{
    W.ticks++;
    Enqueue(MsgTimer, W.timerId);
    Enqueue(MsgNull, 0);
    TapTick(&W.taps, Enqueue);
}

static void OnTimeout(void *);

static void ScheduleTimer(void)
{
    if (W.timeout) emscripten_clear_timeout(W.timeout);
    W.timeout = 0;
    if (!W.timerArmed || W.scripted || !W.windowOpen) return;
    double wait = W.nextTick - emscripten_get_now();
    W.timeout = emscripten_set_timeout(OnTimeout, wait > 0 ? wait : 0, nullptr);
}

// The browser's timer: a late tick drops the ticks it missed instead of
// queueing them, as the desktop's does.
static void OnTimeout(void *)
{
    W.timeout = 0;
    double now = emscripten_get_now();
    // Browser timeouts may wake a fraction of a millisecond early.
    if (W.timerArmed && now + 0.5 >= W.nextTick) {
        W.nextTick += W.timerPeriod;
        if (W.nextTick <= now) W.nextTick = now + W.timerPeriod;
        WebPollGamepads();
        BeginTick();
        WebPump();
    }
    ScheduleTimer();
}

void WebUseScriptedClock(bool on) { W.scripted = on; }

void WebScriptTick(int32_t tick, const HeadlessEvent *events, int count)
{
    // Scripted keys go in as they are written, as the headless clock delivers them.
    for (int i = 0; i < count; i++) {
        const HeadlessEvent *e = &events[i];
        int kind = Headless_ActionMessage(e->action);
        if (kind != MsgNull) Enqueue(kind, kind == MsgKeyDown || kind == MsgKeyUp ? e->vk : 0);
    }
    W.ticks = tick;
    if (W.timerArmed) Enqueue(MsgTimer, W.timerId);
    Enqueue(MsgNull, 0);
}

// The page left or came back: the game freezes while it is hidden or blurred.
static void UpdateSuspended(void)
{
    bool away = W.hidden || W.blurred;
    if (away == W.suspended || !W.windowOpen || W.scripted) return;
    W.suspended = away;
    Enqueue(away ? MsgSuspend : MsgResume, 0);
    WebPump();
}

static EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent *e, void *)
{
    W.hidden = e->hidden;
    UpdateSuspended();
    return EM_FALSE;
}

static EM_BOOL OnFocus(int type, const EmscriptenFocusEvent *, void *)
{
    W.blurred = type == EMSCRIPTEN_EVENT_BLUR;
    UpdateSuspended();
    return EM_FALSE;
}

void WebListenFocus(void)
{
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibility);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnFocus);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnFocus);
}

bool Plat_OpenWindow(void)
{
    W.windowOpen = true;
    W.suspended = false;
    return true;
}

const char *Plat_LastError(void) { return ""; }

bool Plat_GetMessage(PlatMessage *msg)
{
    // The browser's page never blocks: the program pumps the queue itself
    // (WebNextMessage) whenever an event has filled it.
    return !W.quitPosted && WebNextMessage(msg);
}

void Plat_PostClose(void)
{
    if (W.windowOpen) Enqueue(MsgClose, 0);
}

void Plat_DestroyWindow(void)
{
    if (!W.windowOpen) return;
    W.windowOpen = false;
    W.timerArmed = false;
    QueueClear(&W.queue); // what was queued for the window dies with it
    ScheduleTimer();
    Enqueue(MsgDestroy, 0);
}

void Plat_PostQuit(int) { W.quitPosted = true; }

void Plat_SetTimer(int id, int periodMs)
{
    W.timerArmed = true;
    W.timerId = id;
    W.timerPeriod = periodMs > 0 ? periodMs : 1;
    W.nextTick = emscripten_get_now() + W.timerPeriod;
    ScheduleTimer();
}

uint16_t *Plat_BeginDraw(void) { return Frame; }

void Plat_EndDraw(void)
{
    // 5-6-5 to RGBA, each channel widened by bit replication, in one pass.
    for (int i = 0; i < DisplayWidth * DisplayHeight; i++) {
        uint32_t p = Frame[i];
        uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
        r = r << 3 | r >> 2;
        g = g << 2 | g >> 4;
        b = b << 3 | b >> 2;
        Rgba[i] = 0xFF000000u | b << 16 | g << 8 | r;
    }
    W.presents++;
    WebPutFrame(Rgba);
}

uint64_t WebFrameHash(void) { return Plat_FrameHash(Frame, DisplayWidth * DisplayHeight); }

void Plat_CloseWindow(void) {}

// The page is sized by the browser; full screen is the browser's own affair.
void Plat_SetDisplayMode(bool, int) {}

// A page never closes itself: leaving it always freezes the game.
void Plat_SetCloseOnFocusLoss(bool) {}

void Plat_SetWindowIcon(const uint16_t *, int, int) {}
