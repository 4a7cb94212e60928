// The SDL backend's half of PresentFrame without a display: the frame's upload
// into the streaming texture, on SDL's software renderer over a plain surface.
// Also the whole present as the window does it (the copy into the display
// frame, the upload, clear, draw and present), at a scale of 1.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

#include "platform/sdl/sdl_local.h"

enum { Width = 240, Height = 320 };

struct SoftwareDisplay {
    SDL_Surface *surface;
    SDL_Renderer *renderer;
    SDL_Texture *texture;
};

static bool OpenSoftwareDisplay(SoftwareDisplay *d)
{
    d->surface = SDL_CreateRGBSurfaceWithFormat(0, Width, Height, 16, SDL_PIXELFORMAT_RGB565);
    d->renderer = d->surface ? SDL_CreateSoftwareRenderer(d->surface) : nullptr;
    d->texture = d->renderer ? SDL_CreateTexture(d->renderer, SDL_PIXELFORMAT_RGB565,
                                                 SDL_TEXTUREACCESS_STREAMING, Width, Height)
                             : nullptr;
    return d->texture != nullptr;
}

static void CloseSoftwareDisplay(SoftwareDisplay *d)
{
    if (d->texture) SDL_DestroyTexture(d->texture);
    if (d->renderer) SDL_DestroyRenderer(d->renderer);
    if (d->surface) SDL_FreeSurface(d->surface);
}

static std::vector<uint16_t> TestFrame(void)
{
    std::vector<uint16_t> frame(Width * Height);
    for (size_t i = 0; i < frame.size(); i++) frame[i] = (uint16_t)(i * 40503u);
    return frame;
}

static void UploadFrame(benchmark::State &state)
{
    SoftwareDisplay d = {};
    if (!OpenSoftwareDisplay(&d)) {
        state.SkipWithError(SDL_GetError());
        CloseSoftwareDisplay(&d);
        return;
    }
    std::vector<uint16_t> frame = TestFrame();
    for (auto _ : state) {
        SdlUploadFrame(d.texture, frame.data());
        benchmark::ClobberMemory();
    }
    CloseSoftwareDisplay(&d);
}
BENCHMARK(UploadFrame)->Name("PresentFrame/SdlUpload");

static void PresentWholeFrame(benchmark::State &state)
{
    SoftwareDisplay d = {};
    if (!OpenSoftwareDisplay(&d)) {
        state.SkipWithError(SDL_GetError());
        CloseSoftwareDisplay(&d);
        return;
    }
    std::vector<uint16_t> frame = TestFrame(), display(Width * Height);
    for (auto _ : state) {
        memcpy(display.data(), frame.data(), display.size() * sizeof(uint16_t));
        SdlUploadFrame(d.texture, display.data());
        SDL_SetRenderDrawColor(d.renderer, 0, 0, 0, 255);
        SDL_RenderClear(d.renderer);
        SDL_RenderCopy(d.renderer, d.texture, nullptr, nullptr);
        SDL_RenderPresent(d.renderer);
        benchmark::ClobberMemory();
    }
    CloseSoftwareDisplay(&d);
}
BENCHMARK(PresentWholeFrame)->Name("PresentFrame/SoftwareRenderer");
