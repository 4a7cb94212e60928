// The sprite blitters. Each blit first works out the visible part of the image
// once: an image wholly inside the destination takes every row as it is, one
// that crosses an edge is cut down to the columns and rows that land inside.
// The row loops then run without any per-pixel bounds test.
#include "gfx/blit.h"

#include <cstddef>
#include <cstring>

#include "platform/screen.h"

// The part of a blit that lands inside the destination.
struct BlitArea {
    uint16_t *dst;       // first destination pixel written
    const uint16_t *src; // the source pixel that lands there
    int32_t columns;     // pixels per row
    int32_t rows;
    ptrdiff_t dstPitch; // destination row width
    ptrdiff_t srcPitch; // source row width
};

// Fills area for a w x h block of src (rows srcPitch apart) at (x, y) in a
// dest of W x H pixels; false when no pixel of it is visible.
static bool ClipArea(BlitArea *area, uint16_t *dest, int32_t W, int32_t H, const uint16_t *src,
                     int32_t srcPitch, int32_t w, int32_t h, int32_t x, int32_t y)
{
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return false;
    int64_t right = (int64_t)x + w, bottom = (int64_t)y + h;
    area->dstPitch = W;
    area->srcPitch = srcPitch;
    if (x >= 0 && y >= 0 && right < W && bottom < H) {
        area->dst = dest + (ptrdiff_t)y * W + x;
        area->src = src;
        area->columns = w;
        area->rows = h;
        return true;
    }
    if (right <= 0 || bottom <= 0 || x >= W || y >= H) return false;
    int32_t c0 = x < 0 ? -x : 0;
    int32_t r0 = y < 0 ? -y : 0;
    int32_t c1 = right > W ? W - x : w;
    int32_t r1 = bottom > H ? H - y : h;
    area->dst = dest + (ptrdiff_t)(y + r0) * W + (x + c0);
    area->src = src + (ptrdiff_t)r0 * srcPitch + c0;
    area->columns = c1 - c0;
    area->rows = r1 - r0;
    return true;
}

static bool ScreenArea(BlitArea *area, const Image *image, int32_t x, int32_t y, bool *drawable)
{
    *drawable = image && image->pixels && BackBuffer;
    if (!*drawable) return false;
    return ClipArea(area, BackBuffer, (int32_t)ScreenWidth, (int32_t)ScreenHeight, image->pixels,
                    image->width, image->width, image->height, x, y);
}

static bool TargetArea(BlitArea *area, const Image *image, int32_t x, int32_t y, Image *target,
                       bool *drawable)
{
    *drawable = image && image->pixels && target && target->pixels;
    if (!*drawable) return false;
    return ClipArea(area, target->pixels, target->width, target->height, image->pixels,
                    image->width, image->width, image->height, x, y);
}

// Row loops. The keyed ones write every pixel (the old value where the key
// refuses) so the compiler can turn them into blends.
static void KeyedRow(uint16_t *dst, const uint16_t *src, int32_t n)
{
    for (int32_t j = 0; j < n; j++) {
        uint16_t s = src[j];
        dst[j] = s != TransparentKey ? s : dst[j];
    }
}

static void OpaqueRow(uint16_t *dst, const uint16_t *src, int32_t n)
{
    memmove(dst, src, (size_t)n * sizeof(uint16_t));
}

static void SharedBitsRow(uint16_t *dst, const uint16_t *src, int32_t n)
{
    for (int32_t j = 0; j < n; j++) {
        uint16_t s = src[j], d = dst[j];
        dst[j] = (s & d) != 0 ? s : d;
    }
}

static void AddGreyRow(uint16_t *dst, const uint16_t *src, int32_t n, int16_t bias)
{
    for (int32_t j = 0; j < n; j++) {
        uint16_t s = src[j], d = dst[j];
        int16_t v = (int16_t)((d >> 11) + (s >> 11) + bias);
        if (v < 0) v = 0;
        if (v > 31) v = 31;
        dst[j] = s != TransparentKey ? (uint16_t)(v * GreyStep) : d;
    }
}

static void KeyedRows(BlitArea *a)
{
    for (int32_t i = 0; i < a->rows; i++, a->dst += a->dstPitch, a->src += a->srcPitch)
        KeyedRow(a->dst, a->src, a->columns);
}

static void OpaqueRows(BlitArea *a)
{
    for (int32_t i = 0; i < a->rows; i++, a->dst += a->dstPitch, a->src += a->srcPitch)
        OpaqueRow(a->dst, a->src, a->columns);
}

bool BlitTransparent(const Image *image, int32_t x, int32_t y)
{
    BlitArea area;
    bool drawable;
    if (ScreenArea(&area, image, x, y, &drawable)) KeyedRows(&area);
    return drawable;
}

bool BlitTransparentRect(const Image *image, int32_t x, int32_t y, int32_t left, int32_t top,
                         int32_t right, int32_t bottom)
{
    if (!image || !image->pixels || !BackBuffer) return false;
    if (left >= right || top >= bottom || left < 0 || top < 0 || right > image->width ||
        bottom > image->height)
        return false;
    const uint16_t *src = image->pixels + (ptrdiff_t)top * image->width + left;
    BlitArea area;
    if (ClipArea(&area, BackBuffer, (int32_t)ScreenWidth, (int32_t)ScreenHeight, src, image->width,
                 right - left, bottom - top, x, y))
        KeyedRows(&area);
    return true;
}

bool BlitOpaque(const Image *image, int32_t x, int32_t y)
{
    BlitArea area;
    bool drawable;
    if (ScreenArea(&area, image, x, y, &drawable)) OpaqueRows(&area);
    return drawable;
}

bool BlitFramed(const Image *image, int32_t x, int32_t y, uint16_t colour)
{
    if (!image || !image->pixels || !BackBuffer) return false;
    if (x <= 0 || y <= 0) return true;
    int32_t w = image->width, h = image->height;
    int32_t W = (int32_t)ScreenWidth, H = (int32_t)ScreenHeight;
    if (w <= 0 || h <= 0 || x >= W || y >= H) return true;
    int32_t columns = w < W - x ? w : W - x;
    int32_t rows = h < H - y ? h : H - y;
    uint16_t *dst = BackBuffer + (ptrdiff_t)y * W + x;
    const uint16_t *src = image->pixels;
    for (int32_t i = 0; i < rows; i++, dst += W, src += w) {
        if (i == 0 || i == h - 1) {
            for (int32_t j = 0; j < columns; j++) dst[j] = colour;
            continue;
        }
        // Inner pixels 1 .. w - 2, as far as the right edge lets them.
        int32_t inner = (w - 1 < columns ? w - 1 : columns) - 1;
        dst[0] = colour;
        if (inner > 0) OpaqueRow(dst + 1, src + 1, inner);
        if (w - 1 < columns) dst[w - 1] = colour;
    }
    return true;
}

bool BlitTransparentTo(const Image *image, int32_t x, int32_t y, Image *target)
{
    BlitArea area;
    bool drawable;
    if (TargetArea(&area, image, x, y, target, &drawable)) KeyedRows(&area);
    return drawable;
}

bool BlitOpaqueTo(const Image *image, int32_t x, int32_t y, Image *target)
{
    BlitArea area;
    bool drawable;
    if (TargetArea(&area, image, x, y, target, &drawable)) OpaqueRows(&area);
    return drawable;
}

bool BlitSharedBitsTo(const Image *image, int32_t x, int32_t y, Image *target)
{
    BlitArea area;
    bool drawable;
    if (!TargetArea(&area, image, x, y, target, &drawable)) return drawable;
    for (int32_t i = 0; i < area.rows; i++, area.dst += area.dstPitch, area.src += area.srcPitch)
        SharedBitsRow(area.dst, area.src, area.columns);
    return true;
}

bool BlitAddGrey(const Image *image, int32_t x, int32_t y, int16_t bias)
{
    BlitArea area;
    bool drawable;
    if (!ScreenArea(&area, image, x, y, &drawable)) return drawable;
    for (int32_t i = 0; i < area.rows; i++, area.dst += area.dstPitch, area.src += area.srcPitch)
        AddGreyRow(area.dst, area.src, area.columns, bias);
    return true;
}
