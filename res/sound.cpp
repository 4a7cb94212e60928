// Sound effects. The WAV data is never looked at: the platform plays the
// image as it is stored.
#include "res/sound.h"

#include "platform/platform.h"
#include "res/archive.h"

SoundSlot SoundSlots[SoundCount];

static const int32_t Off = 0;
static const int32_t *SoundSwitch = &Off;

void UseSoundSwitch(const int32_t *soundOption) { SoundSwitch = soundOption ? soundOption : &Off; }

static const char *const SoundNames[SoundCount] = {
    "sclick.wav",
    "srot.wav",
    "sdest.wav",
    "slevel.wav",
};

const char *SoundName(int sound)
{
    return sound >= 0 && sound < SoundCount ? SoundNames[sound] : "";
}

static void ReleaseSlot(SoundSlot *slot)
{
    if (slot->wav) ReleaseResource(slot->wav);
    slot->wav = nullptr;
    slot->size = 0;
}

void LoadSounds(void)
{
    for (int i = 0; i < SoundCount; i++) {
        SoundSlot *slot = &SoundSlots[i];
        ReleaseSlot(slot);
        const uint8_t *wav = nullptr;
        slot->size = LoadResource(SoundNames[i], &wav);
        slot->wav = wav;
    }
}

void PlayEffect(int sound)
{
    if (*SoundSwitch == 0 || sound < 0 || sound >= SoundCount) return;
    const SoundSlot *slot = &SoundSlots[sound];
    if (!slot->wav || slot->size == 0) return;
    Plat_PlaySound(SoundNames[sound], slot->wav, slot->size);
}

void ReleaseSounds(void)
{
    for (int i = SoundCount - 1; i >= 0; i--) ReleaseSlot(&SoundSlots[i]);
}
