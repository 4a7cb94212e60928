// The intro's pictures: the two lines of lettering (top 9 rows), the glow and
// spark sprites (grey: the add-grey blitter reads their red channel), and the
// bump-mapped wall: a colour picture, its height map and the light source.
#include <cmath>

#include "tools/artgen/art.h"
#include "tools/artgen/font.h"
#include "tools/artgen/looks.h"

// A line of lettering 9 rows high, centred in the picture's width.
static Picture Lettering(int w, const char *text, int spacing, Colour top, Colour bottom)
{
    Picture p = NewPicture(w, 9);
    TextStyle s = LabelStyle(top, Rgb(4, 8, 40));
    s.bottom = bottom;
    s.bold = true;
    s.spacing = spacing;
    DrawText(p, (w - StyledWidth(text, s)) / 2, 0, text, s);
    return p;
}

Picture PaintAGameBy(int)
{
    return Lettering(173, "A GAME BY", 4, Rgb(220, 235, 255), Rgb(140, 170, 255));
}

Picture PaintStudioLine(int)
{
    return Lettering(174, "TARNVELDIX STUDIO", 3, Rgb(255, 248, 200), Rgb(255, 170, 40));
}

// A grey level 0..31 as a colour whose red channel reads back as that level.
static Colour GreyLevel(int level)
{
    int v = level << 3 | level >> 2;
    return Rgb(v, v, v);
}

Picture PaintGlow(int)
{
    Picture p = NewPicture(31, 31);
    for (int y = 0; y < 31; y++)
        for (int x = 0; x < 31; x++) {
            float r = std::hypot((float)x - 15.0f, (float)y - 15.0f) / 15.5f;
            if (r >= 1.0f) continue;
            int level = (int)(26.0f * (1.0f - r) * (1.0f - r) + 0.5f);
            if (level >= 1) Put(p, x, y, GreyLevel(level));
        }
    return p;
}

Picture PaintSparks(int)
{
    static const int levels[3][3] = {{3, 12, 3}, {12, 26, 12}, {3, 12, 3}};
    Picture p = NewPicture(3, 3);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 3; x++) Put(p, x, y, GreyLevel(levels[y][x]));
    return p;
}

// ---- The bump-mapped wall ---------------------------------------------------
// Brick courses with the game's name raised in blocks and a row of pieces set
// into the wall above it; the light circles the screen centre. The game takes
// its slopes over twelve pixels, so the relief is kept broad and smooth: sharp
// detail lives in the colour picture only.

enum { WallW = 240, WallH = 320 };

// Box blur of radius r over a WallW x WallH field, twice for a softer edge.
static void Soften(std::vector<float> &f, int r)
{
    std::vector<float> t(f.size());
    for (int pass = 0; pass < 2; pass++) {
        for (int y = 0; y < WallH; y++)
            for (int x = 0; x < WallW; x++) {
                float s = 0.0f;
                int n = 0;
                for (int k = -r; k <= r; k++) {
                    int xx = x + k;
                    if (xx < 0 || xx >= WallW) continue;
                    s += f[(size_t)y * WallW + xx];
                    n++;
                }
                t[(size_t)y * WallW + x] = s / (float)n;
            }
        for (int y = 0; y < WallH; y++)
            for (int x = 0; x < WallW; x++) {
                float s = 0.0f;
                int n = 0;
                for (int k = -r; k <= r; k++) {
                    int yy = y + k;
                    if (yy < 0 || yy >= WallH) continue;
                    s += t[(size_t)yy * WallW + x];
                    n++;
                }
                f[(size_t)y * WallW + x] = s / (float)n;
            }
    }
}

// A shape made of block x block cells from rows of '#' and '.'.
struct CellShape {
    Mask mask;
    int x, y, block;
};

static bool InShape(const CellShape &s, int x, int y, int *u, int *v, int *cell)
{
    int lx = x - s.x, ly = y - s.y;
    if (lx < 0 || ly < 0 || !MaskAt(s.mask, lx / s.block, ly / s.block)) return false;
    *u = lx % s.block;
    *v = ly % s.block;
    *cell = lx / s.block;
    return true;
}

// The colour of a bevelled block pixel at (u, v) of a block of size n.
static Colour BlockShade(Colour c, int u, int v, int n)
{
    if (u == 0 || v == 0) return Mix(c, Rgb(255, 255, 255), 0.45f);
    if (u == n - 1 || v == n - 1) return Scale(c, 0.55f);
    return Mix(Scale(c, 1.05f), Scale(c, 0.85f), (float)(u + v) / (float)(2 * n));
}

// The wall as heights (0..1) and colours.
static void BuildWall(std::vector<float> &height, std::vector<Colour> &colour)
{
    CellShape logo{TextMask("ZUX", 1), 0, 162, 8};
    logo.x = (WallW - logo.mask.w * 8) / 2;
    // Six pieces, five cells apart: T, L, S, O, I and Z.
    static const char *rows[2] = {".#...#.....##..##...####.##...",
                                  "###..###..##...##.........##.."};
    CellShape pieces{Mask(), 0, 104, 7};
    pieces.mask.w = 30;
    pieces.mask.h = 2;
    for (int r = 0; r < 2; r++)
        for (int c = 0; c < 30; c++) pieces.mask.bits.push_back(rows[r][c] == '#');
    pieces.x = (WallW - 30 * 7) / 2;
    static const Colour letters[3] = {Rgb(240, 60, 60), Rgb(255, 215, 40), Rgb(50, 200, 245)};
    static const Colour shapes[6] = {Rgb(180, 80, 235), Rgb(255, 150, 20), Rgb(70, 215, 75),
                                     Rgb(255, 220, 20), Rgb(20, 210, 245), Rgb(245, 55, 55)};

    std::vector<float> bricks((size_t)WallW * WallH), raised((size_t)WallW * WallH, 0.0f);
    colour.assign((size_t)WallW * WallH, 0);
    for (int y = 0; y < WallH; y++)
        for (int x = 0; x < WallW; x++) {
            size_t i = (size_t)y * WallW + x;
            int course = y / 16, v = y % 16;
            int u = (x + (course % 2) * 16) % 32;
            int brick = (x + (course % 2) * 16) / 32 + course * 17;
            float n = TiledFractal((float)x, (float)y, 16, 256, 3, 71u);
            bool mortar = u < 2 || v < 2;
            bricks[i] = mortar ? 0.0f : 0.30f + 0.12f * n;
            float tint = (float)((brick * 7919) % 13) / 12.0f;
            Colour base = Mix(Rgb(150, 96, 66), Rgb(184, 130, 92), tint);
            colour[i] =
                mortar ? Mix(Rgb(70, 60, 54), Rgb(96, 84, 74), n) : Scale(base, 0.78f + 0.36f * n);
            int bu, bv, cell;
            if (InShape(logo, x, y, &bu, &bv, &cell)) {
                raised[i] = 1.0f;
                colour[i] =
                    BlockShade(letters[cell < 6 ? 0 : (cell < 12 ? 1 : 2)], bu, bv, logo.block);
            }
            if (InShape(pieces, x, y, &bu, &bv, &cell)) {
                raised[i] = 0.6f;
                colour[i] = BlockShade(shapes[cell / 5 % 6], bu, bv, pieces.block);
            }
        }
    Soften(bricks, 1);
    Soften(raised, 3);
    height.resize(bricks.size());
    for (size_t i = 0; i < height.size(); i++)
        height[i] = 0.08f + 0.45f * bricks[i] + 0.5f * raised[i];
}

// 240 x 320 true colour.
Picture PaintBumpPicture(int)
{
    std::vector<float> height;
    std::vector<Colour> colour;
    BuildWall(height, colour);
    Picture p = NewPicture(WallW, WallH);
    p.px = colour;
    return p;
}

// 240 x 320 grey: the wall's height, 0..255.
Picture PaintBumpHeight(int)
{
    std::vector<float> height;
    std::vector<Colour> colour;
    BuildWall(height, colour);
    Picture p = NewPicture(WallW, WallH);
    for (size_t i = 0; i < height.size(); i++) {
        int v = (int)(height[i] * 255.0f + 0.5f);
        v = v < 0 ? 0 : (v > 255 ? 255 : v);
        p.px[i] = Rgb(v, v, v);
    }
    return p;
}

// 256 x 256 grey: the light, brightest at the centre and gone 72 pixels out.
Picture PaintBumpSource(int)
{
    Picture p = NewPicture(256, 256);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) {
            float r = std::hypot((float)x - 128.0f, (float)y - 128.0f) / 72.0f;
            float f = r < 1.0f ? std::cos(r * 1.5707963f) : 0.0f;
            int v = (int)(255.0f * f + 0.5f);
            p.px[(size_t)y * 256 + x] = Rgb(v, v, v);
        }
    return p;
}
