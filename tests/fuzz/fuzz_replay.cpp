// The replay reader, whatever its text: a replay it takes is in tick order,
// with start files of the sizes said and known keys only; one it refuses
// names a line and leaves nothing allocated.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/replay.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 20) return 0;
    ReplayRecord r;
    char error[64];
    bool ok = ParseReplay((const char *)data, (uint32_t)size, &r, error, sizeof(error));
    if (!ok) {
        if (strncmp(error, "line ", 5) != 0 || !memchr(error, 0, sizeof(error))) abort();
        if (r.events || r.checks || r.files[0].bytes || r.files[1].bytes) abort();
        return 0;
    }
    for (const ReplayStartFile &f : r.files)
        if (f.size > ReplayMaxStartFile || (!f.bytes && f.size)) abort();
    for (int i = 0; i < r.eventCount; i++) {
        const ReplayEvent &e = r.events[i];
        if (e.tick < 1 || (i > 0 && e.tick < r.events[i - 1].tick) || e.tick > r.lastTick + 1)
            abort();
        bool keyed = e.kind == ReplayDown || e.kind == ReplayUp;
        if (keyed ? !Plat_KeyName(e.vk) : (e.kind != ReplayFocusLost && e.kind != ReplayClose))
            abort();
    }
    for (int i = 0; i < r.checkCount; i++)
        if (r.checks[i].tick > r.lastTick || (i > 0 && r.checks[i].tick <= r.checks[i - 1].tick))
            abort();
    FreeReplay(&r);
    return 0;
}
