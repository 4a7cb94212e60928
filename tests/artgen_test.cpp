// The art generator: the set it writes is complete, every picture decodes
// through the game's decoder at the size and place the game relies on, the
// sounds are well-formed WAV files, and two runs give the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <tuple>

#include "res/tga.h"
#include "tests/test_util.h"

namespace
{

// A generated set, made once for all the tests here and removed at exit.
struct GeneratedSet {
    std::string parent, dir;
    ~GeneratedSet() { RemoveTree(parent); }
};

const std::string &ArtDir()
{
    static GeneratedSet set;
    if (set.dir.empty()) {
        set.parent = MakeTempDir();
        set.dir = set.parent + "/art";
        std::string out;
        EXPECT_EQ(RunTool("zux-artgen", set.dir, &out), 0) << out;
    }
    return set.dir;
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
                               "slevel.wav",         "Icon.tga"};
    for (int s = 1; s <= 6; s++) {
        std::string skin = "Skin" + std::to_string(s);
        n.insert({skin + "Background.tga", skin + "BackgroundMenu.tga",
                  "MenuSkin" + std::to_string(s) + ".tga"});
        for (int i = 1; i <= 7; i++) n.insert(skin + "Item" + std::to_string(i) + ".tga");
        for (int d = 1; d <= 5; d++) n.insert(skin + "Dest" + std::to_string(d) + ".tga");
    }
    for (int k = 1; k <= 5; k++) n.insert("Light" + std::to_string(k) + ".tga");
    for (char t = 'A'; t <= 'D'; t++) n.insert(std::string("MenuType") + t + ".tga");
    return n;
}

// A picture's header and, for the 8-bit pictures, its 5-6-5 pixels as the game loads them.
struct Decoded {
    TgaInfo tga = {};
    std::vector<uint16_t> pixels;
    bool ok = false;
    int NonZero(int left, int top, int right, int bottom) const
    {
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++) n += pixels[y * tga.width + x] != 0;
        return n;
    }
    std::vector<uint16_t> Cell(int left, int width) const
    {
        std::vector<uint16_t> c;
        for (int y = 0; y < tga.height; y++)
            c.insert(c.end(), &pixels[y * tga.width + left], &pixels[y * tga.width + left + width]);
        return c;
    }
};

Decoded Decode(const std::string &path)
{
    Decoded d;
    Bytes bytes = ReadBytes(path);
    if (DecodeTga(&d.tga, bytes.data(), (uint32_t)bytes.size()) != TgaNoError) return d;
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
Decoded Art(const std::string &name) { return Decode(ArtDir() + "/" + name); }

} // namespace

TEST(ArtGen, WritesEveryFileTheGameLoads)
{
    std::set<std::string> written = FilesIn(ArtDir());
    EXPECT_EQ(written, NamesTheGameLoads());
    // Every resource name written in the game's code is among them.
    const std::regex literal("\"([A-Za-z0-9_-]+\\.(tga|wav))\"");
    for (const char *part : {"app", "front", "game", "gfx", "res", "platform"}) {
        std::string dir = std::string(ZUX_SOURCE_DIR) + "/" + part;
        for (const auto &e : std::filesystem::recursive_directory_iterator(dir)) {
            if (!e.is_regular_file()) continue;
            Bytes bytes = ReadBytes(e.path().string());
            std::string text(bytes.begin(), bytes.end());
            for (std::sregex_iterator m(text.begin(), text.end(), literal), none; m != none; ++m)
                EXPECT_TRUE(written.count((*m)[1].str())) << (*m)[1].str() << " in " << e.path();
        }
    }
}

TEST(ArtGen, PicturesDecodeAtTheSizesAndPlacesTheGameUses)
{
    // Sizes the game relies on: a wrong one leaves the picture out or misdraws it.
    std::map<std::string, std::pair<int, int>> exact = {
        {"GetReady.tga", {128, 31}},      {"HSPolice.tga", {840, 20}},
        {"HSBackground.tga", {128, 128}}, {"Credits.tga", {240, 320}},
        {"Controls.tga", {240, 320}},     {"Bump-picS.tga", {240, 320}},
        {"Bump-FondS.tga", {240, 320}},   {"Bump-SourceS.tga", {256, 256}},
        {"Numeric.tga", {70, 9}},         {"Icon.tga", {32, 32}}};
    for (int s = 1; s <= 6; s++) {
        std::string skin = "Skin" + std::to_string(s);
        exact[skin + "Background.tga"] = {240, 320};
        exact[skin + "BackgroundMenu.tga"] = {32, 32};
        for (int i = 1; i <= 7; i++) exact[skin + "Item" + std::to_string(i) + ".tga"] = {11, 11};
        for (int d = 1; d <= 5; d++) exact[skin + "Dest" + std::to_string(d) + ".tga"] = {11, 11};
    }
    for (int k = 1; k <= 5; k++) exact["Light" + std::to_string(k) + ".tga"] = {11, 11};
    for (const std::string &name : NamesTheGameLoads()) {
        if (name.find(".wav") != std::string::npos) continue;
        Decoded d = Art(name);
        ASSERT_TRUE(d.ok) << name;
        if (exact.count(name)) {
            EXPECT_EQ(d.tga.width, exact[name].first) << name;
            EXPECT_EQ(d.tga.height, exact[name].second) << name;
        }
        // The bump pictures are read raw: true colour and 8-bit grey; everything
        // else loads as an 8-bit colour-mapped picture.
        bool bump = name.rfind("Bump-", 0) == 0;
        EXPECT_EQ(d.tga.bytesPerPixel, name == "Bump-picS.tga" ? 3 : 1) << name;
        EXPECT_TRUE(bump || !d.pixels.empty()) << name << " does not load";
        EXPECT_TRUE(!bump || name == "Bump-picS.tga" || d.tga.format == TgaFormatGrey) << name;
    }

    // Pictures drawn at fixed places must fit there.
    const struct {
        const char *name;
        int x, y, maxBottom;
    } places[] = {
        {"Loading.tga", 0, 103, 320},       {"Paused.tga", 30, 104, 320},
        {"LevelCompleted.tga", 8, 94, 320}, {"GameOver.tga", 0, 95, 320},
        {"MenuTitle.tga", 0, 0, 60},        {"MenuStudioT.tga", 16, 195, 320},
        {"HSTitle.tga", 0, 0, 40},          {"HSVorpel.tga", 0, 75, 90},
        {"HSEnter.tga", 0, 0, 320},         {"HSName.tga", 53, 185, 320},
        {"MenuTypeA.tga", 16, 40, 75},      {"AGameBy.tga", 0, 65, 146},
    };
    for (const auto &p : places) {
        Decoded d = Art(p.name);
        EXPECT_LE(p.x + d.tga.width, 240) << p.name;
        EXPECT_LE(p.y + d.tga.height, p.maxBottom) << p.name;
    }
    Decoded over = Art("GameOver.tga"); // the score's six digits lie on it
    EXPECT_GE(over.tga.width, 85 + 6 * 7);
    EXPECT_GE(95 + over.tga.height, 153 + 9);
    // Menu entries: framed at x 13..19 with no clipping, 23 pixels apart.
    for (const char *entry :
         {"MenuContinue.tga", "MenuNew.tga", "MenuSkins.tga", "MenuOptions.tga", "MenuCredits.tga",
          "MenuQuit.tga", "MenuTypeA.tga", "MenuTypeD.tga", "MenuBack.tga", "MenuSkin1.tga",
          "MenuSkin6.tga", "MenuSoundOn.tga", "MenuSoundOff.tga", "MenuDropOn.tga",
          "MenuDropOff.tga", "MenuControls.tga"}) {
        Decoded d = Art(entry);
        EXPECT_TRUE(d.tga.width >= 2 && 19 + d.tga.width <= 240 && d.tga.height <= 20) << entry;
    }
    // Item tiles are opaque everywhere: a 0 pixel would show the board through.
    for (int s = 1; s <= 6; s++)
        for (int i = 1; i <= 7; i++) {
            std::string name = "Skin" + std::to_string(s) + "Item" + std::to_string(i) + ".tga";
            EXPECT_EQ(Art(name).NonZero(0, 0, 11, 11), 121) << name;
        }
    // Strips: every digit and letter cell is drawn and tells itself apart.
    for (auto [name, cells, side] : {std::tuple{"Numeric.tga", 10, 7}, {"HSPolice.tga", 42, 20}}) {
        Decoded strip = Art(name);
        std::set<std::vector<uint16_t>> shapes;
        for (int c = 0; c < cells; c++) {
            EXPECT_GT(strip.NonZero(side * c, 0, side * c + side, strip.tga.height), 8) << c;
            shapes.insert(strip.Cell(side * c, side));
        }
        EXPECT_EQ((int)shapes.size(), cells) << name;
    }
    // The intro's lettering lies in the top 9 rows of the widths it reveals.
    Decoded first = Art("AGameBy.tga"), studio = Art("TarnveldixStudio.tga");
    ASSERT_TRUE(first.tga.width >= 173 && studio.tga.width >= 174);
    EXPECT_GT(first.NonZero(0, 0, 173, 9), 40);
    EXPECT_GT(studio.NonZero(0, 0, 174, 9), 80);
}

TEST(ArtGen, SoundsAreShortWellFormedWavFiles)
{
    const struct {
        const char *name;
        double minMs, maxMs;
    } sounds[] = {{"sclick.wav", 10, 100},
                  {"srot.wav", 40, 200},
                  {"sdest.wav", 150, 400},
                  {"slevel.wav", 300, 1000}};
    std::set<Bytes> different;
    for (const auto &e : sounds) {
        SCOPED_TRACE(e.name);
        Bytes b = ReadBytes(ArtDir() + "/" + e.name);
        ASSERT_GE(b.size(), 44u);
        // RIFF, WAVE, a 16-byte PCM mono 16-bit format chunk, then the data.
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4) +
                      std::string(b.begin() + 8, b.begin() + 16),
                  "RIFFWAVEfmt ");
        EXPECT_EQ(LeWord(b, 4), (int32_t)b.size() - 8);
        int32_t rate = LeWord(b, 24);
        EXPECT_EQ(
            (std::vector<int32_t>{LeWord(b, 16), LeWord(b, 20), LeWord(b, 28), LeWord(b, 32)}),
            (std::vector<int32_t>{16, 1 | 1 << 16, rate * 2, 2 | 16 << 16}));
        EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
        ASSERT_EQ(LeWord(b, 40), (int32_t)b.size() - 44);
        double ms = 1000.0 * (double)(b.size() - 44) / 2 / rate;
        EXPECT_TRUE(ms >= e.minMs && ms <= e.maxMs) << ms;
        different.insert(Bytes(b.begin() + 44, b.end()));
    }
    EXPECT_EQ(different.size(), 4u);
}

TEST(ArtGen, TwoRunsGiveTheSameBytesAndTheSheetIsDrawn)
{
    std::string other = MakeTempDir(), out;
    ASSERT_EQ(RunTool("zux-artgen", other + "/art", &out), 0) << out;
    std::set<std::string> names = FilesIn(ArtDir());
    EXPECT_EQ(FilesIn(other + "/art"), names);
    for (const std::string &name : names)
        EXPECT_TRUE(ReadBytes(ArtDir() + "/" + name) == ReadBytes(other + "/art/" + name)) << name;
    EXPECT_EQ(RunTool("zux-artgen", "--sheet " + other + "/sheet.png", &out), 0) << out;
    Bytes png = ReadBytes(other + "/sheet.png");
    EXPECT_TRUE(png.size() > 8 && memcmp(png.data(), "\x89PNG", 4) == 0);
    // The desktop icons: RGBA (colour type 6) at every size, in the hicolor layout.
    EXPECT_EQ(RunTool("zux-artgen", "--icons " + other + "/icons", &out), 0) << out;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        std::string n = std::to_string(size);
        Bytes icon = ReadBytes(other + "/icons/" + n + "x" + n + "/apps/zux.png");
        ASSERT_GT(icon.size(), 26u) << n;
        EXPECT_EQ(std::vector<int>({icon[18], icon[19], icon[22], icon[23], icon[24], icon[25]}),
                  std::vector<int>({size >> 8, size & 255, size >> 8, size & 255, 8, 6}))
            << n;
    }
    RemoveTree(other);
}

TEST(ArtGen, EveryStorageFormOfTheWriterDecodesToTheSamePicture)
{
    std::string dir = MakeTempDir(), out;
    ASSERT_EQ(RunTool("zux-artgen", "--forms " + dir, &out), 0) << out;
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
            SCOPED_TRACE(name);
            Decoded d = Decode(dir + name);
            ASSERT_TRUE(d.ok && (int)d.pixels.size() == w * h);
            EXPECT_EQ(d.tga.imageType, rle ? 9 : 1);
            EXPECT_EQ(d.tga.topFirst != 0, top != 0);
            EXPECT_EQ(d.tga.colourMapEntryBits, bits);
            EXPECT_EQ(d.tga.colourMapFirst, first);
            // Holes decode to the transparent 0 and nothing else does.
            for (int i = 0; i < w * h; i++) {
                int x = i % w, y = i / w;
                bool hole = many ? (x + 2 * y) % 11 == 0 : (x + 13 * y) / 9 % 5 == 3;
                ASSERT_EQ(d.pixels[i] == 0, hole) << x << "," << y;
            }
            if (!byBits.count(bits)) byBits[bits] = d.pixels;
            EXPECT_TRUE(d.pixels == byBits[bits]) << "differs from another form with this map";
        }
        // The 15- and 16-bit maps hold the same colours, and so do the 24- and 32-bit ones.
        EXPECT_TRUE(byBits[15] == byBits[16] && byBits[24] == byBits[32]);
    }
    RemoveTree(dir);
}
