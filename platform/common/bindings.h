// The keys and buttons every backend binds alike. A key is a place on the
// keyboard, whatever its layout prints on it: zux.cfg names it by the legend
// it has on a US keyboard (as SDL names scancodes: "Z", "Return", "Keypad 8"),
// a browser by its KeyboardEvent.code ("KeyZ", "Enter", "Numpad8").
#pragma once

#include <cstdint>

struct DefaultBinding {
    const char *name; // as zux.cfg names the key
    int32_t vk;
};

// The default keyboard: the pocket computer's keys, and what desktop players
// of falling-block games reach for (Space drops, Z and X rotate, P pauses,
// Escape goes back to the menu).
extern const DefaultBinding DefaultKeyBindings[];
extern const int DefaultKeyBindingCount;

// The KeyboardEvent.code of the key zux.cfg calls name (letter case aside);
// null for a name of no key.
const char *KeyCodeOfName(const char *name);

// True when code is the KeyboardEvent.code of a key zux.cfg can name.
bool IsKeyCode(const char *code);

enum { PadButtonCount = 17 }; // a standard-mapped controller's buttons

// The buttons of a standard-mapped controller in its order, by the names
// zux.cfg gives them ("a", "b", "x", "y", ..., "dpup", "guide"); "" for the
// two triggers, which cannot be bound.
extern const char *const PadButtonNames[PadButtonCount];

// The index of a button in that order; -1 for a name of no button.
int PadButtonOfName(const char *name);

// The default controller, in that order: A rotates clockwise, B counter-
// clockwise, X drops, Y rotates, Start pauses, Back leaves the game, the pad moves.
extern const int32_t DefaultPadKeys[PadButtonCount];
