// TGA encoding. Colours are first snapped to what the 5-6-5 display can show, so
// the colour map spends its entries only on colours that stay distinct; pictures
// with more than 255 such colours are reduced by median cut.
#include "tools/artgen/tga_write.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

uint16_t DisplayPixel(Colour c)
{
    return (uint16_t)((RedOf(c) >> 3) << 11 | (GreenOf(c) >> 2) << 5 | (BlueOf(c) >> 3));
}

// The 8-bit colour that reads back exactly as its own 5-6-5 pixel.
static Colour SnapToDisplay(Colour c)
{
    int r5 = RedOf(c) >> 3, g6 = GreenOf(c) >> 2, b5 = BlueOf(c) >> 3;
    return Rgb(r5 << 3 | r5 >> 2, g6 << 2 | g6 >> 4, b5 << 3 | b5 >> 2);
}

static Colour LiftAboveKey(Colour c) { return DisplayPixel(c) == 0 ? Rgb(0, 4, 0) : c; }

struct ColourCount {
    Colour c;
    uint32_t n;
};

static int Channel(Colour c, int k)
{
    return k == 0 ? RedOf(c) : (k == 1 ? GreenOf(c) : BlueOf(c));
}

// Median cut of the weighted colours into at most want representatives.
static std::vector<Colour> MedianCut(std::vector<ColourCount> colours, size_t want)
{
    struct Box {
        size_t first, last; // [first, last)
    };
    std::vector<Box> boxes{{0, colours.size()}};
    while (boxes.size() < want) {
        // Split the box with the widest channel spread (weighted by its size).
        size_t best = boxes.size();
        long bestScore = 0;
        int bestChannel = 0;
        for (size_t b = 0; b < boxes.size(); b++) {
            if (boxes[b].last - boxes[b].first < 2) continue;
            uint64_t total = 0;
            for (size_t i = boxes[b].first; i < boxes[b].last; i++) total += colours[i].n;
            for (int k = 0; k < 3; k++) {
                int lo = 255, hi = 0;
                for (size_t i = boxes[b].first; i < boxes[b].last; i++) {
                    lo = std::min(lo, Channel(colours[i].c, k));
                    hi = std::max(hi, Channel(colours[i].c, k));
                }
                long score = (long)(hi - lo) * (long)(1 + (total > 4096 ? 4096 : total) / 64);
                if (score > bestScore) best = b, bestScore = score, bestChannel = k;
            }
        }
        if (best == boxes.size()) break;
        Box box = boxes[best];
        int k = bestChannel;
        std::sort(colours.begin() + (ptrdiff_t)box.first, colours.begin() + (ptrdiff_t)box.last,
                  [k](const ColourCount &a, const ColourCount &b) {
                      int ca = Channel(a.c, k), cb = Channel(b.c, k);
                      return ca != cb ? ca < cb : a.c < b.c;
                  });
        uint64_t total = 0, run = 0;
        for (size_t i = box.first; i < box.last; i++) total += colours[i].n;
        size_t cut = box.first + 1;
        for (size_t i = box.first; i < box.last - 1; i++) {
            run += colours[i].n;
            cut = i + 1;
            if (run * 2 >= total) break;
        }
        boxes[best] = {box.first, cut};
        boxes.push_back({cut, box.last});
    }
    std::vector<Colour> out;
    for (const Box &b : boxes) {
        double r = 0, g = 0, bl = 0, n = 0;
        for (size_t i = b.first; i < b.last; i++) {
            r += RedOf(colours[i].c) * (double)colours[i].n;
            g += GreenOf(colours[i].c) * (double)colours[i].n;
            bl += BlueOf(colours[i].c) * (double)colours[i].n;
            n += colours[i].n;
        }
        out.push_back(
            SnapToDisplay(Rgb((int)(r / n + 0.5), (int)(g / n + 0.5), (int)(bl / n + 0.5))));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

IndexedPicture Quantise(const Picture &p, bool keyed)
{
    IndexedPicture q;
    q.w = p.w;
    q.h = p.h;
    std::vector<Colour> snapped(p.px.size());
    std::vector<Colour> all;
    for (size_t i = 0; i < p.px.size(); i++) {
        if (AlphaOf(p.px[i]) == 0) {
            snapped[i] = 0;
            continue;
        }
        Colour c = SnapToDisplay(p.px[i]);
        if (keyed) c = LiftAboveKey(c);
        snapped[i] = c;
        if (DisplayPixel(c) != 0) all.push_back(c);
    }
    std::sort(all.begin(), all.end());
    std::vector<ColourCount> counts;
    for (size_t i = 0; i < all.size();) {
        size_t j = i;
        while (j < all.size() && all[j] == all[i]) j++;
        counts.push_back({all[i], (uint32_t)(j - i)});
        i = j;
    }
    std::vector<Colour> entries;
    if (counts.size() <= 255) {
        for (const ColourCount &c : counts) entries.push_back(c.c);
    } else {
        entries = MedianCut(counts, 255);
        if (keyed)
            for (Colour &c : entries) c = LiftAboveKey(c);
    }
    q.palette.push_back(Rgb(0, 0, 0));
    q.palette.insert(q.palette.end(), entries.begin(), entries.end());

    // Each distinct colour goes to its nearest entry (exact when it has one).
    std::vector<std::pair<Colour, uint8_t>> lookup;
    for (const ColourCount &cc : counts) {
        int best = 1;
        long bestD = -1;
        for (size_t e = 1; e < q.palette.size(); e++) {
            long dr = RedOf(cc.c) - RedOf(q.palette[e]);
            long dg = GreenOf(cc.c) - GreenOf(q.palette[e]);
            long db = BlueOf(cc.c) - BlueOf(q.palette[e]);
            long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (bestD < 0 || d < bestD) best = (int)e, bestD = d;
        }
        lookup.push_back({cc.c, (uint8_t)best});
    }
    q.index.resize(p.px.size());
    for (size_t i = 0; i < snapped.size(); i++) {
        if (snapped[i] == 0 || DisplayPixel(snapped[i]) == 0) {
            q.index[i] = 0;
            continue;
        }
        auto it =
            std::lower_bound(lookup.begin(), lookup.end(), std::make_pair(snapped[i], (uint8_t)0),
                             [](const std::pair<Colour, uint8_t> &a,
                                const std::pair<Colour, uint8_t> &b) { return a.first < b.first; });
        q.index[i] = it->second;
    }
    return q;
}

static void Put16(std::vector<uint8_t> &out, int v)
{
    out.push_back((uint8_t)(v & 255));
    out.push_back((uint8_t)(v >> 8 & 255));
}

static void Header(std::vector<uint8_t> &out, const TgaForm &form, int mapType, int imageType,
                   int mapFirst, int mapLength, int mapBits, int w, int h, int depth)
{
    size_t idLength = form.id ? std::strlen(form.id) : 0;
    out.push_back((uint8_t)idLength);
    out.push_back((uint8_t)mapType);
    out.push_back((uint8_t)imageType);
    Put16(out, mapFirst);
    Put16(out, mapLength);
    out.push_back((uint8_t)mapBits);
    Put16(out, 0);
    Put16(out, form.topFirst ? h : 0); // origin: only informative
    Put16(out, w);
    Put16(out, h);
    out.push_back((uint8_t)depth);
    out.push_back(form.topFirst ? 0x20 : 0x00);
    for (size_t i = 0; i < idLength; i++) out.push_back((uint8_t)form.id[i]);
}

// Appends count pixels of bpp bytes each as run-length packets.
static void Packets(std::vector<uint8_t> &out, const uint8_t *px, size_t count, int bpp)
{
    auto same = [px, bpp](size_t a, size_t b) {
        for (int k = 0; k < bpp; k++)
            if (px[a * bpp + k] != px[b * bpp + k]) return false;
        return true;
    };
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run)) run++;
        if (run >= 2) {
            out.push_back((uint8_t)(0x80 | (run - 1)));
            out.insert(out.end(), px + i * bpp, px + (i + 1) * bpp);
            i += run;
            continue;
        }
        size_t j = i + 1;
        while (j < count && j - i < 128 && !(j + 1 < count && same(j, j + 1))) j++;
        out.push_back((uint8_t)(j - i - 1));
        out.insert(out.end(), px + i * bpp, px + j * bpp);
        i = j;
    }
}

// Appends the rows of w x h pixels (bpp bytes each, top row first) in the
// file's row order, raw or packed.
static void Body(std::vector<uint8_t> &out, const std::vector<uint8_t> &rows, int w, int h, int bpp,
                 const TgaForm &form)
{
    std::vector<uint8_t> ordered;
    ordered.reserve(rows.size());
    for (int k = 0; k < h; k++) {
        int y = form.topFirst ? k : h - 1 - k;
        ordered.insert(ordered.end(), rows.begin() + (ptrdiff_t)y * w * bpp,
                       rows.begin() + (ptrdiff_t)(y + 1) * w * bpp);
    }
    if (!form.rle) {
        out.insert(out.end(), ordered.begin(), ordered.end());
    } else if (form.rowPackets) {
        for (int k = 0; k < h; k++)
            Packets(out, ordered.data() + (size_t)k * w * bpp, (size_t)w, bpp);
    } else {
        Packets(out, ordered.data(), (size_t)w * h, bpp);
    }
}

static int Five(int v8) { return v8 >> 3; }

std::vector<uint8_t> EncodeMappedTga(const IndexedPicture &q, const TgaForm &form)
{
    std::vector<uint8_t> out;
    int first = form.mapFirst < (int)q.palette.size() ? form.mapFirst : 0;
    int length = (int)q.palette.size() - first;
    int bits = form.mapBits;
    Header(out, form, 1, form.rle ? 9 : 1, first, length, bits, q.w, q.h, 8);
    for (int e = first; e < (int)q.palette.size(); e++) {
        Colour c = q.palette[(size_t)e];
        if (bits == 15 || bits == 16) {
            int r = Five(RedOf(c)), g = Five(GreenOf(c)), b = Five(BlueOf(c));
            // A coloured entry must not fall to black in the coarser map.
            if (e != 0 && r == 0 && g == 0 && b == 0 && DisplayPixel(c) != 0) g = 1;
            int v = r << 10 | g << 5 | b | (bits == 16 ? 0x8000 : 0);
            Put16(out, v);
        } else {
            out.push_back((uint8_t)BlueOf(c));
            out.push_back((uint8_t)GreenOf(c));
            out.push_back((uint8_t)RedOf(c));
            if (bits == 32) out.push_back(255);
        }
    }
    Body(out, q.index, q.w, q.h, 1, form);
    return out;
}

std::vector<uint8_t> EncodeGreyTga(const Picture &p, const TgaForm &form)
{
    std::vector<uint8_t> out;
    Header(out, form, 0, form.rle ? 11 : 3, 0, 0, 0, p.w, p.h, 8);
    std::vector<uint8_t> rows(p.px.size());
    for (size_t i = 0; i < p.px.size(); i++) rows[i] = (uint8_t)RedOf(p.px[i]);
    Body(out, rows, p.w, p.h, 1, form);
    return out;
}

std::vector<uint8_t> EncodeTrueColourTga(const Picture &p, const TgaForm &form)
{
    std::vector<uint8_t> out;
    Header(out, form, 0, form.rle ? 10 : 2, 0, 0, 0, p.w, p.h, 24);
    std::vector<uint8_t> rows;
    rows.reserve(p.px.size() * 3);
    for (Colour c : p.px) {
        rows.push_back((uint8_t)BlueOf(c));
        rows.push_back((uint8_t)GreenOf(c));
        rows.push_back((uint8_t)RedOf(c));
    }
    Body(out, rows, p.w, p.h, 3, form);
    return out;
}
