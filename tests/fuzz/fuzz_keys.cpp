// The headless key file, whatever its text: parsed with room for every event
// and with very little room, and with a tiny error buffer. A parsed script is
// in tick order and names only keys the platform knows.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/platform.h"

static bool KnownKey(int32_t vk)
{
    return vk == VkUp || vk == VkDown || vk == VkLeft || vk == VkRight || vk == VkEnter ||
           vk == VkF8 || vk == VkF9 || (vk >= Vk0 && vk <= Vk9);
}

static void Parse(const char *text, uint32_t length, int capacity, int errorSize)
{
    // Blocks of exactly the stated sizes, so a write past them is caught.
    std::vector<HeadlessEvent> events((size_t)capacity);
    std::vector<char> error((size_t)errorSize + 1, 'x'); // one guard byte
    int count = -1;
    bool ok =
        Headless_ParseKeys(text, length, events.data(), capacity, &count, error.data(), errorSize);
    if (error[(size_t)errorSize] != 'x') abort();
    if (!ok) {
        if (errorSize > 0 && !memchr(error.data(), 0, (size_t)errorSize)) abort();
        return;
    }
    if (count < 0 || count > capacity) abort();
    for (int i = 0; i < count; i++) {
        const HeadlessEvent &e = events[(size_t)i];
        if (e.tick < 0 || (i > 0 && e.tick < events[(size_t)i - 1].tick)) abort();
        bool keyed = e.action == ActDown || e.action == ActUp;
        if (keyed ? !KnownKey(e.vk) : (e.action < ActFocusLost || e.action > ActFocusBack)) abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 20) return 0;
    const char *text = (const char *)data;
    uint32_t length = (uint32_t)size;
    int lines = 1;
    for (size_t i = 0; i < size; i++) lines += data[i] == '\n';
    Parse(text, length, 2 * lines, 128);
    Parse(text, length, size ? data[0] % 5 : 0, size > 1 ? data[1] % 12 : 0);
    return 0;
}
