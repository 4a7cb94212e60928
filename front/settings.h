// "SS.dat": the menu's options and the saved game, read at start-up and written
// at shutdown.
#pragma once

#include <cstdint>

enum {
    BoardRows = 21, // 20 playing rows and the floor
    BoardCols = 12, // 10 playing columns between two walls
    BoardCells = BoardRows * BoardCols,
    SettingsWords = 11 + BoardCells,
    SettingsFileSize = SettingsWords * 4, // 1052 bytes
    SkinCount = 6,
};

struct SettingsState {
    int32_t SelectedSkin; // 0..5
    int32_t SavedScore;
    int32_t SavedLevel;       // from 1
    int32_t SavedLines;       // rows still to clear (type A) or cleared (B, C, D)
    int32_t SavedNextType;    // piece type 1..14
    int32_t SavedCurrentType; // piece type 1..14
    int32_t SavedGameType;    // 0..3 = A..D
    int32_t SavedGameValid;   // 1: Continue can resume the saved game
    int32_t SavedFallDelay;
    int32_t SoundOption; // 1: sounds on
    int32_t DropOption;  // 1: Down drops the piece at once
    int32_t SavedCells[BoardCells];
};

extern SettingsState Settings;

// Resets every value to its default.
void DefaultSettings(void);

// Decodes a settings file's bytes into Settings: defaults for a missing, empty
// or short file; an unknown skin becomes 0 and a saved game that could not be
// played is dropped.
void DecodeSettings(const uint8_t *bytes, uint32_t size);

// Encodes Settings as the file's 1052 bytes.
void EncodeSettings(uint8_t out[SettingsFileSize]);

// Reads "SS.dat" beside the program into Settings.
void LoadSettings(void);

// Writes Settings to "SS.dat" whole; the previous file stays until the new one is complete.
bool SaveSettings(void);

// True when the saved game's pieces, level and board can be restored safely.
bool SavedGamePlayable(void);
