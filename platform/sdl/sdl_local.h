// What the SDL platform's files share among themselves.
#pragma once

#include <cstdint>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

// Opens the audio device; without one the game stays silent.
void SdlOpenAudio(void);

// Stops playback and frees every converted sound.
void SdlCloseAudio(void);

// Uploads one 240 x 320 5-6-5 frame into the streaming texture.
void SdlUploadFrame(SDL_Texture *texture, const uint16_t *frame);

// The game's virtual key bound to a keyboard key (an SDL scancode); 0 for none.
int32_t SdlKeyboardKey(int32_t scancode);

// Places the bindings whose names only the keyboard's layout knows ("+");
// called once SDL is up.
void SdlPlaceLateBindings(void);

// The game's virtual key bound to a controller button; 0 for none.
int32_t SdlControllerKey(int button);

// The window, null while none is open (for the tests).
SDL_Window *SdlWindow(void);

// For the tests: hook runs right after every present, standing for a display
// that holds the present up; null for none.
void SdlSetPresentHook(void (*hook)(SDL_Renderer *renderer));
