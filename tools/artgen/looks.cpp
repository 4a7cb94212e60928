// Shared style pieces: block lettering, game blocks, banner plates, titles.
#include "tools/artgen/looks.h"

const Colour ClassicColours[7] = {
    Rgb(0, 200, 235),  // 1 bar: cyan
    Rgb(245, 210, 0),  // 2 square: yellow
    Rgb(170, 70, 225), // 3 T: purple
    Rgb(250, 140, 0),  // 4 L: orange
    Rgb(40, 95, 245),  // 5 J: blue
    Rgb(60, 205, 65),  // 6 S: green
    Rgb(235, 45, 45),  // 7 Z: red
};

int BlockLettersWidth(const char *text, int block)
{
    Mask m = TextMask(text, 1);
    return m.w * block + 2;
}

int BlockLettersHeight(int block) { return FontCapRows * block + 2; }

void GameBlock(Picture &p, int x, int y, int size, Colour c)
{
    Colour light = Mix(c, Rgb(255, 255, 255), 0.5f);
    Colour dark = Scale(c, 0.55f);
    for (int j = 0; j < size; j++)
        for (int i = 0; i < size; i++) {
            Colour px = Mix(Scale(c, 1.08f), Scale(c, 0.86f), (float)(i + j) / (float)(2 * size));
            if (j == 0 || i == 0) px = light;
            if (j == size - 1 || i == size - 1) px = dark;
            if ((i == 0 && j == size - 1) || (j == 0 && i == size - 1)) px = Mix(light, dark, 0.5f);
            Put(p, x + i, y + j, px);
        }
    if (size >= 6) {
        Put(p, x + 2, y + 2, Mix(c, Rgb(255, 255, 255), 0.8f));
        Put(p, x + 3, y + 2, Mix(c, Rgb(255, 255, 255), 0.55f));
        Put(p, x + 2, y + 3, Mix(c, Rgb(255, 255, 255), 0.55f));
    }
}

void BlockLetters(Picture &p, int x, int y, const char *text, int block, const Colour *colours,
                  int colourCount)
{
    Mask m = TextMask(text, 1);
    // Which letter each mask column belongs to, so every letter gets its colour.
    std::vector<int> letterOf((size_t)m.w, 0);
    int col = 0, letter = 0;
    for (const char *s = text; *s; s++) {
        int w = TextWidth(std::string(1, *s).c_str(), 1);
        for (int k = 0; k < w + 1 && col + k < m.w; k++) letterOf[(size_t)(col + k)] = letter;
        col += w + 1;
        if (*s != ' ') letter++;
    }
    Colour rim = Rgb(12, 10, 20);
    for (int j = 0; j < m.h; j++)
        for (int i = 0; i < m.w; i++)
            if (MaskAt(m, i, j))
                FillRect(p, x + i * block, y + j * block, block + 2, block + 2, rim);
    for (int j = 0; j < m.h; j++)
        for (int i = 0; i < m.w; i++)
            if (MaskAt(m, i, j))
                GameBlock(p, x + 1 + i * block, y + 1 + j * block, block,
                          colours[letterOf[(size_t)i] % colourCount]);
}

void BannerPlate(Picture &p, int x, int y, int w, int h, Colour rim, Colour top, Colour bottom)
{
    RoundRect(p, x, y, w, h, 5, Rgb(8, 8, 14));
    RoundRect(p, x + 1, y + 1, w - 2, h - 2, 4, rim);
    Picture inner = NewPicture(w - 4, h - 4);
    RoundRect(inner, 0, 0, w - 4, h - 4, 3, Rgb(255, 255, 255));
    for (int j = 0; j < inner.h; j++) {
        Colour c = Mix(top, bottom, (float)j / (float)(inner.h - 1));
        for (int i = 0; i < inner.w; i++)
            if (AlphaOf(Get(inner, i, j))) Put(p, x + 2 + i, y + 2 + j, c);
    }
    // A soft sheen along the upper third.
    for (int j = 0; j < inner.h / 3; j++)
        for (int i = 0; i < inner.w; i++)
            if (AlphaOf(Get(inner, i, j))) {
                Colour c = Get(p, x + 2 + i, y + 2 + j);
                Put(p, x + 2 + i, y + 2 + j,
                    Mix(c, Rgb(255, 255, 255), 0.10f * (1.0f - (float)j / (float)(inner.h / 3))));
            }
}

TextStyle TitleStyle(Colour top, Colour bottom)
{
    TextStyle s;
    s.scale = 3;
    s.top = top;
    s.bottom = bottom;
    s.outline = Rgb(16, 10, 24);
    s.shadow = Rgb(4, 4, 8);
    s.shadowDx = 2;
    s.shadowDy = 2;
    s.shine = true;
    return s;
}

TextStyle HeadingStyle(Colour top, Colour bottom)
{
    TextStyle s;
    s.scale = 2;
    s.top = top;
    s.bottom = bottom;
    s.outline = Rgb(16, 10, 24);
    s.shadow = Rgb(4, 4, 8);
    s.shadowDx = 1;
    s.shadowDy = 1;
    return s;
}
