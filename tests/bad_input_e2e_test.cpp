// Start-ups with bad files beside the program, each a run of the zux-headless
// program over a short tour of the keys: a damaged "Data.zux", loose files
// only, missing and corrupt pictures and sounds, and "SS.dat" and "HS.dat" of
// every bad kind. Every run must complete its ticks, exit 0 and leave files
// the program would read back as they stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "front/settings.h"
#include "res/archive.h"
#include "tests/test_util.h"

namespace fs = std::filesystem;
typedef std::vector<uint8_t> Bytes;

enum { HighScoreFileSize = 400 };

static const std::string BuiltArchive = ZUX_BUILD_DIR "/Data.zux";
static const std::string BuiltArt = ZUX_BUILD_DIR "/art";

enum { RunTicks = 600 };

// Keys for play that are safe anywhere: in the game they move, rotate and drop
// the piece; should the game end, in the menu they never reach Quit (each
// Down is followed by a select before five of them could get there).
static std::string PlayKeys(int32_t from, int32_t to)
{
    static const char *const cycle[] = {"Left", "3", "Right", "4", "Down"};
    std::string keys;
    int i = 0;
    for (int32_t t = from; t < to; t += 12, i++) {
        const char *key = cycle[i % 5];
        if (strcmp(key, "Down") == 0)
            keys += std::to_string(t) + " down Down\n" + std::to_string(t + 6) + " up Down\n";
        else
            keys += std::to_string(t) + " press " + key + "\n";
    }
    return keys;
}

// Past the intro, down to New, into the game-type page, a game of type A, play,
// and F9 back to the menu. Never F8: the run must last its ticks.
static const std::string NewGameTour = "20 press Enter\n60 press Down\n90 press Enter\n"
                                       "150 press Enter\n" +
                                       PlayKeys(200, 570) + "585 press F9\n";

// Past the intro and straight to Continue, whatever the saved game holds.
static const std::string ContinueTour =
    "20 press Enter\n60 press Enter\n" + PlayKeys(100, 570) + "585 press F9\n";

// One run's folders: the program's folder, and beside it the key file and trace.
struct StartFolder {
    std::string base;
    std::string program;
};

static StartFolder NewStartFolder(void)
{
    StartFolder f;
    f.base = MakeTempDir();
    f.program = f.base + "/zux";
    fs::create_directory(f.program);
    return f;
}

static bool ArtAvailable(void)
{
    std::error_code ec;
    return fs::exists(BuiltArchive, ec) && fs::is_directory(BuiltArt, ec);
}

// The loose pictures and sounds under their own names, as zux-artgen wrote them.
static std::vector<std::string> ArtNames(const char *extension)
{
    std::vector<std::string> names;
    for (const fs::directory_entry &e : fs::directory_iterator(BuiltArt)) {
        std::string name = e.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, extension) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

static void CopyArt(const std::string &to)
{
    fs::copy(BuiltArt, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// A tiny, repeatable generator for garbage.
static uint32_t NextRandom(uint32_t *state)
{
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

static Bytes Garbage(size_t size, uint32_t seed)
{
    Bytes b(size);
    for (uint8_t &byte : b) byte = (uint8_t)NextRandom(&seed);
    return b;
}

static Bytes Words(const std::vector<int32_t> &words)
{
    Bytes b;
    for (int32_t w : words)
        for (int i = 0; i < 4; i++) b.push_back((uint8_t)((uint32_t)w >> (8 * i)));
    return b;
}

// True when the settings file is whole and reads back word for word.
static bool SettingsFileSound(const Bytes &file)
{
    if (file.size() != SettingsFileSize) return false;
    DecodeSettings(file.data(), (uint32_t)file.size());
    uint8_t again[SettingsFileSize];
    EncodeSettings(again);
    return memcmp(again, file.data(), SettingsFileSize) == 0;
}

// Runs zux-headless on folder with the tour; checks the run and the files it
// leaves. what names the case in failures.
static void ExpectCleanRun(const StartFolder &f, const std::string &what,
                           const std::string &tour = NewGameTour,
                           std::vector<std::string> *frames = nullptr)
{
    SCOPED_TRACE(what);
    Bytes highScoresBefore = ReadBytes(f.program + "/HS.dat");
    bool hadHighScores = fs::exists(f.program + "/HS.dat");
    ASSERT_TRUE(WriteText(f.base + "/tour.keys", tour));
    std::string trace = f.base + "/trace.jsonl";
    std::string output;
    int status = RunHeadless("--dir " + f.program + " --ticks " + std::to_string(RunTicks) +
                                 " --keys " + f.base + "/tour.keys --trace " + trace,
                             &output);
    EXPECT_EQ(status, 0) << output;
    std::vector<std::string> lines = ReadLines(trace);
    ASSERT_EQ(lines.size(), (size_t)RunTicks) << "the run stopped early\n" << output;
    EXPECT_EQ(TraceField(lines.back(), "tick"), std::to_string(RunTicks));
    if (frames) {
        frames->clear();
        for (const std::string &line : lines) frames->push_back(TraceField(line, "frame"));
    }

    Bytes settings = ReadBytes(f.program + "/SS.dat");
    EXPECT_EQ(settings.size(), (size_t)SettingsFileSize);
    EXPECT_TRUE(SettingsFileSound(settings)) << "SS.dat is written as it cannot be read back";
    // The high scores are rewritten only after a name entry; a new file is whole.
    Bytes highScores = ReadBytes(f.program + "/HS.dat");
    bool hasHighScores = fs::exists(f.program + "/HS.dat");
    if (hasHighScores != hadHighScores || highScores != highScoresBefore) {
        EXPECT_EQ(highScores.size(), (size_t)HighScoreFileSize);
    }
    EXPECT_FALSE(fs::exists(f.program + "/SS.dat.new"));
    EXPECT_FALSE(fs::exists(f.program + "/HS.dat.new"));
}

static Bytes PackDirectory(const Bytes &directory)
{
    Bytes out(PackedBound((uint32_t)directory.size()));
    out.resize(PackArchive(directory.data(), (uint32_t)directory.size(), out.data()));
    return out;
}

static void AddEntry(Bytes *directory, const char *name, uint32_t size, const Bytes &data)
{
    size_t at = directory->size();
    directory->resize(at + ArchiveEntryHeader);
    strncpy((char *)directory->data() + at, name, ArchiveNameField - 1);
    for (int i = 0; i < 4; i++) (*directory)[at + 32 + i] = (uint8_t)(size >> (8 * i));
    directory->insert(directory->end(), data.begin(), data.end());
}

TEST(BadInputStart, DamagedArchive)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated Data.zux in " ZUX_BUILD_DIR;
    Bytes archive = ReadBytes(BuiltArchive);
    ASSERT_GT(archive.size(), 100u);

    std::vector<std::pair<std::string, Bytes>> cases;
    cases.push_back({"an empty archive", {}});
    cases.push_back(
        {"an archive shorter than its header", Bytes(archive.begin(), archive.begin() + 3)});
    cases.push_back({"only the header", Bytes(archive.begin(), archive.begin() + 4)});
    cases.push_back({"the first group cut short", Bytes(archive.begin(), archive.begin() + 21)});
    cases.push_back(
        {"half an archive", Bytes(archive.begin(), archive.begin() + archive.size() / 2)});
    cases.push_back({"all but the last byte", Bytes(archive.begin(), archive.end() - 1)});
    Bytes garbled = archive;
    uint32_t seed = 7;
    for (size_t i = 4; i < garbled.size(); i += 1 + NextRandom(&seed) % 4000)
        garbled[i] ^= (uint8_t)(1 + NextRandom(&seed) % 255);
    cases.push_back({"a garbled archive", garbled});
    Bytes huge = archive;
    huge[0] = huge[1] = huge[2] = 0xFF; // claims 16 MB
    cases.push_back({"an archive claiming more than it holds", huge});
    cases.push_back({"garbage", Garbage(50000, 11)});

    // Well packed, but what it unpacks to is no directory.
    Bytes picture = ReadBytes(BuiltArt + "/Loading.tga");
    Bytes directory;
    AddEntry(&directory, "LOADING.TGA", (uint32_t)picture.size() + 1000, picture);
    cases.push_back({"an entry running past the end", PackDirectory(directory)});
    directory.clear();
    AddEntry(&directory, "LOADING.TGA", (uint32_t)picture.size(), picture);
    cases.push_back({"a directory without its end", PackDirectory(directory)});
    Bytes unterminated(ArchiveNameField + 8, 'A');
    cases.push_back({"a name without its end", PackDirectory(unterminated)});

    for (const auto &c : cases) {
        StartFolder f = NewStartFolder();
        ASSERT_TRUE(WriteBytes(f.program + "/Data.zux", c.second));
        ExpectCleanRun(f, c.first);
        RemoveTree(f.base);
    }

    // "Data.zux" is a folder.
    StartFolder f = NewStartFolder();
    fs::create_directory(f.program + "/Data.zux");
    ExpectCleanRun(f, "Data.zux as a folder");
    RemoveTree(f.base);
}

TEST(BadInputStart, LooseFilesOnly)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated art in " ZUX_BUILD_DIR;
    std::vector<std::string> fromArchive, fromLoose;
    StartFolder packed = NewStartFolder();
    fs::copy_file(BuiltArchive, packed.program + "/Data.zux");
    ExpectCleanRun(packed, "the generated archive", NewGameTour, &fromArchive);

    // The same resources as loose files under their own names look the same.
    StartFolder loose = NewStartFolder();
    CopyArt(loose.program);
    ExpectCleanRun(loose, "loose files", NewGameTour, &fromLoose);
    EXPECT_TRUE(fromArchive == fromLoose) << "loose files draw other frames than the archive";

    // What zuxpack unpacks from the archive beside the program (its names in
    // the archive's upper case).
    StartFolder unpacked = NewStartFolder();
    std::string command = std::string(ZUX_BUILD_DIR) + "/zuxpack unpack " + BuiltArchive + " " +
                          unpacked.program + " 2>&1";
    ASSERT_EQ(system(command.c_str()), 0);
    ExpectCleanRun(unpacked, "unpacked archive");

    // Nothing at all beside the program.
    StartFolder empty = NewStartFolder();
    ExpectCleanRun(empty, "no resources");
    RemoveTree(packed.base);
    RemoveTree(loose.base);
    RemoveTree(unpacked.base);
    RemoveTree(empty.base);
}

TEST(BadInputStart, MissingPictures)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated art in " ZUX_BUILD_DIR;
    std::vector<std::string> pictures = ArtNames(".tga");
    ASSERT_FALSE(pictures.empty());
    StartFolder f = NewStartFolder();
    CopyArt(f.program);
    fs::remove(f.program + "/Loading.tga");
    ExpectCleanRun(f, "no Loading.tga");
    RemoveTree(f.base);
    // Over three runs every picture is missing once, a third of them at a time.
    for (size_t part = 0; part < 3; part++) {
        StartFolder g = NewStartFolder();
        CopyArt(g.program);
        for (size_t i = part; i < pictures.size(); i += 3)
            fs::remove(g.program + "/" + pictures[i]);
        ExpectCleanRun(g, "a third of the pictures missing, part " + std::to_string(part));
        ExpectCleanRun(g, "the same, continuing", ContinueTour);
        RemoveTree(g.base);
    }
}

// A damaged copy of a TGA file; kind picks the damage.
static Bytes DamagedPicture(const Bytes &tga, int kind, uint32_t seed)
{
    Bytes b = tga;
    switch (kind) {
    case 0: b.resize(b.size() / 2); break;
    case 1: b.resize(b.size() < 10 ? b.size() : 10); break; // inside the header
    case 2:                                                 // a huge picture
        if (b.size() >= 18) b[12] = b[13] = b[14] = b[15] = 0xFF;
        break;
    case 3: // true colour, where the game wants 8 bits
        if (b.size() >= 18) {
            b[2] = 2;
            b[16] = 24;
        }
        break;
    case 4: { // the header kept, the pixels garbage
        Bytes g = Garbage(b.size(), seed);
        std::copy(b.begin(), b.begin() + std::min<size_t>(18, b.size()), g.begin());
        b = g;
        break;
    }
    case 5: // a colour map longer than 8-bit indices can reach
        if (b.size() >= 18) {
            b[1] = 1;
            b[5] = 0x2C;
            b[6] = 0x01;
        }
        break;
    case 6: b.clear(); break;
    default: // the sizes swapped
        if (b.size() >= 18) {
            std::swap(b[12], b[14]);
            std::swap(b[13], b[15]);
        }
        break;
    }
    return b;
}

enum { PictureDamages = 8 };

TEST(BadInputStart, CorruptPicturesAndSounds)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated art in " ZUX_BUILD_DIR;
    std::vector<std::string> pictures = ArtNames(".tga");
    // Every run damages every picture, each in another way than in the runs before.
    for (int run = 0; run < 4; run++) {
        StartFolder f = NewStartFolder();
        CopyArt(f.program);
        for (size_t i = 0; i < pictures.size(); i++) {
            std::string path = f.program + "/" + pictures[i];
            int kind = (int)(i * 3 + run * 2) % PictureDamages;
            ASSERT_TRUE(WriteBytes(path, DamagedPicture(ReadBytes(path), kind, (uint32_t)i)));
        }
        ExpectCleanRun(f, "damaged pictures, run " + std::to_string(run),
                       run % 2 ? ContinueTour : NewGameTour);
        RemoveTree(f.base);
    }

    // Sounds: cut short, empty, garbage, and a header whose sizes lie.
    std::vector<std::string> sounds = ArtNames(".wav");
    ASSERT_FALSE(sounds.empty());
    for (int run = 0; run < 2; run++) {
        StartFolder f = NewStartFolder();
        CopyArt(f.program);
        for (size_t i = 0; i < sounds.size(); i++) {
            std::string path = f.program + "/" + sounds[i];
            Bytes wav = ReadBytes(path);
            switch ((i + (size_t)run * 2) % 4) {
            case 0: wav.resize(12); break;
            case 1: wav.clear(); break;
            case 2: wav = Garbage(3000, (uint32_t)i); break;
            default:
                for (size_t at = 4; at + 4 <= wav.size() && at < 48; at += 4)
                    wav[at] = wav[at + 1] = wav[at + 2] = wav[at + 3] = 0xFF;
                break;
            }
            ASSERT_TRUE(WriteBytes(path, wav));
        }
        ExpectCleanRun(f, "damaged sounds, run " + std::to_string(run));
        RemoveTree(f.base);
    }
    // A folder in a sound's and a picture's place.
    StartFolder f = NewStartFolder();
    CopyArt(f.program);
    fs::remove(f.program + "/" + sounds[0]);
    fs::create_directory(f.program + "/" + sounds[0]);
    fs::remove(f.program + "/Loading.tga");
    fs::create_directory(f.program + "/Loading.tga");
    ExpectCleanRun(f, "folders in the place of files");
    RemoveTree(f.base);
}

// A complete settings file: the eleven words, then every cell of the board
// (walls and floor 1, the rest cell).
static Bytes SettingsWordsFile(const std::vector<int32_t> &head, int32_t cell, int32_t wall = 1)
{
    std::vector<int32_t> words = head;
    for (int r = 0; r < BoardRows; r++)
        for (int c = 0; c < BoardCols; c++) {
            bool isWall = c == 0 || c == BoardCols - 1 || r == BoardRows - 1;
            words.push_back(isWall ? wall : (r > 15 && c % 3 ? cell : 0));
        }
    return Words(words);
}

TEST(BadInputStart, BadSettingsFiles)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated Data.zux in " ZUX_BUILD_DIR;
    std::vector<std::pair<std::string, Bytes>> cases;
    Bytes good = SettingsWordsFile({2, 500, 3, 12, 4, 6, 1, 1, 200, 1, 0}, 3);
    cases.push_back({"empty", {}});
    cases.push_back({"one byte", {1}});
    cases.push_back({"short", Bytes(good.begin(), good.begin() + 100)});
    cases.push_back({"one byte short", Bytes(good.begin(), good.end() - 1)});
    Bytes longer = good;
    longer.resize(8 << 20, 0x5A);
    cases.push_back({"huge", longer});
    cases.push_back({"garbage", Garbage(SettingsFileSize, 3)});
    Bytes ones(SettingsFileSize, 0xFF);
    cases.push_back({"every byte 0xFF", ones});
    // Fields out of range, one kind at a time, each with Continue marked possible.
    cases.push_back({"skin 99", SettingsWordsFile({99, 0, 1, 0, 1, 1, 0, 1, 100, 1, 0}, 1)});
    cases.push_back({"skin -1", SettingsWordsFile({-1, 0, 1, 0, 1, 1, 0, 1, 100, 1, 0}, 1)});
    cases.push_back(
        {"piece types 0 and 15", SettingsWordsFile({0, 0, 1, 0, 0, 15, 1, 1, 100, 1, 0}, 1)});
    cases.push_back({"level 0", SettingsWordsFile({0, 0, 0, 0, 2, 2, 1, 1, 100, 1, 0}, 1)});
    cases.push_back(
        {"cells out of range", SettingsWordsFile({0, 0, 1, 0, 3, 3, 2, 1, 100, 1, 0}, 1000)});
    cases.push_back(
        {"walls missing", SettingsWordsFile({0, 0, 1, 0, 3, 3, 2, 1, 100, 1, 0}, 2, 0)});
    cases.push_back({"validity 7", SettingsWordsFile({5, 0, 1, 0, 3, 3, 3, 7, 100, 5, -1}, 2)});
    // Playable by the board's rules, but every counter at its edge.
    cases.push_back(
        {"extreme counters",
         SettingsWordsFile({1, INT_MAX - 5, INT_MAX, INT_MIN, 14, 7, 7, 1, 0, 0, 1}, 4)});
    cases.push_back(
        {"negative counters", SettingsWordsFile({1, -1000, 1, -50, 1, 14, -3, 1, -40, 2, 9}, 5)});
    cases.push_back(
        {"a huge fall delay", SettingsWordsFile({3, 0, 30000, 0, 8, 9, 0, 1, INT_MAX, 1, 1}, 7)});

    for (const auto &c : cases) {
        for (const std::string *tour : {&NewGameTour, &ContinueTour}) {
            StartFolder f = NewStartFolder();
            fs::copy_file(BuiltArchive, f.program + "/Data.zux");
            ASSERT_TRUE(WriteBytes(f.program + "/SS.dat", c.second));
            ExpectCleanRun(f, "SS.dat " + c.first + (tour == &ContinueTour ? ", continued" : ""),
                           *tour);
            RemoveTree(f.base);
        }
    }
}

// A complete high-score file: per table and row the name cells, score and level.
static Bytes HighScoreFile(int32_t name, int32_t score, int32_t level, int32_t step)
{
    std::vector<int32_t> words;
    for (int t = 0; t < 4; t++)
        for (int r = 0; r < 5; r++) {
            words.insert(words.end(), {name, name + r, name - r});
            words.push_back(score + step * r);
            words.push_back(level + r);
        }
    return Words(words);
}

TEST(BadInputStart, BadHighScoreFiles)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated Data.zux in " ZUX_BUILD_DIR;
    std::vector<std::pair<std::string, Bytes>> cases;
    Bytes good = HighScoreFile(0, 1000, 5, -100);
    cases.push_back({"empty", {}});
    cases.push_back({"short", Bytes(good.begin(), good.begin() + 37)});
    cases.push_back({"one byte short", Bytes(good.begin(), good.end() - 1)});
    Bytes longer = good;
    longer.resize(4 << 20, 0xA5);
    cases.push_back({"huge", longer});
    cases.push_back({"garbage", Garbage(HighScoreFileSize, 5)});
    cases.push_back({"letters past the font", HighScoreFile(99, 1000, 5, -100)});
    cases.push_back({"negative letters", HighScoreFile(-7, 1000, 5, -100)});
    cases.push_back({"scores rising", HighScoreFile(3, 10, 1, 1000)});
    cases.push_back({"scores at the edge", HighScoreFile(1, INT_MAX - 2, INT_MAX - 9, -1)});
    cases.push_back({"negative scores and levels", HighScoreFile(4, INT_MIN, -100, 1)});

    for (const auto &c : cases) {
        StartFolder f = NewStartFolder();
        fs::copy_file(BuiltArchive, f.program + "/Data.zux");
        ASSERT_TRUE(WriteBytes(f.program + "/HS.dat", c.second));
        ExpectCleanRun(f, "HS.dat " + c.first);
        RemoveTree(f.base);
    }
}
