// zux in a web browser. The page never blocks, so there is no message loop:
// start-up runs when the page has loaded, and every browser event that queues
// messages pumps them through the same frame step and window procedure.
// "--record FILE" records the run as a replay, "--replay FILE" watches one
// instead of playing, and "--script FILE --ticks N" runs a headless key file
// on a virtual clock and reports each tick's frame hash, sounds and time (test mode).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <emscripten.h>
#include <string>
#include <vector>

#include "app/replay.h"
#include "app/shell.h"
#include "platform/common/keyfile.h"
#include "platform/platform.h"
#include "platform/web/web_local.h"
#include "res/files.h"

#include "zux_version.h" // made by the build

struct WebRun {
    bool running;
    bool scripted;
    bool watching;   // a replay plays instead of the player
    bool viewerKeys; // the page's viewer controls reach the replay
};

static WebRun R;

EM_JS(void, WebShowEnded, (void), { zuxPage.ended(); });
EM_JS(void, WebShowFailed, (void), { zuxPage.failed(); });
EM_JS(void, WebKeepFile, (const char *path), { zuxPage.fileSaved(UTF8ToString(path)); });
EM_JS(void, WebScriptDone, (const char *result), { zuxPage.scriptDone(UTF8ToString(result)); });
EM_JS(void, WebShowRefused, (const char *error), { zuxPage.refused(UTF8ToString(error)); });

void WebPump(void)
{
    PlatMessage msg;
    while (R.running && !WebQuitPosted() && WebNextMessage(&msg)) DeliverMessage(&msg);
    if (R.running && WebQuitPosted()) {
        // F8 or the menu's Quit: the run is over, the page offers another.
        ShutDown();
        if (R.watching) EndPlayback(); // gives the player's files back
        R.running = false;
        if (!R.scripted) WebShowEnded();
    }
}

static bool StartRun(void)
{
    R.running = StartUp();
    return R.running;
}

// What the page's test mode asks of a run in real time.
extern "C" EMSCRIPTEN_KEEPALIVE int32_t WebTestTicks(void) { return WebTickCount(); }
extern "C" EMSCRIPTEN_KEEPALIVE int32_t WebTestPresents(void) { return WebPresentCount(); }
extern "C" EMSCRIPTEN_KEEPALIVE int32_t WebTestScreen(void) { return Shell.ScreenState; }
extern "C" EMSCRIPTEN_KEEPALIVE const char *WebTestLog(void) { return WebEventLog(); }

const char *Plat_ProgramFolder(void) { return "/zux/"; }
const char *Plat_DataFolder(void) { return ""; }
void Plat_FileSaved(const char *path) { WebKeepFile(path); }
void Plat_SetViewerKeys(bool on) { R.viewerKeys = on; }

// A control of the page's replay viewer (ViewerControl): Space, + and -, Escape.
extern "C" EMSCRIPTEN_KEEPALIVE void WebViewerControl(int32_t control)
{
    if (!R.viewerKeys || !R.running) return;
    WebSendMessage(MsgViewer, control);
    WebPump();
}

static bool ReadText(const char *path, std::string *text)
{
    FILE *f = fopen(path, "rb");
    if (!f) return false;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0) text->append(buf, n);
    fclose(f);
    return true;
}

// One scripted run of ticks 1..lastTick, then the close request the headless
// clock makes after its last tick. Appends "HASH|-:SOUNDS:MICROSECONDS " a tick.
static void RunScript(const std::vector<HeadlessEvent> &events, int32_t lastTick, std::string *out)
{
    if (!StartRun()) return;
    size_t next = 0;
    for (int32_t tick = 1; tick <= lastTick && R.running; tick++) {
        while (next < events.size() && events[next].tick < tick) next++;
        size_t first = next;
        while (next < events.size() && events[next].tick == tick) next++;
        WebClearSounds();
        int32_t presents = WebPresentCount();
        double start = emscripten_get_now();
        WebScriptTick(tick, events.data() + first, (int)(next - first));
        WebPump();
        double spent = emscripten_get_now() - start;
        char word[96];
        if (WebPresentedSince(presents))
            snprintf(word, sizeof(word), "%016llx", (unsigned long long)WebFrameHash());
        else
            snprintf(word, sizeof(word), "-");
        *out += word;
        snprintf(word, sizeof(word), ":%s:%d ", WebSoundsStarted(), (int)(spent * 1000.0));
        *out += word;
    }
    if (R.running) {
        Plat_PostClose();
        WebPump();
    }
}

static int Script(const char *path, int32_t ticks)
{
    std::string text, out;
    char error[128] = "";
    if (!ReadText(path, &text)) snprintf(error, sizeof(error), "cannot read %s", path);
    std::vector<HeadlessEvent> events(2 * text.size() + 2);
    int count = 0;
    if (!error[0] && !Headless_ParseKeys(text.data(), (uint32_t)text.size(), events.data(),
                                         (int)events.size(), &count, error, sizeof(error)))
        count = 0;
    if (error[0]) {
        WebScriptDone((std::string("error ") + error).c_str());
        return 1;
    }
    events.resize((size_t)count);
    R.scripted = true;
    WebUseScriptedClock(true);
    RunScript(events, ticks, &out);
    WebScriptDone(out.c_str());
    return 0;
}

// Starts watching the replay at path, the page's controls its viewer's; false,
// with the page told the file's problem, when it cannot.
static bool StartWatching(const char *path)
{
    std::string text;
    char error[256] = "cannot read the replay";
    if (!ReadText(path, &text) ||
        !StartPlayback(text.data(), (uint32_t)text.size(), true, error, sizeof(error))) {
        WebShowRefused(error);
        return false;
    }
    R.watching = true;
    Plat_SetViewerKeys(true);
    return true;
}

int main(int argc, char **argv)
{
    const char *script = nullptr, *record = nullptr, *replay = nullptr;
    int32_t ticks = 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--log") == 0) WebKeepEventLog(true);
        if (i + 1 >= argc) break;
        if (strcmp(argv[i], "--script") == 0) script = argv[i + 1];
        if (strcmp(argv[i], "--ticks") == 0) ticks = atoi(argv[i + 1]);
        if (strcmp(argv[i], "--record") == 0) record = argv[i + 1];
        if (strcmp(argv[i], "--replay") == 0) replay = argv[i + 1];
    }
    if (script) return Script(script, ticks);
    if (replay && !StartWatching(replay)) return 2;
    if (!replay && record) {
        char version[128];
        snprintf(version, sizeof(version), "zux %s%s%s%s, web build", ZUX_VERSION,
                 ZUX_REVISION[0] ? " (" : "", ZUX_REVISION, ZUX_REVISION[0] ? ")" : "");
        StartRecording(record, version);
    }
    WebListen();
    if (!StartRun()) WebShowFailed();
    return 0;
}
