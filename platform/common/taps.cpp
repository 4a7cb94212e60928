// The quick-tap rule, shared by the desktop's and the browser's keyboards.
#include "platform/common/taps.h"

#include "platform/platform.h"

void TapKey(TapState *taps, int32_t vk, bool down, TapSend send)
{
    if (vk <= 0 || vk > 255) return;
    if (down) {
        taps->downSinceTick[vk] = true;
        taps->releaseAfterTick[vk] = false;
        send(MsgKeyDown, vk);
    } else if (taps->downSinceTick[vk]) {
        taps->releaseAfterTick[vk] = true;
    } else {
        send(MsgKeyUp, vk);
    }
}

void TapTick(TapState *taps, TapSend send)
{
    for (int vk = 0; vk < 256; vk++) {
        if (taps->releaseAfterTick[vk]) send(MsgKeyUp, vk);
        taps->downSinceTick[vk] = false;
        taps->releaseAfterTick[vk] = false;
    }
}
