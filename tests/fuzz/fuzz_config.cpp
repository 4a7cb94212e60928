// "zux.cfg", whatever its text: every line is read or warned about once, the
// warnings name lines of the text, and the settings stay within their ranges.
#include <cstdint>
#include <cstdlib>

#include "app/config.h"
#include "platform/platform.h"

static int Lines;
static int LastWarned;

static void Warn(int line, const char *what)
{
    // One warning a line at most, in line order, naming a line of the text.
    if (!what || !what[0] || line <= LastWarned || line > Lines) abort();
    LastWarned = line;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > MaxConfigSize) return 0;
    Lines = 1;
    for (size_t i = 0; i < size; i++) Lines += data[i] == '\n';
    LastWarned = 0;
    ConfigState cfg;
    ClearConfig(&cfg);
    ParseConfig((const char *)data, (uint32_t)size, &cfg, Warn);
    if (cfg.windowed < -1 || cfg.windowed > 1 || cfg.scale < -1 || cfg.scale > 16) abort();
    if (cfg.bindingCount < 0 || cfg.bindingCount > MaxConfigBindings) abort();
    for (int i = 0; i < cfg.bindingCount; i++) {
        const ConfigBinding &b = cfg.bindings[i];
        if (b.line < 1 || b.line > Lines || !b.name[0]) abort();
        if (b.vk != 0 && !Plat_KeyName(b.vk)) abort();
    }
    LastWarned = 0;
    ApplyBindings(&cfg, Warn);
    return 0;
}
