// The game screen tick by tick, in-process over the headless platform: the
// phases, the falling piece's rules, the effects and the head-up display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

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

enum { Vk1 = 0x31, Vk2 = 0x32, Vk3 = 0x33, Vk4 = 0x34, Vk5 = 0x35, Vk6 = 0x36, Vk7 = 0x37 };

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

class GameScreen : public ::testing::Test
{
  protected:
    std::string dir;
    void SetUp() override
    {
        dir = MakeTempDir();
        for (const char *name : {"sclick.wav", "srot.wav", "sdest.wav", "slevel.wav"})
            WriteText(dir + "/" + name, "RIFF");
        Start();
    }
    void Start()
    {
        Headless_Reset();
        Headless_SetFolder(dir.c_str());
        Headless_SetLastTick(100000000);
        ASSERT_TRUE(StartUp());
        SetTimerPeriod(LongTimerPeriod); // as the menu leaves it
    }
    void TearDown() override
    {
        ShutDown();
        RemoveTree(dir);
    }
    // One whole tick of the program: the timer message, then the step.
    void Tick(int n = 1)
    {
        PlatMessage msg;
        for (int i = 0; i < n; i++)
            while (Plat_GetMessage(&msg)) {
                FrameStep();
                WindowProcedure(&msg);
                if (msg.kind == MsgNull) break;
            }
    }
    // A key pressed afresh and held through one tick.
    void Press(int vk)
    {
        OnKeyUp(vk);
        OnKeyDown(vk);
        Tick();
        OnKeyUp(vk);
    }
    std::string Sounds()
    {
        std::string s;
        for (int i = 0; i < Headless_SoundCount(); i++)
            s += std::string(i ? "," : "") + Headless_SoundName(i);
        return s;
    }
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
    // The first tick picks the pieces and shows the previous frame.
    EXPECT_EQ(Game.GamePhase, PhaseGetReady);
    EXPECT_TRUE(Game.CurrentType >= 1 && Game.CurrentType <= 7);
    EXPECT_TRUE(Game.NextType >= 1 && Game.NextType <= 7);
    EXPECT_EQ(Settings.SavedCurrentType, Game.CurrentType);
    EXPECT_EQ(Settings.SavedNextType, Game.NextType);
    EXPECT_EQ(Settings.SavedFallDelay, 700);
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
    auto Step = [](int step) {
        ClearScreen();
        DrawGetReadyWave(step);
    };
    Step(0);
    Step(1);
    for (int i = 0; i < 32; i++) EXPECT_EQ(SliceTop(i), -1);
    Step(2);
    EXPECT_EQ(SliceTop(0), 193); // 94 + trunc(cos 32 degrees x 117)
    EXPECT_EQ(SliceTop(1), -1);
    Step(3);
    EXPECT_EQ(Pixel(28, 25), 2); // slice 1 swings up to 94 - 99
    EXPECT_EQ(Pixel(28, 26), 0);
    for (int step = 4; step <= 16; step++) Step(step);
    EXPECT_EQ(SliceTop(0), 93);
    Step(17); // slice 0's 16th drawing: the swing is over
    EXPECT_EQ(SliceTop(0), 94);
    Step(18);
    EXPECT_EQ(SliceTop(0), 94);
    for (int step = 19; step <= 32; step++) Step(step);
    EXPECT_EQ(SliceTop(31), -1);
    Step(33);
    EXPECT_NE(SliceTop(31), -1);
    Step(102);
    for (int i = 0; i < 32; i++) EXPECT_EQ(SliceTop(i), i % 2 ? 44 : 144) << i;
    Step(INT32_MAX);
    EXPECT_EQ(SliceTop(0), -1);
    GamePictures.getReady = kept;

    // Step 0 of the shatter cuts the frame into shards and draws nothing.
    for (uint32_t y = 0; y < ScreenHeight; y++)
        for (uint32_t x = 0; x < ScreenWidth; x++) Pixel(x, y) = (uint16_t)(y * 256 + x + 1);
    DrawGameOverShatter(0, 1, 2, 3);
    EXPECT_EQ(Pixel(0, 0), 1);
    EXPECT_EQ(GamePictures.shards[9].pixels[0], 22 * 256 + 22 + 1);
    EXPECT_EQ(GamePictures.shards[79].pixels[21 * 22 + 21], 219 * 256 + 175 + 1);
    EXPECT_TRUE(Shatter.spread >= 1.0f && Shatter.spread < 3.0f);
    for (int n = 0; n < ShardCount; n++) {
        EXPECT_EQ(Shatter.x[n], 22.0f * (n % 8));
        EXPECT_EQ(Shatter.y[n], 22.0f * (n / 8));
        EXPECT_TRUE(Shatter.speed[n] >= -5.01f && Shatter.speed[n] <= -0.09f);
        Shatter.delay[n] = 1000;
    }
    // A shard whose delay is 0 moves first on the second drawn step.
    Shatter.delay[9] = 0;
    Shatter.speed[9] = -2.0f;
    DrawGameOverShatter(1, 1, 2, 3);
    EXPECT_EQ(Pixel(22, 22), 22 * 256 + 22 + 1);
    EXPECT_EQ(Pixel(200, 300), 0);
    DrawGameOverShatter(2, 1, 2, 3);
    EXPECT_EQ(Pixel(22, 22), 22 * 256 + 22 + 1);
    float x = 22.0f + (1 - 3.5f) * Shatter.spread;
    EXPECT_EQ(Shatter.x[9], x);
    EXPECT_EQ(Shatter.y[9], 20.0f);
    DrawGameOverShatter(3, 1, 2, 3);
    EXPECT_EQ(Pixel((int)x, 20), 22 * 256 + 22 + 1);
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
    EXPECT_EQ(Sounds(), "srot.wav");
    // Left repeats from the 8th tick of holding: ticks 1, 8, 9, 10.
    OnKeyDown(VkLeft);
    std::vector<int32_t> xs;
    for (int i = 0; i < 10; i++, Tick()) xs.push_back(Game.PieceX);
    xs.push_back(Game.PieceX);
    OnKeyUp(VkLeft);
    EXPECT_EQ(xs, (std::vector<int32_t>{3, 2, 2, 2, 2, 2, 2, 2, 1, 0, -1}));
    // No wall kick: lying down would cross the wall, so the turn is undone silently.
    Press(Vk3);
    Press(Vk4);
    EXPECT_EQ(bar->rotation, 2);
    EXPECT_EQ(Sounds(), "");
    for (int i = 0; i < 12; i++) Press(VkRight);
    EXPECT_EQ(Game.PieceX, 8);
    Press(VkLeft);
    Press(VkLeft);
    Press(Vk6);
    EXPECT_EQ(bar->rotation, 1);
    EXPECT_EQ(Sounds(), "srot.wav");

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
    // 7 drops and lands at once: a click, a point, the next piece at (3, 0).
    Press(Vk7);
    EXPECT_EQ(Sounds(), "sclick.wav");
    EXPECT_EQ(Game.Score, 1);
    EXPECT_EQ(cell(18, 4), 2);
    EXPECT_EQ(cell(19, 5), 2);
    EXPECT_EQ(Game.CurrentType, 5);
    EXPECT_EQ(Settings.SavedCurrentType, 5);
    EXPECT_EQ(Game.NextPiece, CurrentPiece(Game.NextType));
    EXPECT_EQ(Game.PieceX, 3);
    EXPECT_EQ(Game.PieceY, 0);
    EXPECT_EQ(Settings.SavedScore, 0); // the snapshot is taken before the landing's point
    EXPECT_EQ(Settings.SavedCells[19 * 12 + 5], 2);
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
    EXPECT_EQ(Sounds(), "sclick.wav,sdest.wav");
    EXPECT_EQ(Game.GamePhase, PhaseDestroying);
    EXPECT_EQ(CurrentPiece(1)->rotation, 1); // the landed bar is back at rotation 1
    // "sdest.wav" again 5 and 10 ticks later; the chain scores 5 + 10 + 15.
    std::string sounds;
    for (int tick = 1; tick <= 15; tick++) {
        Tick();
        if (!Sounds().empty()) sounds += std::to_string(tick) + ":" + Sounds() + " ";
        EXPECT_EQ(Game.GamePhase, tick < 15 ? PhaseDestroying : PhasePlaying) << tick;
    }
    EXPECT_EQ(sounds, "5:sdest.wav 10:sdest.wav ");
    EXPECT_EQ(Game.Score, 1 + 30);
    EXPECT_EQ(Game.Lines, 3);
    EXPECT_EQ(Game.Chain, 1);
    EXPECT_EQ(cell(19, 0), 1); // the top of the bar and the item came down
    EXPECT_EQ(cell(19, 9), 6);
    EXPECT_EQ(cell(18, 0), 0);
    EXPECT_EQ(Keys.KeyLock, 1); // the chain's end is the landing
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
    EXPECT_EQ(Sounds(), "sclick.wav,sdest.wav");
    EXPECT_EQ(cell(2, 9), 7);

    // The game-over screen at 40 ms, the shards cut from the last frame.
    uint16_t corner = Pixel(5, 21);
    SetTimerPeriod(ShortTimerPeriod);
    Tick();
    EXPECT_EQ(Shell.TimerPeriod, 40);
    EXPECT_EQ(GamePictures.shards[0].pixels[21 * 22 + 5], corner);
    for (int vk : {(int)VkLeft, (int)VkDown, (int)VkF9}) {
        Press(vk);
        EXPECT_EQ(Game.GamePhase, PhaseGameOver);
        EXPECT_EQ(Shell.ScreenState, ScreenGame);
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
    EXPECT_EQ(Sounds(), "sdest.wav");
    EXPECT_EQ(memcmp(before.data(), BackBuffer, before.size() * 2), 0);
    // Paused: the board is hidden behind the background (black here) and the banner.
    Tick(40);
    EXPECT_EQ(Game.PieceY, 0);
    EXPECT_EQ(Pixel(30, 104), 0x1234);
    EXPECT_EQ(Pixel(89, 123), 0x1234);
    EXPECT_EQ(Pixel(89, 124), 0);
    Press(Vk2);
    EXPECT_EQ(Game.GamePhase, PhasePlaying);
    EXPECT_EQ(Sounds(), "srot.wav");
    EXPECT_EQ(Pixel(30, 104), 0x1234); // the resuming tick only presents
    Tick();
    EXPECT_EQ(Pixel(30, 104), 0);
    GamePictures.paused = kept;

    // F9 leaves without drawing; Continue resumes from the last landing.
    Game.Score = 40;
    Game.Lines = 12;
    Game.Level = 2;
    Game.FallDelay = 900;
    Press(Vk7);
    int32_t current = Game.CurrentType, next = Game.NextType;
    std::vector<int32_t> board(CurrentBoard()->cells, CurrentBoard()->cells + BoardCells);
    Press(VkLeft);
    Press(Vk1);
    Settings.SavedGameValid = 1;
    Press(Vk2);
    Press(VkF9);
    EXPECT_EQ(Shell.ScreenState, ScreenMenu);
    EXPECT_FALSE(Headless_PresentedThisTick());
    EXPECT_EQ(Settings.SavedGameValid, 1);
    auto ExpectResumed = [&](const char *when) {
        Shell.ScreenState = ScreenTransition(ScreenMenu, 1);
        EXPECT_EQ(Game.GameType, GameTypeC) << when;
        EXPECT_EQ(Game.GamePhase, PhaseResume) << when;
        EXPECT_EQ(Game.Score, 40) << when;
        EXPECT_EQ(Game.Lines, 12) << when;
        EXPECT_EQ(Game.Level, 2) << when;
        EXPECT_EQ(Game.FallDelay, 900) << when;
        EXPECT_EQ(Game.CurrentType, current) << when;
        EXPECT_EQ(Game.NextType, next) << when;
        EXPECT_EQ(Game.PieceX, 3) << when;
        EXPECT_EQ(memcmp(CurrentBoard()->cells, board.data(), board.size() * 4), 0) << when;
        Tick();
        EXPECT_EQ(Game.GamePhase, PhaseGetReady) << when;
        EXPECT_EQ(Game.NextPiece, CurrentPiece(next)) << when;
    };
    ExpectResumed("continue");
    // Closed during the game, the program resumes it at the next start.
    ShutDown();
    Start();
    Game = GameState{};
    ExpectResumed("restart");
}

TEST_F(GameScreen, RisingRowPushesIntoTheFallingPiece)
{
    BeginPlay(GameTypeC, 1, 1);
    Game.LandingCount = 9;
    for (int r = 2; r < 20; r++) cell(r, 3) = 6; // a tower under the spawn place
    RotateForward(FallingPiece());
    Game.PieceX = 8;
    Press(Vk7); // the tenth landing, beside the tower
    EXPECT_EQ(Sounds(), "sclick.wav,sdest.wav");
    EXPECT_EQ(Game.GamePhase, PhaseRisingRow);
    // The next bar was placed at (3, 0) and tested before the rise.
    EXPECT_EQ(Game.PieceX, 3);
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
    struct {
        int32_t type, x, y; // where the preview's first filled pixel lands
    } places[] = {{1, 149, 14}, {2, 144, 25},  {3, 138, 25},  {5, 144, 20},
                  {9, 144, 25}, {10, 138, 25}, {11, 138, 20}, {14, 149, 31}};
    for (const auto &p : places) {
        BeginPlay(GameTypeB, 2, p.type);
        RotateForward(CurrentPiece(p.type)); // the preview ignores the rotation
        ClearScreen();
        DrawHud();
        int x = 1000, y = 1000;
        for (int py = 0; py < 80; py++)
            for (int px = 125; px < 200; px++)
                if (Pixel(px, py) >= 0x8000) x = std::min(x, px), y = std::min(y, py);
        EXPECT_EQ(x, p.x) << p.type;
        EXPECT_EQ(y, p.y) << p.type;
    }
    // Level in 2 digits, lines in 4 (0000 below zero), score in 6.
    auto DigitAt = [](int x, int y) { return (int)Pixel(x, y) - 1; };
    Game.Level = 107;
    Game.Lines = -3;
    Game.Score = 1234567;
    ClearScreen();
    DrawHud();
    EXPECT_EQ(DigitAt(160, 139), 0);
    EXPECT_EQ(DigitAt(173, 147), 7);
    EXPECT_EQ(DigitAt(174, 139), -1);
    for (int k = 0; k < 4; k++) EXPECT_EQ(DigitAt(146 + 7 * k, 171), 0);
    for (int k = 0; k < 6; k++) EXPECT_EQ(DigitAt(132 + 7 * k, 203), k + 2);
    GamePictures.digits = kept;

    // The canvas at (11, 0), the falling piece at (11 + 11x, 11y); landing
    // paints the piece into the canvas exactly where it was drawn.
    BeginPlay(GameTypeB, 14, 2);
    Game.PieceX = 5;
    Game.PieceY = 18;
    Board *board = CurrentBoard();
    board->canvas.pixels[0] = 0x0777;
    DrawScene();
    EXPECT_EQ(Pixel(11, 0), 0x0777);
    EXPECT_EQ(Pixel(10, 0), 0);
    EXPECT_EQ(Pixel(77, 209), 0x8000);
    EXPECT_EQ(Pixel(76, 209), 0);
    std::vector<uint16_t> drawn(BackBuffer, BackBuffer + ScreenWidth * ScreenHeight);
    LockPiece(board, FallingPiece(), Game.PieceX, Game.PieceY);
    ClearScreen();
    DrawPlayfield(board);
    for (int y = 0; y < 220; y++)
        for (int x = 11; x < 121; x++) ASSERT_EQ(Pixel(x, y), drawn[y * ScreenWidth + x]);
}

TEST_F(GameScreen, RandomKeysNeverLeaveTheBoard)
{
    static const int Choices[] = {VkLeft, VkRight, VkDown, VkUp, 0x30, Vk1,  Vk2,  Vk3,
                                  Vk4,    Vk5,     Vk6,    Vk7,  0x38, 0x39, VkF9, VkEnter};
    std::mt19937 random(5);
    for (int32_t type = 0; type < 4; type++) {
        Plat_Seed(100 + type);
        Settings.DropOption = type % 2;
        int games = 0;
        for (int tick = 0; tick < 6000; tick++) {
            if (tick == 0 || Shell.ScreenState != ScreenGame) {
                // Back in the menu or the high scores: a new game.
                games += tick > 0;
                for (int vk : Choices) OnKeyUp(vk);
                StartGame(type);
                Shell.ScreenState = ScreenGame;
            }
            int vk = Choices[random() % 16];
            OnKeyDown(vk);
            Tick();
            if (random() % 3) OnKeyUp(vk);
            const int32_t *cells = CurrentBoard()->cells;
            for (int r = 0; r < 21; r++)
                for (int c = 0; c < 12; c++) {
                    int32_t v = cells[r * 12 + c];
                    ASSERT_TRUE((c == 0 || c == 11 || r == 20) ? v == 1 : v >= 0 && v <= 7);
                }
            ASSERT_TRUE(Game.PieceX >= -1 && Game.PieceX <= 8);
            ASSERT_TRUE(Game.PieceY >= 0 && Game.PieceY <= 19);
            ASSERT_TRUE(Game.GamePhase >= PhaseNewGame && Game.GamePhase <= PhaseLighting);
            // Type D plays the odd pieces only.
            int low = type == GameTypeD ? 8 : 1;
            ASSERT_TRUE(Game.CurrentType >= low && Game.CurrentType <= low + 6) << Game.CurrentType;
        }
        EXPECT_GT(games, 0) << type;
    }
}
