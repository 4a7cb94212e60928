// The score screens. The name entry scrolls the texture behind a grid of the
// font strip's 42 cells; the table display bends the same texture through four
// maps built once at start-up and paired two by two, so a frame costs two map
// reads and one texel per pixel, with the trigonometry done once per frame.
#include "front/score_screen.h"

#include <cstdlib>
#include <cstring>

#include "gfx/blit.h"
#include "gfx/trig.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "res/sound.h"
#include "res/tga.h"

ScoreScreenState ScoreScreen;
ScoreScreenData ScorePictures;

// Degrees to radians with the single-precision pi, as every angle of the game.
static const double DegreeFactor = 0.017453293005625408;

// The warp's offsets reach 176 columns past x, within each map's 2W columns.
static const int32_t WarpReach = 176;

static const char *const CaptionNames[ScoreTableCount] = {
    "MenuTypeA.tga",
    "MenuTypeB.tga",
    "MenuTypeC.tga",
    "MenuTypeD.tga",
};

void BuildCosTable(void)
{
    for (int i = 0; i < 360; i++)
        ScorePictures.CosTable[i] = (float)GameCos((double)i * DegreeFactor);
}

static int32_t Mod360(int32_t v)
{
    int32_t m = v % 360;
    return m < 0 ? m + 360 : m;
}

void BuildWarpMaps(int8_t *a, int8_t *b, int8_t *c, int8_t *d, int32_t width, int32_t height)
{
    const float *cosTable = ScorePictures.CosTable;
    int32_t columns = 2 * width;
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < columns; x++) {
            float fy = (float)y, fx = (float)x;
            size_t at = (size_t)y * columns + x;
            // Each map keeps the low byte of its value, read back signed.
            float va = cosTable[Mod360(x * y / 2 / 10 - y / 2 + x)] * fy * 0.1f + fx;
            a[at] = (int8_t)(int32_t)va;
            b[at] = (int8_t)((y / 4 + x / 2 + 10) / 2);
            float vc = (cosTable[Mod360(y / 4 + x / 2)] + 1.0f) * fx;
            c[at] = (int8_t)(int32_t)vc;
            float vd = cosTable[x % 360] / (float)(x + 1) * (float)(-(x / 4)) + fy;
            d[at] = (int8_t)(int32_t)vd;
        }
}

void PairWarpMaps(const int8_t *a, const int8_t *b, const int8_t *c, const int8_t *d, uint16_t *ab,
                  uint16_t *cd, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        ab[i] = (uint16_t)((b[i] * WarpTextureSide + a[i]) & 0x3FFF);
        cd[i] = (uint16_t)((d[i] * WarpTextureSide + c[i]) & 0x3FFF);
    }
}

void WarpOffsets(uint32_t animTicks, int32_t *p, int32_t *q)
{
    double theta = 2.0 * (double)animTicks;
    float s = (float)GameSin(theta * DegreeFactor);
    float c = (float)GameCos(theta * DegreeFactor);
    *p = (int32_t)((s * c + 1.0f) * 88.0f);
    *q = (int32_t)((s + 1.0f) * 88.0f);
}

static void FreeImage(Image **image)
{
    if (!*image) return;
    FreeImagePixels(*image);
    free(*image);
    *image = nullptr;
}

static void FreeWarpMaps(void)
{
    free(ScorePictures.WarpCD);
    free(ScorePictures.WarpAB);
    ScorePictures.WarpCD = nullptr;
    ScorePictures.WarpAB = nullptr;
    free(ScorePictures.WarpD);
    free(ScorePictures.WarpC);
    free(ScorePictures.WarpB);
    free(ScorePictures.WarpA);
    ScorePictures.WarpD = nullptr;
    ScorePictures.WarpC = nullptr;
    ScorePictures.WarpB = nullptr;
    ScorePictures.WarpA = nullptr;
}

void LoadScoreScreen(void)
{
    BuildCosTable();
    ScorePictures.background = LoadImage("HSBackground.tga");
    // The warp indexes a 128 x 128 texture; any other size is not drawn.
    Image *bg = ScorePictures.background;
    if (bg && (bg->width != WarpTextureSide || bg->height != WarpTextureSide))
        FreeImage(&ScorePictures.background);

    int32_t W = (int32_t)ScreenWidth, H = (int32_t)ScreenHeight;
    if (W >= WarpReach && H > 0) {
        size_t values = (size_t)2 * W * H;
        ScorePictures.WarpA = (int8_t *)malloc(values);
        ScorePictures.WarpB = (int8_t *)malloc(values);
        ScorePictures.WarpC = (int8_t *)malloc(values);
        ScorePictures.WarpD = (int8_t *)malloc(values);
        ScorePictures.WarpAB = (uint16_t *)malloc(values * sizeof(uint16_t));
        ScorePictures.WarpCD = (uint16_t *)malloc(values * sizeof(uint16_t));
        if (ScorePictures.WarpA && ScorePictures.WarpB && ScorePictures.WarpC &&
            ScorePictures.WarpD && ScorePictures.WarpAB && ScorePictures.WarpCD) {
            BuildWarpMaps(ScorePictures.WarpA, ScorePictures.WarpB, ScorePictures.WarpC,
                          ScorePictures.WarpD, W, H);
            PairWarpMaps(ScorePictures.WarpA, ScorePictures.WarpB, ScorePictures.WarpC,
                         ScorePictures.WarpD, ScorePictures.WarpAB, ScorePictures.WarpCD, values);
        } else {
            FreeWarpMaps(); // the table display then shows its lettering over black
        }
    }

    ScorePictures.title = LoadImage("HSTitle.tga");
    ScorePictures.font = LoadImage("HSPolice.tga");
    ScorePictures.cursor = LoadImage("HSCursor.tga");
    ScorePictures.enterTitle = LoadImage("HSEnter.tga");
    ScorePictures.nameField = LoadImage("HSName.tga");
    for (int t = 0; t < ScoreTableCount; t++)
        ScorePictures.captions[t] = LoadImage(CaptionNames[t]);
    ScorePictures.band = LoadImage("HSVorpel.tga");
    LoadHighScores();
}

void ResetScoreScreen(int32_t phase)
{
    ScoreScreen.phaseTicks = 0;
    ScoreScreen.animTicks = 0;
    ScoreScreen.cursorCol = 0;
    ScoreScreen.cursorRow = 0;
    ScoreScreen.letterCount = 0;
    for (int j = 0; j < NameLetters; j++) ScoreScreen.enteredName[j] = BlankLetter;
    ScoreScreen.scorePhase = phase;
}

// One 20 x 20 cell of the font strip; a cell the strip does not hold is not drawn.
static void DrawFontCell(int32_t cell, int32_t x, int32_t y)
{
    const Image *font = ScorePictures.font;
    if (!font || cell < 0 || (int64_t)cell * FontCell + FontCell > font->width) return;
    BlitTransparentRect(font, x, y, cell * FontCell, 0, cell * FontCell + FontCell, FontCell);
}

static void ClearFrame(void)
{
    if (BackBuffer) memset(BackBuffer, 0, (size_t)ScreenWidth * ScreenHeight * sizeof(uint16_t));
}

enum {
    WarpRun = 256, // texel numbers worked out ahead, a row or part of one at a time
    WarpGroup = 8, // texels fetched together and stored as one block
};

// The texel numbers of one run. A fixed array rather than a stack one: where
// the stack happened to land made the run's speed vary by a fifth.
alignas(64) static uint16_t WarpTexel[WarpRun];

// One run of count pixels: the texel numbers first, eight to a vector, then
// the texel reads one by one, as the baseline vector units cannot gather.
// Reading them in groups lets the compiler build each group in a register
// and store it whole.
static void WarpRunOfRow(uint16_t *out, const uint16_t *ab, const uint16_t *cd,
                         const uint16_t *texels, int32_t count)
{
    for (int32_t x = 0; x < count; x++) WarpTexel[x] = (uint16_t)((ab[x] + cd[x]) & 0x3FFF);
    int32_t x = 0;
    for (; x + WarpGroup <= count; x += WarpGroup) {
        uint16_t group[WarpGroup];
        for (int k = 0; k < WarpGroup; k++) group[k] = texels[WarpTexel[x + k]];
        memcpy(out + x, group, sizeof group);
    }
    for (; x < count; x++) out[x] = texels[WarpTexel[x]];
}

void DrawWarpedBackground(void)
{
    const Image *tex = ScorePictures.background;
    int32_t W = (int32_t)ScreenWidth, H = (int32_t)ScreenHeight;
    if (!BackBuffer || !tex || !ScorePictures.WarpAB) {
        ClearFrame();
        return;
    }
    int32_t p, q;
    WarpOffsets(ScoreScreen.animTicks, &p, &q);
    for (int32_t y = 0; y < H; y++) {
        size_t row = (size_t)y * 2 * W;
        const uint16_t *ab = ScorePictures.WarpAB + row + p;
        const uint16_t *cd = ScorePictures.WarpCD + row + q;
        uint16_t *out = BackBuffer + (size_t)y * W;
        for (int32_t x = 0; x < W; x += WarpRun) {
            int32_t count = W - x < WarpRun ? W - x : WarpRun;
            WarpRunOfRow(out + x, ab + x, cd + x, tex->pixels, count);
        }
    }
}

// Draws rows 0..count-1 of a table: name, six score digits, two level digits.
static void DrawTableRows(const HighScoreEntry *table, int32_t count)
{
    static const int32_t NameX[NameLetters] = {5, 19, 33};
    for (int32_t i = 0; i < count; i++) {
        const HighScoreEntry *e = &table[i];
        int32_t y = 90 + 20 * i;
        for (int j = 0; j < NameLetters; j++) DrawFontCell(e->name[j], NameX[j], y);
        // Only the low six digits show; the digits of a negative value count
        // down from cell 26 and stay inside the strip.
        int32_t divisor = 100000;
        for (int k = 0; k < 6; k++, divisor /= 10)
            DrawFontCell(26 + (e->score / divisor) % 10, 54 + 12 * k, y);
        DrawFontCell(26 + (e->level / 10) % 10, 135, y);
        DrawFontCell(26 + e->level % 10, 147, y);
    }
}

static int TableDisplayStep(void)
{
    DrawWarpedBackground();
    BlitTransparent(ScorePictures.title, 0, 0);
    BlitTransparent(ScorePictures.band, 0, 75);
    uint32_t ticks = ScoreScreen.phaseTicks;
    if (ticks >= TableDisplayTicks) return 1;
    int32_t table = (int32_t)(ticks / TablePageTicks);
    uint32_t shown = (ticks - (uint32_t)table * TablePageTicks) / 10;
    BlitTransparent(ScorePictures.captions[table], 16, 40);
    DrawTableRows(HighScoreTables[table], shown < ScoreTableRows ? (int32_t)shown : ScoreTableRows);
    if (KeyFires(KeyLeft) || KeyFires(KeyRight) || KeyFires(KeyUp) || KeyFires(KeyDown) ||
        AnyKeyFires())
        return 1;
    PresentFrame(BackBuffer);
    return 0;
}

static void StartCursorMove(int32_t phase)
{
    ScoreScreen.scorePhase = phase;
    ScoreScreen.phaseTicks = 0;
}

// Keys at rest: a move, then select on the cell under the cursor.
static void CursorAtRest(void)
{
    ScoreScreenState *s = &ScoreScreen;
    if (KeyFires(KeyLeft) && s->cursorCol > 0) StartCursorMove(ScoreCursorLeft);
    if (KeyFires(KeyRight) && s->cursorCol < GridColumns - 1) StartCursorMove(ScoreCursorRight);
    if (KeyFires(KeyUp) && s->cursorRow > 0) StartCursorMove(ScoreCursorUp);
    if (KeyFires(KeyDown) && s->cursorRow < GridRows - 1) StartCursorMove(ScoreCursorDown);
    if (AnyKeyFires()) {
        int32_t cell = s->cursorRow * GridColumns + s->cursorCol;
        if (cell == DeleteCell) {
            PlayEffect(SoundDestroy);
            if (s->letterCount > 0) {
                s->letterCount--;
                s->enteredName[s->letterCount] = BlankLetter;
            }
        } else if (cell == EndCell) {
            PlayEffect(SoundClick);
            s->scorePhase = ScoreNameDone;
            s->phaseTicks = 0;
        } else {
            PlayEffect(SoundClick);
            // A fourth letter replaces the third.
            if (s->letterCount < NameLetters) s->letterCount++;
            s->enteredName[s->letterCount - 1] = cell;
        }
    }
    BlitTransparent(ScorePictures.cursor, 28 * s->cursorCol + 6, 20 * s->cursorRow + 40);
}

// The cursor glides 4 pixels a tick: 7 ticks to the next column, 5 to the next row.
static void CursorMoving(void)
{
    ScoreScreenState *s = &ScoreScreen;
    int32_t n = (int32_t)s->phaseTicks;
    int32_t x = 28 * s->cursorCol + 6, y = 20 * s->cursorRow + 40;
    bool horizontal = s->scorePhase == ScoreCursorLeft || s->scorePhase == ScoreCursorRight;
    switch (s->scorePhase) {
    case ScoreCursorLeft: x -= 4 * n; break;
    case ScoreCursorRight: x += 4 * n; break;
    case ScoreCursorUp: y -= 4 * n; break;
    default: y += 4 * n; break;
    }
    BlitTransparent(ScorePictures.cursor, x, y);
    if (n < (horizontal ? 7 : 5)) return;
    switch (s->scorePhase) {
    case ScoreCursorLeft: s->cursorCol--; break;
    case ScoreCursorRight: s->cursorCol++; break;
    case ScoreCursorUp: s->cursorRow--; break;
    default: s->cursorRow++; break;
    }
    s->scorePhase = ScoreCursorRest;
    PlayEffect(SoundRotate);
}

static int NameEntryStep(void)
{
    ScoreScreenState *s = &ScoreScreen;
    const Image *bg = ScorePictures.background;
    if (!bg) ClearFrame();
    // A fourth row of tiles covers the bottom rows once o passes 64; before
    // that it lies below the screen and is clipped away.
    int32_t o = (int32_t)(s->animTicks & 127);
    for (int32_t y = 0; y <= 384; y += 128) {
        BlitOpaque(bg, 0, y - o);
        BlitOpaque(bg, 128, y - o);
    }
    BlitTransparent(ScorePictures.enterTitle, 0, 0);
    BlitTransparent(ScorePictures.nameField, 53, 185);
    for (int32_t r = 0; r < GridRows; r++)
        for (int32_t c = 0; c < GridColumns; c++)
            DrawFontCell(r * GridColumns + c, 28 * c + 6, 20 * r + 40);

    if (s->scorePhase == ScoreCursorRest) {
        CursorAtRest();
    } else if (s->scorePhase == ScoreNameDone) {
        if (s->phaseTicks >= NameDoneTicks) {
            InsertHighScore();
            return 1;
        }
    } else {
        CursorMoving();
    }
    for (int32_t j = 0; j < s->letterCount && j < NameLetters; j++)
        DrawFontCell(s->enteredName[j], 55 + 20 * j, 187);
    PresentFrame(BackBuffer);
    return 0;
}

int ScoreScreenStep(void)
{
    ScoreScreen.phaseTicks++;
    ScoreScreen.animTicks++;
    SetTimerPeriod(ShortTimerPeriod);
    if (ScoreScreen.scorePhase == ScoreTableDisplay) return TableDisplayStep();
    return NameEntryStep();
}

void ReleaseScoreScreen(void)
{
    FreeImage(&ScorePictures.band);
    for (int t = ScoreTableCount - 1; t >= 0; t--) FreeImage(&ScorePictures.captions[t]);
    FreeImage(&ScorePictures.nameField);
    FreeImage(&ScorePictures.enterTitle);
    FreeImage(&ScorePictures.cursor);
    FreeImage(&ScorePictures.font);
    FreeImage(&ScorePictures.title);
    FreeImage(&ScorePictures.background);
    FreeWarpMaps();
}
