// The art generator writes exactly the files the game's code names, the same bytes every run;
// its pictures decode at the sizes the game relies on; its sounds are plain PCM WAV files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "res/tga.h"
#include "tests/test_util.h"

static const std::string BuiltArt = ZUX_BUILD_DIR "/art";

static std::set<std::string> FilesIn(const std::string &dir)
{
    std::set<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// Sizes the game relies on ("names w h 0": a wrong one misdraws), or the room at a fixed place
// ("names x y lowest-bottom"; the menu entries are framed at x 13..19, 23 pixels apart).
static const char Sizes[] =
    "Skin.(Item|Dest).|Light. 11 11 0 "
    "Skin.Background|Credits|Controls|Bump-(picS|FondS) 240 320 0 "
    "Skin.BackgroundMenu|Icon 32 32 0  GetReady 128 31 0  HSPolice 840 20 0 "
    "HSBackground 128 128 0  Bump-SourceS 256 256 0  Numeric 70 9 0  Loading 0 103 320 "
    "Paused 30 104 320  GameOver 0 95 320  LevelCompleted 8 94 320  MenuTitle 0 0 60 "
    "MenuStudioT 16 195 320  HSTitle 0 0 40  HSVorpel 0 75 90  HSName 53 185 320 "
    "MenuTypeA 16 40 75  AGameBy 0 65 146  Menu(?!Title|StudioT).* 19 0 20";

TEST(ArtGen, WritesWhatTheGameNamesTheSameEveryRunAtTheRightSizes)
{
    TempFolder t;
    std::string out;
    for (std::string args : {t.Path("art"), "--sheet " + t.Path("s.png"),
                             "--icons " + t.Path("icons"), "--ico " + t.Path("zux.ico")})
        ASSERT_EQ(RunTool("zux-artgen", args, &out), 0) << out;
    std::set<std::string> written = FilesIn(t.Path("art")), named;
    const std::regex literal("\"([A-Za-z0-9_-]+\\.(tga|wav))\"");
    for (const char *part : {"app", "front", "game", "gfx", "res", "platform"})
        for (const auto &e : std::filesystem::recursive_directory_iterator(
                 std::string(ZUX_SOURCE_DIR) + "/" + part)) {
            Bytes b = e.is_regular_file() ? ReadBytes(e.path().string()) : Bytes();
            std::string text(b.begin(), b.end());
            for (std::sregex_iterator m(text.begin(), text.end(), literal), none; m != none; ++m)
                named.insert((*m)[1].str());
        }
    EXPECT_EQ(written, named);
    EXPECT_EQ(FilesIn(BuiltArt), written);
    for (const std::string &name : written)
        EXPECT_TRUE(ReadBytes(BuiltArt + "/" + name) == ReadBytes(t.Path("art/" + name))) << name;
    EXPECT_EQ(LeWord(ReadBytes(t.Path("s.png")), 0), 0x474E5089); // "\x89PNG"
    // The desktop icons: RGBA (depth 8, colour type 6) at every size, in the hicolor layout.
    for (uint32_t size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        std::string n = std::to_string(size);
        Bytes icon = ReadBytes(t.Path("icons/" + n + "x" + n + "/apps/zux.png"));
        uint32_t w = __builtin_bswap32(LeWord(icon, 16)), h = __builtin_bswap32(LeWord(icon, 20));
        EXPECT_TRUE(w == size) << n;
        EXPECT_TRUE(h == size) << n;
        EXPECT_TRUE(LeWord(icon, 24) % 65536 == (6 << 8 | 8)) << n;
    }
    // Windows' icon: a directory of seven entries, each the desktop PNG of its size.
    Bytes ico = ReadBytes(t.Path("zux.ico"));
    ASSERT_GE(ico.size(), 6u + 7 * 16);
    EXPECT_TRUE(LeWord(ico, 0) == 1 << 16 && LeWord(ico, 4) % 65536 == 7);
    int entry = 6;
    for (uint32_t size : {16, 24, 32, 48, 64, 128, 256}) {
        std::string n = std::to_string(size);
        uint32_t length = (uint32_t)LeWord(ico, entry + 8), at = (uint32_t)LeWord(ico, entry + 12);
        ASSERT_LE((size_t)at + length, ico.size()) << n;
        EXPECT_TRUE(ico[entry] == size % 256 && ico[entry + 1] == size % 256 &&
                    LeWord(ico, entry + 4) == (1 | 32 << 16))
            << n;
        EXPECT_TRUE(Bytes(ico.begin() + at, ico.begin() + at + length) ==
                    ReadBytes(t.Path("icons/" + n + "x" + n + "/apps/zux.png")))
            << n;
        entry += 16;
    }
    std::set<Bytes> sounds;
    for (const std::string &name : FilesIn(BuiltArt)) {
        SCOPED_TRACE(name);
        Bytes b = ReadBytes(BuiltArt + "/" + name);
        if (name.find(".wav") != std::string::npos) {
            // RIFF, WAVE, a 16-byte PCM mono 16-bit format chunk, then the data, 10 ms to 1 s.
            auto Tag = [](const char *t) { return LeWord(Bytes(t, t + 4), 0); };
            int32_t rate = LeWord(b, 24), size = (int32_t)b.size();
            Ints got, want = {Tag("RIFF"), size - 8, Tag("WAVE"),  Tag("fmt "), 16,
                              1 | 1 << 16, rate * 2, 2 | 16 << 16, Tag("data"), size - 44};
            for (int at : {0, 4, 8, 12, 16, 20, 28, 32, 36, 40}) got.push_back(LeWord(b, at));
            EXPECT_TRUE(got == want) << size;
            EXPECT_TRUE(size - 44 >= rate / 50) << size;
            EXPECT_TRUE(size - 44 <= rate * 2) << size;
            sounds.insert(Bytes(b.begin() + 44, b.end()));
            continue;
        }
        TgaInfo tga;
        ASSERT_EQ(DecodeTga(&tga, b.data(), (uint32_t)b.size()), TgaNoError);
        FreeTgaData(&tga);
        std::istringstream table(Sizes);
        std::string n;
        for (int u, v, bottom; table >> n >> u >> v >> bottom;)
            EXPECT_TRUE(!std::regex_match(name, std::regex("(" + n + ")\\.tga")) ||
                        (bottom ? tga.width <= 240 - u && tga.height <= bottom - v
                                : tga.width == u && tga.height == v));
        // The bump pictures are read raw: true colour and 8-bit grey; everything
        // else loads as an 8-bit colour-mapped picture.
        bool bump = name.rfind("Bump-", 0) == 0, pic = name == "Bump-picS.tga";
        EXPECT_TRUE(tga.bytesPerPixel == (pic ? 3 : 1));
        EXPECT_TRUE(!bump || pic || tga.format == TgaFormatGrey);
        Image *image = bump ? nullptr : DecodeImage(b.data(), (uint32_t)b.size());
        ASSERT_TRUE(bump || image) << "does not load";
        // Item tiles are opaque (a 0 would show the board through); every cell
        // of the digit and letter strips is drawn and tells itself apart.
        int cells = (name == "Numeric.tga") * 10 + (name == "HSPolice.tga") * 42;
        std::vector<std::vector<uint16_t>> cell(cells);
        for (int i = 0; i < tga.width * tga.height && cells; i++)
            cell[i % tga.width / (cells == 10 ? 7 : 20)].push_back(image->pixels[i]);
        for (const auto &c : cell) EXPECT_GT(c.size() - std::count(c.begin(), c.end(), 0), 8u);
        EXPECT_EQ(std::set(cell.begin(), cell.end()).size(), cell.size());
        EXPECT_TRUE(name.find("Item") == std::string::npos ||
                    std::count(image->pixels, image->pixels + 121, 0) == 0);
        FreeImagePixels(image);
        free(image);
    }
    EXPECT_EQ(sounds.size(), 4u);
}
