// The default bindings and the names of the keys, one table for every backend.
#include "platform/common/bindings.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "platform/platform.h"

const DefaultBinding DefaultKeyBindings[] = {
    {"Up", VkUp},          {"Down", VkDown},      {"Left", VkLeft},
    {"Right", VkRight},    {"Return", VkEnter},   {"Keypad Enter", VkEnter},
    {"F8", VkF8},          {"F9", VkF9},          {"0", Vk0},
    {"1", Vk0 + 1},        {"2", Vk0 + 2},        {"3", Vk0 + 3},
    {"4", Vk0 + 4},        {"5", Vk0 + 5},        {"6", Vk0 + 6},
    {"7", Vk0 + 7},        {"8", Vk0 + 8},        {"9", Vk0 + 9},
    {"Keypad 0", Vk0},     {"Keypad 1", Vk0 + 1}, {"Keypad 2", Vk0 + 2},
    {"Keypad 3", Vk0 + 3}, {"Keypad 4", Vk0 + 4}, {"Keypad 5", Vk0 + 5},
    {"Keypad 6", Vk0 + 6}, {"Keypad 7", Vk0 + 7}, {"Keypad 8", Vk0 + 8},
    {"Keypad 9", Vk0 + 9}, {"Space", Vk0 + 7},    {"Z", Vk0 + 4},
    {"X", Vk0 + 1},        {"P", Vk0 + 2},        {"Escape", VkF9},
};
const int DefaultKeyBindingCount =
    (int)(sizeof(DefaultKeyBindings) / sizeof(DefaultKeyBindings[0]));

struct KeyName {
    const char *name;
    const char *code;
};

// Every key but the letters, the digits, the keypad's digits and F1..F24,
// which follow a rule (below).
static const KeyName KeyNames[] = {
    {"Return", "Enter"},
    {"Escape", "Escape"},
    {"Backspace", "Backspace"},
    {"Tab", "Tab"},
    {"Space", "Space"},
    {"-", "Minus"},
    {"=", "Equal"},
    {"[", "BracketLeft"},
    {"]", "BracketRight"},
    {"\\", "Backslash"},
    {";", "Semicolon"},
    {"'", "Quote"},
    {"`", "Backquote"},
    {",", "Comma"},
    {".", "Period"},
    {"/", "Slash"},
    {"CapsLock", "CapsLock"},
    {"PrintScreen", "PrintScreen"},
    {"ScrollLock", "ScrollLock"},
    {"Pause", "Pause"},
    {"Insert", "Insert"},
    {"Home", "Home"},
    {"PageUp", "PageUp"},
    {"Delete", "Delete"},
    {"End", "End"},
    {"PageDown", "PageDown"},
    {"Right", "ArrowRight"},
    {"Left", "ArrowLeft"},
    {"Down", "ArrowDown"},
    {"Up", "ArrowUp"},
    {"Numlock", "NumLock"},
    {"Keypad /", "NumpadDivide"},
    {"Keypad *", "NumpadMultiply"},
    {"Keypad -", "NumpadSubtract"},
    {"Keypad +", "NumpadAdd"},
    {"Keypad Enter", "NumpadEnter"},
    {"Keypad .", "NumpadDecimal"},
    {"Keypad =", "NumpadEqual"},
    {"Keypad ,", "NumpadComma"},
    {"Keypad #", "NumpadHash"},
    {"Application", "ContextMenu"},
    {"Left Ctrl", "ControlLeft"},
    {"Left Shift", "ShiftLeft"},
    {"Left Alt", "AltLeft"},
    {"Left GUI", "MetaLeft"},
    {"Right Ctrl", "ControlRight"},
    {"Right Shift", "ShiftRight"},
    {"Right Alt", "AltRight"},
    {"Right GUI", "MetaRight"},
};

const char *KeyCodeOfName(const char *name)
{
    static char code[16];
    if (!name || !name[0]) return nullptr;
    for (const KeyName &k : KeyNames)
        if (strcasecmp(name, k.name) == 0) return k.code;
    char c = name[0];
    if (!name[1] && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
        snprintf(code, sizeof(code), "Key%c", c & ~0x20);
        return code;
    }
    if (!name[1] && c >= '0' && c <= '9') {
        snprintf(code, sizeof(code), "Digit%c", c);
        return code;
    }
    if (strncasecmp(name, "Keypad ", 7) == 0 && name[7] >= '0' && name[7] <= '9' && !name[8]) {
        snprintf(code, sizeof(code), "Numpad%c", name[7]);
        return code;
    }
    int f = 0;
    if ((c == 'F' || c == 'f') && sscanf(name + 1, "%d", &f) == 1 && f >= 1 && f <= 24) {
        snprintf(code, sizeof(code), "F%d", f);
        if (strcmp(code + 1, name + 1) == 0) return code;
    }
    return nullptr;
}

bool IsKeyCode(const char *code)
{
    if (!code) return false;
    for (const KeyName &k : KeyNames)
        if (strcmp(code, k.code) == 0) return true;
    size_t n = strlen(code);
    if (n == 4 && strncmp(code, "Key", 3) == 0) return code[3] >= 'A' && code[3] <= 'Z';
    if (n == 6 && strncmp(code, "Digit", 5) == 0) return code[5] >= '0' && code[5] <= '9';
    if (n == 7 && strncmp(code, "Numpad", 6) == 0) return code[6] >= '0' && code[6] <= '9';
    const char *name = code; // F1..F24 are named alike
    const char *same = KeyCodeOfName(name);
    return same && name[0] == 'F' && strcmp(same, code) == 0;
}

const char *const PadButtonNames[PadButtonCount] = {
    "a",    "b",      "x",      "y",       "leftshoulder", "rightshoulder",
    "",     "",       "back",   "start",   "leftstick",    "rightstick",
    "dpup", "dpdown", "dpleft", "dpright", "guide",
};

int PadButtonOfName(const char *name)
{
    if (!name || !name[0]) return -1;
    for (int b = 0; b < PadButtonCount; b++)
        if (strcmp(PadButtonNames[b], name) == 0) return b;
    return -1;
}

const int32_t DefaultPadKeys[PadButtonCount] = {
    Vk0 + 1, Vk0 + 4, Vk0 + 7, Vk0 + 3, 0,      0,      0,       0, VkF9,
    Vk0 + 2, 0,       0,       VkUp,    VkDown, VkLeft, VkRight, 0,
};
