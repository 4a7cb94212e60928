// The display surface: the BackBuffer every screen draws into, shown once a tick.
#pragma once

#include <cstdint>

// A picture exactly the display's size; starts like an Image (res/image.h)
// so either can be given to CopyFullScreen.
struct FullScreenPicture {
    uint16_t *pixels;
};

// The display's size, read once when the screen opens.
extern uint32_t ScreenWidth;
extern uint32_t ScreenHeight;

// The frame being composed: ScreenWidth x ScreenHeight 5-6-5 pixels, rows top
// first, with room for two spare rows and columns past the frame.
extern uint16_t *BackBuffer;

// The display's frame as last presented (null before the first), for its hash.
extern const uint16_t *PresentedFrame;

// Opens the window, the display and the input and allocates a black BackBuffer.
bool OpenScreen(void);

// Copies the frame's ScreenWidth x ScreenHeight pixels to the display; false
// when the display could not be drawn to (the frame is dropped).
bool PresentFrame(const uint16_t *frame);

// Frees the BackBuffer and closes the display and the input.
bool CloseScreen(void);

// Copies a full-screen picture over the whole BackBuffer, black included.
bool CopyFullScreen(const FullScreenPicture *picture);
