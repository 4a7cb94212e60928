// Digit drawing and the sound effects.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "front/settings.h"
#include "gfx/digits.h"
#include "platform/headless/headless.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/sound.h"
#include "tests/test_util.h"

TEST(Digits, FixedWidthRows)
{
    const int W = 240, H = 320;
    const uint16_t Back = 0x4444;
    // Cell d is filled with 0x100 + d, with a transparent pixel at (3, 4).
    std::vector<uint16_t> strip(70 * 9), screen;
    for (int i = 0; i < 70 * 9; i++)
        strip[i] = i % 70 % 7 == 3 && i / 70 == 4 ? 0 : 0x100 + i % 70 / 7;
    Image digits = {strip.data(), 70, 9};
    uint32_t oldWidth = ScreenWidth, oldHeight = ScreenHeight;
    uint16_t *oldBuffer = BackBuffer;
    ScreenWidth = W, ScreenHeight = H;
    auto shown = [&](int32_t value, int count, int x, int y) {
        screen.assign(W * H, Back);
        BackBuffer = screen.data();
        DrawDigits(&digits, value, count, x, y);
        std::string text;
        for (int k = 0; k < count; k++) text += (char)('0' + screen[y * W + x + 7 * k] - 0x100);
        return text;
    };
    EXPECT_EQ(shown(1, 2, 160, 139), "01");
    EXPECT_EQ(shown(100, 2, 160, 139), "00");
    EXPECT_EQ(shown(12, 4, 146, 171), "0012");
    EXPECT_EQ(shown(-3, 4, 146, 171), "0000");
    EXPECT_EQ(shown(0, 6, 132, 203), "000000");
    EXPECT_EQ(shown(999999, 6, 132, 203), "999999");
    EXPECT_EQ(shown(1000000, 6, 132, 203), "000000");
    EXPECT_EQ(shown(1234567, 6, 85, 153), "234567");
    EXPECT_EQ(shown(INT32_MAX, 12, 0, 0), "002147483647");

    // Each cell is 7 x 9 and keyed; nothing else is touched.
    shown(58, 2, 10, 20);
    int changed = 0;
    for (int i = 0; i < W * H; i++) changed += screen[i] != Back;
    EXPECT_EQ(changed, 2 * (7 * 9 - 1));
    EXPECT_EQ(screen[24 * W + 13], Back);
    EXPECT_EQ(screen[28 * W + 23], 0x108);
    Image none = {nullptr, 70, 9};
    screen.assign(W * H, Back);
    DrawDigits(nullptr, 5, 2, 0, 0);
    DrawDigits(&none, 5, 2, 0, 0);
    EXPECT_EQ(screen, std::vector<uint16_t>(W * H, Back));
    ScreenWidth = oldWidth, ScreenHeight = oldHeight, BackBuffer = oldBuffer;
}

TEST(Sound, PlaysOnlyWhileSoundIsOnFromEitherSource)
{
    std::string dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    Headless_Reset();
    Headless_SetFolder(dir.c_str());
    int32_t oldOption = Settings.SoundOption;
    ASSERT_EQ(ResourceArchive, nullptr);

    // Three of the four sounds beside the program; "slevel.wav" is missing.
    std::vector<std::string> wav = {"RIFFclick", "RIFFrotate", "RIFFdestroy", "RIFFlevel"};
    for (int i = 0; i < 3; i++) ASSERT_TRUE(WriteText(dir + "/" + SoundName(i), wav[i]));
    LoadSounds();
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(std::string((const char *)SoundSlots[i].wav, SoundSlots[i].size), wav[i]);
    EXPECT_EQ(SoundSlots[SoundLevel].wav, nullptr);

    Settings.SoundOption = 0;
    for (int i = 0; i < SoundCount; i++) PlayEffect(i);
    EXPECT_EQ(Headless_SoundCount(), 0);
    Settings.SoundOption = 1;
    for (int sound : {(int)SoundClick, (int)SoundDestroy, (int)SoundLevel, (int)SoundRotate, -1, 4})
        PlayEffect(sound);
    ASSERT_EQ(Headless_SoundCount(), 3);
    EXPECT_STREQ(Headless_SoundName(0), "sclick.wav");
    EXPECT_STREQ(Headless_SoundName(1), "sdest.wav");
    EXPECT_STREQ(Headless_SoundName(2), "srot.wav");
    ReleaseSounds();
    ReleaseSounds();
    Headless_Reset();
    PlayEffect(SoundClick);
    EXPECT_EQ(Headless_SoundCount(), 0);

    // With an archive the sounds are borrowed from it.
    std::vector<uint8_t> archive;
    for (int i = 0; i <= SoundCount; i++) {
        std::string name = i < SoundCount ? SoundName(i) : "END",
                    data = i < SoundCount ? wav[i] : "";
        size_t at = archive.size();
        archive.resize(at + 36 + data.size(), 0);
        for (size_t c = 0; c < name.size(); c++) archive[at + c] = (uint8_t)toupper(name[c]);
        archive[at + 32] = (uint8_t)data.size();
        memcpy(&archive[at + 36], data.data(), data.size());
    }
    ResourceArchive = archive.data();
    ResourceArchiveSize = (uint32_t)archive.size();
    LoadSounds();
    for (int i = 0; i < SoundCount; i++) {
        EXPECT_EQ(std::string((const char *)SoundSlots[i].wav, SoundSlots[i].size), wav[i]);
        EXPECT_TRUE(SoundSlots[i].wav > archive.data() &&
                    SoundSlots[i].wav < archive.data() + archive.size());
    }
    PlayEffect(SoundLevel);
    ASSERT_EQ(Headless_SoundCount(), 1);
    EXPECT_STREQ(Headless_SoundName(0), "slevel.wav");
    ReleaseSounds();
    ResourceArchive = nullptr;
    ResourceArchiveSize = 0;

    Settings.SoundOption = oldOption;
    Headless_Reset();
    RemoveTree(dir);
}
