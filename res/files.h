// Whole files: "Data.zux" and loose resources are read from the program's
// folder, then the installed data folder; "HS.dat" and "SS.dat" live in the
// save folder (res/folders.h). Names carry no folder.
#pragma once

#include <cstdint>

enum {
    MaxFileName = 256, // longest name accepted
};

// True when the program's own folder holds a plain file name (in any letter case).
bool ProgramFolderHas(const char *name);

// Reads name whole into a new block of size + 1 bytes (the last is 0) handed out
// through out; returns the size. A file missing or unreadable returns 0 and
// leaves out alone. Free with FreeFileBlock.
uint32_t ReadWholeFile(const char *name, uint8_t **out);

// Reads the save file name whole, as ReadWholeFile does, from the save folder,
// or from the program's folder when the save folder has none yet.
uint32_t ReadSaveFile(const char *name, uint8_t **out);

// Writes the whole file through a temporary beside it renamed over name, so the
// old file stays whole until the new one is complete. The save folder is made
// when missing. Count on success; 0 on failure, which the player is told of
// once for each name.
uint32_t ReplaceWholeFile(const char *name, const void *data, uint32_t count);

// Removes from folder the temporary files of replaces that a crash cut short
// ("NAME.PID-N.new") once they are older than StaleTemporaryAge seconds: a
// younger one may be another copy of the game's write in progress.
enum { StaleTemporaryAge = 3600 };
void RemoveStaleTemporaries(const char *folder);

// ReplaceWholeFile for a path of the player's choosing, with no folder made and
// nobody told: count on success, 0 on failure with Plat_FileError saying why.
uint32_t ReplaceFileAt(const char *path, const void *data, uint32_t count);

// Reads the file at path whole, as ReadWholeFile does.
uint32_t ReadFileAt(const char *path, uint8_t **out);

// While a replay plays, the save files come from memory instead of the save
// folder, and what the game saves goes back there: the player's files are
// neither read nor written. Off again frees them all.
void UseMemorySaves(bool on);

// Puts a save file into memory, copied (size bytes of data; null data: the
// file is absent); false when out of room.
bool PutMemorySave(const char *name, const uint8_t *data, uint32_t size);

// Frees a block handed out by ReadWholeFile; null is ignored.
void FreeFileBlock(uint8_t *block);
