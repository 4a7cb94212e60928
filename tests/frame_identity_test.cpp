// The bump light against the plain per-pixel rule written out here, over
// noise maps and lights far past the screen's edges, where the soak's intro
// never puts it: the fast frame loop must give every pixel as the rule does.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "gfx/intro_effects.h"
#include "platform/headless/headless.h"
#include "platform/screen.h"
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
    ASSERT_TRUE(BuildBumpPicture(&p));
    ASSERT_TRUE(BuildBumpHeight(&h));
    ASSERT_TRUE(BuildBumpLight(&l));
    ASSERT_TRUE(BuildBumpGradients());

    struct Light {
        int32_t lx, ly, level;
    };
    const Light lights[] = {
        {120, 160, -11},     {120, 160, 60},        {120, 160, 0},        {-57, 160, -11},
        {296, 160, -11},     {120, -57, -11},                        // the spot's rim on the border
        {-64, -64, -200},    {304, 384, 200},       {-65, 160, -11}, // just in and just off
        {241, 330, -11},     {3, 3, -11},           {236, 316, -11},      {120, 160, 74},
        {120, 160, 75},      {120, 160, 76}, // where the darkening saturates
        {120, 160, -115},    {120, 160, -116},      {120, 160, -117},     {120, 160, INT_MAX},
        {120, 160, INT_MIN}, {INT_MAX, INT_MIN, 0}, {INT_MIN, INT_MAX, 0}};
    for (const Light &light : lights) {
        DrawBumpFrame(light.lx, light.ly, light.level);
        EXPECT_EQ(FirstDifference(PlainBumpFrame(light.lx, light.ly, light.level)), "")
            << "light at (" << light.lx << ", " << light.ly << "), level " << light.level;
    }
    FreeBumpMaps();
    CloseScreen();
}
