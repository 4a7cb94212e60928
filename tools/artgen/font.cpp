// The pixel font and text painting. Glyph rows are written as strings of '#'
// and '.', top row first, rows separated by '/'; a glyph lists only the rows it
// uses from the top, so most omit the two rows below the baseline.
#include "tools/artgen/font.h"

#include <cstring>

struct Glyph {
    char c;
    const char *rows;
};

static const Glyph Glyphs[] = {
    {'A', ".###./#...#/#...#/#####/#...#/#...#/#...#"},
    {'B', "####./#...#/#...#/####./#...#/#...#/####."},
    {'C', ".###./#...#/#..../#..../#..../#...#/.###."},
    {'D', "###../#..#./#...#/#...#/#...#/#..#./###.."},
    {'E', "#####/#..../#..../####./#..../#..../#####"},
    {'F', "#####/#..../#..../####./#..../#..../#...."},
    {'G', ".###./#...#/#..../#.###/#...#/#...#/.####"},
    {'H', "#...#/#...#/#...#/#####/#...#/#...#/#...#"},
    {'I', ".###./..#../..#../..#../..#../..#../.###."},
    {'J', "..###/...#./...#./...#./...#./#..#./.##.."},
    {'K', "#...#/#..#./#.#../##.../#.#../#..#./#...#"},
    {'L', "#..../#..../#..../#..../#..../#..../#####"},
    {'M', "#...#/##.##/#.#.#/#.#.#/#...#/#...#/#...#"},
    {'N', "#...#/#...#/##..#/#.#.#/#..##/#...#/#...#"},
    {'O', ".###./#...#/#...#/#...#/#...#/#...#/.###."},
    {'P', "####./#...#/#...#/####./#..../#..../#...."},
    {'Q', ".###./#...#/#...#/#...#/#.#.#/#..#./.##.#"},
    {'R', "####./#...#/#...#/####./#.#../#..#./#...#"},
    {'S', ".####/#..../#..../.###./....#/....#/####."},
    {'T', "#####/..#../..#../..#../..#../..#../..#.."},
    {'U', "#...#/#...#/#...#/#...#/#...#/#...#/.###."},
    {'V', "#...#/#...#/#...#/#...#/#...#/.#.#./..#.."},
    {'W', "#...#/#...#/#...#/#.#.#/#.#.#/#.#.#/.#.#."},
    {'X', "#...#/#...#/.#.#./..#../.#.#./#...#/#...#"},
    {'Y', "#...#/#...#/.#.#./..#../..#../..#../..#.."},
    {'Z', "#####/....#/...#./..#../.#.../#..../#####"},
    {'0', ".###./#...#/#..##/#.#.#/##..#/#...#/.###."},
    {'1', "..#../.##../..#../..#../..#../..#../.###."},
    {'2', ".###./#...#/....#/...#./..#../.#.../#####"},
    {'3', "#####/...#./..#../...#./....#/#...#/.###."},
    {'4', "...#./..##./.#.#./#..#./#####/...#./...#."},
    {'5', "#####/#..../####./....#/....#/#...#/.###."},
    {'6', "..##./.#.../#..../####./#...#/#...#/.###."},
    {'7', "#####/....#/...#./..#../.#.../.#.../.#..."},
    {'8', ".###./#...#/#...#/.###./#...#/#...#/.###."},
    {'9', ".###./#...#/#...#/.####/....#/...#./.##.."},
    {'a', "...../...../.###./....#/.####/#...#/.####"},
    {'b', "#..../#..../####./#...#/#...#/#...#/####."},
    {'c', "...../...../.####/#..../#..../#..../.####"},
    {'d', "....#/....#/.####/#...#/#...#/#...#/.####"},
    {'e', "...../...../.###./#...#/#####/#..../.###."},
    {'f', "..##./.#.../####./.#.../.#.../.#.../.#..."},
    {'g', "...../...../.####/#...#/#...#/#...#/.####/....#/.###."},
    {'h', "#..../#..../####./#...#/#...#/#...#/#...#"},
    {'i', "#/./#/#/#/#/#"},
    {'j', "..#/.../..#/..#/..#/..#/..#/..#/##."},
    {'k', "#..../#..../#..#./#.#../##.../#.#../#..#."},
    {'l', "##/.#/.#/.#/.#/.#/.#"},
    {'m', "...../...../##.#./#.#.#/#.#.#/#.#.#/#.#.#"},
    {'n', "...../...../####./#...#/#...#/#...#/#...#"},
    {'o', "...../...../.###./#...#/#...#/#...#/.###."},
    {'p', "...../...../####./#...#/#...#/#...#/####./#..../#...."},
    {'q', "...../...../.####/#...#/#...#/#...#/.####/....#/....#"},
    {'r', "...../...../#.##./##..#/#..../#..../#...."},
    {'s', "...../...../.####/#..../.###./....#/####."},
    {'t', ".#.../.#.../####./.#.../.#.../.#..#/..##."},
    {'u', "...../...../#...#/#...#/#...#/#..##/.##.#"},
    {'v', "...../...../#...#/#...#/#...#/.#.#./..#.."},
    {'w', "...../...../#...#/#...#/#.#.#/#.#.#/.#.#."},
    {'x', "...../...../#...#/.#.#./..#../.#.#./#...#"},
    {'y', "...../...../#...#/#...#/#...#/#...#/.####/....#/.###."},
    {'z', "...../...../#####/...#./..#../.#.../#####"},
    {'.', "../../../../../##/##"},
    {',', "../../../../../##/##/.#/#."},
    {':', "../##/##/../##/##/.."},
    {'!', "#/#/#/#/#/./#"},
    {'?', ".###./#...#/....#/...#./..#../...../..#.."},
    {'-', ".../.../.../###"},
    {'+', "...../..#../..#../#####/..#../..#.."},
    {'/', "....#/....#/...#./..#../.#.../#..../#...."},
    {'(', "..#/.#./#../#../#../.#./..#"},
    {')', "#../.#./..#/..#/..#/.#./#.."},
    {'\'', "#/#"},
    {'"', "#.#/#.#"},
    {'&', ".##../#..#./#.#../.#.../#.#.#/#..#./.##.#"},
    {'*', "...../#.#.#/.###./#####/.###./#.#.#"},
    {'=', "...../...../#####/...../#####"},
    {'<', "...#/..#./.#../#.../.#../..#./...#"},
    {'>', "#.../.#../..#./...#/..#./.#../#..."},
    {'#', ".#.#./.#.#./#####/.#.#./#####/.#.#./.#.#."},
    {'%', "##..#/##..#/...#./..#../.#.../#..##/#..##"},
    {'_', "...../...../...../...../...../...../...../#####"},
    {'\x01', "...../..#../.#.../#####/.#.../..#.."},
    {'\x02', "..#../.###./#.#.#/..#../..#../..#.."},
    {'\x03', "...../..#../...#./#####/...#./..#.."},
    {'\x04', "...../..#../..#../..#../#.#.#/.###./..#.."},
    {'\x05', "...../.#.#./#####/#####/.###./..#.."},
    {'\x06', "....#/....#/..#.#/.##.#/#####/.##../..#.."},
    {'\x07', "..#../..#../#####/.###./.#.#./#...#"},
};

struct GlyphBits {
    int width;
    uint8_t bits[FontRows][5];
};

// The glyph of c trimmed to its used columns; false for an unknown character.
static bool FindGlyph(char c, GlyphBits *out)
{
    for (const Glyph &g : Glyphs) {
        if (g.c != c) continue;
        std::memset(out, 0, sizeof *out);
        int row = 0, col = 0, full = 0;
        for (const char *s = g.rows; *s; s++) {
            if (*s == '/') {
                row++;
                col = 0;
                continue;
            }
            if (row < FontRows && col < 5) out->bits[row][col] = *s == '#';
            col++;
            if (col > full) full = col;
        }
        int first = 5, last = -1;
        for (int r = 0; r < FontRows; r++)
            for (int k = 0; k < full; k++)
                if (out->bits[r][k]) {
                    if (k < first) first = k;
                    if (k > last) last = k;
                }
        bool digit = c >= '0' && c <= '9';
        if (digit || last < 0) first = 0, last = full - 1; // digits stay tabular
        out->width = last - first + 1;
        for (int r = 0; r < FontRows; r++)
            for (int k = 0; k < 5; k++)
                out->bits[r][k] = k + first < 5 ? out->bits[r][k + first] : 0;
        return true;
    }
    return false;
}

int TextWidth(const char *text, int spacing, bool bold)
{
    int w = 0, n = 0;
    for (const char *s = text; *s; s++, n++) {
        GlyphBits g;
        if (*s == ' ')
            w += 3;
        else if (FindGlyph(*s, &g))
            w += g.width + (bold ? 1 : 0);
        else
            w += 5;
        if (s[1]) w += spacing;
    }
    return n ? w : 0;
}

Mask TextMask(const char *text, int spacing, bool bold)
{
    Mask m;
    m.w = TextWidth(text, spacing, bold);
    m.h = FontRows;
    m.bits.assign((size_t)m.w * FontRows, 0);
    int x = 0;
    for (const char *s = text; *s; s++) {
        GlyphBits g;
        int adv;
        if (*s == ' ') {
            adv = 3;
        } else if (FindGlyph(*s, &g)) {
            for (int r = 0; r < FontRows; r++)
                for (int k = 0; k < g.width; k++)
                    if (g.bits[r][k]) {
                        m.bits[(size_t)r * m.w + x + k] = 1;
                        if (bold) m.bits[(size_t)r * m.w + x + k + 1] = 1;
                    }
            adv = g.width + (bold ? 1 : 0);
        } else {
            adv = 5;
        }
        x += adv + spacing;
    }
    return m;
}

static Mask Scale2x(const Mask &m)
{
    Mask o;
    o.w = m.w * 2;
    o.h = m.h * 2;
    o.bits.assign((size_t)o.w * o.h, 0);
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) {
            bool e = MaskAt(m, x, y);
            bool a = MaskAt(m, x, y - 1), b = MaskAt(m, x + 1, y);
            bool c = MaskAt(m, x - 1, y), d = MaskAt(m, x, y + 1);
            bool e0 = e, e1 = e, e2 = e, e3 = e;
            if (b != c && a != d) {
                e0 = c == a ? c : e;
                e1 = a == b ? b : e;
                e2 = c == d ? c : e;
                e3 = d == b ? b : e;
            }
            // Only ever add: staircases fill in, square corners stay square.
            o.bits[(size_t)(2 * y) * o.w + 2 * x] = e0 || e;
            o.bits[(size_t)(2 * y) * o.w + 2 * x + 1] = e1 || e;
            o.bits[(size_t)(2 * y + 1) * o.w + 2 * x] = e2 || e;
            o.bits[(size_t)(2 * y + 1) * o.w + 2 * x + 1] = e3 || e;
        }
    return o;
}

static Mask Scale3x(const Mask &m)
{
    Mask o;
    o.w = m.w * 3;
    o.h = m.h * 3;
    o.bits.assign((size_t)o.w * o.h, 0);
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) {
            bool A = MaskAt(m, x - 1, y - 1), B = MaskAt(m, x, y - 1), C = MaskAt(m, x + 1, y - 1);
            bool D = MaskAt(m, x - 1, y), E = MaskAt(m, x, y), F = MaskAt(m, x + 1, y);
            bool G = MaskAt(m, x - 1, y + 1), H = MaskAt(m, x, y + 1), I = MaskAt(m, x + 1, y + 1);
            bool out[9] = {E, E, E, E, E, E, E, E, E};
            if (B != H && D != F) {
                out[0] = D == B ? D : E;
                out[1] = (D == B && E != C) || (B == F && E != A) ? B : E;
                out[2] = B == F ? F : E;
                out[3] = (D == B && E != G) || (D == H && E != A) ? D : E;
                out[4] = E;
                out[5] = (B == F && E != I) || (H == F && E != C) ? F : E;
                out[6] = D == H ? D : E;
                out[7] = (D == H && E != I) || (H == F && E != G) ? H : E;
                out[8] = H == F ? F : E;
            }
            for (int k = 0; k < 9; k++)
                o.bits[(size_t)(3 * y + k / 3) * o.w + 3 * x + k % 3] = out[k] || E;
        }
    return o;
}

Mask StretchMask(const Mask &m, int sx, int sy)
{
    Mask o;
    o.w = m.w * sx;
    o.h = m.h * sy;
    o.bits.assign((size_t)o.w * o.h, 0);
    for (int y = 0; y < o.h; y++)
        for (int x = 0; x < o.w; x++) o.bits[(size_t)y * o.w + x] = MaskAt(m, x / sx, y / sy);
    return o;
}

Mask ScaleMask(const Mask &m, int factor)
{
    if (factor == 2) return Scale2x(m);
    if (factor == 3) return Scale3x(m);
    if (factor == 4) return Scale2x(Scale2x(m));
    if (factor <= 1) return m;
    return StretchMask(m, factor, factor);
}

static int Margin(const TextStyle &s) { return AlphaOf(s.outline) ? 1 : 0; }

static int ShadowX(const TextStyle &s) { return AlphaOf(s.shadow) ? s.shadowDx : 0; }
static int ShadowY(const TextStyle &s) { return AlphaOf(s.shadow) ? s.shadowDy : 0; }

int StyledWidth(const char *text, const TextStyle &s)
{
    int f = s.scale < 1 ? 1 : s.scale;
    return TextWidth(text, s.spacing, s.bold) * f + 2 * Margin(s) + ShadowX(s);
}

int StyledHeight(const TextStyle &s)
{
    int f = s.scale < 1 ? 1 : s.scale;
    return FontRows * f + 2 * Margin(s) + ShadowY(s);
}

void DrawMask(Picture &p, int x, int y, const Mask &m, const TextStyle &s)
{
    int f = s.scale < 1 ? 1 : s.scale;
    int o = Margin(s);
    int cap = FontCapRows * f;
    if (cap > m.h) cap = m.h;
    if (AlphaOf(s.shadow)) {
        // The shadow is cast by the outlined shape, so it stays clear of the fill.
        for (int j = -o; j < m.h + o; j++)
            for (int i = -o; i < m.w + o; i++) {
                bool hit = false;
                for (int dy = -o; dy <= o && !hit; dy++)
                    for (int dx = -o; dx <= o && !hit; dx++) hit = MaskAt(m, i + dx, j + dy);
                if (hit) Put(p, x + o + i + s.shadowDx, y + o + j + s.shadowDy, s.shadow);
            }
    }
    if (o)
        for (int j = -1; j <= m.h; j++)
            for (int i = -1; i <= m.w; i++) {
                if (MaskAt(m, i, j)) continue;
                bool near = false;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) near = near || MaskAt(m, i + dx, j + dy);
                if (near) Put(p, x + o + i, y + o + j, s.outline);
            }
    for (int j = 0; j < m.h; j++) {
        float t = cap > 1 ? (float)j / (float)(cap - 1) : 0.0f;
        Colour c = Mix(s.top, s.bottom, t);
        for (int i = 0; i < m.w; i++) {
            if (!MaskAt(m, i, j)) continue;
            Colour px = c;
            if (s.shine && !MaskAt(m, i, j - 1)) px = Mix(c, Rgb(255, 255, 255), 0.6f);
            Put(p, x + o + i, y + o + j, px | 0xFF000000u);
        }
    }
}

void DrawText(Picture &p, int x, int y, const char *text, const TextStyle &s)
{
    Mask m = ScaleMask(TextMask(text, s.spacing, s.bold), s.scale < 1 ? 1 : s.scale);
    DrawMask(p, x, y, m, s);
}

void DrawTextCentred(Picture &p, int cx, int y, const char *text, const TextStyle &s)
{
    DrawText(p, cx - StyledWidth(text, s) / 2, y, text, s);
}

TextStyle LabelStyle(Colour fill, Colour outline)
{
    TextStyle s;
    s.top = fill;
    s.bottom = fill;
    s.outline = outline;
    return s;
}
