// The game screen tick by tick, in-process over the headless platform: the
// phases, the falling piece's rules, the effects and the head-up display.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

void ClearScreen() { memset(BackBuffer, 0, 2 * ScreenWidth * ScreenHeight); }
std::vector<uint16_t> Screen() { return {BackBuffer, BackBuffer + ScreenWidth * ScreenHeight}; }

struct GameScreen : ProgramTest {
    // Keys pressed afresh one after the other, each held through one tick.
    void Press(std::initializer_list<int> vks)
    {
        for (int vk : vks) OnKeyUp(vk), OnKeyDown(vk), Tick(), OnKeyUp(vk);
    }
    void Press(int vk) { Press({vk}); }
    void Hold(int vk, int ticks) { OnKeyDown(vk), Tick(ticks), OnKeyUp(vk); }
    void Begin(int32_t type)
    {
        StartGame(type), Shell.ScreenState = ScreenGame;
        Tick(); // the new-game tick draws the first pieces
    }
    // A game of type in play with the given pieces, past get-ready.
    void BeginPlay(int32_t type, int32_t current, int32_t next)
    {
        Begin(type);
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

TEST_F(GameScreen, GetReadyTakesItsPiecesAndAKeyCutsItOnlyMidWave)
{
    SetThreshold(KeyDown, 10); // as the menu leaves it; the game repeats Down at once
    Begin(GameTypeB);
    Tick();
    EXPECT_EQ((Ints{Keys.thresholds[KeyDown], Settings.SavedCurrentType, Settings.SavedNextType,
                    Settings.SavedFallDelay}),
              (Ints{0, Game.CurrentType, Game.NextType, 700}));
    // A key from get-ready's 16th tick to its 115th cuts to the break-up, 5 ticks
    // from the end; one on the 15th does nothing.
    for (int at : {14, 15, 114}) {
        Begin(GameTypeA);
        Tick(at);
        Press(Vk1);
        EXPECT_EQ(Game.PhaseTicks, at == 14 ? 15 : 116) << at;
    }
    Ints phases;
    for (int i = 0; i < 2; i++) Tick(4 - 3 * i), phases.push_back(Game.GamePhase);
    EXPECT_EQ(phases, (Ints{PhaseGetReady, PhaseLighting}));
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
        for (; next <= last; next++) ClearScreen(), DrawGetReadyWave(next);
    };
    // Slice 0 first shows on step 2 and ends its swing on step 17; slice 31
    // shows from step 33 (-2: anywhere).
    const int tops[][3] = {{1, 0, -1},   {2, 0, 193},  {2, 1, -1},     {17, 0, 94},
                           {32, 31, -1}, {33, 31, -2}, {102, 30, 144}, {102, 31, 44}};
    for (auto [step, slice, top] : tops) {
        StepTo(step);
        EXPECT_TRUE(top == -2 ? SliceTop(slice) >= 0 : SliceTop(slice) == top)
            << step << " " << slice;
    }
    ClearScreen(), DrawGetReadyWave(INT32_MAX);
    EXPECT_EQ(SliceTop(0), -1);
    GamePictures.getReady = kept;

    // Step 0 of the shatter cuts the frame into 22 x 22 shards and draws nothing.
    auto Original = [](int x, int y) { return (uint16_t)(y * 256 + x + 1); };
    for (uint32_t y = 0; y < ScreenHeight; y++)
        for (uint32_t x = 0; x < ScreenWidth; x++) Pixel(x, y) = Original(x, y);
    DrawGameOverShatter(0, 1, 2, 3);
    EXPECT_TRUE(Pixel(0, 0) == 1 && Shatter.spread >= 1.0f && Shatter.spread < 3.0f);
    EXPECT_EQ(GamePictures.shards[79].pixels[21 * 22 + 21], Original(175, 219));
    for (int n = 0; n < ShardCount; n++) {
        EXPECT_TRUE(Shatter.x[n] == 22.0f * (n % 8) && Shatter.y[n] == 22.0f * (n / 8)) << n;
        EXPECT_TRUE(Shatter.speed[n] >= -5.01f && Shatter.speed[n] <= -0.09f) << n;
        Shatter.delay[n] = 1000;
    }
    // A shard whose delay is 0 moves first on the second drawn step.
    Shatter.delay[9] = 0, Shatter.speed[9] = -2.0f;
    DrawGameOverShatter(1, 1, 2, 3);
    EXPECT_TRUE(Pixel(22, 22) == Original(22, 22) && Pixel(200, 300) == 0);
    float x = 22.0f + (1 - 3.5f) * Shatter.spread;
    DrawGameOverShatter(2, 1, 2, 3);
    EXPECT_TRUE(Shatter.x[9] == x && Shatter.y[9] == 20.0f);
    DrawGameOverShatter(3, 1, 2, 3);
    EXPECT_EQ(Pixel((int)x, 20), Original(22, 22));
    Shatter.y[9] = 1e30f, Shatter.x[9] = -1e30f; // far off screen stays harmless
    DrawGameOverShatter(4, 1, 2, 3);
}

TEST_F(GameScreen, MovesRotationsAndDrops)
{
    BeginPlay(GameTypeB, 1, 2);
    Piece *bar = FallingPiece();
    Press(Vk1);
    EXPECT_TRUE(bar->rotation == 2 && SoundsSince() == "srot.wav");
    // Left repeats from the 8th tick of holding: ticks 1, 8, 9, 10.
    OnKeyDown(VkLeft);
    Ints xs;
    for (int i = 0; i <= 10; i++) xs.push_back(Game.PieceX), Tick(i < 10);
    OnKeyUp(VkLeft);
    EXPECT_EQ(xs, (Ints{3, 2, 2, 2, 2, 2, 2, 2, 1, 0, -1}));
    // No wall kick: lying down would cross the wall, so the turn is undone silently.
    Press({Vk3, Vk4});
    EXPECT_TRUE(bar->rotation == 2 && SoundsSince().empty());
    for (int i = 0; i < 12; i++) Press(VkRight);
    int right = Game.PieceX;
    Press({VkLeft, VkLeft, Vk6});
    EXPECT_TRUE(right == 8 && bar->rotation == 1 && SoundsSince() == "srot.wav");

    // Gravity: 700 / 20, one row every 35 ticks; soft drop: a row on every tick
    // while held, the timer starting again.
    BeginPlay(GameTypeB, 2, 5);
    Ints ys;
    for (int t : {34, 1}) Tick(t), ys.push_back(Game.PieceY);
    Hold(VkDown, 6);
    Tick(20);
    ys.push_back(Game.PieceY);
    EXPECT_EQ(ys, (Ints{0, 1, 7}));
    // 7 drops and lands at once: a click, a point, the next piece at (3, 0);
    // the snapshot is taken before the landing's point.
    Press(Vk7);
    // The early step took the fall time below 0: the next piece waits longer.
    EXPECT_TRUE(SoundsSince() == "sclick.wav" && Game.NextPiece == CurrentPiece(Game.NextType));
    EXPECT_EQ((Ints{Game.Score, cell(18, 4), cell(19, 5), Game.CurrentType,
                    Settings.SavedCurrentType, Game.PieceX, Game.PieceY, Settings.SavedScore,
                    Settings.SavedCells[19 * 12 + 5], Game.FallTime}),
              (Ints{1, 2, 2, 5, 5, 3, 0, 0, 2, 420 - 700}));
    // Down drops at once only with the drop option on.
    ys.clear();
    for (int t : {48, 1}) Tick(t), ys.push_back(Game.PieceY);
    Press(VkDown);
    ys.push_back(Game.PieceY);
    Settings.DropOption = 1, Press(VkDown), Settings.DropOption = 0;
    EXPECT_TRUE(ys == (Ints{0, 1, 2}) && Game.Score == 2);

    // A key held through a landing does nothing to the next piece until a key is let go.
    OnKeyDown(VkLeft), Tick();
    xs = {Game.PieceX};
    OnKeyDown(0x39), Tick(); // lands; both keys stay down
    xs.push_back(Keys.KeyLock);
    OnKeyDown(VkLeft), Tick(12); // the platform's auto-repeat
    xs.push_back(Game.PieceX);
    OnKeyUp(0x39), Press(VkLeft);
    xs.push_back(Game.PieceX);
    EXPECT_EQ(xs, (Ints{2, 1, 3, 2}));
}

TEST_F(GameScreen, ChainsAndGameOver)
{
    // Three full rows but for column 0, and one item above them.
    BeginPlay(GameTypeB, 1, 3);
    for (int r = 17; r < 20; r++) FillRow(r, 0);
    RotateForward(FallingPiece());
    cell(16, 9) = 6, Game.PieceX = -1;
    Press(Vk7); // the landed bar goes back to rotation 1
    EXPECT_TRUE(SoundsSince() == "sclick.wav,sdest.wav" && CurrentPiece(1)->rotation == 1);
    // "sdest.wav" again 5 and 10 ticks later; the chain scores 5 + 10 + 15.
    std::string sounds;
    for (int tick = 1; tick <= 15; tick++) {
        EXPECT_EQ(Game.GamePhase, PhaseDestroying) << tick;
        Tick();
        if (!SoundsSince().empty()) sounds += std::to_string(tick) + ":" + SoundsSince() + " ";
    }
    EXPECT_EQ(sounds, "5:sdest.wav 10:sdest.wav ");
    // The top of the bar and the item came down; the chain's end is the landing.
    EXPECT_EQ((Ints{Game.GamePhase, Game.Score, Game.Lines, Game.Chain, cell(19, 0), cell(19, 9),
                    cell(18, 0), Keys.KeyLock}),
              (Ints{PhasePlaying, 1 + 30, 3, 1, 1, 6, 0, 1}));
    EXPECT_FALSE(memcmp(Settings.SavedCells, CurrentBoard()->cells, sizeof(Settings.SavedCells)));

    // The next square spawns over row 2, columns 4 and 5: a single item completes
    // row 2 there, and the game is over before the row goes.
    BeginPlay(GameTypeB, 14, 2);
    FillRow(2, 9);
    for (int r = 3; r < 20; r++) cell(r, 9) = 4;
    Game.PieceX = 8;
    Press(Vk7);
    EXPECT_EQ((Ints{Game.GamePhase, Game.Score, cell(2, 9)}), (Ints{PhaseGameOver, 1 + 5, 7}));
    EXPECT_EQ(SoundsSince(), "sclick.wav,sdest.wav");

    // The game-over screen at 40 ms, the shards cut from the last frame.
    uint16_t corner = Pixel(5, 21);
    SetTimerPeriod(ShortTimerPeriod), Tick();
    EXPECT_TRUE(Shell.TimerPeriod == 40 && GamePictures.shards[0].pixels[21 * 22 + 5] == corner);
    for (int vk : {(int)VkLeft, (int)VkF9}) Press(vk);
    EXPECT_TRUE(Game.GamePhase == PhaseGameOver && Shell.ScreenState == ScreenGame);
}

TEST_F(GameScreen, PauseLeaveAndContinue)
{
    TestImage paused(60, 20, [](int, int) { return (uint16_t)0x1234; });
    Image *kept = GamePictures.paused;
    GamePictures.paused = &paused.image;
    BeginPlay(GameTypeC, 2, 6);
    Tick();
    std::vector<uint16_t> before = Screen();
    Press(Vk2);
    EXPECT_TRUE(Game.GamePhase == PhasePaused && SoundsSince() == "sdest.wav" &&
                Screen() == before);
    // Paused: the board is hidden behind the background (black here) and the banner.
    Tick(40);
    EXPECT_EQ((Ints{Game.PieceY, Pixel(30, 104), Pixel(89, 123), Pixel(89, 124)}),
              (Ints{0, 0x1234, 0x1234, 0}));
    Press(Vk2);
    EXPECT_TRUE(Game.GamePhase == PhasePlaying && SoundsSince() == "srot.wav");
    uint16_t resuming = Pixel(30, 104); // the resuming tick only presents
    Tick();
    EXPECT_TRUE(resuming == 0x1234 && Pixel(30, 104) == 0);
    GamePictures.paused = kept;

    // F9 leaves without drawing; Continue resumes from the last landing, also
    // after the program was closed during the game.
    Game.Score = 40, Game.Lines = 12, Game.Level = 2, Game.FallDelay = 900;
    Press(Vk7);
    int32_t current = Game.CurrentType, next = Game.NextType;
    std::vector<int32_t> board(CurrentBoard()->cells, CurrentBoard()->cells + BoardCells);
    Press({VkLeft, Vk1});
    Settings.SavedGameValid = 1; // as the light sweep leaves it
    Press({Vk2, VkF9});
    EXPECT_EQ((Ints{Shell.ScreenState, Headless_PresentedThisTick(), Settings.SavedGameValid}),
              (Ints{ScreenMenu, 0, 1}));
    ShutDown(), Start();
    Game = GameState{}, Shell.ScreenState = ScreenTransition(ScreenMenu, 1);
    EXPECT_EQ((Ints{Game.GameType, Game.GamePhase, Game.Score, Game.Lines, Game.Level,
                    Game.FallDelay, Game.CurrentType, Game.NextType, Game.PieceX}),
              (Ints{GameTypeC, PhaseResume, 40, 12, 2, 900, current, next, 3}));
    EXPECT_EQ(memcmp(CurrentBoard()->cells, board.data(), board.size() * 4), 0);
    Tick();
    EXPECT_TRUE(Game.GamePhase == PhaseGetReady && Game.NextPiece == CurrentPiece(next));
}

TEST_F(GameScreen, RisingRowPushesIntoTheFallingPiece)
{
    BeginPlay(GameTypeC, 1, 1);
    for (int r = 2; r < 20; r++) cell(r, 3) = 6; // a tower under the spawn place
    RotateForward(FallingPiece());
    Game.LandingCount = 9, Game.PieceX = 8;
    // The tenth landing, beside the tower; the next bar is placed at (3, 0) before the rise.
    Press(Vk7);
    EXPECT_TRUE(SoundsSince() == "sclick.wav,sdest.wav" && Game.PieceX == 3);
    const uint8_t *rising = CurrentBoard()->risingRow;
    Tick(5);
    int32_t phase = Game.GamePhase;
    Tick(); // the tower now reaches into the bar
    EXPECT_EQ((Ints{phase, Game.GamePhase, cell(1, 3)}), (Ints{PhaseRisingRow, PhasePlaying, 6}));
    for (int c = 0; c < 10; c++) EXPECT_EQ(cell(19, c), rising[c]);
    // The bar cannot fall: it lands where it is and ORs into the tower.
    int32_t score = Game.Score;
    for (int i = 0; i < 120 && Game.Score == score; i++) Tick();
    EXPECT_TRUE(Game.Score != score && cell(1, 3) == (6 | 1) && cell(1, 4) == 1);
}

TEST_F(GameScreen, HudAndPlayfieldPlacement)
{
    // Skin 0's pieces rebuilt from a tile, so that their pictures show.
    TestImage tile(11, 11, [](int x, int y) { return (uint16_t)(0x8000 + y * 11 + x); });
    for (int t = 1; t <= 14; t++)
        ReleasePiece(&Skins[0].pieces[t]), MakePiece(&Skins[0].pieces[t], t, &tile.image);
    // Where the preview's first filled pixel lands; the preview ignores the rotation.
    const int32_t places[][3] = {
        {1, 149, 14}, {3, 138, 25}, {5, 144, 20}, {11, 138, 20}, {14, 149, 31}};
    for (auto [type, px, py] : places) {
        BeginPlay(GameTypeB, 2, type);
        RotateForward(CurrentPiece(type));
        ClearScreen(), DrawHud();
        int x = 1000, y = 1000;
        for (int yy = 0; yy < 80; yy++)
            for (int xx = 125; xx < 200; xx++)
                if (Pixel(xx, yy) >= 0x8000) x = std::min(x, xx), y = std::min(y, yy);
        EXPECT_TRUE(x == px && y == py) << type << ": " << x << "," << y;
    }
    // Level in 2 digits, lines in 4, score in 6.
    TestImage digits(70, 9, [](int x, int) { return (uint16_t)(x / 7 + 1); });
    Image *kept = GamePictures.digits;
    GamePictures.digits = &digits.image;
    Game.Level = 7, Game.Lines = 1234, Game.Score = 567890;
    ClearScreen(), DrawHud();
    GamePictures.digits = kept;
    std::string shown;
    for (auto [n, x, y] : {std::array{3, 160, 139}, {4, 146, 171}, {6, 132, 203}})
        for (int k = 0; k < n; k++) shown += (char)('0' + Pixel(x + 7 * k, y) - 1);
    EXPECT_EQ(shown, "07/1234567890"); // '/': nothing drawn after the level's two digits

    // The canvas at (11, 0), the falling piece at (11 + 11x, 11y).
    BeginPlay(GameTypeB, 14, 2);
    Game.PieceX = 5, Game.PieceY = 18;
    CurrentBoard()->canvas.pixels[0] = 0x0777;
    DrawScene();
    EXPECT_EQ((Ints{Pixel(11, 0), Pixel(10, 0), Pixel(77, 209), Pixel(76, 209)}),
              (Ints{0x0777, 0, 0x8000, 0}));
}
