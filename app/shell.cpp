// Start-up, the frame step and shutdown. A window timer paces the game: every
// timer message sets TickFlag, and the frame step after the next retrieved
// message runs exactly one screen step.
#include "app/shell.h"

#include <cstdlib>
#include <cstring>

#include "app/replay.h"
#include "front/intro.h"
#include "front/menu.h"
#include "front/score_screen.h"
#include "front/settings.h"
#include "game/game_screen.h"
#include "game/progress.h"
#include "game/skins.h"
#include "gfx/blit.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/image.h"
#include "res/sound.h"
#include "res/tga.h"

ShellState Shell = {ScreenIntro, 0, 0, {}, 0};

bool StartUp(void)
{
    Shell.ScreenState = ScreenIntro;
    Shell.TickFlag = 0;
    Clock.QuitFlag = 0;
    Clock.TimerPeriod = StartTimerPeriod;
    Shell.Frozen = 0;
    Shell.TicksRun = 0;
    memset(Shell.HeldKeys, 0, sizeof(Shell.HeldKeys));
    if (!OpenScreen()) {
        CloseScreen();
        return false;
    }
    // The window arms the timer as it is created; start-up sets the real period.
    SetTimerPeriod(Clock.TimerPeriod);
    SetTimerPeriod(ShortTimerPeriod);

    OpenKeys();
    SetAllThresholds(100000);
    SetThreshold(KeyLeft, 8);
    SetThreshold(KeyRight, 8);

    OpenResourceArchive();
    Image *loading = LoadImage("Loading.tga");
    if (loading) BlitTransparent(loading, 0, 103);
    PresentFrame(BackBuffer);
    if (loading) {
        FreeImagePixels(loading);
        free(loading);
    }

    Image *icon = LoadImage("Icon.tga");
    if (icon) {
        Plat_SetWindowIcon(icon->pixels, icon->width, icon->height);
        FreeImagePixels(icon);
        free(icon);
    }

    LoadIntro();
    LoadSkins();
    SelectSkin(0);
    LoadScoreScreen();
    ResetScoreScreen(ScoreCursorRest);
    LoadSettings();
    LoadMenu();
    ResetMenu();
    ApplySkinOption();
    LoadSounds();
    Shell.ScreenState = ScreenIntro;
    return true;
}

// One tick of the current screen; the result code drives the transition table.
static int RunScreenStep(int32_t state)
{
    switch (state) {
    case ScreenIntro: return IntroStep();
    case ScreenMenu: return MenuStep();
    case ScreenNameEntry:
    case ScreenScoreTable: return ScoreScreenStep();
    default: return GameTick();
    }
}

int32_t ScreenTransition(int32_t state, int result)
{
    switch (state) {
    case ScreenIntro: return result == 1 ? ScreenMenu : ScreenIntro;
    case ScreenMenu:
        if (result == 1) {
            // Continue: a new game of the saved type, then the saved game over it.
            Game.ContinuePending = 1;
            int32_t type = SavedGame.SavedGameType;
            StartGame(type >= 1 && type <= 3 ? type : 0);
            RestoreSavedGame();
            return ScreenGame;
        }
        if (result >= 2 && result <= 5) {
            StartGame(result - 2);
            return ScreenGame;
        }
        if (result == 6) {
            ResetScoreScreen(ScoreTableDisplay);
            return ScreenScoreTable;
        }
        if (result == -1) Plat_PostClose();
        return ScreenMenu;
    case ScreenNameEntry:
        if (result != 1) return ScreenNameEntry;
        SavedGame.SavedGameValid = 0;
        ResetScoreScreen(ScoreTableDisplay);
        SetTimerPeriod(ShortTimerPeriod);
        return ScreenScoreTable;
    case ScreenScoreTable:
        if (result != 1) return ScreenScoreTable;
        ResetMenu();
        SetTimerPeriod(ShortTimerPeriod);
        return ScreenMenu;
    default: // Game
        if (result == 1) {
            if (ScoreQualifies()) {
                ResetScoreScreen(ScoreCursorRest);
                SetTimerPeriod(ShortTimerPeriod);
                return ScreenNameEntry;
            }
            SavedGame.SavedGameValid = 0;
            ResetMenu();
            return ScreenMenu;
        }
        if (result == 2) {
            ResetMenu();
            return ScreenMenu;
        }
        return state;
    }
}

void FrameStep(void)
{
    if (Clock.QuitFlag || KeyFires(KeyQuit)) Plat_PostClose();
    if (!Shell.TickFlag) return;
    AdvanceKeys();
    Shell.TickFlag = 0;
    Shell.TicksRun++;
    int result = RunScreenStep(Shell.ScreenState);
    Shell.ScreenState = ScreenTransition(Shell.ScreenState, result);
}

// The player left the window: the game stands still where it is, silent, with
// every held key released (each release handed in as a message of its own, so
// it is seen, and recorded, like any other), and the settings saved at once.
static void Freeze(void)
{
    if (Shell.Frozen) return;
    Shell.Frozen = 1;
    Plat_StopSound();
    for (int vk = 0; vk < 256; vk++)
        if (Shell.HeldKeys[vk]) {
            PlatMessage up = {MsgKeyUp, vk};
            HandMessage(&up);
        }
    SaveSettings();
    SaveRecording(); // what was played so far survives the player never coming back
}

void WindowProcedure(const PlatMessage *msg)
{
    if (msg->kind == MsgKeyDown || msg->kind == MsgKeyUp) {
        // A frozen game takes no presses (a controller may still talk).
        if (Shell.Frozen && msg->kind == MsgKeyDown) return;
        if (msg->code >= 0 && msg->code < 256) Shell.HeldKeys[msg->code] = msg->kind == MsgKeyDown;
    }
    switch (msg->kind) {
    case MsgDestroy: Plat_PostQuit(0); break;
    case MsgKillFocus: Clock.QuitFlag = 1; break;
    case MsgKeyDown: OnKeyDown(msg->code); break;
    case MsgKeyUp: OnKeyUp(msg->code); break;
    case MsgTimer:
        if (!Shell.Frozen) Shell.TickFlag = 1;
        break;
    case MsgSuspend: Freeze(); break;
    case MsgResume: Shell.Frozen = 0; break;
    case MsgClose: Plat_DestroyWindow(); break; // what the default handling does
    default: break;
    }
}

void ShutDown(void)
{
    StopRecording(); // closes with the hash of the last frame, still on the screen
    ReleaseSounds();
    CloseScreen();
    SaveSettings();
    ReleaseScoreScreen();
    ReleaseSkins();
    ReleaseMenu();
    ReleaseIntro();
    CloseResourceArchive();
}

void HandMessage(const PlatMessage *msg)
{
    int32_t ticks = Shell.TicksRun;
    FrameStep();
    if (Shell.TicksRun != ticks) RecordTick();
    RecordMessage(msg);
    WindowProcedure(msg);
}

void DeliverMessage(const PlatMessage *msg)
{
    if (ReplayPlaying())
        PlayReplayMessage(msg);
    else
        HandMessage(msg);
}

int RunGame(void)
{
    if (!StartUp()) return 1;
    PlatMessage msg;
    while (Plat_GetMessage(&msg)) DeliverMessage(&msg);
    ShutDown();
    return 0;
}
