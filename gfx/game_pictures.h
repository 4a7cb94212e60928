// The game screen's pictures that every skin shares: the digits, the banners,
// the light tiles, and the blocks the light sweep and the game-over shatter
// draw into. Loaded with the skins, right after them (game/skins.h).
#pragma once

#include <cstdint>

#include "res/image.h"

enum {
    LightTileCount = 5,
    ShardRows = 10,
    ShardColumns = 8,
    ShardCount = ShardRows * ShardColumns, // 80
    ShardSize = 22,
};

struct GamePictureSet {
    Image *digits;                 // "Numeric.tga": digits 0..9 in 7 x 9 cells
    Image *paused;                 // "Paused.tga"
    Image *gameOver;               // "GameOver.tga"
    Image *getReady;               // "GetReady.tga"
    Image *levelCompleted;         // "LevelCompleted.tga"
    Image *lights[LightTileCount]; // "Light1.tga" .. "Light5.tga"
    Image boardSnapshot;           // the board's canvas, kept during the light sweep
    Image shards[ShardCount];      // 22 x 22 each: the pieces of the game-over screen
};

extern GamePictureSet GamePictures;

// Loads the pictures in order and makes the snapshot (the board canvas's
// size) and the shards. Anything that fails to load is left empty.
void LoadGamePictures(int32_t snapshotWidth, int32_t snapshotHeight);

// Releases them in the mirror order; a second call does nothing.
void ReleaseGamePictures(void);
