// zux-soak: a bot plays the whole program over the headless platform for a
// long time. It presses keys at random (never F8), biased so that it sees
// every screen: it skips or watches the intro, walks the menu towards what it
// has seen least, plays games with a placement search of varying care, pauses,
// leaves with F9, enters names and watches the tables. Now and then the
// window loses the focus or is closed, and the program is started again, so
// the saves and the saved game are restored over and over. After every run
// "SS.dat" and "HS.dat" must be complete and decode cleanly; at the end every
// screen must have been reached. The same seed makes the same run, and with
// --notes the run must show and sound exactly as the good run kept there did.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/shell.h"
#include "front/menu.h"
#include "front/score_screen.h"
#include "front/score_tables.h"
#include "front/settings.h"
#include "platform/headless/headless.h"
#include "platform/screen.h"
#include "res/words.h"
#include "tests/soak/soak.h"

// ---- what the player sees ----

// Every frame shown, every sound started, the tick's length and the saved files
// after every run are folded into one number, noted every RecordStep ticks. A seed and a length
// always give the same notes, so the notes of a good run kept beside the tests
// show the first stretch of ticks in which anything a player would notice changed.
enum { RecordStep = 1000 };
static uint64_t Seen = 14695981039346656037ull;
static int64_t TicksSeen;
static std::vector<std::string> Notes;

static void Fold(const void *data, size_t n)
{
    for (size_t i = 0; i < n; i++) Seen = (Seen ^ ((const uint8_t *)data)[i]) * 1099511628211ull;
}

static void Note(void)
{
    char line[64];
    snprintf(line, sizeof line, "%lld %lld %016llx", (long long)TicksSeen, (long long)Count.runs,
             (unsigned long long)Seen);
    Notes.push_back(line);
}

void SeeTick(void)
{
    uint64_t frame = Headless_PresentedThisTick()
                         ? Headless_FrameHash(Headless_Frame(), ScreenWidth * ScreenHeight)
                         : 0;
    int32_t timer = Headless_TimerPeriod();
    Fold(&frame, sizeof frame);
    Fold(&timer, sizeof timer);
    for (int i = 0; i < Headless_SoundCount(); i++)
        Fold(Headless_SoundName(i), strlen(Headless_SoundName(i)) + 1);
    if (++TicksSeen % RecordStep == 0) Note();
}

// Compares the notes with those kept in path; names the first line that differs.
static void CompareNotes(const std::string &path)
{
    std::ifstream f(path);
    std::vector<std::string> kept;
    for (std::string line; std::getline(f, line);) kept.push_back(line);
    if (kept.empty()) return Fail(("cannot read the notes " + path).c_str());
    size_t i = 0;
    while (i < Notes.size() && i < kept.size() && Notes[i] == kept[i]) i++;
    if (i == Notes.size() && i == kept.size()) return;
    fprintf(stderr, "zux-soak: seen \"%s\", %s keeps \"%s\" (ticks, runs, hash)\n",
            i < Notes.size() ? Notes[i].c_str() : "nothing", path.c_str(),
            i < kept.size() ? kept[i].c_str() : "nothing");
    Fail("what the player sees or hears differs from the notes");
}

// ---- the files ----

static std::vector<uint8_t> ReadFile(const std::string &path, bool *exists)
{
    std::ifstream f(path, std::ios::binary);
    *exists = (bool)f;
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

// The little-endian word at byte at.
static int32_t Word(const std::vector<uint8_t> &b, size_t at) { return ReadWord(&b[at]); }

// "SS.dat" holds what the program had at shutdown, and reads back unchanged:
// nothing in it is out of range and a saved game marked valid can be played.
static void CheckSettingsFile(const std::string &dir)
{
    bool exists;
    std::vector<uint8_t> file = ReadFile(dir + "/SS.dat", &exists);
    if (!exists) return Fail("SS.dat is missing after a run");
    Fold(file.data(), file.size());
    if (file.size() != SettingsFileSize) return Fail("SS.dat does not have 1052 bytes");
    uint8_t held[SettingsFileSize];
    EncodeSettings(held);
    if (memcmp(held, file.data(), SettingsFileSize) != 0)
        return Fail("SS.dat differs from the settings at shutdown");
    // Words 0 skin, 6 saved game type, 7 saved game valid, 9 sound, 10 drop.
    if (Word(file, 0) < 0 || Word(file, 0) >= SkinCount) return Fail("SS.dat: skin out of range");
    if (Word(file, 4 * 6) < 0 || Word(file, 4 * 6) > 3)
        return Fail("SS.dat: game type out of range");
    for (int word : {7, 9, 10})
        if (Word(file, 4 * word) != 0 && Word(file, 4 * word) != 1)
            return Fail("SS.dat: a switch is not 0 or 1");
    DecodeSettings(file.data(), (uint32_t)file.size());
    uint8_t again[SettingsFileSize];
    EncodeSettings(again);
    if (memcmp(again, file.data(), SettingsFileSize) != 0)
        Fail("SS.dat does not decode cleanly (a saved game would be dropped)");
}

// "HS.dat", once written, holds the tables the program had, each in descending
// order with names from the letter grid and levels from 1.
static void CheckScoreFile(const std::string &dir, bool mustExist)
{
    bool exists;
    std::vector<uint8_t> file = ReadFile(dir + "/HS.dat", &exists);
    Fold(file.data(), file.size());
    if (!exists) {
        if (mustExist) Fail("HS.dat is missing although a name was entered");
        return;
    }
    if (file.size() != HighScoreFileSize) return Fail("HS.dat does not have 400 bytes");
    uint8_t held[HighScoreFileSize];
    EncodeHighScores(held);
    if (memcmp(held, file.data(), HighScoreFileSize) != 0)
        return Fail("HS.dat differs from the tables the program held");
    for (int t = 0; t < ScoreTableCount; t++)
        for (int r = 0; r < ScoreTableRows; r++) {
            size_t at = (size_t)(t * ScoreTableRows + r) * 20; // name, score, level
            for (int j = 0; j < NameLetters; j++) {
                int32_t cell = Word(file, at + 4 * j);
                if ((cell < 0 || cell >= DeleteCell) && cell != BlankLetter)
                    return Fail("HS.dat: a name cell is not a letter");
            }
            if (Word(file, at + 12) < 0 || Word(file, at + 16) < 1)
                return Fail("HS.dat: a score below 0 or a level below 1");
            if (r > 0 && Word(file, at + 12) > Word(file, at - 20 + 12))
                return Fail("HS.dat: a table is out of order");
        }
}

// ---- the run ----

static std::string BinaryFolder(void)
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return ".";
    path[n] = 0;
    char *slash = strrchr(path, '/');
    if (slash) *slash = 0;
    return path;
}

static bool ParseCount(const char *s, int64_t *out)
{
    char *end;
    long long v = strtoll(s, &end, 10);
    if (!*s || *end || v < 1) return false;
    *out = v;
    return true;
}

static void PrintSummary(int64_t total, uint32_t seed)
{
    const SoakCounts &c = Count;
    printf("zux-soak: %lld ticks in %lld runs, seed %u\n", (long long)total, (long long)c.runs,
           seed);
    for (int p = 0; p < PlaceCount; p++)
        printf("  %-18s %10lld ticks\n", PlaceNames[p], (long long)c.ticks[p]);
    printf("  games %lld (A %lld, B %lld, C %lld, D %lld), continued %lld, abandoned %lld\n"
           "  best scores: A %d, B %d, C %d, D %d\n  game ticks by skin:",
           (long long)c.games, (long long)c.gamesOfType[0], (long long)c.gamesOfType[1],
           (long long)c.gamesOfType[2], (long long)c.gamesOfType[3], (long long)c.continued,
           (long long)c.abandons, (int)c.bestScore[0], (int)c.bestScore[1], (int)c.bestScore[2],
           (int)c.bestScore[3]);
    for (int s = 0; s < SkinCount; s++) printf(" %lld", (long long)c.ticksOfSkin[s]);
    printf("\n  names entered %lld, pauses %lld, focus lost %lld, closed %lld, quit from the "
           "menu %lld\n",
           (long long)c.entries, (long long)c.pauses, (long long)c.focusLosses, (long long)c.closes,
           (long long)c.menuQuits);
    fflush(stdout);
}

enum { CoverageTicks = 50000 }; // long enough to reach every screen

int main(int argc, char **argv)
{
    int64_t total = 1000000;
    uint32_t seed = 20240607;
    std::string data = BinaryFolder() + "/Data.zux";
    bool keep = false;
    std::string notes, writeNotes;
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        const char *v = i + 1 < argc ? argv[i + 1] : "";
        int64_t n;
        if (strcmp(a, "--ticks") == 0 && ParseCount(v, &n)) {
            total = n;
            i++;
        } else if (strcmp(a, "--seed") == 0 && ParseCount(v, &n)) {
            seed = (uint32_t)n;
            i++;
        } else if (strcmp(a, "--data") == 0 && *v) {
            data = v;
            i++;
        } else if (strcmp(a, "--notes") == 0 && *v) {
            notes = v;
            i++;
        } else if (strcmp(a, "--write-notes") == 0 && *v) {
            writeNotes = v;
            i++;
        } else if (strcmp(a, "--keep") == 0) {
            keep = true;
        } else if (strcmp(a, "--verbose") == 0) {
            Verbose = true;
        } else {
            fprintf(stderr,
                    "usage: zux-soak [--ticks N] [--seed S] [--data Data.zux] [--notes FILE] "
                    "[--write-notes FILE] [--keep] [--verbose]\n");
            return 2;
        }
    }
    printf("zux-soak: seed %u, %lld ticks\n", seed, (long long)total);
    fflush(stdout);

    char pattern[] = "/tmp/zux-soak-XXXXXX";
    if (!mkdtemp(pattern)) {
        fprintf(stderr, "zux-soak: cannot make a folder\n");
        return 1;
    }
    const std::string dir = pattern;
    std::error_code ec; // the folder is new: nothing to overwrite
    if (!std::filesystem::copy_file(data, dir + "/Data.zux", ec)) {
        fprintf(stderr, "zux-soak: cannot copy %s\n", data.c_str());
        return 1;
    }

    B.rng = seed;
    // The notes' first line names the run they are of.
    Notes.push_back("# zux-soak notes: seed " + std::to_string(seed) + ", " +
                    std::to_string(total) + " ticks; a line is: ticks, runs, what was seen");
    int64_t done = 0;
    while (done < total && !Failed) {
        int64_t left = total - done;
        int32_t length = 2000 + Below(30000);
        if (length > left) length = (int32_t)left;
        Headless_Reset();
        Headless_SetFolder(dir.c_str());
        Headless_SetLastTick(length);
        Headless_SetTickHook(OnTick);
        B.pending.clear();
        B.quietUntil = 0;
        TicksThisRun = 0;
        Count.runs++;
        int status = RunGame();
        if (status != 0) Fail("the program could not start");
        if (Shell.ScreenState == ScreenMenu && MenuData.menuState == MenuLeaveQuit)
            Count.menuQuits++;
        if (TicksThisRun <= 0) Fail("a run ran no tick");
        done += TicksThisRun;
        CheckSettingsFile(dir);
        CheckScoreFile(dir, Count.entries > 0);
    }
    Headless_Reset();
    if (TicksSeen % RecordStep != 0) Note();

    PrintSummary(done, seed);
    if (!notes.empty() && !Failed) CompareNotes(notes);
    if (!writeNotes.empty() && !Failed) {
        std::ofstream f(writeNotes, std::ios::trunc);
        for (const std::string &line : Notes) f << line << "\n";
        if (!f) Fail("cannot write the notes");
    }
    // A run this long reaches everything; a shorter one only reports what it missed.
    bool excused = Failed || done < CoverageTicks; // already failed, or too short
    if (done < CoverageTicks)
        printf("zux-soak: shorter than %d ticks: screens not reached are not faults\n",
               (int)CoverageTicks);
    int missed = 0;
    for (int p = 0; p < PlaceCount; p++)
        if (Count.ticks[p] == 0) {
            fprintf(stderr, "zux-soak: never reached: %s\n", PlaceNames[p]);
            missed++;
        }
    for (int t = 0; t < 4; t++)
        if (Count.gamesOfType[t] == 0) {
            fprintf(stderr, "zux-soak: game type %c never played\n", 'A' + t);
            missed++;
        }
    for (int k = 0; k < SkinCount; k++)
        if (Count.ticksOfSkin[k] == 0) {
            fprintf(stderr, "zux-soak: skin %d never played\n", k + 1);
            missed++;
        }
    if (Count.entries == 0) {
        fprintf(stderr, "zux-soak: no name was ever entered\n");
        missed++;
    }
    if (Count.runs < 2) {
        fprintf(stderr, "zux-soak: the program was never started again\n");
        missed++;
    }
    if (missed > 0 && !excused) Fail("not every screen was reached");

    if (keep)
        printf("zux-soak: files kept in %s\n", dir.c_str());
    else
        std::filesystem::remove_all(dir);
    if (Failed) return 1;
    printf("zux-soak: passed\n");
    return 0;
}
