// Painting primitives of the art generator. Everything is integer or float
// arithmetic on the generator's own pictures; nothing depends on the clock.
#include "tools/artgen/paint.h"

#include <cmath>

static int Clamp255(float v)
{
    if (v <= 0.0f) return 0;
    if (v >= 255.0f) return 255;
    return (int)(v + 0.5f);
}

Colour Mix(Colour a, Colour b, float t)
{
    if (t <= 0.0f) return a;
    if (t >= 1.0f) t = 1.0f;
    int r = Clamp255((float)RedOf(a) + ((float)RedOf(b) - (float)RedOf(a)) * t);
    int g = Clamp255((float)GreenOf(a) + ((float)GreenOf(b) - (float)GreenOf(a)) * t);
    int bl = Clamp255((float)BlueOf(a) + ((float)BlueOf(b) - (float)BlueOf(a)) * t);
    return (a & 0xFF000000u) | (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)bl;
}

Colour Scale(Colour c, float f)
{
    int r = Clamp255((float)RedOf(c) * f);
    int g = Clamp255((float)GreenOf(c) * f);
    int b = Clamp255((float)BlueOf(c) * f);
    return (c & 0xFF000000u) | (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b;
}

Colour Hsv(float h, float s, float v)
{
    h = std::fmod(h, 360.0f);
    if (h < 0.0f) h += 360.0f;
    float c = v * s;
    float hp = h / 60.0f;
    float x = c * (1.0f - std::fabs(std::fmod(hp, 2.0f) - 1.0f));
    float r = 0, g = 0, b = 0;
    if (hp < 1)
        r = c, g = x;
    else if (hp < 2)
        r = x, g = c;
    else if (hp < 3)
        g = c, b = x;
    else if (hp < 4)
        g = x, b = c;
    else if (hp < 5)
        r = x, b = c;
    else
        r = c, b = x;
    float m = v - c;
    return Rgb(Clamp255((r + m) * 255.0f), Clamp255((g + m) * 255.0f), Clamp255((b + m) * 255.0f));
}

int Luma(Colour c) { return (RedOf(c) * 299 + GreenOf(c) * 587 + BlueOf(c) * 114) / 1000; }

Picture NewPicture(int w, int h, Colour fill)
{
    Picture p;
    p.w = w;
    p.h = h;
    p.px.assign((size_t)w * (size_t)h, fill);
    return p;
}

Colour Get(const Picture &p, int x, int y)
{
    if (x < 0 || y < 0 || x >= p.w || y >= p.h) return Clear;
    return p.px[(size_t)y * (size_t)p.w + (size_t)x];
}

void Put(Picture &p, int x, int y, Colour c)
{
    if (x < 0 || y < 0 || x >= p.w || y >= p.h) return;
    p.px[(size_t)y * (size_t)p.w + (size_t)x] = c;
}

void Blend(Picture &p, int x, int y, Colour c, float a)
{
    if (x < 0 || y < 0 || x >= p.w || y >= p.h || a <= 0.0f) return;
    Colour &d = p.px[(size_t)y * (size_t)p.w + (size_t)x];
    if (AlphaOf(d) == 0) {
        // Over a hole, coverage decides whether the pixel exists at all.
        if (a >= 0.5f) d = c | 0xFF000000u;
        return;
    }
    d = Mix(d, c | 0xFF000000u, a);
}

void FillRect(Picture &p, int x, int y, int w, int h, Colour c)
{
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++) Put(p, i, j, c);
}

void FrameRect(Picture &p, int x, int y, int w, int h, Colour c)
{
    for (int i = x; i < x + w; i++) {
        Put(p, i, y, c);
        Put(p, i, y + h - 1, c);
    }
    for (int j = y; j < y + h; j++) {
        Put(p, x, j, c);
        Put(p, x + w - 1, j, c);
    }
}

void Line(Picture &p, int x0, int y0, int x1, int y1, Colour c)
{
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Put(p, x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

void Disc(Picture &p, float cx, float cy, float r, Colour c)
{
    int x0 = (int)std::floor(cx - r - 1), x1 = (int)std::ceil(cx + r + 1);
    int y0 = (int)std::floor(cy - r - 1), y1 = (int)std::ceil(cy + r + 1);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            float d = std::sqrt(((float)x + 0.5f - cx) * ((float)x + 0.5f - cx) +
                                ((float)y + 0.5f - cy) * ((float)y + 0.5f - cy));
            float a = r + 0.5f - d;
            if (a > 1.0f) a = 1.0f;
            if (a > 0.0f) Blend(p, x, y, c, a);
        }
}

void VGradient(Picture &p, int x, int y, int w, int h, Colour top, Colour bottom)
{
    for (int j = 0; j < h; j++) {
        Colour c = Mix(top, bottom, h > 1 ? (float)j / (float)(h - 1) : 0.0f);
        for (int i = 0; i < w; i++) Put(p, x + i, y + j, c);
    }
}

void CentreBand(Picture &p, Colour centre, Colour edge)
{
    float middle = (float)(p.h - 1) / 2.0f, half = (float)p.h / 2.0f;
    for (int y = 0; y < p.h; y++) {
        Colour c = Mix(centre, edge, std::fabs((float)y - middle) / half);
        for (int x = 0; x < p.w; x++) Put(p, x, y, c);
    }
}

void BevelBox(Picture &p, int x, int y, int w, int h, Colour face, int depth)
{
    FillRect(p, x, y, w, h, face);
    int d = depth < 0 ? -depth : depth;
    Colour light = Mix(face, Rgb(255, 255, 255), 0.45f);
    Colour dark = Scale(face, 0.5f);
    if (depth < 0) {
        Colour t = light;
        light = dark;
        dark = t;
    }
    for (int k = 0; k < d; k++) {
        for (int i = x + k; i < x + w - k; i++) {
            Put(p, i, y + k, light);
            Put(p, i, y + h - 1 - k, dark);
        }
        for (int j = y + k; j < y + h - k; j++) {
            Put(p, x + k, j, light);
            Put(p, x + w - 1 - k, j, dark);
        }
    }
}

void RoundRect(Picture &p, int x, int y, int w, int h, int radius, Colour c)
{
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++) {
            int cx = i < radius ? radius - i : (i >= w - radius ? i - (w - radius - 1) : 0);
            int cy = j < radius ? radius - j : (j >= h - radius ? j - (h - radius - 1) : 0);
            float d = std::sqrt((float)(cx * cx + cy * cy));
            float a = (float)radius + 0.5f - d;
            if (cx == 0 || cy == 0) a = 1.0f;
            if (a > 1.0f) a = 1.0f;
            if (a > 0.0f) Blend(p, x + i, y + j, c, a);
        }
}

void DropShadow(Picture &p, int x, int y, int w, int h, int spread, float strength)
{
    for (int j = y - spread; j < y + h + spread; j++)
        for (int i = x - spread; i < x + w + spread; i++) {
            if (i >= x && i < x + w && j >= y && j < y + h) continue;
            int dx = i < x ? x - i : (i >= x + w ? i - (x + w - 1) : 0);
            int dy = j < y ? y - j : (j >= y + h ? j - (y + h - 1) : 0);
            float d = std::sqrt((float)(dx * dx + dy * dy)) / (float)(spread + 1);
            if (d >= 1.0f) continue;
            Colour c = Get(p, i, j);
            if (AlphaOf(c) == 0) continue;
            Put(p, i, j, Scale(c, 1.0f - strength * (1.0f - d)));
        }
}

void Paste(Picture &dst, const Picture &src, int x, int y)
{
    for (int j = 0; j < src.h; j++)
        for (int i = 0; i < src.w; i++) {
            Colour c = src.px[(size_t)j * (size_t)src.w + (size_t)i];
            if (AlphaOf(c) != 0) Put(dst, x + i, y + j, c);
        }
}

void MapPixels(Picture &p, Colour (*f)(int x, int y, Colour c, const void *ctx), const void *ctx)
{
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++) {
            Colour &c = p.px[(size_t)y * (size_t)p.w + (size_t)x];
            if (AlphaOf(c) != 0) c = f(x, y, c, ctx) | 0xFF000000u;
        }
}

uint32_t NextRandom(Lcg *g)
{
    g->state = g->state * 1664525u + 1013904223u;
    return g->state >> 8;
}

float RandomUnit(Lcg *g) { return (float)(NextRandom(g) & 0xFFFF) / 65536.0f; }

int RandomRange(Lcg *g, int lo, int hi)
{
    return lo + (int)(NextRandom(g) % (uint32_t)(hi - lo + 1));
}

// A lattice value 0..1 from an integer hash of its corner.
static float LatticeValue(int x, int y, uint32_t seed)
{
    uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (float)(h & 0xFFFF) / 65535.0f;
}

float TiledNoise(float x, float y, int cell, int period, uint32_t seed)
{
    int cells = period / cell;
    float fx = x / (float)cell, fy = y / (float)cell;
    int ix = (int)std::floor(fx), iy = (int)std::floor(fy);
    float tx = fx - (float)ix, ty = fy - (float)iy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    auto wrap = [cells](int v) { return ((v % cells) + cells) % cells; };
    float a = LatticeValue(wrap(ix), wrap(iy), seed);
    float b = LatticeValue(wrap(ix + 1), wrap(iy), seed);
    float c = LatticeValue(wrap(ix), wrap(iy + 1), seed);
    float d = LatticeValue(wrap(ix + 1), wrap(iy + 1), seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float TiledFractal(float x, float y, int cell, int period, int octaves, uint32_t seed)
{
    float sum = 0.0f, weight = 0.0f, amp = 1.0f;
    for (int o = 0; o < octaves && cell >= 1; o++) {
        sum += TiledNoise(x, y, cell, period, seed + (uint32_t)o * 101u) * amp;
        weight += amp;
        amp *= 0.5f;
        cell /= 2;
    }
    return weight > 0.0f ? sum / weight : 0.0f;
}
