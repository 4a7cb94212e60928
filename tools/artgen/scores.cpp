// The score screens' pictures: the texture behind both screens, the titles, the
// band over the table, the name field and cursor, and the 42-cell letter strip
// (A..Z, 0..9, four symbols, delete, end) in 20 x 20 cells.
#include <cmath>

#include "tools/artgen/art.h"
#include "tools/artgen/font.h"
#include "tools/artgen/looks.h"

static const float TwoPi = 6.28318531f;

// 128 x 128 and seamless: every wave has a whole number of periods across the
// tile. Contour lines give the warp something to bend.
Picture PaintHsBackground(int)
{
    Picture p = NewPicture(128, 128);
    static const Colour ramp[5] = {Rgb(10, 8, 40), Rgb(56, 18, 92), Rgb(20, 80, 118),
                                   Rgb(26, 34, 88), Rgb(10, 8, 40)};
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 128; x++) {
            float u = (float)x / 128.0f, v = (float)y / 128.0f;
            float s = std::sin(TwoPi * 2.0f * u) + std::sin(TwoPi * 3.0f * v) +
                      std::sin(TwoPi * (2.0f * u + v)) + std::sin(TwoPi * (u - 2.0f * v)) * 0.8f;
            float t = (s + 3.8f) / 7.6f; // 0..1
            float k = t * 4.0f;
            int i = (int)k;
            if (i > 3) i = 3;
            Colour c = Mix(ramp[i], ramp[i + 1], k - (float)i);
            float band = std::fmod(t * 9.0f, 1.0f);
            if (band < 0.09f) c = Mix(c, Rgb(150, 170, 255), 0.3f);
            Put(p, x, y, c);
        }
    return p;
}

Picture PaintHsTitle(int)
{
    Picture p = NewPicture(240, 38);
    DrawTextCentred(p, 120, 4, "HIGH SCORES", TitleStyle(Rgb(255, 250, 200), Rgb(255, 160, 30)));
    TextStyle star = LabelStyle(Rgb(255, 230, 90), Rgb(40, 20, 0));
    DrawText(p, 10, 12, GLYPH_STAR, star);
    DrawText(p, 223, 12, GLYPH_STAR, star);
    return p;
}

// Drawn at (0, 75) between the game type's caption and the rows at y 90; the
// headings stand over the name (x 5), score (x 54) and level (x 135) columns.
Picture PaintHsVorpel(int)
{
    Picture p = NewPicture(240, 14);
    CentreBand(p, Rgb(90, 60, 10), Rgb(30, 14, 0));
    for (int x = 0; x < 240; x++) {
        Put(p, x, 0, Rgb(255, 220, 110));
        Put(p, x, 13, Rgb(160, 110, 30));
    }
    TextStyle s = LabelStyle(Rgb(255, 240, 190), Rgb(40, 20, 0));
    DrawText(p, 5, 2, "NAME", s);
    DrawText(p, 54, 2, "SCORE", s);
    DrawText(p, 135, 2, "LEVEL", s);
    return p;
}

// The name entry's title and, beside the letter grid, how to use it.
Picture PaintHsEnter(int)
{
    Picture p = NewPicture(240, 180);
    DrawTextCentred(p, 120, 1, "NEW HIGH SCORE!", LabelStyle(Rgb(255, 230, 110), Rgb(30, 10, 0)));
    DrawTextCentred(p, 120, 13, "ENTER YOUR NAME",
                    HeadingStyle(Rgb(255, 255, 255), Rgb(140, 210, 255)));
    BannerPlate(p, 172, 44, 64, 132, Rgb(120, 140, 230), Rgb(24, 26, 70), Rgb(8, 8, 30));
    TextStyle s = LabelStyle(Rgb(255, 255, 255), Rgb(8, 8, 30));
    TextStyle dim = LabelStyle(Rgb(170, 190, 255), Rgb(8, 8, 30));
    DrawTextCentred(p, 204, 50, GLYPH_LEFT GLYPH_UP GLYPH_DOWN GLYPH_RIGHT, s);
    DrawTextCentred(p, 204, 62, "move", dim);
    DrawTextCentred(p, 204, 80, "1 or", s);
    DrawTextCentred(p, 204, 92, "ENTER", s);
    DrawTextCentred(p, 204, 104, "pick", dim);
    TextStyle del = LabelStyle(Rgb(255, 110, 100), Rgb(8, 8, 30));
    TextStyle end = LabelStyle(Rgb(110, 240, 120), Rgb(8, 8, 30));
    DrawTextCentred(p, 204, 124, GLYPH_LEFT, del);
    DrawTextCentred(p, 204, 136, "delete", dim);
    DrawTextCentred(p, 204, 152, GLYPH_ENTER, end);
    DrawTextCentred(p, 204, 164, "done", dim);
    return p;
}

// Drawn at (53, 185): the game puts the three letters at (55 + 20 j, 187).
Picture PaintHsName(int)
{
    Picture p = NewPicture(64, 24);
    BannerPlate(p, 0, 0, 64, 24, Rgb(255, 210, 90), Rgb(40, 30, 70), Rgb(12, 8, 30));
    for (int j = 0; j < 3; j++)
        for (int x = 3 + 20 * j; x < 15 + 20 * j; x++) {
            Put(p, x, 20, Rgb(255, 220, 120));
            Put(p, x, 21, Rgb(120, 80, 20));
        }
    return p;
}

// Framed around the glyph of a grid cell, drawn at the cell's corner.
Picture PaintHsCursor(int)
{
    Picture p = NewPicture(14, 20);
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 14; x++) {
            bool outer = x == 0 || x == 13 || y == 0 || y == 19;
            bool inner = x == 1 || x == 12 || y == 1 || y == 18;
            bool corner = (x == 0 || x == 13) && (y == 0 || y == 19);
            if (corner) continue;
            if (outer)
                Put(p, x, y, Rgb(255, 236, 80));
            else if (inner)
                Put(p, x, y, Rgb(220, 110, 20));
        }
    return p;
}

// One strip cell: the glyph body 10 x 14 at (2, 3), centred on its width.
static void PoliceCell(Picture &p, int cell, const char *glyph, Colour top, Colour bottom)
{
    TextStyle s;
    s.scale = 2;
    s.top = top;
    s.bottom = bottom;
    s.outline = Rgb(20, 8, 30);
    s.shadow = Rgb(6, 2, 10);
    s.shine = true;
    int w = TextWidth(glyph, 1) * 2;
    DrawText(p, 20 * cell + 1 + (10 - w) / 2, 2, glyph, s);
}

Picture PaintHsPolice(int)
{
    Picture p = NewPicture(840, 20);
    Colour top = Rgb(255, 255, 255), bottom = Rgb(255, 200, 70);
    for (int n = 0; n < 26; n++) {
        char g[2] = {(char)('A' + n), 0};
        PoliceCell(p, n, g, top, bottom);
    }
    for (int d = 0; d < 10; d++) {
        char g[2] = {(char)('0' + d), 0};
        PoliceCell(p, 26 + d, g, top, bottom);
    }
    PoliceCell(p, 36, ".", top, bottom);
    PoliceCell(p, 37, "-", top, bottom);
    PoliceCell(p, 38, "!", top, bottom);
    PoliceCell(p, 39, GLYPH_HEART, Rgb(255, 150, 180), Rgb(230, 40, 90));
    PoliceCell(p, 40, GLYPH_LEFT, Rgb(255, 170, 160), Rgb(230, 50, 40));
    PoliceCell(p, 41, GLYPH_ENTER, Rgb(190, 255, 190), Rgb(40, 200, 70));
    return p;
}
