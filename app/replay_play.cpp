// Playing a replay back. The platform's messages no longer reach the game:
// each timer message of the platform becomes one tick of the replay, whose
// recorded messages, timer and step are handed to the game as the run had
// them. The viewer's keys arrive as MsgViewer controls instead.
#include <cstdio>
#include <cstring>

#include "app/replay.h"
#include "app/shell.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "res/files.h"

enum {
    NormalSpeed = NormalTimerSpeed, // speeds in quarters: 1 (1/4x) to 64 (16x)
    MinSpeed = 1,
    MaxSpeed = 64,
    HoldMs = 3000, // how long the window shows the last frame before it closes
};

struct Playback {
    bool on;
    bool window;
    ReplayRecord r;
    int nextEvent, nextCheck;
    int32_t firstBad; // the first tick whose frame differs; 0: none yet
    bool paused;
    int speed;
    bool ended; // the verdict is out
    int hold;   // timer messages left before the window closes, after the verdict
    int status;
};

static Playback P;

bool ReplayPlaying(void) { return P.on; }
int32_t ReplayLastTick(void) { return P.on ? P.r.lastTick : 0; }

bool StartPlayback(const char *text, uint32_t length, bool window, char *error, int errorSize)
{
    memset(&P, 0, sizeof(P));
    if (!ParseReplay(text, length, &P.r, error, errorSize)) return false;
    UseMemorySaves(true);
    for (int i = 0; i < ReplayStartFiles; i++)
        if (!PutMemorySave(ReplayFileNames[i], P.r.files[i].bytes, P.r.files[i].size)) {
            snprintf(error, (size_t)errorSize, "out of memory");
            UseMemorySaves(false);
            FreeReplay(&P.r);
            return false;
        }
    Plat_Seed(1); // as a fresh program starts
    P.on = true;
    P.window = window;
    P.speed = NormalSpeed;
    return true;
}

// Hands the game its close at last: the window goes, and the run ends.
static void CloseGame(void)
{
    P.hold = 0;
    PlatMessage close = {MsgClose, 0};
    HandMessage(&close);
}

// Prints the verdict. cut: the run ended before the replay did (the viewer
// stopped it, or the platform's ticks ran out).
static void Verdict(bool cut)
{
    P.ended = true;
    int32_t run = Shell.TicksRun, last = P.r.lastTick;
    int32_t bad = P.firstBad;
    // Closed before its last tick, or on it with another frame.
    if (!bad && !cut && run < last) bad = run + 1;
    if (!bad && !cut && PresentedHash() != P.r.lastHash) bad = last;
    if (bad) {
        printf("replay diverged at tick %d\n", (int)bad);
        P.status = 3;
    } else if (cut) {
        printf("replay stopped at tick %d of %d\n", (int)run, (int)last);
        P.status = P.window ? 0 : 3; // headless, nobody chose to stop it
    } else {
        printf("replay matches (%d ticks)\n", (int)last);
    }
    fflush(stdout);
}

// The replay is over: the verdict, then the game's close, after the last
// frame has been seen (and, headless, traced).
static void Finish(bool cut)
{
    Verdict(cut);
    if (cut) {
        CloseGame();
        return;
    }
    P.hold = P.window ? HoldMs / ArmedTimerPeriod() : 1;
    if (P.hold < 1) P.hold = 1;
}

// Hands the game the recorded messages up to tick; false when the replay
// ended there (its close: the run went no further).
static bool Feed(int32_t tick)
{
    while (P.nextEvent < P.r.eventCount && P.r.events[P.nextEvent].tick <= tick) {
        const ReplayEvent *e = &P.r.events[P.nextEvent++];
        PlatMessage msg = {MsgNull, 0};
        switch (e->kind) {
        case ReplayDown: msg = {MsgKeyDown, e->vk}; break;
        case ReplayUp: msg = {MsgKeyUp, e->vk}; break;
        case ReplayFocusLost: msg = {MsgKillFocus, 0}; break;
        default: Finish(false); return false;
        }
        HandMessage(&msg);
    }
    return true;
}

// Compares the frame of tick with the replay's checkpoint, if it has one.
static void Check(int32_t tick)
{
    while (P.nextCheck < P.r.checkCount && P.r.checks[P.nextCheck].tick < tick) P.nextCheck++;
    if (P.nextCheck == P.r.checkCount || P.r.checks[P.nextCheck].tick != tick) return;
    if (!P.firstBad && P.r.checks[P.nextCheck].hash != PresentedHash()) P.firstBad = tick;
    P.nextCheck++;
}

// One tick of the replay: its messages, its timer and its step. The messages
// of the next tick follow at once, as they followed the step in the run.
static void PlayTick(void)
{
    int32_t tick = Shell.TicksRun + 1;
    if (!Feed(tick)) return;
    if (tick > P.r.lastTick) {
        Finish(false);
        return;
    }
    PlatMessage timer = {MsgTimer, FrameTimerId}, step = {MsgNull, 0};
    HandMessage(&timer);
    HandMessage(&step);
    Check(tick);
    if (!Feed(tick + 1)) return;
    if (tick == P.r.lastTick) Finish(false);
}

static void Control(int control)
{
    switch (control) {
    case ViewerStop:
        if (!P.ended)
            Finish(true);
        else if (P.hold > 0)
            CloseGame();
        break;
    case ViewerPause: P.paused = !P.paused; break;
    case ViewerFaster:
    case ViewerSlower:
        P.speed = control == ViewerFaster ? P.speed * 2 : P.speed / 2;
        P.speed = P.speed < MinSpeed ? MinSpeed : P.speed > MaxSpeed ? MaxSpeed : P.speed;
        SetTimerSpeed(P.speed); // a replay in the window runs at its viewer's speed
        break;
    default: break;
    }
}

void PlayReplayMessage(const PlatMessage *msg)
{
    switch (msg->kind) {
    case MsgTimer:
        if (!P.ended) {
            if (!P.paused) PlayTick();
        } else if (P.hold > 0 && --P.hold == 0) {
            CloseGame();
        }
        break;
    case MsgViewer: Control(msg->code); break;
    case MsgDestroy: HandMessage(msg); break;
    // The game's own closes come from the replay's close line instead, and a
    // null message would run a frame step the run never had.
    default: break; // the viewer's keys and focus are no part of the run
    }
}

int EndPlayback(void)
{
    if (P.on && !P.ended) Verdict(true);
    int status = P.status;
    FreeReplay(&P.r);
    UseMemorySaves(false);
    memset(&P, 0, sizeof(P));
    Clock.speed = NormalTimerSpeed;
    return status;
}
