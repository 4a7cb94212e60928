// The art generator: it writes exactly the files the game's code names, the
// same bytes on every run; every picture decodes through the game's decoder at
// the size the game relies on, and every sound is a plain PCM WAV file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

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

TEST(ArtGen, WritesWhatTheGameNamesTheSameOnEveryRun)
{
    std::string dir = MakeTempDir(), out;
    ASSERT_EQ(RunTool("zux-artgen", dir + "/art", &out), 0) << out;
    std::set<std::string> written = FilesIn(dir + "/art"), named;
    const std::regex literal("\"([A-Za-z0-9_-]+\\.(tga|wav))\"");
    for (const char *part : {"app", "front", "game", "gfx", "res", "platform"})
        for (const auto &e : std::filesystem::recursive_directory_iterator(
                 std::string(ZUX_SOURCE_DIR) + "/" + part)) {
            Bytes bytes = e.is_regular_file() ? ReadBytes(e.path().string()) : Bytes();
            std::string text(bytes.begin(), bytes.end());
            for (std::sregex_iterator m(text.begin(), text.end(), literal), none; m != none; ++m)
                named.insert((*m)[1].str());
        }
    EXPECT_EQ(written, named);
    EXPECT_EQ(FilesIn(BuiltArt), written);
    for (const std::string &name : written)
        EXPECT_TRUE(ReadBytes(BuiltArt + "/" + name) == ReadBytes(dir + "/art/" + name)) << name;
    EXPECT_EQ(RunTool("zux-artgen", "--sheet " + dir + "/sheet.png", &out), 0) << out;
    Bytes png = ReadBytes(dir + "/sheet.png");
    EXPECT_TRUE(png.size() > 8 && memcmp(png.data(), "\x89PNG", 4) == 0);
    // The desktop icons: RGBA (colour type 6) at every size, in the hicolor layout.
    EXPECT_EQ(RunTool("zux-artgen", "--icons " + dir + "/icons", &out), 0) << out;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        std::string n = std::to_string(size);
        Bytes icon = ReadBytes(dir + "/icons/" + n + "x" + n + "/apps/zux.png");
        ASSERT_GT(icon.size(), 26u) << n;
        EXPECT_EQ(std::vector<int>({icon[18], icon[19], icon[22], icon[23], icon[24], icon[25]}),
                  std::vector<int>({size >> 8, size & 255, size >> 8, size & 255, 8, 6}))
            << n;
    }
    RemoveTree(dir);
}

TEST(ArtGen, PicturesDecodeAtTheirSizesAndSoundsArePcm)
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
    // Pictures drawn at fixed places fit there: x, y and the lowest bottom; the
    // menu entries are framed at x 13..19 with no clipping, 23 pixels apart.
    const struct {
        const char *name;
        int x, y, bottom;
    } places[] = {{"Loading.tga", 0, 103, 320},       {"Paused.tga", 30, 104, 320},
                  {"LevelCompleted.tga", 8, 94, 320}, {"GameOver.tga", 0, 95, 320},
                  {"MenuTitle.tga", 0, 0, 60},        {"MenuStudioT.tga", 16, 195, 320},
                  {"HSTitle.tga", 0, 0, 40},          {"HSVorpel.tga", 0, 75, 90},
                  {"HSEnter.tga", 0, 0, 320},         {"HSName.tga", 53, 185, 320},
                  {"MenuTypeA.tga", 16, 40, 75},      {"AGameBy.tga", 0, 65, 146}};
    std::map<std::string, std::pair<int, int>> fits;
    for (const auto &p : places) fits[p.name] = {240 - p.x, p.bottom - p.y};
    for (const char *entry :
         {"Continue", "New", "Skins", "Options", "Credits", "Quit", "TypeA", "TypeD", "Back",
          "Skin1", "Skin6", "SoundOn", "SoundOff", "DropOn", "DropOff", "Controls"})
        fits[std::string("Menu") + entry + ".tga"] = {240 - 19, 20};
    std::set<Bytes> sounds;
    for (const std::string &name : FilesIn(BuiltArt)) {
        SCOPED_TRACE(name);
        Bytes b = ReadBytes(BuiltArt + "/" + name);
        if (name.find(".wav") != std::string::npos) {
            // RIFF, WAVE, a 16-byte PCM mono 16-bit format chunk, then the data, 10 ms to 1 s.
            ASSERT_GE(b.size(), 44u);
            EXPECT_EQ(std::string(b.begin(), b.begin() + 4) +
                          std::string(b.begin() + 8, b.begin() + 16) +
                          std::string(b.begin() + 36, b.begin() + 40),
                      "RIFFWAVEfmt data");
            int32_t rate = LeWord(b, 24);
            EXPECT_EQ((Ints{LeWord(b, 4), LeWord(b, 16), LeWord(b, 20), LeWord(b, 28),
                            LeWord(b, 32), LeWord(b, 40)}),
                      (Ints{(int32_t)b.size() - 8, 16, 1 | 1 << 16, rate * 2, 2 | 16 << 16,
                            (int32_t)b.size() - 44}));
            double ms = 1000.0 * (double)(b.size() - 44) / 2 / rate;
            EXPECT_TRUE(ms >= 10 && ms <= 1000) << ms;
            sounds.insert(Bytes(b.begin() + 44, b.end()));
            continue;
        }
        TgaInfo tga;
        ASSERT_EQ(DecodeTga(&tga, b.data(), (uint32_t)b.size()), TgaNoError);
        FreeTgaData(&tga);
        if (fits.count(name)) {
            EXPECT_TRUE(tga.width <= fits[name].first && tga.height <= fits[name].second);
        }
        if (exact.count(name)) {
            EXPECT_TRUE(tga.width == exact[name].first && tga.height == exact[name].second);
        }
        // The bump pictures are read raw: true colour and 8-bit grey; everything
        // else loads as an 8-bit colour-mapped picture.
        bool bump = name.rfind("Bump-", 0) == 0;
        EXPECT_EQ(tga.bytesPerPixel, name == "Bump-picS.tga" ? 3 : 1);
        EXPECT_TRUE(!bump || name == "Bump-picS.tga" || tga.format == TgaFormatGrey);
        Image *image = bump ? nullptr : DecodeImage(b.data(), (uint32_t)b.size());
        ASSERT_TRUE(bump || image) << "does not load";
        // Item tiles are opaque (a 0 would show the board through); every cell
        // of the digit and letter strips is drawn and tells itself apart.
        int cells = name == "Numeric.tga" ? 10 : name == "HSPolice.tga" ? 42 : 0;
        int side = cells == 10 ? 7 : 20;
        std::set<std::vector<uint16_t>> shapes;
        for (int c = 0; c < cells; c++) {
            std::vector<uint16_t> cell;
            for (int y = 0; y < tga.height; y++)
                cell.insert(cell.end(), image->pixels + y * tga.width + side * c,
                            image->pixels + y * tga.width + side * c + side);
            EXPECT_GT(cell.size() - std::count(cell.begin(), cell.end(), 0), 8u) << c;
            shapes.insert(cell);
        }
        EXPECT_EQ((int)shapes.size(), cells);
        bool tile = name.find("Item") != std::string::npos;
        EXPECT_TRUE(!tile || std::count(image->pixels, image->pixels + 121, 0) == 0);
        if (image) FreeImagePixels(image);
        free(image);
    }
    EXPECT_EQ(sounds.size(), 4u);
}
