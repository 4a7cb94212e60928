// The blitters against a per-pixel model, at every position around the edges
// of small destinations fenced by guard pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "gfx/blit.h"
#include "platform/screen.h"

namespace
{

enum Op { Transparent, Rect, Opaque, Framed, TransparentTo, OpaqueTo, SharedTo, AddGrey, OpCount };
const int Guard = 64;
const uint16_t GuardValue = 0xBEEF, Ring = 0x1234;
const int16_t Bias = -3;

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
    int left = op == Rect, top = op == Rect;
    int w = op == Rect ? 3 : src.width, h = op == Rect ? 2 : src.height;
    if (op == Framed && (x <= 0 || y <= 0)) return;
    for (int i = 0; i < h; i++)
        for (int j = 0; j < w; j++) {
            if (x + j < 0 || x + j >= W || y + i < 0 || y + i >= H) continue;
            uint16_t s = src.pixels[(top + i) * src.width + left + j];
            uint16_t &d = dst[(y + i) * W + x + j];
            bool ring = i == 0 || i == h - 1 || j == 0 || j == w - 1;
            int v = (int16_t)((d >> 11) + (s >> 11) + Bias);
            switch (op) {
            case Opaque:
            case OpaqueTo: d = s; break;
            case Framed: d = ring ? Ring : s; break;
            case SharedTo: d = (s & d) ? s : d; break;
            case AddGrey: d = s ? (v < 0 ? 0 : v > 31 ? 31 : v) * 2113 : d; break;
            default: d = s ? s : d;
            }
        }
}

class Blit : public ::testing::Test
{
  protected:
    std::vector<uint16_t> screen, canvas;
    Image target;
    uint32_t oldWidth = ScreenWidth, oldHeight = ScreenHeight;
    uint16_t *oldBuffer = BackBuffer;
    std::mt19937 rng{1234};

    void SetUp() override
    {
        screen.assign(Guard + 23 * 17 + Guard, GuardValue);
        canvas.assign(Guard + 19 * 13 + Guard, GuardValue);
        ScreenWidth = 23, ScreenHeight = 17, BackBuffer = screen.data() + Guard;
        target = {canvas.data() + Guard, 19, 13};
    }
    void TearDown() override
    {
        ScreenWidth = oldWidth, ScreenHeight = oldHeight, BackBuffer = oldBuffer;
    }

    std::vector<uint16_t> Picture(int w, int h)
    {
        std::vector<uint16_t> px(w * h);
        for (uint16_t &p : px) p = rng() % 4 ? (uint16_t)rng() : 0;
        return px;
    }
    static bool Fenced(const std::vector<uint16_t> &v)
    {
        for (int i = 0; i < Guard; i++)
            if (v[i] != GuardValue || v[v.size() - 1 - i] != GuardValue) return false;
        return true;
    }
    // Blits at every position from wholly off the top-left to wholly off the
    // bottom-right (inside and clipped placements alike) against the model.
    void Sweep(int op, const Image &src)
    {
        std::vector<uint16_t> &store = IntoTarget(op) ? canvas : screen;
        int W = IntoTarget(op) ? 19 : 23, H = IntoTarget(op) ? 13 : 17;
        uint16_t *dst = store.data() + Guard;
        for (int y = -src.height - 2; y <= H + 2; y++)
            for (int x = -src.width - 2; x <= W + 2; x++) {
                for (int i = 0; i < W * H; i++) dst[i] = (uint16_t)rng();
                std::vector<uint16_t> expected(dst, dst + W * H);
                Model(op, src, x, y, expected.data(), W, H);
                ASSERT_TRUE(RunOp(op, &src, x, y, &target));
                ASSERT_EQ(std::vector<uint16_t>(dst, dst + W * H), expected)
                    << "op " << op << " at " << x << "," << y << ", " << src.width << "x"
                    << src.height;
                ASSERT_TRUE(Fenced(store)) << "op " << op << " at " << x << "," << y;
            }
    }
};

} // namespace

TEST_F(Blit, EveryOperationMatchesTheModelAtEveryPosition)
{
    // Small, taller and wider than the destinations, one pixel, larger both ways.
    const int sizes[][2] = {{5, 4}, {3, 21}, {27, 2}, {1, 1}, {30, 24}};
    for (auto size : sizes) {
        std::vector<uint16_t> px = Picture(size[0], size[1]);
        Image src = {px.data(), size[0], size[1]};
        for (int op = 0; op < OpCount; op++)
            if (op != Rect || (size[0] >= 4 && size[1] >= 3)) Sweep(op, src);
    }
}

TEST_F(Blit, RectanglesAndAbsentPictures)
{
    std::vector<uint16_t> px(20, 7);
    Image src = {px.data(), 5, 4}, none = {nullptr, 5, 4};
    px[4] = 9;
    uint16_t *b = BackBuffer;
    EXPECT_TRUE(BlitTransparentRect(&src, 0, 0, 4, 0, 5, 1)); // right = width draws the last column
    EXPECT_EQ(b[0], 9);
    EXPECT_EQ(b[1], GuardValue);
    std::vector<uint16_t> before = screen;
    const int bad[][4] = {{0, 0, 6, 4}, {0, 0, 5, 5},  {2, 0, 2, 4},
                          {0, 3, 5, 3}, {-1, 0, 5, 4}, {0, -1, 5, 4}};
    for (const auto &r : bad)
        EXPECT_FALSE(BlitTransparentRect(&src, 1, 1, r[0], r[1], r[2], r[3])) << r[2];
    EXPECT_TRUE(BlitTransparentRect(&src, 100, 100, 0, 0, 5, 4)); // valid, just not visible
    EXPECT_TRUE(BlitTransparent(&src, -5, 0));                    // x + w = 0
    EXPECT_TRUE(BlitTransparent(&src, 23, 0));                    // x = W
    for (int op = 0; op < OpCount; op++) {
        EXPECT_FALSE(RunOp(op, nullptr, 2, 2, &target)) << op;
        EXPECT_FALSE(RunOp(op, &none, 2, 2, &target)) << op;
        if (IntoTarget(op)) {
            EXPECT_FALSE(RunOp(op, &src, 2, 2, &none)) << op;
        }
    }
    EXPECT_EQ(screen, before);
}

TEST_F(Blit, CombinationExamples)
{
    // Examples that pin the model's arithmetic down.
    uint16_t *b = BackBuffer;
    // Only exactly 0 is transparent; the opaque copy writes black there.
    std::vector<uint16_t> px = {0x0000, 0x0001, 0x0020, 0xF800};
    Image src = {px.data(), 4, 1};
    BlitTransparent(&src, 0, 0);
    EXPECT_EQ(std::vector<uint16_t>(b, b + 4),
              (std::vector<uint16_t>{GuardValue, 1, 0x20, 0xF800}));
    BlitOpaque(&src, 0, 0);
    EXPECT_EQ(std::vector<uint16_t>(b, b + 4), px);

    // Add-grey: 20 + 15 saturates at 0xFFDF, 3 + 2 - 10 stops at 0, green and
    // blue never count, and a bias past 16 bits wraps before the clamp.
    uint16_t s15 = 15 << 11 | 0x07FF, s2 = 2 << 11;
    const struct {
        uint16_t d, *s;
        int16_t bias;
        uint16_t expect;
    } grey[] = {{20 << 11, &s15, 0, 0xFFDF},
                {3 << 11 | 0x07FF, &s2, -10, 0},
                {3 << 11, &s2, 1, 6 * 2113},
                {31 << 11, &s15, 32767, 0}};
    for (auto g : grey) {
        Image one = {g.s, 1, 1};
        b[0] = g.d;
        BlitAddGrey(&one, 0, 0, g.bias);
        EXPECT_EQ(b[0], g.expect) << g.bias;
    }
}
