// TGA output of the generator's pictures: 8-bit colour-mapped files (raw or
// run-length, either row order, colour maps of 15, 16, 24 or 32 bits), 8-bit
// greyscale files and 24-bit true-colour files.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/artgen/paint.h"

// How one file is stored.
struct TgaForm {
    bool rle = false;         // run-length packets instead of raw rows
    bool topFirst = false;    // rows stored top row first
    bool rowPackets = true;   // packets end at row ends (false lets them run on)
    int mapBits = 24;         // colour-map entry size: 15, 16, 24 or 32
    int mapFirst = 0;         // first stored map entry; earlier indices read as grey
    const char *id = nullptr; // image ID field, or none
};

// The picture as 8-bit indices and a colour map of at most 256 entries. Index 0
// is black and takes every transparent pixel. With keyed set, opaque pixels that
// would turn into the display's black (the transparent key) are lifted just
// above it, so only transparent pixels become 0.
struct IndexedPicture {
    int w = 0, h = 0;
    std::vector<uint8_t> index;  // w x h
    std::vector<Colour> palette; // entry 0 first
};
IndexedPicture Quantise(const Picture &p, bool keyed);

// The file bytes of an indexed picture in the given form.
std::vector<uint8_t> EncodeMappedTga(const IndexedPicture &q, const TgaForm &form);
// The file bytes of an 8-bit greyscale picture (the red channel of p).
std::vector<uint8_t> EncodeGreyTga(const Picture &p, const TgaForm &form);
// The file bytes of a 24-bit true-colour picture (blue, green, red per pixel).
std::vector<uint8_t> EncodeTrueColourTga(const Picture &p, const TgaForm &form);

// The 5-6-5 pixel the game makes of a colour (each channel truncated).
uint16_t DisplayPixel(Colour c);
