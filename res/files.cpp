// The game's files, read and written whole. A short read or write is a
// failure; every whole-file operation opens, transfers and closes in one call.
#include "res/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "res/folders.h"

enum { PathBuffer = 4096, MaxMemorySaves = 4 };

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

// Looks for name in folder ignoring letter case, as the game's first home did,
// so "DATA.ZUX" or "sclick.WAV" are found too; false when absent.
static bool FindAnyCase(const char *folder, const char *name, char *path, size_t size)
{
    DIR *dir = opendir(folder);
    if (!dir) return false;
    bool found = false;
    while (struct dirent *e = readdir(dir))
        if (strcasecmp(e->d_name, name) == 0) {
            int n = snprintf(path, size, "%s%s", folder, e->d_name);
            found = n > 0 && (size_t)n < size;
            break;
        }
    closedir(dir);
    return found;
}

// Opens name in folder for reading, an exact match first; InvalidFile when it
// is absent or not a plain file.
static FileHandle OpenIn(const char *folder, const char *name)
{
    char path[PathBuffer];
    if (!folder[0] || !BuildPath(folder, name, path, sizeof(path))) return InvalidFile;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && FindAnyCase(folder, name, path, sizeof(path)))
        fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return InvalidFile;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return InvalidFile;
    }
    return fd;
}

bool ProgramFolderHas(const char *name)
{
    FileHandle file = OpenIn(Plat_ProgramFolder(), name);
    CloseFile(file);
    return file != InvalidFile;
}

FileHandle OpenForRead(const char *name)
{
    FileHandle file = OpenIn(Plat_ProgramFolder(), name);
    if (file == InvalidFile && strcmp(Plat_DataFolder(), Plat_ProgramFolder()) != 0)
        file = OpenIn(Plat_DataFolder(), name);
    return file;
}

FileHandle OpenForWrite(const char *name)
{
    char path[PathBuffer];
    if (!BuildPath(SaveFolder(), name, path, sizeof(path))) return InvalidFile;
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd < 0 ? InvalidFile : fd;
}

void CloseFile(FileHandle file)
{
    if (file != InvalidFile) close(file);
}

uint32_t FileSize(FileHandle file)
{
    struct stat st;
    if (fstat(file, &st) != 0 || st.st_size < 0) return 0;
    // A size that does not fit in 32 bits cannot be read whole anyway.
    if ((unsigned long long)st.st_size >= 0xFFFFFFFFull) return 0xFFFFFFFEu;
    return (uint32_t)st.st_size;
}

bool ReadExact(FileHandle file, void *buffer, uint32_t count)
{
    uint8_t *p = (uint8_t *)buffer;
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = read(file, p + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += (uint32_t)n;
    }
    return true;
}

bool WriteExact(FileHandle file, const void *data, uint32_t count)
{
    const uint8_t *p = (const uint8_t *)data;
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = write(file, p + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += (uint32_t)n;
    }
    return true;
}

// Reads an open file whole into a new block; closes it.
static uint32_t ReadOpened(FileHandle file, uint8_t **out)
{
    if (file == InvalidFile) return 0;
    uint32_t size = FileSize(file);
    uint8_t *block = (uint8_t *)malloc((size_t)size + 1);
    if (!block) {
        CloseFile(file);
        return 0;
    }
    *out = block;
    if (!ReadExact(file, block, size)) {
        CloseFile(file);
        free(block);
        *out = nullptr;
        return 0;
    }
    block[size] = 0;
    CloseFile(file);
    return size;
}

uint32_t ReadWholeFile(const char *name, uint8_t **out)
{
    return ReadOpened(OpenForRead(name), out);
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
    FileHandle file = OpenIn(SaveFolder(), name);
    // A copy moved from portable to installed keeps what it saved beside the program.
    if (file == InvalidFile && strcmp(SaveFolder(), Plat_ProgramFolder()) != 0)
        file = OpenIn(Plat_ProgramFolder(), name);
    return ReadOpened(file, out);
}

uint32_t WriteWholeFile(const char *name, const void *data, uint32_t count)
{
    FileHandle file = OpenForWrite(name);
    if (file == InvalidFile) return 0;
    bool ok = WriteExact(file, data, count);
    CloseFile(file);
    return ok ? count : 0;
}

// Tells the player, once, that a save did not happen and why.
static uint32_t SaveFailed(const char *name)
{
    char line[PathBuffer + 128];
    snprintf(line, sizeof(line), "zux: cannot save %s in %s: %s", name, SaveFolder(),
             strerror(errno));
    WarnSaveFailure(line);
    return 0;
}

uint32_t ReplaceFileAt(const char *path, const void *data, uint32_t count)
{
    char temp[PathBuffer];
    int n = snprintf(temp, sizeof(temp), "%s.new", path);
    if (n <= 0 || (size_t)n >= sizeof(temp)) {
        errno = ENAMETOOLONG;
        return 0;
    }
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return 0;
    // The new contents must be on disk before they take the old file's place.
    bool ok = WriteExact(fd, data, count) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp, path) != 0) {
        int err = errno;
        unlink(temp);
        errno = err;
        return 0;
    }
    Plat_FileSaved(path);
    return count;
}

uint32_t ReplaceWholeFile(const char *name, const void *data, uint32_t count)
{
    if (Mem.on) return PutMemorySave(name, (const uint8_t *)data, count) ? count : 0;
    char path[PathBuffer];
    if (!BuildPath(SaveFolder(), name, path, sizeof(path))) return 0;
    // The save folder is made on the first write.
    if (!MakeFolders(SaveFolder())) return SaveFailed(name);
    if (ReplaceFileAt(path, data, count) != count) return SaveFailed(name);
    return count;
}

uint32_t ReadFileAt(const char *path, uint8_t **out)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return 0;
    }
    return ReadOpened(fd, out);
}

void FreeFileBlock(uint8_t *block) { free(block); }
