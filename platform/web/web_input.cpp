// Which keyboard keys (by KeyboardEvent code) and standard-mapped gamepad
// buttons stand for which of the game's virtual keys, the browser's keyboard
// listeners, the gamepad poll and the page's touch buttons.
#include <cstring>
#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/common/bindings.h"
#include "platform/platform.h"
#include "platform/web/web_local.h"

enum {
    MaxKeyBindings = 96,
    CodeSize = 32,
    MaxPads = 4,
};

struct KeyBinding {
    char code[CodeSize];
    int32_t vk; // 0: the key does nothing
    bool held;  // its down went to the game, its release must follow
};

struct InputState {
    bool ready;
    KeyBinding keys[MaxKeyBindings];
    int keyCount;
    int32_t buttons[PadButtonCount];
    bool held[MaxPads][PadButtonCount];
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
    In.keys[In.keyCount].held = false;
    In.keys[In.keyCount++].vk = vk;
}

static void SetDefaults(void)
{
    In.ready = true;
    In.keyCount = 0;
    for (int i = 0; i < DefaultKeyBindingCount; i++) {
        const char *code = KeyCodeOfName(DefaultKeyBindings[i].name);
        if (code) SetKey(code, DefaultKeyBindings[i].vk);
    }
    memcpy(In.buttons, DefaultPadKeys, sizeof(In.buttons));
}

// keyName as zux.cfg names keys ("Z", "Keypad 8"), or a KeyboardEvent code ("KeyZ").
bool Plat_BindKey(const char *keyName, int32_t vk)
{
    if (!In.ready) SetDefaults();
    const char *code = KeyCodeOfName(keyName);
    if (!code && IsKeyCode(keyName)) code = keyName;
    if (!code || vk < 0 || vk > 255) return false;
    SetKey(code, vk);
    return true;
}

bool Plat_BindButton(const char *buttonName, int32_t vk)
{
    if (!In.ready) SetDefaults();
    int b = PadButtonOfName(buttonName);
    if (b < 0 || vk < 0 || vk > 255) return false;
    In.buttons[b] = vk;
    return true;
}

// The binding of a KeyboardEvent code; null for none.
static KeyBinding *FindKey(const char *code)
{
    if (!In.ready) SetDefaults();
    for (int i = 0; i < In.keyCount; i++)
        if (strcmp(In.keys[i].code, code) == 0) return &In.keys[i];
    return nullptr;
}

int32_t WebKeyboardKey(const char *code)
{
    KeyBinding *k = FindKey(code);
    return k ? k->vk : 0;
}

// A key the game knows is the game's alone: it never scrolls the page, and
// the browser's repeat is ignored (the game repeats keys itself). A press
// with Ctrl, Alt or Meta is the browser's; the release of a key the game
// holds is the game's, whatever else is held by then.
static EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent *e, void *)
{
    KeyBinding *k = FindKey(e->code);
    if (!k || k->vk == 0) return EM_FALSE;
    bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    bool chord = e->ctrlKey || e->altKey || e->metaKey;
    if (down) {
        if (chord) return EM_FALSE;
        if (e->repeat) return EM_TRUE;
    } else if (chord && !k->held) {
        return EM_FALSE;
    }
    k->held = down;
    WebSendKey(k->vk, down);
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
        for (int b = 0; b < PadButtonCount; b++) {
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
