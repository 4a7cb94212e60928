// Painting for the art generator: 32-bit ARGB pictures in memory, the shapes,
// gradients, bevels and noise every picture is built from.
#pragma once

#include <cstdint>
#include <vector>

// A colour 0xAARRGGBB; alpha 0 is a transparent pixel (index 0 in the file).
typedef uint32_t Colour;

struct Picture {
    int w = 0;
    int h = 0;
    std::vector<Colour> px; // w x h, rows top first
};

// Colours.
inline Colour Rgb(int r, int g, int b)
{
    return 0xFF000000u | (uint32_t)(r & 255) << 16 | (uint32_t)(g & 255) << 8 | (uint32_t)(b & 255);
}
inline int RedOf(Colour c) { return (int)(c >> 16 & 255); }
inline int GreenOf(Colour c) { return (int)(c >> 8 & 255); }
inline int BlueOf(Colour c) { return (int)(c & 255); }
inline int AlphaOf(Colour c) { return (int)(c >> 24); }
const Colour Clear = 0;

// t = 0 gives a, 1 gives b; alpha of a is kept.
Colour Mix(Colour a, Colour b, float t);
// Multiplies the brightness of c by f (above 1 brightens, saturating).
Colour Scale(Colour c, float f);
// Hue 0..360, saturation and value 0..1.
Colour Hsv(float h, float s, float v);
// Perceived brightness 0..255.
int Luma(Colour c);

// A new picture filled with fill.
Picture NewPicture(int w, int h, Colour fill = Clear);
// Pixel access; outside the picture Get returns Clear and Put does nothing.
Colour Get(const Picture &p, int x, int y);
void Put(Picture &p, int x, int y, Colour c);
// Lays c over the pixel with coverage a (0..1), keeping the pixel opaque if it was.
void Blend(Picture &p, int x, int y, Colour c, float a);

void FillRect(Picture &p, int x, int y, int w, int h, Colour c);
void FrameRect(Picture &p, int x, int y, int w, int h, Colour c);
void Line(Picture &p, int x0, int y0, int x1, int y1, Colour c);
// A disc with a soft one-pixel rim, blended over the picture.
void Disc(Picture &p, float cx, float cy, float r, Colour c);
// Top-to-bottom gradient over a rectangle.
void VGradient(Picture &p, int x, int y, int w, int h, Colour top, Colour bottom);

// Fills the whole picture with rows shading from centre in the middle to edge
// at the top and bottom: the look of a lit banner.
void CentreBand(Picture &p, Colour centre, Colour edge);
// A raised (depth > 0) or sunken (depth < 0) box: face, light and dark edges.
void BevelBox(Picture &p, int x, int y, int w, int h, Colour face, int depth);
// A rounded rectangle filled with c; radius in pixels.
void RoundRect(Picture &p, int x, int y, int w, int h, int radius, Colour c);
// Darkens the pixels around a rectangle to give it a soft drop shadow.
void DropShadow(Picture &p, int x, int y, int w, int h, int spread, float strength);

// Copies src over dst at (x, y); transparent source pixels are skipped.
void Paste(Picture &dst, const Picture &src, int x, int y);
// Every opaque pixel of p becomes the picture of f(x, y, colour).
void MapPixels(Picture &p, Colour (*f)(int x, int y, Colour c, const void *ctx), const void *ctx);

// The generator's own random numbers: a fixed-seed LCG, the same on every run.
struct Lcg {
    uint32_t state;
};
uint32_t NextRandom(Lcg *g);
// 0 <= result < 1.
float RandomUnit(Lcg *g);
// lo <= result <= hi.
int RandomRange(Lcg *g, int lo, int hi);

// Smooth value noise in 0..1 that repeats every period pixels in both directions
// (period a multiple of cell); seed picks the lattice.
float TiledNoise(float x, float y, int cell, int period, uint32_t seed);
// Several octaves of TiledNoise, each half the cell of the last.
float TiledFractal(float x, float y, int cell, int period, int octaves, uint32_t seed);
