// Which keyboard keys (by where they sit: SDL scancodes) and controller
// buttons stand for which of the game's virtual keys: the shared defaults,
// changed by the player's bindings.
#include <SDL.h>

#include "platform/common/bindings.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_local.h"

enum { MaxLateBindings = 32 };

// A binding by a name only the keyboard's layout can place ("+"): resolved
// once SDL knows the layout, when the window opens.
struct LateBinding {
    SDL_Keycode key;
    int32_t vk;
};

struct InputState {
    bool ready;
    int32_t keys[SDL_NUM_SCANCODES]; // 0: the key does nothing
    int32_t buttons[SDL_CONTROLLER_BUTTON_MAX];
    LateBinding late[MaxLateBindings];
    int lateCount;
};

static InputState In;

static void SetDefaults(void)
{
    In.ready = true;
    for (int i = 0; i < DefaultKeyBindingCount; i++) {
        SDL_Scancode sc = SDL_GetScancodeFromName(DefaultKeyBindings[i].name);
        if (sc != SDL_SCANCODE_UNKNOWN) In.keys[sc] = DefaultKeyBindings[i].vk;
    }
    for (int b = 0; b < PadButtonCount; b++) {
        SDL_GameControllerButton sb = SDL_GameControllerGetButtonFromString(PadButtonNames[b]);
        if (sb != SDL_CONTROLLER_BUTTON_INVALID) In.buttons[sb] = DefaultPadKeys[b];
    }
}

bool Plat_BindKey(const char *keyName, int32_t vk)
{
    if (!In.ready) SetDefaults();
    if (!keyName || !keyName[0] || vk < 0 || vk > 255) return false;
    SDL_Scancode sc = SDL_GetScancodeFromName(keyName);
    if (sc != SDL_SCANCODE_UNKNOWN) {
        In.keys[sc] = vk;
        return true;
    }
    SDL_Keycode key = SDL_GetKeyFromName(keyName);
    if (key == SDLK_UNKNOWN || In.lateCount == MaxLateBindings) return false;
    In.late[In.lateCount++] = {key, vk};
    return true;
}

void SdlPlaceLateBindings(void)
{
    for (int i = 0; i < In.lateCount; i++) {
        SDL_Scancode sc = SDL_GetScancodeFromKey(In.late[i].key);
        if (sc != SDL_SCANCODE_UNKNOWN) In.keys[sc] = In.late[i].vk;
    }
    In.lateCount = 0;
}

bool Plat_BindButton(const char *buttonName, int32_t vk)
{
    if (!In.ready) SetDefaults();
    SDL_GameControllerButton b = buttonName ? SDL_GameControllerGetButtonFromString(buttonName)
                                            : SDL_CONTROLLER_BUTTON_INVALID;
    if (b == SDL_CONTROLLER_BUTTON_INVALID || vk < 0 || vk > 255) return false;
    In.buttons[b] = vk;
    return true;
}

int32_t SdlKeyboardKey(int32_t scancode)
{
    if (!In.ready) SetDefaults();
    return scancode > 0 && scancode < SDL_NUM_SCANCODES ? In.keys[scancode] : 0;
}

int32_t SdlControllerKey(int button)
{
    if (!In.ready) SetDefaults();
    return button >= 0 && button < SDL_CONTROLLER_BUTTON_MAX ? In.buttons[button] : 0;
}
