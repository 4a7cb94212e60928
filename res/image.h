// Pictures as the game draws them: 16-bit 5-6-5 pixels, rows top first.
#pragma once

#include <cstdint>

#include "platform/screen.h"

struct Image {
    uint16_t *pixels; // width x height pixels, owned by the record
    int32_t width;
    int32_t height;
};
