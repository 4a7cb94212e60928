// Files and folders on POSIX: Linux, and the browser through emscripten's
// file system. Every call reports failure by its result and keeps the reason
// for Plat_FileError.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

struct FileState {
    char error[256];
    char userData[PlatMaxPath];
    char exeFolder[PlatMaxPath];
    std::atomic<unsigned> temps; // temporary files made by this process
};

static FileState Files;

// Keeps why the last call failed: errno's text.
static bool Failed(int err)
{
    snprintf(Files.error, sizeof(Files.error), "%s", strerror(err));
    return false;
}

const char *Plat_FileError(void) { return Files.error[0] ? Files.error : "no error"; }

static bool ReadAll(int fd, uint8_t *p, uint32_t count)
{
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = read(fd, p + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Failed(errno);
        if (n == 0) return Failed(EIO); // shrank while read
        done += (uint32_t)n;
    }
    return true;
}

static bool WriteAll(int fd, const uint8_t *p, uint32_t count)
{
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = write(fd, p + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Failed(n < 0 ? errno : EIO);
        done += (uint32_t)n;
    }
    return true;
}

bool Plat_ReadFile(const char *path, uint32_t maxSize, uint8_t **out, uint32_t *size)
{
    *out = nullptr;
    *size = 0;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Failed(errno);
    struct stat st;
    bool ok = true;
    if (fstat(fd, &st) != 0)
        ok = Failed(errno);
    else if (S_ISDIR(st.st_mode))
        ok = Failed(EISDIR);
    else if (!S_ISREG(st.st_mode))
        ok = Failed(EINVAL);
    else if (st.st_size < 0 || (unsigned long long)st.st_size > maxSize)
        ok = Failed(EFBIG);
    uint8_t *block = nullptr;
    if (ok && !(block = (uint8_t *)malloc((size_t)st.st_size + 1))) ok = Failed(ENOMEM);
    if (ok && !ReadAll(fd, block, (uint32_t)st.st_size)) {
        free(block);
        ok = false;
    }
    close(fd);
    if (!ok) return false;
    block[st.st_size] = 0;
    *out = block;
    *size = (uint32_t)st.st_size;
    return true;
}

void Plat_FreeFile(uint8_t *block) { free(block); }

bool Plat_ReplaceFile(const char *path, const void *data, uint32_t size)
{
    // The process id and a count name the temporary file, so two runs saving
    // the same file at once never write into each other's.
    char temp[PlatMaxPath];
    unsigned count = ++Files.temps;
    int n = snprintf(temp, sizeof(temp), "%s.%ld-%u.new", path, (long)getpid(), count);
    if (n <= 0 || (size_t)n >= sizeof(temp)) return Failed(ENAMETOOLONG);
    int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return Failed(errno);
    // The new contents must be on disk before they take the old file's place.
    bool ok = WriteAll(fd, (const uint8_t *)data, size);
    if (ok && fsync(fd) != 0) ok = Failed(errno);
    if (close(fd) != 0 && ok) ok = Failed(errno);
    if (ok && rename(temp, path) != 0) ok = Failed(errno);
    if (!ok) unlink(temp);
    return ok;
}

bool Plat_CreateNewFile(const char *path)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return Failed(errno);
    close(fd);
    return true;
}

static bool IsFolder(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool Plat_MakeFolder(const char *folder)
{
    char path[PlatMaxPath];
    int n = snprintf(path, sizeof(path), "%s", folder);
    if (n <= 0 || (size_t)n >= sizeof(path)) return Failed(ENAMETOOLONG);
    for (char *p = path + 1; *p; p++) {
        if (*p != '/') continue;
        *p = 0;
        if (mkdir(path, 0755) != 0 && errno != EEXIST) return Failed(errno);
        *p = '/';
    }
    if (mkdir(path, 0755) != 0 && errno != EEXIST) return Failed(errno);
    return IsFolder(path) || Failed(ENOTDIR);
}

bool Plat_CanWriteFolder(const char *folder)
{
    char path[PlatMaxPath];
    int n = snprintf(path, sizeof(path), "%s", folder);
    if (n <= 0 || (size_t)n >= sizeof(path)) return Failed(ENAMETOOLONG);
    for (;;) {
        struct stat st;
        if (stat(path, &st) == 0) {
            if (!S_ISDIR(st.st_mode)) return Failed(ENOTDIR);
            return access(path, W_OK | X_OK) == 0 || Failed(errno);
        }
        if (errno != ENOENT) return Failed(errno);
        // Up to the folder above.
        char *slash = strrchr(path, '/');
        while (slash && slash > path && slash[1] == 0) { // trailing '/'
            *slash = 0;
            slash = strrchr(path, '/');
        }
        if (!slash) return access(".", W_OK | X_OK) == 0 || Failed(errno);
        if (slash == path)
            path[1] = 0;
        else
            *slash = 0;
    }
}

bool Plat_ListFolder(const char *folder, PlatFileVisitor each, void *user)
{
    DIR *dir = opendir(folder);
    if (!dir) return Failed(errno);
    while (struct dirent *e = readdir(dir)) {
        char path[PlatMaxPath];
        int n = snprintf(path, sizeof(path), "%s%s", folder, e->d_name);
        struct stat st;
        if (n <= 0 || (size_t)n >= sizeof(path) || stat(path, &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        each(e->d_name, (int64_t)st.st_mtime, user);
    }
    closedir(dir);
    return true;
}

bool Plat_RemoveFile(const char *path) { return unlink(path) == 0 || Failed(errno); }

const char *Plat_UserDataFolder(void)
{
    // The XDG rule: a relative XDG_DATA_HOME is ignored.
    const char *data = getenv("XDG_DATA_HOME");
    const char *home = getenv("HOME");
    int n = 0;
    if (data && data[0] == '/')
        n = snprintf(Files.userData, sizeof(Files.userData), "%s/zux/", data);
    else if (home && home[0])
        n = snprintf(Files.userData, sizeof(Files.userData), "%s/.local/share/zux/", home);
    if (n <= 0 || (size_t)n >= sizeof(Files.userData)) Files.userData[0] = 0;
    return Files.userData;
}

const char *Plat_GetEnv(const char *name) { return getenv(name); }

const char *Plat_ExecutableFolder(void)
{
    if (!Files.exeFolder[0]) {
        ssize_t n = readlink("/proc/self/exe", Files.exeFolder, sizeof(Files.exeFolder) - 1);
        char *slash = n > 0 ? (Files.exeFolder[n] = 0, strrchr(Files.exeFolder, '/')) : nullptr;
        if (slash)
            slash[1] = 0;
        else
            strcpy(Files.exeFolder, "./");
    }
    return Files.exeFolder;
}

void Plat_LocalDate(PlatDate *date)
{
    time_t now = time(nullptr);
    struct tm t;
    memset(&t, 0, sizeof(t));
    localtime_r(&now, &t);
    date->year = t.tm_year + 1900;
    date->month = t.tm_mon + 1;
    date->day = t.tm_mday;
    date->hour = t.tm_hour;
    date->minute = t.tm_min;
    date->second = t.tm_sec;
    date->utcOffset = (int)(t.tm_gmtoff / 60);
}
