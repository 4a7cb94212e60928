// Whole-file access beside the program and the settings file "SS.dat".
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "front/settings.h"
#include "game/progress.h"
#include "platform/platform.h"
#include "res/files.h"
#include "tests/test_util.h"

TEST(Files, WholeFileReadsWritesAndNames)
{
    TempFolder t;
    // The file's bytes and the 0 after them as ReadWholeFile gives them; missing:
    // 0 and the out-reference untouched.
    auto Read = [](const char *name) {
        uint8_t marker = 0, *out = &marker;
        uint32_t size = ReadWholeFile(name, &out);
        if (out == &marker || !out) return std::string(out ? "untouched" : "null");
        std::string bytes((char *)out, size + 1);
        FreeFileBlock(out);
        return bytes;
    };
    EXPECT_EQ(Read("missing.dat"), "untouched");
    ASSERT_TRUE(WriteText(t.Path("empty.dat"), ""));
    EXPECT_EQ(Read("empty.dat"), std::string(1, 0));
    // Writing replaces the old contents completely, also when shorter.
    EXPECT_EQ(ReplaceWholeFile("a.dat", "0123456789", 10), 10u);
    EXPECT_EQ(ReplaceWholeFile("a.dat", "xy", 2), 2u);
    EXPECT_EQ(Read("a.dat"), std::string("xy\0", 3));
    // Names are found whatever their letter case; an exact match comes first.
    ASSERT_TRUE(WriteText(t.Path("SCLICK.WAV"), "upper"));
    EXPECT_EQ(Read("sclick.wav"), std::string("upper\0", 6));
    ASSERT_TRUE(WriteText(t.Path("sclick.wav"), "lower!"));
    EXPECT_EQ(Read("sclick.wav"), std::string("lower!\0", 7));
    // A directory is not a file; a long name (with room for the temporary
    // file's ending) works, one too long is refused before it reaches a path buffer.
    ASSERT_EQ(system(("mkdir " + t.Path("folder.dat")).c_str()), 0);
    EXPECT_EQ(Read("folder.dat"), "untouched");
    EXPECT_EQ(ReplaceWholeFile(std::string(200, 'n').c_str(), "z", 1), 1u);
    std::string tooLong(257, 'n');
    EXPECT_EQ(Read(tooLong.c_str()), "untouched");
    EXPECT_EQ(ReplaceWholeFile(tooLong.c_str(), "z", 1), 0u);
}

// Two savers replacing one file at once (two copies of the game saving
// SS.dat) never write into each other's temporary file: every replace works,
// the file ends whole, and no temporary file is left.
TEST(Files, SaversAtOnceKeepTheFileWhole)
{
    TempFolder t;
    std::string path = t.Path("SS.dat");
    std::atomic<int> failures = 0;
    auto saver = [&](char fill, size_t size) {
        std::string bytes(size, fill);
        for (int i = 0; i < 300; i++)
            if (!Plat_ReplaceFile(path.c_str(), bytes.data(), (uint32_t)size)) failures++;
    };
    std::thread a(saver, 'a', 1052), b(saver, 'b', 4000);
    a.join();
    b.join();
    EXPECT_EQ(failures, 0);
    Bytes file = ReadBytes(path);
    bool whole = file == Bytes(1052, 'a') || file == Bytes(4000, 'b');
    EXPECT_TRUE(whole) << file.size() << " bytes";
    int entries = 0;
    for (const auto &e : std::filesystem::directory_iterator(t.dir)) entries += e.exists();
    EXPECT_EQ(entries, 1);
}

// A crash between a replace's write and its rename leaves the temporary file;
// the next start removes it once it is an hour old, and nothing else.
TEST(Files, StaleTemporariesGoAtStart)
{
    TempFolder t;
    auto make = [&](const char *name, int hoursOld) {
        WriteBytes(t.Path(name), Bytes(3, 'x'));
        auto when = std::filesystem::file_time_type::clock::now() - std::chrono::hours(hoursOld);
        std::filesystem::last_write_time(t.Path(name), when);
    };
    make("SS.dat.4242-1.new", 2); // a crash's leftover
    make("HS.dat.4243-7.new", 0); // another copy's save under way
    make("SS.dat", 2);            // the player's files, however old
    make("notes.new", 2);         // not a name the game gives a temporary
    make("SS.dat.-1.new", 2);     // nor this
    RemoveStaleTemporaries((t.dir + "/").c_str());
    std::vector<std::string> left;
    for (const auto &e : std::filesystem::directory_iterator(t.dir))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"HS.dat.4243-7.new", "SS.dat", "SS.dat.-1.new",
                                              "notes.new"}));
}

TEST(Settings, FileLayoutShortFilesAndRepairs)
{
    TempFolder t;
    // A playable saved game: walls and floor 1, one item; its rows start at word 11.
    auto Cell = [](int r, int c) { return 11 + r * BoardCols + c; };
    Bytes file = LeWords({3, 1234, 5, 17, 9, 14, 2, 1, 630, 0, 1});
    file.resize(SettingsFileSize);
    for (int r = 0; r < BoardRows; r++)
        for (int c : {0, BoardCols - 1}) PutLeWord(file, 4 * Cell(r, c), 1);
    for (int c = 0; c < BoardCols; c++) PutLeWord(file, 4 * Cell(BoardRows - 1, c), 1);
    PutLeWord(file, 4 * Cell(19, 4), 7);
    ASSERT_TRUE(WriteBytes(t.Path("SS.dat"), file));
    LoadSettings();
    const SettingsState &s = Settings; // the level comes before the rows
    const SavedGameState &g = SavedGame;
    EXPECT_EQ((Ints{s.SelectedSkin, g.SavedScore, g.SavedLevel, g.SavedLines, g.SavedNextType,
                    g.SavedCurrentType, g.SavedGameType, g.SavedGameValid, g.SavedFallDelay,
                    s.SoundOption, s.DropOption, g.SavedCells[19 * 12 + 4]}),
              (Ints{3, 1234, 5, 17, 9, 14, 2, 1, 630, 0, 1, 7}));
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(ReadBytes(t.Path("SS.dat")), file);

    // Missing and short files are as good as none; a longer one is read for its first 1052 bytes.
    for (int size : {-1, 0, 1, 44, 1051, 2000}) {
        Bytes b = file;
        b.resize(size < 0 ? 0 : size, 0xAA);
        ASSERT_TRUE(size < 0 ? remove(t.Path("SS.dat").c_str()) == 0
                             : WriteBytes(t.Path("SS.dat"), b));
        Settings.SelectedSkin = 4;
        LoadSettings();
        bool whole = size >= (int)SettingsFileSize;
        EXPECT_EQ((Ints{s.SelectedSkin, s.SoundOption, g.SavedGameValid}),
                  (Ints{whole ? 3 : 0, !whole, whole}))
            << size;
    }

    // Out-of-range values drop the saved game (Continue is refused) but keep the skin: the
    // word to change, its value, whether the game stays; an unknown type (word 6) continues as A.
    const int32_t cases[][3] = {{5, 0, 0},           {5, 15, 0},         {4, -1, 0},
                                {4, 15, 0},          {2, 0, 0},          {Cell(3, 5), 8, 0},
                                {12, -1, 0},         {Cell(7, 0), 0, 0}, {Cell(7, 11), 2, 0},
                                {Cell(20, 6), 0, 0}, {6, 9, 1},          {2, 1, 1},
                                {Cell(19, 4), 0, 1}};
    for (auto [word, value, valid] : cases) {
        Bytes b = file;
        PutLeWord(b, 4 * word, value);
        DecodeSettings(b.data(), (uint32_t)b.size());
        EXPECT_TRUE(g.SavedGameValid == valid) << word << " = " << value;
        EXPECT_TRUE(s.SelectedSkin == 3) << word << " = " << value;
    }
    // A game not marked valid is never examined, and an unknown skin becomes 0.
    for (int32_t skin : {6, -1}) {
        Bytes b = LeWords({skin, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0});
        b.resize(SettingsFileSize);
        DecodeSettings(b.data(), (uint32_t)b.size());
        EXPECT_TRUE(s.SelectedSkin == 0);
        EXPECT_TRUE(g.SavedGameValid == 0);
    }
}
