// Whole-file access beside the program and the settings file "SS.dat".
#include <gtest/gtest.h>

#include "front/settings.h"
#include "res/files.h"
#include "tests/test_util.h"

TEST(Files, WholeFileReadsWritesAndNames)
{
    TempFolder t;
    // Missing: 0 and the out-reference untouched; empty: 0 with a block holding 0.
    uint8_t marker = 0, *out = &marker;
    EXPECT_EQ(ReadWholeFile("missing.dat", &out), 0u);
    EXPECT_EQ(out, &marker);
    ASSERT_TRUE(WriteText(t.Path("empty.dat"), ""));
    EXPECT_EQ(ReadWholeFile("empty.dat", &out), 0u);
    ASSERT_TRUE(out != &marker && out != nullptr);
    EXPECT_EQ(out[0], 0);
    FreeFileBlock(out);

    // Writing replaces the old contents completely, also when shorter.
    EXPECT_EQ(WriteWholeFile("a.dat", "0123456789", 10), 10u);
    EXPECT_EQ(WriteWholeFile("a.dat", "xy", 2), 2u);
    ASSERT_EQ(ReadWholeFile("a.dat", &out), 2u);
    EXPECT_EQ(std::string((char *)out, 3), std::string("xy\0", 3));
    FreeFileBlock(out);

    // Names are found whatever their letter case; an exact match comes first.
    ASSERT_TRUE(WriteText(t.Path("SCLICK.WAV"), "upper"));
    EXPECT_EQ(ReadWholeFile("sclick.wav", &out), 5u);
    FreeFileBlock(out);
    ASSERT_TRUE(WriteText(t.Path("sclick.wav"), "lower!"));
    EXPECT_EQ(ReadWholeFile("sclick.wav", &out), 6u);
    FreeFileBlock(out);

    // A directory is not a file; the longest name the file system takes works,
    // a longer one is refused before it reaches a path buffer.
    ASSERT_EQ(system(("mkdir " + t.Path("folder.dat")).c_str()), 0);
    EXPECT_EQ(OpenForRead("folder.dat"), InvalidFile);
    EXPECT_EQ(WriteWholeFile(std::string(255, 'n').c_str(), "z", 1), 1u);
    std::string tooLong(257, 'n');
    EXPECT_EQ(OpenForRead(tooLong.c_str()), InvalidFile);
    EXPECT_EQ(WriteWholeFile(tooLong.c_str(), "z", 1), 0u);
    EXPECT_EQ(ReplaceWholeFile(tooLong.c_str(), "z", 1), 0u);
}

// A file holding a playable saved game: walls and floor 1, one item.
static Bytes PlayableFile(void)
{
    Bytes b = LeWords({3, 1234, 5, 17, 9, 14, 2, 1, 630, 0, 1});
    b.resize(SettingsFileSize);
    for (int r = 0; r < BoardRows; r++)
        for (int c = 0; c < BoardCols; c++)
            if (c == 0 || c == BoardCols - 1 || r == BoardRows - 1)
                PutLeWord(b, 44 + 4 * (r * BoardCols + c), 1);
    PutLeWord(b, 44 + 4 * (19 * BoardCols + 4), 7);
    return b;
}

TEST(Settings, FileLayoutShortFilesAndRepairs)
{
    TempFolder t;
    Bytes file = PlayableFile();
    ASSERT_TRUE(WriteBytes(t.Path("SS.dat"), file));
    LoadSettings();
    const SettingsState &s = Settings; // the level comes before the rows
    EXPECT_EQ((Ints{s.SelectedSkin, s.SavedScore, s.SavedLevel, s.SavedLines, s.SavedNextType,
                    s.SavedCurrentType, s.SavedGameType, s.SavedGameValid, s.SavedFallDelay,
                    s.SoundOption, s.DropOption, s.SavedCells[19 * 12 + 4]}),
              (Ints{3, 1234, 5, 17, 9, 14, 2, 1, 630, 0, 1, 7}));
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(ReadBytes(t.Path("SS.dat")), file);

    // Short files are as good as none; a longer one is read for its first 1052 bytes.
    for (size_t size : {0, 1, 44, 1051, 2000}) {
        Bytes b = file;
        b.resize(size, 0xAA);
        ASSERT_TRUE(WriteBytes(t.Path("SS.dat"), b));
        Settings.SelectedSkin = 4;
        LoadSettings();
        bool whole = size >= SettingsFileSize;
        EXPECT_EQ((Ints{Settings.SelectedSkin, Settings.SoundOption, Settings.SavedGameValid}),
                  (Ints{whole ? 3 : 0, !whole, whole}))
            << size;
    }
    remove(t.Path("SS.dat").c_str());
    LoadSettings();
    EXPECT_EQ(Settings.SoundOption, 1);

    // Out-of-range values drop the saved game (Continue is refused) but keep
    // the skin: the word index to change (44 + cells), its value, whether the game stays.
    const int32_t cases[][3] = {{5, 0, 0},
                                {5, 15, 0},
                                {4, -1, 0},
                                {4, 15, 0},
                                {2, 0, 0},
                                {11 + 3 * 12 + 5, 8, 0},
                                {11 + 1, -1, 0},
                                {11 + 7 * 12, 0, 0},
                                {11 + 7 * 12 + 11, 2, 0},
                                {11 + 20 * 12 + 6, 0, 0},
                                {6, 9, 1}, // an unknown type continues as A
                                {2, 1, 1},
                                {11 + 19 * 12 + 4, 0, 1}};
    for (auto [word, value, valid] : cases) {
        Bytes b = file;
        PutLeWord(b, 4 * word, value);
        DecodeSettings(b.data(), (uint32_t)b.size());
        EXPECT_TRUE(Settings.SavedGameValid == valid && Settings.SelectedSkin == 3)
            << word << " = " << value;
    }
    // A game not marked valid is never examined, and an unknown skin becomes 0.
    for (int32_t skin : {6, -1}) {
        Bytes b = LeWords({skin, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0});
        b.resize(SettingsFileSize);
        DecodeSettings(b.data(), (uint32_t)b.size());
        EXPECT_TRUE(Settings.SelectedSkin == 0 && Settings.SavedGameValid == 0);
    }
}
