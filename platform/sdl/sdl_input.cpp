// Which keyboard keys and controller buttons stand for which of the game's
// virtual keys: the defaults, changed by the player's bindings.
#include <SDL.h>

#include "platform/platform.h"
#include "platform/sdl/sdl_local.h"

enum { MaxKeyBindings = 96 };

struct KeyBinding {
    SDL_Keycode key;
    int32_t vk; // 0: the key does nothing
};

struct InputState {
    bool ready;
    KeyBinding keys[MaxKeyBindings];
    int keyCount;
    int32_t buttons[SDL_CONTROLLER_BUTTON_MAX];
};

static InputState In;

static void SetKey(SDL_Keycode key, int32_t vk)
{
    for (int i = 0; i < In.keyCount; i++)
        if (In.keys[i].key == key) {
            In.keys[i].vk = vk;
            return;
        }
    if (In.keyCount < MaxKeyBindings) In.keys[In.keyCount++] = {key, vk};
}

// The keys of the pocket computer's keyboard, and what desktop players of
// falling-block games reach for: Space drops, Z and X rotate, P pauses and
// Escape goes back to the menu.
static void SetDefaults(void)
{
    In.ready = true;
    In.keyCount = 0;
    SetKey(SDLK_UP, VkUp);
    SetKey(SDLK_DOWN, VkDown);
    SetKey(SDLK_LEFT, VkLeft);
    SetKey(SDLK_RIGHT, VkRight);
    SetKey(SDLK_RETURN, VkEnter);
    SetKey(SDLK_KP_ENTER, VkEnter);
    SetKey(SDLK_F8, VkF8);
    SetKey(SDLK_F9, VkF9);
    SetKey(SDLK_KP_0, Vk0);
    for (int d = 0; d <= 9; d++) SetKey(SDLK_0 + d, Vk0 + d);
    for (int d = 1; d <= 9; d++) SetKey(SDLK_KP_1 + d - 1, Vk0 + d);
    SetKey(SDLK_SPACE, Vk0 + 7);
    SetKey(SDLK_z, Vk0 + 4);
    SetKey(SDLK_x, Vk0 + 1);
    SetKey(SDLK_p, Vk0 + 2);
    SetKey(SDLK_ESCAPE, VkF9);

    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; b++) In.buttons[b] = 0;
    In.buttons[SDL_CONTROLLER_BUTTON_DPAD_UP] = VkUp;
    In.buttons[SDL_CONTROLLER_BUTTON_DPAD_DOWN] = VkDown;
    In.buttons[SDL_CONTROLLER_BUTTON_DPAD_LEFT] = VkLeft;
    In.buttons[SDL_CONTROLLER_BUTTON_DPAD_RIGHT] = VkRight;
    In.buttons[SDL_CONTROLLER_BUTTON_A] = Vk0 + 1;
    In.buttons[SDL_CONTROLLER_BUTTON_B] = Vk0 + 4;
    In.buttons[SDL_CONTROLLER_BUTTON_X] = Vk0 + 7;
    In.buttons[SDL_CONTROLLER_BUTTON_Y] = Vk0 + 3;
    In.buttons[SDL_CONTROLLER_BUTTON_START] = Vk0 + 2;
    In.buttons[SDL_CONTROLLER_BUTTON_BACK] = VkF9;
}

bool Plat_BindKey(const char *keyName, int32_t vk)
{
    if (!In.ready) SetDefaults();
    SDL_Keycode key = keyName ? SDL_GetKeyFromName(keyName) : SDLK_UNKNOWN;
    if (key == SDLK_UNKNOWN || vk < 0 || vk > 255) return false;
    SetKey(key, vk);
    return true;
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

int32_t SdlKeyboardKey(int32_t key)
{
    if (!In.ready) SetDefaults();
    for (int i = 0; i < In.keyCount; i++)
        if (In.keys[i].key == key) return In.keys[i].vk;
    return 0;
}

int32_t SdlControllerKey(int button)
{
    if (!In.ready) SetDefaults();
    return button >= 0 && button < SDL_CONTROLLER_BUTTON_MAX ? In.buttons[button] : 0;
}
