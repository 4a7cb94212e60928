// The rules of a whole game: the four game types, starting a game or a level,
// the level tables and pre-filled boards of type A, the speed-up of B, C and D,
// scoring, the rising rows of type C and the saved game that Continue resumes.
#pragma once

#include <cstdint>

#include "game/board.h"

struct Piece;

enum GameTypeValue {
    GameTypeA = 0, // a pre-filled board per level with a row quota
    GameTypeB = 1, // an empty board that speeds up every ten rows
    GameTypeC = 2, // as B, with a row rising every tenth landing
    GameTypeD = 3, // as B, with the odd pieces 8..14
};

// The phases of the game screen.
enum GamePhaseValue {
    PhaseNewGame = 0,
    PhaseResume = 1,
    PhasePlaying = 2,
    PhaseGetReady = 3,
    PhaseLevelCompleted = 4,
    PhaseDestroying = 5,
    PhaseRisingRow = 6,
    PhaseGameOver = 7,
    PhasePaused = 8,
    PhaseLighting = 9,
};

enum {
    LevelPatternCount = 15,
    LevelPatternCells = 200, // 20 rows of 10 cells, top row first
    RisingRowCount = 10,
    SpawnX = 3, // where every new piece appears
    SpawnY = 0,
};

// The game in progress; StartGame resets all of it but ContinuePending.
struct GameState {
    int32_t GameType;        // GameTypeValue
    int32_t GamePhase;       // GamePhaseValue
    int32_t PhaseAfterLight; // the phase the light sweep leads to
    int32_t PhaseTicks;      // ticks of the current phase
    int32_t Score;
    int32_t Level;     // from 1
    int32_t Lines;     // type A: rows left in the level (may go below 0); B, C, D: rows destroyed
    int32_t FallDelay; // gravity period, in units of 20 per playing tick
    int32_t FallTime;  // gravity accumulator
    int32_t Chain;     // number of the next row scored in a destruction chain, from 1
    int32_t LandingCount; // type C: landings since the last rising row
    int32_t CurrentType;  // piece types 1..14 of the falling and the next piece
    int32_t NextType;
    int32_t PieceX; // board column and row of the falling piece's grid corner
    int32_t PieceY;
    Piece *NextPiece;        // the current skin's piece of NextType, for the preview
    uint8_t ContinuePending; // 1 while a game is being set up from the saved game
};

extern GameState Game;

// The snapshot of the game in progress that Continue resumes, taken as the
// game goes (saved in "SS.dat" with the player's options, front/settings.h).
struct SavedGameState {
    int32_t SavedScore;
    int32_t SavedLevel;       // from 1
    int32_t SavedLines;       // rows still to clear (type A) or cleared (B, C, D)
    int32_t SavedNextType;    // piece type 1..14
    int32_t SavedCurrentType; // piece type 1..14
    int32_t SavedGameType;    // 0..3 = A..D
    int32_t SavedGameValid;   // 1: Continue can resume the saved game
    int32_t SavedFallDelay;
    int32_t SavedCells[BoardCells];
};

extern SavedGameState SavedGame;

// The pre-filled boards of type A (20 rows of 10 colours) and the rows that
// rise in type C (10 colours).
extern const uint8_t LevelPatterns[LevelPatternCount][LevelPatternCells];
extern const uint8_t RisingRows[RisingRowCount][10];

// Type A's fall delay and rows to destroy for level (any level from 1).
int32_t LevelFallDelay(int32_t level);
int32_t LevelRows(int32_t level);

// Resets the counters and sets up the board for game type 0..3 (another
// value plays as A) on the current skin; the game screen then draws the first pieces.
void StartGame(int32_t gameType);

// Sets up the board, the delay and the rows for Level; takes a snapshot unless
// a saved game is being restored.
void StartLevel(void);

// Copies the saved game into the game over a game just started with its type.
void RestoreSavedGame(void);

// Completes a type A level, or raises the level of B, C and D (one per call).
void CheckProgress(void);

// Scores and counts one full row as its destruction starts.
void ScoreRow(void);

// Runs after a landing that completed no row, or when a destruction chain ends:
// snapshot, key lock, and in type C every tenth landing a rising row.
void AfterLanding(void);

// Copies the current board and the counters into the saved game.
void TakeSnapshot(void);

// Adds points, stopping at the largest score instead of overflowing.
void AddScore(int32_t points);
