// The six skins: each a complete graphics set for the game screen with its own
// board, item tiles, fourteen ready-built pieces and destruction frames. All
// six are loaded at start-up; choosing a skin only switches which is current.
// The same loading step loads the game screen's shared pictures.
#pragma once

#include <cstdint>

#include "game/board.h"
#include "game/pieces.h"
#include "res/image.h"

enum { SkinCount = 6 };

// One graphics set. Slots that failed to load stay null and draw nothing.
struct Skin {
    Board board;                       // the playfield, with the skin's background
    Image *items[ItemColours + 1];     // item tiles by colour 1..7; slot 0 unused
    Piece pieces[PieceTypeCount + 1];  // pieces by type 1..14; slot 0 unused
    Image *destFrames[DestFrameCount]; // destruction frames 1..5
};

extern Skin Skins[SkinCount];

// The index (0..5) of the skin the game screen uses.
extern int32_t CurrentSkin;

// The current skin's destruction frames 1..5 in slots 0..4.
extern Image *CurrentDestFrames[DestFrameCount];

// The file names of the menu's background tiles, one per skin; the menu loads
// and owns those pictures itself.
extern const char *const SkinMenuBackgroundNames[SkinCount];

// Loads the six skins, then the shared pictures (gfx/game_pictures.h); sets Score 0, Level 1 and
// Lines 0. Anything that fails to load is left empty and loading goes on.
void LoadSkins(void);

// Makes skin index (0..5) current and copies its destruction frames into
// CurrentDestFrames; false, changing nothing, for an index outside 0..5.
bool SelectSkin(int32_t index);

// Releases everything LoadSkins made, in the mirror order; a second call does nothing.
void ReleaseSkins(void);

// The current skin's board, item tiles and piece of a type (null outside 1..14).
Board *CurrentBoard(void);
Image *const *CurrentItems(void);
Piece *CurrentPiece(int32_t type);
