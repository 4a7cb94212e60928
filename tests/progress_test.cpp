// Game progression: starting games and levels, scoring, level-ups, the rising
// row of type C and the guards on a saved game to continue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "app/shell.h"
#include "front/settings.h"
#include "game/board.h"
#include "game/progress.h"
#include "gfx/skins.h"
#include "platform/headless/headless.h"
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
                 {GameTypeC, 1000, 0, Empty},
                 {GameTypeD, 700, 0, Empty},
                 {7, 600, 10, LevelPatterns[0]}};
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
        EXPECT_TRUE(BoardIs(e.board) &&
                    !memcmp(Settings.SavedCells, CurrentBoard()->cells, sizeof Settings.SavedCells))
            << e.type;
    }

    // Level L plays pattern (L - 1) mod 15; from 16 on the delay is 100 and the quota 20.
    const int32_t levels[][4] = {
        {1, 0, 600, 10}, {5, 4, 500, 12}, {15, 14, 200, 20}, {16, 0, 100, 20}, {31, 0, 100, 20}};
    StartGame(GameTypeA);
    for (auto [level, pattern, delay, lines] : levels) {
        Game.Level = level, StartLevel();
        EXPECT_TRUE(BoardIs(LevelPatterns[pattern]) && Game.FallDelay == delay &&
                    Game.Lines == lines && Settings.SavedLevel == level)
            << level;
    }
    // No level starts with a full row.
    for (int p = 0; p < 15; p++)
        for (int r = 0; r < 20; r++)
            EXPECT_NE(std::count(LevelPatterns[p] + 10 * r, LevelPatterns[p] + 10 * r + 10, 0), 0)
                << p << "," << r;
}

TEST_F(Progress, ScoringAndLevels)
{
    // 1..4 rows in one chain score 5, 15, 30, 50; A counts down, the others up;
    // only C's rows never complete a level.
    static const int32_t ChainScores[5] = {0, 5, 15, 30, 50};
    for (int32_t type = 0; type < 4; type++)
        for (int n = 1; n <= 4; n++) {
            StartGame(type), Game.PhaseAfterLight = PhaseLevelCompleted;
            for (int k = 0; k < n; k++) ScoreRow();
            EXPECT_EQ((Ints{Game.Score, Game.Lines, Game.PhaseAfterLight}),
                      (Ints{ChainScores[n], type == GameTypeA ? 10 - n : n,
                            type == GameTypeC ? PhaseLevelCompleted : PhasePlaying}))
                << type << " " << n;
        }
    // Type A goes below 0 during a chain; the level completes when it has ended.
    StartGame(GameTypeA), Game.Lines = 1, Game.GamePhase = PhaseDestroying;
    for (int k = 0; k < 2; k++) ScoreRow();
    CheckProgress();
    EXPECT_TRUE(Game.Lines == -1 && Game.GamePhase == PhaseDestroying);
    int sounds = Headless_SoundCount();
    Game.GamePhase = PhasePlaying, CheckProgress();
    EXPECT_EQ((Ints{Game.Score, Game.GamePhase, Game.PhaseAfterLight}),
              (Ints{15 + 50, PhaseLighting, PhaseLevelCompleted}));
    EXPECT_EQ(SoundsSince(sounds), "slevel.wav");

    // B: level 2 and 630 after 10 rows, level 3 and 567 after 20; one level per call.
    StartGame(GameTypeB);
    const int32_t steps[][4] = {{9, 1, 1, 700}, {10, 2, 2, 630}, {40, 1, 3, 567}, {40, 3, 5, 0}};
    for (auto [lines, calls, level, delay] : steps) {
        Game.Lines = lines;
        for (int i = 0; i < calls; i++) CheckProgress();
        EXPECT_TRUE(Game.Level == level && (!delay || Game.FallDelay == delay)) << lines;
    }
    // The speed-up stops below 60: at 57 for B and D, 54 for C.
    for (auto [type, last] : {std::pair{GameTypeB, 57}, {GameTypeC, 54}, {GameTypeD, 57}}) {
        StartGame(type), Game.Lines = 100000;
        for (int i = 0; i < 100; i++) CheckProgress();
        EXPECT_TRUE(Game.FallDelay == last && Game.Level == 101) << type;
    }
    // Counters stop at their ends instead of overflowing.
    Game.Score = INT32_MAX - 3;
    ScoreRow(), AddScore(1);
    EXPECT_EQ(Game.Score, INT32_MAX);
}

TEST_F(Progress, TypeCRaisesARowEveryTenthLanding)
{
    // The row comes from around RisingRows[(level - 1) / 2], clamped at the ends.
    const int32_t bands[][3] = {{1, 0, 2}, {2, 0, 2}, {9, 2, 6}, {19, 7, 9}, {40, 9, 9}};
    for (auto [level, low, high] : bands) {
        StartGame(GameTypeC), Game.Level = level;
        std::map<int, int> seen;
        for (int n = 1; n <= 2000; n++) {
            int sounds = Headless_SoundCount();
            Game.GamePhase = PhasePlaying, AfterLanding();
            ASSERT_EQ(Game.LandingCount, n % 10);
            ASSERT_EQ(Game.GamePhase, n % 10 ? PhasePlaying : PhaseRisingRow);
            if (n % 10) continue;
            // (the log holds the first 16 sounds)
            ASSERT_TRUE(sounds == HeadlessMaxSoundsPerTick || SoundsSince(sounds) == "sdest.wav");
            int index = (int)((CurrentBoard()->risingRow - RisingRows[0]) / 10);
            ASSERT_TRUE(index >= low && index <= high) << level << ": " << index;
            seen[index]++;
        }
        EXPECT_EQ((int)seen.size(), high - low + 1) << level;
        // At the ends the clamp makes the end row three times as likely.
        EXPECT_TRUE((level != 1 || seen[0] > 2 * seen[1]) &&
                    (level != 19 || seen[9] > 2 * seen[8]));
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
