// TGA decoding and the picture loaders, over pictures written by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/screen.h"
#include "res/archive.h"
#include "res/tga.h"
#include "tests/test_util.h"
#include "tools/common/png.h"

namespace
{

typedef std::vector<uint16_t> Pixels;

// A picture to write: pixels holds (depth + 1) / 8 bytes a pixel, rows top
// first; a non-empty body is written as it is in place of the pixels.
struct Tga {
    int type = 1, width = 0, height = 0, depth = 8;
    bool topFirst = false, runLength = false;
    std::string id;
    int mapType = 1, mapFirst = 0, mapLength = 0, mapBits = 24;
    Bytes map, pixels, body;
};

void Put16(Bytes &out, int v) { out.insert(out.end(), {(uint8_t)v, (uint8_t)(v >> 8)}); }

// Writes the rows in file order; run-length packets run across row ends.
Bytes Write(const Tga &p)
{
    Bytes out = {(uint8_t)p.id.size(), (uint8_t)p.mapType, (uint8_t)p.type}, stream;
    for (int v : {p.mapFirst, p.mapLength}) Put16(out, v);
    out.insert(out.end(), {(uint8_t)p.mapBits, 0, 0, 0, 0});
    for (int v : {p.width, p.height}) Put16(out, v);
    out.insert(out.end(), {(uint8_t)p.depth, (uint8_t)(p.topFirst ? 0x20 : 0)});
    out.insert(out.end(), p.id.begin(), p.id.end());
    out.insert(out.end(), p.map.begin(), p.map.end());
    size_t bpp = (p.depth + 1) / 8, rowBytes = p.width * bpp;
    for (int r = 0; r < p.height && p.body.empty(); r++) {
        auto row = p.pixels.begin() + (p.topFirst ? r : p.height - 1 - r) * rowBytes;
        stream.insert(stream.end(), row, row + rowBytes);
    }
    if (!p.runLength) stream.insert(stream.end(), p.body.begin(), p.body.end());
    if (!p.runLength) return out.insert(out.end(), stream.begin(), stream.end()), out;
    for (size_t i = 0, n = stream.size() / bpp; i < n;) {
        size_t run = 1;
        while (i + run < n && run < 128 && !memcmp(&stream[i * bpp], &stream[(i + run) * bpp], bpp))
            run++;
        out.push_back((uint8_t)(run > 1 ? 0x80 | (run - 1) : 0));
        out.insert(out.end(), &stream[i * bpp], &stream[i * bpp] + bpp);
        i += run;
    }
    return out;
}

Bytes Map24(const std::vector<uint32_t> &colours)
{
    Bytes map;
    for (uint32_t c : colours) Put16(map, (int)c), map.push_back((uint8_t)(c >> 16));
    return map;
}

uint16_t Pack(uint32_t c) { return (c >> 19) << 11 | (c >> 10 & 63) << 5 | (c & 0xFF) >> 3; }

// A pattern over a 200-entry map; indices 200 and up fall to the grey ramp.
Tga Sample(int width, int height)
{
    Tga p;
    p.width = width, p.height = height, p.mapLength = 200;
    std::vector<uint32_t> colours;
    for (uint32_t i = 0; i < 200; i++) colours.push_back(i * 0x010305);
    p.map = Map24(colours);
    for (int i = 0; i < width * height; i++) p.pixels.push_back((uint8_t)(i * 37 / 3));
    return p;
}

// The decoded 5-6-5 picture; empty when it does not load.
Pixels Load(const Bytes &file)
{
    Image *image = DecodeImage(file.data(), (uint32_t)file.size());
    if (!image) return {};
    Pixels pixels(image->pixels, image->pixels + image->width * image->height);
    FreeImagePixels(image);
    free(image);
    return pixels;
}

// The decoded rows and their format; empty when refused, with nothing left allocated.
Bytes Raw(const Bytes &file, int *format = nullptr)
{
    TgaInfo tga;
    int status = DecodeTga(&tga, file.data(), (uint32_t)file.size());
    EXPECT_TRUE(status == TgaNoError ? tga.data != nullptr : status == TgaCorrupted && !tga.data);
    Bytes rows = tga.data ? Bytes(tga.data, tga.data + tga.height * tga.rowBytes) : Bytes();
    if (format) *format = tga.format;
    FreeTgaData(&tga);
    EXPECT_EQ(tga.data, nullptr);
    return rows;
}

} // namespace

TEST(Tga, RunsAcrossRowEndsAndTrueColour)
{
    // (Every storage form of the generated art the soak's notes hold.)
    int format = 0;
    // 3 x 2 grey, file rows (a, b): a run of 4 fills a and starts b, a raw
    // packet of 2 ends b; then a run of 5 overhangs the last pixel.
    Tga g;
    g.type = 11, g.mapType = 0, g.mapBits = 0, g.width = 3, g.height = 2;
    for (auto [packets, ab] : {std::pair{Bytes{0x83, 50, 1, 60, 70}, Bytes{50, 50, 50, 50, 60, 70}},
                               {Bytes{0, 9, 0x84, 11}, Bytes{9, 11, 11, 11, 11, 11}}})
        for (int topFirst = 0; topFirst < 2; topFirst++) {
            g.topFirst = topFirst, g.body = packets;
            Bytes ba = {ab[3], ab[4], ab[5], ab[0], ab[1], ab[2]};
            EXPECT_EQ(Raw(Write(g), &format), topFirst ? ab : ba);
            EXPECT_EQ(format, TgaFormatGrey);
        }
    // True colour decodes (the intro reads its raw bytes) but never loads.
    g.type = 10, g.depth = 24, g.width = 2, g.topFirst = true, g.body = {0x82, 1, 2, 3, 0, 4, 5, 6};
    EXPECT_EQ(Raw(Write(g), &format), (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(format == TgaFormat24);
    EXPECT_TRUE(Load(Write(g)).empty());
}

TEST(Tga, ColourMaps)
{
    // One row of pixels over a map of length entries of bits from index first.
    auto Mapped = [](int bits, int first, int length, const Bytes &map, const Bytes &pixels) {
        Tga q;
        q.width = (int)pixels.size(), q.height = 1, q.pixels = pixels, q.map = map;
        q.mapBits = bits, q.mapFirst = first, q.mapLength = length;
        return Write(q);
    };
    // A short map from index 10; near-black entries convert to the key 0.
    Bytes map = Map24({0xFF0000, 0x070307, 0x080000, 0x000400, 0x000008, 0x000000});
    EXPECT_EQ(Load(Mapped(24, 10, 6, map, {9, 10, 11, 12, 13, 14, 15, 16})),
              (Pixels{Pack(0x090909), 0xF800, 0, 0x0800, 0x0020, 1, 0, Pack(0x101010)}));
    // 15- and 16-bit entries take two bytes each; 0x7FFF is white.
    map.clear();
    for (int c : {0x7FFF, 0x7C00, 0x03E0, 0x0421}) Put16(map, c);
    for (int bits : {15, 16})
        EXPECT_EQ(Load(Mapped(bits, 0, 4, map, {0, 1, 2, 3, 4})),
                  (Pixels{0xFFFF, 0xF800, 0x07E0, 0x0841, Pack(0x040404)}));
    // 32-bit entries are blue, green, red, alpha; unknown sizes are skipped
    // whole; a map reaching past index 255 keeps the entries that exist.
    EXPECT_EQ(Load(Mapped(32, 0, 2, {0xFF, 0, 0, 0, 0, 0, 0xFF, 0x80}, {0, 1})),
              (Pixels{0x001F, 0xF800}));
    EXPECT_EQ(Load(Mapped(8, 0, 3, {0xFF, 0xFF, 0xFF}, {40, 80})),
              (Pixels{Pack(0x282828), Pack(0x505050)}));
    EXPECT_EQ(Load(Mapped(24, 250, 10, Map24(std::vector<uint32_t>(10, 0xFF)), {249, 255})),
              (Pixels{Pack(0xF9F9F9), 0x001F}));
    EXPECT_TRUE(Raw(Mapped(24, 0, 257, Map24(std::vector<uint32_t>(257, 0)), {0, 1})).empty());
}

TEST(Tga, BadInputIsRefusedWithoutReadingPastIt)
{
    TgaInfo none;
    EXPECT_EQ(DecodeTga(&none, nullptr, 100), TgaNullPointer);
    EXPECT_STREQ(TgaStatusText(TgaCorrupted), "TGA corrupted");
    // No type, no width, no height, a depth of 7, and far too big, raw and packed.
    for (int field = 0; field < 6; field++) {
        Tga p = Sample(4, 4);
        int *what[] = {&p.type, &p.width, &p.height, &p.depth};
        if (field < 4) *what[field] = field == 3 ? 7 : 0;
        if (field >= 4) p.width = p.height = 65535, p.type = field == 4 ? 1 : 9;
        p.body = Sample(4, 4).pixels;
        EXPECT_TRUE(Raw(Write(p)).empty()) << field;
    }
    // A run's pixel missing, a raw packet cut.
    Tga grey;
    grey.type = 11, grey.mapType = 0, grey.mapBits = 0, grey.width = 4, grey.height = 1;
    for (Bytes tail : {Bytes{0x83}, Bytes{0x03, 1, 2}})
        EXPECT_TRUE(Raw(Write((grey.body = tail, grey))).empty());

    // Every prefix of a valid file, in an exactly sized block so that a read
    // past it is caught, is refused; only the whole file decodes.
    Tga p = Sample(9, 5);
    p.id = "id";
    Bytes plain = Write(p);
    p.runLength = true, p.type = 9, p.topFirst = true, p.mapBits = 16, p.mapLength = 3;
    p.map.assign(6, 0x55);
    for (const Bytes &file : {plain, Write(p)})
        for (size_t n = 1; n <= file.size(); n++) {
            Bytes copy(file.begin(), file.begin() + n); // exactly n bytes
            EXPECT_EQ(Raw(copy).empty() + 2 * Load(copy).empty(), n == file.size() ? 0 : 3) << n;
        }
}

TEST(Tga, LoadersAndTheDecodeTool)
{
    TempFolder t;
    uint32_t oldWidth = std::exchange(ScreenWidth, 240u),
             oldHeight = std::exchange(ScreenHeight, 320u);
    Tga p = Sample(240, 320);
    p.runLength = true, p.type = 9;
    Bytes file = Write(p);
    Pixels expected = Load(file);
    ASSERT_TRUE(WriteBytes(t.Path("Full.tga"), file));
    ASSERT_TRUE(WriteBytes(t.Path("Narrow.tga"), Write(Sample(239, 320))));
    ASSERT_TRUE(WriteBytes(t.Path("Cut.tga"), Bytes(file.begin(), file.end() - 1)));

    // Full-screen pictures must be exactly the display's size.
    ASSERT_EQ(ResourceArchive, nullptr);
    Image *image = LoadImage("Full.tga");
    FullScreenPicture *full = LoadFullScreenPicture("Full.tga");
    ASSERT_TRUE(image);
    ASSERT_TRUE(full);
    EXPECT_EQ(Pixels(full->pixels, full->pixels + 240 * 320), expected);
    EXPECT_EQ(Pixels(image->pixels, image->pixels + 240 * 320), expected);
    FreeFullScreenPicture(full), FreeFullScreenPicture(full),
        free(full); // the second frees nothing
    EXPECT_EQ(LoadFullScreenPicture("Narrow.tga"), nullptr);
    for (const char *name : {"Cut.tga", "Missing.tga"}) {
        EXPECT_TRUE(LoadImage(name) == nullptr) << name;
        EXPECT_TRUE(LoadFullScreenPicture(name) == nullptr) << name;
    }

    // zuxpack decode writes the PNG of the game's own conversion, and fails
    // with one line where the game refuses the picture.
    ASSERT_TRUE(WritePng(t.Path("expected.png").c_str(), image->pixels, 240, 320));
    FreeImagePixels(image), free(image);
    std::string out;
    auto Decode = [&](const char *in, const char *png) {
        return RunTool("zuxpack", "decode --full " + t.Path(in) + " " + t.Path(png), &out);
    };
    EXPECT_EQ(Decode("Full.tga", "a.png"), 0) << out;
    EXPECT_EQ(ReadBytes(t.Path("a.png")), ReadBytes(t.Path("expected.png")));
    EXPECT_TRUE(Decode("Narrow.tga", "d.png") == 1) << out;
    EXPECT_TRUE(std::count(out.begin(), out.end(), '\n') == 1) << out;
    ScreenWidth = oldWidth, ScreenHeight = oldHeight;
}
