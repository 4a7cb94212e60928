// The intro. The lettering grows from both sides at one and a half columns a
// tick, each growing end carried by a glow and a spark fountain; then the
// relief picture comes up under the moving light. It runs at the 20 ms tick.
#include "front/intro.h"

#include <cstdlib>
#include <cstring>

#include "gfx/blit.h"
#include "gfx/intro_effects.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/tga.h"

IntroState Intro;

const char *IntroPhaseName(int32_t phase)
{
    switch (phase) {
    case IntroReveal: return "Reveal";
    case IntroLightUp: return "LightUp";
    case IntroHold: return "Hold";
    case IntroLightDown: return "LightDown";
    default: return "";
    }
}

// Decodes the bump picture name into tga (data null when it is missing or bad).
static void DecodeBumpPicture(const char *name, TgaInfo *tga)
{
    tga->data = nullptr;
    const uint8_t *file = nullptr;
    uint32_t size = LoadResource(name, &file);
    if (!file) return;
    if (DecodeTga(tga, file, size) != TgaNoError) tga->data = nullptr;
    ReleaseResource(file);
}

void LoadIntro(void)
{
    Intro.firstLine = LoadImage("AGameBy.tga");
    Intro.studioLine = LoadImage("TarnveldixStudio.tga");
    Intro.glow = LoadImage("Glow.tga");
    Intro.sparks = LoadImage("Sparks.tga");
    SeedSparks();

    // The light needs all three bump pictures at their exact sizes; without
    // them the intro ends after the lettering.
    if (AllocateBumpMaps((int32_t)ScreenWidth, (int32_t)ScreenHeight)) {
        TgaInfo picture, height, source;
        DecodeBumpPicture("Bump-picS.tga", &picture);
        BuildBumpPicture(&picture);
        DecodeBumpPicture("Bump-FondS.tga", &height);
        BuildBumpHeight(&height);
        DecodeBumpPicture("Bump-SourceS.tga", &source);
        BuildBumpLight(&source);
        FreeTgaData(&picture);
        FreeTgaData(&height);
        FreeTgaData(&source);
        BuildBumpGradients();
    }
    Intro.lightReady = BumpMapsReady() ? 1 : 0;
    BumpMaps.angle = 0;
    Intro.frameCounter = 0;
    Intro.IntroPhase = IntroReveal;
    Intro.light = LightDim;
}

// One tick of the lettering: the lines grow from their outer ends inward.
static void DrawReveal(int32_t r)
{
    if (BackBuffer) memset(BackBuffer, 0, (size_t)ScreenWidth * ScreenHeight * sizeof(uint16_t));
    if (r < FirstLineWidth) {
        BlitTransparentRect(Intro.firstLine, 0, 65, 0, 0, r, LetteringRows);
        BlitTransparentRect(Intro.studioLine, StudioLineWidth - r, 146, StudioLineWidth - r, 0,
                            StudioLineWidth, LetteringRows);
    } else {
        BlitTransparentRect(Intro.firstLine, 0, 65, 0, 0, FirstLineWidth, LetteringRows);
        BlitTransparentRect(Intro.studioLine, 0, 146, 0, 0, StudioLineWidth, LetteringRows);
    }
    DrawSparkFountain(Intro.sparks, r - 4, 66, 170 - r, 147);
    // A fresh flicker for each glow, drawn even when the picture is missing so
    // the random sequence stays the same.
    int16_t bias = (int16_t)(5 - Plat_Rand() % 10);
    BlitAddGrey(Intro.glow, r - 15, 54, bias);
    bias = (int16_t)(5 - Plat_Rand() % 10);
    BlitAddGrey(Intro.glow, 159 - r, 135, bias);
}

int IntroStep(void)
{
    Intro.frameCounter++;
    if (AnyKeyFires()) return 1;

    if (Intro.IntroPhase == IntroReveal) {
        int32_t r = (int32_t)(3 * Intro.frameCounter / 2);
        DrawReveal(r);
        if (r >= RevealEnd) {
            if (!Intro.lightReady) {
                PresentFrame(BackBuffer);
                return 1;
            }
            Intro.IntroPhase = IntroLightUp;
            Intro.frameCounter = 0;
            Intro.light = LightDim;
        }
    } else {
        if (Intro.IntroPhase == IntroLightUp) {
            Intro.light--;
            if (Intro.light < LightBright) Intro.IntroPhase = IntroHold;
        } else if (Intro.IntroPhase == IntroHold) {
            if (Intro.frameCounter > HoldEnd) Intro.IntroPhase = IntroLightDown;
        } else {
            Intro.light++;
            if (Intro.light > LightDim) return 1;
        }
        DrawBumpLight(Intro.light);
        BlitTransparent(Intro.firstLine, 0, 65);
        BlitTransparent(Intro.studioLine, 0, 146);
    }
    PresentFrame(BackBuffer);
    return 0;
}

static void FreeImage(Image **image)
{
    if (!*image) return;
    FreeImagePixels(*image);
    free(*image);
    *image = nullptr;
}

void ReleaseIntro(void)
{
    FreeBumpMaps();
    FreeImage(&Intro.sparks);
    FreeImage(&Intro.studioLine);
    FreeImage(&Intro.firstLine);
    FreeImage(&Intro.glow);
    Intro.lightReady = 0;
}
