// The trace: what the tick did (screen, timer, frame, sounds) and the state of
// the screen it ended on, for end-to-end tests and bug reports.
#include "app/headless_trace.h"

#include <cstdarg>
#include <cstdio>

#include "app/shell.h"
#include "platform/headless/headless.h"
#include "platform/screen.h"

struct TraceWriter {
    char *out;
    size_t size;
    size_t used;
};

static void Put(TraceWriter *w, const char *format, ...)
{
    if (w->used >= w->size) return;
    va_list args;
    va_start(args, format);
    int n = vsnprintf(w->out + w->used, w->size - w->used, format, args);
    va_end(args);
    if (n > 0) w->used += (size_t)n;
    if (w->used >= w->size) w->used = w->size - 1;
}

static const char *ScreenName(int32_t state)
{
    switch (state) {
    case ScreenIntro: return "Intro";
    case ScreenMenu: return "Menu";
    case ScreenNameEntry: return "NameEntry";
    case ScreenScoreTable: return "ScoreTable";
    default: return "Game";
    }
}

void FormatTraceLine(int32_t tick, char *line, size_t size)
{
    if (size == 0) return;
    line[0] = 0;
    TraceWriter w = {line, size, 0};
    Put(&w, "{\"tick\":%d,\"screen\":\"%s\",\"timer\":%d", (int)tick, ScreenName(Shell.ScreenState),
        (int)Headless_TimerPeriod());
    bool presented = Headless_PresentedThisTick();
    Put(&w, ",\"presented\":%s", presented ? "true" : "false");
    if (presented)
        Put(&w, ",\"frame\":\"%016llx\"",
            (unsigned long long)Headless_FrameHash(Headless_Frame(),
                                                   (int)(ScreenWidth * ScreenHeight)));
    else
        Put(&w, ",\"frame\":null");
    Put(&w, ",\"sounds\":[");
    for (int i = 0; i < Headless_SoundCount(); i++)
        Put(&w, "%s\"%s\"", i ? "," : "", Headless_SoundName(i));
    Put(&w, "]}");
}
