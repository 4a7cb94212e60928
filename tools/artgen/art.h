// The art generator's table: every picture and sound the game loads, with the
// routine that makes it. Painters take one small argument (a skin index, an item
// number, a frame number) so patterned names share one routine.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/artgen/paint.h"

enum ArtKind {
    ArtMapped,     // 8-bit colour-mapped TGA
    ArtGrey,       // 8-bit greyscale TGA
    ArtTrueColour, // 24-bit TGA
    ArtSound,      // 16-bit mono PCM WAV
};

typedef Picture (*PaintFn)(int arg);
typedef std::vector<int16_t> (*SoundFn)(void);

struct ArtEntry {
    const char *name; // the file name, exactly as the game asks for it
    int kind;         // an ArtKind
    int width, height;
    PaintFn paint; // pictures
    SoundFn sound; // sounds
    int arg;
};

// The whole set, in a fixed order.
extern const ArtEntry ArtTable[];
extern const int ArtCount;

// Writes every file of the table into outDir (created if missing). False when a
// file cannot be written or a painter breaks its table size.
bool GenerateArt(const char *outDir);

// Writes the game's icon as PNGs at the desktop's usual sizes, each as
// outDir/NxN/apps/zux.png (the hicolor layout); false on failure.
bool WriteIcons(const char *outDir);

// Writes the web page's icons into outDir: icon-192.png, icon-512.png and
// icon-maskable.png (512, on a background, for any mask); false on failure.
bool WriteWebIcons(const char *outDir);

// Writes the icon as a Windows .ico file of PNG images, 16 to 256 pixels; false on failure.
bool WriteIco(const char *path);

// Writes two sample pictures into outDir under every storage form of the
// colour-mapped writer, named forms-many-... and forms-few-...; false on failure.
bool WriteFormSamples(const char *outDir);

// The file bytes of entry e.
std::vector<uint8_t> ArtFileBytes(const ArtEntry &e, int index);

// The sample rate of every sound.
enum { ArtSampleRate = 22050 };
std::vector<uint8_t> EncodeWav(const std::vector<int16_t> &samples);

// Painters, by subject.
Picture PaintSkinBackground(int skin);
Picture PaintSkinItem(int skinItem);  // skin * 10 + item (1..7)
Picture PaintSkinDest(int skinFrame); // skin * 10 + frame (1..5)
Picture PaintSkinMenuTile(int skin);

Picture PaintLoading(int);
Picture PaintNumeric(int);
Picture PaintPaused(int);
Picture PaintGetReady(int);
Picture PaintLevelCompleted(int);
Picture PaintGameOver(int);
Picture PaintLight(int frame);

Picture PaintMenuTitle(int);
Picture PaintMenuStudio(int);
Picture PaintMenuEntry(int which);
Picture PaintCredits(int);
Picture PaintControls(int);

Picture PaintHsBackground(int);
Picture PaintHsTitle(int);
Picture PaintHsVorpel(int);
Picture PaintHsEnter(int);
Picture PaintHsName(int);
Picture PaintHsCursor(int);
Picture PaintHsPolice(int);

Picture PaintAGameBy(int);
Picture PaintStudioLine(int);
Picture PaintGlow(int);
Picture PaintSparks(int);
Picture PaintBumpPicture(int);
Picture PaintBumpHeight(int);
Picture PaintBumpSource(int);
Picture PaintIcon(int size);

std::vector<int16_t> SoundClick(void);
std::vector<int16_t> SoundRotate(void);
std::vector<int16_t> SoundDestroy(void);
std::vector<int16_t> SoundLevel(void);

// Menu entries for PaintMenuEntry.
enum MenuEntryId {
    EntryContinue,
    EntryNew,
    EntrySkins,
    EntryOptions,
    EntryCredits,
    EntryQuit,
    EntryTypeA,
    EntryTypeB,
    EntryTypeC,
    EntryTypeD,
    EntryBack,
    EntrySkin1, // .. EntrySkin1 + 5
    EntrySoundOn = EntrySkin1 + 6,
    EntrySoundOff,
    EntryDropOn,
    EntryDropOff,
    EntryControls,
};

// The menu entries' size.
enum { MenuEntryWidth = 208, MenuEntryHeight = 20 };

// A skin's look as the menu shows it: its name and its seven item colours.
const char *SkinName(int skin);
Colour SkinItemColour(int skin, int item);
