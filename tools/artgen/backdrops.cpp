// The scenes behind the six skins' boards (the lower part below y 224 is free
// for the scene) and their 32 x 32 menu tiles, which repeat without seams.
#include <cmath>

#include "tools/artgen/font.h"
#include "tools/artgen/looks.h"
#include "tools/artgen/skins.h"

static const float Pi = 3.14159265f;

// ---- Night: a starry sky over a lit city ------------------------------------

static void Stars(Picture &p, int count, int maxY, uint32_t seed)
{
    Lcg g{seed};
    for (int k = 0; k < count; k++) {
        int x = RandomRange(&g, 0, p.w - 1), y = RandomRange(&g, 0, maxY);
        float b = 0.3f + 0.7f * RandomUnit(&g);
        Colour c = Mix(Rgb(150, 170, 255), Rgb(255, 255, 255), RandomUnit(&g));
        Blend(p, x, y, c, b);
        if (k % 11 == 0) {
            Blend(p, x - 1, y, c, b * 0.5f);
            Blend(p, x + 1, y, c, b * 0.5f);
            Blend(p, x, y - 1, c, b * 0.5f);
            Blend(p, x, y + 1, c, b * 0.5f);
        }
    }
}

static void Skyline(Picture &p, int top, int spread, Colour body, Colour window, float lit,
                    uint32_t seed)
{
    Lcg g{seed};
    int x = -4;
    while (x < p.w) {
        int w = RandomRange(&g, 12, 28), y = top + RandomRange(&g, 0, spread);
        FillRect(p, x, y, w, p.h - y, body);
        if (RandomRange(&g, 0, 3) == 0) FillRect(p, x + w / 2 - 1, y - 6, 2, 6, body);
        for (int wy = y + 4; wy < p.h - 3; wy += 5)
            for (int wx = x + 3; wx < x + w - 3; wx += 4)
                if (RandomUnit(&g) < lit)
                    FillRect(p, wx, wy, 2, 2, Mix(window, body, RandomUnit(&g) * 0.5f));
        x += w + RandomRange(&g, 0, 3);
    }
}

void NightBackdrop(Picture &p)
{
    VGradient(p, 0, 0, 240, 230, Rgb(4, 8, 30), Rgb(24, 30, 86));
    VGradient(p, 0, 230, 240, 90, Rgb(24, 30, 86), Rgb(70, 44, 112));
    Stars(p, 190, 260, 0x5EED1u);
    // A crescent moon with a soft halo.
    for (int y = 60; y < 112; y++)
        for (int x = 186; x < 240; x++) {
            float d = std::hypot((float)x - 213.5f, (float)y - 86.5f);
            float d2 = std::hypot((float)x - 219.5f, (float)y - 82.5f);
            if (d < 12.5f && d2 > 11.0f)
                Blend(p, x, y, Rgb(250, 240, 200),
                      std::min(1.0f, 12.5f - d) * std::min(1.0f, d2 - 11.0f));
            else if (d < 24.0f)
                Blend(p, x, y, Rgb(120, 130, 200), 0.12f * (1.0f - d / 24.0f));
        }
    Skyline(p, 246, 24, Rgb(28, 32, 78), Rgb(130, 130, 170), 0.15f, 77u);
    Skyline(p, 268, 30, Rgb(9, 11, 28), Rgb(255, 214, 120), 0.32f, 1234u);
}

void NightTile(Picture &p)
{
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            float n = TiledNoise((float)x, (float)y, 8, 32, 11u);
            Colour c = Mix(Rgb(10, 16, 48), Rgb(22, 30, 78), n);
            if ((x + y) % 16 == 0) c = Mix(c, Rgb(60, 80, 160), 0.25f);
            Put(p, x, y, c);
        }
    Put(p, 6, 9, Rgb(230, 235, 255));
    Put(p, 23, 4, Rgb(160, 170, 230));
    Put(p, 14, 25, Rgb(200, 210, 255));
    Blend(p, 13, 25, Rgb(200, 210, 255), 0.4f);
    Blend(p, 15, 25, Rgb(200, 210, 255), 0.4f);
    Blend(p, 14, 24, Rgb(200, 210, 255), 0.4f);
    Blend(p, 14, 26, Rgb(200, 210, 255), 0.4f);
    Put(p, 28, 19, Rgb(140, 150, 220));
}

// ---- Neon: a striped sun over a glowing grid ----------------------------------

void NeonBackdrop(Picture &p)
{
    const int horizon = 262;
    VGradient(p, 0, 0, 240, 200, Rgb(0, 0, 0), Rgb(16, 0, 34));
    VGradient(p, 0, 200, 240, horizon - 200, Rgb(16, 0, 34), Rgb(70, 0, 86));
    Stars(p, 60, 200, 0xAB12u);
    for (int y = horizon - 46; y < horizon; y++)
        for (int x = 70; x < 170; x++) {
            float d = std::hypot((float)x - 119.5f, (float)y - (float)horizon);
            if (d > 44.0f) continue;
            int fromBottom = horizon - y;
            if (fromBottom < 26 && fromBottom % 6 < (26 - fromBottom) / 6 + 1) continue;
            float t = (float)(y - (horizon - 44)) / 44.0f;
            Blend(p, x, y, Mix(Rgb(255, 236, 90), Rgb(255, 40, 150), t), std::min(1.0f, 44.0f - d));
        }
    // Far mountains with a lit rim.
    for (int x = 0; x < 240; x++) {
        float h = 10.0f + 14.0f * TiledFractal((float)x, 0.0f, 32, 256, 3, 5u) *
                              (0.6f + 0.4f * std::fabs(std::sin((float)x * 0.031f)));
        int top = horizon - (int)h;
        bool sun = x > 88 && x < 152;
        for (int y = top; y < horizon; y++) {
            if (sun && y < horizon - 6) continue;
            Put(p, x, y, Mix(Rgb(30, 0, 50), Rgb(10, 0, 24), (float)(y - top) / (h + 1.0f)));
        }
        if (!sun) Put(p, x, top, Rgb(255, 60, 200));
    }
    VGradient(p, 0, horizon, 240, 320 - horizon, Rgb(24, 0, 40), Rgb(6, 0, 14));
    for (int k = 0; k < 12; k++) {
        int y = horizon + 1 + (int)((float)(k * k) * 0.45f + (float)k * 0.8f);
        if (y >= 320) break;
        float b = 0.35f + 0.65f * (float)(y - horizon) / 58.0f;
        for (int x = 0; x < 240; x++) Blend(p, x, y, Rgb(255, 30, 210), b);
    }
    for (int k = -10; k <= 10; k++) {
        float xb = 120.0f + (float)k * 34.0f;
        for (int y = horizon + 1; y < 320; y++) {
            float t = (float)(y - horizon) / 58.0f;
            float x = 120.0f + (xb - 120.0f) * t;
            Blend(p, (int)x, y, Rgb(255, 30, 210), 0.35f + 0.6f * t);
        }
    }
    for (int x = 0; x < 240; x++) Put(p, x, horizon, Rgb(255, 150, 240));
}

void NeonTile(Picture &p)
{
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            Colour c = Rgb(6, 0, 14);
            if (x == 0 || y == 0)
                c = Rgb(110, 0, 120);
            else if (x == 1 || y == 1 || x == 31 || y == 31)
                c = Rgb(34, 0, 46);
            if (x == 16 && y == 16) c = Rgb(0, 200, 230);
            if ((x == 15 || x == 17) && y == 16) c = Rgb(0, 70, 100);
            if ((y == 15 || y == 17) && x == 16) c = Rgb(0, 70, 100);
            Put(p, x, y, c);
        }
}

// ---- Wood: planks, a carved panel and a brass plate ------------------------------

static Colour WoodAt(int x, int y, int plank)
{
    float n = TiledFractal((float)x * 0.5f, (float)y * 0.08f, 16, 256, 3, 31u + (uint32_t)plank);
    float g = std::sin(((float)x + 22.0f * n + (float)plank * 7.0f) * 0.9f);
    Colour base = Mix(Rgb(128, 78, 38), Rgb(160, 102, 52), (float)((plank * 37) % 5) / 4.0f);
    return Scale(base, 0.8f + 0.1f * g + 0.16f * n);
}

void WoodBackdrop(Picture &p)
{
    for (int y = 0; y < 320; y++)
        for (int x = 0; x < 240; x++) {
            int plank = (x + 4) / 40;
            Colour c = WoodAt(x, y, plank);
            int u = (x + 4) % 40;
            if (u == 0) c = Scale(c, 0.35f);
            if (u == 1) c = Scale(c, 1.25f);
            Put(p, x, y, c);
        }
    // Knots.
    static const int knots[2][2] = {{213, 90}, {222, 14}};
    for (const int *k : knots)
        for (int y = k[1] - 8; y <= k[1] + 8; y++)
            for (int x = k[0] - 5; x <= k[0] + 5; x++) {
                float d = std::hypot(((float)x - (float)k[0]) * 1.6f, (float)y - (float)k[1]);
                if (d < 8.0f) {
                    float ring = 0.75f + 0.25f * std::sin(d * 2.2f);
                    Put(p, x, y, Scale(Get(p, x, y), ring * (0.7f + 0.04f * d)));
                }
            }
    // The carved panel with the brass name plate.
    BevelBox(p, 6, 232, 228, 82, Rgb(118, 72, 36), -2);
    for (int y = 234; y < 312; y++)
        for (int x = 8; x < 232; x++) Put(p, x, y, Scale(WoodAt(x, y, 9), 0.78f));
    DropShadow(p, 58, 250, 124, 44, 4, 0.6f);
    for (int y = 250; y < 294; y++)
        for (int x = 58; x < 182; x++) {
            float t = (float)(y - 250) / 43.0f;
            Colour c = Mix(Rgb(250, 215, 120), Rgb(170, 120, 40), t);
            c = Scale(c, 0.95f + 0.08f * std::sin((float)(x * 3 + y) * 0.7f));
            if (x == 58 || y == 250) c = Rgb(255, 240, 180);
            if (x == 181 || y == 293) c = Rgb(110, 70, 20);
            Put(p, x, y, c);
        }
    static const int screws[4][2] = {{63, 255}, {176, 255}, {63, 288}, {176, 288}};
    for (const int *s : screws) {
        Disc(p, (float)s[0] + 0.5f, (float)s[1] + 0.5f, 2.5f, Rgb(120, 80, 20));
        Line(p, s[0] - 1, s[1] + 1, s[0] + 1, s[1] - 1, Rgb(70, 40, 10));
    }
    TextStyle s = HeadingStyle(Rgb(90, 50, 14), Rgb(60, 32, 8));
    s.outline = Clear;
    s.shadow = Rgb(255, 235, 170);
    s.shadowDx = 1;
    s.shadowDy = 1;
    s.scale = 3;
    DrawTextCentred(p, 120, 259, "ZUX", s);
}

void WoodTile(Picture &p)
{
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            float n = TiledFractal((float)x, (float)y, 8, 32, 2, 44u);
            float g = std::sin(2.0f * Pi * ((float)x / 16.0f) + 3.0f * n);
            Colour c = Scale(Rgb(120, 74, 36), 0.72f + 0.1f * g + 0.15f * n);
            if (x == 0) c = Scale(c, 0.45f);
            if (x == 1) c = Scale(c, 1.2f);
            Put(p, x, y, c);
        }
}

// ---- Ice: frosted sky, snowflakes, glaciers over dark water ------------------

static void Snowflake(Picture &p, float cx, float cy, float r, float a)
{
    for (int k = 0; k < 6; k++) {
        float ang = (float)k * Pi / 3.0f;
        float ex = std::cos(ang), ey = std::sin(ang);
        for (float t = 0.0f; t <= r; t += 0.5f)
            Blend(p, (int)(cx + ex * t), (int)(cy + ey * t), Rgb(255, 255, 255), a);
        float bx = cx + ex * r * 0.55f, by = cy + ey * r * 0.55f;
        for (int side = -1; side <= 1; side += 2) {
            float ba = ang + (float)side * 0.8f;
            for (float t = 0.0f; t <= r * 0.35f; t += 0.5f)
                Blend(p, (int)(bx + std::cos(ba) * t), (int)(by + std::sin(ba) * t),
                      Rgb(255, 255, 255), a * 0.8f);
        }
    }
}

void IceBackdrop(Picture &p)
{
    for (int y = 0; y < 320; y++)
        for (int x = 0; x < 240; x++) {
            float n = TiledFractal((float)x, (float)y, 32, 256, 4, 9u);
            Colour c = Mix(Rgb(196, 230, 252), Rgb(110, 168, 228), (float)y / 300.0f);
            Put(p, x, y, Mix(c, Rgb(255, 255, 255), 0.25f * n));
        }
    Lcg g{0x1CEu};
    // Snowflakes only where the board and the boxes leave the sky free.
    for (int k = 0; k < 10;) {
        int x = RandomRange(&g, 0, 239), y = RandomRange(&g, 0, 236);
        bool free = (x >= 196 && (y < 22 || (y > 48 && y < 126) || y > 216)) || y > 226;
        if (!free) continue;
        Snowflake(p, (float)x, (float)y, 3.0f + 4.0f * RandomUnit(&g),
                  0.45f + 0.4f * RandomUnit(&g));
        k++;
    }
    // Glacier peaks: lit west faces, shaded east faces.
    static const int peaks[6][2] = {{10, 250},  {56, 232},  {100, 258},
                                    {148, 236}, {196, 254}, {236, 240}};
    for (int x = 0; x < 240; x++) {
        float best = 320.0f;
        int which = 0;
        for (int k = 0; k < 6; k++) {
            float h = (float)peaks[k][1] + std::fabs((float)(x - peaks[k][0])) * 1.05f;
            if (h < best) best = h, which = k;
        }
        bool east = x > peaks[which][0];
        for (int y = (int)best; y < 300; y++) {
            float t = (float)(y - (int)best) / 60.0f;
            Colour c = east ? Mix(Rgb(160, 195, 235), Rgb(110, 150, 210), t)
                            : Mix(Rgb(250, 253, 255), Rgb(190, 220, 245), t);
            Put(p, x, y, c);
        }
        Put(p, x, (int)best, Rgb(255, 255, 255));
    }
    for (int y = 298; y < 320; y++)
        for (int x = 0; x < 240; x++) {
            Colour c = Mix(Rgb(30, 80, 140), Rgb(10, 40, 90), (float)(y - 298) / 21.0f);
            if ((x * 7 + y * 13) % 29 == 0 || ((x + y * 5) % 37 < 2 && y % 3 == 0))
                c = Mix(c, Rgb(200, 230, 255), 0.5f);
            Put(p, x, y, c);
        }
}

void IceTile(Picture &p)
{
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            float n = TiledFractal((float)x, (float)y, 16, 32, 3, 21u);
            Put(p, x, y, Mix(Rgb(70, 120, 180), Rgb(150, 200, 240), n));
        }
    Snowflake(p, 16.0f, 16.0f, 5.0f, 0.7f);
}

// ---- Lava: cracked basalt over a molten lake ------------------------------------

static Colour RockAt(int x, int y, int period)
{
    float n = TiledFractal((float)x, (float)y, period / 8, period, 4, 61u);
    Colour c = Mix(Rgb(26, 18, 18), Rgb(76, 60, 54), n);
    float m = TiledFractal((float)x, (float)y, period / 4, period, 3, 62u);
    float d = std::fabs(m - 0.5f);
    if (d < 0.03f) {
        float t = 1.0f - d / 0.03f;
        c = Mix(c, Rgb(255, 110, 10), t);
        if (t > 0.7f) c = Mix(c, Rgb(255, 220, 110), (t - 0.7f) / 0.3f);
    } else if (d < 0.06f) {
        c = Mix(c, Rgb(140, 30, 0), 0.5f * (1.0f - (d - 0.03f) / 0.03f));
    }
    return c;
}

void LavaBackdrop(Picture &p)
{
    for (int y = 0; y < 320; y++)
        for (int x = 0; x < 240; x++) Put(p, x, y, RockAt(x, y, 256));
    for (int y = 276; y < 320; y++)
        for (int x = 0; x < 240; x++) {
            float v = TiledFractal((float)x * 0.6f, (float)y * 2.0f, 32, 256, 3, 63u);
            Colour c = Mix(Rgb(190, 30, 0), Rgb(255, 210, 70), v);
            if (v < 0.38f) c = Mix(Rgb(40, 16, 10), c, (v - 0.3f) / 0.08f);
            Put(p, x, y, c);
        }
    // A foreground ridge of rock with glowing tops.
    for (int x = 0; x < 240; x++) {
        float h = 20.0f * TiledFractal((float)x, 5.0f, 32, 256, 3, 64u);
        int top = 262 + (int)h;
        for (int y = top; y < 286 + (int)(h * 0.3f); y++)
            Put(p, x, y, Mix(Rgb(40, 24, 20), Rgb(14, 8, 8), (float)(y - top) / 20.0f));
        Put(p, x, top, Rgb(255, 150, 40));
        Put(p, x, top + 1, Rgb(160, 60, 10));
    }
    static const int bubbles[5][3] = {
        {40, 300, 3}, {92, 309, 2}, {150, 296, 4}, {204, 306, 3}, {120, 315, 2}};
    for (const int *b : bubbles) {
        Disc(p, (float)b[0], (float)b[1], (float)b[2], Rgb(255, 240, 160));
        Disc(p, (float)b[0] - 0.5f, (float)b[1] - 0.5f, (float)b[2] * 0.5f, Rgb(255, 255, 230));
    }
}

void LavaTile(Picture &p)
{
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) Put(p, x, y, RockAt(x, y, 32));
}

// ---- Pocket: a green screen above the handheld's body -----------------------------

void LcdBackdrop(Picture &p)
{
    const Colour *s = LcdShades;
    for (int y = 0; y < 228; y++)
        for (int x = 0; x < 240; x++) Put(p, x, y, (x % 3 == 2 && y % 3 == 2) ? s[2] : s[3]);
    FillRect(p, 0, 228, 240, 3, s[0]);
    VGradient(p, 0, 231, 240, 89, s[1], Scale(s[1], 0.8f));
    for (int x = 0; x < 240; x++) Put(p, x, 231, Mix(s[1], s[2], 0.5f));
    // Direction pad in a ring.
    Disc(p, 44.5f, 276.5f, 22.0f, s[0]);
    Disc(p, 44.5f, 276.5f, 20.0f, s[1]);
    FillRect(p, 38, 258, 13, 37, s[0]);
    FillRect(p, 26, 270, 37, 13, s[0]);
    Line(p, 39, 259, 49, 259, s[2]);
    Line(p, 27, 271, 37, 271, s[2]);
    Disc(p, 44.5f, 276.5f, 2.5f, s[1]);
    // A and B.
    Disc(p, 212.0f, 262.0f, 11.0f, s[0]);
    Disc(p, 184.0f, 276.0f, 11.0f, s[0]);
    Disc(p, 209.0f, 258.0f, 3.5f, s[1]);
    Disc(p, 181.0f, 272.0f, 3.5f, s[1]);
    TextStyle label = LabelStyle(s[0], Clear);
    DrawText(p, 210, 276, "A", label);
    DrawText(p, 182, 290, "B", label);
    // Select and start, and the speaker.
    RoundRect(p, 92, 300, 20, 6, 3, s[0]);
    RoundRect(p, 124, 300, 20, 6, 3, s[0]);
    for (int k = 0; k < 5; k++) Line(p, 196 + 7 * k, 316, 210 + 7 * k, 298, s[0]);
    TextStyle logo = HeadingStyle(s[3], s[2]);
    logo.outline = s[0];
    logo.shadow = Clear;
    DrawTextCentred(p, 118, 246, "ZUX", logo);
    DrawTextCentred(p, 118, 266, "POCKET", LabelStyle(s[0], Clear));
}

void LcdTile(Picture &p)
{
    const Colour *s = LcdShades;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            Colour c = s[2];
            int cx = x % 16, cy = y % 16;
            if (cx >= 5 && cx <= 10 && cy >= 5 && cy <= 10) c = (cx == 5 || cy == 5) ? s[3] : s[1];
            if (cx == 10 || cy == 10) {
                if (cx >= 5 && cx <= 10 && cy >= 5 && cy <= 10) c = s[0];
            }
            Put(p, x, y, c);
        }
}
