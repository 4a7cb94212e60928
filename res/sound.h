// The four sound effects: WAV images held in memory for the whole run and
// handed to the platform's asynchronous playback, only while sound is on.
#pragma once

#include <cstdint>

// The effects, in loading order.
enum SoundId {
    SoundClick,   // "sclick.wav"
    SoundRotate,  // "srot.wav"
    SoundDestroy, // "sdest.wav"
    SoundLevel,   // "slevel.wav"
    SoundCount,
};

// One loaded WAV image: borrowed from the archive or a private copy.
struct SoundSlot {
    const uint8_t *wav; // null when the sound was not found
    uint32_t size;
};

extern SoundSlot SoundSlots[SoundCount];

// The resource name of a sound.
const char *SoundName(int sound);

// Fetches the four sounds in order; one that is not found stays empty.
void LoadSounds(void);

// Makes the sounds obey the switch at soundOption (the player's SoundOption,
// 0: silent); unset, they stay silent.
void UseSoundSwitch(const int32_t *soundOption);

// Starts a sound and returns at once, replacing the one playing; nothing when
// the sound switch is off or the slot is empty.
void PlayEffect(int sound);

// Releases the sounds in the reverse order and empties the slots.
void ReleaseSounds(void);
