// The art generator: the set it writes is complete, every picture decodes
// through the game's decoder at the size and place the game relies on, the
// sounds are well-formed WAV files, and two runs give the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "res/tga.h"
#include "test_util.h"

namespace
{

const std::string ArtGen = ZUX_BUILD_DIR "/zux-artgen";

std::string RunArtGen(const std::string &args, int *status)
{
    std::string out;
    FILE *pipe = popen((ArtGen + " " + args + " 2>&1").c_str(), "r");
    if (!pipe) {
        *status = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    *status = pclose(pipe);
    return out;
}

// A generated set, made once for all the tests here and removed at exit.
struct GeneratedSet {
    std::string parent, dir;
    ~GeneratedSet()
    {
        if (!parent.empty()) RemoveTree(parent);
    }
};

const std::string &ArtDir()
{
    static GeneratedSet set;
    std::string &dir = set.dir;
    if (dir.empty()) {
        set.parent = MakeTempDir();
        dir = set.parent + "/art";
        int status = 0;
        std::string out = RunArtGen(dir, &status);
        EXPECT_EQ(status, 0) << out;
    }
    return dir;
}

std::set<std::string> FilesIn(const std::string &dir)
{
    std::set<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// Every file the game asks for, built from its own naming scheme.
std::set<std::string> NamesTheGameLoads()
{
    std::set<std::string> n = {"Loading.tga",        "AGameBy.tga",      "TarnveldixStudio.tga",
                               "Glow.tga",           "Sparks.tga",       "Bump-picS.tga",
                               "Bump-FondS.tga",     "Bump-SourceS.tga", "Numeric.tga",
                               "Paused.tga",         "GameOver.tga",     "GetReady.tga",
                               "LevelCompleted.tga", "HSBackground.tga", "HSTitle.tga",
                               "HSPolice.tga",       "HSCursor.tga",     "HSEnter.tga",
                               "HSName.tga",         "HSVorpel.tga",     "MenuTitle.tga",
                               "MenuStudioT.tga",    "MenuContinue.tga", "MenuNew.tga",
                               "MenuSkins.tga",      "MenuOptions.tga",  "MenuCredits.tga",
                               "MenuQuit.tga",       "MenuBack.tga",     "MenuSoundOn.tga",
                               "MenuSoundOff.tga",   "MenuDropOn.tga",   "MenuDropOff.tga",
                               "MenuControls.tga",   "Credits.tga",      "Controls.tga",
                               "sclick.wav",         "srot.wav",         "sdest.wav",
                               "slevel.wav"};
    for (int s = 1; s <= 6; s++) {
        std::string skin = "Skin" + std::to_string(s);
        n.insert(skin + "Background.tga");
        n.insert(skin + "BackgroundMenu.tga");
        for (int i = 1; i <= 7; i++) n.insert(skin + "Item" + std::to_string(i) + ".tga");
        for (int d = 1; d <= 5; d++) n.insert(skin + "Dest" + std::to_string(d) + ".tga");
        n.insert("MenuSkin" + std::to_string(s) + ".tga");
    }
    for (int k = 1; k <= 5; k++) n.insert("Light" + std::to_string(k) + ".tga");
    for (char t = 'A'; t <= 'D'; t++) n.insert(std::string("MenuType") + t + ".tga");
    return n;
}

struct Decoded {
    TgaInfo tga;
    std::vector<uint16_t> pixels; // 5-6-5, for 8-bit pictures
    bool ok = false;
};

Decoded Decode(const std::string &name)
{
    Decoded d;
    std::vector<uint8_t> bytes = ReadBytes(ArtDir() + "/" + name);
    if (bytes.empty() || DecodeTga(&d.tga, bytes.data(), (uint32_t)bytes.size()) != TgaNoError)
        return d;
    FreeTgaData(&d.tga);
    if (d.tga.pixelDepth == 8) {
        Image *im = DecodeImage(bytes.data(), (uint32_t)bytes.size());
        if (!im) return d;
        d.pixels.assign(im->pixels, im->pixels + im->width * im->height);
        FreeImagePixels(im);
        free(im);
    }
    d.ok = true;
    return d;
}

int NonZero(const Decoded &d, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++) n += d.pixels[y * d.tga.width + x] != 0;
    return n;
}

std::vector<uint16_t> Cell(const Decoded &d, int left, int width)
{
    std::vector<uint16_t> c;
    for (int y = 0; y < d.tga.height; y++)
        for (int x = left; x < left + width; x++) c.push_back(d.pixels[y * d.tga.width + x]);
    return c;
}

uint32_t Le32(const std::vector<uint8_t> &b, size_t at)
{
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 |
           (uint32_t)b[at + 3] << 24;
}
uint16_t Le16(const std::vector<uint8_t> &b, size_t at)
{
    return (uint16_t)(b[at] | b[at + 1] << 8);
}

} // namespace

TEST(ArtGen, WritesEveryFileTheGameLoads)
{
    std::set<std::string> written = FilesIn(ArtDir());
    EXPECT_EQ(written, NamesTheGameLoads());

    // The tool's own table lists exactly what it wrote.
    int status = 0;
    std::string list = RunArtGen("--list", &status);
    ASSERT_EQ(status, 0);
    std::set<std::string> listed;
    size_t at = 0;
    while (at < list.size()) {
        size_t end = list.find('\n', at);
        std::string line = list.substr(at, end - at);
        if (!line.empty()) listed.insert(line.substr(0, line.find(' ')));
        at = end == std::string::npos ? list.size() : end + 1;
    }
    EXPECT_EQ(listed, written);

    // Every resource name written in the game's code is among them.
    const std::regex literal("\"([A-Za-z0-9_-]+\\.(tga|wav))\"");
    for (const char *part : {"app", "front", "game", "gfx", "res", "platform"}) {
        std::string dir = std::string(ZUX_SOURCE_DIR) + "/" + part;
        if (!std::filesystem::exists(dir)) continue;
        for (const auto &e : std::filesystem::recursive_directory_iterator(dir)) {
            if (!e.is_regular_file()) continue;
            std::vector<uint8_t> bytes = ReadBytes(e.path().string());
            std::string text(bytes.begin(), bytes.end());
            for (std::sregex_iterator m(text.begin(), text.end(), literal), none; m != none; ++m)
                EXPECT_TRUE(written.count((*m)[1].str())) << (*m)[1].str() << " in " << e.path();
        }
    }
}

TEST(ArtGen, PicturesDecodeAtTheSizesAndPlacesTheGameUses)
{
    struct Size {
        int w, h;
    };
    std::map<std::string, Size> exact = {
        {"GetReady.tga", {128, 31}},      {"HSPolice.tga", {840, 20}},
        {"HSBackground.tga", {128, 128}}, {"Credits.tga", {240, 320}},
        {"Controls.tga", {240, 320}},     {"Bump-picS.tga", {240, 320}},
        {"Bump-FondS.tga", {240, 320}},   {"Bump-SourceS.tga", {256, 256}},
        {"Numeric.tga", {70, 9}},
    };
    for (int s = 1; s <= 6; s++) {
        std::string skin = "Skin" + std::to_string(s);
        exact[skin + "Background.tga"] = {240, 320};
        exact[skin + "BackgroundMenu.tga"] = {32, 32};
        for (int i = 1; i <= 7; i++) exact[skin + "Item" + std::to_string(i) + ".tga"] = {11, 11};
        for (int d = 1; d <= 5; d++) exact[skin + "Dest" + std::to_string(d) + ".tga"] = {11, 11};
    }
    for (int k = 1; k <= 5; k++) exact["Light" + std::to_string(k) + ".tga"] = {11, 11};

    std::set<int> imageTypes, mapBits;
    std::set<bool> rowOrders;
    bool mapPastZero = false, idField = false;
    for (const std::string &name : NamesTheGameLoads()) {
        if (name.size() > 4 && name.substr(name.size() - 4) == ".wav") continue;
        Decoded d = Decode(name);
        ASSERT_TRUE(d.ok) << name;
        const TgaInfo &t = d.tga;
        if (exact.count(name)) {
            EXPECT_EQ(t.width, exact[name].w) << name;
            EXPECT_EQ(t.height, exact[name].h) << name;
        }
        imageTypes.insert(t.imageType);
        rowOrders.insert(t.topFirst != 0);
        idField = idField || t.idLength > 0;
        if (name == "Bump-picS.tga") {
            EXPECT_EQ(t.bytesPerPixel, 3);
            continue;
        }
        if (name == "Bump-FondS.tga" || name == "Bump-SourceS.tga") {
            EXPECT_TRUE(t.imageType == 3 || t.imageType == 11) << name;
            EXPECT_EQ(t.pixelDepth, 8) << name;
            continue;
        }
        // Everything else: 8-bit colour-mapped with at most 256 entries.
        EXPECT_TRUE(t.imageType == 1 || t.imageType == 9) << name;
        EXPECT_EQ(t.pixelDepth, 8) << name;
        EXPECT_LE(t.colourMapFirst + t.colourMapLength, 256) << name;
        mapBits.insert(t.colourMapEntryBits);
        mapPastZero = mapPastZero || t.colourMapFirst > 0;
    }
    // The set as a whole walks every path of the decoder.
    EXPECT_EQ(imageTypes, (std::set<int>{1, 2, 3, 9, 11}));
    EXPECT_EQ(mapBits, (std::set<int>{15, 16, 24, 32}));
    EXPECT_EQ(rowOrders.size(), 2u);
    EXPECT_TRUE(mapPastZero);
    EXPECT_TRUE(idField);

    // Pictures drawn at fixed places must fit there.
    struct Place {
        const char *name;
        int x, y, maxBottom;
    };
    const Place places[] = {
        {"Loading.tga", 0, 103, 320},       {"Paused.tga", 30, 104, 320},
        {"LevelCompleted.tga", 8, 94, 320}, {"GameOver.tga", 0, 95, 320},
        {"MenuTitle.tga", 0, 0, 60},        {"MenuStudioT.tga", 16, 195, 320},
        {"HSTitle.tga", 0, 0, 40},          {"HSVorpel.tga", 0, 75, 90},
        {"HSEnter.tga", 0, 0, 320},         {"HSName.tga", 53, 185, 320},
        {"MenuTypeA.tga", 16, 40, 75},      {"AGameBy.tga", 0, 65, 146},
    };
    for (const Place &p : places) {
        Decoded d = Decode(p.name);
        EXPECT_LE(p.x + d.tga.width, 240) << p.name;
        EXPECT_LE(p.y + d.tga.height, p.maxBottom) << p.name;
    }
    Decoded over = Decode("GameOver.tga");
    EXPECT_GE(over.tga.width, 85 + 6 * 7); // the score's six digits lie on it
    EXPECT_GE(95 + over.tga.height, 153 + 9);
    // Menu entries: framed at x 13..19 with no clipping, 23 pixels apart, above the studio line.
    for (const char *entry :
         {"MenuContinue.tga", "MenuNew.tga", "MenuSkins.tga", "MenuOptions.tga", "MenuCredits.tga",
          "MenuQuit.tga", "MenuTypeA.tga", "MenuTypeD.tga", "MenuBack.tga", "MenuSkin1.tga",
          "MenuSkin6.tga", "MenuSoundOn.tga", "MenuSoundOff.tga", "MenuDropOn.tga",
          "MenuDropOff.tga", "MenuControls.tga"}) {
        Decoded d = Decode(entry);
        EXPECT_LE(19 + d.tga.width, 240) << entry;
        EXPECT_LE(d.tga.height, 20) << entry;
        EXPECT_GE(d.tga.width, 2) << entry;
    }

    // Item tiles are opaque everywhere: a 0 pixel would show the board through.
    for (int s = 1; s <= 6; s++)
        for (int i = 1; i <= 7; i++) {
            std::string name = "Skin" + std::to_string(s) + "Item" + std::to_string(i) + ".tga";
            EXPECT_EQ(NonZero(Decode(name), 0, 0, 11, 11), 121) << name;
        }
    // The light sweep is brightest in its middle frames.
    int lit[5];
    for (int k = 0; k < 5; k++)
        lit[k] = NonZero(Decode("Light" + std::to_string(k + 1) + ".tga"), 0, 0, 11, 11);
    EXPECT_GT(lit[0], 0);
    EXPECT_GE(lit[1], lit[0]);
    EXPECT_GE(lit[2], lit[1]);
    EXPECT_GE(lit[2], lit[3]);
    EXPECT_GE(lit[3], lit[4]);
    EXPECT_GT(lit[4], 0);

    // Strips: every digit and letter cell is drawn and tells itself apart.
    Decoded digits = Decode("Numeric.tga"), police = Decode("HSPolice.tga");
    std::set<std::vector<uint16_t>> shapes;
    for (int d = 0; d < 10; d++) {
        EXPECT_GT(NonZero(digits, 7 * d, 0, 7 * d + 7, 9), 8) << "digit " << d;
        shapes.insert(Cell(digits, 7 * d, 7));
    }
    EXPECT_EQ(shapes.size(), 10u);
    shapes.clear();
    for (int c = 0; c < 42; c++) {
        EXPECT_GT(NonZero(police, 20 * c, 0, 20 * c + 20, 20), 10) << "cell " << c;
        shapes.insert(Cell(police, 20 * c, 20));
    }
    EXPECT_EQ(shapes.size(), 42u);

    // The intro's lettering lies in the top 9 rows of the widths it reveals.
    Decoded first = Decode("AGameBy.tga"), studio = Decode("TarnveldixStudio.tga");
    EXPECT_GE(first.tga.width, 173);
    EXPECT_GE(studio.tga.width, 174);
    EXPECT_GT(NonZero(first, 0, 0, 173, 9), 40);
    EXPECT_GT(NonZero(studio, 0, 0, 174, 9), 80);
    // Glow and sparks are grey, read through their red channel.
    for (const char *name : {"Glow.tga", "Sparks.tga"}) {
        Decoded d = Decode(name);
        int brightest = 0;
        for (uint16_t px : d.pixels) {
            int r = px >> 11, g = px >> 5 & 63, b = px & 31;
            EXPECT_EQ(r, b) << name;
            EXPECT_LE(std::abs(g - 2 * r), 1) << name;
            brightest = std::max(brightest, r);
        }
        EXPECT_GE(brightest, 20) << name;
    }
}

TEST(ArtGen, SoundsAreShortWellFormedWavFiles)
{
    struct Expect {
        const char *name;
        double minMs, maxMs;
    };
    const Expect sounds[] = {{"sclick.wav", 10, 100},
                             {"srot.wav", 40, 200},
                             {"sdest.wav", 150, 400},
                             {"slevel.wav", 300, 1000}};
    std::set<std::vector<uint8_t>> different;
    for (const Expect &e : sounds) {
        std::vector<uint8_t> b = ReadBytes(ArtDir() + "/" + e.name);
        ASSERT_GE(b.size(), 44u) << e.name;
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
        EXPECT_EQ(Le32(b, 4), b.size() - 8) << e.name;
        EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(Le32(b, 16), 16u);
        EXPECT_EQ(Le16(b, 20), 1); // PCM
        EXPECT_EQ(Le16(b, 22), 1); // mono
        uint32_t rate = Le32(b, 24);
        EXPECT_EQ(Le32(b, 28), rate * 2);
        EXPECT_EQ(Le16(b, 32), 2);
        EXPECT_EQ(Le16(b, 34), 16);
        EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
        uint32_t data = Le32(b, 40);
        ASSERT_EQ(data, b.size() - 44) << e.name;
        size_t count = data / 2;
        double ms = 1000.0 * (double)count / (double)rate;
        EXPECT_GE(ms, e.minMs) << e.name;
        EXPECT_LE(ms, e.maxMs) << e.name;
        int peak = 0;
        for (size_t i = 0; i < count; i++)
            peak = std::max(peak, std::abs((int)(int16_t)Le16(b, 44 + 2 * i)));
        EXPECT_LT(peak, 32000) << e.name; // below full scale
        EXPECT_GT(peak, 8000) << e.name;  // but clearly audible
        // Faded in and out: no click at either end.
        EXPECT_LT(std::abs((int)(int16_t)Le16(b, 44)), 500) << e.name;
        EXPECT_LT(std::abs((int)(int16_t)Le16(b, 44 + 2 * (count - 1))), 500) << e.name;
        different.insert(std::vector<uint8_t>(b.begin() + 44, b.end()));
    }
    EXPECT_EQ(different.size(), 4u);
}

TEST(ArtGen, TwoRunsGiveTheSameBytesAndTheSheetIsDrawn)
{
    std::string other = MakeTempDir();
    int status = 0;
    std::string out = RunArtGen(other + "/art", &status);
    ASSERT_EQ(status, 0) << out;
    std::set<std::string> names = FilesIn(ArtDir());
    EXPECT_EQ(FilesIn(other + "/art"), names);
    for (const std::string &name : names)
        EXPECT_TRUE(ReadBytes(ArtDir() + "/" + name) == ReadBytes(other + "/art/" + name)) << name;

    out = RunArtGen("--sheet " + other + "/sheet.png", &status);
    EXPECT_EQ(status, 0) << out;
    std::vector<uint8_t> png = ReadBytes(other + "/sheet.png");
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG", 4), 0);
    RemoveTree(other);
}

TEST(ArtGen, EveryStorageFormOfTheWriterDecodesToTheSamePicture)
{
    std::string dir = MakeTempDir();
    int status = 0;
    std::string out = RunArtGen("--forms " + dir, &status);
    ASSERT_EQ(status, 0) << out;
    for (const std::string kind : {"few", "many"}) {
        bool many = kind == "many";
        int w = many ? 64 : 37, h = many ? 40 : 23;
        std::map<int, std::vector<uint16_t>> byBits; // the first decode of each map size
        for (int k = 0; k < 64; k++) {
            int rle = k & 1, top = k >> 1 & 1, rows = k >> 2 & 1, first = k >> 5 & 1;
            int bits = (int[]){15, 16, 24, 32}[k >> 3 & 3];
            char name[64];
            snprintf(name, sizeof name, "/forms-%s-r%dt%dp%db%df%d.tga", kind.c_str(), rle, top,
                     rows, bits, first);
            std::vector<uint8_t> bytes = ReadBytes(dir + name);
            TgaInfo tga;
            ASSERT_EQ(DecodeTga(&tga, bytes.data(), (uint32_t)bytes.size()), TgaNoError) << name;
            FreeTgaData(&tga);
            EXPECT_EQ(tga.imageType, rle ? 9 : 1) << name;
            EXPECT_EQ(tga.topFirst != 0, top != 0) << name;
            EXPECT_EQ(tga.colourMapEntryBits, bits) << name;
            EXPECT_EQ(tga.colourMapFirst, first) << name;
            Image *im = DecodeImage(bytes.data(), (uint32_t)bytes.size());
            ASSERT_NE(im, nullptr) << name;
            ASSERT_EQ(im->width, w);
            ASSERT_EQ(im->height, h);
            std::vector<uint16_t> px(im->pixels, im->pixels + w * h);
            FreeImagePixels(im);
            free(im);
            // Holes decode to the transparent 0 and nothing else does.
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) {
                    bool hole = many ? (x + 2 * y) % 11 == 0 : (x + 13 * y) / 9 % 5 == 3;
                    ASSERT_EQ(px[y * w + x] == 0, hole) << name << " at " << x << "," << y;
                }
            if (!byBits.count(bits)) byBits[bits] = px;
            EXPECT_TRUE(px == byBits[bits])
                << name << " differs from another form with " << bits << "-bit map";
        }
        EXPECT_TRUE(byBits[15] == byBits[16]);
        EXPECT_TRUE(byBits[24] == byBits[32]);
        // The coarse maps keep red and blue and lose at most the lowest green bit.
        for (size_t i = 0; i < byBits[24].size(); i++) {
            uint16_t a = byBits[24][i], b = byBits[15][i];
            EXPECT_EQ(a & 0xF81F, b & 0xF81F);
            EXPECT_LE(std::abs((a >> 5 & 63) - (b >> 5 & 63)), 1);
        }
        std::set<uint16_t> colours(byBits[24].begin(), byBits[24].end());
        EXPECT_LE(colours.size(), 256u);
        if (many) {
            EXPECT_GT(colours.size(), 200u); // the map is spent on the picture's range
        }
    }
    RemoveTree(dir);
}
