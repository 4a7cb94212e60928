// The quick-tap rule of every real keyboard: a key let go before any tick has
// seen it held comes up only after the next tick, so a tap shorter than a
// tick still acts once.
#pragma once

#include <cstdint>

struct TapState {
    bool downSinceTick[256];    // went down since the last tick
    bool releaseAfterTick[256]; // let go, the release waiting for the next tick
};

// Hands a key message on to the backend's queue.
typedef void (*TapSend)(int kind, int32_t vk);

// A key went down (sent at once) or up (sent at once, or held back when no
// tick has seen the key held yet). vk outside 1..255 does nothing.
void TapKey(TapState *taps, int32_t vk, bool down, TapSend send);

// A tick has been sent (or no tick will come, the game freezing): the
// releases held back go out, and every held key counts as seen.
void TapTick(TapState *taps, TapSend send);
