// The playfield operations. The canvas keeps the settled items drawn, so
// landing paints only the piece, and row removal and the rising row move the
// canvas pixels in place instead of redrawing cells.
#include "game/board.h"

#include <cstring>

#include "game/pieces.h"
#include "game/skins.h"
#include "gfx/blit.h"
#include "gfx/game_pictures.h"
#include "platform/screen.h"

static bool IsWall(int r, int c) { return c == 0 || c == BoardCols - 1 || r == BoardRows - 1; }

static int32_t *Cell(Board *board, int r, int c) { return &board->cells[r * BoardCols + c]; }

// The canvas can be drawn into only when its pixels exist at its full size.
static bool CanvasReady(const Board *board)
{
    return board->canvas.pixels && board->canvas.width == CanvasWidth &&
           board->canvas.height == CanvasHeight;
}

static uint16_t *CanvasRow(Board *board, int32_t y)
{
    return board->canvas.pixels + (size_t)y * CanvasWidth;
}

static const Image *ItemOfColour(ItemTiles items, int32_t colour)
{
    if (!items || colour < 1 || colour > ItemColours) return nullptr;
    return items[colour];
}

void ClearBoard(Board *board)
{
    for (int r = 0; r < BoardRows; r++)
        for (int c = 0; c < BoardCols; c++) *Cell(board, r, c) = IsWall(r, c) ? 1 : 0;
    if (CanvasReady(board))
        memset(board->canvas.pixels, 0, sizeof(uint16_t) * CanvasWidth * CanvasHeight);
}

void FillFromPattern(Board *board, const uint8_t *pattern, ItemTiles items)
{
    for (int r = 0; r < BoardRows; r++)
        for (int c = 0; c < BoardCols; c++) {
            if (IsWall(r, c)) {
                *Cell(board, r, c) = 1;
                continue;
            }
            int32_t v = pattern[r * PlayingColumns + c - 1];
            *Cell(board, r, c) = v;
            const Image *item = ItemOfColour(items, v);
            if (item) BlitTransparentTo(item, CellSize * (c - 1), CellSize * r, &board->canvas);
        }
}

void FillFromSaved(Board *board, const int32_t *saved, ItemTiles items)
{
    memcpy(board->cells, saved, sizeof(board->cells));
    for (int r = 0; r < PlayingRows; r++)
        for (int c = 1; c <= PlayingColumns; c++) {
            const Image *item = ItemOfColour(items, *Cell(board, r, c));
            if (item) BlitTransparentTo(item, CellSize * (c - 1), CellSize * r, &board->canvas);
        }
}

bool Fits(const Board *board, const Piece *piece, int32_t x, int32_t y)
{
    if (!piece || !piece->grid) return false;
    for (int i = 0; i < PieceGridSize; i++)
        for (int j = 0; j < PieceGridSize; j++) {
            if (!piece->grid[i * PieceGridSize + j]) continue;
            int64_t r = (int64_t)y + i, c = (int64_t)x + j + 1;
            // Past the walls there is nothing to land on.
            if (r < 0 || r >= BoardRows || c < 0 || c >= BoardCols) return false;
            if (board->cells[r * BoardCols + c] != 0) return false;
        }
    return true;
}

bool LockPiece(Board *board, const Piece *piece, int32_t x, int32_t y)
{
    if (!piece || !piece->grid) return true;
    for (int i = 0; i < PieceGridSize; i++)
        for (int j = 0; j < PieceGridSize; j++) {
            uint8_t v = piece->grid[i * PieceGridSize + j];
            int64_t r = (int64_t)y + i, c = (int64_t)x + j + 1;
            if (!v || r < 0 || r >= BoardRows || c < 0 || c >= BoardCols) continue;
            board->cells[r * BoardCols + c] |= v;
        }
    if (x > -PieceGridSize && x < BoardCols && y > -PieceGridSize && y < BoardRows)
        BlitTransparentTo(piece->image, CellSize * x, CellSize * y, &board->canvas);
    return true;
}

bool FindFullRow(Board *board)
{
    for (int r = 0; r < PlayingRows; r++) {
        bool full = true;
        for (int c = 1; c <= PlayingColumns && full; c++) full = *Cell(board, r, c) != 0;
        if (full) {
            board->fullRow = r;
            return true;
        }
    }
    return false;
}

void DestroyStep(Board *board, int32_t step)
{
    int32_t row = board->fullRow;
    if (row < 0 || row >= PlayingRows || step < 1) return;
    if (step < 5) {
        const Image *frame = CurrentDestFrames[step];
        if (!frame) return;
        for (int k = 0; k < PlayingColumns; k++)
            BlitOpaqueTo(frame, CellSize * k, CellSize * row, &board->canvas);
        return;
    }
    // Only the rows above the removed one move down.
    for (int r = row; r >= 1; r--)
        for (int c = 1; c <= PlayingColumns; c++) *Cell(board, r, c) = *Cell(board, r - 1, c);
    for (int c = 1; c <= PlayingColumns; c++) *Cell(board, 0, c) = 0;
    if (!CanvasReady(board)) return;
    for (int32_t y = CellSize * row + CellSize - 1; y >= CellSize; y--)
        memcpy(CanvasRow(board, y), CanvasRow(board, y - CellSize), sizeof(uint16_t) * CanvasWidth);
    memset(board->canvas.pixels, 0, sizeof(uint16_t) * CanvasWidth * CellSize);
}

void RiseStep(Board *board, int32_t step, ItemTiles items)
{
    static const uint8_t EmptyRow[PlayingColumns] = {0};
    const uint8_t *rising = board->risingRow ? board->risingRow : EmptyRow;
    const int32_t bottom = CanvasHeight - CellSize; // 209, the pixel row of board row 19
    if (step == 0) {
        if (CanvasReady(board)) {
            memmove(board->canvas.pixels, CanvasRow(board, CellSize),
                    sizeof(uint16_t) * CanvasWidth * bottom);
            memset(CanvasRow(board, bottom), 0, sizeof(uint16_t) * CanvasWidth * CellSize);
        }
        for (int r = 0; r < PlayingRows - 1; r++)
            for (int c = 1; c <= PlayingColumns; c++) *Cell(board, r, c) = *Cell(board, r + 1, c);
        for (int c = 1; c <= PlayingColumns; c++) *Cell(board, PlayingRows - 1, c) = rising[c - 1];
    }
    for (int k = 0; k < PlayingColumns; k++) {
        if (!rising[k]) continue;
        if (step == 0) {
            if (CurrentDestFrames[0])
                BlitTransparentTo(CurrentDestFrames[0], CellSize * k, bottom, &board->canvas);
        } else if (step >= 1 && step <= 4) {
            if (CurrentDestFrames[step])
                BlitOpaqueTo(CurrentDestFrames[step], CellSize * k, bottom, &board->canvas);
        } else if (step == 5) {
            const Image *item = ItemOfColour(items, rising[k]);
            if (item) BlitOpaqueTo(item, CellSize * k, bottom, &board->canvas);
        }
    }
}

void LightStep(Board *board, int32_t step)
{
    Image *snapshot = &GamePictures.boardSnapshot;
    bool haveSnapshot = CanvasReady(board) && snapshot->pixels && snapshot->width == CanvasWidth &&
                        snapshot->height == CanvasHeight;
    if (!haveSnapshot || step < 0 || step > 7) return;
    size_t bytes = sizeof(uint16_t) * CanvasWidth * CanvasHeight;
    if (step == 0) {
        memcpy(snapshot->pixels, board->canvas.pixels, bytes);
        return;
    }
    memcpy(board->canvas.pixels, snapshot->pixels, bytes);
    if (step > LightTileCount) return;
    const Image *light = GamePictures.lights[step - 1];
    if (!light) return;
    for (int r = 0; r < PlayingRows; r++)
        for (int k = 0; k < PlayingColumns; k++)
            BlitSharedBitsTo(light, CellSize * k, CellSize * r, &board->canvas);
}

void SetRisingRow(Board *board, const uint8_t *pattern) { board->risingRow = pattern; }

void DrawBackground(const Board *board)
{
    if (board->background && board->background->pixels) {
        CopyFullScreen(board->background);
        return;
    }
    // Without its picture the background is black, so no old frame shows through.
    if (BackBuffer) memset(BackBuffer, 0, sizeof(uint16_t) * ScreenWidth * ScreenHeight);
}

void DrawPlayfield(const Board *board)
{
    DrawBackground(board);
    BlitTransparent(&board->canvas, CanvasLeft, 0);
}

void DrawPiece(const Piece *piece, int32_t x, int32_t y)
{
    if (!piece || !piece->image) return;
    // The rules keep the piece by the board; one far outside it is not drawn.
    if (x < -PieceGridSize || x > BoardCols || y < -PieceGridSize || y > BoardRows) return;
    BlitTransparent(piece->image, CellSize * x + CellSize, CellSize * y);
}
