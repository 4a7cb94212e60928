// zux-artgen: writes every picture and sound the game loads.
//
//   zux-artgen OUTDIR             the TGA and WAV files, under their own names
//   zux-artgen --list             one line per file: name, kind, width, height
//   zux-artgen --sheet OUT.png    every picture, as the game decodes it, on one sheet
//   zux-artgen --screens OUT.png  the pictures put together as the game's screens
//   zux-artgen --forms OUTDIR     two samples in every storage form (for the tests)
//   zux-artgen --icons OUTDIR     the game's icon as PNGs, OUTDIR/NxN/apps/zux.png
//   zux-artgen --web-icons OUTDIR the web page's icons: 192, 512 and maskable PNGs
//   zux-artgen --ico OUT.ico      the game's icon for Windows programs
#include <cstdio>
#include <cstring>

#include "tools/artgen/art.h"
#include "tools/artgen/sheet.h"

static int Usage(void)
{
    std::fprintf(stderr,
                 "usage: zux-artgen OUTDIR | --list | --sheet OUT.png | --screens OUT.png "
                 "| --forms OUTDIR | --icons OUTDIR | --web-icons OUTDIR | --ico OUT.ico\n");
    return 2;
}

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        static const char *kinds[] = {"mapped", "grey", "truecolour", "sound"};
        for (int i = 0; i < ArtCount; i++)
            std::printf("%s %s %d %d\n", ArtTable[i].name, kinds[ArtTable[i].kind],
                        ArtTable[i].width, ArtTable[i].height);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--sheet") == 0)
        return WriteContactSheet(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--screens") == 0) return WriteScreens(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--forms") == 0) return WriteFormSamples(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--icons") == 0) return WriteIcons(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--web-icons") == 0)
        return WriteWebIcons(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--ico") == 0) return WriteIco(argv[2]) ? 0 : 1;
    if (argc != 2 || argv[1][0] == '-') return Usage();
    return GenerateArt(argv[1]) ? 0 : 1;
}
