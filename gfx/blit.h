// The sprite blitters: every picture on screen is put together by these eight
// copies of 16-bit pixels into the BackBuffer or into another Image. One source
// pixel lands on one destination pixel; all of them clip at the destination's
// edges. Pixel 0 is the transparent key of the keyed operations.
//
// An absent picture (null image or null pixels) or an absent destination draws
// nothing and gives false; otherwise the result is true unless noted.
#pragma once

#include <cstdint>

#include "res/image.h"

enum {
    TransparentKey = 0,
    GreyStep = 2113, // the grey of level l (0..31) is l * GreyStep
};

// Keyed copy of the whole image to the BackBuffer with its top-left at (x, y).
bool BlitTransparent(const Image *image, int32_t x, int32_t y);

// Keyed copy of the image's rectangle [left, right) x [top, bottom) with its
// top-left at (x, y); false, drawing nothing, when the rectangle is empty or
// not inside the image.
bool BlitTransparentRect(const Image *image, int32_t x, int32_t y, int32_t left, int32_t top,
                         int32_t right, int32_t bottom);

// Plain copy of the whole image, black (0) included.
bool BlitOpaque(const Image *image, int32_t x, int32_t y);

// Plain copy with the image's outermost ring of pixels drawn in colour. Nothing
// is drawn at x <= 0 or y <= 0; the right and bottom edges clip.
bool BlitFramed(const Image *image, int32_t x, int32_t y, uint16_t colour);

// Keyed copy into the target image.
bool BlitTransparentTo(const Image *image, int32_t x, int32_t y, Image *target);

// Plain copy into the target image.
bool BlitOpaqueTo(const Image *image, int32_t x, int32_t y, Image *target);

// Copies a source pixel into the target only where it shares a bit with the
// pixel beneath, so nothing lands on black or on a colour with no common bit.
bool BlitSharedBitsTo(const Image *image, int32_t x, int32_t y, Image *target);

// Brightens the BackBuffer: where the source is not 0, the pixel becomes the
// grey of level (its red + the source's red + bias) clamped to 0..31.
bool BlitAddGrey(const Image *image, int32_t x, int32_t y, int16_t bias);
