// zux-files-check.exe: the Win32 file calls under wine, in a folder whose
// names are not ASCII, and the crash-safe replace (with --hammer, killed from
// outside while it writes).
//
//   zux-files-check DIR           every check in DIR\; prints "files ok"
//   zux-files-check --hammer FILE replaces FILE with 256 KiB of 'a', then of
//                                 'b', ... for ever; prints "ready" after the first
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"

static int Failures;

static void Check(bool ok, const char *what)
{
    if (ok) return;
    std::printf("FAIL: %s (%s)\n", what, Plat_FileError());
    Failures++;
}

static bool ReadText(const std::string &path, std::string *text, uint32_t maxSize = 1u << 20)
{
    uint8_t *block = nullptr;
    uint32_t size = 0;
    if (!Plat_ReadFile(path.c_str(), maxSize, &block, &size)) return false;
    bool terminated = block[size] == 0;
    text->assign((const char *)block, size);
    Plat_FreeFile(block);
    return terminated;
}

static void Collect(const char *name, int64_t modified, void *user)
{
    auto *names = (std::vector<std::string> *)user;
    names->push_back(name);
    // 2020 to 2100, in seconds since 1970: a time, not garbage.
    if (modified < 1577836800 || modified > 4102444800) names->push_back("(bad time)");
}

static std::vector<std::string> List(const std::string &folder)
{
    std::vector<std::string> names;
    if (!Plat_ListFolder(folder.c_str(), Collect, &names)) names.push_back("(unreadable)");
    return names;
}

static int Hammer(const char *path)
{
    std::vector<uint8_t> data(256 * 1024);
    for (unsigned round = 0;; round++) {
        std::memset(data.data(), 'a' + (int)(round % 2), data.size());
        if (!Plat_ReplaceFile(path, data.data(), (uint32_t)data.size())) {
            std::printf("FAIL: replace (%s)\n", Plat_FileError());
            return 1;
        }
        if (round == 0) {
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hammer") == 0) return Hammer(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zux-files-check DIR | --hammer FILE\n");
        return 2;
    }
    std::string root = argv[1];
    if (root.back() != '\\' && root.back() != '/') root += '\\';
    // German, Greek and Japanese letters, as a player's user name may hold.
    std::string folder = root + "Spieler \xc3\xbc\xce\xb1/\xe6\x97\xa5\xe6\x9c\xac\\";
    Check(Plat_CanWriteFolder(folder.c_str()), "a folder yet to be made can be written");
    Check(Plat_MakeFolder(folder.c_str()), "make the folders");
    Check(Plat_MakeFolder(folder.c_str()), "make them again");
    Check(Plat_CanWriteFolder(folder.c_str()), "the folder can be written");

    std::string file = folder + "SS.dat", text;
    Check(!ReadText(file, &text), "an absent file is not read");
    Check(Plat_FileError()[0] != 0, "a failure says why");
    Check(Plat_ReplaceFile(file.c_str(), "first", 5), "write a new file");
    Check(ReadText(file, &text) && text == "first", "read it back");
    Check(Plat_ReplaceFile(file.c_str(), "second!", 7), "replace it");
    Check(ReadText(file, &text) && text == "second!", "read the replacement");
    Check(!ReadText(file, &text, 6), "a file over the limit is not read");
    Check(Plat_ReplaceFile(file.c_str(), "", 0) && ReadText(file, &text) && text.empty(),
          "an empty file");
    Check(!ReadText(folder, &text), "a folder is not read as a file");

    std::string made = folder + "made.\xc3\xa9";
    Check(Plat_CreateNewFile(made.c_str()), "make a new file");
    Check(!Plat_CreateNewFile(made.c_str()), "no second time");
    std::vector<std::string> names = List(folder);
    std::string joined;
    for (const std::string &n : names) joined += n + ";";
    Check(joined == "SS.dat;made.\xc3\xa9;" || joined == "made.\xc3\xa9;SS.dat;",
          ("the listing: the two files, no temporary ones: " + joined).c_str());
    Check(List(root + "absent\\")[0] == "(unreadable)", "an absent folder is not listed");
    Check(Plat_RemoveFile(made.c_str()), "remove a file");
    Check(!Plat_RemoveFile(made.c_str()), "not twice");

    const char *data = Plat_UserDataFolder();
    const char *appData = Plat_GetEnv("APPDATA");
    Check(appData && std::strncmp(data, appData, std::strlen(appData)) == 0 &&
              std::strcmp(data + std::strlen(data) - 5, "\\zux\\") == 0,
          "the user's data folder is %APPDATA%\\zux\\");
    const char *value = Plat_GetEnv("ZUX_CHECK_VALUE");
    Check(value && std::strcmp(value, "gr\xc3\xbc\xc3\x9f \xe2\x82\xac") == 0,
          "an environment variable's value in UTF-8");
    Check(Plat_GetEnv("ZUX_CHECK_UNSET") == nullptr, "an unset variable");
    std::string exe = Plat_ExecutableFolder();
    Check(exe.size() > 3 && exe.back() == '\\' && List(exe).size() > 0, "the program's own folder");
    PlatDate date;
    Plat_LocalDate(&date);
    Check(date.year >= 2020 && date.month >= 1 && date.month <= 12 && date.day >= 1,
          "the local date");
    if (Failures) return 1;
    std::printf("files ok\n");
    return 0;
}
