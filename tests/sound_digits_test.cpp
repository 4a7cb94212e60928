// Digit drawing and the sound effects.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

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
    auto Shown = [&](int32_t value, int count, int x = 0, int y = 0) {
        std::fill(BackBuffer, BackBuffer + 240 * 320, Back);
        DrawDigits(&digits.image, value, count, x, y);
        std::string text;
        for (int k = 0; k < count; k++) text += (char)('0' + Pixel(x + 7 * k, y) - 0x100);
        return text;
    };
    // The digit count is the text's length.
    const std::pair<int32_t, std::string> cases[] = {
        {1, "01"},          {100, "00"},         {12, "0012"},        {-3, "0000"},
        {999999, "999999"}, {1000000, "000000"}, {1234567, "234567"}, {INT32_MAX, "002147483647"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(Shown(value, (int)text.size()), text) << value;
    // Each cell is 7 x 9 and keyed; nothing else is touched; an absent strip draws nothing.
    EXPECT_EQ(Shown(58, 2, 10, 20), "58");
    Image none = {nullptr, 70, 9};
    DrawDigits(nullptr, 5, 2, 0, 0);
    DrawDigits(&none, 5, 2, 0, 0);
    EXPECT_EQ(240 * 320 - std::count(BackBuffer, BackBuffer + 240 * 320, Back), 2 * (7 * 9 - 1));
    EXPECT_TRUE(Pixel(13, 24) == Back);
    EXPECT_TRUE(Pixel(23, 28) == 0x108);
    CloseScreen();
}

TEST(Sound, PlaysOnlyWhileSoundIsOnFromEitherSource)
{
    TempFolder t;
    int32_t oldOption = Settings.SoundOption;
    std::string wav[] = {"RIFFclick", "RIFFrotate", "RIFFdestroy", "RIFFlevel"};
    auto Slot = [](int i) {
        const SoundSlot &s = SoundSlots[i];
        return s.wav ? std::string((const char *)s.wav, s.size) : std::string("absent");
    };
    // Three of the four sounds beside the program; "slevel.wav" is missing.
    for (int i = 0; i < 3; i++) ASSERT_TRUE(WriteText(t.Path(SoundName(i)), wav[i]));
    LoadSounds();
    for (int i = 0; i < SoundCount; i++) EXPECT_EQ(Slot(i), i < 3 ? wav[i] : "absent");
    Settings.SoundOption = 0;
    for (int i = 0; i < SoundCount; i++) PlayEffect(i);
    EXPECT_EQ(SoundsSince(), "");
    Settings.SoundOption = 1;
    for (int sound : {(int)SoundClick, (int)SoundDestroy, (int)SoundLevel, (int)SoundRotate, -1, 4})
        PlayEffect(sound);
    EXPECT_EQ(SoundsSince(), "sclick.wav,sdest.wav,srot.wav");
    ReleaseSounds(), ReleaseSounds(), Headless_Reset(); // twice: the second finds nothing to free
    PlayEffect(SoundClick);
    EXPECT_EQ(SoundsSince(), "");

    // With an archive the sounds are borrowed from it.
    Bytes archive = EntryBytes("END", {});
    for (int i = SoundCount - 1; i >= 0; i--) {
        std::string name = SoundName(i);
        ArchiveNameCase(name.data()); // upper case, as the packer stores names
        Bytes e = EntryBytes(name, Bytes(wav[i].begin(), wav[i].end()));
        archive.insert(archive.begin(), e.begin(), e.end());
    }
    ResourceArchive = archive.data(), ResourceArchiveSize = (uint32_t)archive.size();
    LoadSounds();
    for (int i = 0; i < SoundCount; i++) {
        EXPECT_TRUE(Slot(i) == wav[i]);
        EXPECT_TRUE(SoundSlots[i].wav > archive.data());
        EXPECT_TRUE(SoundSlots[i].wav < archive.data() + archive.size());
    }
    PlayEffect(SoundLevel);
    EXPECT_EQ(SoundsSince(), "slevel.wav");
    ReleaseSounds();
    ResourceArchive = nullptr, ResourceArchiveSize = 0, Settings.SoundOption = oldOption;
    Headless_Reset();
}
