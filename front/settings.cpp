// The settings file: eleven signed 32-bit little-endian words and the saved
// board, 1052 bytes with no header; the options and the saved game interleave.
#include "front/settings.h"

#include <cstring>

#include "game/game_screen.h"
#include "game/progress.h"
#include "game/skins.h"
#include "res/files.h"
#include "res/sound.h"
#include "res/words.h"

SettingsState Settings;

static const char SettingsFileName[] = "SS.dat";

void DefaultSettings(void)
{
    memset(&Settings, 0, sizeof(Settings));
    memset(&SavedGame, 0, sizeof(SavedGame));
    Settings.SoundOption = 1;
    UseSoundSwitch(&Settings.SoundOption);
    UseDropSwitch(&Settings.DropOption);
}

// The words in file order; the level comes before the row counter.
static int32_t *const SettingsFields[11] = {
    &Settings.SelectedSkin,   &SavedGame.SavedScore,     &SavedGame.SavedLevel,
    &SavedGame.SavedLines,    &SavedGame.SavedNextType,  &SavedGame.SavedCurrentType,
    &SavedGame.SavedGameType, &SavedGame.SavedGameValid, &SavedGame.SavedFallDelay,
    &Settings.SoundOption,    &Settings.DropOption,
};

bool SavedGamePlayable(void)
{
    if (SavedGame.SavedCurrentType < 1 || SavedGame.SavedCurrentType > 14) return false;
    if (SavedGame.SavedNextType < 1 || SavedGame.SavedNextType > 14) return false;
    if (SavedGame.SavedLevel < 1) return false;
    for (int r = 0; r < BoardRows; r++)
        for (int c = 0; c < BoardCols; c++) {
            int32_t v = SavedGame.SavedCells[r * BoardCols + c];
            bool wall = c == 0 || c == BoardCols - 1 || r == BoardRows - 1;
            if (wall ? v != 1 : (v < 0 || v > 7)) return false;
        }
    return true;
}

void DecodeSettings(const uint8_t *bytes, uint32_t size)
{
    DefaultSettings();
    // A short file is as good as none: reading past its end is never done.
    if (!bytes || size < SettingsFileSize) return;
    for (int i = 0; i < 11; i++) *SettingsFields[i] = ReadWord(bytes + 4 * i);
    for (int i = 0; i < BoardCells; i++) SavedGame.SavedCells[i] = ReadWord(bytes + 44 + 4 * i);

    if (Settings.SelectedSkin < 0 || Settings.SelectedSkin >= SkinCount) Settings.SelectedSkin = 0;
    // A saved game that would crash the board is dropped, so Continue is refused.
    if (SavedGame.SavedGameValid != 0 && !SavedGamePlayable()) SavedGame.SavedGameValid = 0;
}

void EncodeSettings(uint8_t out[SettingsFileSize])
{
    for (int i = 0; i < 11; i++) WriteWord(out + 4 * i, *SettingsFields[i]);
    for (int i = 0; i < BoardCells; i++) WriteWord(out + 44 + 4 * i, SavedGame.SavedCells[i]);
}

void LoadSettings(void)
{
    uint8_t *bytes = nullptr;
    uint32_t size = ReadSaveFile(SettingsFileName, &bytes);
    DecodeSettings(bytes, size);
    FreeFileBlock(bytes);
}

bool SaveSettings(void)
{
    uint8_t out[SettingsFileSize];
    EncodeSettings(out);
    return ReplaceWholeFile(SettingsFileName, out, SettingsFileSize) == SettingsFileSize;
}
