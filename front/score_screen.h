// The score screens: the name entry on the letter grid and the display of the
// four tables over the warped background. One step serves both; its own phase
// says which one is drawn.
#pragma once

#include <cstddef>
#include <cstdint>

#include "front/score_tables.h"
#include "res/image.h"

enum ScorePhaseValue {
    ScoreCursorRest = 0,
    ScoreCursorLeft = 1,
    ScoreCursorRight = 2,
    ScoreCursorUp = 3,
    ScoreCursorDown = 4,
    ScoreNameDone = 5,
    ScoreTableDisplay = 6,
};

enum {
    GridColumns = 6,
    GridRows = 7,
    DeleteCell = 40,
    EndCell = 41,
    FontCell = 20,         // font strip cells are 20 x 20
    WarpTextureSide = 128, // "HSBackground.tga"
    TablePageTicks = 150,
    TableDisplayTicks = 600,
    NameDoneTicks = 50,
};

struct ScoreScreenState {
    int32_t scorePhase;  // ScorePhaseValue
    uint32_t phaseTicks; // ticks since the phase began
    uint32_t animTicks;  // ticks since the screen was entered
    int32_t cursorCol;   // 0..5
    int32_t cursorRow;   // 0..6
    int32_t letterCount; // 0..3
    int32_t enteredName[NameLetters];
};

extern ScoreScreenState ScoreScreen;

// The pictures and the warp data, loaded and built once at start-up.
struct ScoreScreenData {
    Image *background; // 128 x 128 texture; left out when of another size
    Image *title;
    Image *font;
    Image *cursor;
    Image *enterTitle;
    Image *nameField;
    Image *captions[ScoreTableCount]; // "MenuTypeA.tga" .. "MenuTypeD.tga"
    Image *band;
    float CosTable[360];
    int8_t *WarpA; // each ScreenHeight rows of 2 * ScreenWidth values
    int8_t *WarpB;
    int8_t *WarpC;
    int8_t *WarpD;
    // The maps paired as the frame reads them, laid out like them: B * 128 + A
    // and D * 128 + C, each AND 0x3FFF. A pixel's texel is the sum of one of
    // each, AND 0x3FFF again: the AND of a sum is the AND of the sum of ANDs.
    uint16_t *WarpAB;
    uint16_t *WarpCD;
};

extern ScoreScreenData ScorePictures;

// Builds the cosine table and the warp maps, loads the pictures and reads the
// tables. Anything that fails stays absent and is skipped where it would be drawn.
void LoadScoreScreen(void);

// The reset made on every entry: counters, cursor and name cleared, phase 0
// (name entry) or 6 (table display).
void ResetScoreScreen(int32_t phase);

// One tick of the name entry or the table display: 0 to stay, 1 when finished.
int ScoreScreenStep(void);

// Releases the pictures and frees the warp maps; a second call does nothing.
void ReleaseScoreScreen(void);

// Fills CosTable: entry i is the cosine of i degrees.
void BuildCosTable(void);

// Fills the four maps from CosTable, each 2 * width x height values.
void BuildWarpMaps(int8_t *a, int8_t *b, int8_t *c, int8_t *d, int32_t width, int32_t height);

// Pairs count values of the four maps into WarpAB and WarpCD form.
void PairWarpMaps(const int8_t *a, const int8_t *b, const int8_t *c, const int8_t *d, uint16_t *ab,
                  uint16_t *cd, size_t count);

// Draws the texture bent through the maps at the offsets of ScoreScreen.animTicks
// over the whole BackBuffer; black when the texture or the maps are missing.
void DrawWarpedBackground(void);

// The two warp offsets for tick count animTicks.
void WarpOffsets(uint32_t animTicks, int32_t *p, int32_t *q);
