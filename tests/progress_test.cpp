// Game progression: starting games and levels, the speed-up's floor, the
// counters' limits, the rising rows of high levels and the guards on a saved
// game to continue; what the soak's games reach its notes hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/shell.h"
#include "front/settings.h"
#include "game/board.h"
#include "game/progress.h"
#include "gfx/skins.h"
#include "tests/test_util.h"

namespace
{

typedef ProgramTest Progress;

// The playing cells hold the 200 colours of pattern.
bool BoardIs(const uint8_t *pattern)
{
    for (int i = 0; i < 200; i++)
        if (CurrentBoard()->cells[i / 10 * BoardCols + i % 10 + 1] != pattern[i]) return false;
    return true;
}

const uint8_t Empty[200] = {0};

} // namespace

TEST_F(Progress, StartGameSetsUpEachTypeAndTypeALevels)
{
    const struct {
        int32_t type, delay, lines;
        const uint8_t *board;
    } cases[] = {{GameTypeA, 600, 10, LevelPatterns[0]},
                 {GameTypeB, 700, 0, Empty},
                 {7, 600, 10, LevelPatterns[0]}}; // (C's and D's the soak's notes hold)
    for (const auto &e : cases) {
        // Leftovers of an earlier game are all reset; a new game is the saved game at once.
        Game = GameState{
            7, PhaseGameOver, PhaseLevelCompleted, 9, 77, 9, 5, 90, 333, 4, 6, 2, 3, 7, 12, nullptr,
            0};
        StartGame(e.type);
        int32_t type = e.type <= 3 ? e.type : 0;
        EXPECT_EQ((Ints{Game.GameType, Game.GamePhase, Game.PhaseAfterLight, Game.PhaseTicks,
                        Game.Score, Game.Level, Game.Lines, Game.FallDelay, Game.FallTime,
                        Game.Chain, Game.LandingCount, Game.PieceX, Game.PieceY,
                        Settings.SavedGameType, Settings.SavedScore, Settings.SavedLevel,
                        Settings.SavedLines, Settings.SavedFallDelay}),
                  (Ints{type, PhaseNewGame, PhasePlaying, 0, 0, 1, e.lines, e.delay, 0, 1, 0, 3, 0,
                        type, 0, 1, e.lines, e.delay}))
            << e.type;
        EXPECT_TRUE(BoardIs(e.board)) << e.type;
        EXPECT_TRUE(!memcmp(Settings.SavedCells, CurrentBoard()->cells, sizeof Settings.SavedCells))
            << e.type;
    }

    // Level L plays pattern (L - 1) mod 15; from 16 on the delay is 100 and the quota 20.
    const int32_t levels[][4] = {
        {1, 0, 600, 10}, {5, 4, 500, 12}, {15, 14, 200, 20}, {16, 0, 100, 20}, {31, 0, 100, 20}};
    StartGame(GameTypeA);
    for (auto [level, pattern, delay, lines] : levels) {
        Game.Level = level, StartLevel();
        EXPECT_TRUE(BoardIs(LevelPatterns[pattern])) << level;
        EXPECT_TRUE(Game.FallDelay == delay) << level;
        EXPECT_TRUE(Game.Lines == lines) << level;
        EXPECT_TRUE(Settings.SavedLevel == level) << level;
    }
    // No level starts with a full row.
    for (int p = 0; p < 15; p++)
        for (int r = 0; r < 20; r++)
            EXPECT_NE(std::count(LevelPatterns[p] + 10 * r, LevelPatterns[p] + 10 * r + 10, 0), 0)
                << p << "," << r;
}

TEST_F(Progress, SpeedUpFloorAndCounterLimits)
{
    // The speed-up stops below 60: at 57 for B and D, 54 for C.
    for (auto [type, last] : {std::pair{GameTypeB, 57}, {GameTypeC, 54}, {GameTypeD, 57}}) {
        StartGame(type), Game.Lines = 100000;
        for (int i = 0; i < 100; i++) CheckProgress();
        EXPECT_TRUE(Game.FallDelay == last) << type;
        EXPECT_TRUE(Game.Level == 101) << type;
    }
    // Counters stop at their ends instead of overflowing.
    Game.Score = INT32_MAX - 3;
    ScoreRow(), AddScore(1);
    EXPECT_EQ(Game.Score, INT32_MAX);
}

TEST_F(Progress, TypeCRisingRowsStayInTheTableAtEveryLevel)
{
    // The row comes from around RisingRows[(level - 1) / 2], clamped at the
    // ends; the soak's games never reach the high levels.
    for (int32_t level : {1, 19, 40, INT32_MAX}) {
        StartGame(GameTypeC), Game.Level = level;
        int low = RisingRowCount, high = -1;
        for (int n = 1; n <= 500; n++) {
            Game.GamePhase = PhasePlaying, AfterLanding();
            if (n % 10) continue;
            ASSERT_EQ(Game.GamePhase, PhaseRisingRow);
            int index = (int)((CurrentBoard()->risingRow - RisingRows[0]) / 10);
            low = std::min(low, index), high = std::max(high, index);
        }
        EXPECT_TRUE(level == 1 ? low == 0 && high == 2 : low >= 7 && high == 9) << level;
    }
}

TEST_F(Progress, ContinueMakesOddSavedValuesPlayable)
{
    // A stored type outside 1..3 continues as A, and values no game writes are
    // made playable, the score kept.
    StartGame(GameTypeC);
    Game.Score = 123;
    TakeSnapshot();
    Settings.SavedGameType = 9, Settings.SavedCurrentType = 0, Settings.SavedNextType = 15;
    Settings.SavedLevel = -4, Settings.SavedFallDelay = -100;
    EXPECT_EQ(ScreenTransition(ScreenMenu, 1), ScreenGame);
    EXPECT_EQ((Ints{Game.GameType, Game.GamePhase, Game.Score, Game.CurrentType, Game.NextType,
                    Game.Level, Game.FallDelay, Game.ContinuePending, Settings.SavedScore}),
              (Ints{GameTypeA, PhaseResume, 123, 1, 1, 1, 20, 0, 123}));
    // A new game from the menu starts a fresh saved game.
    CurrentBoard()->cells[18 * 12 + 2] = 5;
    TakeSnapshot();
    EXPECT_EQ(ScreenTransition(ScreenMenu, 3), ScreenGame);
    EXPECT_EQ((Ints{Game.GameType, Settings.SavedScore, Settings.SavedCells[18 * 12 + 2]}),
              (Ints{GameTypeB, 0, 0}));
}
