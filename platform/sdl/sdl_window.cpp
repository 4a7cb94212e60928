// The SDL2 platform: one window showing the 240 x 320 frame at a whole-number
// scale or full screen, keyboard and game controllers turned into the game's
// virtual keys, and the frame timer, which alone paces the ticks.
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/common/display.h"
#include "platform/common/queue.h"
#include "platform/common/taps.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_local.h"

enum {
    MaxControllers = 8,
    MaxPresentGap = 100, // ms: a display slower than the ticks still shows 10 frames a second
};

struct SdlState {
    SDL_Window *window;
    SDL_Renderer *renderer;
    SDL_Texture *texture;
    bool windowOpen;
    bool quitPosted;
    bool everFocused; // stray focus events while mapping do not count
    bool fullScreen;
    bool windowedWanted;   // Plat_SetDisplayMode
    int scaleWanted;       // 0: the largest that fits
    bool closeOnFocusLoss; // the pocket computer's rule instead of freezing
    bool viewerKeys;       // a replay plays: keys are its controls
    bool focusLost, minimised, suspended;
    SDL_Surface *icon;         // kept until the window exists
    uint64_t ignoreFocusUntil; // switching full screen may blur the window for a moment
    PlatQueue queue;
    bool timerArmed;
    int timerId;
    uint32_t timerPeriod;
    uint64_t nextTick; // SDL_GetTicks64 time of the next timer message
    SDL_GameController *controllers[MaxControllers];
    TapState taps;
    bool chordHeld[SDL_NUM_SCANCODES]; // went down as a window chord: its repeats and release too
    bool gameHeld[SDL_NUM_SCANCODES];  // went down to the game: a chord cannot take it over
    bool framePending;                 // a frame waits in the texture for its present
    bool framePresented;               // the texture holds a frame (shown again when exposed)
    uint64_t presentCost;              // what the last present took, in performance-counter units
    uint64_t presentedAt;              // SDL_GetTicks64 time of the last present
    char error[256];
    char dataFolder[4096];
};

static SdlState S;
static void (*PresentHook)(SDL_Renderer *renderer);

SDL_Window *SdlWindow(void) { return S.window; }
void SdlSetPresentHook(void (*hook)(SDL_Renderer *renderer)) { PresentHook = hook; }
static uint16_t Frame[DisplayWidth * DisplayHeight];

static void Enqueue(int kind, int32_t code) { QueuePush(&S.queue, kind, code); }

static void SetError(const char *what)
{
    snprintf(S.error, sizeof(S.error), "%s%s%s", what, SDL_GetError()[0] ? ": " : "",
             SDL_GetError());
}

const char *Plat_LastError(void) { return S.error; }

// The window's scale: the player's, or the largest whole number at which the
// frame fits the usable display.
static int WindowScale(void)
{
    if (S.scaleWanted > 0) return S.scaleWanted;
    SDL_Rect r;
    int display = S.window ? SDL_GetWindowDisplayIndex(S.window) : 0;
    if (SDL_GetDisplayUsableBounds(display < 0 ? 0 : display, &r) != 0) return 2;
    int sx = r.w / DisplayWidth, sy = (r.h - 40) / DisplayHeight;
    int s = sx < sy ? sx : sy;
    return s < 1 ? 1 : s;
}

static void SetFullScreen(bool on)
{
    S.fullScreen = on;
    S.ignoreFocusUntil = SDL_GetTicks64() + 500;
    if (on) {
        SDL_SetWindowFullscreen(S.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(S.window, 0);
        int s = WindowScale();
        SDL_SetWindowSize(S.window, DisplayWidth * s, DisplayHeight * s);
        SDL_SetWindowPosition(S.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
}

bool Plat_OpenWindow(void)
{
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
#ifndef _WIN32
    // Without a Wayland session, do not let the Wayland probe complain on stderr.
    if (!getenv("SDL_VIDEODRIVER") && !getenv("WAYLAND_DISPLAY"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,kmsdrm");
#endif
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER) != 0) {
        SetError("SDL video");
        return false;
    }
    // SDL falls back to drawing nowhere when no display exists; that is no
    // display for a player, unless somebody asked for it by name.
    const char *driver = SDL_GetCurrentVideoDriver();
    if (!getenv("SDL_VIDEODRIVER") && driver &&
        (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0)) {
        snprintf(S.error, sizeof(S.error), "no display found (set DISPLAY or WAYLAND_DISPLAY)");
        SDL_Quit();
        return false;
    }
    // The caller has settled the command line, ZUX_WINDOWED and zux.cfg already.
    bool windowed = S.windowedWanted;
    S.window = SDL_CreateWindow("zux", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                DisplayWidth * 2, DisplayHeight * 2,
                                SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI |
                                    (windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP));
    if (!S.window) {
        SetError("window");
        SDL_Quit();
        return false;
    }
    SDL_SetWindowMinimumSize(S.window, DisplayWidth, DisplayHeight);
    // No waiting for the display: a present that waited for a slow display's
    // refresh would hold up the ticks behind it.
    S.renderer = SDL_CreateRenderer(S.window, -1, 0);
    if (!S.renderer) {
        SetError("renderer");
        SDL_DestroyWindow(S.window);
        S.window = nullptr;
        SDL_Quit();
        return false;
    }
    SDL_RenderSetLogicalSize(S.renderer, DisplayWidth, DisplayHeight);
    SDL_RenderSetIntegerScale(S.renderer, SDL_TRUE);
    S.texture = SDL_CreateTexture(S.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                  DisplayWidth, DisplayHeight);
    if (!S.texture) {
        SetError("texture");
        SDL_DestroyRenderer(S.renderer);
        SDL_DestroyWindow(S.window);
        S.renderer = nullptr;
        S.window = nullptr;
        SDL_Quit();
        return false;
    }
    if (windowed) SetFullScreen(false);
    S.fullScreen = !windowed;
    if (S.icon) SDL_SetWindowIcon(S.window, S.icon);
    SDL_ShowCursor(SDL_DISABLE);
    SdlPlaceLateBindings();
    S.windowOpen = true;
    S.framePending = S.framePresented = false;
    S.presentCost = 0;
    SdlOpenAudio();
    return true;
}

void Plat_CloseWindow(void)
{
    SdlCloseAudio();
    for (int i = 0; i < MaxControllers; i++)
        if (S.controllers[i]) {
            SDL_GameControllerClose(S.controllers[i]);
            S.controllers[i] = nullptr;
        }
    if (S.texture) SDL_DestroyTexture(S.texture);
    if (S.renderer) SDL_DestroyRenderer(S.renderer);
    if (S.window) SDL_DestroyWindow(S.window);
    if (S.icon) SDL_FreeSurface(S.icon);
    S.icon = nullptr;
    S.texture = nullptr;
    S.renderer = nullptr;
    S.window = nullptr;
    SDL_Quit();
}

void Plat_DestroyWindow(void)
{
    if (!S.windowOpen) return;
    S.windowOpen = false;
    S.timerArmed = false;
    QueueClear(&S.queue); // what was queued for the window dies with it
    if (S.window) SDL_HideWindow(S.window);
    Enqueue(MsgDestroy, 0);
}

void Plat_PostClose(void)
{
    if (S.windowOpen) Enqueue(MsgClose, 0);
}

void Plat_PostQuit(int) { S.quitPosted = true; }

void Plat_SetDisplayMode(bool windowed, int scale)
{
    S.windowedWanted = windowed;
    S.scaleWanted = scale > 0 ? scale : 0;
}

void Plat_SetCloseOnFocusLoss(bool close) { S.closeOnFocusLoss = close; }

void Plat_SetViewerKeys(bool on) { S.viewerKeys = on; }

// The replay control a key stands for; 0 for none.
static int ViewerControlOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_ESCAPE:
    case SDLK_F8: return ViewerStop;
    case SDLK_SPACE: return ViewerPause;
    case SDLK_PLUS:
    case SDLK_EQUALS: // + without Shift on most layouts
    case SDLK_KP_PLUS: return ViewerFaster;
    case SDLK_MINUS:
    case SDLK_KP_MINUS: return ViewerSlower;
    default: return 0;
    }
}

void Plat_SetWindowIcon(const uint16_t *pixels, int width, int height)
{
    if (!pixels || width <= 0 || height <= 0) return;
    SDL_Surface *icon =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
    if (!icon) return;
    for (int y = 0; y < height; y++)
        memcpy((uint8_t *)icon->pixels + y * icon->pitch, pixels + y * width,
               (size_t)width * sizeof(uint16_t));
    SDL_SetColorKey(icon, SDL_TRUE, 0);
    if (S.icon) SDL_FreeSurface(S.icon);
    S.icon = icon;
    if (S.window) SDL_SetWindowIcon(S.window, S.icon);
}

#ifndef ZUX_DATA_DIR
#define ZUX_DATA_DIR ""
#endif
#ifndef ZUX_DATA_REL
#define ZUX_DATA_REL ""
#endif

static void IgnoreFile(const char *, int64_t, void *) {}

const char *Plat_DataFolder(void)
{
    // The install's own data folder, found from the program's, wins over the
    // one the build was configured for: a prefix can be copied or moved.
    if (!S.dataFolder[0]) {
        snprintf(S.dataFolder, sizeof(S.dataFolder), "%s", ZUX_DATA_DIR);
        char near[sizeof(S.dataFolder)];
        int n = snprintf(near, sizeof(near), "%s%s", Plat_ProgramFolder(), ZUX_DATA_REL);
        if (ZUX_DATA_REL[0] && n > 0 && (size_t)n < sizeof(near) &&
            Plat_ListFolder(near, IgnoreFile, nullptr))
            memcpy(S.dataFolder, near, (size_t)n + 1);
    }
    return S.dataFolder;
}

void Plat_FileSaved(const char *) {}

void Plat_SetTimer(int id, int periodMs)
{
    S.timerArmed = true;
    S.timerId = id;
    S.timerPeriod = periodMs > 0 ? (uint32_t)periodMs : 1;
    S.nextTick = SDL_GetTicks64() + S.timerPeriod;
}

uint16_t *Plat_BeginDraw(void) { return S.texture ? Frame : nullptr; }

void SdlUploadFrame(SDL_Texture *texture, const uint16_t *frame)
{
    SDL_UpdateTexture(texture, nullptr, frame, DisplayWidth * (int)sizeof(uint16_t));
}

// Shows the texture, and notes what that took.
static void Present(void)
{
    uint64_t start = SDL_GetPerformanceCounter();
    SDL_SetRenderDrawColor(S.renderer, 0, 0, 0, 255);
    SDL_RenderClear(S.renderer);
    SDL_RenderCopy(S.renderer, S.texture, nullptr, nullptr);
    SDL_RenderPresent(S.renderer);
    if (PresentHook) PresentHook(S.renderer);
    S.presentCost = SDL_GetPerformanceCounter() - start;
    S.presentedAt = SDL_GetTicks64();
    S.framePending = false;
    S.framePresented = true;
}

// True when a present, taking as long as the last one, ends before the tick
// after the next is due: a tick it delays still runs before that one, so the
// clock loses nothing. A slower display is shown every other frame or so, and
// never less than every MaxPresentGap ms, at the cost of a tick if need be.
static bool PresentFits(uint64_t now)
{
    if (!S.timerArmed || S.suspended || now >= S.presentedAt + MaxPresentGap) return true;
    uint64_t costMs = S.presentCost * 1000 / SDL_GetPerformanceFrequency() + 1;
    return now + costMs < S.nextTick + S.timerPeriod;
}

// The frame goes into the texture, and onto the display at once when that
// costs no tick; else when the message loop has the time (Plat_GetMessage).
void Plat_EndDraw(void)
{
    SdlUploadFrame(S.texture, Frame);
    S.framePending = true;
    if (PresentFits(SDL_GetTicks64())) Present();
}

const char *Plat_ProgramFolder(void) { return Plat_ExecutableFolder(); }

static void OpenController(int index)
{
    if (!SDL_IsGameController(index)) return;
    for (int i = 0; i < MaxControllers; i++)
        if (!S.controllers[i]) {
            S.controllers[i] = SDL_GameControllerOpen(index);
            return;
        }
}

static void CloseController(SDL_JoystickID id)
{
    for (int i = 0; i < MaxControllers; i++)
        if (S.controllers[i] &&
            SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(S.controllers[i])) == id) {
            SDL_GameControllerClose(S.controllers[i]);
            S.controllers[i] = nullptr;
        }
}

// Queues a key message by the quick-tap rule.
static void SendKey(int32_t vk, bool down) { TapKey(&S.taps, vk, down, Enqueue); }

// Freezes the game while the window has no focus or is minimised, and lets it
// run on when both are back. Releases a tick has not yet seen go out first,
// since no tick will come to send them.
static void UpdateSuspended(void)
{
    bool away = S.focusLost || S.minimised;
    if (away == S.suspended) return;
    S.suspended = away;
    // The screensaver may come while the game stands still, never while it runs.
    if (away) {
        TapTick(&S.taps, Enqueue);
        Enqueue(MsgSuspend, 0);
        SDL_EnableScreenSaver();
    } else {
        Enqueue(MsgResume, 0);
        S.nextTick = SDL_GetTicks64() + S.timerPeriod;
        SDL_DisableScreenSaver();
    }
}

// The window lost or regained the focus, or was minimised or restored.
static void FocusEvent(uint8_t event)
{
    if (event == SDL_WINDOWEVENT_FOCUS_GAINED) S.everFocused = true;
    // Stray focus events while mapping or switching full screen do not count.
    bool counts = S.everFocused && SDL_GetTicks64() >= S.ignoreFocusUntil;
    if (S.closeOnFocusLoss) {
        if (event == SDL_WINDOWEVENT_FOCUS_LOST && counts) Enqueue(MsgKillFocus, 0);
        return;
    }
    switch (event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (counts) S.focusLost = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: S.focusLost = false; break;
    case SDL_WINDOWEVENT_MINIMIZED: S.minimised = true; break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: S.minimised = false; break;
    default: return;
    }
    UpdateSuspended();
}

// A window chord (F11, Alt+Enter) switches full screen on its first down; that
// key's repeats and release are the chord's too, Alt let go or not. A key the
// game already holds stays the game's.
static bool WindowChord(const SDL_KeyboardEvent *k)
{
    SDL_Scancode sc = k->keysym.scancode;
    if (sc < 0 || sc >= SDL_NUM_SCANCODES) return false;
    bool down = k->type == SDL_KEYDOWN;
    if (S.chordHeld[sc]) {
        if (!down) S.chordHeld[sc] = false;
        return true;
    }
    bool enter = sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER;
    if (!down || S.gameHeld[sc] ||
        !(sc == SDL_SCANCODE_F11 || (enter && (k->keysym.mod & KMOD_ALT))))
        return false;
    S.chordHeld[sc] = true;
    if (!k->repeat) SetFullScreen(!S.fullScreen);
    return true;
}

static void KeyEvent(const SDL_KeyboardEvent *k)
{
    bool down = k->type == SDL_KEYDOWN;
    if (WindowChord(k)) return;
    if (S.viewerKeys) {
        int control = down && !k->repeat ? ViewerControlOf(k->keysym.sym) : 0;
        if (control) Enqueue(MsgViewer, control);
        return;
    }
    SDL_Scancode sc = k->keysym.scancode;
    if (sc > 0 && sc < SDL_NUM_SCANCODES) S.gameHeld[sc] = down;
    SendKey(SdlKeyboardKey(sc), down);
}

// Turns one SDL event into the window messages it stands for.
static void TranslateEvent(const SDL_Event *e)
{
    switch (e->type) {
    // A replay's viewer closing the window stops the replay; only the game closes it.
    case SDL_QUIT:
        Enqueue(S.viewerKeys ? MsgViewer : MsgClose, S.viewerKeys ? ViewerStop : 0);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: KeyEvent(&e->key); break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        if (S.viewerKeys) break;
        SendKey(SdlControllerKey(e->cbutton.button), e->type == SDL_CONTROLLERBUTTONDOWN);
        break;
    }
    case SDL_CONTROLLERDEVICEADDED: OpenController(e->cdevice.which); break;
    case SDL_CONTROLLERDEVICEREMOVED: CloseController(e->cdevice.which); break;
    case SDL_WINDOWEVENT:
        if (e->window.event == SDL_WINDOWEVENT_CLOSE)
            Enqueue(S.viewerKeys ? MsgViewer : MsgClose, S.viewerKeys ? ViewerStop : 0);
        else if (e->window.event == SDL_WINDOWEVENT_EXPOSED ||
                 e->window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            S.framePending = S.framePresented; // shown again, frozen or not
        else
            FocusEvent(e->window.event);
        break;
    default: break;
    }
}

bool Plat_GetMessage(PlatMessage *msg)
{
    for (;;) {
        if (S.quitPosted) return false;
        if (QueuePop(&S.queue, msg)) return true;
        uint64_t now = SDL_GetTicks64();
        // A frozen game gets no timer messages: nothing to run, nothing to spend.
        if (S.timerArmed && !S.suspended && now >= S.nextTick) {
            // Ticks slower than the timer (a replay played fast) must not
            // starve the input: the events waiting are read first.
            SDL_Event e;
            while (S.queue.count < PlatQueueSize - 8 && SDL_PollEvent(&e)) TranslateEvent(&e);
            // A late timer drops the ticks it missed instead of queueing them.
            S.nextTick += S.timerPeriod;
            if (S.nextTick <= now) S.nextTick = now + S.timerPeriod;
            Enqueue(MsgTimer, S.timerId);
            Enqueue(MsgNull, 0); // runs the tick at once
            TapTick(&S.taps, Enqueue);
            continue;
        }
        if (S.framePending && S.texture && PresentFits(now)) {
            Present();
            continue;
        }
        int wait = S.timerArmed && !S.suspended ? (int)(S.nextTick - now) : 100;
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, wait)) {
            TranslateEvent(&e);
            while (S.queue.count < PlatQueueSize - 8 && SDL_PollEvent(&e)) TranslateEvent(&e);
        }
    }
}
