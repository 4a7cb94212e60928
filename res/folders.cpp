// The save folder: beside the program for a portable copy, in the player's
// data folder for an installed one, or wherever the player says.
#include "res/folders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "res/files.h"

struct FolderState {
    char save[MaxFolderPath]; // "" : the program's folder
    bool warned;
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

static bool IsFolder(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolders(const char *folder)
{
    char path[MaxFolderPath];
    int n = snprintf(path, sizeof(path), "%s", folder);
    if (n <= 0 || (size_t)n >= sizeof(path)) return false;
    for (char *p = path + 1; *p; p++) {
        if (*p != '/') continue;
        *p = 0;
        if (mkdir(path, 0755) != 0 && errno != EEXIST) return false;
        *p = '/';
    }
    if (mkdir(path, 0755) != 0 && errno != EEXIST) return false;
    return IsFolder(path);
}

// True when files can be made in folder, or folder can be made: its nearest
// existing ancestor can be written. errno says why not.
static bool CanWrite(const char *folder)
{
    char path[MaxFolderPath];
    int n = snprintf(path, sizeof(path), "%s", folder);
    if (n <= 0 || (size_t)n >= sizeof(path)) {
        errno = ENAMETOOLONG;
        return false;
    }
    for (;;) {
        struct stat st;
        if (stat(path, &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                errno = ENOTDIR;
                return false;
            }
            return access(path, W_OK | X_OK) == 0;
        }
        if (errno != ENOENT) return false;
        char *slash = strrchr(path, '/');
        while (slash && slash > path && slash[1] == 0) { // trailing '/'
            *slash = 0;
            slash = strrchr(path, '/');
        }
        if (!slash) return access(".", W_OK | X_OK) == 0;
        if (slash == path) {
            path[1] = 0;
        } else {
            *slash = 0;
        }
    }
}

bool ChooseSaveFolder(const char *home, char *why, int whySize)
{
    char folder[MaxFolderPath];
    if (home && home[0]) {
        snprintf(folder, sizeof(folder), "%s", home);
    } else if (ProgramFolderHas("Data.zux") && CanWrite(Plat_ProgramFolder())) {
        // A portable copy: the game and its data in a folder the player owns.
        // (Root may write anywhere, /usr/bin too; an install has no data there.)
        SetSaveFolder("");
        return true;
    } else {
        const char *data = getenv("XDG_DATA_HOME");
        const char *user = getenv("HOME");
        // The XDG rule: a relative XDG_DATA_HOME is ignored.
        if (data && data[0] == '/')
            snprintf(folder, sizeof(folder), "%s/zux/", data);
        else if (user && user[0])
            snprintf(folder, sizeof(folder), "%s/.local/share/zux/", user);
        else
            snprintf(folder, sizeof(folder), "%s", Plat_ProgramFolder());
    }
    SetSaveFolder(folder);
    if (CanWrite(SaveFolder())) return true;
    snprintf(why, (size_t)whySize, "zux: cannot save in %s: %s", SaveFolder(), strerror(errno));
    return false;
}

void WarnSaveFailure(const char *line)
{
    if (F.warned) return;
    F.warned = true;
    fprintf(stderr, "%s\n", line);
}
