// The game screen: the phase machine that GameTick runs once per timer tick,
// the falling piece's rules of one playing tick, and the head-up display.
#include "game/game_screen.h"

#include "game/board.h"
#include "game/pieces.h"
#include "game/progress.h"
#include "game/skins.h"
#include "gfx/blit.h"
#include "gfx/digits.h"
#include "gfx/effects.h"
#include "gfx/game_pictures.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "res/sound.h"

enum {
    GetReadyWaveStart = 16, // the wave starts on this get-ready tick
    GetReadySkipTo = 116,   // a key cuts the wave to its break-up
    GetReadyLastTick = 120,
    LightingTicks = 8,
    DestroyTicks = 5,
    RiseTicks = 6,
    LevelCompletedTicks = 50,
    GravityPerTick = 20,
};

static const int32_t Off = 0;
static const int32_t *DropSwitch = &Off;

void UseDropSwitch(const int32_t *dropOption) { DropSwitch = dropOption ? dropOption : &Off; }

// Where the preview of each next type goes, by type 1..14.
static const int16_t PreviewX[PieceTypeCount + 1] = {138, 138, 133, 138, 133, 144, 133, 133,
                                                     138, 133, 138, 138, 138, 138, 138};
static const int16_t PreviewY[PieceTypeCount + 1] = {20, 14, 14, 25, 20, 20, 20, 20,
                                                     20, 25, 25, 20, 20, 20, 20};

Piece *FallingPiece(void) { return CurrentPiece(Game.CurrentType); }

// A new piece type: 1..7, or 8..14 in type D.
static int32_t RandomPieceType(void)
{
    int32_t type = Plat_Rand() % 7 + 1;
    return Game.GameType == GameTypeD ? type + 7 : type;
}

void DrawHud(void)
{
    int32_t next = Game.NextType;
    Piece *piece = Game.NextPiece;
    if (piece) {
        // The bar is shown upright; every other piece in its spawn rotation.
        const Image *picture = &piece->images[next == 1 ? 1 : 0];
        int32_t slot = next >= 1 && next <= PieceTypeCount ? next : PieceTypeCount;
        BlitTransparent(picture, PreviewX[slot], PreviewY[slot]);
    }
    const Image *digits = GamePictures.digits;
    DrawDigits(digits, Game.Level, 2, 160, 139);
    DrawDigits(digits, Game.Lines < 0 ? 0 : Game.Lines, 4, 146, 171);
    DrawDigits(digits, Game.Score, 6, 132, 203);
}

void DrawScene(void)
{
    DrawPlayfield(CurrentBoard());
    DrawPiece(FallingPiece(), Game.PieceX, Game.PieceY);
    DrawHud();
}

void DrawPlayingFrame(void)
{
    CheckProgress();
    DrawScene();
    PresentFrame(BackBuffer);
}

// Turns the falling piece one way, undoing it when it no longer fits.
static void TryRotation(Piece *(*turn)(Piece *), Piece *(*undo)(Piece *))
{
    Piece *piece = FallingPiece();
    if (!piece) return;
    turn(piece);
    if (!Fits(CurrentBoard(), piece, Game.PieceX, Game.PieceY))
        undo(piece);
    else
        PlayEffect(SoundRotate);
}

// The piece has come to rest: merge it, start a row's destruction or finish
// the landing, then bring in the next piece and test it at the spawn place.
static void LandPiece(void)
{
    Board *board = CurrentBoard();
    Piece *piece = FallingPiece();
    PlayEffect(SoundClick);
    LockPiece(board, piece, Game.PieceX, Game.PieceY);
    if (piece) ResetRotation(piece);
    if (FindFullRow(board)) {
        ScoreRow();
        PlayEffect(SoundDestroy);
        Game.GamePhase = PhaseDestroying;
    } else {
        AfterLanding();
    }
    Game.CurrentType = Game.NextType;
    Game.NextType = RandomPieceType();
    SavedGame.SavedCurrentType = Game.CurrentType;
    SavedGame.SavedNextType = Game.NextType;
    Game.NextPiece = CurrentPiece(Game.NextType);
    AddScore(1);
    Game.PieceX = SpawnX;
    Game.PieceY = SpawnY;
    Game.PhaseTicks = 0;
    // Made at once, before any full row has been removed.
    if (!Fits(board, FallingPiece(), SpawnX, SpawnY)) Game.GamePhase = PhaseGameOver;
}

int PlayingTick(void)
{
    Board *board = CurrentBoard();
    Game.PhaseTicks += 1;
    if (KeyFires(KeyF9)) return GameAbandoned;
    if (KeyFires(Key2)) {
        PlayEffect(SoundDestroy);
        Game.GamePhase = PhasePaused;
        PresentFrame(BackBuffer);
        return GameStay;
    }
    Piece *piece = FallingPiece();
    if (KeyFires(KeyLeft) && Fits(board, piece, Game.PieceX - 1, Game.PieceY)) Game.PieceX -= 1;
    if (KeyFires(KeyRight) && Fits(board, piece, Game.PieceX + 1, Game.PieceY)) Game.PieceX += 1;
    if (KeyFires(Key1) || KeyFires(Key3)) TryRotation(RotateForward, RotateBack);
    if (KeyFires(Key4) || KeyFires(Key6)) TryRotation(RotateBack, RotateForward);

    // Gravity; the drop keys force the step early.
    bool down = KeyFires(KeyDown);
    bool dropKey = KeyFires(Key7) || KeyFires(Key9);
    Game.FallTime += GravityPerTick;
    if (Game.FallTime >= Game.FallDelay || down || dropKey) {
        Game.FallTime -= Game.FallDelay;
        if (down) Game.FallTime = 0;
        Game.PhaseTicks = 0;
        if ((*DropSwitch && down) || dropKey) {
            while (Fits(board, piece, Game.PieceX, Game.PieceY + 1)) Game.PieceY += 1;
            LandPiece();
        } else if (Fits(board, piece, Game.PieceX, Game.PieceY + 1)) {
            Game.PieceY += 1;
        } else {
            LandPiece();
        }
    }
    DrawPlayingFrame();
    return GameStay;
}

static int NewGameTick(bool resume)
{
    if (!resume) {
        Game.CurrentType = RandomPieceType();
        Game.NextType = RandomPieceType();
    }
    SavedGame.SavedCurrentType = Game.CurrentType;
    SavedGame.SavedNextType = Game.NextType;
    Game.NextPiece = CurrentPiece(Game.NextType);
    SavedGame.SavedFallDelay = Game.FallDelay;
    Game.GamePhase = PhaseGetReady;
    PresentFrame(BackBuffer);
    return GameStay;
}

static int GetReadyTick(void)
{
    // Down repeats on every tick for the rest of the game.
    SetThreshold(KeyDown, 0);
    Game.PhaseTicks += 1;
    DrawScene();
    if (Game.PhaseTicks >= GetReadyWaveStart) {
        DrawGetReadyWave(Game.PhaseTicks - GetReadyWaveStart);
        if (Game.PhaseTicks < GetReadySkipTo && AnyKeyFires()) Game.PhaseTicks = GetReadySkipTo;
    }
    if (Game.PhaseTicks > GetReadyLastTick) {
        Game.GamePhase = PhaseLighting;
        Game.PhaseAfterLight = PhasePlaying;
        Game.PhaseTicks = 0;
    }
    PresentFrame(BackBuffer);
    return GameStay;
}

static int LightingTick(void)
{
    Board *board = CurrentBoard();
    // The sweep changes the canvas after it has been drawn, for the next tick.
    DrawPlayfield(board);
    LightStep(board, Game.PhaseTicks);
    DrawPiece(FallingPiece(), Game.PieceX, Game.PieceY);
    DrawHud();
    Game.PhaseTicks += 1;
    if (Game.PhaseTicks >= LightingTicks) {
        Game.GamePhase = Game.PhaseAfterLight;
        SavedGame.SavedGameValid = 1;
        Game.PhaseTicks = 0;
    }
    PresentFrame(BackBuffer);
    return GameStay;
}

static int PausedTick(void)
{
    if (KeyFires(KeyF9)) return GameAbandoned;
    if (KeyFires(Key2)) {
        PlayEffect(SoundRotate);
        Game.GamePhase = PhasePlaying;
    } else {
        // The board and the pieces are hidden while paused.
        DrawBackground(CurrentBoard());
        BlitTransparent(GamePictures.paused, 30, 104);
    }
    PresentFrame(BackBuffer);
    return GameStay;
}

static int DestroyingTick(void)
{
    Board *board = CurrentBoard();
    Game.PhaseTicks += 1;
    DestroyStep(board, Game.PhaseTicks);
    if (Game.PhaseTicks >= DestroyTicks) {
        if (FindFullRow(board)) {
            // The chain goes on with the next row.
            ScoreRow();
            PlayEffect(SoundDestroy);
        } else {
            Game.GamePhase = PhasePlaying;
            AfterLanding();
            Game.Chain = 1;
        }
        Game.PhaseTicks = 0;
    }
    DrawPlayingFrame();
    return GameStay;
}

static int RisingRowTick(void)
{
    RiseStep(CurrentBoard(), Game.PhaseTicks, CurrentItems());
    Game.PhaseTicks += 1;
    if (Game.PhaseTicks >= RiseTicks) {
        Game.GamePhase = PhasePlaying;
        Game.PhaseAfterLight = PhasePlaying;
    }
    DrawPlayingFrame();
    return GameStay;
}

static int LevelCompletedTick(void)
{
    Game.PhaseTicks += 1;
    DrawScene();
    BlitTransparent(GamePictures.levelCompleted, 8, 94);
    if (Game.PhaseTicks > LevelCompletedTicks) {
        if (Game.Level < INT32_MAX) Game.Level += 1;
        StartLevel();
        Game.GamePhase = PhaseGetReady;
        Game.PhaseTicks = 0;
    }
    PresentFrame(BackBuffer);
    return GameStay;
}

static int GameOverTick(void)
{
    SetTimerPeriod(LongTimerPeriod);
    DrawGameOverShatter(Game.PhaseTicks, Game.Level, Game.Lines, Game.Score);
    if (Game.PhaseTicks < INT32_MAX) Game.PhaseTicks += 1;
    if (AnyKeyFires()) {
        SetTimerPeriod(ShortTimerPeriod);
        return GameOverAcknowledged;
    }
    PresentFrame(BackBuffer);
    return GameStay;
}

int GameTick(void)
{
    switch (Game.GamePhase) {
    case PhaseNewGame: return NewGameTick(false);
    case PhaseResume: return NewGameTick(true);
    case PhaseGetReady: return GetReadyTick();
    case PhaseLighting: return LightingTick();
    case PhasePaused: return PausedTick();
    case PhaseDestroying: return DestroyingTick();
    case PhaseRisingRow: return RisingRowTick();
    case PhaseLevelCompleted: return LevelCompletedTick();
    case PhaseGameOver: return GameOverTick();
    default: return PlayingTick();
    }
}
