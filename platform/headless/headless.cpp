// The headless platform: the same messages the real window delivers, made by a
// virtual clock. Tick T delivers the scripted key events of T, one timer message
// and a null message on which the frame step runs the tick.
#include "platform/headless/headless.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/common/display.h"
#include "platform/common/queue.h"
#include "platform/platform.h"

enum {
    FolderSize = 1024,
    ClosingGrace = 64, // ticks the program gets to close after its last tick
};

struct HeadlessState {
    PlatQueue queue;
    bool windowOpen;
    bool quitPosted;
    bool stepRunning; // the tick's null message was handed out: its step is running
    int32_t tick;
    int32_t lastTick;
    int32_t timerPeriod;
    bool timerArmed;
    int timerId;
    bool displayFails;
    bool presented;
    int32_t presentCount;
    int soundCount;
    char sounds[HeadlessMaxSoundsPerTick][HeadlessSoundName];
    HeadlessEvent *events;
    int eventCount;
    int nextEvent;
    void (*hook)(int32_t tick);
    int32_t soundStops;
    int iconWidth;
    char folder[FolderSize];
    char dataFolder[FolderSize];
    char error[256];
};

static HeadlessState H;
static uint16_t Frame[DisplayWidth * DisplayHeight];

static void Enqueue(int kind, int32_t code) { QueuePush(&H.queue, kind, code); }

void Headless_Reset(void)
{
    free(H.events);
    memset(&H, 0, sizeof(H));
    memset(Frame, 0, sizeof(Frame));
    H.lastTick = 20000;
    H.stepRunning = true; // start-up counts as tick 0
    Plat_Seed(1);
}

// Copies dir into a folder buffer of FolderSize bytes, ending it in '/'.
static void CopyFolder(char *folder, const char *dir)
{
    size_t n = strlen(dir);
    if (n + 2 > FolderSize) n = FolderSize - 2;
    memcpy(folder, dir, n);
    if (n == 0 || folder[n - 1] != '/') folder[n++] = '/';
    folder[n] = 0;
}

void Headless_SetFolder(const char *dir) { CopyFolder(H.folder, dir); }

void Headless_SetDataFolder(const char *dir)
{
    if (dir[0])
        CopyFolder(H.dataFolder, dir);
    else
        H.dataFolder[0] = 0;
}

void Headless_SetLastTick(int32_t lastTick) { H.lastTick = lastTick; }

bool Headless_SetEvents(const HeadlessEvent *events, int count)
{
    free(H.events);
    H.events = nullptr;
    H.eventCount = 0;
    H.nextEvent = 0;
    if (count <= 0) return true;
    H.events = (HeadlessEvent *)malloc(sizeof(HeadlessEvent) * (size_t)count);
    if (!H.events) return false;
    memcpy(H.events, events, sizeof(HeadlessEvent) * (size_t)count);
    H.eventCount = count;
    return true;
}

void Headless_SetTickHook(void (*hook)(int32_t tick)) { H.hook = hook; }
int32_t Headless_CurrentTick(void) { return H.tick; }
const uint16_t *Headless_Frame(void) { return Frame; }
bool Headless_PresentedThisTick(void) { return H.presented; }
int32_t Headless_PresentCount(void) { return H.presentCount; }
int32_t Headless_TimerPeriod(void) { return H.timerPeriod; }
int Headless_SoundCount(void) { return H.soundCount; }
const char *Headless_SoundName(int index)
{
    return index >= 0 && index < H.soundCount ? H.sounds[index] : "";
}
void Headless_SetDisplayFails(bool fails) { H.displayFails = fails; }
int32_t Headless_SoundStops(void) { return H.soundStops; }
int Headless_IconWidth(void) { return H.iconWidth; }

uint64_t Headless_FrameHash(const uint16_t *frame, int pixelCount)
{
    return Plat_FrameHash(frame, pixelCount);
}

// Starts the next tick: its key events, then the timer and the null message.
static void BeginTick(void)
{
    H.tick++;
    H.presented = false;
    H.soundCount = 0;
    while (H.nextEvent < H.eventCount && H.events[H.nextEvent].tick < H.tick) H.nextEvent++;
    while (H.nextEvent < H.eventCount && H.events[H.nextEvent].tick == H.tick) {
        const HeadlessEvent *e = &H.events[H.nextEvent++];
        int kind = Headless_ActionMessage(e->action);
        if (kind != MsgNull) Enqueue(kind, kind == MsgKeyDown || kind == MsgKeyUp ? e->vk : 0);
    }
    if (H.timerArmed) Enqueue(MsgTimer, H.timerId);
    Enqueue(MsgNull, 0);
}

bool Plat_OpenWindow(void)
{
    H.windowOpen = true;
    return true;
}

const char *Plat_LastError(void) { return H.error; }

bool Plat_GetMessage(PlatMessage *msg)
{
    // The frame step runs between handing out the null message and the next
    // call, so the step of the tick is over now.
    if (H.stepRunning) {
        H.stepRunning = false;
        if (H.hook) H.hook(H.tick);
    }
    if (H.quitPosted) return false;
    if (H.queue.count == 0) {
        if (H.tick >= H.lastTick) {
            // Past the last tick the window is asked to close; a program that
            // never closes is stopped after a grace period.
            if (H.tick >= H.lastTick + ClosingGrace || !H.windowOpen) return false;
            H.tick++;
            Enqueue(MsgClose, 0);
        } else {
            BeginTick();
        }
    }
    QueuePop(&H.queue, msg);
    if (msg->kind == MsgNull) H.stepRunning = true;
    return true;
}

void Plat_PostClose(void)
{
    if (H.windowOpen) Enqueue(MsgClose, 0);
}

void Plat_DestroyWindow(void)
{
    if (!H.windowOpen) return;
    H.windowOpen = false;
    H.timerArmed = false;
    QueueClear(&H.queue); // what was queued for the window dies with it
    Enqueue(MsgDestroy, 0);
}

void Plat_PostQuit(int) { H.quitPosted = true; }

void Plat_SetTimer(int id, int periodMs)
{
    H.timerArmed = true;
    H.timerId = id;
    H.timerPeriod = periodMs;
}

uint16_t *Plat_BeginDraw(void) { return H.displayFails ? nullptr : Frame; }

void Plat_EndDraw(void)
{
    H.presented = true;
    H.presentCount++;
}

void Plat_CloseWindow(void) {}

void Plat_PlaySound(const char *name, const uint8_t *, uint32_t)
{
    if (H.soundCount == HeadlessMaxSoundsPerTick) return;
    snprintf(H.sounds[H.soundCount++], HeadlessSoundName, "%s", name ? name : "");
}

void Plat_StopSound(void) { H.soundStops++; }

const char *Plat_ProgramFolder(void) { return H.folder[0] ? H.folder : "./"; }
const char *Plat_DataFolder(void) { return H.dataFolder; }

// The headless run has no physical keys or window: the settings are accepted and unused.
void Plat_SetDisplayMode(bool, int) {}
void Plat_SetCloseOnFocusLoss(bool) {}
void Plat_SetViewerKeys(bool) {}
bool Plat_BindKey(const char *, int32_t) { return true; }
bool Plat_BindButton(const char *, int32_t) { return true; }
void Plat_FileSaved(const char *) {}
void Plat_SetWindowIcon(const uint16_t *, int width, int) { H.iconWidth = width; }
