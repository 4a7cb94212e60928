// The soak's bot away from the game screen: its random stream and keys, the
// menu walked by plans towards what it has seen least, the intro, the name
// entry and the tables, and the tick hook that counts where the program is.
#include <cstdio>
#include <cstdlib>

#include "app/shell.h"
#include "front/intro.h"
#include "front/menu.h"
#include "front/score_screen.h"
#include "front/score_tables.h"
#include "game/progress.h"
#include "game/skins.h"
#include "platform/platform.h"
#include "tests/soak/soak.h"

const char *const PlaceNames[PlaceCount] = {
    "intro reveal", "intro light up", "intro hold",      "intro light down", "menu main page",
    "menu types",   "menu skins",     "menu options",    "credits",          "controls",
    "menu slide",   "new game",       "continued game",  "get ready",        "light sweep",
    "playing",      "destroying",     "rising row",      "level completed",  "paused",
    "game over",    "name entry",     "high-score table"};

SoakCounts Count;
Bot B;
int32_t TicksThisRun;
bool Failed;
bool Verbose;

static uint32_t NextRandom(void)
{
    // splitmix64: the bot's own stream, so the game's generator is untouched.
    uint64_t z = (B.rng += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return (uint32_t)((z ^ (z >> 31)) >> 16);
}

int Below(int n) { return n > 0 ? (int)(NextRandom() % (uint32_t)n) : 0; }

bool Chance(double p) { return (NextRandom() & 0xFFFFFF) < p * 16777216.0; }

void Fail(const char *what)
{
    fprintf(stderr, "zux-soak: FAIL: %s\n", what);
    Failed = true;
}

// Key events: down on the next tick, up hold ticks later; no new key for gap more.
void Schedule(int32_t tick, int action, int32_t vk) { B.pending.push_back({tick, action, vk}); }

void Press(int32_t now, int32_t vk, int32_t hold, int32_t gap)
{
    if (vk == VkF8) return; // F8 quits at once: the bot never touches it
    if (hold < 1) hold = 1;
    Schedule(now + 1, ActDown, vk);
    Schedule(now + 1 + hold, ActUp, vk);
    B.quietUntil = now + hold + (gap < 1 ? 1 : gap);
}

int32_t RandomDigit(void)
{
    int k = Below(11);
    return k == 10 ? VkEnter : Vk0 + k;
}

int32_t RandomArrow(void)
{
    static const int32_t arrows[4] = {VkUp, VkDown, VkLeft, VkRight};
    return arrows[Below(4)];
}

// ---- the menu ----

int LeastOf(const int64_t *counts, int n)
{
    int best = Below(n);
    for (int i = 0; i < n; i++)
        if (counts[i] < counts[best]) best = i;
    return best;
}

static void SetPlan(PlanKind kind, int32_t now)
{
    B.plan = kind;
    B.stepCount = 0;
    B.stepIndex = 0;
    B.planSince = now;
    PlanStep *s = B.steps;
    switch (kind) {
    case PlanNewGame: {
        int type = Chance(0.7) ? LeastOf(Count.gamesOfType, 4) : Below(4);
        // Favoured while what they lead to is unseen: type A for a completed
        // level, type C for a rising row, type B (the easiest to score in) for a name.
        int wanted[3], wantedCount = 0;
        if (Count.ticks[AtLevelCompleted] == 0) wanted[wantedCount++] = GameTypeA;
        if (Count.ticks[AtRisingRow] == 0) wanted[wantedCount++] = GameTypeC;
        if (Count.entries == 0) wanted[wantedCount++] = GameTypeB;
        if (wantedCount > 0 && Chance(0.6)) type = wanted[Below(wantedCount)];
        s[0] = {MenuMainPage, 1};
        s[1] = {MenuTypePage, type};
        B.stepCount = 2;
        break;
    }
    case PlanContinue: s[0] = {MenuMainPage, 0}, B.stepCount = 1; break;
    case PlanSkin: {
        int skin = Chance(0.7) ? LeastOf(Count.ticksOfSkin, SkinCount) : Below(SkinCount);
        s[0] = {MenuMainPage, 2};
        s[1] = {MenuSkinPage, skin};
        B.stepCount = 2;
        break;
    }
    case PlanOptions:
        s[0] = {MenuMainPage, 3};
        s[1] = {MenuOptionsPage, Below(2)};
        s[2] = {MenuOptionsPage, 3};
        B.stepCount = Chance(0.2) ? 2 : 3; // sometimes stays on the page
        break;
    case PlanControls:
        s[0] = {MenuMainPage, 3};
        s[1] = {MenuOptionsPage, 2};
        s[2] = {MenuOptionsPage, 3};
        B.stepCount = 3;
        break;
    case PlanCredits: s[0] = {MenuMainPage, 4}, B.stepCount = 1; break;
    case PlanQuit: s[0] = {MenuMainPage, 5}, B.stepCount = 1; break;
    default: break;
    }
}

static void ChoosePlan(int32_t now)
{
    // A skin that has not been played yet is tried soon.
    int32_t skin = Settings.SelectedSkin;
    bool skinSeen = skin >= 0 && skin < SkinCount && Count.ticksOfSkin[skin] > 0;
    if (skinSeen && Count.ticksOfSkin[LeastOf(Count.ticksOfSkin, SkinCount)] == 0 && Chance(0.5))
        return SetPlan(PlanSkin, now);
    // A saved game good enough for the tables is played on.
    if (SavedGame.SavedGameValid && Chance(0.7) &&
        HighScoreRow(SavedGame.SavedGameType, SavedGame.SavedScore) >= 0)
        return SetPlan(PlanContinue, now);
    // So does a place of the menu not yet seen.
    PlanKind unseen[4];
    int unseenCount = 0;
    if (Count.ticks[AtMenuControls] == 0) unseen[unseenCount++] = PlanControls;
    if (Count.ticks[AtMenuCredits] == 0) unseen[unseenCount++] = PlanCredits;
    if (Count.ticks[AtScoreTable] == 0) unseen[unseenCount++] = PlanIdle;
    if (Count.ticks[AtGameResume] == 0 && SavedGame.SavedGameValid)
        unseen[unseenCount++] = PlanContinue;
    if (unseenCount > 0 && Chance(0.6)) return SetPlan(unseen[Below(unseenCount)], now);
    int r = Below(100);
    if (r < 42) return SetPlan(PlanNewGame, now);
    if (r < 54) return SetPlan(SavedGame.SavedGameValid ? PlanContinue : PlanNewGame, now);
    if (r < 66) return SetPlan(PlanSkin, now);
    if (r < 72) return SetPlan(PlanOptions, now);
    if (r < 76) return SetPlan(PlanControls, now);
    if (r < 81) return SetPlan(PlanCredits, now);
    if (r < 87) return SetPlan(PlanIdle, now);
    if (r < 89) return SetPlan(PlanQuit, now);
    SetPlan(PlanWander, now);
}

// A few random keys on a page; Quit is left to the plans.
static void Wander(int32_t now, int32_t state, int32_t selection)
{
    int r = Below(10);
    if (r < 4)
        Press(now, VkUp, 1, 2 + Below(10));
    else if (r < 7)
        Press(now, VkDown, Chance(0.3) ? 10 + Below(30) : 1, 2 + Below(10)); // a hold repeats
    else if (r < 8)
        Press(now, r == 7 ? VkLeft : VkRight, 1 + Below(20), 3);
    else if (!(state == MenuMainPage && selection == 5))
        Press(now, RandomDigit(), 1, 3);
}

static void MenuBot(int32_t now)
{
    const int32_t state = MenuData.menuState;
    if (state == MenuCredits || state == MenuControls) {
        if (now - B.placeSince >= B.waitTicks) Press(now, RandomDigit(), 1, 5);
        return;
    }
    if (state == MenuSlideLeft || state == MenuSlideRight || !MainMenu) {
        // Nothing reads keys during a slide; a stray one now and then does no harm.
        if (Chance(0.02)) Press(now, RandomArrow(), 1, 4);
        return;
    }
    if (state != MenuMainPage && state != MenuTypePage && state != MenuSkinPage &&
        state != MenuOptionsPage)
        return;
    const int32_t selection = MainMenu->selection;
    if (selection < 0) return;

    if (now - B.planSince > 800) B.plan = PlanNone; // lost: start over
    if (B.plan == PlanNone) {
        if (state != MenuMainPage) {
            Wander(now, state, selection);
            return;
        }
        ChoosePlan(now);
    }
    if (B.plan == PlanIdle) {
        if (Chance(0.001)) B.plan = PlanNone;
        return; // left alone, the main page gives way to the high scores
    }
    if (B.plan == PlanWander) {
        if (now - B.planSince > 150) B.plan = PlanNone;
        Wander(now, state, selection);
        return;
    }
    if (B.stepIndex >= B.stepCount) {
        B.plan = PlanNone;
        return;
    }
    const PlanStep *step = &B.steps[B.stepIndex];
    if (step->menuState != state) return; // still on the way there
    if (Chance(0.03)) {
        Press(now, Chance(0.5) ? VkUp : VkDown, 1, 3); // a slip of the thumb
    } else if (selection < step->row) {
        Press(now, VkDown, 1, 2);
    } else if (selection > step->row) {
        Press(now, VkUp, 1, 2);
    } else {
        Press(now, RandomDigit(), 1, 6);
        B.stepIndex++;
        if (B.stepIndex >= B.stepCount) B.plan = PlanNone;
    }
}

// ---- the score screens ----

static void NameEntryBot(int32_t now)
{
    if (ScoreScreen.scorePhase != ScoreCursorRest) return;
    if (B.wanderPresses > 0) {
        B.wanderPresses--;
        if (Chance(0.7))
            Press(now, RandomArrow(), 1, 2);
        else
            Press(now, RandomDigit(), 1, 2);
        return;
    }
    // Then to the end cell in the grid's corner, and select it.
    if (ScoreScreen.cursorRow < GridRows - 1)
        Press(now, VkDown, 1, 2);
    else if (ScoreScreen.cursorCol < GridColumns - 1)
        Press(now, VkRight, 1, 2);
    else
        Press(now, RandomDigit(), 1, 2);
}

// ---- every tick ----

static int ClassifyPlace(void)
{
    switch (Shell.ScreenState) {
    case ScreenIntro:
        switch (Intro.IntroPhase) {
        case IntroReveal: return AtIntroReveal;
        case IntroLightUp: return AtIntroLightUp;
        case IntroHold: return AtIntroHold;
        default: return AtIntroLightDown;
        }
    case ScreenMenu:
        switch (MenuData.menuState) {
        case MenuMainPage: return AtMenuMain;
        case MenuTypePage: return AtMenuTypes;
        case MenuSkinPage: return AtMenuSkins;
        case MenuOptionsPage: return AtMenuOptions;
        case MenuCredits: return AtMenuCredits;
        case MenuControls: return AtMenuControls;
        default: return AtMenuSlide;
        }
    case ScreenNameEntry: return AtNameEntry;
    case ScreenScoreTable: return AtScoreTable;
    default:
        switch (Game.GamePhase) {
        case PhaseNewGame: return AtGameNew;
        case PhaseResume: return AtGameResume;
        case PhaseGetReady: return AtGetReady;
        case PhaseLighting: return AtLighting;
        case PhaseDestroying: return AtDestroying;
        case PhaseRisingRow: return AtRisingRow;
        case PhaseLevelCompleted: return AtLevelCompleted;
        case PhasePaused: return AtPaused;
        case PhaseGameOver: return AtGameOver;
        default: return AtPlaying;
        }
    }
}

// The first tick on a screen: what the bot does there.
static void EnterScreen(int32_t now, int32_t previousScreen)
{
    B.screenSince = now;
    switch (Shell.ScreenState) {
    case ScreenIntro:
        // Every third start watches the intro to its end.
        B.waitTicks = Count.runs % 3 == 1 ? 1 << 30 : 1 + Below(400);
        break;
    case ScreenMenu: B.plan = PlanNone; break;
    case ScreenNameEntry: B.wanderPresses = Below(16); break;
    case ScreenScoreTable: B.waitTicks = 30 + Below(800); break;
    default:
        if (previousScreen != ScreenGame) StartGameBot();
        break;
    }
}

// The first tick in a place: how long the keys that leave it wait.
static void EnterPlace(int32_t now, int place)
{
    B.placeSince = now;
    switch (place) {
    case AtMenuCredits:
    case AtMenuControls: B.waitTicks = 10 + Below(150); break;
    case AtGetReady: B.waitTicks = Chance(0.5) ? 16 + Below(100) : -1; break;
    case AtPaused:
        B.waitTicks = 5 + Below(200);
        Count.pauses++;
        break;
    case AtGameOver: B.waitTicks = Below(150); break;
    default: break;
    }
}

static void ReleaseDueEvents(int32_t now)
{
    std::vector<HeadlessEvent> due, later;
    for (const HeadlessEvent &e : B.pending) (e.tick == now + 1 ? due : later).push_back(e);
    B.pending.swap(later);
    if (!due.empty() && !Headless_SetEvents(due.data(), (int)due.size()))
        Fail("out of memory for events");
}

void OnTick(int32_t tick)
{
    if (tick == 0) {
        B.lastScreen = -1;
        B.lastPlace = -1;
        return;
    }
    TicksThisRun = tick;
    SeeTick();
    const int32_t screen = Shell.ScreenState;
    const int place = ClassifyPlace();
    Count.ticks[place]++;
    if (screen == ScreenGame && CurrentSkin >= 0 && CurrentSkin < SkinCount)
        Count.ticksOfSkin[CurrentSkin]++;
    if (B.lastScreen == ScreenNameEntry && screen == ScreenScoreTable) Count.entries++;
    if (B.lastScreen == ScreenGame && screen == ScreenMenu && Game.GamePhase != PhaseGameOver)
        Count.abandons++;
    if (Verbose && B.lastScreen == ScreenGame && screen != ScreenGame)
        printf("game %lld: type %d, care %.3f, level %d, score %d, left at tick %d %s\n",
               (long long)Count.games, (int)Game.GameType, B.skill, (int)Game.Level,
               (int)Game.Score, (int)tick, Game.GamePhase == PhaseGameOver ? "over" : "abandoned");

    if (screen != B.lastScreen) EnterScreen(tick, B.lastScreen);
    if (place != B.lastPlace) EnterPlace(tick, place);
    B.lastScreen = screen;
    B.lastPlace = place;
    if (screen == ScreenGame) {
        if (B.gameBudget > 0) B.gameBudget--;
        if (Game.GameType >= 0 && Game.GameType < 4 && Game.Score > Count.bestScore[Game.GameType])
            Count.bestScore[Game.GameType] = Game.Score;
        WatchPiece();
    }

    if (tick >= B.quietUntil) {
        switch (screen) {
        case ScreenIntro:
            if (tick - B.screenSince >= B.waitTicks) Press(tick, RandomDigit(), 1, 3);
            break;
        case ScreenMenu: MenuBot(tick); break;
        case ScreenNameEntry: NameEntryBot(tick); break;
        case ScreenScoreTable:
            if (tick - B.screenSince >= B.waitTicks)
                Press(tick, Chance(0.5) ? RandomArrow() : RandomDigit(), 1, 3);
            break;
        default: GameBot(tick); break;
        }
    }
    // Now and then the window loses the focus or is closed from outside.
    if (Chance(1.0 / 30000)) {
        Schedule(tick + 1, ActFocusLost, 0);
        Count.focusLosses++;
    } else if (Chance(1.0 / 30000)) {
        Schedule(tick + 1, ActClose, 0);
        Count.closes++;
    }
    ReleaseDueEvents(tick);
}
