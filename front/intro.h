// The intro: two lines of lettering revealed by flickering glows with sparks,
// then the bump-mapped light that brightens, holds and fades. A digit key or
// Enter ends it at once.
#pragma once

#include <cstdint>

#include "res/image.h"

enum IntroPhaseValue {
    IntroReveal,
    IntroLightUp,
    IntroHold,
    IntroLightDown,
};

enum {
    RevealEnd = 320,   // r at which the lettering phase gives way to the light
    LightDim = 60,     // L at the start and the end of the light
    LightBright = -10, // the light stops brightening below this
    HoldEnd = 300,     // the hold lasts until the frame counter passes this
    FirstLineWidth = 173,
    StudioLineWidth = 174,
    LetteringRows = 9,
};

struct IntroState {
    int32_t IntroPhase;    // IntroPhaseValue
    uint32_t frameCounter; // ticks of the current run of phases
    int32_t light;         // L: higher is darker
    uint8_t lightReady;    // the bump maps were built; without them the light is skipped
    Image *firstLine;      // "AGameBy.tga"
    Image *studioLine;     // "TarnveldixStudio.tga"
    Image *glow;           // "Glow.tga"
    Image *sparks;         // "Sparks.tga"
};

extern IntroState Intro;

// The phase's name as the trace shows it.
const char *IntroPhaseName(int32_t phase);

// Loads the pictures, seeds the sparks and builds the bump maps; called once at
// start-up. Whatever fails stays absent.
void LoadIntro(void);

// One tick of the intro: 0 to stay, 1 when it is over (by a key or its end).
int IntroStep(void);

// Frees everything LoadIntro made; a second call does nothing.
void ReleaseIntro(void);
