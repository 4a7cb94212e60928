// The frame hash the headless trace prints and replays close with, the same
// on every platform.
#include "platform/platform.h"

uint64_t Plat_FrameHash(const uint16_t *frame, int pixelCount)
{
    uint64_t h = 0xcbf29ce484222325ull;
    if (!frame) return h;
    for (int i = 0; i < pixelCount; i++) {
        h = (h ^ (frame[i] & 0xFF)) * 0x100000001b3ull;
        h = (h ^ (frame[i] >> 8)) * 0x100000001b3ull;
    }
    return h;
}
