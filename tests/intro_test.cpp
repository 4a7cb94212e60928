// The intro and its effects: the lettering reveal, the phases of the light,
// the spark fountain and the bump-mapped light, with pictures made here.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "front/intro.h"
#include "gfx/intro_effects.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/tga.h"
#include "tests/test_util.h"

// An uncompressed TGA, top row first: grey (1 byte a pixel) or true colour (3).
static std::vector<uint8_t> Tga(int w, int h, int bytesPerPixel, const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> f(18, 0);
    f[2] = bytesPerPixel == 1 ? 3 : 2;
    f[12] = (uint8_t)w;
    f[13] = (uint8_t)(w >> 8);
    f[14] = (uint8_t)h;
    f[15] = (uint8_t)(h >> 8);
    f[16] = (uint8_t)(8 * bytesPerPixel);
    f[17] = 0x20;
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

static uint16_t Grey565(int v) { return (uint16_t)((v >> 3) << 11 | (v >> 2) << 5 | (v >> 3)); }

static uint16_t Rgb565(int r, int g, int b) { return (uint16_t)(r << 11 | g << 5 | b); }

static uint16_t Pixel(int x, int y) { return BackBuffer[y * (int)ScreenWidth + x]; }

// The intro as start-up loads it: the two lines and, if asked, the bump pictures.
static std::string OpenIntro(bool bump)
{
    Headless_Reset();
    std::string dir = MakeTempDir();
    WriteBytes(dir + "/AGameBy.tga", Tga(173, 9, 1, std::vector<uint8_t>(173 * 9, 100)));
    WriteBytes(dir + "/TarnveldixStudio.tga", Tga(174, 9, 1, std::vector<uint8_t>(174 * 9, 150)));
    if (bump) {
        WriteBytes(dir + "/Bump-picS.tga",
                   Tga(240, 320, 3, std::vector<uint8_t>(240 * 320 * 3, 128)));
        WriteBytes(dir + "/Bump-FondS.tga", Tga(240, 320, 1, std::vector<uint8_t>(240 * 320, 0)));
        WriteBytes(dir + "/Bump-SourceS.tga",
                   Tga(256, 256, 1, std::vector<uint8_t>(256 * 256, 255)));
    }
    Headless_SetFolder(dir.c_str());
    EXPECT_TRUE(OpenScreen());
    OpenKeys();
    SetAllThresholds(100000);
    OpenResourceArchive();
    LoadIntro();
    return dir;
}

static void CloseIntro(const std::string &dir)
{
    ReleaseIntro();
    ReleaseIntro(); // a second release does nothing
    CloseScreen();
    RemoveTree(dir);
}

static int Step(std::initializer_list<int> pressed = {})
{
    for (int s : pressed) Keys.KeySlot[s] = 1;
    AdvanceKeys();
    int result = IntroStep();
    for (int s : pressed) Keys.KeySlot[s] = 0;
    return result;
}

TEST(Intro, RevealGrowsBothLinesFromOppositeSides)
{
    std::string dir = OpenIntro(false);
    EXPECT_FALSE(Intro.lightReady);
    const uint16_t first = Grey565(100), studio = Grey565(150);
    EXPECT_EQ(Step(), 0); // r = 1: one column of each
    EXPECT_EQ(Pixel(0, 65), first);
    EXPECT_EQ(Pixel(1, 65), 0);
    EXPECT_EQ(Pixel(173, 146), studio);
    EXPECT_EQ(Pixel(172, 146), 0);
    EXPECT_EQ(Pixel(0, 74), 0);  // only the top nine rows
    EXPECT_EQ(Step({KeyUp}), 0); // direction keys do nothing
    for (int tick = 3; tick <= 115; tick++) ASSERT_EQ(Step({KeyLeft}), 0);
    // r = 172: columns 0..171 of the first line, 2..173 of the studio line.
    EXPECT_EQ(Pixel(171, 65), first);
    EXPECT_EQ(Pixel(172, 65), 0);
    EXPECT_EQ(Pixel(2, 146), studio);
    EXPECT_EQ(Pixel(1, 146), 0);
    Step(); // tick 116, r = 174: both whole
    EXPECT_EQ(Pixel(172, 65), first);
    EXPECT_EQ(Pixel(0, 146), studio);
    EXPECT_EQ(Pixel(173, 146), studio);

    // Without the bump pictures the intro ends with its reveal, on tick 214.
    for (int tick = 117; tick <= 213; tick++) ASSERT_EQ(Step(), 0);
    EXPECT_EQ(Step(), 1);
    CloseIntro(dir);
}

TEST(Intro, LightPhasesAndTheirLength)
{
    std::string dir = OpenIntro(true);
    ASSERT_TRUE(Intro.lightReady);
    for (int tick = 1; tick <= 213; tick++) ASSERT_EQ(Step(), 0);
    EXPECT_EQ(Intro.IntroPhase, IntroReveal);
    Step(); // r = 321
    EXPECT_EQ(Intro.IntroPhase, IntroLightUp);
    EXPECT_EQ(Intro.light, 60);
    Step();
    EXPECT_EQ(Intro.light, 59);
    for (int tick = 216; tick <= 284; tick++) Step();
    EXPECT_EQ(Intro.IntroPhase, IntroLightUp);
    Step(); // tick 285: L = -11
    EXPECT_EQ(Intro.IntroPhase, IntroHold);
    EXPECT_EQ(Intro.light, -11);
    for (int tick = 286; tick <= 514; tick++) Step();
    EXPECT_EQ(Intro.IntroPhase, IntroHold);
    Step(); // tick 515
    EXPECT_EQ(Intro.IntroPhase, IntroLightDown);
    EXPECT_EQ(Intro.light, -11);
    for (int tick = 516; tick <= 586; tick++) ASSERT_EQ(Step(), 0) << tick;
    EXPECT_EQ(Intro.light, 60);
    // The lines lie over the light.
    EXPECT_EQ(Pixel(0, 65), Grey565(100));
    int32_t presented = Headless_PresentCount();
    EXPECT_EQ(Step(), 1); // tick 587 ends it without drawing
    EXPECT_EQ(Headless_PresentCount(), presented);
    CloseIntro(dir);

    // A digit key on the very first tick ends it before anything is drawn.
    dir = OpenIntro(true);
    presented = Headless_PresentCount();
    EXPECT_EQ(Step({Key4}), 1);
    EXPECT_EQ(Headless_PresentCount(), presented);
    CloseIntro(dir);
}

// A decoded picture of w x h with the given bytes.
static TgaInfo Decoded(int w, int h, int bytesPerPixel, std::vector<uint8_t> &data)
{
    TgaInfo tga;
    memset(&tga, 0, sizeof tga);
    tga.width = (uint16_t)w;
    tga.height = (uint16_t)h;
    tga.bytesPerPixel = (uint16_t)bytesPerPixel;
    tga.rowBytes = (uint16_t)(w * bytesPerPixel);
    tga.data = data.data();
    return tga;
}

// Builds the maps from a flat picture of one byte value, a height map and a light map.
static void BuildMaps(uint8_t pictureByte, std::vector<uint8_t> height, std::vector<uint8_t> light)
{
    ASSERT_TRUE(AllocateBumpMaps(240, 320));
    std::vector<uint8_t> picture(240 * 320 * 3, pictureByte);
    TgaInfo p = Decoded(240, 320, 3, picture), h = Decoded(240, 320, 1, height),
            l = Decoded(256, 256, 1, light);
    EXPECT_TRUE(BuildBumpPicture(&p));
    EXPECT_TRUE(BuildBumpHeight(&h));
    EXPECT_TRUE(BuildBumpLight(&l));
    EXPECT_TRUE(BuildBumpGradients());
    ASSERT_TRUE(BumpMapsReady());
}

TEST(BumpLight, SpotBorderGradientsAndSaturation)
{
    Headless_Reset();
    ASSERT_TRUE(OpenScreen());
    // Flat relief, full light (I = 63), L = -11: D = -22.
    BuildMaps(128, std::vector<uint8_t>(240 * 320, 0), std::vector<uint8_t>(256 * 256, 255));
    DrawBumpFrame(120, 160, -11);
    const uint16_t lit = Rgb565(16 + 11, 32 + 22, 16 + 11);
    EXPECT_EQ(Pixel(120, 160), lit);
    EXPECT_EQ(Pixel(56, 160), lit); // exactly 64 pixels away
    EXPECT_EQ(Pixel(56, 159), 0);   // dx = 64, dy = 1
    EXPECT_EQ(Pixel(120, 96), lit);
    EXPECT_EQ(Pixel(120, 95), 0);
    DrawBumpFrame(40, 40, -11);
    EXPECT_EQ(Pixel(7, 40), lit);
    EXPECT_EQ(Pixel(6, 40), 0); // the border stays black
    EXPECT_EQ(Pixel(40, 7), lit);
    EXPECT_EQ(Pixel(40, 6), 0);
    DrawBumpFrame(200, 280, -11);
    EXPECT_EQ(Pixel(233, 280), lit);
    EXPECT_EQ(Pixel(234, 280), 0);
    EXPECT_EQ(Pixel(200, 313), lit);
    EXPECT_EQ(Pixel(200, 314), 0);
    // Bright colours saturate; at L = 60 a mid colour goes black.
    BuildMaps(250, std::vector<uint8_t>(240 * 320, 0), std::vector<uint8_t>(256 * 256, 255));
    DrawBumpFrame(120, 160, -11);
    EXPECT_EQ(Pixel(120, 160), Rgb565(31, 63, 31));
    BuildMaps(128, std::vector<uint8_t>(240 * 320, 0), std::vector<uint8_t>(256 * 256, 255));
    DrawBumpFrame(120, 160, 60);
    EXPECT_EQ(Pixel(120, 160), Rgb565(0, 0, 0));

    // A cliff at column 100 (height 31 to its right) and a light map that
    // brightens to the right: the slope shifts the light-map column by 62.
    std::vector<uint8_t> height(240 * 320), light(256 * 256);
    for (int y = 0; y < 320; y++)
        for (int x = 0; x < 240; x++) height[y * 240 + x] = x >= 100 ? 248 : 0;
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) light[y * 256 + x] = (uint8_t)x;
    BuildMaps(128, height, light);
    const int32_t *gx = BumpMaps.gradX, *gy = BumpMaps.gradY;
    EXPECT_EQ(gx[160 * 240 + 94], 0);
    EXPECT_EQ(gx[160 * 240 + 95], 62);
    EXPECT_EQ(gx[160 * 240 + 106], 62);
    EXPECT_EQ(gx[160 * 240 + 107], 0);
    EXPECT_EQ(gx[3 * 240 + 100], 0); // no gradient within the border
    EXPECT_EQ(gy[160 * 240 + 100], 0);
    DrawBumpFrame(100, 160, 0);
    // Column 190 of the light map: I = 47, D = 5.
    EXPECT_EQ(Pixel(100, 160), Rgb565(16 - 2, 32 - 5, 16 - 2));
    // Column 128 + 10 without a slope: I = 34, D = 18.
    EXPECT_EQ(Pixel(90, 150), Rgb565(16 - 9, 32 - 18, 16 - 9));
    FreeBumpMaps();
    EXPECT_FALSE(BumpMapsReady());

    // A picture of the wrong size is refused.
    ASSERT_TRUE(AllocateBumpMaps(240, 320));
    std::vector<uint8_t> small(100 * 3);
    TgaInfo wrong = Decoded(10, 10, 3, small);
    EXPECT_FALSE(BuildBumpPicture(&wrong));
    EXPECT_FALSE(BuildBumpHeight(&wrong));
    EXPECT_FALSE(BuildBumpLight(&wrong));
    FreeBumpMaps();
    CloseScreen();

    // The light circles the centre; negative offsets keep their sign.
    int32_t lx, ly;
    BumpLightPosition(20, &lx, &ly); // 3 and 4 degrees
    EXPECT_EQ(lx, 179);
    EXPECT_EQ(ly, 161);
    BumpLightPosition(1080, &lx, &ly); // 180 and 216 degrees
    EXPECT_EQ(lx, 60);
    EXPECT_EQ(ly, 149);
}

TEST(Sparks, LifeAndEmitters)
{
    Headless_Reset();
    ASSERT_TRUE(OpenScreen());
    SeedSparks();
    for (int i = 0; i < SparkCount; i++) {
        ASSERT_GE(Sparks[i].timer, 0);
        ASSERT_LT(Sparks[i].timer, 75);
        Sparks[i].timer = 1000000; // out of the way
    }
    Sparks[0].timer = 0;
    Sparks[325].timer = 0;
    uint16_t dot = 0xF800;
    Image spark = {&dot, 1, 1};
    memset(BackBuffer, 0, ScreenWidth * ScreenHeight * 2);
    DrawSparkFountain(&spark, 50, 60, 150, 160);
    EXPECT_EQ(Sparks[0].x, 50.0f);
    EXPECT_EQ(Sparks[325].x, 150.0f);
    EXPECT_EQ(Sparks[325].y, 160.0f);
    EXPECT_EQ(Pixel(50, 60), 0); // born, not yet drawn
    EXPECT_GE(Sparks[0].dx, -0.7f - 1e-6f);
    EXPECT_LE(Sparks[0].dx, 0.7f + 1e-6f);
    EXPECT_LE(Sparks[0].dy, 0.0f);
    EXPECT_GE(Sparks[0].gravity, 0.1f - 1e-6f);
    float dx = Sparks[0].dx;
    DrawSparkFountain(&spark, 50, 60, 150, 160);
    EXPECT_EQ(Pixel(50, 60), 0xFFDF); // drawn where it was born, then moved
    EXPECT_FLOAT_EQ(Sparks[0].x, 50.0f + dx);
    for (int call = 3; call <= 76; call++) DrawSparkFountain(&spark, 50, 60, 150, 160);
    EXPECT_EQ(Sparks[0].timer, -76); // 75 drawn calls
    DrawSparkFountain(&spark, 10, 20, 150, 160);
    EXPECT_EQ(Sparks[0].timer, -1); // reborn at the emitter's new place
    EXPECT_EQ(Sparks[0].x, 10.0f);
    EXPECT_EQ(Sparks[0].y, 20.0f);
    CloseScreen();
}
