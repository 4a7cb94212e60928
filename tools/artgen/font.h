// The generator's pixel font: 5 x 7 capitals, digits, small letters with
// descenders and a few symbols, drawn in code. Text is built as a coverage mask,
// enlarged with edge smoothing, then painted with a fill, outline and shadow.
#pragma once

#include <string>
#include <vector>

#include "tools/artgen/paint.h"

// Symbols reachable from strings.
#define GLYPH_LEFT "\x01"
#define GLYPH_UP "\x02"
#define GLYPH_RIGHT "\x03"
#define GLYPH_DOWN "\x04"
#define GLYPH_HEART "\x05"
#define GLYPH_ENTER "\x06"
#define GLYPH_STAR "\x07"

// A 0/1 coverage mask.
struct Mask {
    int w = 0;
    int h = 0;
    std::vector<uint8_t> bits;
};

inline bool MaskAt(const Mask &m, int x, int y)
{
    return x >= 0 && y >= 0 && x < m.w && y < m.h && m.bits[(size_t)y * (size_t)m.w + (size_t)x];
}

// Rows of one glyph cell: 7 rows above the baseline and 2 below.
enum { FontRows = 9, FontCapRows = 7 };

// The text's mask at size 1: each glyph as wide as its used columns (digits all
// 5), spacing pixels between glyphs; bold thickens every stroke one pixel right.
Mask TextMask(const char *text, int spacing = 1, bool bold = false);
// Width of TextMask(text, spacing, bold).
int TextWidth(const char *text, int spacing = 1, bool bold = false);

// Enlargements: 2 and 3 smooth diagonals (scale2x, scale3x, adding pixels only,
// so square corners stay square), 4 is two scale2x steps; others repeat pixels.
Mask ScaleMask(const Mask &m, int factor);
// Repeats pixels sx times across and sy times down.
Mask StretchMask(const Mask &m, int sx, int sy);

struct TextStyle {
    int scale = 1;     // 1..4, see ScaleMask
    int spacing = 1;   // between glyphs, before scaling
    bool bold = false; // see TextMask
    Colour top = Rgb(255, 255, 255);
    Colour bottom = Rgb(255, 255, 255); // fill gradient over the capital height
    Colour outline = Clear;             // one-pixel ring around the strokes
    Colour shadow = Clear;              // the shape repeated below right
    int shadowDx = 1, shadowDy = 1;
    bool shine = false; // lighter top edge of every stroke
};

// Size of the painted text (outline and shadow included).
int StyledWidth(const char *text, const TextStyle &s);
int StyledHeight(const TextStyle &s);
// Paints text with its top-left corner (outline included) at (x, y).
void DrawText(Picture &p, int x, int y, const char *text, const TextStyle &s);
// Paints text centred on cx.
void DrawTextCentred(Picture &p, int cx, int y, const char *text, const TextStyle &s);
// Paints mask m at (x, y) in style s (used for shapes that are not text).
void DrawMask(Picture &p, int x, int y, const Mask &m, const TextStyle &s);

// The plain label style: white with a one-pixel dark outline.
TextStyle LabelStyle(Colour fill, Colour outline);
