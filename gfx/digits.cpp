// Number drawing for the head-up display and the game-over screen.
#include "gfx/digits.h"

#include "gfx/blit.h"

void DrawDigits(const Image *digits, int32_t value, int32_t count, int32_t x, int32_t y)
{
    if (!digits || !digits->pixels || count <= 0) return;
    uint32_t v = value < 0 ? 0 : (uint32_t)value;
    for (int32_t k = 0; k < count; k++) {
        // The power of ten of digit k; past the tenth digit every digit is 0.
        int32_t place = count - 1 - k;
        uint32_t d = 0;
        if (place < 10) {
            uint32_t power = 1;
            for (int32_t p = 0; p < place; p++) power *= 10;
            d = v / power % 10;
        }
        int64_t at = (int64_t)x + (int64_t)k * DigitWidth;
        if (at > INT32_MAX) break;
        int32_t left = (int32_t)d * DigitWidth;
        BlitTransparentRect(digits, (int32_t)at, y, left, 0, left + DigitWidth, DigitHeight);
    }
}
