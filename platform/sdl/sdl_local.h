// What the SDL platform's files share among themselves.
#pragma once

#include <cstdint>

struct SDL_Texture;

// Opens the audio device; without one the game stays silent.
void SdlOpenAudio(void);

// Stops playback and frees every converted sound.
void SdlCloseAudio(void);

// Uploads one 240 x 320 5-6-5 frame into the streaming texture.
void SdlUploadFrame(SDL_Texture *texture, const uint16_t *frame);

// The game's virtual key bound to a keyboard key (an SDL keycode); 0 for none.
int32_t SdlKeyboardKey(int32_t key);

// The game's virtual key bound to a controller button; 0 for none.
int32_t SdlControllerKey(int button);
