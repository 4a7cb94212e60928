// The soak's bot, shared by its files: where the program is, what the bot
// has seen, and the keys it presses.
#pragma once

#include <cstdint>
#include <vector>

#include "front/settings.h"
#include "platform/headless/headless.h"

// Where the bot spends its ticks; each of these must be reached.
enum Place {
    AtIntroReveal,
    AtIntroLightUp,
    AtIntroHold,
    AtIntroLightDown,
    AtMenuMain,
    AtMenuTypes,
    AtMenuSkins,
    AtMenuOptions,
    AtMenuCredits,
    AtMenuControls,
    AtMenuSlide,
    AtGameNew,
    AtGameResume,
    AtGetReady,
    AtLighting,
    AtPlaying,
    AtDestroying,
    AtRisingRow,
    AtLevelCompleted,
    AtPaused,
    AtGameOver,
    AtNameEntry,
    AtScoreTable,
    PlaceCount
};

extern const char *const PlaceNames[PlaceCount];

// What the menu bot is after.
enum PlanKind {
    PlanNone,
    PlanNewGame,
    PlanContinue,
    PlanSkin,
    PlanOptions,
    PlanControls,
    PlanCredits,
    PlanIdle,
    PlanQuit,
    PlanWander
};

struct PlanStep {
    int32_t menuState; // the page the step acts on
    int32_t row;       // the row to select there
};

struct SoakCounts {
    int64_t ticks[PlaceCount];
    int64_t gamesOfType[4];
    int32_t bestScore[4];
    int64_t ticksOfSkin[SkinCount];
    int64_t games, continued, entries, runs, focusLosses, closes, menuQuits, abandons, pauses;
};

struct Bot {
    uint64_t rng;
    int32_t quietUntil; // no new key before this tick
    std::vector<HeadlessEvent> pending;
    int32_t lastScreen, lastPlace;
    int32_t screenSince; // tick the current screen was entered
    int32_t placeSince;  // tick the current place was entered
    int32_t waitTicks;   // how long to stay before the key that leaves
    // Menu
    PlanKind plan;
    PlanStep steps[4];
    int stepCount, stepIndex;
    int32_t planSince;
    // Game
    double skill;       // chance that a piece is placed with care
    int32_t gameBudget; // ticks of care left in this game
    int32_t lastPieceY, lastPieceType, lastScore;
    bool newPiece; // the board or the piece changed since the last decision
    bool careful;
    int32_t targetRotation, targetX;
    int failedMoves;
    // Name entry
    int wanderPresses;
};

extern SoakCounts Count;
extern Bot B;
extern int32_t TicksThisRun; // the last tick the hook saw in this start
extern bool Failed;
extern bool Verbose;

// The bot's own random stream; the game's generator is left alone.
int Below(int n);
bool Chance(double p);

// Reports a failure; the soak stops after the current start of the program.
void Fail(const char *what);

// Key events: down on the next tick, up hold ticks later; no new key for gap more.
void Schedule(int32_t tick, int action, int32_t vk);
void Press(int32_t now, int32_t vk, int32_t hold, int32_t gap);
int32_t RandomDigit(void);
int32_t RandomArrow(void);

// The index of a smallest count (a random one among equals).
int LeastOf(const int64_t *counts, int n);

// The first tick of a game: how careful the bot is in it and for how long.
void StartGameBot(void);

// Notes a landed piece or a changed board, whether or not the bot is busy.
void WatchPiece(void);

// The game screen's keys, decided on a tick the bot is free.
void GameBot(int32_t now);

// The tick hook: counts where the program is, then decides the next keys.
void OnTick(int32_t tick);

// Folds what the player sees and hears on a tick into the run's record.
void SeeTick(void);
