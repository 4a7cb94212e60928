// PNG output of 5-6-5 pictures, each channel widened to 8 bits by bit
// replication, so a dump shows exactly what the display would.
#pragma once

#include <cstdint>
#include <vector>

// The 8-bit red, green and blue of a 5-6-5 pixel.
void WidenPixel(uint16_t pixel, uint8_t rgb[3]);

// Writes width x height pixels (rows top first) as an RGB PNG; false on failure.
bool WritePng(const char *path, const uint16_t *pixels, int width, int height);
// Writes width x height pixels of red, green, blue and alpha bytes (rows top
// first) as an RGBA PNG; false on failure.
bool WritePngRgba(const char *path, const uint8_t *rgba, int width, int height);
// The same RGBA pixels as the bytes of a PNG file; empty when there are none.
std::vector<uint8_t> EncodePngRgba(const uint8_t *rgba, int width, int height);
