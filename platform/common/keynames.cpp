// The names of the game's virtual keys, as key files, replays and the
// player's bindings write them.
#include <cstring>

#include "platform/platform.h"

struct VirtualKeyName {
    const char *name;
    int32_t vk;
};

static const VirtualKeyName Names[] = {
    {"Up", VkUp},   {"Down", VkDown}, {"Left", VkLeft}, {"Right", VkRight}, {"0", Vk0},
    {"1", Vk0 + 1}, {"2", Vk0 + 2},   {"3", Vk0 + 3},   {"4", Vk0 + 4},     {"5", Vk0 + 5},
    {"6", Vk0 + 6}, {"7", Vk0 + 7},   {"8", Vk0 + 8},   {"9", Vk0 + 9},     {"Enter", VkEnter},
    {"F8", VkF8},   {"F9", VkF9},
};

int32_t Plat_KeyFromName(const char *name)
{
    if (!name) return 0;
    for (const VirtualKeyName &k : Names)
        if (strcmp(name, k.name) == 0) return k.vk;
    return 0;
}

const char *Plat_KeyName(int32_t vk)
{
    for (const VirtualKeyName &k : Names)
        if (k.vk == vk) return k.name;
    return nullptr;
}
