// zux: the game in a real window. The command line and "zux.cfg" choose the
// window, the save folder and the keys; then the game runs as it always does.
#include <cstdio>
#include <cstring>

#include "app/config.h"
#include "app/replay.h"
#include "app/shell.h"
#include "platform/platform.h"
#include "res/files.h"
#include "res/folders.h"

#include "zux_version.h" // made by the build

static const char ConfigFileName[] = "zux.cfg";

static void ConfigWarn(int line, const char *what)
{
    fprintf(stderr, "zux: %s%s line %d: %s; skipped\n", SaveFolder(), ConfigFileName, line, what);
}

// Reads the player's "zux.cfg", writing the commented default when there is
// none and the run may write.
static void ReadConfig(ConfigState *cfg, bool writes)
{
    ClearConfig(cfg);
    uint8_t *text = nullptr;
    uint32_t size = ReadSaveFile(ConfigFileName, &text);
    if (!text) {
        if (!writes) return;
        const char *def = DefaultConfigText();
        ReplaceWholeFile(ConfigFileName, def, (uint32_t)strlen(def));
        return;
    }
    ParseConfig((const char *)text, size, cfg, ConfigWarn);
    FreeFileBlock(text);
}

// Starts playing the replay at path; false, said why, when it cannot.
static bool StartReplay(const char *path)
{
    uint8_t *text = nullptr;
    uint32_t size = ReadFileAt(path, &text);
    char error[256];
    bool ok = text && StartPlayback((const char *)text, size, true, error, sizeof(error));
    if (!text) fprintf(stderr, "zux: cannot read the replay %s\n", path);
    if (text && !ok) fprintf(stderr, "zux: %s: %s\n", path, error);
    FreeFileBlock(text);
    return ok;
}

// The save folder's replays/ into folder (ReplayMaxPath bytes).
static void ReplayFolder(char *folder)
{
    snprintf(folder, ReplayMaxPath, "%sreplays/", SaveFolder());
}

// Records the run at path, or as the newest of the save folder's replays.
static void StartRecord(const char *path)
{
    char own[ReplayMaxPath], folder[ReplayMaxPath];
    if (!path) {
        ReplayFolder(folder);
        PruneReplays(folder, ReplayKeep - 1); // room for this one
        if (!NewReplayPath(folder, own, sizeof(own))) {
            char line[ReplayMaxPath + 384];
            snprintf(line, sizeof(line), "zux: cannot save a replay in %s: %s", folder,
                     Plat_FileError());
            WarnSaveFailure("replay", line);
            return;
        }
        path = own;
    }
    char version[128];
    snprintf(version, sizeof(version), "zux %s%s%s%s", ZUX_VERSION, ZUX_REVISION[0] ? " (" : "",
             ZUX_REVISION, ZUX_REVISION[0] ? ")" : "");
    StartRecording(path, version);
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

    const char *home = o.home ? o.home : Plat_GetEnv("ZUX_HOME");
    char why[MaxFolderPath + 128];
    // A replay keeps its hands off the player's files.
    if (!ChooseSaveFolder(home, why, sizeof(why)) && !o.replay) WarnSaveFailure("folder", why);
    if (!o.replay) {
        // What a crash in the middle of a save left behind goes.
        char replays[ReplayMaxPath];
        ReplayFolder(replays);
        RemoveStaleTemporaries(SaveFolder());
        RemoveStaleTemporaries(replays);
    }
    ConfigState cfg;
    ReadConfig(&cfg, !o.replay);

    // The command line wins over ZUX_WINDOWED, which wins over "zux.cfg".
    bool windowed = cfg.windowed == 1;
    if (Plat_GetEnv("ZUX_WINDOWED")) windowed = true;
    if (o.windowed >= 0) windowed = o.windowed == 1;
    int scale = o.scale > 0 ? o.scale : cfg.scale > 0 ? cfg.scale : 0;
    Plat_SetDisplayMode(windowed, scale);
    Plat_SetCloseOnFocusLoss(o.closeOnFocusLoss == 1 || cfg.closeOnFocusLoss == 1);
    ApplyBindings(&cfg, ConfigWarn);

    if (o.replay) {
        if (!StartReplay(o.replay)) return 2;
        Plat_SetCloseOnFocusLoss(false);
        Plat_SetViewerKeys(true);
    } else if (o.record || (!o.noRecord && cfg.record != 0)) {
        StartRecord(o.record);
    }

    int status = RunGame();
    if (status != 0) {
        fprintf(stderr, "zux: cannot open a display: %s\n", Plat_LastError());
        return status;
    }
    return EndPlayback();
}
