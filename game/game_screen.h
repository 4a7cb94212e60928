// The game screen: one tick of the game's phase machine per timer tick, with
// the falling piece's rules and the head-up display.
#pragma once

#include <cstdint>

struct Piece;

enum GameTickResult {
    GameStay = 0,
    GameOverAcknowledged = 1, // the player left the game-over screen
    GameAbandoned = 2,        // F9: back to the menu, the saved game stays valid
};

// Makes the game screen obey the drop switch at dropOption (the player's
// option, 1: Down drops the piece at once); unset, Down never drops.
void UseDropSwitch(const int32_t *dropOption);

// Runs and presents one tick of the game; returns a GameTickResult.
int GameTick(void);

// One tick of play: keys, gravity, landing, the next piece and game over.
// Returns GameStay or GameAbandoned.
int PlayingTick(void);

// The next-piece preview and the level, lines and score counters.
void DrawHud(void);

// The playfield, the falling piece and the head-up display, not presented.
void DrawScene(void);

// CheckProgress, the scene, then PresentFrame.
void DrawPlayingFrame(void);

// The current skin's piece that is falling (null when the type is unknown).
Piece *FallingPiece(void);
