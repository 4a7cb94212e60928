// One tick of each heavy screen, with the generated "Data.zux", in-process over
// the headless platform. Each benchmark brings the program to its screen once,
// keeps the state a tick changes, and then times single frame steps, putting
// that state back (untimed) before each so that every tick draws the same kind
// of frame. A tick includes its PresentFrame.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "app/shell.h"
#include "benchmarks/bench_report.h"
#include "front/intro.h"
#include "front/menu.h"
#include "front/score_screen.h"
#include "game/board.h"
#include "game/progress.h"
#include "game/skins.h"
#include "gfx/effects.h"
#include "gfx/intro_effects.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"

// Everything a screen's tick may change, kept and put back.
struct TickState {
    ShellState shell;
    GameState game;
    IntroState intro;
    int32_t bumpAngle;
    std::vector<Spark> sparks;
    Menu menu;
    MenuStateData menuData;
    ScoreScreenState score;
    ShatterState shatter;
    WaveState wave;
    KeyState keys;
    int32_t cells[BoardCells];
    int32_t fullRow;
    std::vector<uint16_t> canvas;
};

static void KeepState(TickState *s)
{
    s->shell = Shell;
    s->game = Game;
    s->intro = Intro;
    s->bumpAngle = BumpMaps.angle;
    s->sparks.assign(Sparks, Sparks + SparkCount);
    if (MainMenu) s->menu = *MainMenu;
    s->menuData = MenuData;
    s->score = ScoreScreen;
    s->shatter = Shatter;
    s->wave = Wave;
    s->keys = Keys;
    Board *board = CurrentBoard();
    memcpy(s->cells, board->cells, sizeof(s->cells));
    s->fullRow = board->fullRow;
    const Image &canvas = board->canvas;
    if (canvas.pixels)
        s->canvas.assign(canvas.pixels, canvas.pixels + (size_t)canvas.width * canvas.height);
}

static void PutStateBack(const TickState *s)
{
    Shell = s->shell;
    Game = s->game;
    Intro = s->intro;
    BumpMaps.angle = s->bumpAngle;
    memcpy(Sparks, s->sparks.data(), sizeof(Spark) * SparkCount);
    if (MainMenu) *MainMenu = s->menu;
    MenuData = s->menuData;
    ScoreScreen = s->score;
    Shatter = s->shatter;
    Wave = s->wave;
    Keys = s->keys;
    Board *board = CurrentBoard();
    memcpy(board->cells, s->cells, sizeof(s->cells));
    board->fullRow = s->fullRow;
    if (!s->canvas.empty())
        memcpy(board->canvas.pixels, s->canvas.data(), s->canvas.size() * sizeof(uint16_t));
}

// Runs n frame steps, untimed, as the message loop would.
static void RunTicks(int n)
{
    for (int i = 0; i < n; i++) {
        Shell.TickFlag = 1;
        FrameStep();
    }
}

// --- Bringing the program to each screen; false when it cannot get there ---

static bool EnterIntroReveal(void)
{
    Shell.ScreenState = ScreenIntro;
    Intro.IntroPhase = IntroReveal;
    Intro.frameCounter = 99; // halfway through the lettering
    RunTicks(1);
    return Intro.IntroPhase == IntroReveal;
}

static bool EnterBumpLight(void)
{
    if (!Intro.lightReady) return false;
    Shell.ScreenState = ScreenIntro;
    Intro.IntroPhase = IntroHold;
    Intro.frameCounter = 100;
    Intro.light = LightBright;
    RunTicks(1);
    return Intro.IntroPhase == IntroHold;
}

static bool EnterMenuPage(void)
{
    Shell.ScreenState = ScreenTransition(ScreenIntro, 1);
    RunTicks(20); // the highlight has started its wobble
    return Shell.ScreenState == ScreenMenu && MenuData.menuState == MenuMainPage;
}

// A game of type A under way, its piece falling.
static bool EnterPlaying(void)
{
    Shell.ScreenState = ScreenTransition(ScreenMenu, 2);
    for (int i = 0; i < 400 && Game.GamePhase != PhasePlaying; i++) RunTicks(1);
    RunTicks(3);
    return Shell.ScreenState == ScreenGame && Game.GamePhase == PhasePlaying;
}

static bool EnterDestruction(void)
{
    if (!EnterPlaying()) return false;
    // A full bottom row, its destruction two steps in.
    Board *board = CurrentBoard();
    for (int c = 1; c <= PlayingColumns; c++) board->cells[(PlayingRows - 1) * BoardCols + c] = 3;
    if (!FindFullRow(board)) return false;
    Game.GamePhase = PhaseDestroying;
    Game.PhaseTicks = 1;
    return true;
}

static bool EnterGameOver(void)
{
    if (!EnterPlaying()) return false;
    Game.GamePhase = PhaseGameOver;
    Game.PhaseTicks = 0;
    RunTicks(12); // the shards are flying
    return Game.GamePhase == PhaseGameOver && Shell.ScreenState == ScreenGame;
}

static bool EnterNameEntry(void)
{
    Shell.ScreenState = ScreenNameEntry;
    ResetScoreScreen(ScoreCursorRest);
    RunTicks(5);
    return Shell.ScreenState == ScreenNameEntry;
}

static bool EnterTableDisplay(void)
{
    Shell.ScreenState = ScreenScoreTable;
    ResetScoreScreen(ScoreTableDisplay);
    RunTicks(30);
    return Shell.ScreenState == ScreenScoreTable;
}

// The screens, in the order a player meets them.
struct ScreenBench {
    const char *name;
    bool (*enter)(void);
};

static const ScreenBench Screens[] = {
    {"Screen/IntroReveal", EnterIntroReveal},
    {"Screen/BumpLight", EnterBumpLight},
    {"Screen/MenuPage", EnterMenuPage},
    {"Screen/PlayingFrame", EnterPlaying},
    {"Screen/DestructionFrame", EnterDestruction},
    {"Screen/GameOverShatter", EnterGameOver},
    {"Screen/NameEntry", EnterNameEntry},
    {"Screen/TableDisplay", EnterTableDisplay},
};

static void ScreenTick(benchmark::State &state, const ScreenBench *screen)
{
    if (BenchDataFile().empty()) {
        state.SkipWithError("no generated Data.zux beside the programs");
        return;
    }
    std::string folder = BenchFolder();
    Headless_Reset();
    Headless_SetFolder(folder.c_str());
    if (!StartUp()) {
        state.SkipWithError("start-up failed");
        return;
    }
    if (!screen->enter()) {
        state.SkipWithError("the screen could not be reached");
        ShutDown();
        return;
    }
    TickState kept;
    KeepState(&kept);
    for (auto _ : state) {
        PutStateBack(&kept);
        Shell.TickFlag = 1;
        auto start = std::chrono::steady_clock::now();
        FrameStep();
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        // Every tick must draw the screen it was meant to, and stay on it.
        if (!Headless_PresentedThisTick() || Shell.ScreenState != kept.shell.ScreenState ||
            Game.GamePhase != kept.game.GamePhase || Intro.IntroPhase != kept.intro.IntroPhase) {
            state.SkipWithError("the tick left its screen");
            break;
        }
    }
    ShutDown();
}

static int RegisterScreens(void)
{
    for (const ScreenBench &screen : Screens)
        benchmark::RegisterBenchmark(screen.name, ScreenTick, &screen)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    return 0;
}

static int ScreensRegistered = RegisterScreens();
