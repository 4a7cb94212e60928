// The playfield: 10 x 20 cells inside a wall and a floor, and the canvas, a
// 110 x 220 picture of everything settled, so a frame draws the whole field
// with one copy. Landing, row removal and the rising row change both in place.
#pragma once

#include <cstdint>

#include "res/image.h"

struct Piece;

enum {
    BoardRows = 21, // 20 playing rows and the floor
    BoardCols = 12, // 10 playing columns between two walls
    BoardCells = BoardRows * BoardCols,
    CellSize = 11,                           // pixels of one cell, everywhere
    PlayingRows = 20,                        // cell rows 0..19; row 20 is the floor
    PlayingColumns = 10,                     // cell columns 1..10; columns 0 and 11 are the walls
    CanvasWidth = PlayingColumns * CellSize, // 110
    CanvasHeight = PlayingRows * CellSize,   // 220
    CanvasLeft = CellSize,                   // the canvas is drawn at (11, 0)
    ItemColours = 7,                         // cell and item colours 1..7; 0 = empty
    DestFrameCount = 5,
};

// One skin's playfield. Board column k (0..9) is cell column k + 1.
struct Board {
    int32_t cells[BoardCells];     // 21 rows x 12 columns, row 0 at the top; walls and floor 1
    FullScreenPicture *background; // the skin's background, null when it did not load
    Image canvas;                  // 110 x 220; pixel (px, py) shows column px / 11, row py / 11
    int32_t fullRow;               // the row the last successful FindFullRow found
    const uint8_t *risingRow;      // the 10 colours of the next row to rise (type C)
};

// Item tiles indexed by colour 1..7 (slot 0 unused); a null slot draws nothing.
typedef Image *const ItemTiles[ItemColours + 1];

// Walls and floor 1, the 200 playing cells 0, every canvas pixel 0.
void ClearBoard(Board *board);

// The playing cells from 200 colours (20 rows of 10, top first), each filled
// cell painted with its item tile; walls and floor 1.
void FillFromPattern(Board *board, const uint8_t *pattern, ItemTiles items);

// All 252 cells from a saved board, each playing cell of colour 1..7 painted
// with its item tile.
void FillFromSaved(Board *board, const int32_t *saved, ItemTiles items);

// True when every filled cell of the piece's current grid, with the grid's
// top-left at board column x, row y, lands on an empty cell inside the board.
bool Fits(const Board *board, const Piece *piece, int32_t x, int32_t y);

// ORs the piece's colour into its cells and paints its current picture into
// the canvas (keyed). Returns true.
bool LockPiece(Board *board, const Piece *piece, int32_t x, int32_t y);

// Finds the topmost row with all ten cells filled and keeps it in fullRow.
bool FindFullRow(Board *board);

// One tick of the destruction of fullRow: steps 1..4 show destruction frames
// 1..4 over it, step 5 (or more) removes it, shifting the rows above down.
void DestroyStep(Board *board, int32_t step);

// One tick of the rising row (steps 0..5): step 0 pushes the board up and puts
// risingRow in row 19, steps 1..4 show destruction frames, step 5 the items.
void RiseStep(Board *board, int32_t step, ItemTiles items);

// One tick of the light sweep (steps 0..7): step 0 keeps a copy of the canvas,
// steps 1..5 light the settled items with light tiles 1..5, 6 and 7 restore it.
void LightStep(Board *board, int32_t step);

// The pattern of the next row to rise.
void SetRisingRow(Board *board, const uint8_t *pattern);

// The background over the whole BackBuffer, then the canvas at (11, 0).
void DrawPlayfield(const Board *board);

// The background alone (black when it did not load), as while paused.
void DrawBackground(const Board *board);

// The piece's current picture at screen (11x + 11, 11y).
void DrawPiece(const Piece *piece, int32_t x, int32_t y);
