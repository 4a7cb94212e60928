// "Data.zux": every picture and sound packed into one file, unpacked once at
// start-up. Resources are then found by name inside it; without an archive they
// come from loose files of the same names.
#pragma once

#include <cstdint>

enum {
    ArchiveNameField = 32,   // bytes of an entry's name field
    ArchiveEntryHeader = 36, // name field + 32-bit size
    ArchiveMaxUnpacked = 0xFFFFFF,
};

// The unpacked archive, or null for the whole run when there is none.
extern uint8_t *ResourceArchive;
extern uint32_t ResourceArchiveSize;

// The unpacked size U stored in a packed stream's header; 0 when the stream is
// shorter than its header.
uint32_t PackedSize(const uint8_t *packed, uint32_t packedLength);

// Unpacks packed into out (room for at least PackedSize bytes). False, with out
// partly written, when U is 0, the stream is truncated, reaches before the
// output start or would pass U. Bytes after the item that reaches U are never read.
bool UnpackArchive(const uint8_t *packed, uint32_t packedLength, uint8_t *out);

// One entry of an unpacked archive's directory.
struct ArchiveEntry {
    const char *name;    // inside the entry's name field, 0-terminated
    const uint8_t *data; // the resource's bytes
    uint32_t size;
};

enum { EntryBad = -1, EntryEnd = 0, EntryFound = 1 };

// Reads the entry at offset *at of a directory of size bytes and moves *at past
// it. EntryEnd at the closing "END"; EntryBad when the entry runs past the end.
int ReadArchiveEntry(const uint8_t *archive, uint32_t size, uint32_t *at, ArchiveEntry *entry);

// True when the U bytes at archive form a well-formed directory ending in "END".
bool ArchiveDirectoryValid(const uint8_t *archive, uint32_t size);

// Reads "Data.zux", unpacks and checks it and makes it the ResourceArchive.
// False (no archive) when it is missing or malformed.
bool OpenResourceArchive(void);

// Frees the ResourceArchive; every resource taken from it becomes invalid.
void CloseResourceArchive(void);

// Looks name up in the ResourceArchive; sets *out to its data and returns its
// size, or returns 0 and leaves *out alone (also for an empty resource).
uint32_t FindInArchive(const char *name, const uint8_t **out);

// A resource by name: from the archive when there is one (borrowed, never
// written), otherwise read from the loose file (a private copy). 0 and *out
// unchanged when not found.
uint32_t LoadResource(const char *name, const uint8_t **out);

// Releases what LoadResource handed out; frees only private copies.
void ReleaseResource(const uint8_t *data);

// The largest packed size of n input bytes.
uint32_t PackedBound(uint32_t n);

// Packs n (< 2^24) bytes into out (PackedBound(n) bytes); returns the packed
// length including the header, or 0 when n is too large or its tables cannot be
// allocated.
uint32_t PackArchive(const uint8_t *in, uint32_t n, uint8_t *out);

// The archive's letter case: names are stored and looked up in upper case.
void ArchiveNameCase(char *name);
