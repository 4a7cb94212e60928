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

// Makes folder and its missing parents; true when it is a folder afterwards.
bool MakeFolders(const char *folder);

// Prints "zux: cannot save in FOLDER: REASON" on standard error, once a run:
// the player must learn that nothing is kept, but only once.
void WarnSaveFailure(const char *line);
