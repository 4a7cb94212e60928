// The trace: what the tick did (screen, timer, frame, sounds) and the state of
// the screen it ended on, for end-to-end tests and bug reports.
#include "app/headless_trace.h"

#include <cstdarg>
#include <cstdio>

#include "app/shell.h"
#include "front/intro.h"
#include "front/menu.h"
#include "front/score_screen.h"
#include "front/settings.h"
#include "game/game_screen.h"
#include "game/pieces.h"
#include "game/progress.h"
#include "platform/headless/headless.h"
#include "platform/screen.h"

struct TraceWriter {
    char *out;
    size_t size;
    size_t used;
};

static void Put(TraceWriter *w, const char *format, ...)
{
    if (w->used >= w->size) return;
    va_list args;
    va_start(args, format);
    int n = vsnprintf(w->out + w->used, w->size - w->used, format, args);
    va_end(args);
    if (n > 0) w->used += (size_t)n;
    if (w->used >= w->size) w->used = w->size - 1;
}

static const char *ScreenName(int32_t state)
{
    switch (state) {
    case ScreenIntro: return "Intro";
    case ScreenMenu: return "Menu";
    case ScreenNameEntry: return "NameEntry";
    case ScreenScoreTable: return "ScoreTable";
    default: return "Game";
    }
}

// The state of the menu, the score screens and the intro on their screens.
static void PutFrontEndState(TraceWriter *w)
{
    switch (Shell.ScreenState) {
    case ScreenMenu:
        Put(w, ",\"menuState\":%d,\"menuPage\":%d,\"menuSelection\":%d,\"idleTicks\":%u",
            (int)MenuData.menuState, MainMenu ? (int)MainMenu->page : 0,
            MainMenu ? (int)MainMenu->selection : 0, (unsigned)MenuData.idleTicks);
        break;
    case ScreenNameEntry:
    case ScreenScoreTable:
        Put(w, ",\"scorePhase\":%d,\"phaseTicks\":%u,\"letterCount\":%d,\"enteredName\":[%d,%d,%d]",
            (int)ScoreScreen.scorePhase, (unsigned)ScoreScreen.phaseTicks,
            (int)ScoreScreen.letterCount, (int)ScoreScreen.enteredName[0],
            (int)ScoreScreen.enteredName[1], (int)ScoreScreen.enteredName[2]);
        break;
    case ScreenIntro:
        Put(w, ",\"introPhase\":\"%s\",\"light\":%d", IntroPhaseName(Intro.IntroPhase),
            (int)Intro.light);
        break;
    default: break;
    }
}

// The game in progress, on the game screen.
static void PutGameState(TraceWriter *w)
{
    switch (Shell.ScreenState) {
    case ScreenIntro:
    case ScreenMenu:
    case ScreenNameEntry:
    case ScreenScoreTable: return;
    default: break; // every other state runs as the game
    }
    const Piece *piece = FallingPiece();
    Put(w, ",\"gamePhase\":%d,\"gameType\":%d,\"score\":%d,\"level\":%d,\"lines\":%d",
        (int)Game.GamePhase, (int)Game.GameType, (int)Game.Score, (int)Game.Level, (int)Game.Lines);
    Put(w, ",\"fallDelay\":%d,\"pieceX\":%d,\"pieceY\":%d,\"current\":%d,\"next\":%d",
        (int)Game.FallDelay, (int)Game.PieceX, (int)Game.PieceY, (int)Game.CurrentType,
        (int)Game.NextType);
    Put(w, ",\"rotation\":%d,\"savedGameValid\":%d", piece ? (int)piece->rotation : 0,
        (int)SavedGame.SavedGameValid);
}

void FormatTraceLine(int32_t tick, char *line, size_t size)
{
    if (size == 0) return;
    line[0] = 0;
    TraceWriter w = {line, size, 0};
    Put(&w, "{\"tick\":%d,\"screen\":\"%s\",\"timer\":%d", (int)tick, ScreenName(Shell.ScreenState),
        (int)Headless_TimerPeriod());
    bool presented = Headless_PresentedThisTick();
    Put(&w, ",\"presented\":%s", presented ? "true" : "false");
    if (presented)
        Put(&w, ",\"frame\":\"%016llx\"",
            (unsigned long long)Headless_FrameHash(Headless_Frame(),
                                                   (int)(ScreenWidth * ScreenHeight)));
    else
        Put(&w, ",\"frame\":null");
    Put(&w, ",\"sounds\":[");
    for (int i = 0; i < Headless_SoundCount(); i++)
        Put(&w, "%s\"%s\"", i ? "," : "", Headless_SoundName(i));
    Put(&w, "]");
    PutFrontEndState(&w);
    PutGameState(&w);
    Put(&w, "}");
}
