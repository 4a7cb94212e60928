// "SS.dat": the player's options and the saved game's snapshot (which the game
// keeps, game/progress.h), read at start-up and written at shutdown.
#pragma once

#include <cstdint>

#include "game/board.h"

enum {
    SettingsWords = 11 + BoardCells,
    SettingsFileSize = SettingsWords * 4, // 1052 bytes
};

// The player's options, chosen in the menu.
struct SettingsState {
    int32_t SelectedSkin; // 0..5
    int32_t SoundOption;  // 1: sounds on
    int32_t DropOption;   // 1: Down drops the piece at once
};

extern SettingsState Settings;

// Resets the options and the saved game to their defaults, and hands the
// sound and the game screen the switches they obey.
void DefaultSettings(void);

// Decodes a settings file's bytes into Settings and SavedGame: defaults for a
// missing, empty or short file; an unknown skin becomes 0 and a saved game
// that could not be played is dropped.
void DecodeSettings(const uint8_t *bytes, uint32_t size);

// Encodes Settings and SavedGame as the file's 1052 bytes.
void EncodeSettings(uint8_t out[SettingsFileSize]);

// Reads "SS.dat" beside the program into Settings and SavedGame.
void LoadSettings(void);

// Writes "SS.dat" whole; the previous file stays until the new one is complete.
bool SaveSettings(void);

// True when the saved game's pieces, level and board can be restored safely.
bool SavedGamePlayable(void);
