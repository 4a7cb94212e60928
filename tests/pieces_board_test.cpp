// The piece shapes and the board where the soak's games never go: odd types,
// small tiles, collisions far past the walls, landings that overlap, a full
// top row and a rising row's frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "game/board.h"
#include "game/pieces.h"
#include "gfx/skins.h"
#include "res/tga.h"
#include "tests/test_util.h"

namespace
{

struct TestPiece {
    Piece piece;
    TestPiece(int type, const Image *tile) { MakePiece(&piece, type, tile); }
    ~TestPiece() { ReleasePiece(&piece); }
};

// A board with a real canvas whose pixel rows are numbered y + 1.
struct TestBoard {
    Board board = {};
    TestBoard()
    {
        EXPECT_TRUE(CreateImage(&board.canvas, CanvasWidth, CanvasHeight));
        ClearBoard(&board);
        for (int i = 0; i < CanvasWidth * CanvasHeight; i++)
            board.canvas.pixels[i] = (uint16_t)(i / CanvasWidth + 1);
    }
    ~TestBoard() { FreeImagePixels(&board.canvas); }
    int32_t &cell(int r, int c) { return board.cells[r * BoardCols + c]; }
    uint16_t px(int x, int y) const { return board.canvas.pixels[y * CanvasWidth + x]; }
    void fillRow(int r, int32_t colour) { std::fill_n(&cell(r, 1), PlayingColumns, colour); }
};

// Destruction frames 1..5 in the current slots, frame k filled with 0x100 * k + index.
struct TestFrames {
    TestImage frames[5] = {
        {11, 11, 0x100}, {11, 11, 0x200}, {11, 11, 0x300}, {11, 11, 0x400}, {11, 11, 0x500}};
    TestFrames() { Set(this); }
    ~TestFrames() { Set(nullptr); }
    static void Set(TestFrames *t)
    {
        for (int f = 0; f < 5; f++) CurrentDestFrames[f] = t ? &t->frames[f].image : nullptr;
    }
};

} // namespace

TEST(Pieces, OddTypesAndSmallTiles)
{
    TestImage tile(11, 11, 100);
    // Odd type numbers make a bar; a tile is copied as it is, and one smaller
    // than a cell is read only as far as it goes.
    TestPiece bar(1, &tile.image);
    for (int type : {0, 15, -3}) {
        TestPiece odd(type, &tile.image);
        for (int r = 0; r < 4; r++)
            EXPECT_EQ(memcmp(odd.piece.grids[r], bar.piece.grids[r], 16), 0);
    }
    TestImage small(5, 5, 0x3000);
    TestPiece part(14, &small.image);
    EXPECT_TRUE(part.piece.images[0].pixels[15 * 44 + 15] == 0x3000 + 24);
    EXPECT_TRUE(part.piece.images[0].pixels[16 * 44 + 11] == 0);
    ReleasePiece(&part.piece); // the second release does nothing
}

TEST(Board, FitsAndLanding)
{
    TestImage tile(11, 11, 0x4000);
    TestBoard tb;
    TestPiece bar(1, &tile.image);
    RotateForward(&bar.piece); // upright in grid column 1
    for (int x = -2; x <= 9; x++)
        EXPECT_EQ(Fits(&tb.board, &bar.piece, x, 0), x >= -1 && x <= 8) << x;
    EXPECT_TRUE(Fits(&tb.board, &bar.piece, 4, 16));
    EXPECT_TRUE(!Fits(&tb.board, &bar.piece, 4, 17));
    for (int v : {-100, -4, 21, INT32_MAX, INT32_MIN}) {
        EXPECT_FALSE(Fits(&tb.board, &bar.piece, v, 0)) << v;
        EXPECT_FALSE(Fits(&tb.board, &bar.piece, 3, v)) << v;
    }

    // Landing ORs its colour into what is there (8: a bit no colour has).
    TestPiece dot(14, &tile.image);
    tb.cell(5, 3) = 8;
    LockPiece(&tb.board, &dot.piece, 1, 4);
    EXPECT_EQ(tb.cell(5, 3), 8 | 7);
}

TEST(Board, AFullTopRowIsClearedAlone)
{
    TestBoard top;
    top.fillRow(0, 5), top.cell(1, 2) = 4;
    ASSERT_TRUE(FindFullRow(&top.board));
    ASSERT_TRUE(top.board.fullRow == 0);
    DestroyStep(&top.board, 5);
    for (int c = 1; c <= 10; c++) EXPECT_EQ(top.cell(0, c), 0);
    EXPECT_TRUE(top.cell(1, 2) == 4);
    EXPECT_TRUE(top.px(5, 10) == 0);
    EXPECT_TRUE(top.px(5, 11) == 12);
}

TEST(Board, RisingRow)
{
    TestFrames frames;
    TestImage item(11, 11, 0x7000);
    item.pixels[0] = 0; // the item's black replaces the last frame: it is drawn opaque
    Image *items[8] = {nullptr};
    std::fill_n(items + 1, 7, &item.image);
    TestBoard tb;
    tb.cell(0, 3) = 5, tb.cell(1, 4) = 6; // the 5 is lost over the top
    static const uint8_t row[10] = {1, 0, 3, 0, 0, 0, 0, 0, 0, 7};
    SetRisingRow(&tb.board, row);
    RiseStep(&tb.board, 0, items);
    for (int c = 1; c <= 10; c++) EXPECT_EQ(tb.cell(19, c), row[c - 1]);
    // A hole stays empty throughout.
    EXPECT_EQ((Ints{tb.cell(0, 3), tb.cell(0, 4), tb.cell(20, 5), tb.px(40, 0), tb.px(40, 208),
                    tb.px(0, 209), tb.px(1, 209), tb.px(11, 209)}),
              (Ints{0, 6, 1, 12, 220, 0x100, 0x101, 0}));
    for (int step = 1; step <= 5; step++) {
        RiseStep(&tb.board, step, items);
        EXPECT_TRUE(tb.px(22, 209) == (step < 5 ? 0x100 * (step + 1) : 0));
        EXPECT_TRUE(tb.px(11, 209) == 0);
    }
}
