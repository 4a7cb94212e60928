// Start-ups with bad files beside the program, each a run of zux-headless
// over a short tour of the keys: a damaged "Data.zux", loose files only,
// missing and corrupt pictures and sounds, and "SS.dat" and "HS.dat" of every
// bad kind. Every run must complete its ticks, exit 0 and leave files the
// program would read back as they stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

#include "front/score_tables.h"
#include "front/settings.h"
#include "res/archive.h"
#include "tests/test_util.h"

namespace fs = std::filesystem;

static const std::string BuiltArchive = ZUX_BUILD_DIR "/Data.zux", BuiltArt = ZUX_BUILD_DIR "/art";
enum { RunTicks = 600 };

// Keys safe anywhere: in a game they move, rotate and drop; should the game
// end, in the menu a select always comes before five Downs could reach Quit.
static std::string PlayKeys(int32_t from)
{
    static const char *const cycle[] = {"Left", "3", "Right", "4"};
    std::string keys;
    for (int32_t t = from, i = 0; t < 570; t += 12, i++)
        keys += i % 5 == 4
                    ? std::to_string(t) + " down Down\n" + std::to_string(t + 6) + " up Down\n"
                    : std::to_string(t) + " press " + cycle[i % 5] + "\n";
    return keys;
}

// Past the intro, down to New, a game of type A, play, and F9 back to the
// menu; or straight to Continue; or idle in the menu until the tables show.
// Never F8: the run must last its ticks.
static const std::string NewGameTour =
    "20 press Enter\n60 press Down\n90 press Enter\n150 press Enter\n" + PlayKeys(200) +
    "585 press F9\n";
static const std::string ContinueTour =
    "20 press Enter\n60 press Enter\n" + PlayKeys(100) + "585 press F9\n";
static const std::string TablesTour = "20 press Enter\n";

static bool ArtAvailable(void)
{
    std::error_code ec;
    return fs::exists(BuiltArchive, ec) && fs::is_directory(BuiltArt, ec);
}

// The loose pictures or sounds under their own names, as zux-artgen wrote them.
static std::vector<std::string> ArtNames(const char *extension)
{
    std::vector<std::string> names;
    for (const fs::directory_entry &e : fs::directory_iterator(BuiltArt))
        if (e.path().extension() == extension) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A program folder with the generated archive, the loose art or nothing.
enum Resources { WithNothing, WithArchive, WithArt };
static std::string NewProgramFolder(Resources with)
{
    std::string dir = MakeTempDir();
    if (with == WithArchive) fs::copy_file(BuiltArchive, dir + "/Data.zux");
    if (with == WithArt) fs::copy(BuiltArt, dir, fs::copy_options::recursive);
    return dir;
}

// Repeatable garbage.
static uint32_t NextRandom(uint32_t *state)
{
    return (*state = *state * 1664525u + 1013904223u) >> 8;
}
static Bytes Garbage(size_t size, uint32_t seed)
{
    Bytes b(size);
    for (uint8_t &byte : b) byte = (uint8_t)NextRandom(&seed);
    return b;
}

// Runs zux-headless on dir with the tour; checks the run and the files it
// leaves. what names the case in failures; frames receives the frame hashes.
static void ExpectCleanRun(const std::string &dir, const std::string &what,
                           const std::string &tour = NewGameTour,
                           std::vector<std::string> *frames = nullptr)
{
    SCOPED_TRACE(what);
    Bytes highScoresBefore = ReadBytes(dir + "/HS.dat");
    std::vector<std::string> lines;
    std::string output;
    EXPECT_EQ(RunKeys(dir, RunTicks, tour, &lines, &output), 0) << output;
    ASSERT_EQ(lines.size(), (size_t)RunTicks) << "the run stopped early\n" << output;
    if (frames) {
        frames->clear();
        for (const std::string &line : lines) frames->push_back(TraceField(line, "frame"));
    }
    // SS.dat is whole and reads back word for word.
    Bytes settings = ReadBytes(dir + "/SS.dat");
    ASSERT_EQ(settings.size(), (size_t)SettingsFileSize);
    DecodeSettings(settings.data(), (uint32_t)settings.size());
    uint8_t again[SettingsFileSize];
    EncodeSettings(again);
    EXPECT_EQ(memcmp(again, settings.data(), SettingsFileSize), 0) << "SS.dat does not read back";
    // The high scores are rewritten only after a name entry; a new file is whole.
    Bytes highScores = ReadBytes(dir + "/HS.dat");
    if (highScores != highScoresBefore) {
        EXPECT_EQ(highScores.size(), (size_t)HighScoreFileSize);
    }
    EXPECT_FALSE(fs::exists(dir + "/SS.dat.new") || fs::exists(dir + "/HS.dat.new"));
}

// Runs each case in a fresh folder: the file name written with the bytes.
typedef std::vector<std::pair<std::string, Bytes>> Cases;
static void RunCases(const Cases &cases, const char *file, Resources with,
                     const std::string &tour = NewGameTour)
{
    for (const auto &c : cases) {
        std::string dir = NewProgramFolder(with);
        ASSERT_TRUE(WriteBytes(dir + "/" + file, c.second));
        ExpectCleanRun(dir, std::string(file) + ": " + c.first, tour);
        RemoveTree(dir);
    }
}

static Bytes PackDirectory(const Bytes &directory)
{
    Bytes out(PackedBound((uint32_t)directory.size()));
    out.resize(PackArchive(directory.data(), (uint32_t)directory.size(), out.data()));
    return out;
}

TEST(BadInputStart, DamagedArchive)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated Data.zux in " ZUX_BUILD_DIR;
    Bytes archive = ReadBytes(BuiltArchive), garbled = archive, huge = archive;
    ASSERT_GT(archive.size(), 100u);
    uint32_t seed = 7;
    for (size_t i = 4; i < garbled.size(); i += 1 + NextRandom(&seed) % 4000)
        garbled[i] ^= (uint8_t)(1 + NextRandom(&seed) % 255);
    huge[0] = huge[1] = huge[2] = 0xFF; // claims 16 MB
    auto cut = [&](size_t n) { return Bytes(archive.begin(), archive.begin() + n); };
    // (Refusals of a well-packed archive that is no directory are followed in
    // the archive's own tests, down to the loose files that replace it.)
    RunCases({{"empty", {}},
              {"shorter than its header", cut(3)},
              {"half", cut(archive.size() / 2)},
              {"garbled", garbled},
              {"claiming more than it holds", huge},
              {"a name without its end", PackDirectory(Bytes(ArchiveNameField + 8, 'A'))}},
             "Data.zux", WithNothing);
    std::string dir = NewProgramFolder(WithNothing);
    fs::create_directory(dir + "/Data.zux");
    ExpectCleanRun(dir, "Data.zux as a folder");
    RemoveTree(dir);
}

TEST(BadInputStart, LooseFilesOnly)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated art in " ZUX_BUILD_DIR;
    // The same resources as loose files under their own names look the same.
    std::vector<std::string> fromArchive, fromLoose;
    std::string packed = NewProgramFolder(WithArchive), loose = NewProgramFolder(WithArt);
    ExpectCleanRun(packed, "the generated archive", NewGameTour, &fromArchive);
    ExpectCleanRun(loose, "loose files", NewGameTour, &fromLoose);
    EXPECT_TRUE(fromArchive == fromLoose) << "loose files draw other frames than the archive";
    // What zuxpack unpacks (the archive's upper-case names), and nothing at all.
    std::string unpacked = NewProgramFolder(WithNothing), empty = NewProgramFolder(WithNothing);
    ASSERT_EQ(RunTool("zuxpack", "unpack " + BuiltArchive + " " + unpacked), 0);
    ExpectCleanRun(unpacked, "unpacked archive");
    ExpectCleanRun(empty, "no resources");
    for (const std::string &dir : {packed, loose, unpacked, empty}) RemoveTree(dir);
}

TEST(BadInputStart, MissingPictures)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated art in " ZUX_BUILD_DIR;
    std::vector<std::string> pictures = ArtNames(".tga");
    ASSERT_FALSE(pictures.empty());
    // Over three runs every picture is missing once, a third of them at a time.
    for (size_t part = 0; part < 3; part++) {
        std::string dir = NewProgramFolder(WithArt);
        for (size_t i = part; i < pictures.size(); i += 3) fs::remove(dir + "/" + pictures[i]);
        ExpectCleanRun(dir, "a third of the pictures missing, part " + std::to_string(part));
        ExpectCleanRun(dir, "the same, continuing", ContinueTour);
        RemoveTree(dir);
    }
}

// A damaged copy of a TGA file; kind picks the damage.
static Bytes DamagedPicture(Bytes b, int kind, uint32_t seed)
{
    if (b.size() < 18) return b;
    switch (kind) {
    case 0: b.resize(b.size() / 2); break;
    case 1: b.resize(10); break;                         // inside the header
    case 2: b[12] = b[13] = b[14] = b[15] = 0xFF; break; // a huge picture
    case 3: b[2] = 2, b[16] = 24; break;                 // true colour, where 8 bits are wanted
    case 4: {                                            // the header kept, the pixels garbage
        Bytes g = Garbage(b.size(), seed);
        std::copy(b.begin(), b.begin() + 18, g.begin());
        return g;
    }
    case 5: b[1] = 1, b[5] = 0x2C, b[6] = 0x01; break; // a map longer than 8 bits reach
    case 6: b.clear(); break;
    default: std::swap(b[12], b[14]), std::swap(b[13], b[15]); // the sizes swapped
    }
    return b;
}

TEST(BadInputStart, CorruptPicturesAndSounds)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated art in " ZUX_BUILD_DIR;
    std::vector<std::string> pictures = ArtNames(".tga"), sounds = ArtNames(".wav");
    ASSERT_FALSE(sounds.empty());
    // Every run damages every picture, each in another way than in the runs before.
    for (int run = 0; run < 4; run++) {
        std::string dir = NewProgramFolder(WithArt);
        for (size_t i = 0; i < pictures.size(); i++) {
            std::string path = dir + "/" + pictures[i];
            ASSERT_TRUE(WriteBytes(
                path, DamagedPicture(ReadBytes(path), (int)(i * 3 + run * 2) % 8, (uint32_t)i)));
        }
        ExpectCleanRun(dir, "damaged pictures, run " + std::to_string(run),
                       run % 2 ? ContinueTour : NewGameTour);
        RemoveTree(dir);
    }
    // Sounds: cut short, empty, garbage, and a header whose sizes lie.
    for (int run = 0; run < 2; run++) {
        std::string dir = NewProgramFolder(WithArt);
        for (size_t i = 0; i < sounds.size(); i++) {
            std::string path = dir + "/" + sounds[i];
            Bytes wav = ReadBytes(path);
            switch ((i + (size_t)run * 2) % 4) {
            case 0: wav.resize(12); break;
            case 1: wav.clear(); break;
            case 2: wav = Garbage(3000, (uint32_t)i); break;
            default:
                std::fill(wav.begin() + 4, wav.begin() + std::min<size_t>(48, wav.size()), 0xFF);
            }
            ASSERT_TRUE(WriteBytes(path, wav));
        }
        ExpectCleanRun(dir, "damaged sounds, run " + std::to_string(run));
        RemoveTree(dir);
    }
    // A folder in a sound's and a picture's place.
    std::string dir = NewProgramFolder(WithArt);
    for (const std::string &name : {sounds[0], std::string("Loading.tga")}) {
        fs::remove(dir + "/" + name);
        fs::create_directory(dir + "/" + name);
    }
    ExpectCleanRun(dir, "folders in the place of files");
    RemoveTree(dir);
}

// A complete settings file: the eleven words, then the board (walls and floor
// wall, a few cells cell in the lower rows).
static Bytes SettingsFile(const std::vector<int32_t> &head, int32_t cell, int32_t wall = 1)
{
    std::vector<int32_t> words = head;
    for (int r = 0; r < BoardRows; r++)
        for (int c = 0; c < BoardCols; c++)
            words.push_back(c == 0 || c == BoardCols - 1 || r == BoardRows - 1 ? wall
                            : r > 15 && c % 3                                  ? cell
                                                                               : 0);
    return LeWords(words);
}

TEST(BadInputStart, BadSettingsFiles)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated Data.zux in " ZUX_BUILD_DIR;
    Bytes good = SettingsFile({2, 500, 3, 12, 4, 6, 1, 1, 200, 1, 0}, 3), huge = good;
    huge.resize(8 << 20, 0x5A);
    // Each run tries Continue: refused where the loader dropped the file or
    // its saved game, played where the board's rules allow it, however odd.
    RunCases({{"empty", {}},
              {"short", Bytes(good.begin(), good.begin() + 100)},
              {"garbage", Garbage(SettingsFileSize, 3)},
              {"every byte 0xFF", Bytes(SettingsFileSize, 0xFF)},
              {"piece types 0 and 15", SettingsFile({0, 0, 1, 0, 0, 15, 1, 1, 100, 1, 0}, 1)},
              {"cells out of range", SettingsFile({0, 0, 1, 0, 3, 3, 2, 1, 100, 1, 0}, 1000)},
              {"walls missing", SettingsFile({0, 0, 1, 0, 3, 3, 2, 1, 100, 1, 0}, 2, 0)},
              {"huge", huge},
              {"skin 99", SettingsFile({99, 0, 1, 0, 1, 1, 0, 1, 100, 1, 0}, 1)},
              {"validity 7", SettingsFile({5, 0, 1, 0, 3, 3, 3, 7, 100, 5, -1}, 2)},
              {"extreme counters",
               SettingsFile({1, INT_MAX - 5, INT_MAX, INT_MIN, 14, 7, 7, 1, 0, 0, 1}, 4)},
              {"negative counters", SettingsFile({1, -1000, 1, -50, 1, 14, -3, 1, -40, 2, 9}, 5)},
              {"a huge fall delay", SettingsFile({3, 0, 30000, 0, 8, 9, 0, 1, INT_MAX, 1, 1}, 7)}},
             "SS.dat", WithArchive, ContinueTour);
}

// A complete high-score file: per table and row the name cells, score and level.
static Bytes HighScoreFile(int32_t name, int32_t score, int32_t level, int32_t step)
{
    std::vector<int32_t> words;
    for (int t = 0; t < ScoreTableCount; t++)
        for (int r = 0; r < ScoreTableRows; r++)
            words.insert(words.end(), {name, name + r, name - r, score + step * r, level + r});
    return LeWords(words);
}

TEST(BadInputStart, BadHighScoreFiles)
{
    if (!ArtAvailable()) GTEST_SKIP() << "no generated Data.zux in " ZUX_BUILD_DIR;
    Bytes good = HighScoreFile(0, 1000, 5, -100), huge = good;
    huge.resize(4 << 20, 0xA5);
    // The tour idles in the menu until the tables are shown.
    RunCases({{"empty", {}},
              {"short", Bytes(good.begin(), good.begin() + 37)},
              {"huge", huge},
              {"garbage", Garbage(HighScoreFileSize, 5)},
              {"letters past the font", HighScoreFile(99, 1000, 5, -100)},
              {"negative letters", HighScoreFile(-7, 1000, 5, -100)},
              {"scores at the edge", HighScoreFile(1, INT_MAX - 2, INT_MAX - 9, -1)},
              {"negative scores and levels", HighScoreFile(4, INT_MIN, -100, 1)}},
             "HS.dat", WithArchive, TablesTour);
}
