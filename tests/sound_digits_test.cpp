// Digit drawing and the sound effects.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

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
    const struct {
        int32_t value;
        int count;
        const char *text;
    } cases[] = {{1, 2, "01"},           {100, 2, "00"},
                 {12, 4, "0012"},        {-3, 4, "0000"},
                 {999999, 6, "999999"},  {1000000, 6, "000000"},
                 {1234567, 6, "234567"}, {INT32_MAX, 12, "002147483647"}};
    for (const auto &c : cases) EXPECT_EQ(shown(c.value, c.count, 0, 0), c.text) << c.value;

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
    TempFolder t;
    int32_t oldOption = Settings.SoundOption;
    ASSERT_EQ(ResourceArchive, nullptr);

    // Three of the four sounds beside the program; "slevel.wav" is missing.
    std::string wav[] = {"RIFFclick", "RIFFrotate", "RIFFdestroy", "RIFFlevel"};
    for (int i = 0; i < 3; i++) ASSERT_TRUE(WriteText(t.Path(SoundName(i)), wav[i]));
    LoadSounds();
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(std::string((const char *)SoundSlots[i].wav, SoundSlots[i].size), wav[i]);
    EXPECT_EQ(SoundSlots[SoundLevel].wav, nullptr);
    Settings.SoundOption = 0;
    for (int i = 0; i < SoundCount; i++) PlayEffect(i);
    EXPECT_EQ(SoundsSince(), "");
    Settings.SoundOption = 1;
    for (int sound : {(int)SoundClick, (int)SoundDestroy, (int)SoundLevel, (int)SoundRotate, -1, 4})
        PlayEffect(sound);
    EXPECT_EQ(SoundsSince(), "sclick.wav,sdest.wav,srot.wav");
    ReleaseSounds();
    ReleaseSounds();
    Headless_Reset();
    PlayEffect(SoundClick);
    EXPECT_EQ(SoundsSince(), "");

    // With an archive the sounds are borrowed from it.
    Bytes archive;
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
    EXPECT_EQ(SoundsSince(), "slevel.wav");
    ReleaseSounds();
    ResourceArchive = nullptr;
    ResourceArchiveSize = 0;
    Settings.SoundOption = oldOption;
    Headless_Reset();
}
