// The two table-driven full-screen effects, the bump light and the warped
// score background, against the plain per-pixel rule written out here: the
// fast frame loops must give every pixel exactly as the rule does.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "front/score_screen.h"
#include "gfx/intro_effects.h"
#include "platform/headless/headless.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/tga.h"
#include "tests/test_util.h"

// A fixed pseudo-random byte sequence, so that a failure repeats.
static uint32_t NoiseState;
static uint8_t Noise(void)
{
    NoiseState = NoiseState * 1664525u + 1013904223u;
    return (uint8_t)(NoiseState >> 24);
}

static int64_t Clamp(int64_t v, int64_t high) { return v < 0 ? 0 : (v > high ? high : v); }

// One bump frame by the rule, pixel by pixel, from the five maps alone.
static std::vector<uint16_t> PlainBumpFrame(int32_t lx, int32_t ly, int32_t level)
{
    const int W = 240, H = 320;
    std::vector<uint16_t> frame(W * H, 0);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int64_t dx = (int64_t)lx - x, dy = (int64_t)ly - y;
            if (dx < -64 || dx > 64 || dy < -64 || dy > 64 || dx * dx + dy * dy > 4096) continue;
            if (x < 7 || x > W - 7 || y < 7 || y > H - 7) continue;
            int at = y * W + x;
            int64_t column = 128 + dx + BumpMaps.gradX[at], row = 128 + dy + BumpMaps.gradY[at];
            int64_t intensity = BumpMaps.lightMap[(row * 256 + column) * 4 + 1];
            int64_t d = (int64_t)level + 52 - intensity;
            const uint8_t *p = BumpMaps.pictureMap + at * 4;
            frame[at] = (uint16_t)(Clamp(p[0] - (d >> 1), 31) << 11 | Clamp(p[1] - d, 63) << 5 |
                                   Clamp(p[2] - (d >> 1), 31));
        }
    return frame;
}

// The first pixel where the BackBuffer and a frame differ, as text ("" when none).
static std::string FirstDifference(const std::vector<uint16_t> &frame)
{
    for (size_t i = 0; i < frame.size(); i++)
        if (BackBuffer[i] != frame[i])
            return "pixel (" + std::to_string(i % 240) + ", " + std::to_string(i / 240) +
                   "): " + std::to_string(BackBuffer[i]) + " instead of " +
                   std::to_string(frame[i]);
    return "";
}

TEST(FrameIdentity, BumpLightFollowsThePlainRule)
{
    Headless_Reset();
    ASSERT_TRUE(OpenScreen());
    ASSERT_TRUE(AllocateBumpMaps(240, 320));
    // Noise everywhere: every slope from -62 to 62 occurs, and every colour.
    NoiseState = 7;
    std::vector<uint8_t> picture(240 * 320 * 3), height(240 * 320), light(256 * 256);
    for (std::vector<uint8_t> *v : {&picture, &height, &light})
        for (uint8_t &b : *v) b = Noise();
    TgaInfo p = DecodedTga(240, 320, 3, picture), h = DecodedTga(240, 320, 1, height),
            l = DecodedTga(256, 256, 1, light);
    ASSERT_TRUE(BuildBumpPicture(&p) && BuildBumpHeight(&h) && BuildBumpLight(&l) &&
                BuildBumpGradients());

    struct Light {
        int32_t lx, ly, level;
    };
    std::vector<Light> lights = {
        {120, 160, -11},     {120, 160, 60},        {120, 160, 0},        {-57, 160, -11},
        {296, 160, -11},     {120, -57, -11},                        // the spot's rim on the border
        {-64, -64, -200},    {304, 384, 200},       {-65, 160, -11}, // just in and just off
        {241, 330, -11},     {3, 3, -11},           {236, 316, -11},      {120, 160, 74},
        {120, 160, 75},      {120, 160, 76}, // where the darkening saturates
        {120, 160, -115},    {120, 160, -116},      {120, 160, -117},     {120, 160, INT_MAX},
        {120, 160, INT_MIN}, {INT_MAX, INT_MIN, 0}, {INT_MIN, INT_MAX, 0}};
    for (int32_t a = 20; a <= 20 * 120; a += 20 * 7) {
        Light path;
        BumpLightPosition(a, &path.lx, &path.ly);
        path.level = 60 - a / 40;
        lights.push_back(path);
    }
    for (const Light &light : lights) {
        DrawBumpFrame(light.lx, light.ly, light.level);
        EXPECT_EQ(FirstDifference(PlainBumpFrame(light.lx, light.ly, light.level)), "")
            << "light at (" << light.lx << ", " << light.ly << "), level " << light.level;
    }
    FreeBumpMaps();
    CloseScreen();
}

// One warped background by the rule, from the four maps and the offsets alone.
static std::vector<uint16_t> PlainWarpFrame(uint32_t animTicks)
{
    const int W = 240, H = 320;
    int32_t p, q;
    WarpOffsets(animTicks, &p, &q);
    std::vector<uint16_t> frame(W * H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int row = y * 2 * W;
            int a = ScorePictures.WarpA[row + x + p], b = ScorePictures.WarpB[row + x + p];
            int c = ScorePictures.WarpC[row + x + q], d = ScorePictures.WarpD[row + x + q];
            frame[y * W + x] = ScorePictures.background->pixels[((b + d) * 128 + (a + c)) & 0x3FFF];
        }
    return frame;
}

TEST(FrameIdentity, WarpedBackgroundFollowsThePlainRule)
{
    TempFolder folder;
    WriteBytes(folder.Path("HSBackground.tga"), RawTga(128, 128, Bytes(128 * 128, 90)));
    ASSERT_TRUE(OpenScreen());
    OpenResourceArchive();
    LoadScoreScreen();
    ASSERT_NE(ScorePictures.background, nullptr);
    ASSERT_NE(ScorePictures.WarpAB, nullptr);
    // Every texel its own colour, so that any wrong texel shows.
    NoiseState = 11;
    for (int n = 0; n < 128 * 128; n++)
        ScorePictures.background->pixels[n] = (uint16_t)(n << 2 | (Noise() & 3));
    // A whole turn of the offsets (180 ticks), their extremes and a counter that wrapped.
    std::vector<uint32_t> ticks = {0, 45, 90, 135, 179, 180, 600, UINT32_MAX};
    for (uint32_t t = 1; t < 180; t += 4) ticks.push_back(t);
    for (uint32_t t : ticks) {
        ScoreScreen.animTicks = t;
        DrawWarpedBackground();
        EXPECT_EQ(FirstDifference(PlainWarpFrame(t)), "") << "tick " << t;
    }
    ReleaseScoreScreen();
    EXPECT_TRUE(ScorePictures.WarpAB == nullptr && ScorePictures.WarpCD == nullptr);
    CloseResourceArchive();
    CloseScreen();
}
