// The intro with pictures made here: without the bump pictures, or with ones
// of the wrong size, it ends after the lettering. What the intro shows with
// the real pictures the soak's notes hold; the light's frames the frame
// identity test checks against the plain rule.
#include <gtest/gtest.h>

#include "front/intro.h"
#include "gfx/intro_effects.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "res/tga.h"
#include "tests/test_util.h"

TEST(Intro, WithoutTheBumpPicturesItEndsAfterTheReveal)
{
    TempFolder folder;
    WriteBytes(folder.Path("AGameBy.tga"), RawTga(173, 9, Bytes(173 * 9, 100)));
    WriteBytes(folder.Path("TarnveldixStudio.tga"), RawTga(174, 9, Bytes(174 * 9, 150)));
    WriteBytes(folder.Path("Bump-FondS.tga"), RawTga(240, 300, Bytes(240 * 300, 7)));
    OpenBasics();
    LoadIntro();
    EXPECT_FALSE(Intro.lightReady);
    auto Step = [](std::initializer_list<int> keys = {}) {
        return StepWithKeys(IntroStep, keys, nullptr);
    };
    // Direction keys do nothing; the last tick of the reveal, 214, ends it.
    for (int tick = 1; tick <= 213; tick++) ASSERT_EQ(Step({KeyUp}), 0) << tick;
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(Pixel(0, 146), GreyPixel(150));
    // A digit ends it at once, before anything is drawn.
    ReleaseIntro();
    LoadIntro();
    int32_t presented = Headless_PresentCount();
    EXPECT_EQ(Step({Key4}), 1);
    EXPECT_EQ(Headless_PresentCount(), presented);
    ReleaseIntro();
    ReleaseIntro(); // a second release does nothing
    CloseBasics();

    // Pictures of the wrong size are refused one by one.
    Headless_Reset();
    ASSERT_TRUE(OpenScreen());
    ASSERT_TRUE(AllocateBumpMaps(240, 320));
    Bytes small(100 * 3);
    TgaInfo wrong = DecodedTga(10, 10, 3, small);
    EXPECT_FALSE(BuildBumpPicture(&wrong));
    EXPECT_FALSE(BuildBumpHeight(&wrong));
    EXPECT_FALSE(BuildBumpLight(&wrong));
    EXPECT_FALSE(BumpMapsReady());
    FreeBumpMaps();
    CloseScreen();
}
