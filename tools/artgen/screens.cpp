// Screen mock-ups: the generated pictures, decoded by the game's decoder, put
// together at the places the game draws them (board, head-up display, banners,
// menu pages, score screens, intro), so the art can be judged in place.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/artgen/art.h"
#include "tools/artgen/font.h"
#include "tools/artgen/sheet.h"
#include "tools/artgen/tga_write.h"
#include "tools/common/png.h"

enum { W = 240, H = 320 };

struct Screen {
    std::vector<uint16_t> px = std::vector<uint16_t>(W * H, 0);
    std::string title;
};

// Pictures by name, decoded once and freed when the mock-ups are written.
static std::vector<std::pair<std::string, Image *>> Decoded;

static Image *Pic(const char *name)
{
    std::vector<std::pair<std::string, Image *>> &cache = Decoded;
    for (auto &c : cache)
        if (c.first == name) return c.second;
    Image *im = GeneratedImage(name);
    cache.push_back({name, im});
    return im;
}

static void Draw(Screen &s, const Image *im, int x, int y, bool keyed, int l = 0, int t = 0,
                 int r = -1, int b = -1)
{
    if (!im) return;
    if (r < 0) r = im->width;
    if (b < 0) b = im->height;
    for (int j = t; j < b; j++)
        for (int i = l; i < r; i++) {
            int dx = x + i - l, dy = y + j - t;
            uint16_t v = im->pixels[j * im->width + i];
            if (dx < 0 || dy < 0 || dx >= W || dy >= H || (keyed && v == 0)) continue;
            s.px[dy * W + dx] = v;
        }
}

static void Framed(Screen &s, const Image *im, int x, int y, uint16_t colour)
{
    Draw(s, im, x, y, false);
    for (int i = 0; i < im->width; i++)
        s.px[y * W + x + i] = s.px[(y + im->height - 1) * W + x + i] = colour;
    for (int j = 0; j < im->height; j++)
        s.px[(y + j) * W + x] = s.px[(y + j) * W + x + im->width - 1] = colour;
}

static void AddGrey(Screen &s, const Image *im, int x, int y, int bias)
{
    for (int j = 0; j < im->height; j++)
        for (int i = 0; i < im->width; i++) {
            int dx = x + i, dy = y + j;
            uint16_t v = im->pixels[j * im->width + i];
            if (v == 0 || dx < 0 || dy < 0 || dx >= W || dy >= H) continue;
            int level = (s.px[dy * W + dx] >> 11) + (v >> 11) + bias;
            level = level < 0 ? 0 : (level > 31 ? 31 : level);
            s.px[dy * W + dx] = (uint16_t)(level * 2113);
        }
}

static void Digits(Screen &s, int value, int count, int x, int y)
{
    for (int k = 0; k < count; k++) {
        int div = 1;
        for (int m = 0; m < count - 1 - k; m++) div *= 10;
        int d = value / div % 10;
        Draw(s, Pic("Numeric.tga"), x + 7 * k, y, true, 7 * d, 0, 7 * d + 7, 9);
    }
}

// ---- The game screen -----------------------------------------------------------

static const char *const PieceRows[7][4] = {
    {".1..", ".1..", ".1..", ".1.."}, {"....", ".22.", ".22.", "...."},
    {".3..", "333.", "....", "...."}, {".4..", ".4..", ".44.", "...."},
    {".5..", ".5..", "55..", "...."}, {"..6.", ".66.", ".6..", "...."},
    {".7..", ".77.", "..7.", "...."},
};
static const int PreviewAt[7][2] = {{138, 14}, {133, 14}, {138, 25}, {133, 20},
                                    {144, 20}, {133, 20}, {133, 20}};

static std::string SkinFile(int skin, const char *what)
{
    return "Skin" + std::to_string(skin + 1) + what + ".tga";
}

// The board's settled cells (0 empty, 1..7 colours) of a mid-game position.
static void BoardCells(int cells[20][10])
{
    Lcg g{42u};
    for (int r = 0; r < 20; r++)
        for (int c = 0; c < 10; c++) {
            int height = 13 + (c * 7 % 5);
            cells[r][c] = r >= height && RandomRange(&g, 0, 9) > 0 ? RandomRange(&g, 1, 7) : 0;
        }
    for (int c = 0; c < 10; c++) cells[19][c] = c == 6 ? 0 : 1 + c % 7;
}

static void GameScene(Screen &s, int skin, int nextType)
{
    Draw(s, Pic(SkinFile(skin, "Background").c_str()), 0, 0, false);
    int cells[20][10];
    BoardCells(cells);
    for (int r = 0; r < 20; r++)
        for (int c = 0; c < 10; c++)
            if (cells[r][c])
                Draw(s, Pic(SkinFile(skin, ("Item" + std::to_string(cells[r][c])).c_str()).c_str()),
                     11 + 11 * c, 11 * r, true);
    // The falling piece (a T) and the preview of the next piece.
    static const int t[4][2] = {{5, 4}, {4, 5}, {5, 5}, {6, 5}};
    for (const int *c : t)
        Draw(s, Pic(SkinFile(skin, "Item3").c_str()), 11 + 11 * c[0], 11 * c[1], true);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            if (PieceRows[nextType - 1][r][c] != '.')
                Draw(s, Pic(SkinFile(skin, ("Item" + std::to_string(nextType)).c_str()).c_str()),
                     PreviewAt[nextType - 1][0] + 11 * c, PreviewAt[nextType - 1][1] + 11 * r,
                     true);
    Digits(s, 7 + skin, 2, 160, 139);
    Digits(s, 42 + skin * 13, 4, 146, 171);
    Digits(s, 12345 + skin * 11111, 6, 132, 203);
}

// ---- Score screens -------------------------------------------------------------

static void Police(Screen &s, int cell, int x, int y)
{
    if (cell >= 42) return; // the blank letter has no cell: nothing is drawn
    Draw(s, Pic("HSPolice.tga"), x, y, true, 20 * cell, 0, 20 * cell + 20, 20);
}

static void TableScreen(Screen &s, int animTicks)
{
    static int8_t warp[4][H][2 * W];
    static float cosTable[360];
    const double k = 0.017453293005625408;
    for (int i = 0; i < 360; i++) cosTable[i] = (float)std::cos(i * k);
    auto mod360 = [](int v) { return ((v % 360) + 360) % 360; };
    for (int y = 0; y < H; y++)
        for (int x = 0; x < 2 * W; x++) {
            float fx = (float)x, fy = (float)y;
            warp[0][y][x] =
                (int8_t)(int)((cosTable[mod360(((x * y) / 2) / 10 - y / 2 + x)] * fy) * 0.1f + fx);
            warp[1][y][x] = (int8_t)((y / 4 + x / 2 + 10) / 2);
            warp[2][y][x] = (int8_t)(int)((cosTable[mod360(y / 4 + x / 2)] + 1.0f) * fx);
            warp[3][y][x] =
                (int8_t)(int)((cosTable[x % 360] / (float)(x + 1)) * (float)(-(x / 4)) + fy);
        }
    double th = 2.0 * animTicks * k;
    float sn = (float)std::sin(th), cs = (float)std::cos(th);
    int p = (int)((sn * cs + 1.0f) * 88.0f), q = (int)((sn + 1.0f) * 88.0f);
    const Image *tex = Pic("HSBackground.tga");
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int n = ((warp[1][y][x + p] + warp[3][y][x + q]) * 128 +
                     (warp[0][y][x + p] + warp[2][y][x + q])) &
                    0x3FFF;
            s.px[y * W + x] = tex->pixels[n];
        }
    Draw(s, Pic("HSTitle.tga"), 0, 0, true);
    Draw(s, Pic("HSVorpel.tga"), 0, 75, true);
    Draw(s, Pic("MenuTypeB.tga"), 16, 40, true);
    static const int names[5][3] = {
        {25, 20, 23}, {0, 1, 2}, {9, 14, 4}, {39, 36, 38}, {42, 42, 42}};
    static const int scores[5] = {1100, 1000, 900, 800, 700}, levels[5] = {15, 13, 11, 9, 7};
    for (int i = 0; i < 5; i++) {
        int y = 90 + 20 * i;
        for (int j = 0; j < 3; j++) Police(s, names[i][j], 5 + 14 * j, y);
        for (int d = 0, div = 100000; d < 6; d++, div /= 10)
            Police(s, 26 + scores[i] / div % 10, 54 + 12 * d, y);
        Police(s, 26 + levels[i] / 10 % 10, 135, y);
        Police(s, 26 + levels[i] % 10, 147, y);
    }
}

static void NameEntryScreen(Screen &s)
{
    const Image *tex = Pic("HSBackground.tga");
    int o = 37;
    for (int k = 0; k < 6; k++) Draw(s, tex, 128 * (k % 2), 128 * (k / 2) - o, false);
    Draw(s, Pic("HSEnter.tga"), 0, 0, true);
    Draw(s, Pic("HSName.tga"), 53, 185, true);
    for (int r = 0; r < 7; r++)
        for (int c = 0; c < 6; c++) Police(s, r * 6 + c, 28 * c + 6, 20 * r + 40);
    Draw(s, Pic("HSCursor.tga"), 28 * 3 + 6, 20 * 2 + 40, true);
    static const int entered[2] = {25, 20};
    for (int j = 0; j < 2; j++) Police(s, entered[j], 55 + 20 * j, 187);
}

// ---- Menu ------------------------------------------------------------------------

static void MenuPage(Screen &s, int skin, const char *const *entries, const int *ys, int count,
                     int selected)
{
    const Image *tile = Pic(SkinFile(skin, "BackgroundMenu").c_str());
    for (int ty = 0; ty < H + 32; ty += 32)
        for (int tx = 0; tx < W + 32; tx += 32) Draw(s, tile, tx - 9, ty - 5, false);
    Draw(s, Pic("MenuTitle.tga"), 0, 0, true);
    Draw(s, Pic("MenuStudioT.tga"), 16, 195, true);
    for (int i = 0; i < count; i++) {
        if (i == selected)
            Framed(s, Pic(entries[i]), 16, ys[i], (uint16_t)(24 * 2113));
        else
            Draw(s, Pic(entries[i]), 16, ys[i], false);
    }
}

// ---- Intro -------------------------------------------------------------------------

static void RevealScreen(Screen &s, int frame)
{
    int r = 3 * frame / 2;
    Draw(s, Pic("AGameBy.tga"), 0, 65, true, 0, 0, r, 9);
    Draw(s, Pic("TarnveldixStudio.tga"), 174 - r, 146, true, 174 - r, 0, 174, 9);
    Lcg g{7u};
    for (int k = 0; k < 120; k++) {
        int e = k % 2;
        float age = RandomUnit(&g) * 40.0f;
        float vx = (float)(RandomRange(&g, 0, 14) - 7) * 0.1f,
              vy = -(float)RandomRange(&g, 0, 29) * 0.1f;
        float grav = (float)(RandomRange(&g, 0, 9) + 5) * 0.02f;
        float x = (float)(e ? 170 - r : r - 4) + vx * age,
              y = (float)(e ? 147 : 66) + vy * age + grav * age * age / 2.0f;
        AddGrey(s, Pic("Sparks.tga"), (int)x, (int)y, 0);
    }
    AddGrey(s, Pic("Glow.tga"), r - 15, 54, 3);
    AddGrey(s, Pic("Glow.tga"), 159 - r, 135, -1);
}

static void BumpScreen(Screen &s, int angle, int light)
{
    std::vector<uint8_t> height(W * H), source(256 * 256);
    Image *fond = GeneratedImage("Bump-FondS.tga"), *src = GeneratedImage("Bump-SourceS.tga");
    Image *pic = GeneratedImage("Bump-picS.tga");
    for (int i = 0; i < W * H; i++) height[i] = (uint8_t)((fond->pixels[i] >> 11) & 31);
    for (int i = 0; i < 256 * 256; i++) source[i] = (uint8_t)((src->pixels[i] >> 5) & 63);
    auto h = [&](int x, int y) { return (int)height[y * W + x]; };
    int lx = W / 2 - (int)(std::cos((angle / 6) * 0.017453293005625408) * -60.0);
    int ly = H / 2 - (int)(std::sin((angle / 5) * 0.017453293005625408) * -20.0);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            uint16_t out = 0;
            int dx = lx - x, dy = ly - y;
            bool inside = x >= 7 && y >= 7 && x < W - 6 && y < H - 6;
            if (dx * dx + dy * dy <= 4096 && inside && !(x > W - 7 || y > H - 7)) {
                int gx = 2 * (h(x + 5, y) - h(x - 7, y)), gy = 2 * (h(x, y + 5) - h(x, y - 7));
                int cx = 128 + dx + gx, cy = 128 + dy + gy;
                int I = cx >= 0 && cy >= 0 && cx < 256 && cy < 256 ? source[cy * 256 + cx] : 0;
                int D = light + 52 - I;
                uint16_t p = pic->pixels[y * W + x];
                int red = (p >> 11) - (D >> 1), green = ((p >> 5) & 63) - D,
                    blue = (p & 31) - (D >> 1);
                red = red < 0 ? 0 : (red > 31 ? 31 : red);
                green = green < 0 ? 0 : (green > 63 ? 63 : green);
                blue = blue < 0 ? 0 : (blue > 31 ? 31 : blue);
                out = (uint16_t)(red << 11 | green << 5 | blue);
            }
            s.px[y * W + x] = out;
        }
    Draw(s, Pic("AGameBy.tga"), 0, 65, true);
    Draw(s, Pic("TarnveldixStudio.tga"), 0, 146, true);
    FreeGeneratedImage(fond);
    FreeGeneratedImage(src);
    FreeGeneratedImage(pic);
}

bool WriteScreens(const char *path)
{
    std::vector<Screen> screens;
    auto add = [&screens](const char *title) {
        screens.emplace_back();
        screens.back().title = title;
        return &screens.back();
    };
    Draw(*add("loading"), Pic("Loading.tga"), 0, 103, true);
    for (int skin = 0; skin < 6; skin++)
        GameScene(*add(("game, skin " + std::to_string(skin + 1)).c_str()), skin,
                  1 + (skin * 3) % 7);
    {
        Screen *s = add("paused");
        Draw(*s, Pic("Skin2Background.tga"), 0, 0, false);
        Draw(*s, Pic("Paused.tga"), 30, 104, true);
    }
    {
        Screen *s = add("get ready, mid-wave");
        GameScene(*s, 2, 4);
        for (int i = 0; i < 32; i++) {
            int y = 94 + (i % 2 ? -1 : 1) * (int)(std::cos(16.0 * (9 + i % 5) * 0.0174533) * 14.0);
            Draw(*s, Pic("GetReady.tga"), 24 + 4 * i, y, true, 4 * i, 0, 4 * i + 4, 31);
        }
    }
    {
        Screen *s = add("level completed");
        GameScene(*s, 3, 5);
        Draw(*s, Pic("LevelCompleted.tga"), 8, 94, true);
    }
    {
        Screen *s = add("light 3, row destroyed");
        GameScene(*s, 4, 6);
        for (int r = 13; r < 19; r++)
            for (int c = 0; c < 10; c++) {
                int x = 11 + 11 * c, y = 11 * r;
                const Image *l = Pic("Light3.tga");
                for (int j = 0; j < 11; j++)
                    for (int i = 0; i < 11; i++) {
                        uint16_t sp = l->pixels[j * 11 + i], &d = s->px[(y + j) * W + x + i];
                        if (sp & d) d = sp;
                    }
            }
        for (int c = 0; c < 10; c++) {
            std::string dest = "Dest" + std::to_string(2 + c / 3);
            const Image *f = Pic(SkinFile(4, dest.c_str()).c_str());
            // Opaque into the canvas: its transparent pixels show the well.
            const Image *bg = Pic("Skin5Background.tga");
            for (int j = 0; j < 11; j++)
                for (int i = 0; i < 11; i++) {
                    int x = 11 + 11 * c + i, y = 11 * 19 + j;
                    uint16_t v = f->pixels[j * 11 + i];
                    s->px[y * W + x] = v ? v : bg->pixels[y * W + x];
                }
        }
    }
    {
        Screen *s = add("game over");
        Draw(*s, Pic("GameOver.tga"), 0, 95, false);
        Digits(*s, 12, 2, 85, 124);
        Digits(*s, 123, 4, 85, 138);
        Digits(*s, 45678, 6, 85, 153);
    }
    static const char *const mainPage[] = {"MenuContinue.tga", "MenuNew.tga",     "MenuSkins.tga",
                                           "MenuOptions.tga",  "MenuCredits.tga", "MenuQuit.tga"};
    static const int mainY[] = {60, 83, 106, 129, 152, 175};
    MenuPage(*add("menu, skin 1 tile"), 0, mainPage, mainY, 6, 1);
    static const char *const typePage[] = {"MenuTypeA.tga", "MenuTypeB.tga", "MenuTypeC.tga",
                                           "MenuTypeD.tga", "MenuBack.tga"};
    static const int typeY[] = {60, 85, 110, 135, 160};
    MenuPage(*add("game types, skin 2 tile"), 1, typePage, typeY, 5, 2);
    static const char *const skinPage[] = {"MenuSkin1.tga", "MenuSkin2.tga", "MenuSkin3.tga",
                                           "MenuSkin4.tga", "MenuSkin5.tga", "MenuSkin6.tga"};
    MenuPage(*add("skins, skin 3 tile"), 2, skinPage, mainY, 6, 0);
    static const char *const optionPage[] = {"MenuSoundOn.tga", "MenuDropOff.tga",
                                             "MenuControls.tga", "MenuBack.tga"};
    MenuPage(*add("options, skin 4 tile"), 3, optionPage, mainY, 4, 3);
    static const char *const optionPage2[] = {"MenuSoundOff.tga", "MenuDropOn.tga",
                                              "MenuControls.tga", "MenuBack.tga"};
    MenuPage(*add("options, skin 5 tile"), 4, optionPage2, mainY, 4, 0);
    MenuPage(*add("menu, skin 6 tile"), 5, mainPage, mainY, 6, 5);
    Draw(*add("credits"), Pic("Credits.tga"), 0, 0, false);
    Draw(*add("controls"), Pic("Controls.tga"), 0, 0, false);
    NameEntryScreen(*add("name entry"));
    TableScreen(*add("score table, tick 40"), 40);
    TableScreen(*add("score table, tick 130"), 130);
    RevealScreen(*add("intro reveal, tick 70"), 70);
    BumpScreen(*add("intro light, full"), 400, -11);
    BumpScreen(*add("intro light, half"), 2300, 20);

    const int cols = 6, cellW = W + 10, cellH = H + 22;
    int rows = ((int)screens.size() + cols - 1) / cols;
    Picture sheet = NewPicture(cols * cellW + 10, rows * cellH + 10, Rgb(52, 54, 62));
    for (size_t n = 0; n < screens.size(); n++) {
        int x0 = 10 + (int)(n % cols) * cellW, y0 = 10 + (int)(n / cols) * cellH;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++)
                Put(sheet, x0 + x, y0 + y, FromDisplay(screens[n].px[y * W + x]));
        DrawText(sheet, x0, y0 + H + 3, screens[n].title.c_str(),
                 LabelStyle(Rgb(230, 230, 240), Clear));
    }
    for (auto &c : Decoded) FreeGeneratedImage(c.second);
    Decoded.clear();
    std::vector<uint16_t> out(sheet.px.size());
    for (size_t i = 0; i < out.size(); i++) out[i] = DisplayPixel(sheet.px[i]);
    return WritePng(path, out.data(), sheet.w, sheet.h);
}
