// TGA pictures: the decoder for the 8-bit subset the game's art uses and the
// loaders that turn pictures into 5-6-5 Images and full-screen pictures.
#pragma once

#include <cstdint>

#include "res/image.h"

// Decode results.
enum TgaStatus {
    TgaNoError = 0,
    TgaNullPointer = 1, // no file data given
    TgaCorrupted = 2,   // bad header, truncated file or inconsistent sizes
};

// Pixel layouts of the decoded data.
enum TgaFormat {
    TgaFormatNone = 0,
    TgaFormatGrey = 1,   // image types 3, 11
    TgaFormatMapped = 2, // image types 1, 9
    TgaFormat16 = 3,     // two bytes per pixel
    TgaFormat24 = 4,     // three bytes per pixel
    TgaFormat32 = 5,     // four bytes per pixel
};

// One decode: the header fields, the decoded rows and the colour map.
struct TgaInfo {
    uint8_t idLength;
    uint8_t colourMapType;
    uint8_t imageType;
    uint16_t colourMapFirst;
    uint16_t colourMapLength;
    uint8_t colourMapEntryBits;
    uint16_t width;
    uint16_t height;
    uint8_t pixelDepth;
    uint8_t topFirst; // non-zero when the file stores the top row first
    uint16_t bytesPerPixel;
    uint16_t rowBytes;
    int32_t format;          // a TgaFormat
    uint8_t *data;           // height rows of rowBytes bytes, top row first
    uint8_t palette[256][3]; // red, green, blue; a grey ramp where no map entry is given
};

// The text of a decode status.
const char *TgaStatusText(int status);

// Decodes size bytes of a TGA file into tga. Every read is checked against size;
// on any status but TgaNoError nothing stays allocated and data is null.
int DecodeTga(TgaInfo *tga, const uint8_t *file, uint32_t size);

// Frees the decoded data, if any, and forgets it.
void FreeTgaData(TgaInfo *tga);

// Gives image a new, uninitialised block of width x height pixels. False (pixels
// null, sizes 0) when a size is not positive or memory runs out.
bool CreateImage(Image *image, int32_t width, int32_t height);

// Frees an Image's pixels and empties them; the record stays its owner's.
void FreeImagePixels(Image *image);

// Frees a full-screen picture's pixels and empties them; the record stays its owner's.
void FreeFullScreenPicture(FullScreenPicture *picture);

// Decodes an 8-bit TGA file image into a new Image (record from malloc, freed
// with free() after FreeImagePixels); null when it is not a usable picture.
Image *DecodeImage(const uint8_t *file, uint32_t size);

// As DecodeImage, but only for a picture exactly ScreenWidth x ScreenHeight.
FullScreenPicture *DecodeFullScreenPicture(const uint8_t *file, uint32_t size);

// The picture resource name as a new Image; null when it is missing or unusable.
Image *LoadImage(const char *name);

// The picture resource name as a new full-screen picture; null when it is
// missing, unusable or not exactly the display's size.
FullScreenPicture *LoadFullScreenPicture(const char *name);
