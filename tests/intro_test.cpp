// The intro and its effects: the lettering reveal, the spark fountain and the
// maps of the bump-mapped light, with pictures made here. The phases of the
// light are followed end to end; its frames in the frame identity test.
#include <gtest/gtest.h>

#include <cstring>

#include "front/intro.h"
#include "gfx/intro_effects.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "res/tga.h"
#include "tests/test_util.h"

TEST(Intro, RevealGrowsBothLinesAndEndsWithoutTheBumpPictures)
{
    TempFolder folder;
    WriteBytes(folder.Path("AGameBy.tga"), RawTga(173, 9, Bytes(173 * 9, 100)));
    WriteBytes(folder.Path("TarnveldixStudio.tga"), RawTga(174, 9, Bytes(174 * 9, 150)));
    OpenBasics();
    LoadIntro();
    EXPECT_FALSE(Intro.lightReady);
    auto Step = [](std::initializer_list<int> keys = {}) {
        return StepWithKeys(IntroStep, keys, nullptr);
    };
    const uint16_t first = GreyPixel(100), studio = GreyPixel(150);
    // r = 1: one column of each, only in the top nine rows.
    EXPECT_EQ(Step(), 0);
    EXPECT_EQ((Ints{Pixel(0, 65), Pixel(1, 65), Pixel(173, 146), Pixel(172, 146), Pixel(0, 74)}),
              (Ints{first, 0, studio, 0, 0}));
    EXPECT_EQ(Step({KeyUp}), 0); // direction keys do nothing
    for (int tick = 3; tick <= 115; tick++) ASSERT_EQ(Step({KeyLeft}), 0);
    // r = 172: columns 0..171 of the first line, 2..173 of the studio line.
    EXPECT_EQ((Ints{Pixel(171, 65), Pixel(172, 65), Pixel(2, 146), Pixel(1, 146)}),
              (Ints{first, 0, studio, 0}));
    Step(); // tick 116, r = 174: both whole
    EXPECT_EQ((Ints{Pixel(172, 65), Pixel(0, 146), Pixel(173, 146)}),
              (Ints{first, studio, studio}));
    // Without the bump pictures the intro ends with its reveal, on tick 214.
    for (int tick = 117; tick <= 213; tick++) ASSERT_EQ(Step(), 0);
    EXPECT_EQ(Step(), 1);
    // A digit ends it at once, before anything is drawn.
    ReleaseIntro();
    LoadIntro();
    int32_t presented = Headless_PresentCount();
    EXPECT_EQ(Step({Key4}), 1);
    EXPECT_EQ(Headless_PresentCount(), presented);
    ReleaseIntro();
    ReleaseIntro(); // a second release does nothing
    CloseBasics();
}

// Builds the maps from a flat picture of one byte value, a height map and a light map.
static void BuildMaps(uint8_t pictureByte, Bytes height, Bytes light)
{
    ASSERT_TRUE(AllocateBumpMaps(240, 320));
    Bytes picture(240 * 320 * 3, pictureByte);
    TgaInfo p = DecodedTga(240, 320, 3, picture), h = DecodedTga(240, 320, 1, height),
            l = DecodedTga(256, 256, 1, light);
    EXPECT_TRUE(BuildBumpPicture(&p) && BuildBumpHeight(&h) && BuildBumpLight(&l) &&
                BuildBumpGradients());
    ASSERT_TRUE(BumpMapsReady());
}

TEST(BumpLight, GradientsLightPathAndRefusedSizes)
{
    Headless_Reset();
    ASSERT_TRUE(OpenScreen());
    // A cliff at column 100 (height 31 to its right): a slope of 62 either side of it.
    Bytes height(240 * 320), light(256 * 256);
    for (int i = 0; i < 240 * 320; i++) height[i] = i % 240 >= 100 ? 248 : 0;
    BuildMaps(128, height, light);
    const int32_t *gx = BumpMaps.gradX;
    EXPECT_EQ(
        (Ints{gx[160 * 240 + 94], gx[160 * 240 + 95], gx[160 * 240 + 106], gx[160 * 240 + 107],
              gx[3 * 240 + 100], // none within the border
              BumpMaps.gradY[160 * 240 + 100]}),
        (Ints{0, 62, 62, 0, 0, 0}));
    FreeBumpMaps();
    EXPECT_FALSE(BumpMapsReady());

    // A picture of the wrong size is refused.
    ASSERT_TRUE(AllocateBumpMaps(240, 320));
    Bytes small(100 * 3);
    TgaInfo wrong = DecodedTga(10, 10, 3, small);
    EXPECT_FALSE(BuildBumpPicture(&wrong) || BuildBumpHeight(&wrong) || BuildBumpLight(&wrong));
    FreeBumpMaps();
    CloseScreen();

    // The light circles the centre; negative offsets keep their sign.
    // At 20: 3 and 4 degrees; at 1080: 180 and 216 degrees.
    int32_t l[4];
    BumpLightPosition(20, &l[0], &l[1]), BumpLightPosition(1080, &l[2], &l[3]);
    EXPECT_EQ(Ints(l, l + 4), (Ints{179, 161, 60, 149}));
}

TEST(Sparks, LifeAndEmitters)
{
    Headless_Reset();
    ASSERT_TRUE(OpenScreen());
    SeedSparks();
    for (int i = 0; i < SparkCount; i++) {
        ASSERT_TRUE(Sparks[i].timer >= 0 && Sparks[i].timer < 75);
        Sparks[i].timer = 1000000; // out of the way
    }
    Sparks[0].timer = Sparks[325].timer = 0;
    uint16_t dot = 0xF800;
    Image spark = {&dot, 1, 1};
    memset(BackBuffer, 0, ScreenWidth * ScreenHeight * 2);
    DrawSparkFountain(&spark, 50, 60, 150, 160);
    // Born at its emitter, not yet drawn, with a speed up and to either side.
    EXPECT_TRUE(Sparks[0].x == 50.0f && Sparks[325].x == 150.0f && Sparks[325].y == 160.0f);
    EXPECT_EQ(Pixel(50, 60), 0);
    EXPECT_TRUE(Sparks[0].dx >= -0.7f - 1e-6f && Sparks[0].dx <= 0.7f + 1e-6f &&
                Sparks[0].dy <= 0.0f && Sparks[0].gravity >= 0.1f - 1e-6f);
    float dx = Sparks[0].dx;
    DrawSparkFountain(&spark, 50, 60, 150, 160);
    EXPECT_EQ(Pixel(50, 60), 0xFFDF); // drawn where it was born, then moved
    EXPECT_FLOAT_EQ(Sparks[0].x, 50.0f + dx);
    for (int call = 3; call <= 76; call++) DrawSparkFountain(&spark, 50, 60, 150, 160);
    EXPECT_EQ(Sparks[0].timer, -76); // 75 drawn calls
    DrawSparkFountain(&spark, 10, 20, 150, 160);
    // Reborn at the emitter's new place.
    EXPECT_TRUE(Sparks[0].timer == -1 && Sparks[0].x == 10.0f && Sparks[0].y == 20.0f);
    CloseScreen();
}
