// Where the game's files live: resources beside the program, then in the
// installed data folder; the player's saves ("SS.dat", "HS.dat", "zux.cfg")
// in the save folder, which is the program's folder unless chosen otherwise.
#pragma once

enum { MaxFolderPath = 4096 };

// Sets the save folder (a '/' is added when missing); "" makes it the program's folder.
void SetSaveFolder(const char *folder);

// The save folder, ending in '/'.
const char *SaveFolder(void);

// Chooses the save folder of a player's run: home when given, else the
// program's folder when it holds "Data.zux" and can be written, else $XDG_DATA_HOME/zux/
// (~/.local/share/zux/ without it). False, with why naming the folder and the
// reason, when the chosen folder can be neither written nor made.
bool ChooseSaveFolder(const char *home, char *why, int whySize);

// Prints line ("zux: cannot save ...") on standard error the first time a
// file of this kind ("SS.dat", "HS.dat", "replay", the save "folder") cannot
// be saved: the player learns of each kind of file lost, but once a run.
void WarnSaveFailure(const char *kind, const char *line);
