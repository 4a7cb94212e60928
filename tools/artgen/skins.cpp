// The skins: the game screen's background (the board well at x 11..120,
// y 0..219, the next-piece box around x 133..177, y 14..58 and the Level, Lines
// and Score boxes around the digits the game draws at y 139, 171 and 203), the
// seven item tiles, the five destruction frames and the menu tile.
#include <cmath>

#include "tools/artgen/art.h"
#include "tools/artgen/font.h"
#include "tools/artgen/looks.h"
#include "tools/artgen/skins.h"

const Colour LcdShades[4] = {Rgb(15, 56, 15), Rgb(48, 98, 48), Rgb(139, 172, 15),
                             Rgb(155, 188, 15)};

const SkinTheme SkinThemes[6] = {
    {"NIGHT",
     StyleBevel,
     {Rgb(0, 200, 235), Rgb(245, 210, 0), Rgb(170, 70, 225), Rgb(250, 140, 0), Rgb(40, 95, 245),
      Rgb(60, 205, 65), Rgb(235, 45, 45)},
     FrameBevel,
     Rgb(70, 96, 170),
     Rgb(10, 14, 34),
     Rgb(30, 40, 80),
     Rgb(6, 10, 28),
     Rgb(110, 150, 230),
     Rgb(6, 10, 28),
     Rgb(225, 235, 255),
     Rgb(10, 14, 40),
     Rgb(200, 235, 255),
     Rgb(120, 180, 255),
     NightBackdrop,
     NightTile},
    {"NEON",
     StyleNeon,
     {Rgb(255, 40, 60), Rgb(255, 150, 0), Rgb(255, 250, 40), Rgb(70, 255, 60), Rgb(0, 230, 255),
      Rgb(120, 100, 255), Rgb(255, 40, 220)},
     FrameNeon,
     Rgb(0, 240, 255),
     Rgb(4, 2, 10),
     Rgb(40, 10, 60),
     Rgb(2, 0, 8),
     Rgb(255, 40, 200),
     Rgb(2, 0, 8),
     Rgb(120, 255, 255),
     Rgb(10, 0, 30),
     Rgb(255, 200, 255),
     Rgb(255, 40, 220),
     NeonBackdrop,
     NeonTile},
    {"WOOD",
     StyleWood,
     {Rgb(190, 60, 40), Rgb(220, 175, 55), Rgb(140, 70, 130), Rgb(205, 120, 50), Rgb(55, 80, 160),
      Rgb(75, 140, 65), Rgb(40, 135, 140)},
     FrameBevel,
     Rgb(176, 116, 62),
     Rgb(44, 26, 14),
     Rgb(70, 44, 24),
     Rgb(28, 16, 8),
     Rgb(230, 185, 90),
     Rgb(28, 16, 8),
     Rgb(255, 236, 190),
     Rgb(40, 20, 8),
     Rgb(255, 230, 170),
     Rgb(170, 110, 50),
     WoodBackdrop,
     WoodTile},
    {"ICE",
     StyleGem,
     {Rgb(70, 200, 255), Rgb(250, 230, 90), Rgb(160, 120, 255), Rgb(255, 150, 90),
      Rgb(40, 110, 230), Rgb(60, 225, 170), Rgb(255, 110, 190)},
     FrameBevel,
     Rgb(170, 215, 245),
     Rgb(14, 34, 64),
     Rgb(34, 66, 110),
     Rgb(8, 22, 48),
     Rgb(200, 240, 255),
     Rgb(8, 22, 48),
     Rgb(16, 40, 96),
     Rgb(235, 250, 255),
     Rgb(240, 252, 255),
     Rgb(140, 210, 255),
     IceBackdrop,
     IceTile},
    {"LAVA",
     StyleRock,
     {Rgb(255, 140, 20), Rgb(255, 225, 60), Rgb(220, 35, 25), Rgb(225, 60, 160), Rgb(140, 80, 215),
      Rgb(150, 185, 45), Rgb(255, 245, 205)},
     FrameBevel,
     Rgb(74, 56, 52),
     Rgb(20, 8, 6),
     Rgb(60, 20, 10),
     Rgb(16, 5, 3),
     Rgb(255, 120, 20),
     Rgb(16, 5, 3),
     Rgb(255, 205, 90),
     Rgb(30, 8, 0),
     Rgb(255, 230, 120),
     Rgb(255, 90, 10),
     LavaBackdrop,
     LavaTile},
    {"POCKET",
     StyleLcd,
     {Rgb(15, 56, 15), Rgb(48, 98, 48), Rgb(15, 56, 15), Rgb(48, 98, 48), Rgb(15, 56, 15),
      Rgb(48, 98, 48), Rgb(15, 56, 15)},
     FrameFlat,
     Rgb(15, 56, 15),
     Rgb(155, 188, 15),
     Rgb(139, 172, 15),
     Rgb(15, 56, 15),
     Rgb(48, 98, 48),
     Rgb(155, 188, 15),
     Rgb(15, 56, 15),
     Clear,
     Rgb(48, 98, 48),
     Rgb(15, 56, 15),
     LcdBackdrop,
     LcdTile},
};

const char *SkinName(int skin) { return SkinThemes[skin].name; }

Colour SkinItemColour(int skin, int item)
{
    // The handheld's items differ by pattern; its list shows their mean shade.
    if (SkinThemes[skin].itemStyle == StyleLcd) return item % 2 ? LcdShades[1] : LcdShades[0];
    return SkinThemes[skin].items[item - 1];
}

// The layout of the game screen.
enum {
    WellX = 11,
    WellY = 0,
    WellW = 110,
    WellH = 220,
    BoxX = 127,
    BoxW = 55,
    NextY = 8,
    NextH = 56,
    LevelY = 134,
    LinesY = 166,
    ScoreY = 198,
    DigitBoxH = 19,
    LabelX = 186,
};

// A frame of the skin's kind around the rectangle (x, y, w, h), thickness t.
static void SkinFrame(Picture &p, const SkinTheme &t, int x, int y, int w, int h, int th)
{
    if (t.frameStyle == FrameNeon) {
        // A glowing tube: a hot core line with a fading halo either side.
        for (int j = y - th - 3; j < y + h + th + 3; j++)
            for (int i = x - th - 3; i < x + w + th + 3; i++) {
                int dx = i < x ? x - i : (i >= x + w ? i - (x + w - 1) : 0);
                int dy = j < y ? y - j : (j >= y + h ? j - (y + h - 1) : 0);
                bool inside = dx == 0 && dy == 0;
                float d;
                if (inside) {
                    int e =
                        std::min(std::min(i - x, x + w - 1 - i), std::min(j - y, y + h - 1 - j));
                    d = (float)e + (float)th / 2.0f + 1.0f;
                } else {
                    d = std::fabs(std::sqrt((float)(dx * dx + dy * dy)) - (float)th / 2.0f);
                }
                float a = 1.0f - d / 4.0f;
                if (a <= 0.0f) continue;
                Blend(p, i, j, t.frame, a * a);
                if (d < 0.8f) Blend(p, i, j, Rgb(255, 255, 255), 0.6f);
            }
        return;
    }
    if (t.frameStyle == FrameFlat) {
        for (int k = 1; k <= th; k++) FrameRect(p, x - k, y - k, w + 2 * k, h + 2 * k, t.frame);
        return;
    }
    Colour light = Mix(t.frame, Rgb(255, 255, 255), 0.45f), dark = Scale(t.frame, 0.45f);
    for (int k = 1; k <= th; k++) {
        // Outer edge lit from the top left, inner edge the opposite, a ridge between.
        float f = th > 1 ? (float)(k - 1) / (float)(th - 1) : 0.5f;
        Colour top = Mix(Scale(dark, 1.2f), light, 1.0f - std::fabs(f - 0.5f) * 2.0f);
        Colour bot = Mix(dark, t.frame, 1.0f - std::fabs(f - 0.5f) * 2.0f);
        if (k == 1) top = Scale(t.frame, 0.35f), bot = Mix(t.frame, Rgb(255, 255, 255), 0.3f);
        if (k == th) top = light, bot = Scale(t.frame, 0.3f);
        for (int i = x - k; i < x + w + k; i++) {
            Put(p, i, y - k, top);
            Put(p, i, y + h - 1 + k, bot);
        }
        for (int j = y - k; j < y + h + k; j++) {
            Put(p, x - k, j, top);
            Put(p, x + w - 1 + k, j, bot);
        }
    }
}

static void HudBox(Picture &p, const SkinTheme &t, int y, int h, Colour fill)
{
    DropShadow(p, BoxX, y, BoxW, h, 3, 0.45f);
    FillRect(p, BoxX, y, BoxW, h, fill);
    if (t.frameStyle != FrameFlat)
        VGradient(p, BoxX + 1, y + 1, BoxW - 2, h / 2, Mix(fill, t.boxRim, 0.18f), fill);
    if (t.frameStyle != FrameNeon) FrameRect(p, BoxX, y, BoxW, h, Mix(fill, t.boxRim, 0.55f));
    SkinFrame(p, t, BoxX, y, BoxW, h, t.frameStyle == FrameNeon ? 1 : 2);
    if (t.frameStyle == FrameNeon) {
        SkinTheme pink = t;
        pink.frame = t.boxRim;
        SkinFrame(p, pink, BoxX, y, BoxW, h, 1);
        FillRect(p, BoxX + 2, y + 2, BoxW - 4, h - 4, fill);
    }
}

static void BoxLabel(Picture &p, const SkinTheme &t, int centreY, const char *text)
{
    TextStyle s = LabelStyle(t.label, t.labelEdge);
    s.bold = true;
    if (!AlphaOf(t.labelEdge)) s.outline = Clear;
    DrawText(p, LabelX, centreY - StyledHeight(s) / 2 + 1, text, s);
    // A small pointer from the label to its box.
    Colour c = t.frameStyle == FrameNeon ? t.boxRim : t.label;
    for (int k = 0; k < 3; k++)
        Line(p, LabelX - 2 - k, centreY - k, LabelX - 2 - k, centreY + k, c);
}

// The handheld's screen shows four greens only: every pixel takes the shade
// nearest in brightness.
static void KeepToLcdShades(Picture &p)
{
    for (Colour &c : p.px) {
        if (!AlphaOf(c)) continue;
        int best = 0;
        for (int k = 1; k < 4; k++)
            if (std::abs(Luma(LcdShades[k]) - Luma(c)) < std::abs(Luma(LcdShades[best]) - Luma(c)))
                best = k;
        c = LcdShades[best];
    }
}

Picture PaintSkinBackground(int skin)
{
    const SkinTheme &t = SkinThemes[skin];
    Picture p = NewPicture(240, 320, Rgb(0, 0, 0));
    t.backdrop(p);

    // The board well, its frame and its faint cell marks.
    DropShadow(p, WellX - 4, WellY, WellW + 8, WellH + 4, 5, 0.55f);
    VGradient(p, WellX, WellY, WellW, WellH, Mix(t.well, t.wellMark, 0.25f), t.well);
    for (int r = 1; r < 20; r++)
        for (int c = 1; c < 10; c++) {
            int x = WellX + 11 * c, y = WellY + 11 * r;
            Put(p, x, y, t.wellMark);
            Put(p, x - 1, y, Mix(t.well, t.wellMark, 0.5f));
            Put(p, x, y - 1, Mix(t.well, t.wellMark, 0.5f));
        }
    SkinFrame(p, t, WellX, WellY - 8, WellW, WellH + 8, 4);

    // The head-up display: next piece, level, lines, score.
    HudBox(p, t, NextY, NextH, t.nextFill);
    HudBox(p, t, LevelY, DigitBoxH, t.boxFill);
    HudBox(p, t, LinesY, DigitBoxH, t.boxFill);
    HudBox(p, t, ScoreY, DigitBoxH, t.boxFill);
    BoxLabel(p, t, NextY + NextH / 2, "NEXT");
    BoxLabel(p, t, LevelY + DigitBoxH / 2, "LEVEL");
    BoxLabel(p, t, LinesY + DigitBoxH / 2, "LINES");
    BoxLabel(p, t, ScoreY + DigitBoxH / 2, "SCORE");

    // The game's name in the skin's own items, and the skin's name.
    Colour colours[3] = {SkinItemColour(skin, 7), SkinItemColour(skin, 2), SkinItemColour(skin, 1)};
    int lw = BlockLettersWidth("ZUX", 3);
    BlockLetters(p, BoxX + (BoxW - lw) / 2, 78, "ZUX", 3, colours, 3);
    TextStyle n = LabelStyle(t.label, t.labelEdge);
    if (!AlphaOf(t.labelEdge)) n.outline = Clear;
    DrawTextCentred(p, BoxX + BoxW / 2, 108, t.name, n);
    if (t.itemStyle == StyleLcd) KeepToLcdShades(p);
    return p;
}

// ---- Item tiles ----------------------------------------------------------

static Colour White(Colour c, float t) { return Mix(c, Rgb(255, 255, 255), t); }

static void BevelItem(Picture &p, Colour c)
{
    for (int j = 0; j < 11; j++)
        for (int i = 0; i < 11; i++) {
            Colour px = Mix(Scale(White(c, 0.12f), 1.05f), Scale(c, 0.8f), (float)(i + j) / 20.0f);
            if (i == 1 || j == 1) px = White(c, 0.22f);
            if (i == 9 || j == 9) px = Scale(c, 0.72f);
            if (i == 0 || j == 0) px = White(c, 0.55f);
            if (i == 10 || j == 10) px = Scale(c, 0.45f);
            Put(p, i, j, px);
        }
    Put(p, 0, 10, Scale(c, 0.6f));
    Put(p, 10, 0, Scale(c, 0.6f));
    Put(p, 3, 3, White(c, 0.85f));
    Put(p, 4, 3, White(c, 0.55f));
    Put(p, 3, 4, White(c, 0.55f));
}

static void NeonItem(Picture &p, Colour c)
{
    for (int j = 0; j < 11; j++)
        for (int i = 0; i < 11; i++) {
            int ring = std::min(std::min(i, 10 - i), std::min(j, 10 - j));
            Colour px;
            if (ring == 0)
                px = Scale(c, 0.55f);
            else if (ring == 1)
                px = White(c, 0.35f);
            else if (ring == 2)
                px = Scale(c, 0.55f);
            else
                px = Scale(c, 0.2f + 0.06f * (float)(ring - 3));
            Put(p, i, j, px);
        }
    Put(p, 1, 1, White(c, 0.7f));
    Put(p, 2, 1, White(c, 0.55f));
    Put(p, 1, 2, White(c, 0.55f));
}

static void WoodItem(Picture &p, Colour c, int seed)
{
    for (int j = 0; j < 11; j++)
        for (int i = 0; i < 11; i++) {
            float grain =
                std::sin((float)j * 1.7f + std::sin((float)i * 0.55f + (float)seed) * 1.6f);
            Colour px = Scale(c, 0.93f + 0.09f * grain - 0.012f * (float)(i + j));
            if (i == 0 || j == 0) px = White(c, 0.4f);
            if (i == 10 || j == 10) px = Scale(c, 0.42f);
            if (i == 1 && j > 0 && j < 10) px = White(c, 0.15f);
            if (j == 1 && i > 0 && i < 10) px = White(c, 0.15f);
            Put(p, i, j, px);
        }
    Put(p, 0, 0, Scale(c, 0.7f));
    Put(p, 10, 10, Scale(c, 0.3f));
    Put(p, 0, 10, Scale(c, 0.5f));
    Put(p, 10, 0, Scale(c, 0.5f));
}

static void GemItem(Picture &p, Colour c)
{
    for (int j = 0; j < 11; j++)
        for (int i = 0; i < 11; i++) {
            Colour px = i + j < 10 ? White(c, 0.28f) : (i + j == 10 ? c : Scale(c, 0.78f));
            if (i >= 3 && i <= 7 && j >= 3 && j <= 7)
                px = White(c, 0.38f - 0.03f * (float)(i + j - 6));
            if (i == 0 || j == 0) px = White(c, 0.72f);
            if (i == 10 || j == 10) px = Scale(c, 0.5f);
            if ((i == 0 && j == 10) || (i == 10 && j == 0))
                px = Mix(White(c, 0.7f), Scale(c, 0.5f), 0.5f);
            Put(p, i, j, px);
        }
    Put(p, 2, 2, Rgb(255, 255, 255));
    Put(p, 3, 2, White(c, 0.8f));
    Put(p, 2, 3, White(c, 0.8f));
    Put(p, 8, 8, White(c, 0.5f));
}

static void RockItem(Picture &p, Colour c, int seed)
{
    for (int j = 0; j < 11; j++)
        for (int i = 0; i < 11; i++) {
            float n = TiledNoise((float)i, (float)j, 2, 16, (uint32_t)seed * 7u + 3u);
            Colour px = Scale(c, 0.72f + 0.42f * n - 0.012f * (float)(i + j));
            int ring = std::min(std::min(i, 10 - i), std::min(j, 10 - j));
            if (ring == 0) px = Scale(c, 0.42f);
            if (ring == 0 && (i == 0 || j == 0)) px = Scale(c, 0.62f);
            if (ring == 1 && (i == 1 || j == 1)) px = White(c, 0.25f);
            Put(p, i, j, px);
        }
    Put(p, 0, 0, Scale(c, 0.3f));
    Put(p, 10, 0, Scale(c, 0.3f));
    Put(p, 0, 10, Scale(c, 0.3f));
    Put(p, 10, 10, Scale(c, 0.3f));
    Put(p, 3, 3, White(c, 0.6f));
}

// The handheld's items: one pattern each in the screen's greens.
static void LcdItem(Picture &p, int item)
{
    const Colour *s = LcdShades;
    for (int j = 0; j < 11; j++)
        for (int i = 0; i < 11; i++) {
            int ring = std::min(std::min(i, 10 - i), std::min(j, 10 - j));
            Colour px = s[0];
            if (ring > 0) switch (item) {
                case 1: px = ring == 1 && (i == 1 || j == 1) ? s[2] : s[1]; break;
                case 2: px = ring == 1 ? s[1] : ((i + j) % 2 ? s[2] : s[0]); break;
                case 3: px = ring == 1 ? s[3] : (ring == 3 ? s[1] : s[2]); break;
                case 4: px = j % 2 ? s[1] : s[3]; break;
                case 5: px = ring == 1 ? s[2] : ((i + j) % 3 == 0 ? s[0] : s[2]); break;
                case 6: px = ring >= 4 ? s[0] : (ring == 1 ? s[1] : s[3]); break;
                default: px = ring == 1 ? s[2] : s[1]; break;
                }
            if (item == 7 && ring >= 2 && (i == 5 || j == 5)) px = s[3];
            Put(p, i, j, px);
        }
}

Picture PaintSkinItem(int skinItem)
{
    int skin = skinItem / 10, item = skinItem % 10;
    const SkinTheme &t = SkinThemes[skin];
    Colour c = t.items[item - 1];
    Picture p = NewPicture(11, 11, Rgb(0, 0, 0));
    switch (t.itemStyle) {
    case StyleNeon: NeonItem(p, c); break;
    case StyleWood: WoodItem(p, c, item); break;
    case StyleGem: GemItem(p, c); break;
    case StyleRock: RockItem(p, c, item); break;
    case StyleLcd: LcdItem(p, item); break;
    default: BevelItem(p, c); break;
    }
    return p;
}

// ---- Destruction frames ------------------------------------------------------
// Frame 1 is the faint outline a rising row starts from (drawn keyed); frames 2
// to 5 replace a destroyed item cell: a flash, a cracked block, flying chips and
// a last few sparks. Their transparent pixels empty the cell.

Picture PaintSkinDest(int skinFrame)
{
    int skin = skinFrame / 10, frame = skinFrame % 10;
    const SkinTheme &t = SkinThemes[skin];
    Colour core = t.destCore, edge = t.destEdge;
    Picture p = NewPicture(11, 11, Clear);
    Lcg g{0xD357u + (uint32_t)skin * 77u};
    switch (frame) {
    case 1:
        for (int k = 0; k < 11; k++)
            if (k % 2 == 0 || k == 10) {
                Put(p, k, 0, edge);
                Put(p, k, 10, edge);
                Put(p, 0, k, edge);
                Put(p, 10, k, edge);
            }
        Put(p, 5, 5, core);
        break;
    case 2:
        for (int j = 0; j < 11; j++)
            for (int i = 0; i < 11; i++) {
                int ring = std::min(std::min(i, 10 - i), std::min(j, 10 - j));
                Put(p, i, j, ring == 0 ? edge : White(core, 0.25f + 0.12f * (float)ring));
            }
        break;
    case 3:
        for (int j = 0; j < 11; j++)
            for (int i = 0; i < 11; i++) {
                int ring = std::min(std::min(i, 10 - i), std::min(j, 10 - j));
                Put(p, i, j, ring == 0 ? edge : Mix(edge, core, 0.35f + 0.15f * (float)ring));
            }
        // Cracks from the centre to the edges let the well show through.
        for (int k = 0; k < 4; k++) {
            int x = 5, y = 5;
            int dx = k % 2 ? 1 : -1, dy = k / 2 ? 1 : -1;
            while (x >= 0 && x <= 10 && y >= 0 && y <= 10) {
                Put(p, x, y, Clear);
                if (NextRandom(&g) % 3 == 0)
                    x += dx;
                else if (NextRandom(&g) % 2)
                    y += dy;
                else
                    x += dx, y += dy;
            }
        }
        break;
    case 4: {
        static const int chips[5][3] = {{0, 0, 4}, {7, 0, 4}, {0, 7, 4}, {7, 7, 4}, {4, 4, 3}};
        for (const int *c : chips) {
            for (int j = 0; j < c[2]; j++)
                for (int i = 0; i < c[2]; i++) {
                    bool rim = i == 0 || j == 0 || i == c[2] - 1 || j == c[2] - 1;
                    if ((i == 0 || i == c[2] - 1) && (j == 0 || j == c[2] - 1)) continue;
                    Put(p, c[0] + i, c[1] + j, rim ? edge : White(core, 0.2f));
                }
        }
        break;
    }
    default: {
        static const int sparks[7][2] = {{1, 1}, {9, 2}, {5, 4}, {2, 8}, {8, 9}, {6, 6}, {4, 10}};
        for (const int *s : sparks) Put(p, s[0], s[1], White(core, 0.3f));
        Put(p, 5, 3, edge);
        Put(p, 3, 7, edge);
        break;
    }
    }
    if (t.itemStyle == StyleLcd) KeepToLcdShades(p);
    return p;
}

Picture PaintSkinMenuTile(int skin)
{
    Picture p = NewPicture(32, 32, Rgb(0, 0, 0));
    SkinThemes[skin].menuTile(p);
    return p;
}
