// A picture file from "Data.zux" or a loose file, whatever its bytes: the TGA
// decoder, both conversions to 5-6-5 pictures, and the two loaders reading the
// same bytes as a resource of a one-entry archive.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/screen.h"
#include "res/archive.h"
#include "res/image.h"
#include "res/tga.h"

static const char ResourceName[] = "FUZZ.TGA";

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The display's size as the screen reports it; no window is opened.
    ScreenWidth = 240;
    ScreenHeight = 320;
    return 0;
}

static uint16_t HeaderWord(const uint8_t *data, int at)
{
    return (uint16_t)(data[at] | data[at + 1] << 8);
}

// Reads every pixel, so a block shorter than its stated size is caught.
static uint32_t Touch(const uint16_t *pixels, size_t count)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < count; i++) sum += pixels[i];
    return sum;
}

static void CheckDecode(const uint8_t *data, uint32_t size)
{
    TgaInfo tga;
    int status = DecodeTga(&tga, data, size);
    if (status != TgaNoError) {
        if (tga.data || status != (data ? TgaCorrupted : TgaNullPointer)) abort();
        return;
    }
    if (!tga.data || tga.width == 0 || tga.height == 0) abort();
    if (tga.rowBytes != tga.width * tga.bytesPerPixel) abort();
    size_t total = (size_t)tga.rowBytes * tga.height;
    volatile uint8_t sink = 0;
    for (size_t i = 0; i < total; i++) sink = sink ^ tga.data[i];
    FreeTgaData(&tga);
    if (tga.data) abort();
}

static bool SamePixels(const uint16_t *a, const uint16_t *b, size_t count)
{
    return memcmp(a, b, count * sizeof(uint16_t)) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFF) return 0;
    uint32_t n = (uint32_t)size;
    CheckDecode(data, n);

    Image *image = DecodeImage(data, n);
    size_t imagePixels = 0;
    if (image) {
        if (!image->pixels || image->width != HeaderWord(data, 12) ||
            image->height != HeaderWord(data, 14))
            abort();
        imagePixels = (size_t)image->width * image->height;
        Touch(image->pixels, imagePixels);
    }
    FullScreenPicture *picture = DecodeFullScreenPicture(data, n);
    size_t screenPixels = (size_t)ScreenWidth * ScreenHeight;
    if (picture) {
        if (!picture->pixels || !image || imagePixels != screenPixels ||
            !SamePixels(picture->pixels, image->pixels, screenPixels))
            abort();
    }

    // The loaders must give what the decoders give for the same bytes.
    uint32_t archiveSize = ArchiveEntryHeader + n + ArchiveNameField;
    uint8_t *archive = (uint8_t *)calloc(archiveSize, 1);
    if (archive) {
        memcpy(archive, ResourceName, sizeof(ResourceName));
        archive[32] = (uint8_t)n;
        archive[33] = (uint8_t)(n >> 8);
        archive[34] = (uint8_t)(n >> 16);
        if (n) memcpy(archive + ArchiveEntryHeader, data, n);
        memcpy(archive + ArchiveEntryHeader + n, "END", 4);
        ResourceArchive = archive;
        ResourceArchiveSize = archiveSize;

        Image *loaded = LoadImage("Fuzz.tga");
        if ((loaded != nullptr) != (image != nullptr)) abort();
        if (loaded) {
            if (loaded->width != image->width || loaded->height != image->height ||
                !SamePixels(loaded->pixels, image->pixels, imagePixels))
                abort();
            FreeImagePixels(loaded);
            free(loaded);
        }
        FullScreenPicture *full = LoadFullScreenPicture("fuzz.TGA");
        if ((full != nullptr) != (picture != nullptr)) abort();
        if (full) {
            if (!SamePixels(full->pixels, picture->pixels, screenPixels)) abort();
            FreeFullScreenPicture(full);
            free(full);
        }
        CloseResourceArchive();
    }

    if (image) {
        FreeImagePixels(image);
        free(image);
    }
    if (picture) {
        FreeFullScreenPicture(picture);
        free(picture);
    }
    return 0;
}
