// Digit drawing and the sound effects.
#include <gtest/gtest.h>

#include <cctype>

#include "front/settings.h"
#include "gfx/digits.h"
#include "platform/headless/headless.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/sound.h"
#include "tests/test_util.h"

TEST(Digits, FixedWidthRows)
{
    Headless_Reset();
    ASSERT_TRUE(OpenScreen());
    const uint16_t Back = 0x4444;
    // Cell d is filled with 0x100 + d, with a transparent pixel at (3, 4).
    TestImage digits(
        70, 9, [](int x, int y) { return (uint16_t)(x % 7 == 3 && y == 4 ? 0 : 0x100 + x / 7); });
    auto Clear = [&] { std::fill(BackBuffer, BackBuffer + 240 * 320, Back); };
    auto shown = [&](int32_t value, int count) {
        Clear();
        DrawDigits(&digits.image, value, count, 0, 0);
        std::string text;
        for (int k = 0; k < count; k++) text += (char)('0' + Pixel(7 * k, 0) - 0x100);
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
    for (const auto &c : cases) EXPECT_EQ(shown(c.value, c.count), c.text) << c.value;

    // Each cell is 7 x 9 and keyed; nothing else is touched; an absent strip draws nothing.
    Clear();
    DrawDigits(&digits.image, 58, 2, 10, 20);
    DrawDigits(nullptr, 5, 2, 0, 0);
    Image none = {nullptr, 70, 9};
    DrawDigits(&none, 5, 2, 0, 0);
    int changed = 0;
    for (int i = 0; i < 240 * 320; i++) changed += BackBuffer[i] != Back;
    EXPECT_EQ(changed, 2 * (7 * 9 - 1));
    EXPECT_TRUE(Pixel(13, 24) == Back && Pixel(23, 28) == 0x108);
    CloseScreen();
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
        std::string name = i < SoundCount ? SoundName(i) : "END";
        for (char &c : name) c = (char)toupper(c);
        Bytes e = EntryBytes(name, i < SoundCount ? Bytes(wav[i].begin(), wav[i].end()) : Bytes());
        archive.insert(archive.end(), e.begin(), e.end());
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
