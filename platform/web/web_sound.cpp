// Sound over Web Audio: the page decodes each WAV image once, after the
// player's first key, click or touch (no page may sound before one), and a new
// sound stops the one playing. The tick never waits for any of it.
#include <emscripten.h>

#include "platform/platform.h"
#include "platform/web/web_local.h"

EM_JS(void, WebPlay, (const char *name, const uint8_t *wav, uint32_t size),
      { zuxPage.playSound(UTF8ToString(name), HEAPU8.subarray(wav, wav + size)); });
EM_JS(void, WebStop, (void), { zuxPage.stopSound(); });

void Plat_PlaySound(const char *name, const uint8_t *wav, uint32_t size)
{
    WebNoteSound(name ? name : "");
    if (wav && size > 0) WebPlay(name ? name : "", wav, size);
}

void Plat_StopSound(void) { WebStop(); }
