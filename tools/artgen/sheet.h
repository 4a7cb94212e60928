// Review pictures of the generated art, decoded through the game's own loader.
#pragma once

#include <cstdint>

#include "res/image.h"
#include "tools/artgen/paint.h"

// Every picture of the set with its name and size on one PNG; false on failure.
bool WriteContactSheet(const char *path);

// Mock-ups of the screens the game builds from the pictures, side by side on one
// PNG (screens.cpp); false on failure.
bool WriteScreens(const char *path);

// The picture named name, generated and decoded as the game decodes it. Images
// come from the picture decoder; true-colour pictures are widened directly.
// Null when the name is unknown or the decoder refuses the file.
Image *GeneratedImage(const char *name);
void FreeGeneratedImage(Image *image);

// A 5-6-5 pixel as a colour (channels widened by bit replication), and back.
Colour FromDisplay(uint16_t pixel);
