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

enum { PathBuffer = 4096 };

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

uint32_t ReadSaveFile(const char *name, uint8_t **out)
{
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

uint32_t ReplaceWholeFile(const char *name, const void *data, uint32_t count)
{
    char path[PathBuffer], temp[PathBuffer];
    if (!BuildPath(SaveFolder(), name, path, sizeof(path))) return 0;
    int n = snprintf(temp, sizeof(temp), "%s.new", path);
    if (n <= 0 || (size_t)n >= sizeof(temp)) return 0;
    // The save folder is made on the first write.
    if (!MakeFolders(SaveFolder())) return SaveFailed(name);
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return SaveFailed(name);
    // The new contents must be on disk before they take the old file's place.
    bool ok = WriteExact(fd, data, count) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp, path) != 0) {
        int err = errno;
        unlink(temp);
        errno = err;
        return SaveFailed(name);
    }
    Plat_FileSaved(path);
    return count;
}

void FreeFileBlock(uint8_t *block) { free(block); }
