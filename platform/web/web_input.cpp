// Which keyboard keys (by KeyboardEvent code) and standard-mapped gamepad
// buttons stand for which of the game's virtual keys, the browser's keyboard
// listeners, the gamepad poll and the page's touch buttons.
#include <cstring>
#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/platform.h"
#include "platform/web/web_local.h"

enum {
    MaxKeyBindings = 96,
    CodeSize = 32,
    MaxPads = 4,
    PadButtons = 17, // the standard mapping's buttons
};

struct KeyBinding {
    char code[CodeSize];
    int32_t vk; // 0: the key does nothing
};

struct InputState {
    bool ready;
    KeyBinding keys[MaxKeyBindings];
    int keyCount;
    int32_t buttons[PadButtons];
    bool held[MaxPads][PadButtons];
};

static InputState In;

static void SetKey(const char *code, int32_t vk)
{
    for (int i = 0; i < In.keyCount; i++)
        if (strcmp(In.keys[i].code, code) == 0) {
            In.keys[i].vk = vk;
            return;
        }
    if (In.keyCount == MaxKeyBindings || strlen(code) >= CodeSize) return;
    strcpy(In.keys[In.keyCount].code, code);
    In.keys[In.keyCount++].vk = vk;
}

// The keys of the pocket computer's keyboard, and the desktop build's extra
// ones: Space drops, Z and X rotate, P pauses and Escape goes back to the menu.
static void SetDefaults(void)
{
    In.ready = true;
    In.keyCount = 0;
    SetKey("ArrowUp", VkUp);
    SetKey("ArrowDown", VkDown);
    SetKey("ArrowLeft", VkLeft);
    SetKey("ArrowRight", VkRight);
    SetKey("Enter", VkEnter);
    SetKey("NumpadEnter", VkEnter);
    SetKey("F8", VkF8);
    SetKey("F9", VkF9);
    char code[CodeSize] = "Digit0";
    for (int d = 0; d <= 9; d++) {
        code[5] = (char)('0' + d);
        SetKey(code, Vk0 + d);
    }
    strcpy(code, "Numpad0");
    for (int d = 0; d <= 9; d++) {
        code[6] = (char)('0' + d);
        SetKey(code, Vk0 + d);
    }
    SetKey("Space", Vk0 + 7);
    SetKey("KeyZ", Vk0 + 4);
    SetKey("KeyX", Vk0 + 1);
    SetKey("KeyP", Vk0 + 2);
    SetKey("Escape", VkF9);

    static const int32_t Buttons[PadButtons] = {
        Vk0 + 1, Vk0 + 4, Vk0 + 7, Vk0 + 3, 0,      0,      0,       0, VkF9,
        Vk0 + 2, 0,       0,       VkUp,    VkDown, VkLeft, VkRight, 0,
    };
    memcpy(In.buttons, Buttons, sizeof(In.buttons));
}

bool Plat_BindKey(const char *keyName, int32_t vk)
{
    if (!In.ready) SetDefaults();
    if (!keyName || !keyName[0] || strlen(keyName) >= CodeSize || vk < 0 || vk > 255) return false;
    SetKey(keyName, vk);
    return true;
}

bool Plat_BindButton(const char *buttonName, int32_t vk)
{
    // The standard mapping's buttons in index order.
    static const char *const Names[PadButtons] = {
        "a",    "b",      "x",      "y",       "leftshoulder", "rightshoulder",
        "",     "",       "back",   "start",   "leftstick",    "rightstick",
        "dpup", "dpdown", "dpleft", "dpright", "guide",
    };
    if (!In.ready) SetDefaults();
    if (!buttonName || !buttonName[0] || vk < 0 || vk > 255) return false;
    for (int b = 0; b < PadButtons; b++)
        if (strcmp(Names[b], buttonName) == 0) {
            In.buttons[b] = vk;
            return true;
        }
    return false;
}

int32_t WebKeyboardKey(const char *code)
{
    if (!In.ready) SetDefaults();
    for (int i = 0; i < In.keyCount; i++)
        if (strcmp(In.keys[i].code, code) == 0) return In.keys[i].vk;
    return 0;
}

// A key the game knows is the game's alone: it never scrolls the page, and
// the browser's repeat is ignored (the game repeats keys itself).
static EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent *e, void *)
{
    if (e->ctrlKey || e->altKey || e->metaKey) return EM_FALSE;
    int32_t vk = WebKeyboardKey(e->code);
    if (vk == 0) return EM_FALSE;
    if (type == EMSCRIPTEN_EVENT_KEYDOWN && e->repeat) return EM_TRUE;
    WebSendKey(vk, type == EMSCRIPTEN_EVENT_KEYDOWN);
    WebPump();
    return EM_TRUE;
}

void WebListen(void)
{
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
    WebListenFocus();
}

void WebPollGamepads(void)
{
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    int pads = emscripten_get_num_gamepads();
    for (int i = 0; i < pads && i < MaxPads; i++) {
        EmscriptenGamepadEvent pad;
        bool ok = emscripten_get_gamepad_status(i, &pad) == EMSCRIPTEN_RESULT_SUCCESS &&
                  pad.connected && strcmp(pad.mapping, "standard") == 0;
        for (int b = 0; b < PadButtons; b++) {
            bool down = ok && b < pad.numButtons && pad.digitalButton[b];
            if (down == In.held[i][b]) continue;
            In.held[i][b] = down;
            WebSendKey(In.buttons[b], down);
        }
    }
}

// A touch button of the page went down or up.
extern "C" EMSCRIPTEN_KEEPALIVE void WebTouchKey(int32_t vk, int32_t down)
{
    WebSendKey(vk, down != 0);
    WebPump();
}
