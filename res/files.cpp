// The game's files, read and written whole through the platform's file calls.
#include "res/files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/platform.h"
#include "res/folders.h"

enum { MaxMemorySaves = 4 };

static const uint32_t MaxReadSize = 0xFFFFFFFEu; // what a 32-bit size can hold, and its 0

// A save file held in memory while a replay plays.
struct MemorySave {
    char name[32];
    uint8_t *bytes; // null: absent
    uint32_t size;
};

struct MemorySaveState {
    bool on;
    MemorySave files[MaxMemorySaves];
    int count;
};

static MemorySaveState Mem;

// Builds folder + name into path; false when the name is too long or the path
// does not fit.
static bool BuildPath(const char *folder, const char *name, char *path, size_t size)
{
    if (!name || strlen(name) > MaxFileName) return false;
    int n = snprintf(path, size, "%s%s", folder, name);
    return n > 0 && (size_t)n < size;
}

static char Lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c + 32) : c; }

static bool SameAnyCase(const char *a, const char *b)
{
    while (*a && Lower(*a) == Lower(*b)) a++, b++;
    return Lower(*a) == Lower(*b);
}

struct AnyCaseSearch {
    const char *name;
    char found[MaxFileName + 1];
};

static void MatchAnyCase(const char *name, int64_t, void *user)
{
    AnyCaseSearch *s = (AnyCaseSearch *)user;
    if (!s->found[0] && strlen(name) <= MaxFileName && SameAnyCase(name, s->name))
        snprintf(s->found, sizeof(s->found), "%s", name);
}

// Reads name whole from folder, an exact match first, else the name in any
// letter case, as the game's first home found them ("DATA.ZUX", "sclick.WAV").
// False when absent, unreadable or not a plain file.
static bool ReadIn(const char *folder, const char *name, uint8_t **out, uint32_t *size)
{
    char path[PlatMaxPath];
    if (!folder[0] || !BuildPath(folder, name, path, sizeof(path))) return false;
    if (Plat_ReadFile(path, MaxReadSize, out, size)) return true;
    AnyCaseSearch s = {name, ""};
    if (!Plat_ListFolder(folder, MatchAnyCase, &s) || !s.found[0] || !strcmp(s.found, name))
        return false;
    return BuildPath(folder, s.found, path, sizeof(path)) &&
           Plat_ReadFile(path, MaxReadSize, out, size);
}

// The size read into *out; 0, and out alone, when nothing was.
static uint32_t Handed(bool read, uint8_t *block, uint32_t size, uint8_t **out)
{
    if (!read) return 0;
    *out = block;
    return size;
}

// Reads name whole from first, else from second when that is another folder; as Handed.
static uint32_t ReadInEither(const char *first, const char *second, const char *name, uint8_t **out)
{
    uint8_t *block;
    uint32_t size;
    bool read = ReadIn(first, name, &block, &size);
    if (!read && strcmp(second, first) != 0) read = ReadIn(second, name, &block, &size);
    return Handed(read, block, size, out);
}

bool ProgramFolderHas(const char *name)
{
    // Listed, not read: "Data.zux" is large.
    AnyCaseSearch s = {name, ""};
    return Plat_ListFolder(Plat_ProgramFolder(), MatchAnyCase, &s) && s.found[0];
}

uint32_t ReadWholeFile(const char *name, uint8_t **out)
{
    return ReadInEither(Plat_ProgramFolder(), Plat_DataFolder(), name, out);
}

static MemorySave *FindMemorySave(const char *name)
{
    for (int i = 0; i < Mem.count; i++)
        if (strcmp(Mem.files[i].name, name) == 0) return &Mem.files[i];
    return nullptr;
}

void UseMemorySaves(bool on)
{
    for (int i = 0; i < Mem.count; i++) free(Mem.files[i].bytes);
    memset(&Mem, 0, sizeof(Mem));
    Mem.on = on;
}

bool PutMemorySave(const char *name, const uint8_t *data, uint32_t size)
{
    MemorySave *f = FindMemorySave(name);
    if (!f) {
        if (Mem.count == MaxMemorySaves || strlen(name) >= sizeof(f->name)) return false;
        f = &Mem.files[Mem.count++];
        snprintf(f->name, sizeof(f->name), "%s", name);
    }
    free(f->bytes);
    f->bytes = nullptr;
    f->size = 0;
    if (!data) return true;
    f->bytes = (uint8_t *)malloc(size ? size : 1);
    if (!f->bytes) return false;
    memcpy(f->bytes, data, size);
    f->size = size;
    return true;
}

uint32_t ReadSaveFile(const char *name, uint8_t **out)
{
    if (Mem.on) {
        MemorySave *f = FindMemorySave(name);
        if (!f || !f->bytes) return 0;
        uint8_t *block = (uint8_t *)malloc((size_t)f->size + 1);
        if (!block) return 0;
        memcpy(block, f->bytes, f->size);
        block[f->size] = 0;
        *out = block;
        return f->size;
    }
    // A copy moved from portable to installed keeps what it saved beside the program.
    return ReadInEither(SaveFolder(), Plat_ProgramFolder(), name, out);
}

// Tells the player, once for this name, that a save did not happen and why.
static uint32_t SaveFailed(const char *name)
{
    char line[PlatMaxPath + 512];
    snprintf(line, sizeof(line), "zux: cannot save %s in %s: %s", name, SaveFolder(),
             Plat_FileError());
    WarnSaveFailure(name, line);
    return 0;
}

uint32_t ReplaceFileAt(const char *path, const void *data, uint32_t count)
{
    if (!Plat_ReplaceFile(path, data, count)) return 0;
    Plat_FileSaved(path);
    return count;
}

uint32_t ReplaceWholeFile(const char *name, const void *data, uint32_t count)
{
    if (Mem.on) return PutMemorySave(name, (const uint8_t *)data, count) ? count : 0;
    char path[PlatMaxPath];
    if (!BuildPath(SaveFolder(), name, path, sizeof(path))) return 0;
    // The save folder is made on the first write.
    if (!Plat_MakeFolder(SaveFolder())) return SaveFailed(name);
    if (ReplaceFileAt(path, data, count) != count) return SaveFailed(name);
    return count;
}

// True for "NAME.PID-N.new", the name Plat_ReplaceFile gives its temporary file.
static bool TemporaryNamed(const char *name)
{
    size_t n = strlen(name);
    if (n < 9 || strcmp(name + n - 4, ".new") != 0) return false;
    const char *p = name + n - 4;
    int digits = 0;
    while (p > name && p[-1] >= '0' && p[-1] <= '9') p--, digits++;
    if (!digits || p == name || *--p != '-') return false;
    digits = 0;
    while (p > name && p[-1] >= '0' && p[-1] <= '9') p--, digits++;
    return digits && p > name + 1 && p[-1] == '.';
}

struct StaleSweep {
    const char *folder;
    int64_t before;
};

static void RemoveIfStale(const char *name, int64_t modified, void *user)
{
    StaleSweep *sweep = (StaleSweep *)user;
    if (!TemporaryNamed(name) || modified >= sweep->before) return;
    char path[PlatMaxPath];
    int n = snprintf(path, sizeof(path), "%s%s", sweep->folder, name);
    if (n > 0 && (size_t)n < sizeof(path)) Plat_RemoveFile(path);
}

void RemoveStaleTemporaries(const char *folder)
{
    StaleSweep sweep = {folder, (int64_t)time(nullptr) - StaleTemporaryAge};
    Plat_ListFolder(folder, RemoveIfStale, &sweep);
}

uint32_t ReadFileAt(const char *path, uint8_t **out)
{
    uint8_t *block;
    uint32_t size;
    bool read = Plat_ReadFile(path, MaxReadSize, &block, &size);
    return Handed(read, block, size, out);
}

void FreeFileBlock(uint8_t *block) { Plat_FreeFile(block); }
