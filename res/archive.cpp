// The packed resource archive: the unpacker start-up runs on "Data.zux", the
// lookup of resources by name, and the packer the build uses to make the file.
//
// A packed stream is a 4-byte header (U, 24-bit little-endian, and a 0) and
// groups of up to 30 items behind a big-endian flag word: bit 31 - j says item j
// is a match (a 16-bit code) or a literal (one byte); the low two bits are the
// group's mode s, which splits a match code into 2 + s bits of length (3 and
// up) and 14 - s bits of distance (1 and up).
#include "res/archive.h"

#include <cstdlib>
#include <cstring>

#include "res/files.h"

uint8_t *ResourceArchive = nullptr;
uint32_t ResourceArchiveSize = 0;

enum {
    PackedHeader = 4,
    GroupItems = 30,
    MinMatch = 3,
    KeyCount = 65536,    // one chain head per 2-byte key
    RingSize = 32768,    // position nodes, input position k in slot k % RingSize
    NoNode = RingSize,   // the empty chain's end; lies before every position
    InsertStep = 4096,   // positions inserted at a time once the ring is full
    FirstBudget = 28672, // bytes packed before the first step of insertion
};

uint32_t PackedSize(const uint8_t *packed, uint32_t packedLength)
{
    if (!packed || packedLength < PackedHeader) return 0;
    return packed[0] | (uint32_t)packed[1] << 8 | (uint32_t)packed[2] << 16;
}

bool UnpackArchive(const uint8_t *packed, uint32_t packedLength, uint8_t *out)
{
    uint32_t size = PackedSize(packed, packedLength);
    // Every archive holds at least its "END" entry; an empty one is no archive.
    if (size == 0 || !out) return false;
    uint32_t at = PackedHeader;
    uint32_t pos = 0;
    for (;;) {
        if (packedLength - at < 4) return false;
        uint32_t flags = (uint32_t)packed[at] << 24 | (uint32_t)packed[at + 1] << 16 |
                         (uint32_t)packed[at + 2] << 8 | packed[at + 3];
        at += 4;
        uint32_t mode = flags & 3;
        for (int item = 0; item < GroupItems; item++, flags <<= 1) {
            if (flags & 0x80000000u) {
                if (packedLength - at < 2) return false;
                uint32_t code = (uint32_t)packed[at] << 8 | packed[at + 1];
                at += 2;
                uint32_t length = (code >> (14 - mode)) + MinMatch;
                uint32_t distance = (code & (0x3FFFu >> mode)) + 1;
                if (distance > pos || length > size - pos) return false;
                // One byte at a time: a distance below the length repeats itself.
                uint8_t *dst = out + pos;
                const uint8_t *src = dst - distance;
                for (uint32_t i = 0; i < length; i++) dst[i] = src[i];
                pos += length;
            } else {
                if (at >= packedLength) return false;
                out[pos++] = packed[at++];
            }
            if (pos == size) return true;
        }
    }
}

int ReadArchiveEntry(const uint8_t *archive, uint32_t size, uint32_t *at, ArchiveEntry *entry)
{
    uint32_t start = *at;
    if (!archive || start > size || size - start < ArchiveNameField) return EntryBad;
    const char *name = (const char *)archive + start;
    if (!memchr(name, 0, ArchiveNameField)) return EntryBad;
    entry->name = name;
    entry->data = nullptr;
    entry->size = 0;
    // Only the closing entry's name is read; its size may be missing.
    if (strcmp(name, "END") == 0) return EntryEnd;
    if (size - start < ArchiveEntryHeader) return EntryBad;
    const uint8_t *field = archive + start + ArchiveNameField;
    uint32_t n =
        field[0] | (uint32_t)field[1] << 8 | (uint32_t)field[2] << 16 | (uint32_t)field[3] << 24;
    if (n > size - start - ArchiveEntryHeader) return EntryBad;
    entry->data = archive + start + ArchiveEntryHeader;
    entry->size = n;
    *at = start + ArchiveEntryHeader + n;
    return EntryFound;
}

bool ArchiveDirectoryValid(const uint8_t *archive, uint32_t size)
{
    uint32_t at = 0;
    ArchiveEntry entry;
    for (;;) {
        int result = ReadArchiveEntry(archive, size, &at, &entry);
        if (result != EntryFound) return result == EntryEnd;
    }
}

bool OpenResourceArchive(void)
{
    CloseResourceArchive();
    uint8_t *packed = nullptr;
    uint32_t length = ReadWholeFile("Data.zux", &packed);
    uint32_t size = PackedSize(packed, length);
    uint8_t *archive = size ? (uint8_t *)malloc((size_t)size + 4) : nullptr;
    bool ok = archive && UnpackArchive(packed, length, archive);
    FreeFileBlock(packed);
    if (!ok || !ArchiveDirectoryValid(archive, size)) {
        free(archive);
        return false;
    }
    ResourceArchive = archive;
    ResourceArchiveSize = size;
    return true;
}

void CloseResourceArchive(void)
{
    free(ResourceArchive);
    ResourceArchive = nullptr;
    ResourceArchiveSize = 0;
}

void ArchiveNameCase(char *name)
{
    for (; *name; name++) {
        if (*name >= 'a' && *name <= 'z') *name = (char)(*name - 'a' + 'A');
    }
}

uint32_t FindInArchive(const char *name, const uint8_t **out)
{
    if (!ResourceArchive || !name) return 0;
    size_t length = strlen(name);
    if (length >= ArchiveNameField) return 0;
    char key[ArchiveNameField];
    memcpy(key, name, length + 1);
    ArchiveNameCase(key);
    uint32_t at = 0;
    ArchiveEntry entry;
    // The walk ends at "END", so "END" itself is never found.
    while (ReadArchiveEntry(ResourceArchive, ResourceArchiveSize, &at, &entry) == EntryFound) {
        if (strcmp(entry.name, key) != 0) continue;
        if (entry.size) *out = entry.data;
        return entry.size;
    }
    return 0;
}

uint32_t LoadResource(const char *name, const uint8_t **out)
{
    if (ResourceArchive) return FindInArchive(name, out);
    uint8_t *block = nullptr;
    uint32_t size = ReadWholeFile(name, &block);
    if (size == 0) {
        // An empty loose file counts as absent; its one-byte block is not handed out.
        FreeFileBlock(block);
        return 0;
    }
    *out = block;
    return size;
}

void ReleaseResource(const uint8_t *data)
{
    if (!ResourceArchive && data) FreeFileBlock(const_cast<uint8_t *>(data));
}

// --- The packer -------------------------------------------------------------

// A position in the ring: its input position, the next older node with the
// same key, and whichever head or node link points at it (to unlink it when its
// slot is taken by a new position).
struct PackNode {
    uint32_t position;
    uint32_t next;
    uint32_t *refer;
};

// One trial group: its items (length 1 = literal) and what it covers.
struct PackGroup {
    int items;
    uint32_t covered;
    bool reachedEnd;
    uint16_t length[GroupItems];
    uint16_t distance[GroupItems];
};

struct PackState {
    const uint8_t *in;
    uint32_t n;
    uint32_t *heads;
    PackNode *ring;
};

// Puts input position k at the front of its key's chain, first unlinking the
// older position whose ring slot it takes.
static void InsertPosition(PackState *pack, uint32_t k)
{
    uint32_t slot = k % RingSize;
    PackNode *node = &pack->ring[slot];
    if (k >= RingSize) {
        *node->refer = node->next;
        if (node->next != NoNode) pack->ring[node->next].refer = node->refer;
    }
    // The last position's key would reach past the input; it is never looked up.
    uint32_t key = (uint32_t)pack->in[k] << 8 | (k + 1 < pack->n ? pack->in[k + 1] : 0);
    uint32_t *head = &pack->heads[key];
    node->position = k;
    node->next = *head;
    node->refer = head;
    if (*head != NoNode) pack->ring[*head].refer = &node->next;
    *head = slot;
}

// Parses up to 30 items from q in mode d: each the longest match in the mode's
// window (the nearest among equals), or a literal when none reaches 3 bytes.
static void ParseGroup(const PackState *pack, uint32_t q, int d, PackGroup *group)
{
    const uint8_t *in = pack->in;
    uint32_t n = pack->n;
    uint32_t window = 16384u >> d;
    uint32_t longest = (4u << d) + 2;
    uint32_t start = q;
    group->items = 0;
    while (group->items < GroupItems && q < n) {
        uint32_t allowed = n - q < longest ? n - q : longest;
        uint32_t best = 0, bestPos = 0;
        if (allowed >= MinMatch) {
            uint32_t lowest = q > window ? q - window : 0;
            const uint8_t *here = in + q;
            for (uint32_t node = pack->ring[q % RingSize].next; node != NoNode;
                 node = pack->ring[node].next) {
                uint32_t c = pack->ring[node].position;
                if (c < lowest) break;
                const uint8_t *there = in + c;
                // The first two bytes agree by the key. Only a longer match
                // counts, so the byte at the best length must agree as well.
                if (there[2] != here[2] || there[best] != here[best]) continue;
                uint32_t length = MinMatch;
                while (length < allowed && there[length] == here[length]) length++;
                if (length > best) {
                    best = length;
                    bestPos = c;
                    if (best == allowed) break;
                }
            }
        }
        int item = group->items++;
        if (best >= MinMatch) {
            group->length[item] = (uint16_t)best;
            group->distance[item] = (uint16_t)(q - bestPos);
            q += best;
        } else {
            group->length[item] = 1;
            group->distance[item] = 0;
            q++;
        }
    }
    group->covered = q - start;
    group->reachedEnd = q == n;
}

// Tries the modes from the longest matches down and picks the group that
// covers most, stopping early once one covers enough.
static int ChooseMode(const PackState *pack, uint32_t p, PackGroup groups[4])
{
    ParseGroup(pack, p, 3, &groups[3]);
    if (groups[3].reachedEnd || groups[3].covered > 540) return 3;
    ParseGroup(pack, p, 2, &groups[2]);
    if (groups[2].reachedEnd) return 2;
    int best = groups[2].covered > groups[3].covered ? 2 : 3;
    if (groups[best].covered > 300) return best;
    ParseGroup(pack, p, 1, &groups[1]);
    if (groups[1].reachedEnd) return 1;
    if (groups[1].covered > groups[best].covered) best = 1;
    if (groups[best].covered > 180) return best;
    ParseGroup(pack, p, 0, &groups[0]);
    return groups[0].covered >= groups[best].covered ? 0 : best;
}

// Writes a group: its flag word with the mode, then its items.
static uint8_t *EmitGroup(const uint8_t *in, uint32_t p, int mode, const PackGroup *group,
                          uint8_t *out)
{
    uint32_t flags = (uint32_t)mode;
    for (int j = 0; j < group->items; j++) {
        if (group->length[j] > 1) flags |= 0x80000000u >> j;
    }
    *out++ = (uint8_t)(flags >> 24);
    *out++ = (uint8_t)(flags >> 16);
    *out++ = (uint8_t)(flags >> 8);
    *out++ = (uint8_t)flags;
    for (int j = 0; j < group->items; j++) {
        uint32_t length = group->length[j];
        if (length == 1) {
            *out++ = in[p++];
            continue;
        }
        uint32_t code = ((length - MinMatch) << (14 - mode)) + (group->distance[j] - 1u);
        *out++ = (uint8_t)(code >> 8);
        *out++ = (uint8_t)code;
        p += length;
    }
    return out;
}

uint32_t PackedBound(uint32_t n) { return PackedHeader + 34 * ((n + GroupItems - 1) / GroupItems); }

uint32_t PackArchive(const uint8_t *in, uint32_t n, uint8_t *out)
{
    if (n > ArchiveMaxUnpacked) return 0;
    PackState pack;
    pack.in = in;
    pack.n = n;
    pack.heads = (uint32_t *)malloc(sizeof(uint32_t) * KeyCount);
    pack.ring = (PackNode *)malloc(sizeof(PackNode) * RingSize);
    if (!pack.heads || !pack.ring) {
        free(pack.heads);
        free(pack.ring);
        return 0;
    }
    uint8_t *o = out;
    *o++ = (uint8_t)n;
    *o++ = (uint8_t)(n >> 8);
    *o++ = (uint8_t)(n >> 16);
    *o++ = 0;
    for (uint32_t key = 0; key < KeyCount; key++) pack.heads[key] = NoNode;
    uint32_t first = n < RingSize ? n : (uint32_t)RingSize;
    for (uint32_t k = 0; k < first; k++) InsertPosition(&pack, k);

    uint32_t p = 0;
    int32_t budget = FirstBudget;
    uint32_t nextInsert = RingSize;
    PackGroup groups[4];
    while (p < n) {
        int mode = ChooseMode(&pack, p, groups);
        o = EmitGroup(in, p, mode, &groups[mode], o);
        p += groups[mode].covered;
        // Keep the chains a step ahead of the parse, the oldest positions
        // giving way in the ring.
        budget -= (int32_t)groups[mode].covered;
        if (budget < 0) {
            uint32_t end = nextInsert + InsertStep < n ? nextInsert + InsertStep : n;
            for (uint32_t k = nextInsert; k < end; k++) InsertPosition(&pack, k);
            nextInsert += InsertStep;
            budget += InsertStep;
        }
    }
    free(pack.heads);
    free(pack.ring);
    return (uint32_t)(o - out);
}
