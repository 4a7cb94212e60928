// Files and folders on Windows: UTF-8 paths in, the wide-character API
// underneath, so folder and user names in any script work.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

enum { MaxEnvNames = 16, MaxEnvName = 64 };

// An environment variable's value kept for as long as the program runs.
struct EnvValue {
    char name[MaxEnvName];
    char value[PlatMaxPath];
};

struct WinFileState {
    DWORD error;         // the last failure's Windows error code
    const char *problem; // or, when no call failed, what was wrong
    char errorText[512];
    char userData[PlatMaxPath];
    char executable[PlatMaxPath];
    unsigned replaces; // numbers each replace's temporary file
    EnvValue env[MaxEnvNames];
    int envCount;
};

static WinFileState W;

static bool Fail(DWORD error)
{
    W.error = error;
    W.problem = nullptr;
    return false;
}

static bool FailBecause(const char *problem)
{
    W.error = 0;
    W.problem = problem;
    return false;
}

// path as UTF-16 into out (count characters), '/' turned into '\'; false when
// it is not UTF-8 or does not fit.
static bool Widen(const char *path, wchar_t *out, int count)
{
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, out, count);
    if (n <= 0) return Fail(GetLastError());
    for (wchar_t *p = out; *p; p++)
        if (*p == L'/') *p = L'\\';
    return true;
}

// text as UTF-8 into out (size bytes); false when it does not fit.
static bool Narrow(const wchar_t *text, char *out, int size)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, size, nullptr, nullptr);
    if (n <= 0) return Fail(GetLastError());
    return true;
}

static bool IsFolderW(const wchar_t *path)
{
    DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Writes all of data to file; false on a short write.
static bool WriteAll(HANDLE file, const void *data, uint32_t size)
{
    const uint8_t *p = (const uint8_t *)data;
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : size, done = 0;
        if (!WriteFile(file, p, chunk, &done, nullptr) || done == 0) return Fail(GetLastError());
        p += done;
        size -= done;
    }
    return true;
}

bool Plat_ReadFile(const char *path, uint32_t maxSize, uint8_t **out, uint32_t *size)
{
    wchar_t wpath[PlatMaxPath];
    if (!Widen(path, wpath, PlatMaxPath)) return false;
    HANDLE file =
        CreateFileW(wpath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError());
    LARGE_INTEGER length;
    bool ok = false;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        FailBecause("not a plain file");
    } else if (!GetFileSizeEx(file, &length)) {
        Fail(GetLastError());
    } else if (length.QuadPart > (LONGLONG)maxSize) {
        FailBecause("the file is too big");
    } else {
        uint32_t n = (uint32_t)length.QuadPart, done = 0;
        uint8_t *block = (uint8_t *)malloc((size_t)n + 1);
        if (!block) FailBecause("out of memory");
        while (block && done < n) {
            DWORD got = 0;
            if (!ReadFile(file, block + done, n - done, &got, nullptr) || got == 0) {
                if (got == 0)
                    FailBecause("the file got shorter while read");
                else
                    Fail(GetLastError());
                break;
            }
            done += got;
        }
        if (block && done == n) {
            block[n] = 0;
            *out = block;
            *size = n;
            ok = true;
        } else {
            free(block);
        }
    }
    CloseHandle(file);
    return ok;
}

void Plat_FreeFile(uint8_t *block) { free(block); }

bool Plat_ReplaceFile(const char *path, const void *data, uint32_t size)
{
    wchar_t wpath[PlatMaxPath], temp[PlatMaxPath + 32];
    if (!Widen(path, wpath, PlatMaxPath)) return false;
    // Named for this process and call, so two writers never share one.
    _snwprintf(temp, PlatMaxPath + 32, L"%ls.%lu-%u.new", wpath, GetCurrentProcessId(),
               ++W.replaces);
    temp[PlatMaxPath + 31] = 0;
    HANDLE file =
        CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError());
    // The new contents must be on the disk before they take the old file's place.
    bool ok = WriteAll(file, data, size);
    if (ok && !FlushFileBuffers(file)) ok = Fail(GetLastError());
    if (!CloseHandle(file) && ok) ok = Fail(GetLastError());
    if (ok && !MoveFileExW(temp, wpath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ok = Fail(GetLastError());
    if (!ok) {
        DWORD error = W.error;
        DeleteFileW(temp);
        W.error = error;
    }
    return ok;
}

bool Plat_CreateNewFile(const char *path)
{
    wchar_t wpath[PlatMaxPath];
    if (!Widen(path, wpath, PlatMaxPath)) return false;
    HANDLE file =
        CreateFileW(wpath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError());
    CloseHandle(file);
    return true;
}

// Where a path's own folders begin: after "C:\", "\\server\share\" or "\".
static wchar_t *FirstOwnPart(wchar_t *path)
{
    wchar_t *p = path;
    if (p[0] == L'\\' && p[1] == L'\\') {
        p += 2;
        for (int parts = 0; *p && parts < 2; p++)
            if (*p == L'\\') parts++;
        return p;
    }
    if (p[0] && p[1] == L':') p += 2;
    while (*p == L'\\') p++;
    return p;
}

bool Plat_MakeFolder(const char *folder)
{
    wchar_t path[PlatMaxPath];
    if (!Widen(folder, path, PlatMaxPath)) return false;
    for (wchar_t *p = FirstOwnPart(path); *p; p++) {
        if (*p != L'\\') continue;
        *p = 0;
        if (!IsFolderW(path) && !CreateDirectoryW(path, nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return Fail(GetLastError());
        *p = L'\\';
    }
    if (!IsFolderW(path) && !CreateDirectoryW(path, nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return Fail(GetLastError());
    return IsFolderW(path) || FailBecause("not a folder");
}

// True when a file can be made in the existing folder path (ending in '\'):
// access rights decide, not the folder's read-only flag, so try one.
static bool CanMakeFileIn(const wchar_t *folder)
{
    wchar_t probe[PlatMaxPath + 32];
    _snwprintf(probe, PlatMaxPath + 32, L"%lszux-probe-%lu.tmp", folder, GetCurrentProcessId());
    probe[PlatMaxPath + 31] = 0;
    HANDLE file = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError());
    CloseHandle(file);
    return true;
}

bool Plat_CanWriteFolder(const char *folder)
{
    wchar_t path[PlatMaxPath];
    if (!Widen(folder, path, PlatMaxPath - 1)) return false;
    size_t n = wcslen(path);
    wchar_t *own = FirstOwnPart(path);
    for (;;) {
        while (n > 0 && path + n > own && path[n - 1] == L'\\') path[--n] = 0;
        if (n == 0) wcscpy(path, L".");
        if (IsFolderW(path)) {
            if (path[wcslen(path) - 1] != L'\\') wcscat(path, L"\\");
            return CanMakeFileIn(path);
        }
        DWORD a = GetFileAttributesW(path);
        if (a != INVALID_FILE_ATTRIBUTES) return FailBecause("not a folder");
        // Gone: try the folder above.
        wchar_t *slash = wcsrchr(path, L'\\');
        if (!slash || slash < own) {
            if (own > path) {
                *own = 0; // the drive or share itself
                n = wcslen(path);
                if (!IsFolderW(path)) return Fail(ERROR_PATH_NOT_FOUND);
                return CanMakeFileIn(path);
            }
            n = 0;
            continue;
        }
        *slash = 0;
        n = (size_t)(slash - path);
    }
}

bool Plat_ListFolder(const char *folder, PlatFileVisitor each, void *user)
{
    wchar_t pattern[PlatMaxPath + 2];
    if (!Widen(folder, pattern, PlatMaxPath)) return false;
    size_t n = wcslen(pattern);
    if (n > 0 && pattern[n - 1] != L'\\') pattern[n++] = L'\\';
    pattern[n++] = L'*';
    pattern[n] = 0;
    WIN32_FIND_DATAW found;
    HANDLE find =
        FindFirstFileExW(pattern, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        // An empty folder still has "." and "..", so this is a folder that is not there.
        return Fail(error);
    }
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) continue;
        char name[PlatMaxPath];
        if (!Narrow(found.cFileName, name, sizeof(name))) continue;
        // FILETIME counts 100 ns steps from 1601; the game counts seconds from 1970.
        uint64_t t = (uint64_t)found.ftLastWriteTime.dwHighDateTime << 32 |
                     found.ftLastWriteTime.dwLowDateTime;
        int64_t seconds = (int64_t)(t / 10000000u) - 11644473600LL;
        each(name, seconds, user);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return true;
}

bool Plat_RemoveFile(const char *path)
{
    wchar_t wpath[PlatMaxPath];
    if (!Widen(path, wpath, PlatMaxPath)) return false;
    return DeleteFileW(wpath) || Fail(GetLastError());
}

const char *Plat_UserDataFolder(void)
{
    if (!W.userData[0]) {
        // %APPDATA%: the roaming application data folder, as players know it.
        const char *appData = Plat_GetEnv("APPDATA");
        char folder[PlatMaxPath];
        if (appData && appData[0] && snprintf(folder, sizeof(folder) - 8, "%s", appData) > 0) {
            size_t n = strlen(folder);
            bool slash = folder[n - 1] == '\\' || folder[n - 1] == '/';
            snprintf(W.userData, sizeof(W.userData), "%s%szux\\", folder, slash ? "" : "\\");
        }
    }
    return W.userData;
}

const char *Plat_GetEnv(const char *name)
{
    // The value is kept per name, so a pointer handed out stays good.
    EnvValue *slot = nullptr;
    for (int i = 0; i < W.envCount && !slot; i++)
        if (strcmp(W.env[i].name, name) == 0) slot = &W.env[i];
    if (!slot) {
        if (W.envCount == MaxEnvNames || strlen(name) >= MaxEnvName) return nullptr;
        slot = &W.env[W.envCount++];
        snprintf(slot->name, sizeof(slot->name), "%s", name);
    }
    wchar_t wname[MaxEnvName], value[PlatMaxPath];
    if (!Widen(name, wname, MaxEnvName)) return nullptr;
    // The process's own block, in UTF-16: the C library's copy is in the ANSI code page.
    SetLastError(0);
    DWORD n = GetEnvironmentVariableW(wname, value, PlatMaxPath);
    if (n == 0 && GetLastError() == 0)
        value[0] = 0; // set, but empty
    else if (n == 0 || n >= PlatMaxPath)
        return nullptr;
    if (!Narrow(value, slot->value, sizeof(slot->value))) return nullptr;
    return slot->value;
}

const char *Plat_ExecutableFolder(void)
{
    if (!W.executable[0]) {
        wchar_t path[PlatMaxPath];
        DWORD n = GetModuleFileNameW(nullptr, path, PlatMaxPath);
        wchar_t *slash = n > 0 && n < PlatMaxPath ? wcsrchr(path, L'\\') : nullptr;
        if (slash) slash[1] = 0;
        if (!slash || !Narrow(path, W.executable, sizeof(W.executable)))
            snprintf(W.executable, sizeof(W.executable), "./");
    }
    return W.executable;
}

void Plat_LocalDate(PlatDate *date)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    TIME_ZONE_INFORMATION zone;
    DWORD which = GetTimeZoneInformation(&zone);
    // Windows' bias is minutes west of UTC.
    long bias = zone.Bias;
    if (which == TIME_ZONE_ID_DAYLIGHT)
        bias += zone.DaylightBias;
    else if (which == TIME_ZONE_ID_STANDARD)
        bias += zone.StandardBias;
    else if (which == TIME_ZONE_ID_INVALID)
        bias = 0;
    date->year = t.wYear;
    date->month = t.wMonth;
    date->day = t.wDay;
    date->hour = t.wHour;
    date->minute = t.wMinute;
    date->second = t.wSecond;
    date->utcOffset = (int)-bias;
}

const char *Plat_FileError(void)
{
    if (W.problem) return W.problem;
    wchar_t text[256];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             W.error, 0, text, 256, nullptr);
    // One line: without the message's own line break and full stop.
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L'.' ||
                     text[n - 1] == L' '))
        n--;
    text[n] = 0;
    if (n == 0 || !Narrow(text, W.errorText, sizeof(W.errorText)))
        snprintf(W.errorText, sizeof(W.errorText), "Windows error %lu", W.error);
    return W.errorText;
}
