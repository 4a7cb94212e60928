// The game screen tick by tick, in-process over the headless platform: the
// rare turns that the soak's bot seldom or never takes. Everything the bot
// sees (every phase, move, effect and the head-up display) its notes hold.
#include <gtest/gtest.h>

#include "app/shell.h"
#include "game/board.h"
#include "game/game_screen.h"
#include "game/pieces.h"
#include "game/progress.h"
#include "gfx/effects.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "tests/test_util.h"

namespace
{

enum { Vk1 = 0x31, Vk2, Vk7 = 0x37 };

struct GameScreen : ProgramTest {
    // Keys pressed afresh one after the other, each held through one tick.
    void Press(std::initializer_list<int> vks)
    {
        for (int vk : vks) OnKeyUp(vk), OnKeyDown(vk), Tick(), OnKeyUp(vk);
    }
    // A game of type in play with the given pieces, past get-ready.
    void BeginPlay(int32_t type, int32_t current, int32_t next)
    {
        StartGame(type), Shell.ScreenState = ScreenGame;
        Tick(); // the new-game tick draws the first pieces
        SetThreshold(KeyDown, 0);
        ClearBoard(CurrentBoard());
        Game.GamePhase = PhasePlaying, Game.CurrentType = current, Game.NextType = next;
        Game.NextPiece = CurrentPiece(next);
        ResetRotation(FallingPiece());
    }
    int32_t &cell(int r, int c) { return CurrentBoard()->cells[r * BoardCols + c + 1]; }
    void FillRow(int r, int except)
    {
        for (int c = 0; c < 10; c++) cell(r, c) = c == except ? cell(r, c) : 3;
    }
};

} // namespace

TEST_F(GameScreen, GameOverBeforeTheRowGoesAHeldDigitAndLeavingAPause)
{
    // The next square spawns over row 2, columns 4 and 5: a single item completes
    // row 2 there, and the game is over before the row goes.
    BeginPlay(GameTypeB, 14, 2);
    FillRow(2, 9);
    for (int r = 3; r < 20; r++) cell(r, 9) = 4;
    Game.PieceX = 8;
    Press({Vk7});
    EXPECT_EQ((Ints{Game.GamePhase, Game.Score, cell(2, 9)}), (Ints{PhaseGameOver, 1 + 5, 7}));
    EXPECT_EQ(SoundsSince(), "sclick.wav,sdest.wav");

    // The game-over screen at 40 ms, the shards cut from the last frame;
    // neither an arrow nor F9 leaves it.
    uint16_t corner = Pixel(5, 21);
    SetTimerPeriod(ShortTimerPeriod), Tick();
    EXPECT_TRUE(Shell.TimerPeriod == 40);
    EXPECT_TRUE(GamePictures.shards[0].pixels[21 * 22 + 5] == corner);
    for (int vk : {(int)VkLeft, (int)VkF9}) Press({vk});
    EXPECT_TRUE(Game.GamePhase == PhaseGameOver);
    EXPECT_TRUE(Shell.ScreenState == ScreenGame);
    // A shard flung far off screen stays harmless, and so does a wave long past its end.
    Shatter.y[9] = 1e30f, Shatter.x[9] = -1e30f, Shatter.delay[9] = -1;
    Tick(2), DrawGetReadyWave(INT32_MAX);

    // A digit held down fires once: one turn. F9 leaves a paused game at once,
    // without drawing.
    BeginPlay(GameTypeC, 3, 6);
    OnKeyDown(Vk1), Tick(40), OnKeyUp(Vk1);
    EXPECT_EQ(FallingPiece()->rotation, 2);
    Press({Vk2, VkF9});
    EXPECT_EQ((Ints{Shell.ScreenState, Headless_PresentedThisTick()}), (Ints{ScreenMenu, 0}));
}
