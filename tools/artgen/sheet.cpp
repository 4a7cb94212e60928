// The contact sheet: every generated picture, decoded by the game's TGA decoder,
// laid out in rows with its name and size. Transparent pixels (value 0) show as
// a dark checkerboard; small pictures are enlarged so their pixels can be seen.
#include "tools/artgen/sheet.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "res/tga.h"
#include "tools/artgen/art.h"
#include "tools/artgen/font.h"
#include "tools/artgen/tga_write.h"
#include "tools/common/png.h"

Colour FromDisplay(uint16_t pixel)
{
    uint8_t rgb[3];
    WidenPixel(pixel, rgb);
    return Rgb(rgb[0], rgb[1], rgb[2]);
}

Image *GeneratedImage(const char *name)
{
    for (int i = 0; i < ArtCount; i++) {
        const ArtEntry &e = ArtTable[i];
        if (std::strcmp(e.name, name) != 0 || e.kind == ArtSound) continue;
        std::vector<uint8_t> bytes = ArtFileBytes(e, i);
        if (bytes.empty()) return nullptr;
        if (e.kind != ArtTrueColour) return DecodeImage(bytes.data(), (uint32_t)bytes.size());
        // The intro reads this one as raw blue, green, red bytes.
        TgaInfo tga;
        if (DecodeTga(&tga, bytes.data(), (uint32_t)bytes.size()) != TgaNoError) return nullptr;
        Image *image = (Image *)std::malloc(sizeof(Image));
        if (!image || tga.bytesPerPixel != 3 || !CreateImage(image, tga.width, tga.height)) {
            std::free(image);
            FreeTgaData(&tga);
            return nullptr;
        }
        for (int k = 0; k < tga.width * tga.height; k++) {
            const uint8_t *b = tga.data + 3 * k;
            image->pixels[k] = DisplayPixel(Rgb(b[2], b[1], b[0]));
        }
        FreeTgaData(&tga);
        return image;
    }
    return nullptr;
}

void FreeGeneratedImage(Image *image)
{
    if (!image) return;
    FreeImagePixels(image);
    std::free(image);
}

static int Enlargement(const Image *im)
{
    int big = im->width > im->height ? im->width : im->height;
    if (big <= 16) return 5;
    if (big <= 40) return 3;
    if (big <= 130 && im->width <= 300) return 2;
    return 1;
}

struct Placed {
    std::string label;
    Image *image;
    int scale;
    int x, y, w, h; // cell
};

bool WriteContactSheet(const char *path)
{
    const int sheetW = 1280, margin = 8, labelH = 12;
    TextStyle label = LabelStyle(Rgb(230, 230, 240), Clear);
    std::vector<Placed> cells;
    int x = margin, y = margin + 24, rowH = 0;
    bool ok = true;
    for (int i = 0; i < ArtCount; i++) {
        const ArtEntry &e = ArtTable[i];
        if (e.kind == ArtSound) continue;
        Image *im = GeneratedImage(e.name);
        if (!im) {
            std::fprintf(stderr, "zux-artgen: the decoder refuses %s\n", e.name);
            ok = false;
            continue;
        }
        Placed c;
        c.image = im;
        c.scale = Enlargement(im);
        c.label = std::string(e.name) + " " + std::to_string(im->width) + "x" +
                  std::to_string(im->height);
        c.w = std::max(im->width * c.scale, StyledWidth(c.label.c_str(), label)) + margin;
        c.h = im->height * c.scale + labelH + margin;
        if (x + c.w > sheetW) {
            x = margin;
            y += rowH;
            rowH = 0;
        }
        c.x = x;
        c.y = y;
        x += c.w;
        rowH = std::max(rowH, c.h);
        cells.push_back(c);
    }
    int sheetH = y + rowH + margin;
    Picture sheet = NewPicture(sheetW, sheetH, Rgb(52, 54, 62));
    DrawText(sheet, margin, 6,
             "zux art: every picture as the game decodes it (checkerboard = transparent)",
             LabelStyle(Rgb(255, 230, 150), Clear));
    for (const Placed &c : cells) {
        for (int j = 0; j < c.image->height * c.scale; j++)
            for (int i = 0; i < c.image->width * c.scale; i++) {
                uint16_t px = c.image->pixels[(j / c.scale) * c.image->width + i / c.scale];
                Colour col = px ? FromDisplay(px)
                                : (((i / 4 + j / 4) % 2) ? Rgb(30, 30, 34) : Rgb(44, 44, 50));
                Put(sheet, c.x + i, c.y + j, col);
            }
        DrawText(sheet, c.x, c.y + c.image->height * c.scale + 2, c.label.c_str(), label);
        FreeGeneratedImage(c.image);
    }
    std::vector<uint16_t> out(sheet.px.size());
    for (size_t i = 0; i < out.size(); i++) out[i] = DisplayPixel(sheet.px[i]);
    if (!WritePng(path, out.data(), sheetW, sheetH)) {
        std::fprintf(stderr, "zux-artgen: cannot write %s\n", path);
        return false;
    }
    return ok;
}
