// The intro's effects: the spark fountain that rides on the glows, and the
// bump-mapped light over a relief picture. Each call draws one tick into the
// BackBuffer; the intro counts the ticks.
#pragma once

#include <cstdint>

#include "res/image.h"

struct TgaInfo;

enum {
    SparkCount = 650,
    SparksPerEmitter = 325, // sparks 0..324 follow emitter 1, the rest emitter 2
    SparkLife = 75,         // drawn ticks after a birth
    LightMapSide = 256,
    BumpAmbient = 52,   // K: the darkening with no light at all
    BumpRadius = 64,    // the spot's radius in pixels
    BumpBorder = 7,     // the frame's black border where no gradient exists
    BumpAngleStep = 20, // angle counter gained per frame
};

struct Spark {
    int32_t timer; // 0: born this tick; negative: alive; below -75: due again
    float x, y;
    float dx, dy;
    float gravity;
};

extern Spark Sparks[SparkCount];

// Sets every spark's timer to rand mod 75, so births spread over the first ticks.
void SeedSparks(void);

// Moves and draws every spark with picture spark: emitter 1 at (x1, y1),
// emitter 2 at (x2, y2). A missing picture draws nothing but the sparks still move.
void DrawSparkFountain(const Image *spark, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The bump maps, built once at the intro's loading and kept for the whole run.
// The last three recast the others for the frame loop and are filled together
// with the map they come from.
struct BumpMapSet {
    uint8_t *pictureMap; // width x height x 4: red 0..31, green 0..63, blue 0..31, 0
    uint8_t *heightMap;  // width x height: 0..31
    uint8_t *lightMap;   // 256 x 256 x 4: v >> 3, v >> 2, v >> 3, 0
    int32_t *gradX;      // width x height, -62..62
    int32_t *gradY;
    uint16_t *pictureColour; // width x height: the picture map as screen pixels
    int32_t *lightCell;      // width x height: 256 * gradY + gradX - x, the pixel's own
                             // part of its light-map cell; the light's position adds the rest
    uint8_t *lightLevel;     // 256 x 256: the light map's second bytes, 0..63
    int32_t width, height;   // the BackBuffer's size when allocated
    uint8_t filled;          // bit 0 picture, bit 1 height, bit 2 light, bit 3 gradients
    int32_t angle;           // A: the light's path angle counter
};

extern BumpMapSet BumpMaps;

// Allocates the maps for a width x height screen; false (nothing kept) when
// memory runs out.
bool AllocateBumpMaps(int32_t width, int32_t height);

// Frees the maps in the order gradient Y, gradient X, light, height, picture
// (the recast ones first).
void FreeBumpMaps(void);

// Fills the picture map from a decoded true-colour picture of the screen's size;
// false, leaving the map unfilled, for any other picture.
bool BuildBumpPicture(const TgaInfo *tga);

// Fills the height map from a decoded one-byte picture of the screen's size.
bool BuildBumpHeight(const TgaInfo *tga);

// Fills the light map from a decoded 256 x 256 one-byte picture.
bool BuildBumpLight(const TgaInfo *tga);

// Computes both gradient maps from the height map; false when it is unfilled.
bool BuildBumpGradients(void);

// True when all five maps are built and the light can be drawn.
bool BumpMapsReady(void);

// Where the light stands for angle counter a, around the screen centre.
void BumpLightPosition(int32_t a, int32_t *lx, int32_t *ly);

// One frame of the lit relief with the light at (lx, ly) and light level level.
void DrawBumpFrame(int32_t lx, int32_t ly, int32_t level);

// Advances the angle counter and draws one frame; nothing when the maps are not ready.
void DrawBumpLight(int32_t level);
