// The fourteen shapes and their pictures. The four rotations of every shape
// are stored as they are drawn; nothing is turned at run time.
#include "game/pieces.h"

#include <cstring>

#include "res/tga.h"

enum { ItemTileSize = 11 };

// clang-format off

// Rotations 1..4 of types 1..14, each 4 rows of 4 colours from the top.
static const uint8_t ShapeGrids[PieceTypeCount][PieceRotations][PieceGridCells] = {
    // type 1
    {
        {0, 0, 0, 0,  1, 1, 1, 1,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 1, 0, 0,  0, 1, 0, 0,  0, 1, 0, 0,  0, 1, 0, 0},
        {0, 0, 0, 0,  1, 1, 1, 1,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 1, 0, 0,  0, 1, 0, 0,  0, 1, 0, 0,  0, 1, 0, 0},
    },
    // type 2
    {
        {0, 0, 0, 0,  0, 2, 2, 0,  0, 2, 2, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 2, 2, 0,  0, 2, 2, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 2, 2, 0,  0, 2, 2, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 2, 2, 0,  0, 2, 2, 0,  0, 0, 0, 0},
    },
    // type 3
    {
        {0, 3, 0, 0,  3, 3, 3, 0,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 3, 0, 0,  0, 3, 3, 0,  0, 3, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  3, 3, 3, 0,  0, 3, 0, 0,  0, 0, 0, 0},
        {0, 3, 0, 0,  3, 3, 0, 0,  0, 3, 0, 0,  0, 0, 0, 0},
    },
    // type 4
    {
        {0, 4, 0, 0,  0, 4, 0, 0,  0, 4, 4, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  4, 4, 4, 0,  4, 0, 0, 0,  0, 0, 0, 0},
        {4, 4, 0, 0,  0, 4, 0, 0,  0, 4, 0, 0,  0, 0, 0, 0},
        {0, 0, 4, 0,  4, 4, 4, 0,  0, 0, 0, 0,  0, 0, 0, 0},
    },
    // type 5
    {
        {0, 5, 0, 0,  0, 5, 0, 0,  5, 5, 0, 0,  0, 0, 0, 0},
        {5, 0, 0, 0,  5, 5, 5, 0,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 5, 5, 0,  0, 5, 0, 0,  0, 5, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  5, 5, 5, 0,  0, 0, 5, 0,  0, 0, 0, 0},
    },
    // type 6
    {
        {0, 0, 6, 0,  0, 6, 6, 0,  0, 6, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  6, 6, 0, 0,  0, 6, 6, 0,  0, 0, 0, 0},
        {0, 0, 6, 0,  0, 6, 6, 0,  0, 6, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  6, 6, 0, 0,  0, 6, 6, 0,  0, 0, 0, 0},
    },
    // type 7
    {
        {0, 7, 0, 0,  0, 7, 7, 0,  0, 0, 7, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 7, 7, 0,  7, 7, 0, 0,  0, 0, 0, 0},
        {0, 7, 0, 0,  0, 7, 7, 0,  0, 0, 7, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 7, 7, 0,  7, 7, 0, 0,  0, 0, 0, 0},
    },
    // type 8
    {
        {0, 1, 0, 0,  1, 1, 1, 0,  0, 1, 0, 0,  0, 0, 0, 0},
        {0, 1, 0, 0,  1, 1, 1, 0,  0, 1, 0, 0,  0, 0, 0, 0},
        {0, 1, 0, 0,  1, 1, 1, 0,  0, 1, 0, 0,  0, 0, 0, 0},
        {0, 1, 0, 0,  1, 1, 1, 0,  0, 1, 0, 0,  0, 0, 0, 0},
    },
    // type 9
    {
        {0, 2, 0, 0,  0, 2, 2, 0,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 2, 2, 0,  0, 2, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  2, 2, 0, 0,  0, 2, 0, 0,  0, 0, 0, 0},
        {0, 2, 0, 0,  2, 2, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0},
    },
    // type 10
    {
        {3, 0, 3, 0,  3, 3, 3, 0,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 3, 3, 0,  0, 3, 0, 0,  0, 3, 3, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  3, 3, 3, 0,  3, 0, 3, 0,  0, 0, 0, 0},
        {3, 3, 0, 0,  0, 3, 0, 0,  3, 3, 0, 0,  0, 0, 0, 0},
    },
    // type 11
    {
        {4, 4, 0, 0,  0, 4, 0, 0,  0, 4, 4, 0,  0, 0, 0, 0},
        {0, 0, 4, 0,  4, 4, 4, 0,  4, 0, 0, 0,  0, 0, 0, 0},
        {4, 4, 0, 0,  0, 4, 0, 0,  0, 4, 4, 0,  0, 0, 0, 0},
        {0, 0, 4, 0,  4, 4, 4, 0,  4, 0, 0, 0,  0, 0, 0, 0},
    },
    // type 12
    {
        {0, 5, 5, 0,  0, 5, 0, 0,  5, 5, 0, 0,  0, 0, 0, 0},
        {5, 0, 0, 0,  5, 5, 5, 0,  0, 0, 5, 0,  0, 0, 0, 0},
        {0, 5, 5, 0,  0, 5, 0, 0,  5, 5, 0, 0,  0, 0, 0, 0},
        {5, 0, 0, 0,  5, 5, 5, 0,  0, 0, 5, 0,  0, 0, 0, 0},
    },
    // type 13
    {
        {0, 6, 0, 0,  0, 6, 0, 0,  0, 6, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  6, 6, 6, 0,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 6, 0, 0,  0, 6, 0, 0,  0, 6, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  6, 6, 6, 0,  0, 0, 0, 0,  0, 0, 0, 0},
    },
    // type 14
    {
        {0, 0, 0, 0,  0, 7, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 7, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 7, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0},
        {0, 0, 0, 0,  0, 7, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0},
    },
};

// clang-format on

int32_t PieceColour(int32_t type)
{
    if (type < 1 || type > PieceTypeCount) return 1;
    return type > 7 ? type - 7 : type;
}

// Paints one rotation's picture: a filled cell receives the item tile, an
// empty one 0. Only the part of the tile that exists is read.
static void PaintPicture(Image *picture, const uint8_t *grid, const Image *item)
{
    if (!picture->pixels) return;
    memset(picture->pixels, 0, sizeof(uint16_t) * PiecePictureSize * PiecePictureSize);
    bool haveTile = item && item->pixels && item->width > 0 && item->height > 0;
    if (!haveTile) return;
    int32_t w = item->width < ItemTileSize ? item->width : ItemTileSize;
    int32_t h = item->height < ItemTileSize ? item->height : ItemTileSize;
    for (int r = 0; r < PieceGridSize; r++)
        for (int c = 0; c < PieceGridSize; c++) {
            if (!grid[r * PieceGridSize + c]) continue;
            for (int32_t k = 0; k < h; k++) {
                uint16_t *row = picture->pixels + (r * ItemTileSize + k) * PiecePictureSize;
                const uint16_t *tile = item->pixels + k * item->width;
                memcpy(row + c * ItemTileSize, tile, sizeof(uint16_t) * (size_t)w);
            }
        }
}

Piece *MakePiece(Piece *piece, int32_t type, const Image *item)
{
    if (type < 2 || type > PieceTypeCount) type = 1;
    piece->rotation = 1;
    for (int r = 0; r < PieceRotations; r++) {
        piece->grids[r] = ShapeGrids[type - 1][r];
        // A picture that cannot be allocated stays empty and is never drawn.
        (void)CreateImage(&piece->images[r], PiecePictureSize, PiecePictureSize);
        PaintPicture(&piece->images[r], piece->grids[r], item);
    }
    piece->grid = piece->grids[0];
    piece->image = &piece->images[0];
    return piece;
}

// Makes grid and image follow rotation again.
static Piece *SetRotation(Piece *piece, int32_t rotation)
{
    piece->rotation = rotation;
    piece->grid = piece->grids[rotation - 1];
    piece->image = &piece->images[rotation - 1];
    return piece;
}

Piece *RotateForward(Piece *piece)
{
    return SetRotation(piece, piece->rotation >= PieceRotations ? 1 : piece->rotation + 1);
}

Piece *RotateBack(Piece *piece)
{
    return SetRotation(piece, piece->rotation <= 1 ? PieceRotations : piece->rotation - 1);
}

void ResetRotation(Piece *piece) { SetRotation(piece, 1); }

void ReleasePiece(Piece *piece)
{
    for (int r = PieceRotations - 1; r >= 0; r--) FreeImagePixels(&piece->images[r]);
    for (int r = PieceRotations - 1; r >= 0; r--) piece->grids[r] = nullptr;
    piece->grid = nullptr;
}
