// The headless key file: one event a line, "TICK ACTION [KEY]", '#' comments.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/common/keyfile.h"
#include "platform/platform.h"

// In HeadlessAction order.
static const char *const ActionNames[] = {"down",  "up",         "press",     "focus-lost",
                                          "close", "focus-away", "focus-back"};

enum { MaxWord = 32, MaxWords = 4 };

// Splits one line into at most MaxWords words; false when a word is too long
// or there are too many.
static bool SplitWords(const char *line, size_t length, char words[MaxWords][MaxWord], int *count)
{
    *count = 0;
    size_t i = 0;
    while (i < length) {
        while (i < length && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) i++;
        if (i == length || line[i] == '#') break;
        size_t start = i;
        while (i < length && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#')
            i++;
        if (*count == MaxWords || i - start >= MaxWord) return false;
        memcpy(words[*count], line + start, i - start);
        words[*count][i - start] = 0;
        (*count)++;
    }
    return true;
}

static bool ParseTick(const char *word, int32_t *tick)
{
    if (!word[0]) return false;
    long long v = 0;
    for (const char *p = word; *p; p++) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + (*p - '0');
        if (v > 100000000) return false;
    }
    *tick = (int32_t)v;
    return true;
}

static bool Fail(char *error, int errorSize, int line, const char *what)
{
    snprintf(error, (size_t)errorSize, "line %d: %s", line, what);
    return false;
}

bool Headless_ParseKeys(const char *text, uint32_t length, HeadlessEvent *events, int capacity,
                        int *count, char *error, int errorSize)
{
    *count = 0;
    int32_t lastTick = 0;
    int lineNumber = 0;
    uint32_t pos = 0;
    while (pos < length) {
        uint32_t end = pos;
        while (end < length && text[end] != '\n') end++;
        lineNumber++;
        char words[MaxWords][MaxWord];
        int n;
        if (!SplitWords(text + pos, end - pos, words, &n))
            return Fail(error, errorSize, lineNumber, "too many or too long words");
        pos = end + 1;
        if (n == 0) continue;

        int32_t tick;
        if (!ParseTick(words[0], &tick)) return Fail(error, errorSize, lineNumber, "bad tick");
        if (tick < lastTick) return Fail(error, errorSize, lineNumber, "tick goes back");
        lastTick = tick;
        if (n < 2) return Fail(error, errorSize, lineNumber, "missing action");
        int action = -1;
        for (int a = 0; a < (int)(sizeof(ActionNames) / sizeof(ActionNames[0])); a++)
            if (strcmp(words[1], ActionNames[a]) == 0) action = a;
        if (action < 0) return Fail(error, errorSize, lineNumber, "unknown action");

        int32_t vk = 0;
        bool wantsKey = action == ActDown || action == ActUp || action == ActPress;
        if (wantsKey) {
            if (n != 3) return Fail(error, errorSize, lineNumber, "expected one key");
            vk = Plat_KeyFromName(words[2]);
            if (vk == 0) return Fail(error, errorSize, lineNumber, "unknown key");
        } else if (n != 2) {
            return Fail(error, errorSize, lineNumber, "unexpected key");
        }

        int needed = action == ActPress ? 2 : 1;
        if (*count + needed > capacity)
            return Fail(error, errorSize, lineNumber, "too many events");
        if (action == ActPress) {
            events[(*count)++] = {tick, ActDown, vk};
            events[(*count)++] = {tick + 1, ActUp, vk};
        } else {
            events[(*count)++] = {tick, action, vk};
        }
    }

    // A press's release lands on the next tick: keep events in tick order, and
    // in file order within a tick (the release first, as it was written first).
    for (int i = 1; i < *count; i++) {
        HeadlessEvent e = events[i];
        int j = i;
        while (j > 0 && events[j - 1].tick > e.tick) {
            events[j] = events[j - 1];
            j--;
        }
        events[j] = e;
    }
    return true;
}

int Headless_ActionMessage(int action)
{
    switch (action) {
    case ActDown: return MsgKeyDown;
    case ActUp: return MsgKeyUp;
    case ActFocusLost: return MsgKillFocus;
    case ActClose: return MsgClose;
    case ActFocusAway: return MsgSuspend;
    case ActFocusBack: return MsgResume;
    default: return MsgNull;
    }
}
