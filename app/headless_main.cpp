// zux-headless: the game over the headless platform. It runs start-up, ticks
// 1..N with scripted keys, and writes a trace line per tick and frame dumps.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/headless_trace.h"
#include "app/replay.h"
#include "app/shell.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "tools/common/png.h"

struct HeadlessRun {
    FILE *trace;
    std::string framesDir;
    std::vector<int32_t> frameAt;
    int32_t frameEvery;
    bool frameFailed;
};

static HeadlessRun Run;

static const char Usage[] =
    "usage: zux-headless [--dir DIR] [--ticks N] [--keys FILE | --replay FILE] [--trace FILE]\n"
    "                    [--frames DIR] [--frame-at T1,T2,...] [--frame-every K]\n"
    "                    [--record FILE]\n";

static int BadArgument(const char *what, const char *arg)
{
    fprintf(stderr, "zux-headless: %s: %s\n%s", what, arg ? arg : "", Usage);
    return 2;
}

static bool ParseNumber(const char *s, int32_t *out)
{
    if (!s || !*s) return false;
    char *end;
    long v = strtol(s, &end, 10);
    if (*end || v < 0 || v > 100000000) return false;
    *out = (int32_t)v;
    return true;
}

static bool WantsFrame(int32_t tick)
{
    if (Run.framesDir.empty()) return false;
    if (Run.frameEvery > 0 && tick % Run.frameEvery == 0) return true;
    for (int32_t t : Run.frameAt)
        if (t == tick) return true;
    return false;
}

static void AfterTick(int32_t tick)
{
    if (WantsFrame(tick)) {
        char name[64];
        snprintf(name, sizeof(name), "/frame-%06d.png", (int)tick);
        std::string path = Run.framesDir + name;
        if (!WritePng(path.c_str(), Headless_Frame(), (int)ScreenWidth, (int)ScreenHeight))
            Run.frameFailed = true;
    }
    if (Run.trace && tick > 0) {
        char line[4096];
        FormatTraceLine(tick, line, sizeof(line));
        fputs(line, Run.trace);
        fputc('\n', Run.trace);
    }
}

// Reads the file at path whole into text; false when it cannot.
static bool ReadText(const char *path, std::string *text)
{
    uint8_t *block;
    uint32_t size;
    if (!Plat_ReadFile(path, 0xFFFFFFFEu, &block, &size)) return false;
    text->assign((const char *)block, size);
    Plat_FreeFile(block);
    return true;
}

int main(int argc, char **argv)
{
    Headless_Reset();
    std::string dir = Plat_ExecutableFolder();
    int32_t ticks = 20000;
    bool ticksGiven = false;
    const char *keysPath = nullptr, *tracePath = nullptr;
    const char *replayPath = nullptr, *recordPath = nullptr;

    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        const char *v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (strcmp(a, "--help") == 0) {
            fputs(Usage, stdout);
            return 0;
        }
        if (!v) return BadArgument("missing value for", a);
        i++;
        if (strcmp(a, "--dir") == 0) {
            dir = v;
        } else if (strcmp(a, "--ticks") == 0) {
            if (!ParseNumber(v, &ticks)) return BadArgument("bad --ticks", v);
            ticksGiven = true;
        } else if (strcmp(a, "--keys") == 0) {
            keysPath = v;
        } else if (strcmp(a, "--replay") == 0) {
            replayPath = v;
        } else if (strcmp(a, "--record") == 0) {
            recordPath = v;
        } else if (strcmp(a, "--trace") == 0) {
            tracePath = v;
        } else if (strcmp(a, "--frames") == 0) {
            Run.framesDir = v;
        } else if (strcmp(a, "--frame-every") == 0) {
            if (!ParseNumber(v, &Run.frameEvery) || Run.frameEvery == 0)
                return BadArgument("bad --frame-every", v);
        } else if (strcmp(a, "--frame-at") == 0) {
            std::string list = v;
            size_t pos = 0;
            while (pos <= list.size()) {
                size_t comma = list.find(',', pos);
                if (comma == std::string::npos) comma = list.size();
                int32_t t;
                if (!ParseNumber(list.substr(pos, comma - pos).c_str(), &t))
                    return BadArgument("bad --frame-at", v);
                Run.frameAt.push_back(t);
                pos = comma + 1;
            }
        } else {
            return BadArgument("unknown argument", a);
        }
    }

    if (keysPath && replayPath) return BadArgument("--keys excludes", "--replay");
    // The program's folder holds the save files a recording starts from.
    Headless_SetFolder(dir.c_str());
    if (replayPath) {
        std::string text;
        if (!ReadText(replayPath, &text)) return BadArgument("cannot read replay", replayPath);
        char error[256];
        if (!StartPlayback(text.data(), (uint32_t)text.size(), false, error, sizeof(error))) {
            fprintf(stderr, "zux-headless: %s: %s\n", replayPath, error);
            return 2;
        }
        // The replay ends the run itself at its last tick.
        if (!ticksGiven) ticks = ReplayLastTick() + 1;
    }
    if (recordPath && !StartRecording(recordPath, "zux-headless")) {
        fprintf(stderr, "zux-headless: out of memory\n");
        return 1;
    }
    if (keysPath) {
        std::string text;
        if (!ReadText(keysPath, &text)) return BadArgument("cannot read key file", keysPath);
        size_t lines = 1;
        for (char c : text) lines += c == '\n';
        std::vector<HeadlessEvent> events(2 * lines);
        int count = 0;
        char error[128];
        if (!Headless_ParseKeys(text.data(), (uint32_t)text.size(), events.data(),
                                (int)events.size(), &count, error, sizeof(error))) {
            fprintf(stderr, "zux-headless: %s: %s\n", keysPath, error);
            return 2;
        }
        if (!Headless_SetEvents(events.data(), count)) {
            fprintf(stderr, "zux-headless: out of memory\n");
            return 1;
        }
    }
    if (tracePath) {
        Run.trace = fopen(tracePath, "wb");
        if (!Run.trace) return BadArgument("cannot write trace", tracePath);
    }

    Headless_SetLastTick(ticks);
    Headless_SetTickHook(AfterTick);
    int status = RunGame();
    int replayStatus = EndPlayback();
    if (status == 0) status = replayStatus;
    if (Run.trace && fclose(Run.trace) != 0) {
        fprintf(stderr, "zux-headless: cannot write trace: %s\n", tracePath);
        status = 1;
    }
    if (Run.frameFailed) {
        fprintf(stderr, "zux-headless: cannot write frames to %s\n", Run.framesDir.c_str());
        status = 1;
    }
    return status;
}
