// The replay file and the recorder. A replay is a headless key file: '#'
// header lines (the format, the program, the date, the start files in hex),
// one "TICK down|up KEY", "TICK focus-lost" or "TICK close" line a message in
// the order the game received them, "# frame TICK HASH" checkpoints, and the
// closing "# end TICK HASH": the last tick run and the frame it left shown.
#include "app/replay.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/shell.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "res/files.h"
#include "res/folders.h"

const char *const ReplayFileNames[ReplayStartFiles] = {"SS.dat", "HS.dat"};

static const char FormatLine[] = "# zux replay 1";
static const char *const KindNames[] = {"down", "up", "focus-lost", "close"};

enum {
    MaxWords = 6,
    MaxTick = 100000000, // as the key file has it
    MaxLine = 2 * ReplayMaxStartFile + 64,
};

uint64_t PresentedHash(void)
{
    return Plat_FrameHash(PresentedFrame, (int)(ScreenWidth * ScreenHeight));
}

// ---- Reading ----

struct Word {
    const char *at;
    uint32_t length;
};

static bool Is(const Word &w, const char *s)
{
    return strlen(s) == w.length && memcmp(w.at, s, w.length) == 0;
}

// Splits text[0, length) at spaces into at most MaxWords words; false when there are more.
static bool Split(const char *text, uint32_t length, Word *words, int *count)
{
    *count = 0;
    uint32_t i = 0;
    while (i < length) {
        while (i < length && (text[i] == ' ' || text[i] == '\t')) i++;
        if (i == length) break;
        uint32_t start = i;
        while (i < length && text[i] != ' ' && text[i] != '\t') i++;
        if (*count == MaxWords) return false;
        words[(*count)++] = {text + start, i - start};
    }
    return true;
}

// A tick 0..MaxTick written in decimal digits only; -1 when it is not one.
static int32_t TickOf(const Word &w)
{
    if (w.length == 0 || w.length > 9) return -1;
    int32_t v = 0;
    for (uint32_t i = 0; i < w.length; i++) {
        if (w.at[i] < '0' || w.at[i] > '9') return -1;
        v = v * 10 + (w.at[i] - '0');
    }
    return v <= MaxTick ? v : -1;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Sixteen hex digits; false otherwise.
static bool HashOf(const Word &w, uint64_t *hash)
{
    if (w.length != 16) return false;
    *hash = 0;
    for (uint32_t i = 0; i < 16; i++) {
        int d = HexDigit(w.at[i]);
        if (d < 0) return false;
        *hash = *hash << 4 | (uint64_t)d;
    }
    return true;
}

// Makes room for one more of count items of size bytes: 16, then doubled
// each time they are full. False when out of memory.
static bool Grow(void **items, int count, size_t size)
{
    if (count > 0 && (count < 16 || (count & (count - 1)) != 0)) return true;
    size_t room = count == 0 ? 16 : (size_t)count * 2;
    void *p = realloc(*items, room * size);
    if (!p) return false;
    *items = p;
    return true;
}

void FreeReplay(ReplayRecord *r)
{
    for (ReplayStartFile &f : r->files) free(f.bytes);
    free(r->events);
    free(r->checks);
    memset(r, 0, sizeof(*r));
}

struct Reader {
    ReplayRecord *r;
    bool seen[ReplayStartFiles];
    bool ended, body;
    int32_t lastEvent, lastCheck; // -1 before the first
};

// "# file NAME absent" or "# file NAME SIZE HEX"; null when read, else what is wrong.
static const char *FileLine(Reader *rd, const Word *w, int n)
{
    if (rd->body) return "a start file after the first message";
    int which = -1;
    for (int i = 0; i < ReplayStartFiles; i++)
        if (n >= 3 && Is(w[2], ReplayFileNames[i])) which = i;
    if (which < 0) return "unknown start file (SS.dat or HS.dat)";
    if (rd->seen[which]) return "a start file given twice";
    rd->seen[which] = true;
    if (n == 4 && Is(w[3], "absent")) return nullptr;
    if (n != 5) return "expected \"# file NAME SIZE HEX\" or \"# file NAME absent\"";
    int32_t size = TickOf(w[3]);
    if (size < 0 || size > ReplayMaxStartFile) return "bad start file size";
    if (w[4].length != 2 * (uint32_t)size) return "start file cut short or too long";
    ReplayStartFile *f = &rd->r->files[which];
    f->bytes = (uint8_t *)malloc(size ? (size_t)size : 1);
    if (!f->bytes) return "out of memory";
    f->size = (uint32_t)size;
    for (int32_t i = 0; i < size; i++) {
        int hi = HexDigit(w[4].at[2 * i]), lo = HexDigit(w[4].at[2 * i + 1]);
        if (hi < 0 || lo < 0) return "bad hex digit in a start file";
        f->bytes[i] = (uint8_t)(hi << 4 | lo);
    }
    return nullptr;
}

// "# frame TICK HASH" and "# end TICK HASH".
static const char *CheckLine(Reader *rd, const Word *w, int n, bool end)
{
    int32_t tick;
    uint64_t hash;
    if (n != 4 || (tick = TickOf(w[2])) < 0 || !HashOf(w[3], &hash))
        return end ? "bad closing line (expected \"# end TICK HASH\")"
                   : "bad checkpoint (expected \"# frame TICK HASH\")";
    // A step's messages come before it, and its checkpoint after; the close may
    // follow the last step.
    if (tick < rd->lastCheck + (end ? 0 : 1) || tick < rd->lastEvent - (end ? 1 : 0))
        return "tick goes back";
    ReplayRecord *r = rd->r;
    if (end) {
        for (int i = 0; i < ReplayStartFiles; i++)
            if (!rd->seen[i]) return "the header does not give both SS.dat and HS.dat";
        rd->ended = true;
        r->lastTick = tick;
        r->lastHash = hash;
        return nullptr;
    }
    if (!Grow((void **)&r->checks, r->checkCount, sizeof(ReplayCheck))) return "out of memory";
    r->checks[r->checkCount++] = {tick, hash};
    rd->lastCheck = tick;
    return nullptr;
}

// "TICK down|up KEY", "TICK focus-lost", "TICK close".
static const char *EventLine(Reader *rd, const Word *w, int n)
{
    for (int i = 0; i < ReplayStartFiles; i++)
        if (!rd->seen[i])
            return i ? "the header does not give HS.dat" : "the header does not give SS.dat";
    rd->body = true;
    int32_t tick = TickOf(w[0]);
    if (tick < 1) return "bad tick";
    if (tick < rd->lastEvent || tick <= rd->lastCheck) return "tick goes back";
    if (n < 2) return "missing action";
    int kind = -1;
    for (int k = 0; k < 4; k++)
        if (Is(w[1], KindNames[k])) kind = k;
    if (kind < 0) return "unknown action (down, up, focus-lost or close)";
    int32_t vk = 0;
    if (kind == ReplayDown || kind == ReplayUp) {
        if (n != 3) return "expected one key";
        char name[16];
        if (w[2].length >= sizeof(name)) return "unknown key";
        memcpy(name, w[2].at, w[2].length);
        name[w[2].length] = 0;
        if (!(vk = Plat_KeyFromName(name))) return "unknown key";
    } else if (n != 2) {
        return "unexpected key";
    }
    ReplayRecord *r = rd->r;
    if (!Grow((void **)&r->events, r->eventCount, sizeof(ReplayEvent))) return "out of memory";
    r->events[r->eventCount++] = {tick, kind, vk};
    rd->lastEvent = tick;
    return nullptr;
}

// One line without its newline; null when read, else what is wrong.
static const char *ReadLine(Reader *rd, const char *line, uint32_t length, int number)
{
    if (length > 0 && line[length - 1] == '\r') length--;
    if (length > MaxLine) return "line too long";
    for (uint32_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)line[i];
        if ((c < 0x20 && c != '\t') || c >= 0x7f) return "unreadable characters";
    }
    if (number == 1) {
        while (length > 0 && (line[length - 1] == ' ' || line[length - 1] == '\t')) length--;
        if (length == strlen(FormatLine) && memcmp(line, FormatLine, length) == 0) return nullptr;
        if (length > 13 && memcmp(line, FormatLine, 13) == 0) return "unknown replay format";
        return "not a zux replay (the first line is not \"# zux replay 1\")";
    }
    uint32_t start = 0;
    while (start < length && (line[start] == ' ' || line[start] == '\t')) start++;
    if (start == length) return nullptr;
    if (rd->ended) return "text after the closing line";
    Word w[MaxWords + 1];
    int n;
    if (line[start] == '#') {
        // Words after the '#': a directive, or a comment said in words of its own.
        w[0] = {"#", 1};
        Word *rest = w + 1;
        if (!Split(line + start + 1, length - start - 1, rest, &n)) n = MaxWords;
        if (n == 0) return nullptr;
        if (Is(rest[0], "file")) return FileLine(rd, w, n + 1);
        if (Is(rest[0], "frame")) return CheckLine(rd, w, n + 1, false);
        if (Is(rest[0], "end")) return CheckLine(rd, w, n + 1, true);
        return nullptr;
    }
    // A message, with perhaps a comment after it.
    uint32_t stop = start;
    while (stop < length && line[stop] != '#') stop++;
    if (!Split(line + start, stop - start, w, &n) || n > 3) return "too many words";
    return EventLine(rd, w, n);
}

bool ParseReplay(const char *text, uint32_t length, ReplayRecord *r, char *error, int errorSize)
{
    memset(r, 0, sizeof(*r));
    Reader rd = {r, {}, false, false, -1, -1};
    int number = 0;
    uint32_t pos = 0;
    const char *problem = length ? nullptr : "empty, not a zux replay";
    while (!problem && pos < length) {
        uint32_t end = pos;
        while (end < length && text[end] != '\n') end++;
        number++;
        problem = ReadLine(&rd, text + pos, end - pos, number);
        pos = end + 1;
    }
    if (!problem && !rd.ended) {
        number++;
        problem = "no closing \"# end TICK HASH\" line: the replay is cut short";
    }
    if (!problem) return true;
    snprintf(error, (size_t)errorSize, "line %d: %s", number ? number : 1, problem);
    FreeReplay(r);
    return false;
}

// ---- Recording ----

// The recording in memory: nothing touches the disk until it is saved.
struct Recorder {
    bool on;
    bool failed; // out of memory: the replay is given up
    char path[ReplayMaxPath];
    char *text;
    size_t used, room;
    int32_t lastEventTick;
};

static Recorder Rec;

static void Append(const char *s, size_t n)
{
    if (Rec.failed) return;
    if (Rec.used + n + 1 > Rec.room) {
        size_t room = Rec.room ? Rec.room : 65536;
        while (Rec.used + n + 1 > room) room *= 2;
        char *p = (char *)realloc(Rec.text, room);
        if (!p) {
            Rec.failed = true;
            return;
        }
        Rec.text = p;
        Rec.room = room;
    }
    memcpy(Rec.text + Rec.used, s, n);
    Rec.used += n;
}

static void AppendLine(const char *format, long long tick, const char *word)
{
    char line[96];
    int n = snprintf(line, sizeof(line), format, tick, word);
    if (n > 0 && (size_t)n < sizeof(line)) Append(line, (size_t)n);
}

// The start file's header line, as the run will read it.
static void AppendStartFile(const char *name)
{
    uint8_t *bytes = nullptr;
    uint32_t size = ReadSaveFile(name, &bytes);
    // The game reads no further than its files' own sizes (1052 and 400
    // bytes): the start of a longer file plays back as the whole did.
    if (size > ReplayMaxStartFile) size = ReplayMaxStartFile;
    char line[64];
    if (!bytes) {
        snprintf(line, sizeof(line), "# file %s absent\n", name);
        Append(line, strlen(line));
        FreeFileBlock(bytes);
        return;
    }
    snprintf(line, sizeof(line), "# file %s %u ", name, (unsigned)size);
    Append(line, strlen(line));
    static const char Hex[] = "0123456789abcdef";
    for (uint32_t i = 0; i < size; i++) {
        char pair[2] = {Hex[bytes[i] >> 4], Hex[bytes[i] & 15]};
        Append(pair, 2);
    }
    Append("\n", 1);
    FreeFileBlock(bytes);
}

bool StartRecording(const char *path, const char *version)
{
    free(Rec.text);
    memset(&Rec, 0, sizeof(Rec));
    if (strlen(path) >= sizeof(Rec.path)) return false;
    snprintf(Rec.path, sizeof(Rec.path), "%s", path);
    char line[256];
    PlatDate t;
    Plat_LocalDate(&t);
    int offset = t.utcOffset < 0 ? -t.utcOffset : t.utcOffset;
    char date[64];
    snprintf(date, sizeof(date), "%04d-%02d-%02d %02d:%02d:%02d %c%02d%02d", t.year, t.month, t.day,
             t.hour, t.minute, t.second, t.utcOffset < 0 ? '-' : '+', offset / 60, offset % 60);
    snprintf(line, sizeof(line),
             "%s\n# Play it with zux --replay FILE, or zux-headless --replay FILE.\n"
             "# version %.64s\n# date %s\n",
             FormatLine, version, date);
    Append(line, strlen(line));
    for (const char *name : ReplayFileNames) AppendStartFile(name);
    Rec.on = !Rec.failed;
    return Rec.on;
}

void RecordMessage(const PlatMessage *msg)
{
    if (!Rec.on) return;
    int kind = -1;
    const char *key = nullptr;
    switch (msg->kind) {
    case MsgKeyDown:
        if (Shell.Frozen) return; // a frozen game takes no presses
        // fall through
    case MsgKeyUp:
        // Keys the game has no name for do nothing in it.
        if (!(key = Plat_KeyName(msg->code))) return;
        kind = msg->kind == MsgKeyDown ? ReplayDown : ReplayUp;
        break;
    case MsgActivate:
        if ((msg->code & 0xFFFF) != 0) return;
        kind = ReplayFocusLost;
        break;
    case MsgKillFocus: kind = ReplayFocusLost; break;
    case MsgClose: kind = ReplayClose; break;
    default: return;
    }
    Rec.lastEventTick = Shell.TicksRun + 1;
    AppendLine(key ? "%lld %s " : "%lld %s", Rec.lastEventTick, KindNames[kind]);
    if (key) Append(key, strlen(key));
    Append("\n", 1);
}

void RecordTick(void)
{
    if (!Rec.on) return;
    int32_t tick = Shell.TicksRun;
    if (tick % ReplayCheckEvery != 0 && tick != Rec.lastEventTick) return;
    char hash[24];
    snprintf(hash, sizeof(hash), "%016llx", (unsigned long long)PresentedHash());
    AppendLine("# frame %lld %s\n", tick, hash);
}

void SaveRecording(void)
{
    if (!Rec.on) return;
    char hash[24];
    snprintf(hash, sizeof(hash), "%016llx", (unsigned long long)PresentedHash());
    size_t body = Rec.used;
    AppendLine("# end %lld %s\n", Shell.TicksRun, hash);
    if (Rec.failed) {
        WarnSaveFailure("replay", "zux: out of memory for the replay; it is not kept");
        Rec.on = false;
        return;
    }
    // The replay's folder is made on the first write, as the save folder is.
    char folder[ReplayMaxPath];
    snprintf(folder, sizeof(folder), "%s", Rec.path);
    char *slash = strrchr(folder, '/');
    if (slash && slash != folder) {
        *slash = 0;
        Plat_MakeFolder(folder);
    }
    if (ReplaceFileAt(Rec.path, Rec.text, (uint32_t)Rec.used) != Rec.used) {
        char line[ReplayMaxPath + 384];
        snprintf(line, sizeof(line), "zux: cannot save the replay %s: %s", Rec.path,
                 Plat_FileError());
        WarnSaveFailure("replay", line);
    }
    Rec.used = body; // the closing line is written afresh each time
}

void StopRecording(void)
{
    SaveRecording();
    free(Rec.text);
    memset(&Rec, 0, sizeof(Rec));
}

// ---- The save folder's replays ----

// "YYYY-MM-DD_HH-MM-SS", the start of every name the game gives a replay.
static bool GameNamed(const char *name)
{
    static const char Pattern[] = "dddd-dd-dd_dd-dd-dd";
    for (int i = 0; Pattern[i]; i++)
        if (Pattern[i] == 'd' ? name[i] < '0' || name[i] > '9' : name[i] != Pattern[i])
            return false;
    size_t n = strlen(name);
    return n > 10 && strcmp(name + n - 10, ".zuxreplay") == 0;
}

bool NewReplayPath(const char *folder, char *path, int size)
{
    PlatDate t;
    Plat_LocalDate(&t);
    char stamp[48];
    snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
             t.minute, t.second);
    // The name is taken by making the file, so that two runs started in the
    // same second, in one process or two, each get one of their own: "-2", ...
    Plat_MakeFolder(folder);
    for (int i = 1; i < 100; i++) {
        char suffix[8] = "";
        if (i > 1) snprintf(suffix, sizeof(suffix), "-%d", i);
        int n = snprintf(path, (size_t)size, "%s%s%s.zuxreplay", folder, stamp, suffix);
        if (n <= 0 || n >= size) return false;
        if (Plat_CreateNewFile(path)) return true;
    }
    return false;
}

struct GameReplay {
    char name[64];
    int64_t modified;
};

struct ReplayList {
    GameReplay *items;
    int count;
    bool failed;
};

static void ListReplay(const char *name, int64_t modified, void *user)
{
    ReplayList *list = (ReplayList *)user;
    if (!GameNamed(name) || strlen(name) >= sizeof(list->items->name)) return;
    if (!Grow((void **)&list->items, list->count, sizeof(GameReplay))) {
        list->failed = true;
        return;
    }
    GameReplay *r = &list->items[list->count++];
    snprintf(r->name, sizeof(r->name), "%s", name);
    r->modified = modified;
}

// The number after a name's date: 1 for none, 2 for "-2" and so on.
static int NameSuffix(const char *name) { return name[19] == '-' ? atoi(name + 20) : 1; }

// Oldest first: by the time last written, then by the name's date and suffix.
static int CompareAge(const void *a, const void *b)
{
    const GameReplay *x = (const GameReplay *)a, *y = (const GameReplay *)b;
    if (x->modified != y->modified) return x->modified < y->modified ? -1 : 1;
    int byDate = memcmp(x->name, y->name, 19);
    if (byDate) return byDate;
    int sx = NameSuffix(x->name), sy = NameSuffix(y->name);
    return sx != sy ? (sx < sy ? -1 : 1) : strcmp(x->name, y->name);
}

void PruneReplays(const char *folder, int keep)
{
    ReplayList list = {nullptr, 0, false};
    // Nothing is removed from a list that may lack some of the newest.
    if (Plat_ListFolder(folder, ListReplay, &list) && !list.failed && list.count > keep) {
        qsort(list.items, (size_t)list.count, sizeof(GameReplay), CompareAge);
        for (int i = 0; i < list.count - keep; i++) {
            char path[ReplayMaxPath];
            int n = snprintf(path, sizeof(path), "%s%s", folder, list.items[i].name);
            if (n > 0 && (size_t)n < sizeof(path)) Plat_RemoveFile(path);
        }
    }
    free(list.items);
}
