// zuxpack decode: converts a TGA exactly as the game's loaders do and writes
// the result as a PNG, so the art can be checked the way the game sees it.
#include "tools/zuxpack/decode.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/screen.h"
#include "res/tga.h"
#include "tools/common/png.h"

static int DecodeUsage(void)
{
    fprintf(stderr,
            "usage: zuxpack decode [--full] IN.tga OUT.png\n"
            "  --full  load as a full-screen picture (must be exactly the display's size)\n");
    return 2;
}

// Why the game would refuse the picture, for the error line.
static std::string RefusalReason(const std::vector<uint8_t> &bytes, bool full)
{
    TgaInfo tga;
    int status = DecodeTga(&tga, bytes.data(), (uint32_t)bytes.size());
    if (status != TgaNoError) return TgaStatusText(status);
    FreeTgaData(&tga);
    char text[96];
    if (tga.pixelDepth != 8) {
        snprintf(text, sizeof text, "%d bits per pixel, not 8", tga.pixelDepth);
        return text;
    }
    if (full && (tga.width != ScreenWidth || tga.height != ScreenHeight)) {
        snprintf(text, sizeof text, "%ux%u, not the display's %ux%u", tga.width, tga.height,
                 ScreenWidth, ScreenHeight);
        return text;
    }
    return "out of memory";
}

int RunDecode(int argc, char **argv)
{
    bool full = false;
    int first = 1;
    if (argc > 1 && strcmp(argv[1], "--full") == 0) {
        full = true;
        first = 2;
    }
    if (argc - first != 2) return DecodeUsage();
    const char *inPath = argv[first];
    const char *outPath = argv[first + 1];

    std::ifstream in(inPath, std::ios::binary);
    if (!in) {
        fprintf(stderr, "zuxpack: %s: cannot open\n", inPath);
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad() || bytes.size() > 0xFFFFFFFFu) {
        fprintf(stderr, "zuxpack: %s: cannot read\n", inPath);
        return 1;
    }
    // The tool has no open display: take the size the platform reports.
    if (ScreenWidth == 0 || ScreenHeight == 0) {
        ScreenWidth = (uint32_t)Plat_DisplayWidth();
        ScreenHeight = (uint32_t)Plat_DisplayHeight();
    }

    const uint8_t *data = bytes.empty() ? nullptr : bytes.data();
    uint32_t size = (uint32_t)bytes.size();
    bool written = false;
    if (full) {
        FullScreenPicture *picture = DecodeFullScreenPicture(data, size);
        if (!picture) {
            fprintf(stderr, "zuxpack: %s: refused: %s\n", inPath,
                    RefusalReason(bytes, true).c_str());
            return 1;
        }
        written = WritePng(outPath, picture->pixels, (int)ScreenWidth, (int)ScreenHeight);
        FreeFullScreenPicture(picture);
        free(picture);
    } else {
        Image *image = DecodeImage(data, size);
        if (!image) {
            fprintf(stderr, "zuxpack: %s: refused: %s\n", inPath,
                    RefusalReason(bytes, false).c_str());
            return 1;
        }
        written = WritePng(outPath, image->pixels, image->width, image->height);
        FreeImagePixels(image);
        free(image);
    }
    if (!written) {
        fprintf(stderr, "zuxpack: %s: cannot write\n", outPath);
        return 1;
    }
    return 0;
}
