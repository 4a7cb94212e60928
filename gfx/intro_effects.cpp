// The intro's effects. The sparks are a fixed pool of 650 particles, half per
// emitter, reborn at their emitter once their life is over. The bump light is
// all table work: the relief, the light spot and the gradients are computed
// once, so a frame costs one light-map read and three clamps per lit pixel.
// The spot's outline comes from a table of its half widths, the light-map
// reads are done a row at a time, and the colour work then runs over the row
// in 16-bit lanes, eight pixels to a vector.
#include "gfx/intro_effects.h"

#include <cstdlib>
#include <cstring>

#include "gfx/blit.h"
#include "gfx/trig.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "res/tga.h"

// Degrees to radians with the single-precision pi, as every angle of the game.
static const double DegreeFactor = 0.017453293005625408;

enum {
    FilledPicture = 1,
    FilledHeight = 2,
    FilledLight = 4,
    FilledGradients = 8,
    FilledAll = 15,
};

Spark Sparks[SparkCount];
BumpMapSet BumpMaps;

// Half the width of the spot's row |dy| away from the light: the largest h
// with h * h + dy * dy within the radius squared.
static int32_t SpotHalfWidth[BumpRadius + 1];

static void BuildSpotOutline(void)
{
    int32_t h = BumpRadius;
    for (int32_t dy = 0; dy <= BumpRadius; dy++) {
        while (h * h + dy * dy > BumpRadius * BumpRadius) h--;
        SpotHalfWidth[dy] = h;
    }
}

void SeedSparks(void)
{
    for (int i = 0; i < SparkCount; i++) Sparks[i].timer = Plat_Rand() % SparkLife;
}

void DrawSparkFountain(const Image *spark, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    for (int i = 0; i < SparkCount; i++) {
        Spark *s = &Sparks[i];
        if (s->timer < -SparkLife) s->timer = 0;
        if (s->timer == 0) {
            bool first = i < SparksPerEmitter;
            s->x = (float)(first ? x1 : x2);
            s->y = (float)(first ? y1 : y2);
            s->dx = (float)(Plat_Rand() % 15 - 7) * 0.1f;
            s->dy = -(float)(Plat_Rand() % 30) * 0.1f;
            s->gravity = (float)(Plat_Rand() % 10 + 5) * 0.02f;
        }
        if (s->timer < 0) {
            if (spark) BlitAddGrey(spark, (int32_t)s->x, (int32_t)s->y, 0);
            s->x += s->dx;
            s->y += s->dy;
            s->dy += s->gravity;
        }
        s->timer--;
    }
}

bool AllocateBumpMaps(int32_t width, int32_t height)
{
    FreeBumpMaps();
    if (width <= 0 || height <= 0) return false;
    size_t pixels = (size_t)width * (size_t)height;
    BumpMaps.pictureMap = (uint8_t *)malloc(pixels * 4);
    BumpMaps.heightMap = (uint8_t *)malloc(pixels);
    BumpMaps.lightMap = (uint8_t *)malloc((size_t)LightMapSide * LightMapSide * 4);
    BumpMaps.gradX = (int32_t *)malloc(pixels * sizeof(int32_t));
    BumpMaps.gradY = (int32_t *)malloc(pixels * sizeof(int32_t));
    BumpMaps.pictureColour = (uint16_t *)malloc(pixels * sizeof(uint16_t));
    BumpMaps.lightCell = (int32_t *)malloc(pixels * sizeof(int32_t));
    BumpMaps.lightLevel = (uint8_t *)malloc((size_t)LightMapSide * LightMapSide);
    if (!BumpMaps.pictureMap || !BumpMaps.heightMap || !BumpMaps.lightMap || !BumpMaps.gradX ||
        !BumpMaps.gradY || !BumpMaps.pictureColour || !BumpMaps.lightCell || !BumpMaps.lightLevel) {
        FreeBumpMaps();
        return false;
    }
    BumpMaps.width = width;
    BumpMaps.height = height;
    BuildSpotOutline();
    return true;
}

void FreeBumpMaps(void)
{
    free(BumpMaps.lightLevel);
    free(BumpMaps.lightCell);
    free(BumpMaps.pictureColour);
    BumpMaps.lightLevel = nullptr;
    BumpMaps.lightCell = nullptr;
    BumpMaps.pictureColour = nullptr;
    free(BumpMaps.gradY);
    free(BumpMaps.gradX);
    free(BumpMaps.lightMap);
    free(BumpMaps.heightMap);
    free(BumpMaps.pictureMap);
    BumpMaps.gradY = nullptr;
    BumpMaps.gradX = nullptr;
    BumpMaps.lightMap = nullptr;
    BumpMaps.heightMap = nullptr;
    BumpMaps.pictureMap = nullptr;
    BumpMaps.width = 0;
    BumpMaps.height = 0;
    BumpMaps.filled = 0;
}

// True when tga is a decoded picture of the given size and depth.
static bool PictureFits(const TgaInfo *tga, int32_t width, int32_t height, int bytesPerPixel)
{
    return tga && tga->data && tga->width == width && tga->height == height &&
           tga->bytesPerPixel == bytesPerPixel && tga->rowBytes == width * bytesPerPixel;
}

bool BuildBumpPicture(const TgaInfo *tga)
{
    if (!BumpMaps.pictureMap || !PictureFits(tga, BumpMaps.width, BumpMaps.height, 3)) return false;
    size_t count = (size_t)BumpMaps.width * BumpMaps.height;
    const uint8_t *in = tga->data; // blue, green, red
    uint8_t *out = BumpMaps.pictureMap;
    for (size_t i = 0; i < count; i++, in += 3, out += 4) {
        out[0] = in[2] >> 3;
        out[1] = in[1] >> 2;
        out[2] = in[0] >> 3;
        out[3] = 0;
        BumpMaps.pictureColour[i] = (uint16_t)(out[0] << 11 | out[1] << 5 | out[2]);
    }
    BumpMaps.filled |= FilledPicture;
    return true;
}

bool BuildBumpHeight(const TgaInfo *tga)
{
    if (!BumpMaps.heightMap || !PictureFits(tga, BumpMaps.width, BumpMaps.height, 1)) return false;
    size_t count = (size_t)BumpMaps.width * BumpMaps.height;
    for (size_t i = 0; i < count; i++) BumpMaps.heightMap[i] = tga->data[i] >> 3;
    BumpMaps.filled |= FilledHeight;
    return true;
}

bool BuildBumpLight(const TgaInfo *tga)
{
    if (!BumpMaps.lightMap || !PictureFits(tga, LightMapSide, LightMapSide, 1)) return false;
    for (int i = 0; i < LightMapSide * LightMapSide; i++) {
        uint8_t v = tga->data[i];
        uint8_t *cell = BumpMaps.lightMap + 4 * i;
        cell[0] = v >> 3;
        cell[1] = v >> 2;
        cell[2] = v >> 3;
        cell[3] = 0;
        BumpMaps.lightLevel[i] = cell[1];
    }
    BumpMaps.filled |= FilledLight;
    return true;
}

bool BuildBumpGradients(void)
{
    if (!(BumpMaps.filled & FilledHeight)) return false;
    int32_t W = BumpMaps.width, H = BumpMaps.height;
    const uint8_t *h = BumpMaps.heightMap;
    memset(BumpMaps.gradX, 0, (size_t)W * H * sizeof(int32_t));
    memset(BumpMaps.gradY, 0, (size_t)W * H * sizeof(int32_t));
    // The slope over twelve pixels, scaled by two: the sum of the single steps
    // from x - 7 to x + 5 collapses to its two ends.
    for (int32_t y = BumpBorder; y < H - (BumpBorder - 1); y++)
        for (int32_t x = BumpBorder; x < W - (BumpBorder - 1); x++) {
            size_t at = (size_t)y * W + x;
            BumpMaps.gradX[at] = 2 * ((int32_t)h[at + 5] - (int32_t)h[at - 7]);
            BumpMaps.gradY[at] =
                2 * ((int32_t)h[at + (size_t)5 * W] - (int32_t)h[at - (size_t)7 * W]);
        }
    for (int32_t y = 0; y < H; y++)
        for (int32_t x = 0; x < W; x++) {
            size_t at = (size_t)y * W + x;
            BumpMaps.lightCell[at] = BumpMaps.gradY[at] * LightMapSide + BumpMaps.gradX[at] - x;
        }
    BumpMaps.filled |= FilledGradients;
    return true;
}

bool BumpMapsReady(void)
{
    return BumpMaps.filled == FilledAll && BumpMaps.width == (int32_t)ScreenWidth &&
           BumpMaps.height == (int32_t)ScreenHeight;
}

void BumpLightPosition(int32_t a, int32_t *lx, int32_t *ly)
{
    // Whole degrees; the narrow products truncate toward zero and keep their sign.
    float cx = (float)GameCos((double)(a / 6) * DegreeFactor);
    float sy = (float)GameSin((double)(a / 5) * DegreeFactor);
    float ox = cx * -60.0f;
    float oy = sy * -20.0f;
    *lx = (int32_t)ScreenWidth / 2 - (int32_t)ox;
    *ly = (int32_t)ScreenHeight / 2 - (int32_t)oy;
}

enum {
    SpotWidth = 2 * BumpRadius + 1, // the widest lit run of a row
    // L + K past these blacks out or saturates every channel for any light
    // level 0..63 already, so holding it there changes no pixel and keeps the
    // colour work within 16 bits.
    DarkestShade = 2 * 63 + 1,
    BrightestShade = -64,
};

static inline int16_t Clamp16(int16_t v, int16_t high) { return v < 0 ? 0 : (v > high ? high : v); }

// One lit run of a row: each pixel's picture colour darkened by shade minus
// its light level. Plain 16-bit lanes with no branch, so it runs as vectors.
static void ShadeRun(uint16_t *out, const uint16_t *colour, const uint8_t *levels, int32_t count,
                     int16_t shade)
{
    for (int32_t i = 0; i < count; i++) {
        int16_t d = (int16_t)(shade - levels[i]);
        int16_t half = (int16_t)(d >> 1);
        uint16_t c = colour[i];
        int16_t red = Clamp16((int16_t)((c >> 11) - half), 31);
        int16_t green = Clamp16((int16_t)(((c >> 5) & 63) - d), 63);
        int16_t blue = Clamp16((int16_t)((c & 31) - half), 31);
        out[i] = (uint16_t)(red << 11 | green << 5 | blue);
    }
}

void DrawBumpFrame(int32_t lx, int32_t ly, int32_t level)
{
    if (!BackBuffer || !BumpMapsReady()) return;
    int32_t W = BumpMaps.width, H = BumpMaps.height;
    memset(BackBuffer, 0, (size_t)W * H * sizeof(uint16_t));
    // A spot wholly off the screen lights nothing; this also keeps the sums
    // below far from overflow.
    if (lx < -BumpRadius || lx > W + BumpRadius || ly < -BumpRadius || ly > H + BumpRadius) return;
    int32_t shade =
        level > (int32_t)DarkestShade - BumpAmbient ? (int32_t)DarkestShade : level + BumpAmbient;
    if (shade < BrightestShade) shade = BrightestShade;
    // Only the spot inside the border can be lit; the rest stays black.
    int32_t top = ly - BumpRadius > BumpBorder ? ly - BumpRadius : BumpBorder;
    int32_t bottom = ly + BumpRadius < H - BumpBorder ? ly + BumpRadius : H - BumpBorder;
    for (int32_t y = top; y <= bottom; y++) {
        int32_t dy = ly - y;
        int32_t half = SpotHalfWidth[dy < 0 ? -dy : dy];
        int32_t x0 = lx - half > BumpBorder ? lx - half : BumpBorder;
        int32_t x1 = lx + half < W - BumpBorder ? lx + half : W - BumpBorder;
        if (x0 > x1) continue;
        size_t at = (size_t)y * W + x0;
        // Pixel x reads light-map cell (128 + dy + gradY) * 256 + 128 + lx - x
        // + gradX: the light's part for the row, then the pixel's own part.
        // dx, dy within 64 and gradients within 62 keep it inside the map.
        int32_t rowCell = (LightMapSide / 2 + dy) * LightMapSide + LightMapSide / 2 + lx;
        const int32_t *cell = BumpMaps.lightCell + at;
        uint8_t levels[SpotWidth];
        int32_t count = x1 - x0 + 1;
        for (int32_t i = 0; i < count; i++) levels[i] = BumpMaps.lightLevel[rowCell + cell[i]];
        ShadeRun(BackBuffer + at, BumpMaps.pictureColour + at, levels, count, (int16_t)shade);
    }
}

void DrawBumpLight(int32_t level)
{
    if (!BumpMapsReady()) return;
    BumpMaps.angle += BumpAngleStep;
    int32_t lx, ly;
    BumpLightPosition(BumpMaps.angle, &lx, &ly);
    DrawBumpFrame(lx, ly, level);
}
