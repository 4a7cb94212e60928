// The save folder: beside the program for a portable copy, in the player's
// data folder for an installed one, or wherever the player says.
#include "res/folders.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "res/files.h"

enum { MaxWarnedKinds = 8 };

struct FolderState {
    char save[MaxFolderPath];        // "" : the program's folder
    char warned[MaxWarnedKinds][16]; // the kinds of file already reported
};

static FolderState F;

void SetSaveFolder(const char *folder)
{
    F.save[0] = 0;
    if (!folder || !folder[0]) return;
    size_t n = strlen(folder);
    if (n + 2 > sizeof(F.save)) return; // too deep to hold: the program's folder it is
    memcpy(F.save, folder, n);
    if (F.save[n - 1] != '/') F.save[n++] = '/';
    F.save[n] = 0;
}

const char *SaveFolder(void) { return F.save[0] ? F.save : Plat_ProgramFolder(); }

bool ChooseSaveFolder(const char *home, char *why, int whySize)
{
    char folder[MaxFolderPath];
    if (home && home[0]) {
        snprintf(folder, sizeof(folder), "%s", home);
    } else if (ProgramFolderHas("Data.zux") && Plat_CanWriteFolder(Plat_ProgramFolder())) {
        // A portable copy: the game and its data in a folder the player owns.
        // (Root may write anywhere, /usr/bin too; an install has no data there.)
        SetSaveFolder("");
        return true;
    } else {
        snprintf(folder, sizeof(folder), "%s", Plat_UserDataFolder());
    }
    SetSaveFolder(folder);
    if (Plat_CanWriteFolder(SaveFolder())) return true;
    snprintf(why, (size_t)whySize, "zux: cannot save in %s: %s", SaveFolder(), Plat_FileError());
    return false;
}

void WarnSaveFailure(const char *kind, const char *line)
{
    int i = 0;
    while (i < MaxWarnedKinds && F.warned[i][0] && strcmp(F.warned[i], kind) != 0) i++;
    if (i < MaxWarnedKinds && F.warned[i][0]) return;
    if (i < MaxWarnedKinds) snprintf(F.warned[i], sizeof(F.warned[i]), "%s", kind);
    fprintf(stderr, "%s\n", line);
}
