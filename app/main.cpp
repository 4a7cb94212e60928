// zux: the game in a real window. The command line and "zux.cfg" choose the
// window, the save folder and the keys; then the game runs as it always does.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/config.h"
#include "app/shell.h"
#include "platform/platform.h"
#include "res/files.h"
#include "res/folders.h"

#if __has_include("zux_version.h")
#include "zux_version.h"
#endif
#ifndef ZUX_VERSION
#define ZUX_VERSION "unknown"
#endif
#ifndef ZUX_REVISION
#define ZUX_REVISION ""
#endif

static const char ConfigFileName[] = "zux.cfg";

static void ConfigWarn(int line, const char *what)
{
    fprintf(stderr, "zux: %s%s line %d: %s; skipped\n", SaveFolder(), ConfigFileName, line, what);
}

// Reads the player's "zux.cfg", writing the commented default when there is none.
static void ReadConfig(ConfigState *cfg)
{
    ClearConfig(cfg);
    uint8_t *text = nullptr;
    uint32_t size = ReadSaveFile(ConfigFileName, &text);
    if (!text) {
        const char *def = DefaultConfigText();
        ReplaceWholeFile(ConfigFileName, def, (uint32_t)strlen(def));
        return;
    }
    ParseConfig((const char *)text, size, cfg, ConfigWarn);
    FreeFileBlock(text);
}

int main(int argc, char **argv)
{
    OptionsState o;
    char error[512];
    if (!ParseOptions(argc, argv, &o, error, sizeof(error))) {
        fprintf(stderr, "zux: %s\n%s", error, UsageText());
        return 2;
    }
    if (o.help) {
        fputs(UsageText(), stdout);
        return 0;
    }
    if (o.version) {
        printf("zux %s%s%s%s\n", ZUX_VERSION, ZUX_REVISION[0] ? " (" : "", ZUX_REVISION,
               ZUX_REVISION[0] ? ")" : "");
        return 0;
    }

    const char *home = o.home ? o.home : getenv("ZUX_HOME");
    char why[MaxFolderPath + 128];
    if (!ChooseSaveFolder(home, why, sizeof(why))) WarnSaveFailure(why);
    ConfigState cfg;
    ReadConfig(&cfg);

    // The command line wins over ZUX_WINDOWED, which wins over "zux.cfg".
    bool windowed = cfg.windowed == 1;
    if (getenv("ZUX_WINDOWED")) windowed = true;
    if (o.windowed >= 0) windowed = o.windowed == 1;
    int scale = o.scale > 0 ? o.scale : cfg.scale > 0 ? cfg.scale : 0;
    Plat_SetDisplayMode(windowed, scale);
    Plat_SetCloseOnFocusLoss(o.closeOnFocusLoss == 1 || cfg.closeOnFocusLoss == 1);
    ApplyBindings(&cfg, ConfigWarn);

    int status = RunGame();
    if (status != 0) fprintf(stderr, "zux: cannot open a display: %s\n", Plat_LastError());
    return status;
}
