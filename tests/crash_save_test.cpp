// Saves that survive a crash: a child process writes a file beside the program
// over and over with changing contents and is killed at moments the parent
// picks; afterwards the file must be one whole version, the old or a new one,
// never a mix or a short file. Writes that fail must leave the old file.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "front/score_screen.h"
#include "front/score_tables.h"
#include "front/settings.h"
#include "game/progress.h"
#include "platform/headless/headless.h"
#include "tests/test_util.h"

// One file the program saves: how to hold version k in memory and write it,
// and which version a file's bytes decode to (-1: none).
struct SavedFileKind {
    const char *name;
    uint32_t size;
    void (*setVersion)(int32_t k);
    bool (*save)(void);
    bool reportsFailure; // save's result says whether the file was written
    int32_t (*versionOf)(const Bytes &file);
};

// "SS.dat": version k is a playable saved game whose score is k.
static void SetSettingsVersion(int32_t k)
{
    DefaultSettings();
    SettingsState &s = Settings;
    s.SelectedSkin = k % SkinCount, s.SavedScore = k, s.SavedLevel = 1 + k % 20;
    s.SavedLines = k % 97, s.SavedNextType = 1 + k % 14, s.SavedCurrentType = 1 + (k / 14) % 14;
    s.SavedGameType = k % 4, s.SavedGameValid = 1, s.SavedFallDelay = 100 + k % 300;
    s.SoundOption = k & 1, s.DropOption = (k >> 1) & 1;
    for (int i = 0; i < BoardCells; i++) {
        int r = i / BoardCols, c = i % BoardCols;
        s.SavedCells[i] = c == 0 || c == BoardCols - 1 || r == BoardRows - 1 ? 1 : (k + r * c) % 8;
    }
}

static int32_t SettingsVersionOf(const Bytes &file)
{
    DecodeSettings(file.data(), (uint32_t)file.size());
    return Settings.SavedGameValid ? Settings.SavedScore : -1;
}

// "HS.dat": version k is the default tables with a score of HighScoreBase + k
// entered on top of table A, written the way a finished name entry writes it.
enum { HighScoreBase = 1000000000 };
static int32_t PendingHighScore;

static void SetHighScoreVersion(int32_t k)
{
    DefaultHighScores();
    PendingHighScore = k;
}

static bool SaveHighScoreVersion(void)
{
    int32_t k = PendingHighScore;
    Game.GameType = GameTypeA;
    Game.Score = HighScoreBase + k;
    Game.Level = 1 + k % 30;
    for (int i = 0; i < 3; i++)
        ScoreScreen.enteredName[i] = k / (i == 0 ? 1 : i == 1 ? 26 : 676) % 26;
    InsertHighScore();
    return true; // the program does not look at the result
}

static int32_t HighScoreVersionOf(const Bytes &file)
{
    DecodeHighScores(file.data(), (uint32_t)file.size());
    int32_t k = HighScoreTables[GameTypeA][0].score - HighScoreBase;
    return k >= 0 ? k : -1;
}

static const SavedFileKind Kinds[] = {
    {"SS.dat", SettingsFileSize, SetSettingsVersion, SaveSettings, true, SettingsVersionOf},
    {"HS.dat", HighScoreFileSize, SetHighScoreVersion, SaveHighScoreVersion, false,
     HighScoreVersionOf}};

// The file in dir must be exactly the bytes of one version; returns it, or -1.
static int32_t WholeVersion(const SavedFileKind &kind, const std::string &dir)
{
    Bytes file = ReadBytes(dir + "/" + kind.name);
    int32_t k = file.size() == kind.size ? kind.versionOf(file) : -1;
    if (k < 0) return -1;
    std::string other = MakeTempDir(); // the bytes version k must have
    Headless_SetFolder(other.c_str());
    kind.setVersion(k);
    Bytes expected;
    if (kind.save()) expected = ReadBytes(other + "/" + kind.name);
    RemoveTree(other);
    Headless_SetFolder(dir.c_str());
    return file == expected ? k : -1;
}

enum { Kills = 60, VersionsPerChild = 1000000 };

static void KillWhileSaving(const SavedFileKind &kind)
{
    SCOPED_TRACE(kind.name);
    TempFolder t;
    const std::string &dir = t.dir;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; i++) {
        kind.setVersion(i);
        kind.save();
    }
    double saveTime =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 20;
    kind.setVersion(0);
    ASSERT_TRUE(kind.save());

    int32_t current = 0;
    int replaced = 0;
    for (int attempt = 0; attempt < Kills; attempt++) {
        // Child i writes versions from first on; none it writes was there before.
        int32_t first = (attempt + 1) * VersionsPerChild;
        int saved[2];
        ASSERT_EQ(pipe(saved), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(saved[0]);
            alarm(20); // never outlives a parent that failed to kill it
            for (int32_t k = first;; k++) {
                kind.setVersion(k);
                // One byte for each save that has returned.
                if (kind.save() && write(saved[1], "s", 1) != 1) _exit(3);
            }
        }
        close(saved[1]);
        // The kill comes after 0, 1 or 2 whole saves, somewhere in the next one.
        int whole = attempt % 3;
        char byte;
        for (int i = 0; i < whole; i++) ASSERT_EQ(read(saved[0], &byte, 1), 1);
        auto until = std::chrono::steady_clock::now() +
                     std::chrono::duration<double>(saveTime * 1.2 * (attempt * 7 % 20) / 20.0);
        while (std::chrono::steady_clock::now() < until) {
        }
        kill(child, SIGKILL);
        close(saved[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "attempt " << attempt;
        ASSERT_TRUE(WTERMSIG(status) == SIGKILL) << "attempt " << attempt;

        int32_t k = WholeVersion(kind, dir);
        ASSERT_TRUE(k == current || (k >= first && k < first + VersionsPerChild))
            << "after kill " << attempt << " the file holds version " << k << ", not " << current
            << " or a whole new one";
        // A save that has returned is on disk.
        EXPECT_TRUE(whole == 0 || k >= first + whole - 1) << "after kill " << attempt;
        replaced += k != current;
        current = k;
    }
    // The children really wrote: two kills in three come after a whole save.
    EXPECT_GE(replaced, Kills * 2 / 3);
    // A temporary left by a killed save does not stop the next one.
    kind.setVersion(7);
    EXPECT_TRUE(kind.save());
    EXPECT_EQ(WholeVersion(kind, dir), 7);
    EXPECT_NE(access((dir + "/" + kind.name + ".new").c_str(), F_OK), 0);
}

TEST(CrashSafeSave, SavesSurviveAKillAtAnyPoint)
{
    for (const SavedFileKind &kind : Kinds) KillWhileSaving(kind);
}

// Saves version k in a child whose files may not grow past limit bytes, as on
// a full disk. The child's exit status: 0 when its save reported failure, 1
// when it reported success, anything else when it could not run.
static int SaveOnFullDisk(const SavedFileKind &kind, int32_t k, rlim_t limit)
{
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit r = {limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &r) != 0) _exit(3);
        kind.setVersion(k);
        _exit(kind.save() ? 1 : 0);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(CrashSafeSave, FailedWritesKeepTheOldFile)
{
    for (const SavedFileKind &kind : Kinds) {
        SCOPED_TRACE(kind.name);
        TempFolder t;
        kind.setVersion(3);
        ASSERT_TRUE(kind.save());
        // Whatever is in the folder besides the file itself: a temporary left.
        auto others = [&t, &kind]() {
            std::string names;
            for (const auto &e : std::filesystem::directory_iterator(t.dir))
                if (e.path().filename() != kind.name) names += e.path().filename().string() + " ";
            return names;
        };
        // The disk fills up halfway through the write, or before its first byte.
        for (rlim_t limit : {(rlim_t)kind.size / 2, (rlim_t)0}) {
            EXPECT_EQ(SaveOnFullDisk(kind, 5, limit), kind.reportsFailure ? 0 : 1);
            EXPECT_EQ(WholeVersion(kind, t.dir), 3);
            EXPECT_EQ(others(), "") << "a failed save leaves no temporary";
        }
        // A folder the program may not write to (the superuser writes anywhere).
        if (geteuid() != 0) {
            ASSERT_EQ(chmod(t.dir.c_str(), 0555), 0);
            kind.setVersion(8);
            EXPECT_FALSE(kind.save() && kind.reportsFailure);
            chmod(t.dir.c_str(), 0755);
            EXPECT_EQ(WholeVersion(kind, t.dir), 3);
        }
        // With the obstacles gone the next save goes through.
        kind.setVersion(9);
        EXPECT_TRUE(kind.save());
        EXPECT_EQ(WholeVersion(kind, t.dir), 9);
    }
}
