// Pieces of style shared by several pictures: the game's block lettering, the
// classic item colours and the framed panels of the menus and banners.
#pragma once

#include "tools/artgen/font.h"
#include "tools/artgen/paint.h"

// The seven item colours of the classic set, colour 1 first.
extern const Colour ClassicColours[7];

// Width and height of BlockLetters text made of block x block cells.
int BlockLettersWidth(const char *text, int block);
int BlockLettersHeight(int block);
// Capitals built from small bevelled blocks, one colour per letter in turn,
// with a dark rim so they stand on any background.
void BlockLetters(Picture &p, int x, int y, const char *text, int block, const Colour *colours,
                  int colourCount);

// A bevelled block of the game's kind: lit top-left, shaded bottom-right.
void GameBlock(Picture &p, int x, int y, int size, Colour c);

// A banner plate: a rounded dark panel with a bright rim, for pictures drawn
// keyed over the game (the corners stay transparent).
void BannerPlate(Picture &p, int x, int y, int w, int h, Colour rim, Colour top, Colour bottom);

// A big title: scale-3 lettering with gradient, outline, shadow and shine.
TextStyle TitleStyle(Colour top, Colour bottom);
// A medium heading: scale-2 lettering with outline and shadow.
TextStyle HeadingStyle(Colour top, Colour bottom);
