// Whole-file access beside the program and the settings file "SS.dat".
#include <gtest/gtest.h>

#include <string>

#include "front/settings.h"
#include "platform/headless/headless.h"
#include "res/files.h"
#include "tests/test_util.h"

struct TempFolder {
    std::string dir;
    TempFolder()
    {
        dir = MakeTempDir();
        Headless_Reset();
        Headless_SetFolder(dir.c_str());
    }
    ~TempFolder() { RemoveTree(dir); }
    std::string Path(const std::string &name) const { return dir + "/" + name; }
};

TEST(Files, WholeFileReadsAndWrites)
{
    TempFolder t;
    // Missing: 0, and the out-reference is untouched.
    uint8_t marker = 0, *out = &marker;
    EXPECT_EQ(ReadWholeFile("missing.dat", &out), 0u);
    EXPECT_EQ(out, &marker);

    // Empty: 0 too, but with a one-byte block holding 0.
    ASSERT_TRUE(WriteText(t.Path("empty.dat"), ""));
    out = &marker;
    EXPECT_EQ(ReadWholeFile("empty.dat", &out), 0u);
    ASSERT_NE(out, &marker);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[0], 0);
    FreeFileBlock(out);

    // Writing replaces the old contents completely, also when shorter.
    EXPECT_EQ(WriteWholeFile("a.dat", "0123456789", 10), 10u);
    EXPECT_EQ(WriteWholeFile("a.dat", "xy", 2), 2u);
    out = nullptr;
    ASSERT_EQ(ReadWholeFile("a.dat", &out), 2u);
    EXPECT_EQ(std::string((char *)out, 3), std::string("xy\0", 3));
    FreeFileBlock(out);

    // Names are found whatever their letter case; an exact match comes first.
    ASSERT_TRUE(WriteText(t.Path("SCLICK.WAV"), "upper"));
    out = nullptr;
    EXPECT_EQ(ReadWholeFile("sclick.wav", &out), 5u);
    FreeFileBlock(out);
    ASSERT_TRUE(WriteText(t.Path("sclick.wav"), "lower!"));
    out = nullptr;
    EXPECT_EQ(ReadWholeFile("sclick.wav", &out), 6u);
    FreeFileBlock(out);

    // A directory is not a file.
    ASSERT_EQ(system(("mkdir " + t.Path("folder.dat")).c_str()), 0);
    EXPECT_EQ(OpenForRead("folder.dat"), InvalidFile);
}

TEST(Files, NameLimits)
{
    TempFolder t;
    std::string longest(255, 'n'); // the longest name the file system takes
    EXPECT_EQ(WriteWholeFile(longest.c_str(), "z", 1), 1u);
    std::string tooLong(257, 'n');
    EXPECT_EQ(OpenForWrite(tooLong.c_str()), InvalidFile);
    EXPECT_EQ(OpenForRead(tooLong.c_str()), InvalidFile);
    EXPECT_EQ(WriteWholeFile(tooLong.c_str(), "z", 1), 0u);
    EXPECT_EQ(ReplaceWholeFile(tooLong.c_str(), "z", 1), 0u);
}

TEST(Files, ReplaceKeepsTheOldFileUntilTheNewOneIsWhole)
{
    TempFolder t;
    EXPECT_EQ(ReplaceWholeFile("s.dat", "old", 3), 3u);
    EXPECT_EQ(ReplaceWholeFile("s.dat", "newer", 5), 5u);
    EXPECT_EQ(ReadBytes(t.Path("s.dat")).size(), 5u);
    EXPECT_TRUE(ReadBytes(t.Path("s.dat.new")).empty());
    // When the temporary cannot be made, the old file stays as it was.
    ASSERT_EQ(system(("mkdir " + t.Path("s.dat.new")).c_str()), 0);
    EXPECT_EQ(ReplaceWholeFile("s.dat", "lost", 4), 0u);
    EXPECT_EQ(ReadBytes(t.Path("s.dat")), std::vector<uint8_t>({'n', 'e', 'w', 'e', 'r'}));
}

static std::vector<uint8_t> Words(std::initializer_list<int32_t> first)
{
    std::vector<uint8_t> b(SettingsFileSize, 0);
    int i = 0;
    for (int32_t v : first) {
        for (int k = 0; k < 4; k++) b[4 * i + k] = (uint8_t)((uint32_t)v >> (8 * k));
        i++;
    }
    return b;
}

static void SetCell(std::vector<uint8_t> &b, int row, int col, int32_t v)
{
    for (int k = 0; k < 4; k++)
        b[44 + (row * 12 + col) * 4 + k] = (uint8_t)((uint32_t)v >> (8 * k));
}

// A file holding a playable saved game: walls and floor 1, a few items.
static std::vector<uint8_t> PlayableFile(void)
{
    std::vector<uint8_t> b = Words({3, 1234, 5, 17, 9, 14, 2, 1, 630, 0, 1});
    for (int r = 0; r < 21; r++) {
        SetCell(b, r, 0, 1);
        SetCell(b, r, 11, 1);
    }
    for (int c = 0; c < 12; c++) SetCell(b, 20, c, 1);
    SetCell(b, 19, 4, 7);
    return b;
}

TEST(Settings, FileLayoutRoundTrips)
{
    TempFolder t;
    std::vector<uint8_t> file = PlayableFile();
    ASSERT_TRUE(WriteBytes(t.Path("SS.dat"), file));
    LoadSettings();
    EXPECT_EQ(Settings.SelectedSkin, 3);
    EXPECT_EQ(Settings.SavedScore, 1234);
    EXPECT_EQ(Settings.SavedLevel, 5); // the level comes before the rows
    EXPECT_EQ(Settings.SavedLines, 17);
    EXPECT_EQ(Settings.SavedNextType, 9);
    EXPECT_EQ(Settings.SavedCurrentType, 14);
    EXPECT_EQ(Settings.SavedGameType, 2);
    EXPECT_EQ(Settings.SavedGameValid, 1);
    EXPECT_EQ(Settings.SavedFallDelay, 630);
    EXPECT_EQ(Settings.SoundOption, 0);
    EXPECT_EQ(Settings.DropOption, 1);
    EXPECT_EQ(Settings.SavedCells[19 * 12 + 4], 7);
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(ReadBytes(t.Path("SS.dat")), file);

    Settings.SavedScore = -2;
    ASSERT_TRUE(SaveSettings());
    std::vector<uint8_t> again = ReadBytes(t.Path("SS.dat"));
    ASSERT_EQ(again.size(), 1052u);
    EXPECT_EQ(again[4], 0xFE);
    EXPECT_EQ(again[7], 0xFF);
}

TEST(Settings, MissingEmptyAndShortFilesGiveTheDefaults)
{
    TempFolder t;
    for (size_t size : {(size_t)0, (size_t)1, (size_t)44, (size_t)1051}) {
        std::vector<uint8_t> b = PlayableFile();
        b.resize(size);
        ASSERT_TRUE(WriteBytes(t.Path("SS.dat"), b));
        Settings.SelectedSkin = 4;
        LoadSettings();
        EXPECT_EQ(Settings.SelectedSkin, 0) << size;
        EXPECT_EQ(Settings.SoundOption, 1) << size;
        EXPECT_EQ(Settings.DropOption, 0) << size;
        EXPECT_EQ(Settings.SavedGameValid, 0) << size;
    }
    remove(t.Path("SS.dat").c_str());
    LoadSettings();
    EXPECT_EQ(Settings.SoundOption, 1);
    // A longer file is read for its first 1052 bytes.
    std::vector<uint8_t> longer = PlayableFile();
    longer.resize(2000, 0xAA);
    ASSERT_TRUE(WriteBytes(t.Path("SS.dat"), longer));
    LoadSettings();
    EXPECT_EQ(Settings.SavedGameValid, 1);
}

TEST(Settings, OutOfRangeValuesAreMadeSafe)
{
    struct Case {
        const char *what;
        int word; // word index to change, or -1 for a cell
        int row, col;
        int32_t value;
        bool stillValid;
    };
    const Case cases[] = {
        {"current type 0", 5, 0, 0, 0, false},
        {"current type 15", 5, 0, 0, 15, false},
        {"next type -1", 4, 0, 0, -1, false},
        {"next type 15", 4, 0, 0, 15, false},
        {"level 0", 2, 0, 0, 0, false},
        {"cell 8", -1, 3, 5, 8, false},
        {"cell -1", -1, 0, 1, -1, false},
        {"wall 0", -1, 7, 0, 0, false},
        {"right wall 2", -1, 7, 11, 2, false},
        {"floor 0", -1, 20, 6, 0, false},
        {"game type 9 continues as A", 6, 0, 0, 9, true},
        {"level 1", 2, 0, 0, 1, true},
        {"cell 0", -1, 19, 4, 0, true},
    };
    TempFolder t;
    for (const Case &c : cases) {
        std::vector<uint8_t> b = PlayableFile();
        if (c.word >= 0)
            for (int k = 0; k < 4; k++) b[4 * c.word + k] = (uint8_t)((uint32_t)c.value >> (8 * k));
        else
            SetCell(b, c.row, c.col, c.value);
        DecodeSettings(b.data(), (uint32_t)b.size());
        EXPECT_EQ(Settings.SavedGameValid, c.stillValid ? 1 : 0) << c.what;
        EXPECT_EQ(Settings.SelectedSkin, 3) << c.what;
    }
    // A game not marked valid is never examined, and an unknown skin becomes 0.
    std::vector<uint8_t> b = Words({6, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0});
    DecodeSettings(b.data(), (uint32_t)b.size());
    EXPECT_EQ(Settings.SelectedSkin, 0);
    EXPECT_EQ(Settings.SavedGameValid, 0);
    b = Words({-1});
    DecodeSettings(b.data(), (uint32_t)b.size());
    EXPECT_EQ(Settings.SelectedSkin, 0);
}
