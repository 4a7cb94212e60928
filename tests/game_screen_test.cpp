// The game screen tick by tick, in-process over the headless platform: the
// phases, the falling piece's rules, the effects and the head-up display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/shell.h"
#include "front/settings.h"
#include "game/board.h"
#include "game/game_screen.h"
#include "game/pieces.h"
#include "game/progress.h"
#include "gfx/effects.h"
#include "gfx/skins.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "tests/test_util.h"

namespace
{

enum { Vk1 = 0x31, Vk2, Vk3, Vk4, Vk5, Vk6, Vk7 };

// A picture owned by the test, each pixel a function of its place.
struct TestImage {
    std::vector<uint16_t> pixels;
    Image image;
    TestImage(int w, int h, uint16_t (*f)(int x, int y)) : pixels(w * h)
    {
        for (int i = 0; i < w * h; i++) pixels[i] = f(i % w, i / w);
        image = Image{pixels.data(), w, h};
    }
};

uint16_t &Pixel(int x, int y) { return BackBuffer[y * ScreenWidth + x]; }
void ClearScreen() { memset(BackBuffer, 0, 2 * ScreenWidth * ScreenHeight); }

class GameScreen : public ProgramTest
{
  protected:
    // Keys pressed afresh one after the other, each held through one tick.
    void Press(std::initializer_list<int> vks)
    {
        for (int vk : vks) {
            OnKeyUp(vk);
            OnKeyDown(vk);
            Tick();
            OnKeyUp(vk);
        }
    }
    void Press(int vk) { Press({vk}); }
    // A game of type in play with the given pieces, past get-ready.
    void BeginPlay(int32_t type, int32_t current, int32_t next)
    {
        StartGame(type);
        Shell.ScreenState = ScreenGame;
        Tick(); // the new-game tick draws the first pieces
        SetThreshold(KeyDown, 0);
        ClearBoard(CurrentBoard());
        Game.GamePhase = PhasePlaying;
        Game.CurrentType = current;
        Game.NextType = next;
        Game.NextPiece = CurrentPiece(next);
        ResetRotation(FallingPiece());
    }
    int32_t &cell(int r, int boardColumn)
    {
        return CurrentBoard()->cells[r * BoardCols + boardColumn + 1];
    }
    void FillRow(int r, int except)
    {
        for (int c = 0; c < 10; c++)
            if (c != except) cell(r, c) = 3;
    }
};

} // namespace

TEST_F(GameScreen, GetReadyAndLightSweep)
{
    StartGame(GameTypeB);
    Shell.ScreenState = ScreenGame;
    Settings.SavedGameValid = 0;
    memset(BackBuffer, 0x5A, 2 * ScreenWidth * ScreenHeight);
    Tick();
    // The first tick picks the pieces into the saved game and shows the previous frame.
    EXPECT_EQ(Game.GamePhase, PhaseGetReady);
    EXPECT_TRUE(Game.CurrentType >= 1 && Game.CurrentType <= 7 && Game.NextType >= 1 &&
                Game.NextType <= 7);
    EXPECT_EQ((std::vector<int32_t>{Settings.SavedCurrentType, Settings.SavedNextType,
                                    Settings.SavedFallDelay}),
              (std::vector<int32_t>{Game.CurrentType, Game.NextType, 700}));
    EXPECT_TRUE(Headless_PresentedThisTick());
    EXPECT_EQ(Pixel(100, 100), 0x5A5A);
    // A key in the first 15 ticks changes nothing: 121 ticks, then 8 of light.
    SetThreshold(KeyDown, 10);
    Press(Vk5);
    EXPECT_EQ(Keys.thresholds[KeyDown], 0);
    Tick(13);
    Press(Vk5);
    Tick(105);
    EXPECT_EQ(Game.GamePhase, PhaseGetReady);
    Tick();
    EXPECT_EQ(Game.GamePhase, PhaseLighting);
    Tick(7);
    EXPECT_EQ(Settings.SavedGameValid, 0);
    Tick();
    EXPECT_EQ(Game.GamePhase, PhasePlaying);
    EXPECT_EQ(Settings.SavedGameValid, 1);

    // From tick 16 to 115 a key cuts to the break-up, 5 ticks from the end.
    for (int at : {16, 115}) {
        StartGame(GameTypeA);
        Tick(at);
        Press(Vk1);
        EXPECT_EQ(Game.PhaseTicks, 116) << at;
        Tick(4);
        EXPECT_EQ(Game.GamePhase, PhaseGetReady) << at;
        Tick();
        EXPECT_EQ(Game.GamePhase, PhaseLighting) << at;
    }
}

TEST_F(GameScreen, WaveSlicesAndShards)
{
    // Slice i of the banner in colour i + 1; SliceTop finds its top row on screen.
    TestImage banner(128, 31, [](int x, int) { return (uint16_t)(x / 4 + 1); });
    Image *kept = GamePictures.getReady;
    GamePictures.getReady = &banner.image;
    auto SliceTop = [](int i) {
        for (uint32_t y = 0; y < ScreenHeight; y++)
            if (Pixel(24 + 4 * i, y) == i + 1) return (int)y;
        return -1;
    };
    int next = 0; // the wave's steps are drawn in order; the last one stays on screen
    auto StepTo = [&next](int last) {
        for (; next <= last; next++) {
            ClearScreen();
            DrawGetReadyWave(next);
        }
    };
    StepTo(1);
    for (int i = 0; i < 32; i++) EXPECT_EQ(SliceTop(i), -1);
    StepTo(2);
    EXPECT_EQ(SliceTop(0), 193); // 94 + trunc(cos 32 degrees x 117)
    EXPECT_EQ(SliceTop(1), -1);
    StepTo(3);
    EXPECT_EQ(Pixel(28, 25), 2); // slice 1 swings up to 94 - 99, clipped
    EXPECT_EQ(Pixel(28, 26), 0);
    // Slice 0's 16th drawing ends its swing; slice 31 first shows on step 33.
    const int tops[][2] = {{16, 93}, {17, 94}, {18, 94}};
    for (auto [step, top] : tops) {
        StepTo(step);
        EXPECT_EQ(SliceTop(0), top) << step;
    }
    StepTo(32);
    EXPECT_EQ(SliceTop(31), -1);
    StepTo(33);
    EXPECT_NE(SliceTop(31), -1);
    StepTo(102);
    for (int i = 0; i < 32; i++) EXPECT_EQ(SliceTop(i), i % 2 ? 44 : 144) << i;
    ClearScreen();
    DrawGetReadyWave(INT32_MAX);
    EXPECT_EQ(SliceTop(0), -1);
    GamePictures.getReady = kept;

    // Step 0 of the shatter cuts the frame into 22 x 22 shards and draws nothing.
    auto Original = [](int x, int y) { return (uint16_t)(y * 256 + x + 1); };
    for (uint32_t y = 0; y < ScreenHeight; y++)
        for (uint32_t x = 0; x < ScreenWidth; x++) Pixel(x, y) = Original(x, y);
    DrawGameOverShatter(0, 1, 2, 3);
    EXPECT_EQ(Pixel(0, 0), 1);
    EXPECT_EQ(GamePictures.shards[9].pixels[0], Original(22, 22));
    EXPECT_EQ(GamePictures.shards[79].pixels[21 * 22 + 21], Original(175, 219));
    EXPECT_TRUE(Shatter.spread >= 1.0f && Shatter.spread < 3.0f);
    for (int n = 0; n < ShardCount; n++) {
        EXPECT_TRUE(Shatter.x[n] == 22.0f * (n % 8) && Shatter.y[n] == 22.0f * (n / 8)) << n;
        EXPECT_TRUE(Shatter.speed[n] >= -5.01f && Shatter.speed[n] <= -0.09f) << n;
        Shatter.delay[n] = 1000;
    }
    // A shard whose delay is 0 moves first on the second drawn step.
    Shatter.delay[9] = 0;
    Shatter.speed[9] = -2.0f;
    DrawGameOverShatter(1, 1, 2, 3);
    EXPECT_EQ(Pixel(22, 22), Original(22, 22));
    EXPECT_EQ(Pixel(200, 300), 0);
    DrawGameOverShatter(2, 1, 2, 3);
    EXPECT_EQ(Pixel(22, 22), Original(22, 22));
    float x = 22.0f + (1 - 3.5f) * Shatter.spread;
    EXPECT_TRUE(Shatter.x[9] == x && Shatter.y[9] == 20.0f);
    DrawGameOverShatter(3, 1, 2, 3);
    EXPECT_EQ(Pixel((int)x, 20), Original(22, 22));
    // Shards far off screen stay harmless.
    Shatter.y[9] = 1e30f;
    Shatter.x[9] = -1e30f;
    DrawGameOverShatter(4, 1, 2, 3);
}

TEST_F(GameScreen, MovesRotationsAndDrops)
{
    BeginPlay(GameTypeB, 1, 2);
    Piece *bar = FallingPiece();
    Press(Vk1);
    EXPECT_EQ(bar->rotation, 2);
    EXPECT_EQ(SoundsSince(), "srot.wav");
    // Left repeats from the 8th tick of holding: ticks 1, 8, 9, 10.
    OnKeyDown(VkLeft);
    std::vector<int32_t> xs;
    for (int i = 0; i < 10; i++, Tick()) xs.push_back(Game.PieceX);
    xs.push_back(Game.PieceX);
    OnKeyUp(VkLeft);
    EXPECT_EQ(xs, (std::vector<int32_t>{3, 2, 2, 2, 2, 2, 2, 2, 1, 0, -1}));
    // No wall kick: lying down would cross the wall, so the turn is undone silently.
    Press({Vk3, Vk4});
    EXPECT_EQ(bar->rotation, 2);
    EXPECT_EQ(SoundsSince(), "");
    for (int i = 0; i < 12; i++) Press(VkRight);
    EXPECT_EQ(Game.PieceX, 8);
    Press({VkLeft, VkLeft, Vk6});
    EXPECT_EQ(bar->rotation, 1);
    EXPECT_EQ(SoundsSince(), "srot.wav");

    // Gravity: 700 / 20, one row every 35 ticks.
    BeginPlay(GameTypeB, 2, 5);
    Tick(34);
    EXPECT_EQ(Game.PieceY, 0);
    Tick();
    EXPECT_EQ(Game.PieceY, 1);
    // Soft drop: a row on every tick while held, the timer starting again.
    OnKeyDown(VkDown);
    Tick(6);
    OnKeyUp(VkDown);
    EXPECT_EQ(Game.PieceY, 7);
    Tick(20);
    EXPECT_EQ(Game.PieceY, 7);
    // 7 drops and lands at once: a click, a point, the next piece at (3, 0);
    // the snapshot is taken before the landing's point.
    Press(Vk7);
    EXPECT_EQ(SoundsSince(), "sclick.wav");
    EXPECT_EQ((std::vector<int32_t>{Game.Score, cell(18, 4), cell(19, 5), Game.CurrentType,
                                    Settings.SavedCurrentType, Game.PieceX, Game.PieceY,
                                    Settings.SavedScore, Settings.SavedCells[19 * 12 + 5]}),
              (std::vector<int32_t>{1, 2, 2, 5, 5, 3, 0, 0, 2}));
    EXPECT_EQ(Game.NextPiece, CurrentPiece(Game.NextType));
    // The early step took the fall time below 0: the next piece waits longer.
    EXPECT_EQ(Game.FallTime, 420 - 700);
    Tick(48);
    EXPECT_EQ(Game.PieceY, 0);
    Tick();
    EXPECT_EQ(Game.PieceY, 1);
    // Down drops at once only with the drop option on.
    Press(VkDown);
    EXPECT_EQ(Game.PieceY, 2);
    Settings.DropOption = 1;
    Press(VkDown);
    EXPECT_EQ(Game.Score, 2);
    Settings.DropOption = 0;

    // A key held through a landing does nothing to the next piece until a key is let go.
    OnKeyDown(VkLeft);
    Tick();
    EXPECT_EQ(Game.PieceX, 2);
    OnKeyDown(0x39);
    Tick(); // lands; both keys stay down
    EXPECT_EQ(Keys.KeyLock, 1);
    OnKeyDown(VkLeft); // the platform's auto-repeat
    Tick(12);
    EXPECT_EQ(Game.PieceX, 3);
    OnKeyUp(0x39);
    Press(VkLeft);
    EXPECT_EQ(Game.PieceX, 2);
}

TEST_F(GameScreen, ChainsAndGameOver)
{
    // Three full rows but for column 0, and one item above them.
    BeginPlay(GameTypeB, 1, 3);
    for (int r = 17; r < 20; r++) FillRow(r, 0);
    cell(16, 9) = 6;
    RotateForward(FallingPiece());
    Game.PieceX = -1;
    Press(Vk7);
    EXPECT_EQ(SoundsSince(), "sclick.wav,sdest.wav");
    EXPECT_EQ(Game.GamePhase, PhaseDestroying);
    EXPECT_EQ(CurrentPiece(1)->rotation, 1); // the landed bar is back at rotation 1
    // "sdest.wav" again 5 and 10 ticks later; the chain scores 5 + 10 + 15.
    std::string sounds;
    for (int tick = 1; tick <= 15; tick++) {
        Tick();
        if (!SoundsSince().empty()) sounds += std::to_string(tick) + ":" + SoundsSince() + " ";
        EXPECT_EQ(Game.GamePhase, tick < 15 ? PhaseDestroying : PhasePlaying) << tick;
    }
    EXPECT_EQ(sounds, "5:sdest.wav 10:sdest.wav ");
    // The top of the bar and the item came down; the chain's end is the landing.
    EXPECT_EQ((std::vector<int32_t>{Game.Score, Game.Lines, Game.Chain, cell(19, 0), cell(19, 9),
                                    cell(18, 0), Keys.KeyLock}),
              (std::vector<int32_t>{1 + 30, 3, 1, 1, 6, 0, 1}));
    EXPECT_EQ(memcmp(Settings.SavedCells, CurrentBoard()->cells, sizeof(Settings.SavedCells)), 0);

    // The next square spawns over row 2, columns 4 and 5: a single item completes
    // row 2 there, and the game is over before the row goes.
    BeginPlay(GameTypeB, 14, 2);
    FillRow(2, 9);
    for (int r = 3; r < 20; r++) cell(r, 9) = 4;
    Game.PieceX = 8;
    Press(Vk7);
    EXPECT_EQ(Game.GamePhase, PhaseGameOver);
    EXPECT_EQ(Game.Score, 1 + 5);
    EXPECT_EQ(SoundsSince(), "sclick.wav,sdest.wav");
    EXPECT_EQ(cell(2, 9), 7);

    // The game-over screen at 40 ms, the shards cut from the last frame.
    uint16_t corner = Pixel(5, 21);
    SetTimerPeriod(ShortTimerPeriod);
    Tick();
    EXPECT_EQ(Shell.TimerPeriod, 40);
    EXPECT_EQ(GamePictures.shards[0].pixels[21 * 22 + 5], corner);
    for (int vk : {(int)VkLeft, (int)VkDown, (int)VkF9}) {
        Press(vk);
        EXPECT_TRUE(Game.GamePhase == PhaseGameOver && Shell.ScreenState == ScreenGame) << vk;
    }
    // Only a digit leaves, without presenting, and the timer goes back to 20 ms.
    Press(Vk4);
    EXPECT_NE(Shell.ScreenState, ScreenGame);
    EXPECT_FALSE(Headless_PresentedThisTick());
    EXPECT_EQ(Headless_TimerPeriod(), 20);
}

TEST_F(GameScreen, PauseLeaveAndContinue)
{
    TestImage paused(60, 20, [](int, int) { return (uint16_t)0x1234; });
    Image *kept = GamePictures.paused;
    GamePictures.paused = &paused.image;
    BeginPlay(GameTypeC, 2, 6);
    Tick();
    std::vector<uint16_t> before(BackBuffer, BackBuffer + ScreenWidth * ScreenHeight);
    Press(Vk2);
    EXPECT_EQ(Game.GamePhase, PhasePaused);
    EXPECT_EQ(SoundsSince(), "sdest.wav");
    EXPECT_EQ(memcmp(before.data(), BackBuffer, before.size() * 2), 0);
    // Paused: the board is hidden behind the background (black here) and the banner.
    Tick(40);
    EXPECT_EQ(Game.PieceY, 0);
    EXPECT_EQ(Pixel(30, 104), 0x1234);
    EXPECT_EQ(Pixel(89, 123), 0x1234);
    EXPECT_EQ(Pixel(89, 124), 0);
    Press(Vk2);
    EXPECT_EQ(Game.GamePhase, PhasePlaying);
    EXPECT_EQ(SoundsSince(), "srot.wav");
    EXPECT_EQ(Pixel(30, 104), 0x1234); // the resuming tick only presents
    Tick();
    EXPECT_EQ(Pixel(30, 104), 0);
    GamePictures.paused = kept;

    // F9 leaves without drawing; Continue resumes from the last landing.
    Game.Score = 40, Game.Lines = 12, Game.Level = 2, Game.FallDelay = 900;
    Press(Vk7);
    int32_t current = Game.CurrentType, next = Game.NextType;
    std::vector<int32_t> board(CurrentBoard()->cells, CurrentBoard()->cells + BoardCells);
    Press({VkLeft, Vk1});
    Settings.SavedGameValid = 1;
    Press({Vk2, VkF9});
    EXPECT_EQ(Shell.ScreenState, ScreenMenu);
    EXPECT_FALSE(Headless_PresentedThisTick());
    EXPECT_EQ(Settings.SavedGameValid, 1);
    for (const char *when : {"continue", "restart"}) {
        if (when[0] == 'r') { // closed during the game, the program resumes it at the next start
            ShutDown();
            Start();
            Game = GameState{};
        }
        Shell.ScreenState = ScreenTransition(ScreenMenu, 1);
        EXPECT_EQ(
            (std::vector<int32_t>{Game.GameType, Game.GamePhase, Game.Score, Game.Lines, Game.Level,
                                  Game.FallDelay, Game.CurrentType, Game.NextType, Game.PieceX}),
            (std::vector<int32_t>{GameTypeC, PhaseResume, 40, 12, 2, 900, current, next, 3}))
            << when;
        EXPECT_EQ(memcmp(CurrentBoard()->cells, board.data(), board.size() * 4), 0) << when;
        Tick();
        EXPECT_EQ(Game.GamePhase, PhaseGetReady) << when;
        EXPECT_EQ(Game.NextPiece, CurrentPiece(next)) << when;
    }
}

TEST_F(GameScreen, RisingRowPushesIntoTheFallingPiece)
{
    BeginPlay(GameTypeC, 1, 1);
    Game.LandingCount = 9;
    for (int r = 2; r < 20; r++) cell(r, 3) = 6; // a tower under the spawn place
    RotateForward(FallingPiece());
    Game.PieceX = 8;
    Press(Vk7); // the tenth landing, beside the tower
    EXPECT_EQ(SoundsSince(), "sclick.wav,sdest.wav");
    EXPECT_EQ(Game.GamePhase, PhaseRisingRow);
    EXPECT_EQ(Game.PieceX, 3); // the next bar was placed at (3, 0) before the rise
    const uint8_t *rising = CurrentBoard()->risingRow;
    Tick(5);
    EXPECT_EQ(Game.GamePhase, PhaseRisingRow);
    Tick();
    EXPECT_EQ(Game.GamePhase, PhasePlaying);
    EXPECT_EQ(cell(1, 3), 6); // the tower now reaches into the bar
    for (int c = 0; c < 10; c++) EXPECT_EQ(cell(19, c), rising[c]);
    EXPECT_EQ(cell(15, 9), 1);
    // The bar cannot fall: it lands where it is and ORs into the tower.
    int32_t score = Game.Score;
    for (int i = 0; i < 120 && Game.Score == score; i++) Tick();
    EXPECT_NE(Game.Score, score);
    EXPECT_EQ(cell(1, 3), 6 | 1);
    EXPECT_EQ(cell(1, 4), 1);
}

TEST_F(GameScreen, HudAndPlayfieldPlacement)
{
    // Skin 0's pieces rebuilt from a tile, so that their pictures show.
    TestImage tile(11, 11, [](int x, int y) { return (uint16_t)(0x8000 + y * 11 + x); });
    for (int t = 1; t <= 14; t++) {
        ReleasePiece(&Skins[0].pieces[t]);
        MakePiece(&Skins[0].pieces[t], t, &tile.image);
    }
    TestImage digits(70, 9, [](int x, int) { return (uint16_t)(x / 7 + 1); });
    Image *kept = GamePictures.digits;
    GamePictures.digits = &digits.image;
    // Where the preview's first filled pixel lands; the preview ignores the rotation.
    const int32_t places[][3] = {{1, 149, 14}, {2, 144, 25},  {3, 138, 25},  {5, 144, 20},
                                 {9, 144, 25}, {10, 138, 25}, {11, 138, 20}, {14, 149, 31}};
    for (auto [type, px, py] : places) {
        BeginPlay(GameTypeB, 2, type);
        RotateForward(CurrentPiece(type));
        ClearScreen();
        DrawHud();
        int x = 1000, y = 1000;
        for (int yy = 0; yy < 80; yy++)
            for (int xx = 125; xx < 200; xx++)
                if (Pixel(xx, yy) >= 0x8000) x = std::min(x, xx), y = std::min(y, yy);
        EXPECT_TRUE(x == px && y == py) << type << ": " << x << "," << y;
    }
    // Level in 2 digits, lines in 4 (0000 below zero), score in 6.
    Game.Level = 107, Game.Lines = -3, Game.Score = 1234567;
    ClearScreen();
    DrawHud();
    std::string shown;
    for (auto [x, y] : {std::pair{160, 139}, {167, 139}, {174, 139}})
        shown += (char)('0' + Pixel(x, y) - 1);
    for (int k = 0; k < 4; k++) shown += (char)('0' + Pixel(146 + 7 * k, 171) - 1);
    for (int k = 0; k < 6; k++) shown += (char)('0' + Pixel(132 + 7 * k, 203) - 1);
    EXPECT_EQ(shown, "07/0000234567"); // '/': nothing drawn after the level's two digits
    GamePictures.digits = kept;

    // The canvas at (11, 0), the falling piece at (11 + 11x, 11y); landing
    // paints the piece into the canvas exactly where it was drawn.
    BeginPlay(GameTypeB, 14, 2);
    Game.PieceX = 5;
    Game.PieceY = 18;
    Board *board = CurrentBoard();
    board->canvas.pixels[0] = 0x0777;
    DrawScene();
    EXPECT_EQ((std::vector<uint16_t>{Pixel(11, 0), Pixel(10, 0), Pixel(77, 209), Pixel(76, 209)}),
              (std::vector<uint16_t>{0x0777, 0, 0x8000, 0}));
    std::vector<uint16_t> drawn(BackBuffer, BackBuffer + ScreenWidth * ScreenHeight);
    LockPiece(board, FallingPiece(), Game.PieceX, Game.PieceY);
    ClearScreen();
    DrawPlayfield(board);
    for (int y = 0; y < 220; y++)
        for (int x = 11; x < 121; x++) ASSERT_EQ(Pixel(x, y), drawn[y * ScreenWidth + x]);
}
