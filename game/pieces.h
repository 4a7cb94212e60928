// The fourteen falling shapes: four stored rotations of a 4 x 4 grid of item
// colours each, and for every rotation a ready-made 44 x 44 picture built from
// the skin's item tile, so that drawing or landing a piece is one image copy.
#pragma once

#include <cstdint>

#include "res/image.h"

enum {
    PieceTypeCount = 14, // types 1..7: four cells; 8..14: the odd shapes of type D
    PieceGridSize = 4,   // a grid is 4 x 4 cells
    PieceGridCells = PieceGridSize * PieceGridSize,
    PieceRotations = 4,
    PiecePictureSize = 44, // 4 cells of 11 pixels
};

// One shape built for one skin. grid and image always belong to rotation.
struct Piece {
    const uint8_t *grids[PieceRotations]; // rotations 1..4: 16 colours, row after row, 0 = empty
    Image images[PieceRotations];         // rotations 1..4: 44 x 44 pictures, 0 where empty
    Image *image;                         // the picture of the current rotation
    int32_t rotation;                     // 1..4; 1 is the spawn rotation
    const uint8_t *grid;                  // the grid of the current rotation
};

// The colour (1..7) every filled cell of a piece type holds.
int32_t PieceColour(int32_t type);

// Builds piece as type 1..14 (any other number builds type 1) at rotation 1,
// painting its pictures from the 11 x 11 item tile (an absent tile paints 0).
// A picture whose pixels cannot be allocated stays empty. Returns piece.
Piece *MakePiece(Piece *piece, int32_t type, const Image *item);

// Turns to the next rotation, 4 wrapping to 1. Returns piece.
Piece *RotateForward(Piece *piece);

// Turns to the previous rotation, 1 wrapping to 4. Returns piece.
Piece *RotateBack(Piece *piece);

// Back to rotation 1, as every piece is after it lands.
void ResetRotation(Piece *piece);

// Frees the four pictures, rotation 4 down to 1, and empties them.
void ReleasePiece(Piece *piece);
