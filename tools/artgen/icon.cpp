// The game's icon: a T piece resting on a full row, built from the first skin's
// item tiles exactly as the game decodes them, at any size. The desktop gets PNGs
// at the usual icon sizes, the web page its three; the game's own window takes a
// TGA from the set.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/artgen/art.h"
#include "tools/artgen/sheet.h"
#include "tools/artgen/skins.h"
#include "tools/common/png.h"

namespace
{

// The icon's 3 x 3 cells, top row first: 0 is empty, otherwise the item colour.
// The T's colour is the game's colour of the T (type 3), the row's that of the bar.
const int IconCells[3][3] = {{0, 3, 0}, {3, 3, 3}, {1, 1, 1}};

// A decoded item tile as a picture: the colours the display shows.
Picture ItemTile(int item)
{
    char name[32];
    std::snprintf(name, sizeof name, "Skin1Item%d.tga", item);
    Picture p;
    Image *im = GeneratedImage(name);
    if (!im) return p;
    p = NewPicture(im->width, im->height);
    for (int i = 0; i < im->width * im->height; i++) p.px[(size_t)i] = FromDisplay(im->pixels[i]);
    FreeGeneratedImage(im);
    return p;
}

// The opaque picture src resized to w x h: first enlarged by a whole factor so
// the tile's pixels stay sharp, then averaged down, each target pixel the mean of
// the area it covers.
Picture Resize(const Picture &src, int w, int h)
{
    int k = (w + src.w - 1) / src.w;
    if ((h + src.h - 1) / src.h > k) k = (h + src.h - 1) / src.h;
    if (k < 1) k = 1;
    double bigW = src.w * k, bigH = src.h * k;
    Picture out = NewPicture(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double x0 = x * bigW / w, x1 = (x + 1) * bigW / w;
            double y0 = y * bigH / h, y1 = (y + 1) * bigH / h;
            double sum[3] = {0, 0, 0}, area = 0;
            for (int by = (int)y0; by < (int)std::ceil(y1); by++)
                for (int bx = (int)x0; bx < (int)std::ceil(x1); bx++) {
                    double cover = (std::fmin(x1, bx + 1.0) - std::fmax(x0, (double)bx)) *
                                   (std::fmin(y1, by + 1.0) - std::fmax(y0, (double)by));
                    Colour c = Get(src, bx / k, by / k);
                    sum[0] += cover * RedOf(c);
                    sum[1] += cover * GreenOf(c);
                    sum[2] += cover * BlueOf(c);
                    area += cover;
                }
            Put(out, x, y,
                Rgb((int)(sum[0] / area + 0.5), (int)(sum[1] / area + 0.5),
                    (int)(sum[2] / area + 0.5)));
        }
    return out;
}

// The picture's pixels as red, green, blue and alpha bytes.
std::vector<uint8_t> RgbaOf(const Picture &p)
{
    std::vector<uint8_t> rgba;
    for (Colour c : p.px)
        for (int b : {RedOf(c), GreenOf(c), BlueOf(c), AlphaOf(c)}) rgba.push_back((uint8_t)b);
    return rgba;
}

void PutLittle(std::vector<uint8_t> &out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

} // namespace

// The icon at size x size; cells split the square as evenly as whole pixels allow.
Picture PaintIcon(int size)
{
    Picture p = NewPicture(size, size);
    for (int row = 0; row < 3; row++)
        for (int col = 0; col < 3; col++) {
            int item = IconCells[row][col];
            if (!item) continue;
            int x0 = col * size / 3, x1 = (col + 1) * size / 3;
            int y0 = row * size / 3, y1 = (row + 1) * size / 3;
            Picture tile = ItemTile(item);
            if (tile.w == 0) return Picture();
            Paste(p, Resize(tile, x1 - x0, y1 - y0), x0, y0);
        }
    return p;
}

// Writes p as an RGBA PNG at path; false, said on standard error, when it cannot.
static bool WritePicture(const Picture &p, const std::string &path)
{
    std::vector<uint8_t> rgba = RgbaOf(p);
    if (WritePngRgba(path.c_str(), rgba.data(), p.w, p.h)) return true;
    std::fprintf(stderr, "zux-artgen: cannot write %s\n", path.c_str());
    return false;
}

bool WriteWebIcons(const char *outDir)
{
    std::string dir = outDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    Plat_MakeFolder(dir.c_str());
    Picture small = PaintIcon(192), big = PaintIcon(512);
    // A maskable icon may be cut to a circle of 80% of its width: the piece fits
    // inside it, on the night skin's well colour (the manifest's background).
    const int MaskSize = 512, Inner = 288;
    Picture mask = NewPicture(MaskSize, MaskSize, SkinThemes[0].well);
    Picture piece = PaintIcon(Inner);
    if (small.w != 192 || big.w != 512 || piece.w != Inner) {
        std::fprintf(stderr, "zux-artgen: the icon's tiles cannot be made\n");
        return false;
    }
    Paste(mask, piece, (MaskSize - Inner) / 2, (MaskSize - Inner) / 2);
    return WritePicture(small, dir + "icon-192.png") && WritePicture(big, dir + "icon-512.png") &&
           WritePicture(mask, dir + "icon-maskable.png");
}

bool WriteIcons(const char *outDir)
{
    static const int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    std::string dir = outDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    Plat_MakeFolder(dir.c_str());
    for (int size : sizes) {
        Picture p = PaintIcon(size);
        if (p.w != size) {
            std::fprintf(stderr, "zux-artgen: the icon's tiles cannot be made\n");
            return false;
        }
        // The hicolor theme's layout, ready to be installed as it is.
        std::string sub = dir + std::to_string(size) + "x" + std::to_string(size);
        Plat_MakeFolder(sub.c_str());
        Plat_MakeFolder((sub + "/apps").c_str());
        if (!WritePicture(p, sub + "/apps/zux.png")) return false;
    }
    return true;
}

bool WriteIco(const char *path)
{
    // Windows' sizes, each image a PNG (read by every Windows since Vista).
    static const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
    const int count = (int)(sizeof sizes / sizeof sizes[0]);
    std::vector<uint8_t> head, body;
    PutLittle(head, 0, 2);
    PutLittle(head, 1, 2); // an icon, not a cursor
    PutLittle(head, (uint32_t)count, 2);
    for (int size : sizes) {
        Picture p = PaintIcon(size);
        if (p.w != size) {
            std::fprintf(stderr, "zux-artgen: the icon's tiles cannot be made\n");
            return false;
        }
        std::vector<uint8_t> rgba = RgbaOf(p);
        std::vector<uint8_t> png = EncodePngRgba(rgba.data(), size, size);
        head.push_back((uint8_t)(size & 255)); // 256 is written 0
        head.push_back((uint8_t)(size & 255));
        head.push_back(0); // no palette
        head.push_back(0);
        PutLittle(head, 1, 2);  // planes
        PutLittle(head, 32, 2); // bits a pixel
        PutLittle(head, (uint32_t)png.size(), 4);
        PutLittle(head, (uint32_t)(6 + 16 * count + body.size()), 4);
        body.insert(body.end(), png.begin(), png.end());
    }
    FILE *f = std::fopen(path, "wb");
    bool ok = f && std::fwrite(head.data(), 1, head.size(), f) == head.size() &&
              std::fwrite(body.data(), 1, body.size(), f) == body.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "zux-artgen: cannot write %s\n", path);
    return ok;
}
