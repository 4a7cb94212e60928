// The table of every file the game loads and the writer that makes them all.
// The storage form of each colour-mapped picture follows its place in the table,
// so the set as a whole uses raw and run-length data, both row orders, every
// colour-map entry size and maps that start past index 0.
#include "tools/artgen/art.h"

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "tools/artgen/tga_write.h"

#define PIC(name, kind, w, h, fn, arg)                                                             \
    {                                                                                              \
        name, kind, w, h, fn, nullptr, arg                                                         \
    }
#define SND(name, fn)                                                                              \
    {                                                                                              \
        name, ArtSound, 0, 0, nullptr, fn, 0                                                       \
    }
#define SKIN(n)                                                                                    \
    PIC("Skin" #n "Background.tga", ArtMapped, 240, 320, PaintSkinBackground, n - 1),              \
        PIC("Skin" #n "Item1.tga", ArtMapped, 11, 11, PaintSkinItem, (n - 1) * 10 + 1),            \
        PIC("Skin" #n "Item2.tga", ArtMapped, 11, 11, PaintSkinItem, (n - 1) * 10 + 2),            \
        PIC("Skin" #n "Item3.tga", ArtMapped, 11, 11, PaintSkinItem, (n - 1) * 10 + 3),            \
        PIC("Skin" #n "Item4.tga", ArtMapped, 11, 11, PaintSkinItem, (n - 1) * 10 + 4),            \
        PIC("Skin" #n "Item5.tga", ArtMapped, 11, 11, PaintSkinItem, (n - 1) * 10 + 5),            \
        PIC("Skin" #n "Item6.tga", ArtMapped, 11, 11, PaintSkinItem, (n - 1) * 10 + 6),            \
        PIC("Skin" #n "Item7.tga", ArtMapped, 11, 11, PaintSkinItem, (n - 1) * 10 + 7),            \
        PIC("Skin" #n "Dest1.tga", ArtMapped, 11, 11, PaintSkinDest, (n - 1) * 10 + 1),            \
        PIC("Skin" #n "Dest2.tga", ArtMapped, 11, 11, PaintSkinDest, (n - 1) * 10 + 2),            \
        PIC("Skin" #n "Dest3.tga", ArtMapped, 11, 11, PaintSkinDest, (n - 1) * 10 + 3),            \
        PIC("Skin" #n "Dest4.tga", ArtMapped, 11, 11, PaintSkinDest, (n - 1) * 10 + 4),            \
        PIC("Skin" #n "Dest5.tga", ArtMapped, 11, 11, PaintSkinDest, (n - 1) * 10 + 5),            \
        PIC("Skin" #n "BackgroundMenu.tga", ArtMapped, 32, 32, PaintSkinMenuTile, n - 1)

const ArtEntry ArtTable[] = {
    // Start-up.
    PIC("Loading.tga", ArtMapped, 240, 114, PaintLoading, 0),
    // Intro.
    PIC("AGameBy.tga", ArtMapped, 173, 9, PaintAGameBy, 0),
    PIC("TarnveldixStudio.tga", ArtMapped, 174, 9, PaintStudioLine, 0),
    PIC("Glow.tga", ArtMapped, 31, 31, PaintGlow, 0),
    PIC("Sparks.tga", ArtMapped, 3, 3, PaintSparks, 0),
    PIC("Bump-picS.tga", ArtTrueColour, 240, 320, PaintBumpPicture, 0),
    PIC("Bump-FondS.tga", ArtGrey, 240, 320, PaintBumpHeight, 0),
    PIC("Bump-SourceS.tga", ArtGrey, 256, 256, PaintBumpSource, 0),
    // The six skins.
    SKIN(1),
    SKIN(2),
    SKIN(3),
    SKIN(4),
    SKIN(5),
    SKIN(6),
    // The game screen's shared pictures.
    PIC("Numeric.tga", ArtMapped, 70, 9, PaintNumeric, 0),
    PIC("Paused.tga", ArtMapped, 180, 40, PaintPaused, 0),
    PIC("GameOver.tga", ArtMapped, 240, 72, PaintGameOver, 0),
    PIC("GetReady.tga", ArtMapped, 128, 31, PaintGetReady, 0),
    PIC("LevelCompleted.tga", ArtMapped, 168, 40, PaintLevelCompleted, 0),
    PIC("Light1.tga", ArtMapped, 11, 11, PaintLight, 1),
    PIC("Light2.tga", ArtMapped, 11, 11, PaintLight, 2),
    PIC("Light3.tga", ArtMapped, 11, 11, PaintLight, 3),
    PIC("Light4.tga", ArtMapped, 11, 11, PaintLight, 4),
    PIC("Light5.tga", ArtMapped, 11, 11, PaintLight, 5),
    // Score screens.
    PIC("HSBackground.tga", ArtMapped, 128, 128, PaintHsBackground, 0),
    PIC("HSTitle.tga", ArtMapped, 240, 38, PaintHsTitle, 0),
    PIC("HSPolice.tga", ArtMapped, 840, 20, PaintHsPolice, 0),
    PIC("HSCursor.tga", ArtMapped, 14, 20, PaintHsCursor, 0),
    PIC("HSEnter.tga", ArtMapped, 240, 180, PaintHsEnter, 0),
    PIC("HSName.tga", ArtMapped, 64, 24, PaintHsName, 0),
    PIC("HSVorpel.tga", ArtMapped, 240, 14, PaintHsVorpel, 0),
    // Menu.
    PIC("MenuTitle.tga", ArtMapped, 240, 58, PaintMenuTitle, 0),
    PIC("MenuStudioT.tga", ArtMapped, 208, 44, PaintMenuStudio, 0),
    PIC("MenuContinue.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryContinue),
    PIC("MenuNew.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryNew),
    PIC("MenuSkins.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySkins),
    PIC("MenuOptions.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryOptions),
    PIC("MenuCredits.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryCredits),
    PIC("MenuQuit.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryQuit),
    PIC("MenuTypeA.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryTypeA),
    PIC("MenuTypeB.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryTypeB),
    PIC("MenuTypeC.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryTypeC),
    PIC("MenuTypeD.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryTypeD),
    PIC("MenuBack.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryBack),
    PIC("MenuSkin1.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySkin1),
    PIC("MenuSkin2.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySkin1 + 1),
    PIC("MenuSkin3.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySkin1 + 2),
    PIC("MenuSkin4.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySkin1 + 3),
    PIC("MenuSkin5.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySkin1 + 4),
    PIC("MenuSkin6.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySkin1 + 5),
    PIC("MenuSoundOn.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySoundOn),
    PIC("MenuSoundOff.tga", ArtMapped, 208, 20, PaintMenuEntry, EntrySoundOff),
    PIC("MenuDropOn.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryDropOn),
    PIC("MenuDropOff.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryDropOff),
    PIC("MenuControls.tga", ArtMapped, 208, 20, PaintMenuEntry, EntryControls),
    PIC("Credits.tga", ArtMapped, 240, 320, PaintCredits, 0),
    PIC("Controls.tga", ArtMapped, 240, 320, PaintControls, 0),
    // Sounds.
    SND("sclick.wav", SoundClick),
    SND("srot.wav", SoundRotate),
    SND("sdest.wav", SoundDestroy),
    SND("slevel.wav", SoundLevel),
    // The window's icon; last, so the files before it keep their storage forms.
    PIC("Icon.tga", ArtMapped, 32, 32, PaintIcon, 32),
};

const int ArtCount = (int)(sizeof ArtTable / sizeof ArtTable[0]);

// The storage form of the index-th file: its place in the table decides.
static TgaForm FormFor(int index, const IndexedPicture *q)
{
    TgaForm f;
    f.rle = index % 2 == 1;
    f.topFirst = index / 2 % 2 == 0;
    f.rowPackets = index / 4 % 2 == 0;
    static const int bits[5] = {24, 32, 24, 16, 15};
    f.mapBits = bits[index % 5];
    // The coarse maps only where few colours are at stake.
    if (q && (f.mapBits == 15 || f.mapBits == 16) && q->palette.size() > 64) f.mapBits = 32;
    f.mapFirst = index % 7 == 3 ? 1 : 0;
    f.id = index % 3 == 0 ? "zux" : nullptr;
    return f;
}

std::vector<uint8_t> ArtFileBytes(const ArtEntry &e, int index)
{
    if (e.kind == ArtSound) return EncodeWav(e.sound());
    Picture p = e.paint(e.arg);
    if (p.w != e.width || p.h != e.height || p.px.size() != (size_t)p.w * (size_t)p.h) {
        std::fprintf(stderr, "zux-artgen: %s painted %dx%d, table says %dx%d\n", e.name, p.w, p.h,
                     e.width, e.height);
        return {};
    }
    if (e.kind == ArtGrey) return EncodeGreyTga(p, FormFor(index, nullptr));
    if (e.kind == ArtTrueColour) {
        TgaForm f = FormFor(index, nullptr);
        f.rle = false;
        return EncodeTrueColourTga(p, f);
    }
    IndexedPicture q = Quantise(p, true);
    return EncodeMappedTga(q, FormFor(index, &q));
}

// Two sample pictures for the writer's own checks: many colours (more than a
// colour map holds) with holes and near-black pixels, and a few colours in runs
// on an odd width, so packets meet row ends.
static Picture FormSample(bool many)
{
    Picture p = NewPicture(many ? 64 : 37, many ? 40 : 23);
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++) {
            Colour c;
            if (many) {
                c = Hsv((float)x * 5.6f, 0.3f + 0.7f * (float)y / 40.0f,
                        0.35f + 0.65f * (float)((x * y) % 7) / 6.0f);
                if (x == 5 && y % 4 == 1) c = Rgb(0, 1, 0);
                if ((x + 2 * y) % 11 == 0) c = Clear;
            } else {
                static const Colour few[5] = {Rgb(250, 40, 40), Rgb(40, 250, 40), Rgb(40, 40, 250),
                                              Clear, Rgb(250, 250, 250)};
                c = few[((x + 13 * y) / 9) % 5];
            }
            Put(p, x, y, c);
        }
    return p;
}

bool WriteFormSamples(const char *outDir)
{
    std::string dir = outDir;
    Plat_MakeFolder(dir.c_str());
    static const int bits[4] = {15, 16, 24, 32};
    for (int many = 0; many < 2; many++) {
        IndexedPicture q = Quantise(FormSample(many != 0), true);
        for (int k = 0; k < 64; k++) {
            TgaForm f;
            f.rle = k & 1;
            f.topFirst = k >> 1 & 1;
            f.rowPackets = k >> 2 & 1;
            f.mapBits = bits[k >> 3 & 3];
            f.mapFirst = k >> 5 & 1;
            f.id = k % 3 == 0 ? "zux" : nullptr;
            char name[64];
            std::snprintf(name, sizeof name, "/forms-%s-r%dt%dp%db%df%d.tga", many ? "many" : "few",
                          f.rle, f.topFirst, f.rowPackets, f.mapBits, f.mapFirst);
            std::vector<uint8_t> bytes = EncodeMappedTga(q, f);
            FILE *out = std::fopen((dir + name).c_str(), "wb");
            if (!out) return false;
            bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
            if (std::fclose(out) != 0 || !ok) return false;
        }
    }
    return true;
}

bool GenerateArt(const char *outDir)
{
    std::string dir = outDir;
    Plat_MakeFolder(dir.c_str());
    if (!dir.empty() && dir.back() != '/') dir += '/';
    for (int i = 0; i < ArtCount; i++) {
        std::vector<uint8_t> bytes = ArtFileBytes(ArtTable[i], i);
        if (bytes.empty()) return false;
        std::string path = dir + ArtTable[i].name;
        FILE *f = std::fopen(path.c_str(), "wb");
        if (!f) {
            std::fprintf(stderr, "zux-artgen: cannot write %s\n", path.c_str());
            return false;
        }
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "zux-artgen: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}
