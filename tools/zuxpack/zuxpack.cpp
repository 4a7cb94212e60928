// zuxpack: builds, lists and opens "Data.zux" archives, and runs the game's
// packer and unpacker on raw files.
//
//   zuxpack pack OUT.zux FILE...      directories add their regular files, by name
//   zuxpack unpack IN.zux DIR
//   zuxpack list IN.zux
//   zuxpack compress IN OUT
//   zuxpack decompress IN OUT
//   zuxpack decode IN.tga OUT.png
//
// Errors exit 1 with one line naming the file; bad usage exits 2.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "res/archive.h"
#include "tools/zuxpack/decode.h"

namespace fs = std::filesystem;

typedef std::vector<uint8_t> Bytes;

// Stands in for the decode command until it is built into the tool.
__attribute__((weak)) int RunDecode(int, char **)
{
    fprintf(stderr, "zuxpack: decode is not built\n");
    return 1;
}

static int Usage(void)
{
    fprintf(stderr, "usage: zuxpack pack OUT.zux FILE...\n"
                    "       zuxpack unpack IN.zux DIR\n"
                    "       zuxpack list IN.zux\n"
                    "       zuxpack compress IN OUT\n"
                    "       zuxpack decompress IN OUT\n"
                    "       zuxpack decode IN.tga OUT.png\n");
    return 2;
}

static int Fail(const std::string &file, const std::string &problem)
{
    fprintf(stderr, "zuxpack: %s: %s\n", file.c_str(), problem.c_str());
    return 1;
}

static bool ReadFile(const std::string &path, Bytes *bytes, std::string *problem)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        *problem = fs::exists(path, error) ? "not a regular file" : "no such file";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *problem = "cannot open for reading";
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        *problem = "read error";
        return false;
    }
    return true;
}

static bool WriteFile(const std::string &path, const uint8_t *data, size_t size,
                      std::string *problem)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        *problem = "cannot open for writing";
        return false;
    }
    file.write((const char *)data, (std::streamsize)size);
    file.close();
    if (!file) {
        *problem = "write error";
        return false;
    }
    return true;
}

// Packs raw bytes; false only when the packer's tables cannot be allocated.
static bool Pack(const Bytes &in, Bytes *out)
{
    out->resize(PackedBound((uint32_t)in.size()));
    uint32_t length = PackArchive(in.data(), (uint32_t)in.size(), out->data());
    out->resize(length);
    return length != 0;
}

// Unpacks a stream, checked as the game checks "Data.zux".
static bool Unpack(const Bytes &packed, Bytes *out, std::string *problem)
{
    if (packed.size() > 0xFFFFFFFFu) {
        *problem = "too large";
        return false;
    }
    uint32_t size = PackedSize(packed.data(), (uint32_t)packed.size());
    if (packed.size() < 4) {
        *problem = "shorter than the packed header";
        return false;
    }
    if (size == 0) {
        *problem = "packed stream holds nothing";
        return false;
    }
    out->assign((size_t)size + 4, 0);
    if (!UnpackArchive(packed.data(), (uint32_t)packed.size(), out->data())) {
        *problem = "malformed packed stream";
        return false;
    }
    out->resize(size);
    return true;
}

// Reads and unpacks an archive and checks its directory.
static bool OpenArchive(const std::string &path, Bytes *archive, std::string *problem)
{
    Bytes packed;
    if (!ReadFile(path, &packed, problem) || !Unpack(packed, archive, problem)) return false;
    if (!ArchiveDirectoryValid(archive->data(), (uint32_t)archive->size())) {
        *problem = "malformed directory";
        return false;
    }
    return true;
}

// The named entries of a checked archive, in order.
static std::vector<ArchiveEntry> Entries(const Bytes &archive)
{
    std::vector<ArchiveEntry> entries;
    uint32_t at = 0;
    ArchiveEntry entry;
    while (ReadArchiveEntry(archive.data(), (uint32_t)archive.size(), &at, &entry) == EntryFound)
        entries.push_back(entry);
    return entries;
}

static void AppendEntry(Bytes *archive, const char *name, const uint8_t *data, uint32_t size)
{
    uint8_t header[ArchiveEntryHeader] = {};
    strncpy((char *)header, name, ArchiveNameField - 1);
    header[32] = (uint8_t)size;
    header[33] = (uint8_t)(size >> 8);
    header[34] = (uint8_t)(size >> 16);
    header[35] = (uint8_t)(size >> 24);
    archive->insert(archive->end(), header, header + ArchiveEntryHeader);
    archive->insert(archive->end(), data, data + size);
}

static int PackCommand(int argc, char **argv)
{
    if (argc < 3) return Usage();
    std::string outPath = argv[1];
    std::vector<fs::path> files;
    for (int i = 2; i < argc; i++) {
        fs::path arg = argv[i];
        std::error_code error;
        if (!fs::is_directory(arg, error)) {
            files.push_back(arg);
            continue;
        }
        std::vector<fs::path> inside;
        for (const fs::directory_entry &item : fs::directory_iterator(arg, error)) {
            std::error_code typeError;
            if (item.is_regular_file(typeError)) inside.push_back(item.path());
        }
        if (error) return Fail(argv[i], "cannot list the directory");
        std::sort(inside.begin(), inside.end(), [](const fs::path &a, const fs::path &b) {
            return a.filename().string() < b.filename().string();
        });
        files.insert(files.end(), inside.begin(), inside.end());
    }

    Bytes archive;
    std::set<std::string> names;
    for (const fs::path &file : files) {
        std::string name = file.filename().string();
        if (name.empty() || name.size() >= ArchiveNameField)
            return Fail(file.string(), "name longer than 31 characters");
        ArchiveNameCase(name.data());
        if (name == "END") return Fail(file.string(), "END closes the archive and is no name");
        if (!names.insert(name).second) return Fail(file.string(), "a second file named " + name);
        Bytes data;
        std::string problem;
        if (!ReadFile(file.string(), &data, &problem)) return Fail(file.string(), problem);
        if (archive.size() + ArchiveEntryHeader + data.size() > ArchiveMaxUnpacked)
            return Fail(outPath, "archive would exceed 16 MB");
        AppendEntry(&archive, name.c_str(), data.data(), (uint32_t)data.size());
    }
    if (archive.size() + ArchiveEntryHeader > ArchiveMaxUnpacked)
        return Fail(outPath, "archive would exceed 16 MB");
    AppendEntry(&archive, "END", nullptr, 0);

    Bytes packed;
    std::string problem;
    if (!Pack(archive, &packed)) return Fail(outPath, "out of memory");
    if (!WriteFile(outPath, packed.data(), packed.size(), &problem)) return Fail(outPath, problem);
    return 0;
}

// A stored name that stays inside the target folder.
static bool SafeName(const char *name)
{
    return name[0] && strcmp(name, ".") != 0 && strcmp(name, "..") != 0 && !strchr(name, '/') &&
           !strchr(name, '\\');
}

static int UnpackCommand(int argc, char **argv)
{
    if (argc != 3) return Usage();
    Bytes archive;
    std::string problem;
    if (!OpenArchive(argv[1], &archive, &problem)) return Fail(argv[1], problem);
    fs::path dir = argv[2];
    std::error_code error;
    fs::create_directories(dir, error);
    if (error || !fs::is_directory(dir, error)) return Fail(argv[2], "cannot create the directory");
    for (const ArchiveEntry &entry : Entries(archive)) {
        if (!SafeName(entry.name))
            return Fail(argv[1], std::string("entry name \"") + entry.name + "\" is no file name");
        std::string path = (dir / entry.name).string();
        if (!WriteFile(path, entry.data, entry.size, &problem)) return Fail(path, problem);
    }
    return 0;
}

static int ListCommand(int argc, char **argv)
{
    if (argc != 2) return Usage();
    Bytes archive;
    std::string problem;
    if (!OpenArchive(argv[1], &archive, &problem)) return Fail(argv[1], problem);
    for (const ArchiveEntry &entry : Entries(archive)) printf("%s %u\n", entry.name, entry.size);
    return 0;
}

static int CompressCommand(int argc, char **argv)
{
    if (argc != 3) return Usage();
    Bytes in, packed;
    std::string problem;
    if (!ReadFile(argv[1], &in, &problem)) return Fail(argv[1], problem);
    if (in.size() > ArchiveMaxUnpacked) return Fail(argv[1], "larger than 16 MB - 1 byte");
    if (!Pack(in, &packed)) return Fail(argv[1], "out of memory");
    if (!WriteFile(argv[2], packed.data(), packed.size(), &problem)) return Fail(argv[2], problem);
    return 0;
}

static int DecompressCommand(int argc, char **argv)
{
    if (argc != 3) return Usage();
    Bytes packed, out;
    std::string problem;
    if (!ReadFile(argv[1], &packed, &problem) || !Unpack(packed, &out, &problem))
        return Fail(argv[1], problem);
    if (!WriteFile(argv[2], out.data(), out.size(), &problem)) return Fail(argv[2], problem);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) return Usage();
    std::string command = argv[1];
    argc--;
    argv++;
    if (command == "pack") return PackCommand(argc, argv);
    if (command == "unpack") return UnpackCommand(argc, argv);
    if (command == "list") return ListCommand(argc, argv);
    if (command == "compress") return CompressCommand(argc, argv);
    if (command == "decompress") return DecompressCommand(argc, argv);
    if (command == "decode") return RunDecode(argc, argv);
    return Usage();
}
