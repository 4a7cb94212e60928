// The soak's bot on the game screen: a placement search over the board for
// the careful pieces, random keys for the careless ones, pauses, F9, and the
// keys that leave get ready, the pause and the game-over screen.
#include <cstdlib>
#include <cstring>

#include "game/board.h"
#include "game/game_screen.h"
#include "game/pieces.h"
#include "game/progress.h"
#include "game/skins.h"
#include "platform/platform.h"
#include "tests/soak/soak.h"

// The settled cells of the board with a piece grid dropped in at (x, y).
struct Field {
    int32_t cells[BoardCells];
};

static bool FieldFits(const Field *f, const uint8_t *grid, int32_t x, int32_t y)
{
    for (int i = 0; i < PieceGridSize; i++)
        for (int j = 0; j < PieceGridSize; j++) {
            if (!grid[i * PieceGridSize + j]) continue;
            int32_t r = y + i, c = x + j + 1;
            if (r < 0 || r >= BoardRows || c < 0 || c >= BoardCols) return false;
            if (f->cells[r * BoardCols + c]) return false;
        }
    return true;
}

// Drops the grid from (x, y), clears full rows and rates what is left: low,
// flat and without holes is good; cleared rows are better.
static double RatePlacement(const Field *start, const uint8_t *grid, int32_t x, int32_t y)
{
    Field f = *start;
    while (FieldFits(&f, grid, x, y + 1)) y++;
    for (int i = 0; i < PieceGridSize; i++)
        for (int j = 0; j < PieceGridSize; j++)
            if (grid[i * PieceGridSize + j]) f.cells[(y + i) * BoardCols + x + j + 1] = 1;
    // The rows that stay, bottom first.
    bool kept[PlayingRows][PlayingColumns];
    int keptRows = 0, cleared = 0;
    for (int r = PlayingRows - 1; r >= 0; r--) {
        bool full = true;
        for (int c = 0; c < PlayingColumns; c++) full = full && f.cells[r * BoardCols + c + 1];
        if (full) {
            cleared++;
            continue;
        }
        for (int c = 0; c < PlayingColumns; c++)
            kept[keptRows][c] = f.cells[r * BoardCols + c + 1] != 0;
        keptRows++;
    }
    int total = 0, bumps = 0, holes = 0, previous = 0;
    for (int c = 0; c < PlayingColumns; c++) {
        int h = 0;
        for (int r = 0; r < keptRows; r++)
            if (kept[r][c]) h = r + 1;
        for (int r = 0; r < h; r++) holes += !kept[r][c];
        total += h;
        if (c > 0) bumps += abs(h - previous);
        previous = h;
    }
    return -0.51 * total + 0.76 * cleared - 0.36 * holes - 0.18 * bumps;
}

// The best rotation (1..4) and column the falling piece can reach by turning
// where it is, then sliding sideways, then dropping.
static void ChooseTarget(void)
{
    Piece *piece = FallingPiece();
    B.targetRotation = 0;
    if (!piece || piece->rotation < 1 || piece->rotation > PieceRotations) return;
    Field f;
    memcpy(f.cells, CurrentBoard()->cells, sizeof(f.cells));
    const int32_t x0 = Game.PieceX, y0 = Game.PieceY;
    double best = -1e30;
    for (int turns = 0; turns < PieceRotations; turns++) {
        int rot = (piece->rotation - 1 + turns) % PieceRotations;
        bool reachable = true;
        for (int t = 1; t <= turns && reachable; t++)
            reachable =
                FieldFits(&f, piece->grids[(piece->rotation - 1 + t) % PieceRotations], x0, y0);
        if (!reachable) break;
        const uint8_t *grid = piece->grids[rot];
        for (int dir = -1; dir <= 1; dir += 2)
            for (int32_t x = x0; FieldFits(&f, grid, x, y0); x += dir) {
                double rating = RatePlacement(&f, grid, x, y0) + 0.001 * Below(10);
                if (rating > best) {
                    best = rating;
                    B.targetRotation = rot + 1;
                    B.targetX = x;
                }
            }
    }
}

static void DropPiece(int32_t now)
{
    int r = Below(10);
    if (r < 7)
        Press(now, Chance(0.5) ? Vk0 + 7 : Vk9, 1, 2);
    else
        Press(now, VkDown, PlayingRows + 1 - Game.PieceY, 2); // Down repeats in a game
}

static void CarelessKey(int32_t now)
{
    if (B.gameBudget == 0 && Chance(0.5)) return DropPiece(now); // time this game ended
    int r = Below(20);
    if (r < 6)
        B.quietUntil = now + 5 + Below(25);
    else if (r < 11)
        Press(now, Chance(0.5) ? VkLeft : VkRight, 1 + Below(20), 1 + Below(4));
    else if (r < 15)
        Press(now, Vk0 + (Chance(0.5) ? 1 : 3 + Below(4)), 1, 1 + Below(4));
    else if (r < 17)
        Press(now, VkDown, 1 + Below(15), 2);
    else if (r < 19)
        DropPiece(now);
    else
        Press(now, Vk0 + (Chance(0.5) ? 5 : 8), 1, 3); // keys the game does not use
}

static void PlayingBot(int32_t now)
{
    Piece *piece = FallingPiece();
    if (!piece) return;
    if (B.newPiece) {
        // A new piece: careful or careless for its whole fall.
        B.newPiece = false;
        B.careful = B.gameBudget > 0 && Chance(B.skill);
        B.failedMoves = 0;
        if (B.careful) ChooseTarget();
    }

    if (Chance(0.0006)) {
        Press(now, Vk0 + 2, 1, 3); // pause
        return;
    }
    // F9 leaves the careless games, likelier while nothing has been continued yet.
    if (B.skill < 1.0 && Chance(Count.continued == 0 ? 0.0008 : 0.0002)) {
        Press(now, VkF9, 1, 3); // back to the menu; Continue resumes
        return;
    }
    if (!B.careful || B.targetRotation == 0) {
        CarelessKey(now);
        return;
    }
    if (piece->rotation != B.targetRotation && B.failedMoves < 4) {
        int forward = (B.targetRotation - piece->rotation + PieceRotations) % PieceRotations;
        if (forward == 3)
            Press(now, Chance(0.5) ? Vk0 + 4 : Vk0 + 6, 1, 1);
        else
            Press(now, Chance(0.3) ? VkEnter : Vk0 + (Chance(0.5) ? 1 : 3), 1, 1);
        B.failedMoves++;
    } else if (Game.PieceX != B.targetX && B.failedMoves < 16) {
        Press(now, Game.PieceX < B.targetX ? VkRight : VkLeft, 1, 1);
        B.failedMoves++;
    } else {
        DropPiece(now);
    }
}

void GameBot(int32_t now)
{
    switch (Game.GamePhase) {
    case PhaseGetReady:
        if (B.waitTicks >= 0 && now - B.placeSince >= B.waitTicks) {
            Press(now, RandomDigit(), 1, 2); // cuts the wave short
            B.waitTicks = -1;
        }
        break;
    case PhasePlaying: PlayingBot(now); break;
    case PhasePaused:
        if (now - B.placeSince >= B.waitTicks)
            Press(now, B.skill < 1.0 && Chance(0.1) ? VkF9 : Vk0 + 2, 1, 3);
        else if (Chance(0.01))
            Press(now, RandomArrow(), 1, 3); // ignored while paused
        break;
    case PhaseGameOver:
        if (now - B.placeSince >= B.waitTicks)
            Press(now, RandomDigit(), 1, 3);
        else if (Chance(0.02))
            Press(now, RandomArrow(), 1, 3); // arrows do not leave it
        break;
    default: break; // the animations read no keys
    }
}

void StartGameBot(void)
{
    static const double skills[6] = {0.0, 0.7, 0.95, 0.99, 1.0, 1.0};
    B.skill = skills[Below(6)];
    B.gameBudget = Chance(0.3) ? 500 + Below(5000) : 3000 + Below(15000);
    if (Count.entries == 0 && Chance(0.7)) {
        B.skill = 1.0; // a game good enough for the tables
        B.gameBudget = 8000 + Below(8000);
    }
    B.newPiece = true;
    Count.games++;
    if (Game.GamePhase == PhaseResume) Count.continued++;
    if (Game.GameType >= 0 && Game.GameType < 4) Count.gamesOfType[Game.GameType]++;
}

// Notes a landed piece or a changed board, whether or not the bot is busy.
void WatchPiece(void)
{
    if (Game.PieceY < B.lastPieceY || Game.CurrentType != B.lastPieceType ||
        Game.Score != B.lastScore)
        B.newPiece = true;
    B.lastPieceY = Game.PieceY;
    B.lastPieceType = Game.CurrentType;
    B.lastScore = Game.Score;
}
