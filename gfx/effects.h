// The game screen's animated effects: the get-ready wave and the game-over
// shatter. Each is called once per tick with a step number kept by the caller;
// neither keeps a timer of its own, and the caller presents the frame.
#pragma once

#include <cstdint>

#include "gfx/game_pictures.h"

enum {
    WaveSlices = 32,    // the banner is cut into 32 slices
    WaveSliceWidth = 4, // of 4 x 31 pixels
    WaveSliceHeight = 31,
    WaveLeft = 24, // screen x of slice 0
    WaveRestY = 94,
    WaveBreakStep = 100, // from this step on the banner splits apart
};

// The wave: per slice an amplitude and a counter (negative while it waits).
struct WaveState {
    float amplitude[WaveSlices];
    int32_t counter[WaveSlices];
};

// The shatter: per shard its place, vertical speed and the ticks it waits.
struct ShatterState {
    float x[ShardCount];
    float y[ShardCount];
    float speed[ShardCount];
    int32_t delay[ShardCount];
    float spread; // how fast the shards fly away from the middle column
};

extern WaveState Wave;
extern ShatterState Shatter;

// Step 0 resets the wave; steps 1..99 swing the slices of "GetReady.tga" in
// to rest at y = 94; steps from 100 on draw the banner splitting apart.
void DrawGetReadyWave(int32_t step);

// Step 0 cuts the BackBuffer's x 0..175, y 0..219 into the 80 shards and
// draws nothing; later steps draw the game-over banner with the final level,
// lines and score, and the shards flying apart over black.
void DrawGameOverShatter(int32_t step, int32_t level, int32_t lines, int32_t score);
