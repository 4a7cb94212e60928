// Counters shown as fixed-width rows of digits cut from the digit strip
// ("Numeric.tga": digits 0..9 side by side in 7 x 9 cells).
#pragma once

#include <cstdint>

#include "res/image.h"

enum {
    DigitWidth = 7, // cell width and pitch
    DigitHeight = 9,
};

// Draws the low count decimal digits of value from the strip digits, most
// significant first, digit k at (x + 7k, y); leading zeros are shown and a
// negative value shows as zeros. An absent strip draws nothing.
void DrawDigits(const Image *digits, int32_t value, int32_t count, int32_t x, int32_t y);
