// Game progression: starting games and levels, scoring, level-ups, the rising
// rows of type C and the saved game that Continue resumes.
#include "game/progress.h"

#include <cstring>

#include "game/board.h"
#include "game/skins.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "res/sound.h"

SavedGameState SavedGame;

GameState Game = {.GameType = GameTypeA,
                  .GamePhase = PhaseNewGame,
                  .PhaseAfterLight = PhasePlaying,
                  .PhaseTicks = 0,
                  .Score = 0,
                  .Level = 1,
                  .Lines = 0,
                  .FallDelay = 0,
                  .FallTime = 0,
                  .Chain = 1,
                  .LandingCount = 0,
                  .CurrentType = 0,
                  .NextType = 0,
                  .PieceX = SpawnX,
                  .PieceY = SpawnY,
                  .NextPiece = nullptr,
                  .ContinuePending = 0};

enum {
    TypeBDelay = 700,
    TypeCDelay = 1000,
    TypeDDelay = 700,
    SpeedUpFloor = 60, // below this delay the game stops speeding up
    RowsPerLevel = 10,
    LandingsPerRise = 10,
    MinimumDelay = 20, // one gravity step per tick; a smaller delay falls no faster
};

// Counters change by small steps; these stop at the ends instead of
// overflowing, whatever a saved game held.
static int32_t AddClamped(int32_t value, int32_t delta)
{
    int64_t v = (int64_t)value + delta;
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return (int32_t)v;
}

void AddScore(int32_t points) { Game.Score = AddClamped(Game.Score, points); }

void TakeSnapshot(void)
{
    memcpy(SavedGame.SavedCells, CurrentBoard()->cells, sizeof(SavedGame.SavedCells));
    SavedGame.SavedScore = Game.Score;
    SavedGame.SavedLevel = Game.Level;
    SavedGame.SavedLines = Game.Lines;
    SavedGame.SavedFallDelay = Game.FallDelay;
}

void StartLevel(void)
{
    Board *board = CurrentBoard();
    Game.PhaseTicks = 0;
    Game.FallTime = 0;
    switch (Game.GameType) {
    case GameTypeB:
        SavedGame.SavedGameType = GameTypeB;
        Game.FallDelay = TypeBDelay;
        ClearBoard(board);
        break;
    case GameTypeC:
        SavedGame.SavedGameType = GameTypeC;
        Game.FallDelay = TypeCDelay;
        ClearBoard(board);
        break;
    case GameTypeD:
        SavedGame.SavedGameType = GameTypeD;
        Game.FallDelay = TypeDDelay;
        ClearBoard(board);
        break;
    default: {
        SavedGame.SavedGameType = GameTypeA;
        ClearBoard(board);
        int32_t level = Game.Level < 1 ? 1 : Game.Level;
        FillFromPattern(board, LevelPatterns[(level - 1) % LevelPatternCount], CurrentItems());
        Game.FallDelay = LevelFallDelay(level);
        Game.Lines = LevelRows(level);
        break;
    }
    }
    if (!Game.ContinuePending) TakeSnapshot();
}

void StartGame(int32_t gameType)
{
    Game.Score = 0;
    Game.Level = 1;
    Game.Lines = 0;
    Game.PieceX = SpawnX;
    Game.PieceY = SpawnY;
    Game.PhaseTicks = 0;
    Game.Chain = 1;
    Game.GamePhase = PhaseNewGame;
    Game.PhaseAfterLight = PhasePlaying;
    Game.GameType = gameType >= GameTypeA && gameType <= GameTypeD ? gameType : GameTypeA;
    Game.LandingCount = 0;
    StartLevel();
}

// A piece type the game can play: 1..14 stay, anything else becomes the bar.
static int32_t PlayableType(int32_t type) { return type >= 1 && type <= PieceTypeCount ? type : 1; }

void RestoreSavedGame(void)
{
    // "SS.dat" is checked as it is read; these guards only keep a foreign
    // value from reaching a table or the board.
    Game.CurrentType = PlayableType(SavedGame.SavedCurrentType);
    Game.NextType = PlayableType(SavedGame.SavedNextType);
    Game.FallDelay =
        SavedGame.SavedFallDelay < MinimumDelay ? MinimumDelay : SavedGame.SavedFallDelay;
    Game.Score = SavedGame.SavedScore;
    Game.Level = SavedGame.SavedLevel < 1 ? 1 : SavedGame.SavedLevel;
    Game.Lines = SavedGame.SavedLines;
    Board *board = CurrentBoard();
    ClearBoard(board);
    FillFromSaved(board, SavedGame.SavedCells, CurrentItems());
    Game.ContinuePending = 0;
    Game.GamePhase = PhaseResume;
}

void CheckProgress(void)
{
    if (Game.GameType == GameTypeA) {
        if (Game.GamePhase == PhaseDestroying || Game.Lines > 0) return;
        AddScore(50);
        PlayEffect(SoundLevel);
        Game.GamePhase = PhaseLighting;
        Game.PhaseAfterLight = PhaseLevelCompleted;
        return;
    }
    if ((int64_t)Game.Lines < (int64_t)RowsPerLevel * Game.Level) return;
    PlayEffect(SoundLevel);
    Game.Level = AddClamped(Game.Level, 1);
    if (Game.FallDelay >= SpeedUpFloor)
        Game.FallDelay = (int32_t)((int64_t)Game.FallDelay * 90 / 100);
}

void ScoreRow(void)
{
    int64_t points = 5 * (int64_t)Game.Chain;
    AddScore(points > INT32_MAX ? INT32_MAX : (int32_t)points);
    Game.Chain = AddClamped(Game.Chain, 1);
    Game.Lines = AddClamped(Game.Lines, Game.GameType == GameTypeA ? -1 : 1);
    if (Game.GameType != GameTypeC) Game.PhaseAfterLight = PhasePlaying;
}

// Rows rising at level l are drawn from around RisingRows[(l - 1) / 2].
static const uint8_t *ChooseRisingRow(void)
{
    int32_t index = (Game.Level - 1) / 2 + Plat_Rand() % 5 - 2;
    if (index < 0) index = 0;
    if (index > RisingRowCount - 1) index = RisingRowCount - 1;
    return RisingRows[index];
}

void AfterLanding(void)
{
    TakeSnapshot();
    LockKeys();
    SavedGame.SavedGameType = Game.GameType;
    if (Game.GameType != GameTypeC) return;
    Game.LandingCount += 1;
    if (Game.LandingCount < LandingsPerRise) return;
    Game.LandingCount = 0;
    PlayEffect(SoundDestroy);
    SetRisingRow(CurrentBoard(), ChooseRisingRow());
    Game.GamePhase = PhaseRisingRow;
    Game.PhaseTicks = 0;
}
