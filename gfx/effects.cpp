// The get-ready wave and the game-over shatter. The caller counts the ticks
// and presents the frame; these only keep the animation's own state.
#include "gfx/effects.h"

#include <cstring>

#include "gfx/blit.h"
#include "gfx/digits.h"
#include "gfx/trig.h"
#include "platform/platform.h"
#include "platform/screen.h"

WaveState Wave;
ShatterState Shatter;

// Degrees to radians with the single-precision value of pi / 180.
static const double DegreesToRadians = 0.017453293005625408;

enum {
    WaveStartAmplitude = 125,
    WaveBreakSpeed = 25,                     // pixels per step the halves move apart
    ShatterWidth = ShardColumns * ShardSize, // 176
    ShatterHeight = ShardRows * ShardSize,   // 220
    PixelLimit = 1 << 20,                    // far beyond any screen
};

// A fractional position as a pixel: truncated toward zero, kept finite.
static int32_t ToPixel(float v)
{
    if (!(v > -(float)PixelLimit)) return -PixelLimit;
    if (v > (float)PixelLimit) return PixelLimit;
    return (int32_t)v;
}

static void ResetWave(void)
{
    for (int i = 0; i < WaveSlices; i++) {
        Wave.amplitude[i] = (float)WaveStartAmplitude;
        Wave.counter[i] = -i;
    }
}

void DrawGetReadyWave(int32_t step)
{
    if (step == 0) ResetWave();
    if (step <= 0) return;
    const Image *banner = GamePictures.getReady;
    for (int i = 0; i < WaveSlices; i++) {
        int32_t side = (i % 2 == 0) ? 1 : -1;
        int32_t y;
        if (step < WaveBreakStep) {
            // Each slice waits its turn, then swings about its rest row ever less.
            int32_t t = Wave.counter[i];
            if (t < INT32_MAX) Wave.counter[i] = t + 1;
            if (t <= 0) continue;
            Wave.amplitude[i] -= 8.0f;
            if (Wave.amplitude[i] < 0.0f) Wave.amplitude[i] = 0.0f;
            float c = (float)GameCos(16.0 * ((double)t + 1.0) * DegreesToRadians);
            y = WaveRestY + side * ToPixel(c * Wave.amplitude[i]);
        } else {
            int64_t apart = (int64_t)WaveBreakSpeed * ((int64_t)step - WaveBreakStep);
            if (apart > PixelLimit) apart = PixelLimit;
            y = WaveRestY + side * (int32_t)apart;
        }
        int32_t left = WaveSliceWidth * i;
        BlitTransparentRect(banner, WaveLeft + left, y, left, 0, left + WaveSliceWidth,
                            WaveSliceHeight);
    }
}

// Cuts the picture on screen into the shards and gives each its flight.
static void StartShatter(void)
{
    bool canCut = BackBuffer && ScreenWidth >= (uint32_t)ShatterWidth &&
                  ScreenHeight >= (uint32_t)ShatterHeight;
    for (int row = 0; row < ShardRows; row++)
        for (int col = 0; col < ShardColumns; col++) {
            Image *shard = &GamePictures.shards[row * ShardColumns + col];
            if (!canCut || !shard->pixels || shard->width != ShardSize ||
                shard->height != ShardSize)
                continue;
            for (int r = 0; r < ShardSize; r++)
                memcpy(shard->pixels + r * ShardSize,
                       BackBuffer + (size_t)(ShardSize * row + r) * ScreenWidth + ShardSize * col,
                       sizeof(uint16_t) * ShardSize);
        }

    int32_t pattern = Plat_Rand() % 5;
    int32_t shift = Plat_Rand() % 2;
    int32_t lead = Plat_Rand() % 20 + 20;
    for (int row = 0; row < ShardRows; row++)
        for (int col = 0; col < ShardColumns; col++) {
            int n = row * ShardColumns + col;
            Shatter.speed[n] = (float)((Plat_Rand() % 50 - 50) * 0.1);
            Shatter.x[n] = (float)(ShardSize * col);
            Shatter.y[n] = (float)(ShardSize * row);
            int32_t delay;
            switch (pattern) {
            case 1: delay = 50 - 5 * row + 5 * col; break;
            case 2: delay = 90 - 5 * row - 5 * col; break;
            case 3: delay = 5 * row + 5 * col; break;
            case 4: delay = 40 + 5 * row - 5 * col; break;
            default: delay = Plat_Rand() % 40; break;
            }
            if (shift == 0) delay -= lead;
            Shatter.delay[n] = delay;
        }
    Shatter.spread = (float)((Plat_Rand() % 20 + 10) * 0.1);
}

void DrawGameOverShatter(int32_t step, int32_t level, int32_t lines, int32_t score)
{
    if (step == 0) {
        StartShatter();
        return;
    }
    if (BackBuffer) memset(BackBuffer, 0, sizeof(uint16_t) * ScreenWidth * ScreenHeight);
    BlitOpaque(GamePictures.gameOver, 0, 95);
    DrawDigits(GamePictures.digits, level, 2, 85, 124);
    DrawDigits(GamePictures.digits, lines, 4, 85, 138);
    DrawDigits(GamePictures.digits, score, 6, 85, 153);
    // Later shards are drawn over earlier ones.
    for (int n = 0; n < ShardCount; n++) {
        BlitOpaque(&GamePictures.shards[n], ToPixel(Shatter.x[n]), ToPixel(Shatter.y[n]));
        if (Shatter.delay[n] < 0) {
            float column = (float)(n % ShardColumns);
            Shatter.x[n] += (column - 3.5f) * Shatter.spread;
            Shatter.y[n] += Shatter.speed[n];
            Shatter.speed[n] += 1.0f;
        }
        if (Shatter.delay[n] > INT32_MIN) Shatter.delay[n] -= 1;
    }
}
