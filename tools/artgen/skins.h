// The six skins' themes: colours, the styles of their item tiles and frames,
// and the scenes painted behind the board.
#pragma once

#include "tools/artgen/paint.h"

enum ItemStyle { StyleBevel, StyleNeon, StyleWood, StyleGem, StyleRock, StyleLcd };
enum FrameStyle { FrameBevel, FrameNeon, FrameFlat };

struct SkinTheme {
    const char *name;
    int itemStyle;
    Colour items[7];
    int frameStyle;
    Colour frame;              // the board frame and the box frames
    Colour well, wellMark;     // the board's empty cells and their corner marks
    Colour boxFill, boxRim;    // the head-up display's boxes
    Colour nextFill;           // the next-piece box, where the items must stand out
    Colour label, labelEdge;   // the box labels
    Colour destCore, destEdge; // the destruction frames
    void (*backdrop)(Picture &p);
    void (*menuTile)(Picture &p);
};

extern const SkinTheme SkinThemes[6];

// The screen behind everything, one per skin (backdrops.cpp).
void NightBackdrop(Picture &p);
void NeonBackdrop(Picture &p);
void WoodBackdrop(Picture &p);
void IceBackdrop(Picture &p);
void LavaBackdrop(Picture &p);
void LcdBackdrop(Picture &p);

// The menu background tiles, 32 x 32 and seamless (backdrops.cpp).
void NightTile(Picture &p);
void NeonTile(Picture &p);
void WoodTile(Picture &p);
void IceTile(Picture &p);
void LavaTile(Picture &p);
void LcdTile(Picture &p);

// The handheld screen's four greens, darkest first.
extern const Colour LcdShades[4];
