// Pictures as the game draws them: 16-bit 5-6-5 pixels, rows top first.
#pragma once

#include <cstdint>

struct Image {
    uint16_t *pixels; // width x height pixels, owned by the record
    int32_t width;
    int32_t height;
};

// A picture exactly the display's size; starts like an Image so either can be
// given to CopyFullScreen.
struct FullScreenPicture {
    uint16_t *pixels;
};
