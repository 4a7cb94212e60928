// TGA decoding and the picture loaders, over pictures written by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/tga.h"
#include "tests/test_util.h"
#include "tools/common/png.h"

namespace
{

// A picture to write: pixels holds (depth + 1) / 8 bytes a pixel, rows top first.
struct Tga {
    int type = 1, width = 0, height = 0, depth = 8;
    bool topFirst = false, runLength = false;
    std::string id;
    int mapType = 1, mapFirst = 0, mapLength = 0, mapBits = 24;
    Bytes map, pixels;
};

void Put16(Bytes &out, int v) { out.insert(out.end(), {(uint8_t)v, (uint8_t)(v >> 8)}); }

Bytes Header(const Tga &p)
{
    Bytes out = {(uint8_t)p.id.size(), (uint8_t)p.mapType, (uint8_t)p.type};
    Put16(out, p.mapFirst);
    Put16(out, p.mapLength);
    out.insert(out.end(), {(uint8_t)p.mapBits, 0, 0, 0, 0});
    Put16(out, p.width);
    Put16(out, p.height);
    out.insert(out.end(), {(uint8_t)p.depth, (uint8_t)(p.topFirst ? 0x20 : 0)});
    out.insert(out.end(), p.id.begin(), p.id.end());
    out.insert(out.end(), p.map.begin(), p.map.end());
    return out;
}

// Writes the rows in file order; run-length packets run across row ends.
Bytes Write(const Tga &p)
{
    Bytes out = Header(p), stream;
    size_t bpp = (p.depth + 1) / 8, rowBytes = p.width * bpp;
    for (int r = 0; r < p.height; r++) {
        auto row = p.pixels.begin() + (p.topFirst ? r : p.height - 1 - r) * rowBytes;
        stream.insert(stream.end(), row, row + rowBytes);
    }
    if (!p.runLength) {
        out.insert(out.end(), stream.begin(), stream.end());
        return out;
    }
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
    for (uint32_t c : colours)
        map.insert(map.end(), {(uint8_t)c, (uint8_t)(c >> 8), (uint8_t)(c >> 16)});
    return map;
}

uint16_t Pack(uint32_t c)
{
    return (uint16_t)((c >> 19) << 11 | ((c >> 10) & 63) << 5 | (c & 0xFF) >> 3);
}

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

std::vector<uint16_t> Load(const Bytes &file)
{
    Image *image = DecodeImage(file.data(), (uint32_t)file.size());
    if (!image) return {};
    std::vector<uint16_t> pixels(image->pixels, image->pixels + image->width * image->height);
    FreeImagePixels(image);
    free(image);
    return pixels;
}

int Status(const Bytes &file)
{
    TgaInfo tga;
    int status = DecodeTga(&tga, file.data(), (uint32_t)file.size());
    EXPECT_EQ(tga.data != nullptr, status == TgaNoError);
    FreeTgaData(&tga);
    return status;
}

} // namespace

TEST(Tga, RowOrdersAndRunLengthGiveTheSamePicture)
{
    Tga p = Sample(13, 7);
    std::vector<uint16_t> expected;
    for (uint8_t i : p.pixels) expected.push_back(Pack(i < 200 ? i * 0x010305 : i * 0x010101));
    for (int variant = 0; variant < 4; variant++) {
        p.topFirst = variant & 1, p.runLength = variant & 2, p.type = p.runLength ? 9 : 1;
        p.id = variant == 3 ? "zux" : "";
        EXPECT_EQ(Load(Write(p)), expected) << variant;
    }
    TgaInfo tga;
    Bytes file = Write(p);
    ASSERT_EQ(DecodeTga(&tga, file.data(), (uint32_t)file.size()), TgaNoError);
    EXPECT_TRUE(tga.format == TgaFormatMapped && tga.rowBytes == 13);
    EXPECT_EQ(Bytes(tga.data, tga.data + 13 * 7), p.pixels);
    FreeTgaData(&tga);
    EXPECT_EQ(tga.data, nullptr);

    // 3 x 2 grey, file rows (a, b): a run of 4 fills a and starts b, a raw
    // packet of 2 ends b; then a run of 5 overhangs the last pixel.
    Tga g;
    g.type = 11, g.mapType = 0, g.mapBits = 0, g.width = 3, g.height = 2;
    for (int topFirst = 0; topFirst < 2; topFirst++) {
        g.topFirst = topFirst;
        for (auto [packets, a, b] :
             {std::tuple{Bytes{0x83, 50, 1, 60, 70}, Bytes{50, 50, 50}, Bytes{50, 60, 70}},
              std::tuple{Bytes{0, 9, 0x84, 11}, Bytes{9, 11, 11}, Bytes{11, 11, 11}}}) {
            file = Header(g);
            file.insert(file.end(), packets.begin(), packets.end());
            ASSERT_EQ(DecodeTga(&tga, file.data(), (uint32_t)file.size()), TgaNoError);
            EXPECT_EQ(tga.format, TgaFormatGrey);
            EXPECT_EQ(Bytes(tga.data, tga.data + 3), topFirst ? a : b);
            EXPECT_EQ(Bytes(tga.data + 3, tga.data + 6), topFirst ? b : a);
            FreeTgaData(&tga);
        }
    }
    // True colour decodes (the intro reads its raw bytes) but never loads.
    g.type = 10, g.depth = 24, g.width = 2, g.topFirst = true;
    file = Header(g);
    file.insert(file.end(), {0x82, 1, 2, 3, 0x00, 4, 5, 6});
    ASSERT_EQ(DecodeTga(&tga, file.data(), (uint32_t)file.size()), TgaNoError);
    EXPECT_EQ(tga.format, TgaFormat24);
    EXPECT_EQ(Bytes(tga.data, tga.data + 12), (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6}));
    FreeTgaData(&tga);
    EXPECT_TRUE(Load(file).empty());
}

TEST(Tga, ColourMaps)
{
    // A short map from index 10; near-black entries convert to the key 0.
    Tga p;
    p.width = 8, p.height = 1, p.mapFirst = 10, p.mapLength = 6;
    p.map = Map24({0xFF0000, 0x070307, 0x080000, 0x000400, 0x000008, 0x000000});
    p.pixels = {9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(Load(Write(p)), (std::vector<uint16_t>{Pack(0x090909), 0xF800, 0, 0x0800, 0x0020, 1,
                                                     0, Pack(0x101010)}));

    // 15- and 16-bit entries take two bytes each; 0x7FFF is white.
    for (int bits : {15, 16}) {
        Tga q;
        q.width = 5, q.height = 1, q.mapBits = bits, q.mapLength = 4, q.pixels = {0, 1, 2, 3, 4};
        for (int c : {0x7FFF, 0x7C00, 0x03E0, 0x0421}) Put16(q.map, c);
        EXPECT_EQ(Load(Write(q)),
                  (std::vector<uint16_t>{0xFFFF, 0xF800, 0x07E0, 0x0841, Pack(0x040404)}));
    }
    // 32-bit entries are blue, green, red, alpha; unknown sizes are skipped
    // whole; a map reaching past index 255 keeps the entries that exist.
    Tga q;
    q.width = 2, q.height = 1, q.mapBits = 32, q.mapLength = 2, q.pixels = {0, 1};
    q.map = {0xFF, 0, 0, 0, 0, 0, 0xFF, 0x80};
    EXPECT_EQ(Load(Write(q)), (std::vector<uint16_t>{0x001F, 0xF800}));
    q.mapBits = 8, q.mapLength = 3, q.map = {0xFF, 0xFF, 0xFF}, q.pixels = {40, 80};
    EXPECT_EQ(Load(Write(q)), (std::vector<uint16_t>{Pack(0x282828), Pack(0x505050)}));
    q.mapBits = 24, q.mapFirst = 250, q.mapLength = 10, q.pixels = {249, 255};
    q.map = Map24(std::vector<uint32_t>(10, 0x0000FF));
    EXPECT_EQ(Load(Write(q)), (std::vector<uint16_t>{Pack(0xF9F9F9), 0x001F}));
    q.mapFirst = 0, q.mapLength = 257, q.map = Map24(std::vector<uint32_t>(257, 0));
    EXPECT_EQ(Status(Write(q)), TgaCorrupted);
}

TEST(Tga, BadInputIsRefusedWithoutReadingPastIt)
{
    TgaInfo none;
    EXPECT_EQ(DecodeTga(&none, nullptr, 100), TgaNullPointer);
    EXPECT_STREQ(TgaStatusText(TgaCorrupted), "TGA corrupted");
    Tga good = Sample(4, 4);
    // No type, no width, no height, a depth of 7, and far too big, raw and packed.
    for (int field = 0; field < 6; field++) {
        Tga p = good;
        int *what[] = {&p.type, &p.width, &p.height, &p.depth};
        if (field < 4) *what[field] = field == 3 ? 7 : 0;
        if (field >= 4) p.width = p.height = 65535, p.type = field == 4 ? 1 : 9;
        Bytes file = Header(p);
        file.insert(file.end(), good.pixels.begin(), good.pixels.end());
        EXPECT_EQ(Status(file), TgaCorrupted) << field;
    }
    Tga grey;
    grey.type = 11, grey.mapType = 0, grey.mapBits = 0, grey.width = 4, grey.height = 1;
    for (Bytes tail : {Bytes{0x83}, Bytes{0x03, 1, 2}}) { // a run's pixel missing, a raw packet cut
        Bytes file = Header(grey);
        file.insert(file.end(), tail.begin(), tail.end());
        EXPECT_EQ(Status(file), TgaCorrupted);
    }

    // Every prefix of a valid file, in an exactly sized block so that a read
    // past it is caught, is refused; only the whole file decodes.
    std::vector<Bytes> files;
    Tga p = Sample(9, 5);
    p.id = "id";
    files.push_back(Write(p));
    p.runLength = true, p.type = 9, p.topFirst = true, p.mapBits = 16, p.mapLength = 3;
    p.map.assign(6, 0x55);
    files.push_back(Write(p));
    for (const Bytes &file : files)
        for (size_t n = 1; n <= file.size(); n++) {
            std::vector<uint8_t> copy(file.begin(), file.begin() + n); // exactly n bytes
            EXPECT_EQ(Status(copy), n == file.size() ? TgaNoError : TgaCorrupted) << n;
            EXPECT_EQ(Load(copy).empty(), n != file.size()) << n;
        }
}

TEST(Tga, LoadersAndTheDecodeTool)
{
    TempFolder t;
    const std::string &dir = t.dir;
    uint32_t oldWidth = ScreenWidth, oldHeight = ScreenHeight;
    ScreenWidth = 240, ScreenHeight = 320;
    Tga p = Sample(240, 320);
    p.runLength = true, p.type = 9;
    Bytes file = Write(p);
    std::vector<uint16_t> expected = Load(file);
    ASSERT_TRUE(WriteBytes(dir + "/Full.tga", file));
    ASSERT_TRUE(WriteBytes(dir + "/Narrow.tga", Write(Sample(239, 320))));
    ASSERT_TRUE(WriteBytes(dir + "/Cut.tga", Bytes(file.begin(), file.end() - 1)));

    // Full-screen pictures must be exactly the display's size.
    ASSERT_EQ(ResourceArchive, nullptr);
    Image *image = LoadImage("Full.tga");
    FullScreenPicture *full = LoadFullScreenPicture("Full.tga");
    ASSERT_TRUE(image && full);
    EXPECT_EQ(std::vector<uint16_t>(full->pixels, full->pixels + 240 * 320), expected);
    EXPECT_EQ(std::vector<uint16_t>(image->pixels, image->pixels + 240 * 320), expected);
    FreeFullScreenPicture(full);
    FreeFullScreenPicture(full);
    free(full);
    EXPECT_EQ(LoadFullScreenPicture("Narrow.tga"), nullptr);
    for (const char *name : {"Cut.tga", "Missing.tga"})
        EXPECT_TRUE(LoadImage(name) == nullptr && LoadFullScreenPicture(name) == nullptr) << name;

    // zuxpack decode writes the PNG of the game's own conversion, and fails
    // with one line where the game refuses the picture.
    ASSERT_TRUE(WritePng((dir + "/expected.png").c_str(), image->pixels, 240, 320));
    FreeImagePixels(image);
    free(image);
    std::string out;
    EXPECT_EQ(RunTool("zuxpack", "decode --full " + dir + "/Full.tga " + dir + "/a.png", &out), 0)
        << out;
    EXPECT_EQ(ReadBytes(dir + "/a.png"), ReadBytes(dir + "/expected.png"));
    EXPECT_EQ(RunTool("zuxpack", "decode --full " + dir + "/Narrow.tga " + dir + "/d.png", &out),
              1);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    ScreenWidth = oldWidth, ScreenHeight = oldHeight;
}
