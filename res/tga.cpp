// TGA decoding and the picture loaders. Pictures arrive from "Data.zux" or
// from loose files and are not trusted: every read of the file is checked.
#include "res/tga.h"

#include <cstdlib>
#include <cstring>

#include "platform/screen.h"
#include "res/archive.h"

enum { TgaHeaderSize = 18 };

// 5-bit channel to 8 bits, v * 255 / 31 rounded to the nearest.
static const uint8_t Widen5[32] = {
    0,   8,   16,  25,  33,  41,  49,  58,  66,  74,  82,  90,  99,  107, 115, 123,
    132, 140, 148, 156, 165, 173, 181, 189, 197, 206, 214, 222, 230, 239, 247, 255,
};

const char *TgaStatusText(int status)
{
    switch (status) {
    case TgaNoError: return "No Error";
    case TgaNullPointer: return "Null pointer";
    case TgaCorrupted: return "TGA corrupted";
    default: return "Unknown";
    }
}

static uint16_t ReadWord(const uint8_t *p) { return (uint16_t)(p[0] | (p[1] << 8)); }

// Reads the colour map entries at map into the palette. Entries for indices
// past 255 cannot be looked up by an 8-bit picture and are passed over.
static void ReadColourMap(TgaInfo *tga, const uint8_t *map, uint32_t entryBytes)
{
    int bits = tga->colourMapEntryBits;
    if (bits != 15 && bits != 16 && bits != 24 && bits != 32) return;
    for (uint32_t k = 0; k < tga->colourMapLength; k++) {
        uint32_t index = (uint32_t)tga->colourMapFirst + k;
        if (index > 255) break;
        const uint8_t *entry = map + k * entryBytes;
        uint8_t *colour = tga->palette[index];
        if (bits <= 16) {
            uint16_t c = ReadWord(entry);
            colour[0] = Widen5[(c >> 10) & 31];
            colour[1] = Widen5[(c >> 5) & 31];
            colour[2] = Widen5[c & 31];
        } else {
            colour[0] = entry[2];
            colour[1] = entry[1];
            colour[2] = entry[0];
        }
    }
}

// Unpacks the run-length packets at in (avail bytes) into data, rows stored
// top first whatever the file's order. False when a packet runs past the input.
static bool UnpackRuns(TgaInfo *tga, const uint8_t *in, uint32_t avail)
{
    uint32_t bpp = tga->bytesPerPixel;
    uint32_t rowBytes = tga->rowBytes;
    uint32_t rowPixels = tga->width;
    uint32_t pos = 0;
    uint32_t fileRow = 0, column = 0;
    uint8_t *row = tga->topFirst ? tga->data : tga->data + (size_t)(tga->height - 1) * rowBytes;
    while (fileRow < tga->height) {
        if (pos >= avail) return false;
        uint8_t b = in[pos++];
        uint32_t count = (uint32_t)(b & 0x7F) + 1;
        bool run = (b & 0x80) != 0;
        const uint8_t *pixel = in + pos;
        if (run) {
            if (avail - pos < bpp) return false;
            pos += bpp;
        }
        while (count > 0 && fileRow < tga->height) {
            uint32_t n = rowPixels - column;
            if (n > count) n = count;
            uint8_t *out = row + (size_t)column * bpp;
            if (run) {
                if (bpp == 1) {
                    memset(out, pixel[0], n);
                } else {
                    for (uint32_t i = 0; i < n; i++) memcpy(out + i * bpp, pixel, bpp);
                }
            } else {
                if ((avail - pos) / bpp < n) return false;
                memcpy(out, in + pos, (size_t)n * bpp);
                pos += n * bpp;
            }
            count -= n;
            column += n;
            if (column == rowPixels) {
                column = 0;
                fileRow++;
                if (fileRow < tga->height) row = tga->topFirst ? row + rowBytes : row - rowBytes;
            }
        }
    }
    return true;
}

static int Corrupted(TgaInfo *tga)
{
    FreeTgaData(tga);
    return TgaCorrupted;
}

int DecodeTga(TgaInfo *tga, const uint8_t *file, uint32_t size)
{
    tga->width = 0;
    tga->height = 0;
    tga->bytesPerPixel = 0;
    tga->rowBytes = 0;
    tga->format = TgaFormatNone;
    tga->data = nullptr;
    memset(tga->palette, 0, sizeof tga->palette);
    if (!file) return TgaNullPointer;
    if (size < TgaHeaderSize) return TgaCorrupted;

    tga->idLength = file[0];
    tga->colourMapType = file[1];
    tga->imageType = file[2];
    tga->colourMapFirst = ReadWord(file + 3);
    tga->colourMapLength = ReadWord(file + 5);
    tga->colourMapEntryBits = file[7];
    tga->width = ReadWord(file + 12);
    tga->height = ReadWord(file + 14);
    tga->pixelDepth = file[16];
    tga->topFirst = file[17] & 0x20;
    if (tga->imageType == 0) return TgaCorrupted;

    for (int i = 0; i < 256; i++) {
        tga->palette[i][0] = (uint8_t)i;
        tga->palette[i][1] = (uint8_t)i;
        tga->palette[i][2] = (uint8_t)i;
    }
    int type = tga->imageType;
    if (type == 1 || type == 9) tga->format = TgaFormatMapped;
    if (type == 3 || type == 11) tga->format = TgaFormatGrey;
    bool runLength = type == 9 || type == 10 || type == 11;

    uint32_t pos = TgaHeaderSize + (uint32_t)tga->idLength;
    if (pos > size) return TgaCorrupted;

    if (tga->colourMapType != 0) {
        if (tga->colourMapLength > 256) return TgaCorrupted;
        // Entries take whole bytes: a 15-bit entry is stored in two.
        uint32_t entryBytes = ((uint32_t)tga->colourMapEntryBits + 7) / 8;
        uint32_t mapBytes = entryBytes * tga->colourMapLength;
        if (size - pos < mapBytes) return TgaCorrupted;
        ReadColourMap(tga, file + pos, entryBytes);
        pos += mapBytes;
    }

    if (tga->width == 0 || tga->height == 0 || tga->pixelDepth < 8) return TgaCorrupted;
    uint32_t bpp = ((uint32_t)tga->pixelDepth + 1) / 8;
    uint32_t rowBytes = (uint32_t)tga->width * bpp;
    if (rowBytes > 0xFFFF) return TgaCorrupted;
    tga->bytesPerPixel = (uint16_t)bpp;
    tga->rowBytes = (uint16_t)rowBytes;
    if (bpp == 2) tga->format = TgaFormat16;
    if (bpp == 3) tga->format = TgaFormat24;
    if (bpp == 4) tga->format = TgaFormat32;

    // Refuse sizes the remaining bytes cannot hold before allocating: a run
    // packet of 1 + bpp bytes yields at most 128 pixels.
    uint64_t total = (uint64_t)rowBytes * tga->height;
    uint64_t avail = size - pos;
    if (runLength ? total > avail * 128 : total > avail) return TgaCorrupted;

    tga->data = (uint8_t *)malloc((size_t)total);
    if (!tga->data) return TgaCorrupted;

    const uint8_t *in = file + pos;
    if (runLength) {
        if (!UnpackRuns(tga, in, (uint32_t)avail)) return Corrupted(tga);
    } else {
        for (uint32_t r = 0; r < tga->height; r++) {
            uint32_t row = tga->topFirst ? r : tga->height - 1 - r;
            memcpy(tga->data + (size_t)row * rowBytes, in + (size_t)r * rowBytes, rowBytes);
        }
    }
    return TgaNoError;
}

void FreeTgaData(TgaInfo *tga)
{
    free(tga->data);
    tga->data = nullptr;
}

bool CreateImage(Image *image, int32_t width, int32_t height)
{
    image->pixels = nullptr;
    image->width = 0;
    image->height = 0;
    if (width <= 0 || height <= 0) return false;
    image->pixels = (uint16_t *)malloc((size_t)width * (size_t)height * sizeof(uint16_t));
    if (!image->pixels) return false;
    image->width = width;
    image->height = height;
    return true;
}

void FreeImagePixels(Image *image)
{
    if (!image) return;
    free(image->pixels);
    image->pixels = nullptr;
}

void FreeFullScreenPicture(FullScreenPicture *picture)
{
    if (!picture) return;
    free(picture->pixels);
    picture->pixels = nullptr;
}

// Decodes a picture the loaders can use: 8 bits per pixel, palette indices.
static bool DecodeIndexed(TgaInfo *tga, const uint8_t *file, uint32_t size)
{
    if (DecodeTga(tga, file, size) != TgaNoError) return false;
    if (tga->pixelDepth != 8) {
        FreeTgaData(tga);
        return false;
    }
    return true;
}

// Looks the decoded indices up in the palette and stores them as 5-6-5 pixels,
// each channel truncated.
static void ConvertIndexed(const TgaInfo *tga, uint16_t *out)
{
    uint16_t colours[256];
    for (int i = 0; i < 256; i++) {
        const uint8_t *c = tga->palette[i];
        colours[i] = (uint16_t)(((c[0] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[2] >> 3));
    }
    size_t count = (size_t)tga->width * tga->height;
    const uint8_t *in = tga->data;
    for (size_t i = 0; i < count; i++) out[i] = colours[in[i]];
}

Image *DecodeImage(const uint8_t *file, uint32_t size)
{
    TgaInfo tga;
    if (!DecodeIndexed(&tga, file, size)) return nullptr;
    Image *image = (Image *)malloc(sizeof(Image));
    if (!image || !CreateImage(image, tga.width, tga.height)) {
        free(image);
        FreeTgaData(&tga);
        return nullptr;
    }
    ConvertIndexed(&tga, image->pixels);
    FreeTgaData(&tga);
    return image;
}

FullScreenPicture *DecodeFullScreenPicture(const uint8_t *file, uint32_t size)
{
    TgaInfo tga;
    if (!DecodeIndexed(&tga, file, size)) return nullptr;
    if (tga.width != ScreenWidth || tga.height != ScreenHeight) {
        FreeTgaData(&tga);
        return nullptr;
    }
    FullScreenPicture *picture = (FullScreenPicture *)malloc(sizeof(FullScreenPicture));
    if (picture) {
        picture->pixels = (uint16_t *)malloc((size_t)ScreenWidth * ScreenHeight * sizeof(uint16_t));
        if (!picture->pixels) {
            free(picture);
            picture = nullptr;
        }
    }
    if (picture) ConvertIndexed(&tga, picture->pixels);
    FreeTgaData(&tga);
    return picture;
}

Image *LoadImage(const char *name)
{
    const uint8_t *file = nullptr;
    uint32_t size = LoadResource(name, &file);
    if (!file) return nullptr;
    Image *image = size ? DecodeImage(file, size) : nullptr;
    ReleaseResource(file);
    return image;
}

FullScreenPicture *LoadFullScreenPicture(const char *name)
{
    const uint8_t *file = nullptr;
    uint32_t size = LoadResource(name, &file);
    if (!file) return nullptr;
    FullScreenPicture *picture = size ? DecodeFullScreenPicture(file, size) : nullptr;
    ReleaseResource(file);
    return picture;
}
