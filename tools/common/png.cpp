// A small PNG writer: RGB, 8 bits a channel, deflate with stored blocks, so it
// needs no compression library.
#include "tools/common/png.h"

#include <cstdio>
#include <vector>

void WidenPixel(uint16_t pixel, uint8_t rgb[3])
{
    unsigned r5 = pixel >> 11, g6 = (pixel >> 5) & 63, b5 = pixel & 31;
    rgb[0] = (uint8_t)(r5 << 3 | r5 >> 2);
    rgb[1] = (uint8_t)(g6 << 2 | g6 >> 4);
    rgb[2] = (uint8_t)(b5 << 3 | b5 >> 2);
}

static uint32_t Crc32(const uint8_t *data, size_t n, uint32_t crc = 0)
{
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    crc = ~crc;
    for (size_t i = 0; i < n; i++) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

static void Put32(std::vector<uint8_t> &out, uint32_t v)
{
    out.push_back((uint8_t)(v >> 24));
    out.push_back((uint8_t)(v >> 16));
    out.push_back((uint8_t)(v >> 8));
    out.push_back((uint8_t)v);
}

static void PutChunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data)
{
    Put32(out, (uint32_t)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, Crc32(out.data() + start, out.size() - start));
}

// The filtered rows raw (one 0 filter byte before each row) as a PNG of the
// given colour type: 2 for RGB, 6 for RGBA.
static std::vector<uint8_t> EncodeRows(const std::vector<uint8_t> &raw, int width, int height,
                                       uint8_t colourType)
{
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back((uint8_t)n);
        z.push_back((uint8_t)(n >> 8));
        z.push_back((uint8_t)~n);
        z.push_back((uint8_t)(~n >> 8));
        z.insert(z.end(), raw.begin() + (long)pos, raw.begin() + (long)(pos + n));
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Put32(z, b << 16 | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    Put32(ihdr, (uint32_t)width);
    Put32(ihdr, (uint32_t)height);
    for (uint8_t b : {(uint8_t)8, colourType, (uint8_t)0, (uint8_t)0, (uint8_t)0})
        ihdr.push_back(b); // 8 bits a channel, no interlace
    PutChunk(png, "IHDR", ihdr);
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});
    return png;
}

static bool WriteRows(const char *path, const std::vector<uint8_t> &raw, int width, int height,
                      uint8_t colourType)
{
    std::vector<uint8_t> png = EncodeRows(raw, width, height, colourType);
    FILE *f = fopen(path, "wb");
    if (!f) return false;
    bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && ok;
}

bool WritePng(const char *path, const uint16_t *pixels, int width, int height)
{
    if (!pixels || width <= 0 || height <= 0) return false;
    std::vector<uint8_t> raw;
    raw.reserve((size_t)height * (1 + 3 * (size_t)width));
    for (int y = 0; y < height; y++) {
        raw.push_back(0); // no filter
        for (int x = 0; x < width; x++) {
            uint8_t rgb[3];
            WidenPixel(pixels[(size_t)y * width + x], rgb);
            raw.insert(raw.end(), rgb, rgb + 3);
        }
    }
    return WriteRows(path, raw, width, height, 2);
}

// The RGBA rows, each led by its filter byte.
static std::vector<uint8_t> RgbaRows(const uint8_t *rgba, int width, int height)
{
    std::vector<uint8_t> raw;
    raw.reserve((size_t)height * (1 + 4 * (size_t)width));
    for (int y = 0; y < height; y++) {
        raw.push_back(0);
        for (size_t i = 0; i < 4 * (size_t)width; i++)
            raw.push_back(rgba[4 * (size_t)y * width + i]);
    }
    return raw;
}

bool WritePngRgba(const char *path, const uint8_t *rgba, int width, int height)
{
    if (!rgba || width <= 0 || height <= 0) return false;
    return WriteRows(path, RgbaRows(rgba, width, height), width, height, 6);
}

std::vector<uint8_t> EncodePngRgba(const uint8_t *rgba, int width, int height)
{
    if (!rgba || width <= 0 || height <= 0) return {};
    return EncodeRows(RgbaRows(rgba, width, height), width, height, 6);
}
