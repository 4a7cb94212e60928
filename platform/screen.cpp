// The display surface: every screen composes its frame in the BackBuffer and
// PresentFrame copies it to the display in one pass.
#include "platform/screen.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

uint32_t ScreenWidth;
uint32_t ScreenHeight;
uint16_t *BackBuffer;
const uint16_t *PresentedFrame;

bool OpenScreen(void)
{
    if (!Plat_OpenWindow()) return false;
    ScreenWidth = (uint32_t)Plat_DisplayWidth();
    ScreenHeight = (uint32_t)Plat_DisplayHeight();
    // Two spare rows and columns, so a drawing that runs one pixel long stays in the block.
    BackBuffer = (uint16_t *)malloc((ScreenWidth + 2) * (ScreenHeight + 2) * sizeof(uint16_t));
    if (!BackBuffer) return false;
    memset(BackBuffer, 0, ScreenWidth * ScreenHeight * sizeof(uint16_t));
    return true;
}

bool PresentFrame(const uint16_t *frame)
{
    uint16_t *display = Plat_BeginDraw();
    if (!display) return false;
    if (frame) memcpy(display, frame, ScreenWidth * ScreenHeight * sizeof(uint16_t));
    Plat_EndDraw();
    PresentedFrame = display;
    return true;
}

bool CloseScreen(void)
{
    free(BackBuffer);
    BackBuffer = nullptr;
    PresentedFrame = nullptr;
    Plat_CloseWindow();
    return true;
}

bool CopyFullScreen(const FullScreenPicture *picture)
{
    if (!picture || !picture->pixels || !BackBuffer) return true;
    memcpy(BackBuffer, picture->pixels, ScreenWidth * ScreenHeight * sizeof(uint16_t));
    return true;
}
