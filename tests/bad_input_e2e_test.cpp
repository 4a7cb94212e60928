// Start-ups with bad files beside the program, each a run of zux-headless
// over a short tour of the keys: a damaged "Data.zux", loose files only,
// missing and corrupt pictures, and "SS.dat" and "HS.dat" of every bad kind.
// Every run must complete its ticks, exit 0 and leave files the program would
// read back as they stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>

#include "front/score_tables.h"
#include "front/settings.h"
#include "tests/test_util.h"

namespace fs = std::filesystem;

namespace
{

const std::string BuiltArchive = ZUX_BUILD_DIR "/Data.zux", BuiltArt = ZUX_BUILD_DIR "/art";

// Keys safe anywhere: in a game they move, rotate and drop; should the game
// end, in the menu a select always comes before five Downs could reach Quit.
std::string PlayKeys(int32_t from)
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
const std::string NewGame = "20 press Enter\n60 press Down\n90 press Enter\n150 press Enter\n" +
                            PlayKeys(200) + "585 press F9\n",
                  Continue = "20 press Enter\n60 press Enter\n" + PlayKeys(100) + "585 press F9\n",
                  Tables = "20 press Enter\n";

Bytes Garbage(size_t size, uint32_t seed)
{
    Bytes b(size);
    for (uint8_t &byte : b) byte = (uint8_t)((seed = seed * 1664525u + 1013904223u) >> 8);
    return b;
}

// Runs zux-headless for 600 ticks on a fresh program folder holding the
// archive, the loose art or nothing, after spoil; checks the run and the files
// it leaves. Returns the frame hashes, joined.
enum Resources { WithNothing, WithArchive, WithArt };
typedef std::function<void(const std::string &dir)> Spoil;
std::string ExpectCleanStart(const std::string &what, Resources with, const Spoil &spoil,
                             const std::string &tour)
{
    SCOPED_TRACE(what);
    std::string dir = MakeTempDir(), output, frames;
    if (with == WithArchive) fs::copy_file(BuiltArchive, dir + "/Data.zux");
    if (with == WithArt) fs::copy(BuiltArt, dir, fs::copy_options::recursive);
    if (spoil) spoil(dir);
    Bytes highScoresBefore = ReadBytes(dir + "/HS.dat");
    std::vector<std::string> lines;
    EXPECT_EQ(RunKeys(dir, 600, tour, &lines, &output), 0) << output;
    EXPECT_EQ(lines.size(), 600u) << "the run stopped early\n" << output;
    for (const std::string &line : lines) frames += TraceField(line, "frame");
    // SS.dat is whole and reads back word for word.
    Bytes settings = ReadBytes(dir + "/SS.dat");
    EXPECT_EQ(settings.size(), (size_t)SettingsFileSize);
    settings.resize(SettingsFileSize);
    DecodeSettings(settings.data(), SettingsFileSize);
    uint8_t again[SettingsFileSize];
    EncodeSettings(again);
    EXPECT_EQ(memcmp(again, settings.data(), SettingsFileSize), 0) << "SS.dat does not read back";
    // The high scores are rewritten only after a name entry; a new file is whole.
    Bytes highScores = ReadBytes(dir + "/HS.dat");
    EXPECT_TRUE(highScores == highScoresBefore || highScores.size() == HighScoreFileSize);
    for (const auto &e : fs::directory_iterator(dir))
        EXPECT_NE(e.path().extension(), ".new") << "a temporary left: " << e.path();
    RemoveTree(dir);
    return frames;
}

Spoil Write(const std::string &file, const Bytes &bytes)
{
    return [=](const std::string &dir) { WriteBytes(dir + "/" + file, bytes); };
}

// Folders in the place of the files named.
Spoil Folders(std::initializer_list<const char *> files)
{
    std::vector<std::string> names(files.begin(), files.end());
    return [=](const std::string &dir) {
        for (const std::string &f : names) fs::remove(dir + f), fs::create_directory(dir + f);
    };
}

// Runs 0 to 2 remove every third picture from the run-th; runs 3 and 4 damage
// every picture in two of four ways: refused for its size or depth, or decoded
// to garbage or to the wrong size.
void SpoilPictures(const std::string &dir, int run)
{
    std::vector<std::string> pictures;
    for (const fs::directory_entry &e : fs::directory_iterator(dir))
        if (e.path().extension() == ".tga") pictures.push_back(e.path().string());
    std::sort(pictures.begin(), pictures.end());
    for (size_t i = 0; i < pictures.size(); i++) {
        Bytes b = ReadBytes(pictures[i]), g = Garbage(b.size(), (uint32_t)i);
        if (run < 3 && i % 3 == (size_t)run) fs::remove(pictures[i]);
        if (run < 3) continue;
        switch ((i + (run - 3) * 2) % 4) {
        case 0: b[12] = b[13] = b[14] = b[15] = 0xFF; break; // a huge picture
        case 1: b[2] = 2, b[16] = 24; break;                 // true colour, not 8 bits
        case 2: std::copy(b.begin(), b.begin() + 18, g.begin()), b = g; break;
        default: std::swap(b[12], b[14]), std::swap(b[13], b[15]);
        }
        WriteBytes(pictures[i], b);
    }
}

} // namespace

TEST(BadInputStart, DamagedArchiveAndPictures)
{
    if (!fs::exists(BuiltArchive) || !fs::is_directory(BuiltArt)) GTEST_SKIP() << "no art built";
    Bytes archive = ReadBytes(BuiltArchive), garbled = archive, huge = archive,
          half(archive.begin(), archive.begin() + archive.size() / 2);
    for (size_t i = 4; i < garbled.size(); i += 1 + i * 7919 % 4000)
        garbled[i] ^= (uint8_t)(1 + i % 255);
    huge[0] = huge[1] = huge[2] = 0xFF; // claims 16 MB
    const std::pair<const char *, Spoil> starts[] = {
        {"half an archive", Write("Data.zux", half)},
        {"a garbled archive", Write("Data.zux", garbled)},
        {"an archive claiming more than it holds", Write("Data.zux", huge)},
        {"Data.zux a folder, no resources", Folders({"/Data.zux"})},
        {"the unpacked archive's upper-case names",
         [](const std::string &d) { RunTool("zuxpack", "unpack " + BuiltArchive + " " + d); }}};
    for (const auto &[what, spoil] : starts) ExpectCleanStart(what, WithNothing, spoil, NewGame);
    ExpectCleanStart("folders in the place of a sound and a picture", WithArt,
                     Folders({"/sclick.wav", "/Loading.tga"}), NewGame);
    for (int run = 0; run < 5; run++)
        ExpectCleanStart(
            "pictures missing or damaged, run " + std::to_string(run), WithArt,
            [run](const std::string &d) { SpoilPictures(d, run); },
            run == 1 || run == 4 ? Continue : NewGame);
    // The same resources as loose files under their own names look the same.
    EXPECT_TRUE(ExpectCleanStart("the generated archive", WithArchive, nullptr, NewGame) ==
                ExpectCleanStart("loose files", WithArt, nullptr, NewGame))
        << "loose files draw other frames than the archive";
}

// A complete settings file: the eleven words, then the board (walls and floor
// 1, a few cells cell in the lower rows).
static Bytes SettingsFile(const Ints &head, int32_t cell)
{
    Ints words = head;
    for (int r = 0; r < BoardRows; r++)
        for (int c = 0; c < BoardCols; c++)
            words.push_back(
                c % (BoardCols - 1) == 0 || r == BoardRows - 1 ? 1 : (r > 15 && c % 3) * cell);
    return LeWords(words);
}

// A complete high-score file: per table and row the name cells, score and level.
static Bytes HighScoreFile(int32_t name, int32_t score, int32_t level, int32_t step)
{
    Ints words;
    for (int t = 0; t < ScoreTableCount; t++)
        for (int r = 0; r < ScoreTableRows; r++)
            words.insert(words.end(), {name, name + r, name - r, score + step * r, level + r});
    return LeWords(words);
}

TEST(BadInputStart, BadSettingsAndHighScoreFiles)
{
    if (!fs::exists(BuiltArchive)) GTEST_SKIP() << "no Data.zux built";
    // Each settings run tries Continue: refused where the loader dropped the
    // file or its saved game, played where the board's rules allow it, however
    // odd. Each high-score run idles in the menu until the tables are shown.
    Bytes huge = SettingsFile({2, 500, 3, 12, 4, 6, 1, 1, 200, 1, 0}, 3);
    huge.resize(8 << 20, 0x5A);
    const std::pair<std::string, Bytes> files[] = {
        {"SS.dat garbage", Garbage(SettingsFileSize, 3)},
        {"SS.dat every byte 0xFF", Bytes(SettingsFileSize, 0xFF)},
        {"SS.dat huge", huge},
        {"SS.dat skin 99, validity 7", SettingsFile({99, 0, 1, 0, 3, 3, 3, 7, 100, 5, -1}, 2)},
        {"SS.dat extreme counters",
         SettingsFile({1, INT_MAX - 5, INT_MAX, INT_MIN, 14, 7, 7, 1, 0, 0, 1}, 4)},
        {"SS.dat negative counters", SettingsFile({1, -1000, 1, -50, 1, 14, -3, 1, -40, 2, 9}, 5)},
        {"SS.dat a huge fall delay", SettingsFile({3, 0, 30000, 0, 8, 9, 0, 1, INT_MAX, 1, 1}, 7)},
        {"HS.dat garbage", Garbage(HighScoreFileSize, 5)},
        {"HS.dat letters past the font", HighScoreFile(99, 1000, 5, -100)},
        {"HS.dat negative letters", HighScoreFile(-7, 1000, 5, -100)},
        {"HS.dat scores at the edge", HighScoreFile(1, INT_MAX - 2, INT_MAX - 9, -1)},
        {"HS.dat negative scores and levels", HighScoreFile(4, INT_MIN, -100, 1)}};
    for (const auto &[what, bytes] : files)
        ExpectCleanStart(what, WithArchive, Write(what.substr(0, 6), bytes),
                         what[0] == 'S' ? Continue : Tables);
}
