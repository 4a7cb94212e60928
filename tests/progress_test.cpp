// Game progression: starting games and levels, type A's tables, scoring,
// level-ups, the rising row of type C and the saved game.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "app/shell.h"
#include "front/settings.h"
#include "game/board.h"
#include "game/progress.h"
#include "gfx/skins.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "tests/test_util.h"

namespace
{

class Progress : public ProgramTest
{
  protected:
    int32_t cell(int r, int c) { return CurrentBoard()->cells[r * BoardCols + c]; }
    // The playing cells hold the 200 colours of pattern.
    bool BoardIs(const uint8_t *pattern)
    {
        for (int i = 0; i < 200; i++)
            if (cell(i / 10, i % 10 + 1) != pattern[i]) return false;
        return true;
    }
    bool SavedIsBoard()
    {
        return !memcmp(Settings.SavedCells, CurrentBoard()->cells, sizeof(Settings.SavedCells));
    }
};

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
        EXPECT_EQ((std::vector<int32_t>{Game.GameType, Game.GamePhase, Game.PhaseAfterLight,
                                        Game.PhaseTicks, Game.Score, Game.Level, Game.Lines,
                                        Game.FallDelay, Game.FallTime, Game.Chain,
                                        Game.LandingCount, Game.PieceX, Game.PieceY}),
                  (std::vector<int32_t>{type, PhaseNewGame, PhasePlaying, 0, 0, 1, e.lines, e.delay,
                                        0, 1, 0, 3, 0}))
            << e.type;
        EXPECT_TRUE(BoardIs(e.board)) << e.type;
        for (int i = 0; i < BoardCells; i++)
            ASSERT_TRUE(!(i % 12 == 0 || i % 12 == 11 || i / 12 == 20) ||
                        cell(i / 12, i % 12) == 1);
        EXPECT_EQ(
            (std::vector<int32_t>{Settings.SavedGameType, Settings.SavedScore, Settings.SavedLevel,
                                  Settings.SavedLines, Settings.SavedFallDelay}),
            (std::vector<int32_t>{type, 0, 1, e.lines, e.delay}));
        EXPECT_TRUE(SavedIsBoard());
    }

    // Level L plays pattern (L - 1) mod 15; from 16 on the delay is 100 and the quota 20.
    const int32_t levels[][4] = {
        {1, 0, 600, 10}, {5, 4, 500, 12}, {15, 14, 200, 20}, {16, 0, 100, 20}, {31, 0, 100, 20}};
    StartGame(GameTypeA);
    for (auto [level, pattern, delay, lines] : levels) {
        Game.Level = level;
        StartLevel();
        EXPECT_TRUE(BoardIs(LevelPatterns[pattern])) << level;
        EXPECT_TRUE(Game.FallDelay == delay && Game.Lines == lines && Settings.SavedLevel == level)
            << level;
    }
    auto Row = [](int p, int r) {
        std::string s;
        for (int c = 0; c < 10; c++) s += ".1234567"[LevelPatterns[p][r * 10 + c]];
        return s;
    };
    EXPECT_EQ(Row(0, 9) + Row(0, 10) + Row(8, 6) + Row(8, 16) + Row(12, 11) + Row(14, 19),
              std::string("..........") + "7........7" + "1..1..1..1" + "33......33" +
                  "....222222" + "6.5.4.4.5.");
    // No level starts with a full row.
    for (int p = 0; p < 15; p++)
        for (int r = 0; r < 20; r++)
            EXPECT_NE(Row(p, r).find('.'), std::string::npos) << p << "," << r;
}

TEST_F(Progress, ScoringAndLevels)
{
    // 1..4 rows in one chain score 5, 15, 30, 50; A counts down, the others up;
    // only C's rows never complete a level.
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
    EXPECT_TRUE(Game.Lines == -1 && Game.GamePhase == PhaseDestroying);
    Game.GamePhase = PhasePlaying;
    int sounds = Headless_SoundCount();
    CheckProgress();
    EXPECT_EQ(Game.Score, 15 + 50);
    EXPECT_TRUE(Game.GamePhase == PhaseLighting && Game.PhaseAfterLight == PhaseLevelCompleted);
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
        StartGame(type);
        Game.Lines = 100000;
        for (int i = 0; i < 100; i++) CheckProgress();
        EXPECT_TRUE(Game.FallDelay == last && Game.Level == 101) << type;
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
    Game.Score = 41, Game.Level = 3, Game.Lines = 25, Game.FallDelay = 567;
    CurrentBoard()->cells[19 * 12 + 4] = 6;
    Settings.SavedGameType = 0;
    Keys.KeySlot[KeyLeft] = 5;
    AfterLanding();
    EXPECT_EQ((std::vector<int32_t>{Settings.SavedScore, Settings.SavedLevel, Settings.SavedLines,
                                    Settings.SavedFallDelay, Settings.SavedGameType, Keys.KeyLock,
                                    Keys.KeySlot[KeyLeft]}),
              (std::vector<int32_t>{41, 3, 25, 567, GameTypeB, 1, 0}));
    EXPECT_TRUE(SavedIsBoard());

    // Type C: every tenth landing raises a row from around RisingRows[(level - 1) / 2].
    const int32_t bands[][3] = {{1, 0, 2}, {2, 0, 2}, {9, 2, 6}, {19, 7, 9}, {40, 9, 9}};
    for (auto [level, low, high] : bands) {
        StartGame(GameTypeC);
        Game.Level = level;
        std::map<int, int> seen;
        for (int n = 1; n <= 2000; n++) {
            Game.GamePhase = PhasePlaying;
            int sounds = Headless_SoundCount();
            AfterLanding();
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
        EXPECT_TRUE(level != 1 || seen[0] > 2 * seen[1]);
        EXPECT_TRUE(level != 19 || seen[9] > 2 * seen[8]);
    }
}

TEST_F(Progress, ContinueMakesOddSavedValuesPlayable)
{
    // The restoring itself is followed through the game screen's tests; here the
    // guards: a stored type outside 1..3 continues as A, and values no game
    // writes are made playable, the score kept.
    StartGame(GameTypeC);
    Game.Score = 123;
    TakeSnapshot();
    Settings.SavedGameType = 9;
    Settings.SavedCurrentType = 0;
    Settings.SavedNextType = 15;
    Settings.SavedLevel = -4;
    Settings.SavedFallDelay = -100;
    EXPECT_EQ(ScreenTransition(ScreenMenu, 1), ScreenGame);
    EXPECT_EQ(
        (std::vector<int32_t>{Game.GameType, Game.GamePhase, Game.Score, Game.CurrentType,
                              Game.NextType, Game.Level, Game.FallDelay, Game.ContinuePending}),
        (std::vector<int32_t>{GameTypeA, PhaseResume, 123, 1, 1, 1, 20, 0}));
    // Setting up the game for Continue leaves the saved game alone; a new game
    // from the menu starts a fresh one.
    EXPECT_EQ(Settings.SavedScore, 123);
    CurrentBoard()->cells[18 * 12 + 2] = 5;
    TakeSnapshot();
    EXPECT_EQ(ScreenTransition(ScreenMenu, 3), ScreenGame);
    EXPECT_EQ(Game.GameType, GameTypeB);
    EXPECT_EQ(Settings.SavedScore, 0);
    EXPECT_EQ(Settings.SavedCells[18 * 12 + 2], 0);
}
