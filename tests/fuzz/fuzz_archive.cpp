// "Data.zux" as a stranger might hand it over. Every input is tried three ways:
// as a packed stream (unpacked into a block of exactly its stated size, then its
// directory walked), as an already unpacked directory, and now and then as the
// packer's input (packing then unpacking must give it back).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "res/archive.h"

enum { MaxQueries = 64 };

// Walks the directory of archive the way FindInArchive does and checks that
// every name found is answered with its first entry in the archive's case.
static void WalkDirectory(const uint8_t *bytes, uint32_t size)
{
    // A block of exactly the archive's size, so a read past it is caught.
    uint8_t *archive = (uint8_t *)malloc(size ? size : 1);
    if (!archive) return;
    if (size) memcpy(archive, bytes, size);
    bool valid = ArchiveDirectoryValid(archive, size);

    std::vector<ArchiveEntry> entries;
    uint32_t at = 0;
    ArchiveEntry entry;
    int result;
    while ((result = ReadArchiveEntry(archive, size, &at, &entry)) == EntryFound) {
        if (entry.data < archive || entry.size > size || entry.data + entry.size > archive + size ||
            at > size)
            abort();
        entries.push_back(entry);
    }
    if (valid != (result == EntryEnd)) abort();

    ResourceArchive = archive;
    ResourceArchiveSize = size;
    for (size_t i = 0; i < entries.size() && i < MaxQueries; i++) {
        char key[ArchiveNameField];
        snprintf(key, sizeof(key), "%s", entries[i].name);
        ArchiveNameCase(key);
        const ArchiveEntry *first = nullptr;
        for (const ArchiveEntry &e : entries)
            if (strcmp(e.name, key) == 0) {
                first = &e;
                break;
            }
        const uint8_t *untouched = (const uint8_t *)"";
        const uint8_t *found = untouched;
        uint32_t n = FindInArchive(entries[i].name, &found);
        if (!first) {
            if (n != 0 || found != untouched) abort();
        } else {
            if (n != first->size) abort();
            if (found != (n ? first->data : untouched)) abort();
        }
    }
    const uint8_t *found = nullptr;
    if (FindInArchive("END", &found) != 0 || found) abort();
    ResourceArchive = nullptr;
    ResourceArchiveSize = 0;
    free(archive);
}

static void UnpackAndWalk(const uint8_t *data, uint32_t size)
{
    uint32_t unpacked = PackedSize(data, size);
    if (unpacked == 0) {
        uint8_t none[4];
        if (UnpackArchive(data, size, none)) abort();
        return;
    }
    // No item reads less than a byte or makes more than 34, so a stream cannot
    // fill more than that much of its stated size; a smaller block keeps the
    // sanitizer's work per input small without hiding a write past either.
    uint64_t reachable = 34ull * (size - 4);
    uint32_t room = unpacked < reachable ? unpacked : (uint32_t)reachable;
    uint8_t *out = (uint8_t *)malloc(room ? room : 1);
    if (!out) return;
    bool ok = UnpackArchive(data, size, out);
    if (ok && room < unpacked) abort();
    if (ok) WalkDirectory(out, unpacked);
    free(out);
}

static void PackRoundTrip(const uint8_t *data, uint32_t size)
{
    uint32_t bound = PackedBound(size);
    uint8_t *packed = (uint8_t *)malloc(bound);
    uint8_t *back = (uint8_t *)malloc(size ? size : 1);
    uint32_t length = packed && back ? PackArchive(data, size, packed) : 0;
    if (length) {
        if (length > bound || PackedSize(packed, length) != size) abort();
        if (size && (!UnpackArchive(packed, length, back) || memcmp(back, data, size) != 0))
            abort();
    }
    free(packed);
    free(back);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > ArchiveMaxUnpacked) return 0;
    UnpackAndWalk(data, (uint32_t)size);
    WalkDirectory(data, (uint32_t)size);
    // The packer's tables cost far more than one unpack: one input in eight.
    if (size % 8 == 0) PackRoundTrip(data, (uint32_t)size);
    return 0;
}
