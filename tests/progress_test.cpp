// Game progression: starting games and levels, type A's tables, scoring,
// level-ups, the rising row of type C and the saved game.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "app/shell.h"
#include "front/settings.h"
#include "game/board.h"
#include "game/progress.h"
#include "gfx/skins.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "tests/test_util.h"

namespace
{

// The program started in an empty folder, with stand-in sounds so that the
// sounds played can be followed.
class Progress : public ::testing::Test
{
  protected:
    std::string dir;
    void SetUp() override
    {
        dir = MakeTempDir();
        for (const char *name : {"sclick.wav", "srot.wav", "sdest.wav", "slevel.wav"})
            WriteText(dir + "/" + name, "RIFF");
        Headless_Reset();
        Headless_SetFolder(dir.c_str());
        ASSERT_TRUE(StartUp());
    }
    void TearDown() override
    {
        ShutDown();
        RemoveTree(dir);
    }
    int32_t cell(int r, int c) { return CurrentBoard()->cells[r * BoardCols + c]; }
    // The playing cells hold the 200 colours of pattern.
    bool BoardIs(const uint8_t *pattern)
    {
        for (int r = 0; r < 20; r++)
            for (int c = 0; c < 10; c++)
                if (cell(r, c + 1) != pattern[r * 10 + c]) return false;
        return true;
    }
    // The last sound started, or "".
    std::string LastSound()
    {
        int n = Headless_SoundCount();
        return n ? Headless_SoundName(n - 1) : "";
    }
};

const uint8_t Empty[200] = {0};

} // namespace

TEST_F(Progress, StartGameSetsUpEachType)
{
    struct {
        int32_t type, delay, lines;
        const uint8_t *board;
    } cases[] = {{GameTypeA, 600, 10, LevelPatterns[0]},
                 {GameTypeB, 700, 0, Empty},
                 {GameTypeC, 1000, 0, Empty},
                 {GameTypeD, 700, 0, Empty},
                 {7, 600, 10, LevelPatterns[0]}};
    for (const auto &e : cases) {
        // Leftovers of an earlier game are all reset.
        Game = GameState{
            7, PhaseGameOver, PhaseLevelCompleted, 9, 77, 9, 5, 90, 333, 4, 6, 2, 3, 7, 12, nullptr,
            0};
        StartGame(e.type);
        int32_t type = e.type <= 3 ? e.type : 0;
        EXPECT_EQ(Game.GameType, type);
        EXPECT_EQ(Game.GamePhase, PhaseNewGame);
        EXPECT_EQ(Game.PhaseAfterLight, PhasePlaying);
        EXPECT_EQ(Game.PhaseTicks, 0);
        EXPECT_EQ(Game.Score, 0);
        EXPECT_EQ(Game.Level, 1);
        EXPECT_EQ(Game.Lines, e.lines);
        EXPECT_EQ(Game.FallDelay, e.delay);
        EXPECT_EQ(Game.FallTime, 0);
        EXPECT_EQ(Game.Chain, 1);
        EXPECT_EQ(Game.LandingCount, 0);
        EXPECT_EQ(Game.PieceX, 3);
        EXPECT_EQ(Game.PieceY, 0);
        EXPECT_TRUE(BoardIs(e.board)) << e.type;
        for (int r = 0; r < 21; r++) EXPECT_TRUE(cell(r, 0) == 1 && cell(r, 11) == 1);
        for (int c = 0; c < 12; c++) EXPECT_EQ(cell(20, c), 1);
        // A new game is the saved game from its first moment.
        EXPECT_EQ(Settings.SavedGameType, type);
        EXPECT_EQ(memcmp(Settings.SavedCells, CurrentBoard()->cells, sizeof(Settings.SavedCells)),
                  0);
        EXPECT_EQ(Settings.SavedScore, 0);
        EXPECT_EQ(Settings.SavedLevel, 1);
        EXPECT_EQ(Settings.SavedLines, e.lines);
        EXPECT_EQ(Settings.SavedFallDelay, e.delay);
    }
}

TEST_F(Progress, TypeALevelTables)
{
    // Level L plays pattern (L - 1) mod 15; from 16 on the delay is 100 and the quota 20.
    struct {
        int32_t level, pattern, delay, lines;
    } levels[] = {
        {1, 0, 600, 10}, {5, 4, 500, 12}, {15, 14, 200, 20}, {16, 0, 100, 20}, {31, 0, 100, 20}};
    StartGame(GameTypeA);
    for (const auto &l : levels) {
        Game.Level = l.level;
        StartLevel();
        EXPECT_TRUE(BoardIs(LevelPatterns[l.pattern])) << l.level;
        EXPECT_EQ(Game.FallDelay, l.delay) << l.level;
        EXPECT_EQ(Game.Lines, l.lines) << l.level;
        EXPECT_EQ(Settings.SavedLevel, l.level);
    }
    auto Row = [](int p, int r) {
        std::string s;
        for (int c = 0; c < 10; c++) s += ".1234567"[LevelPatterns[p][r * 10 + c]];
        return s;
    };
    EXPECT_EQ(Row(0, 9), "..........");
    EXPECT_EQ(Row(0, 10), "7........7");
    EXPECT_EQ(Row(8, 6), "1..1..1..1");
    EXPECT_EQ(Row(8, 16), "33......33");
    EXPECT_EQ(Row(12, 11), "....222222");
    EXPECT_EQ(Row(14, 19), "6.5.4.4.5.");
    // No level starts with a full row.
    for (int p = 0; p < 15; p++)
        for (int r = 0; r < 20; r++)
            EXPECT_NE(Row(p, r).find('.'), std::string::npos) << p << "," << r;
}

TEST_F(Progress, ScoringAndLevels)
{
    // 1..4 rows in one chain score 5, 15, 30, 50; A counts down, the others up.
    static const int32_t ChainScores[5] = {0, 5, 15, 30, 50};
    for (int32_t type = 0; type < 4; type++)
        for (int n = 1; n <= 4; n++) {
            StartGame(type);
            Game.PhaseAfterLight = PhaseLevelCompleted;
            for (int k = 0; k < n; k++) ScoreRow();
            EXPECT_EQ(Game.Score, ChainScores[n]);
            EXPECT_EQ(Game.Lines, type == GameTypeA ? 10 - n : n);
            EXPECT_EQ(Game.PhaseAfterLight, type == GameTypeC ? PhaseLevelCompleted : PhasePlaying);
        }
    // Type A goes below 0 during a chain; the level completes when it has ended.
    StartGame(GameTypeA);
    Game.Lines = 1;
    Game.GamePhase = PhaseDestroying;
    ScoreRow();
    ScoreRow();
    CheckProgress();
    EXPECT_EQ(Game.Lines, -1);
    EXPECT_EQ(Game.GamePhase, PhaseDestroying);
    Game.GamePhase = PhasePlaying;
    CheckProgress();
    EXPECT_EQ(Game.Score, 15 + 50);
    EXPECT_EQ(Game.GamePhase, PhaseLighting);
    EXPECT_EQ(Game.PhaseAfterLight, PhaseLevelCompleted);
    EXPECT_EQ(LastSound(), "slevel.wav");

    // B: level 2 and 630 after 10 rows, level 3 and 567 after 20; one level per call.
    StartGame(GameTypeB);
    Game.Lines = 9;
    CheckProgress();
    EXPECT_EQ(Game.Level, 1);
    Game.Lines = 10;
    CheckProgress();
    CheckProgress();
    EXPECT_EQ(Game.Level, 2);
    EXPECT_EQ(Game.FallDelay, 630);
    Game.Lines = 40;
    CheckProgress();
    EXPECT_EQ(Game.Level, 3);
    EXPECT_EQ(Game.FallDelay, 567);
    CheckProgress();
    CheckProgress();
    CheckProgress();
    EXPECT_EQ(Game.Level, 5);
    // The speed-up stops below 60: at 57 for B and D, 54 for C.
    for (auto [type, last] : {std::pair{GameTypeB, 57}, {GameTypeC, 54}, {GameTypeD, 57}}) {
        StartGame(type);
        Game.Lines = 100000;
        for (int i = 0; i < 100; i++) CheckProgress();
        EXPECT_EQ(Game.FallDelay, last);
        EXPECT_EQ(Game.Level, 101);
    }
    // Counters stop at their ends instead of overflowing.
    Game.Score = INT32_MAX - 3;
    ScoreRow();
    AddScore(1);
    EXPECT_EQ(Game.Score, INT32_MAX);
}

TEST_F(Progress, AfterLandingSnapshotsLocksKeysAndRaisesRows)
{
    StartGame(GameTypeB);
    Game.Score = 41;
    Game.Level = 3;
    Game.Lines = 25;
    Game.FallDelay = 567;
    CurrentBoard()->cells[19 * 12 + 4] = 6;
    Settings.SavedGameType = 0;
    Keys.KeySlot[KeyLeft] = 5;
    AfterLanding();
    EXPECT_EQ(Settings.SavedScore, 41);
    EXPECT_EQ(Settings.SavedLevel, 3);
    EXPECT_EQ(Settings.SavedLines, 25);
    EXPECT_EQ(Settings.SavedFallDelay, 567);
    EXPECT_EQ(Settings.SavedCells[19 * 12 + 4], 6);
    EXPECT_EQ(Settings.SavedGameType, GameTypeB);
    EXPECT_EQ(Keys.KeyLock, 1);
    EXPECT_EQ(Keys.KeySlot[KeyLeft], 0);

    // Type C: every tenth landing raises a row from around RisingRows[(level - 1) / 2].
    struct {
        int32_t level, low, high;
    } bands[] = {{1, 0, 2}, {2, 0, 2}, {9, 2, 6}, {19, 7, 9}, {40, 9, 9}};
    for (const auto &b : bands) {
        StartGame(GameTypeC);
        Game.Level = b.level;
        std::map<int, int> seen;
        for (int n = 1; n <= 2000; n++) {
            Game.GamePhase = PhasePlaying;
            AfterLanding();
            EXPECT_EQ(Game.LandingCount, n % 10);
            EXPECT_EQ(Game.GamePhase, n % 10 ? PhasePlaying : PhaseRisingRow);
            if (n % 10) continue;
            EXPECT_EQ(LastSound(), "sdest.wav");
            int index = (int)((CurrentBoard()->risingRow - RisingRows[0]) / 10);
            ASSERT_TRUE(index >= b.low && index <= b.high) << b.level << ": " << index;
            seen[index]++;
        }
        EXPECT_EQ((int)seen.size(), b.high - b.low + 1) << b.level;
        // At the ends the clamp makes the end row three times as likely.
        if (b.level == 1) {
            EXPECT_GT(seen[0], 2 * seen[1]);
        }
        if (b.level == 19) {
            EXPECT_GT(seen[9], 2 * seen[8]);
        }
    }
}

TEST_F(Progress, ContinueRestoresTheSavedGame)
{
    StartGame(GameTypeC);
    Game.Score = 123;
    Game.Level = 4;
    Game.Lines = 31;
    Game.FallDelay = 729;
    CurrentBoard()->cells[18 * 12 + 2] = 5;
    TakeSnapshot();
    Settings.SavedCurrentType = 6;
    Settings.SavedNextType = 2;
    int32_t saved[BoardCells];
    memcpy(saved, Settings.SavedCells, sizeof(saved));
    Game = GameState{};
    ClearBoard(CurrentBoard());

    EXPECT_EQ(ScreenTransition(ScreenMenu, 1), ScreenGame);
    EXPECT_EQ(Game.GameType, GameTypeC);
    EXPECT_EQ(Game.GamePhase, PhaseResume);
    EXPECT_EQ(Game.ContinuePending, 0);
    EXPECT_EQ(Game.Score, 123);
    EXPECT_EQ(Game.Level, 4);
    EXPECT_EQ(Game.Lines, 31);
    EXPECT_EQ(Game.FallDelay, 729);
    EXPECT_EQ(Game.CurrentType, 6);
    EXPECT_EQ(Game.NextType, 2);
    EXPECT_EQ(memcmp(CurrentBoard()->cells, saved, sizeof(saved)), 0);
    // Setting up the game for Continue leaves the saved game alone.
    EXPECT_EQ(memcmp(Settings.SavedCells, saved, sizeof(saved)), 0);
    EXPECT_EQ(Settings.SavedScore, 123);

    // A stored type outside 1..3 continues as A; values no game writes are made playable.
    Settings.SavedGameType = 9;
    Settings.SavedCurrentType = 0;
    Settings.SavedNextType = 15;
    Settings.SavedLevel = -4;
    Settings.SavedFallDelay = -100;
    ScreenTransition(ScreenMenu, 1);
    EXPECT_EQ(Game.GameType, GameTypeA);
    EXPECT_EQ(Game.Score, 123);
    EXPECT_EQ(Game.CurrentType, 1);
    EXPECT_EQ(Game.NextType, 1);
    EXPECT_EQ(Game.Level, 1);
    EXPECT_EQ(Game.FallDelay, 20);

    // A new game from the menu starts a fresh saved game.
    EXPECT_EQ(ScreenTransition(ScreenMenu, 3), ScreenGame);
    EXPECT_EQ(Game.GameType, GameTypeB);
    EXPECT_EQ(Settings.SavedScore, 0);
    EXPECT_EQ(Settings.SavedCells[18 * 12 + 2], 0);
}
