// The piece shapes and the board: rotations, pictures, collisions at the
// walls, landing, full rows, the rising row and the light sweep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

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

TEST(Pieces, RotationTables)
{
    TestImage tile(11, 11, 100);
    for (int type = 1; type <= PieceTypeCount; type++) {
        TestPiece t(type, &tile.image);
        Piece &p = t.piece;
        ASSERT_EQ(p.rotation, 1);
        // Four turns either way return; forward then back (how a turn that does
        // not fit is undone) leaves grid and picture as they were.
        for (int start = 1; start <= 4; start++) {
            const uint8_t *grid = p.grid;
            const Image *image = p.image;
            EXPECT_TRUE(grid == p.grids[start - 1] && image == &p.images[start - 1]);
            for (int k = 0; k < 4; k++) RotateForward(&p);
            for (int k = 0; k < 4; k++) RotateBack(&p);
            EXPECT_EQ(p.rotation, start);
            RotateBack(RotateForward(&p));
            EXPECT_TRUE(p.grid == grid && p.image == image);
            RotateForward(&p);
        }
        std::set<std::vector<uint8_t>> distinct;
        for (int r = 0; r < 4; r++)
            distinct.insert(std::vector<uint8_t>(p.grids[r], p.grids[r] + 16));
        bool same = type == 2 || type == 8 || type == 14;
        bool alternates = type == 1 || type == 6 || type == 7 || type >= 11;
        EXPECT_EQ(distinct.size(), same ? 1u : alternates ? 2u : 4u) << type;
        EXPECT_TRUE(!alternates || !memcmp(p.grids[1], p.grids[3], 16)) << type;
        // The others turn a quarter clockwise about row 1, column 1:
        // a cell (row 1 + a, column 1 + b) goes to (row 1 + b, column 1 - a).
        for (int r = 0; r < 4 && !(type <= 2 || type == 6 || type == 7); r++)
            for (int i = 0; i < 16; i++) {
                if (!p.grids[r][i]) continue;
                ASSERT_LT(i, 12) << type; // row 3 would turn out of the grid
                EXPECT_NE(p.grids[(r + 1) % 4][i % 4 * 4 + 2 - i / 4], 0) << type << " " << r;
            }
        // One colour per piece: 1..7, and types 8..14 again 1..7.
        for (int i = 0; i < 16; i++) EXPECT_TRUE(p.grid[i] == 0 || p.grid[i] == (type - 1) % 7 + 1);
    }

    // Odd type numbers make a bar; a tile is copied as it is, and one smaller
    // than a cell is read only as far as it goes.
    TestPiece bar(1, &tile.image);
    for (int type : {0, 15, -3}) {
        TestPiece odd(type, &tile.image);
        for (int r = 0; r < 4; r++)
            EXPECT_EQ(memcmp(odd.piece.grids[r], bar.piece.grids[r], 16), 0);
    }
    tile.pixels[5] = 0;
    TestPiece dot(14, &tile.image); // one block at x, y 11..21
    const Image &pic = dot.piece.images[2];
    ASSERT_EQ(pic.width, 44);
    for (int y = 0; y < 44; y++)
        for (int x = 0; x < 44; x++) {
            bool inside = x >= 11 && x <= 21 && y >= 11 && y <= 21;
            ASSERT_EQ(pic.pixels[y * 44 + x], inside ? tile.pixels[(y - 11) * 11 + x - 11] : 0);
        }
    TestImage small(5, 5, 0x3000);
    TestPiece part(14, &small.image);
    EXPECT_TRUE(part.piece.images[0].pixels[15 * 44 + 15] == 0x3000 + 24 &&
                part.piece.images[0].pixels[16 * 44 + 11] == 0);
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
    EXPECT_TRUE(Fits(&tb.board, &bar.piece, 4, 16) && !Fits(&tb.board, &bar.piece, 4, 17));
    for (int v : {-100, -4, 21, INT32_MAX, INT32_MIN})
        EXPECT_FALSE(Fits(&tb.board, &bar.piece, v, 0) || Fits(&tb.board, &bar.piece, 3, v)) << v;

    // Lying at the spawn place, the bar covers board columns 3..6 of row 1.
    ResetRotation(&bar.piece);
    LockPiece(&tb.board, &bar.piece, 3, 0);
    for (int c = 1; c <= 10; c++) EXPECT_EQ(tb.cell(1, c), c >= 4 && c <= 7 ? 1 : 0) << c;
    EXPECT_EQ((Ints{tb.px(33, 11), tb.px(76, 21), tb.px(32, 11), tb.px(40, 10)}),
              (Ints{0x4000, 0x4000 + 120, 12, 11}));
    // Landing ORs its colour into what is there.
    TestPiece dot(14, &tile.image);
    tb.cell(5, 3) = 4;
    LockPiece(&tb.board, &dot.piece, 1, 4);
    EXPECT_EQ(tb.cell(5, 3), 4 | 7);
}

TEST(Board, FullRowsAreRemovedUpperFirst)
{
    TestFrames frames;
    TestBoard tb;
    EXPECT_FALSE(FindFullRow(&tb.board));
    tb.fillRow(18, 2), tb.fillRow(19, 3), tb.cell(17, 5) = 6;
    ASSERT_TRUE(FindFullRow(&tb.board) && tb.board.fullRow == 18);
    // Steps 1..4 copy frames 2..5 over the row's cells, black included.
    frames.frames[1].pixels[3] = 0;
    for (int step = 1; step <= 4; step++) {
        DestroyStep(&tb.board, step);
        EXPECT_EQ(tb.px(109, 18 * 11 + 10), 0x100 * (step + 1) + 120) << step;
        EXPECT_EQ(tb.px(0, 17 * 11 + 10), 17 * 11 + 11);
    }
    DestroyStep(&tb.board, 5);
    // Only what lay above moved down; the lower full row is found next.
    EXPECT_EQ((Ints{tb.cell(18, 5), tb.cell(18, 4), tb.cell(18, 0), tb.px(50, 18 * 11 + 10),
                    tb.px(50, 11), tb.px(50, 10), tb.px(50, 19 * 11)}),
              (Ints{6, 0, 1, 17 * 11 + 11, 1, 0, 19 * 11 + 1}));
    EXPECT_TRUE(FindFullRow(&tb.board) && tb.board.fullRow == 19);

    // A full row 0 is removed by clearing it alone.
    TestBoard top;
    top.fillRow(0, 5), top.cell(1, 2) = 4;
    ASSERT_TRUE(FindFullRow(&top.board) && top.board.fullRow == 0);
    DestroyStep(&top.board, 5);
    for (int c = 1; c <= 10; c++) EXPECT_EQ(top.cell(0, c), 0);
    EXPECT_TRUE(top.cell(1, 2) == 4 && top.px(5, 10) == 0 && top.px(5, 11) == 12);
}

TEST(Board, RisingRowAndLightSweep)
{
    TestFrames frames;
    TestImage item(11, 11, 0x7000);
    Image *items[8] = {nullptr};
    std::fill_n(items + 1, 7, &item.image);
    TestBoard tb;
    tb.cell(0, 3) = 5, tb.cell(1, 4) = 6; // the 5 is lost over the top
    static const uint8_t row[10] = {1, 0, 3, 0, 0, 0, 0, 0, 0, 7};
    SetRisingRow(&tb.board, row);
    frames.frames[0].pixels[0] = 0; // keyed at step 0
    RiseStep(&tb.board, 0, items);
    for (int c = 1; c <= 10; c++) EXPECT_EQ(tb.cell(19, c), row[c - 1]);
    // A hole stays empty throughout.
    EXPECT_EQ((Ints{tb.cell(0, 3), tb.cell(0, 4), tb.cell(20, 5), tb.px(40, 0), tb.px(40, 208),
                    tb.px(0, 209), tb.px(1, 209), tb.px(11, 209)}),
              (Ints{0, 6, 1, 12, 220, 0, 0x101, 0}));
    for (int step = 1; step <= 5; step++) {
        RiseStep(&tb.board, step, items);
        EXPECT_TRUE(tb.px(22, 209) == (step < 5 ? 0x100 * (step + 1) : 0x7000) &&
                    tb.px(11, 209) == 0);
    }

    // The light sweep lights only coloured pixels and leaves the canvas as it was.
    GamePictureSet kept = GamePictures;
    TestImage lights[5] = {
        {11, 11, 0xF000}, {11, 11, 0xF100}, {11, 11, 0xF200}, {11, 11, 0xF300}, {11, 11, 0xF400}};
    for (int i = 0; i < 5; i++) GamePictures.lights[i] = &lights[i].image;
    ASSERT_TRUE(CreateImage(&GamePictures.boardSnapshot, CanvasWidth, CanvasHeight));
    for (int i = 0; i < CanvasWidth * CanvasHeight; i++)
        tb.board.canvas.pixels[i] = i % 3 ? 0xFFFF : 0;
    std::vector<uint16_t> before(tb.board.canvas.pixels,
                                 tb.board.canvas.pixels + CanvasWidth * CanvasHeight);
    for (int step = 0; step <= 7; step++) {
        LightStep(&tb.board, step);
        int lit = 0;
        for (size_t i = 0; i < before.size(); i++) {
            ASSERT_TRUE(before[i] || !tb.board.canvas.pixels[i]) << step;
            lit += tb.board.canvas.pixels[i] != before[i];
        }
        EXPECT_EQ(lit > 0, step >= 1 && step <= 5) << step;
        EXPECT_TRUE(step < 1 || step > 5 || tb.px(1, 0) == lights[step - 1].pixels[1]) << step;
    }
    FreeImagePixels(&GamePictures.boardSnapshot);
    GamePictures = kept;
}
