// Sound over SDL2: each WAV image is converted for the device once and kept;
// playing one clears the queue and queues it, so a new sound replaces the old
// and the tick never waits.
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "platform/sdl/sdl_local.h"

enum { MaxSounds = 16 };

struct ConvertedSound {
    const uint8_t *source; // the WAV image it was made from
    uint32_t sourceSize;
    uint8_t *samples; // null when the image could not be played
    uint32_t length;
};

struct AudioState {
    SDL_AudioDeviceID device;
    SDL_AudioSpec have;
    ConvertedSound sounds[MaxSounds];
    int count;
};

static AudioState A;

static void OpenDevice(void);

// Runs while the audio libraries probe for a device: their own complaints
// (ALSA prints a line for every card it fails to open) go nowhere, so the
// player sees one line of ours at most. Windows' sound drivers print nothing.
static int HideStandardError(void)
{
#ifdef _WIN32
    return -1;
#else
    fflush(stderr);
    int saved = dup(2);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0) dup2(null, 2);
    if (null >= 0) close(null);
    return saved;
#endif
}

static void RestoreStandardError(int saved)
{
#ifndef _WIN32
    if (saved < 0) return;
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
#else
    (void)saved;
#endif
}

void SdlOpenAudio(void)
{
    int saved = HideStandardError();
    bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (ok) OpenDevice();
    RestoreStandardError(saved);
    if (!A.device) fprintf(stderr, "zux: no sound device, playing silently\n");
}

static void OpenDevice(void)
{
    SDL_AudioSpec want;
    memset(&want, 0, sizeof(want));
    want.freq = 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 512;
    A.device = SDL_OpenAudioDevice(nullptr, 0, &want, &A.have, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (A.device == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void Plat_StopSound(void)
{
    if (A.device) SDL_ClearQueuedAudio(A.device);
}

void SdlCloseAudio(void)
{
    if (A.device) {
        SDL_CloseAudioDevice(A.device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    for (int i = 0; i < A.count; i++) SDL_free(A.sounds[i].samples);
    memset(&A, 0, sizeof(A));
}

// Decodes and converts a WAV image for the device; samples stay null on failure.
static void Convert(ConvertedSound *s)
{
    SDL_AudioSpec wavFormat;
    Uint8 *buf = nullptr;
    Uint32 len = 0;
    SDL_RWops *rw = SDL_RWFromConstMem(s->source, (int)s->sourceSize);
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &wavFormat, &buf, &len)) return;
    SDL_AudioCVT cvt;
    int built = SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq,
                                  A.have.format, A.have.channels, A.have.freq);
    if (built < 0) {
        SDL_FreeWAV(buf);
        return;
    }
    cvt.len = (int)len;
    cvt.buf = (Uint8 *)SDL_malloc((size_t)len * (size_t)cvt.len_mult);
    if (!cvt.buf) {
        SDL_FreeWAV(buf);
        return;
    }
    memcpy(cvt.buf, buf, len);
    SDL_FreeWAV(buf);
    if (built > 0 && SDL_ConvertAudio(&cvt) != 0) {
        SDL_free(cvt.buf);
        return;
    }
    s->samples = cvt.buf;
    s->length = built > 0 ? (uint32_t)cvt.len_cvt : len;
}

void Plat_PlaySound(const char *, const uint8_t *wav, uint32_t size)
{
    if (!A.device || !wav || size == 0) return;
    ConvertedSound *s = nullptr;
    for (int i = 0; i < A.count; i++)
        if (A.sounds[i].source == wav && A.sounds[i].sourceSize == size) s = &A.sounds[i];
    if (!s) {
        if (A.count == MaxSounds) return;
        s = &A.sounds[A.count++];
        s->source = wav;
        s->sourceSize = size;
        Convert(s);
    }
    if (!s->samples) return;
    SDL_ClearQueuedAudio(A.device);
    SDL_QueueAudio(A.device, s->samples, s->length);
    SDL_PauseAudioDevice(A.device, 0);
}
