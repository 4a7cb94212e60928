// The blitters against a per-pixel model, at every position around the edges
// of small destinations fenced by guard pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <utility>
#include <vector>

#include "gfx/blit.h"
#include "platform/screen.h"

namespace
{

typedef std::vector<uint16_t> Pixels;
enum Op { Transparent, Rect, Opaque, Framed, TransparentTo, OpaqueTo, SharedTo, AddGrey, OpCount };
const int Guard = 64, Bias = -3;
const uint16_t GuardValue = 0xBEEF, Ring = 0x1234;

bool IntoTarget(int op) { return op == TransparentTo || op == OpaqueTo || op == SharedTo; }

bool RunOp(int op, const Image *src, int x, int y, Image *target)
{
    switch (op) {
    case Transparent: return BlitTransparent(src, x, y);
    case Rect: return BlitTransparentRect(src, x, y, 1, 1, 4, 3);
    case Opaque: return BlitOpaque(src, x, y);
    case Framed: return BlitFramed(src, x, y, Ring);
    case TransparentTo: return BlitTransparentTo(src, x, y, target);
    case OpaqueTo: return BlitOpaqueTo(src, x, y, target);
    case SharedTo: return BlitSharedBitsTo(src, x, y, target);
    default: return BlitAddGrey(src, x, y, Bias);
    }
}

// The model: every source pixel tested against the destination's edges.
void Model(int op, const Image &src, int x, int y, uint16_t *dst, int W, int H)
{
    int r = op == Rect, w = r ? 3 : src.width, h = r ? 2 : src.height;
    if (op == Framed && (x <= 0 || y <= 0)) return;
    for (int i = 0; i < h; i++)
        for (int j = 0; j < w; j++) {
            if (x + j < 0 || x + j >= W || y + i < 0 || y + i >= H) continue;
            uint16_t s = src.pixels[(r + i) * src.width + r + j], &d = dst[(y + i) * W + x + j];
            int grey = std::clamp((int)(int16_t)((d >> 11) + (s >> 11) + Bias), 0, 31) * 2113;
            d = op == Opaque || op == OpaqueTo ? s
                : op == Framed                 ? (i && j && i < h - 1 && j < w - 1 ? s : Ring)
                : op == SharedTo               ? ((s & d) ? s : d)
                : op == AddGrey                ? (s ? grey : d)
                                               : (s ? s : d);
        }
}

// The screen (23 x 17) and the target image (19 x 13), each fenced by guards.
struct Blit : testing::Test {
    Pixels screen = Pixels(Guard + 23 * 17 + Guard, GuardValue),
           canvas = Pixels(Guard + 19 * 13 + Guard, GuardValue);
    Image target = {canvas.data() + Guard, 19, 13};
    uint32_t oldWidth = std::exchange(ScreenWidth, 23u),
             oldHeight = std::exchange(ScreenHeight, 17u);
    uint16_t *oldBuffer = std::exchange(BackBuffer, screen.data() + Guard);
    std::mt19937 rng{1234};
    ~Blit() { ScreenWidth = oldWidth, ScreenHeight = oldHeight, BackBuffer = oldBuffer; }

    // Blits at every position from wholly off the top-left to wholly off the
    // bottom-right (inside and clipped placements alike) against the model;
    // the guards around the destination stay as they were.
    void Sweep(int op, const Image &src)
    {
        Pixels &store = IntoTarget(op) ? canvas : screen;
        int W = IntoTarget(op) ? 19 : 23, H = IntoTarget(op) ? 13 : 17;
        for (int y = -src.height - 2; y <= H + 2; y++)
            for (int x = -src.width - 2; x <= W + 2; x++) {
                for (int i = 0; i < W * H; i++) store[Guard + i] = (uint16_t)rng();
                Pixels expected = store;
                Model(op, src, x, y, expected.data() + Guard, W, H);
                ASSERT_TRUE(RunOp(op, &src, x, y, &target));
                ASSERT_EQ(store, expected) << "op " << op << " at " << x << "," << y << ", "
                                           << src.width << "x" << src.height;
            }
    }
};

} // namespace

TEST_F(Blit, EveryOperationMatchesTheModelAtEveryPosition)
{
    // Small, taller and wider than the destinations, one pixel, larger both ways.
    for (auto [w, h] : {std::pair{5, 4}, {3, 21}, {27, 2}, {1, 1}, {30, 24}}) {
        Pixels px(w * h);
        // A quarter 0, the rest of every magnitude: only exactly 0 is transparent.
        for (uint16_t &p : px) p = rng() % 4 ? (uint16_t)(rng() >> (16 + rng() % 16)) : 0;
        Image src = {px.data(), w, h};
        for (int op = 0; op < OpCount; op++)
            if (op != Rect || (w >= 4 && h >= 3)) Sweep(op, src);
    }
}

TEST_F(Blit, RectanglesAbsentPicturesAndExamples)
{
    Pixels px(20, 7), before = screen;
    Image src = {px.data(), 5, 4}, none = {nullptr, 5, 4};
    const int bad[] = {0, 0, 6, 4, 0, 0, 5, 5, 2, 0, 2, 4, 0, 3, 5, 3, -1, 0, 5, 4, 0, -1, 5, 4};
    for (const int *r = bad; r < std::end(bad); r += 4)
        EXPECT_FALSE(BlitTransparentRect(&src, 1, 1, r[0], r[1], r[2], r[3])) << r - bad;
    EXPECT_TRUE(BlitTransparentRect(&src, 100, 100, 0, 0, 5, 4)); // valid, just not visible
    EXPECT_TRUE(BlitTransparent(&src, -5, 0));                    // x + w = 0
    EXPECT_TRUE(BlitTransparent(&src, 23, 0));                    // x = W
    for (int op = 0; op < OpCount; op++) {
        EXPECT_FALSE(RunOp(op, nullptr, 2, 2, &target)) << op;
        EXPECT_FALSE(RunOp(op, &none, 2, 2, &target)) << op;
        EXPECT_FALSE(IntoTarget(op) && RunOp(op, &src, 2, 2, &none)) << op;
    }
    EXPECT_EQ(screen, before);
    px[4] = 9; // right = width draws the last column
    EXPECT_TRUE(BlitTransparentRect(&src, 0, 0, 4, 0, 5, 1));
    EXPECT_TRUE(BackBuffer[0] == 9);
    EXPECT_TRUE(BackBuffer[1] == GuardValue);
    // Add-grey: 20 + 15 saturates at 0xFFDF, 3 + 2 - 10 stops at 0, green and
    // blue never count, and a bias past 16 bits wraps before the clamp.
    const int s15 = 15 << 11 | 0x07FF, s2 = 2 << 11,
              grey[] = {20 << 11, s15, 0, 0xFFDF,   3 << 11 | 0x07FF, s2,  -10,   0,
                        3 << 11,  s2,  1, 6 * 2113, 31 << 11,         s15, 32767, 0};
    for (const int *g = grey; g < std::end(grey); g += 4) {
        uint16_t s = (uint16_t)g[1];
        Image one = {&s, 1, 1};
        BackBuffer[0] = (uint16_t)g[0];
        EXPECT_TRUE(BlitAddGrey(&one, 0, 0, (int16_t)g[2])) << g[2];
        EXPECT_TRUE(BackBuffer[0] == g[3]) << g[2];
    }
}
