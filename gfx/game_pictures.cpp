// The game screen's shared pictures, loaded and released in mirror order.
#include "gfx/game_pictures.h"

#include <cstdlib>

#include "res/tga.h"

GamePictureSet GamePictures;

static const char *const LightNames[LightTileCount] = {"Light1.tga", "Light2.tga", "Light3.tga",
                                                       "Light4.tga", "Light5.tga"};

// Frees a picture from LoadImage and empties its slot.
static void ReleaseImage(Image **slot)
{
    if (!*slot) return;
    FreeImagePixels(*slot);
    free(*slot);
    *slot = nullptr;
}

void LoadGamePictures(int32_t snapshotWidth, int32_t snapshotHeight)
{
    GamePictureSet *g = &GamePictures;
    g->digits = LoadImage("Numeric.tga");
    g->paused = LoadImage("Paused.tga");
    g->gameOver = LoadImage("GameOver.tga");
    g->getReady = LoadImage("GetReady.tga");
    g->levelCompleted = LoadImage("LevelCompleted.tga");
    for (int i = 0; i < LightTileCount; i++) g->lights[i] = LoadImage(LightNames[i]);
    (void)CreateImage(&g->boardSnapshot, snapshotWidth, snapshotHeight);
    for (int i = 0; i < ShardCount; i++) (void)CreateImage(&g->shards[i], ShardSize, ShardSize);
}

void ReleaseGamePictures(void)
{
    GamePictureSet *g = &GamePictures;
    for (int i = 0; i < ShardCount; i++) FreeImagePixels(&g->shards[i]);
    FreeImagePixels(&g->boardSnapshot);
    for (int i = LightTileCount - 1; i >= 0; i--) ReleaseImage(&g->lights[i]);
    ReleaseImage(&g->levelCompleted);
    ReleaseImage(&g->getReady);
    ReleaseImage(&g->gameOver);
    ReleaseImage(&g->paused);
    ReleaseImage(&g->digits);
}
