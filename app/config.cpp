// The command line and "zux.cfg". Both only choose how the window opens, how
// leaving it works and which keys mean what: no game rule changes here.
#include "app/config.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

static const char Usage[] = "usage: zux [--windowed | --fullscreen] [--scale N] [--home DIR]\n"
                            "           [--close-on-focus-loss] [--record FILE | --no-record]\n"
                            "           [--replay FILE] [--help] [--version]\n";

static const char DefaultText[] =
    "# zux settings: one \"name = value\" a line; '#' starts a comment. A name\n"
    "# or value in double quotes may hold '#' and '=': key \"#\" = 7.\n"
    "# Delete this file to get it back as it was.\n"
    "\n"
    "# display = fullscreen          # or windowed (F11 switches while playing)\n"
    "# scale = 0                     # window scale, 1 to 16; 0: the largest that fits\n"
    "# close-on-focus-loss = no      # yes: leaving the window closes the game\n"
    "# record = yes                  # no: no replay of each run in replays/\n"
    "\n"
    "# Keys: \"key NAME = GAMEKEY\". NAME is the key as SDL names it (Space, Z,\n"
    "# Left Shift, Keypad 8, ...); GAMEKEY is Up, Down, Left, Right, 0 to 9, Enter,\n"
    "# F8, F9, or none. In a game 1 and 3 rotate clockwise, 4 and 6 the other way,\n"
    "# 7 and 9 drop, 2 pauses and F9 goes back to the menu; F8 quits.\n"
    "# These are the defaults besides the arrows, digits, keypad, Enter, F8, F9:\n"
    "# key Space = 7\n"
    "# key Z = 4\n"
    "# key X = 1\n"
    "# key P = 2\n"
    "# key Escape = F9\n"
    "# key \"Keypad =\" = Enter\n"
    "\n"
    "# Controller buttons: \"button NAME = GAMEKEY\", NAME one of a, b, x, y,\n"
    "# back, start, leftshoulder, rightshoulder, dpup, dpdown, dpleft, dpright.\n"
    "# The defaults:\n"
    "# button a = 1\n"
    "# button b = 4\n"
    "# button x = 7\n"
    "# button y = 3\n"
    "# button start = 2\n"
    "# button back = F9\n";

const char *UsageText(void) { return Usage; }
const char *DefaultConfigText(void) { return DefaultText; }

void ClearConfig(ConfigState *cfg)
{
    memset(cfg, 0, sizeof(*cfg));
    cfg->windowed = -1;
    cfg->scale = -1;
    cfg->closeOnFocusLoss = -1;
    cfg->record = -1;
}

// Copies text[start, end) without the spaces around it into out; false when it
// does not fit.
static bool Trimmed(const char *text, size_t start, size_t end, char *out, size_t size)
{
    while (start < end && (text[start] == ' ' || text[start] == '\t')) start++;
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        end--;
    if (end - start >= size) return false;
    memcpy(out, text + start, end - start);
    out[end - start] = 0;
    return true;
}

// Strips one pair of double quotes around s.
static void Unquote(char *s)
{
    size_t n = strlen(s);
    if (n < 2 || s[0] != '"' || s[n - 1] != '"') return;
    memmove(s, s + 1, n - 2);
    s[n - 2] = 0;
}

// The position after the character at i of a line ending at end: after the
// whole quoted span when a '"' there is closed on the line, so the '#' and
// '=' in it are no syntax.
static uint32_t Next(const char *text, uint32_t i, uint32_t end)
{
    if (text[i] != '"') return i + 1;
    for (uint32_t j = i + 1; j < end; j++)
        if (text[j] == '"') return j + 1;
    return i + 1;
}

// A whole number lo..hi, nothing else; -1 when it is not one.
static int Number(const char *s, int lo, int hi)
{
    if (!s[0] || strlen(s) > 6) return -1;
    for (const char *p = s; *p; p++)
        if (*p < '0' || *p > '9') return -1;
    int v = atoi(s);
    return v >= lo && v <= hi ? v : -1;
}

// yes/no and their friends; -1 for anything else.
static int YesNo(const char *s)
{
    if (!strcmp(s, "yes") || !strcmp(s, "on") || !strcmp(s, "true") || !strcmp(s, "1")) return 1;
    if (!strcmp(s, "no") || !strcmp(s, "off") || !strcmp(s, "false") || !strcmp(s, "0")) return 0;
    return -1;
}

// The virtual key a binding names; -1 when it names none.
static int32_t GameKey(const char *s)
{
    if (!strcmp(s, "none")) return 0;
    int32_t vk = Plat_KeyFromName(s);
    return vk ? vk : -1;
}

// Applies one "name = value" line; null when it did, else what is wrong.
static const char *ConfigLine(char *name, char *value, int line, ConfigState *cfg)
{
    if (!strcmp(name, "display")) {
        if (!strcmp(value, "windowed"))
            cfg->windowed = 1;
        else if (!strcmp(value, "fullscreen"))
            cfg->windowed = 0;
        else
            return "display is windowed or fullscreen";
        return nullptr;
    }
    if (!strcmp(name, "scale")) {
        int v = Number(value, 0, 16);
        if (v < 0) return "scale is a number from 0 to 16";
        cfg->scale = v;
        return nullptr;
    }
    if (!strcmp(name, "close-on-focus-loss") || !strcmp(name, "record")) {
        int v = YesNo(value);
        if (v < 0) return "the value is yes or no";
        (name[0] == 'c' ? cfg->closeOnFocusLoss : cfg->record) = v;
        return nullptr;
    }
    if (!strcmp(name, "key") || !strcmp(name, "button")) return "missing key name";
    bool key = !strncmp(name, "key ", 4), button = !strncmp(name, "button ", 7);
    if (!key && !button) return "unknown setting";
    char *what = name + (key ? 4 : 7);
    while (*what == ' ' || *what == '\t') what++;
    Unquote(what);
    if (!*what) return "missing key name";
    int32_t vk = GameKey(value);
    if (vk < 0) return "unknown game key (Up, Down, Left, Right, 0-9, Enter, F8, F9 or none)";
    if (cfg->bindingCount == MaxConfigBindings) return "too many bindings";
    ConfigBinding *b = &cfg->bindings[cfg->bindingCount++];
    snprintf(b->name, sizeof(b->name), "%s", what);
    b->vk = vk;
    b->line = line;
    b->button = button;
    return nullptr;
}

void ParseConfig(const char *text, uint32_t length, ConfigState *cfg, ConfigWarning warn)
{
    if (length > MaxConfigSize) length = MaxConfigSize;
    int line = 0;
    // A byte-order mark, as Windows editors write one, is no text.
    uint32_t pos = length >= 3 && !memcmp(text, "\xEF\xBB\xBF", 3) ? 3 : 0;
    while (pos < length) {
        uint32_t end = pos;
        while (end < length && text[end] != '\n') end++;
        line++;
        uint32_t stop = pos, eq = end;
        while (stop < end && text[stop] != '#') {
            if (text[stop] == '=' && eq == end) eq = stop;
            stop = Next(text, stop, end);
        }
        if (eq > stop) eq = stop;
        char name[MaxConfigName + 8], value[64];
        const char *problem = nullptr;
        bool blank = true;
        for (uint32_t i = pos; i < stop; i++)
            if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r') blank = false;
        if (blank) {
            // nothing on this line
        } else if (eq == stop) {
            problem = "expected name = value";
        } else if (!Trimmed(text, pos, eq, name, sizeof(name)) ||
                   !Trimmed(text, eq + 1, stop, value, sizeof(value))) {
            problem = "name or value too long";
        } else if (memchr(text + pos, 0, stop - pos)) {
            problem = "unreadable characters";
        } else {
            Unquote(value);
            problem = ConfigLine(name, value, line, cfg);
        }
        if (problem && warn) warn(line, problem);
        pos = end + 1;
    }
}

void ApplyBindings(const ConfigState *cfg, ConfigWarning warn)
{
    for (int i = 0; i < cfg->bindingCount; i++) {
        const ConfigBinding *b = &cfg->bindings[i];
        bool ok = b->button ? Plat_BindButton(b->name, b->vk) : Plat_BindKey(b->name, b->vk);
        if (!ok && warn) warn(b->line, b->button ? "unknown controller button" : "unknown key");
    }
}

bool ParseOptions(int argc, char **argv, OptionsState *o, char *error, int errorSize)
{
    memset(o, 0, sizeof(*o));
    o->windowed = -1;
    o->scale = -1;
    o->closeOnFocusLoss = -1;
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        if (!strcmp(a, "--help") || !strcmp(a, "-h")) {
            o->help = true;
        } else if (!strcmp(a, "--version")) {
            o->version = true;
        } else if (!strcmp(a, "--windowed") || !strcmp(a, "--fullscreen")) {
            int w = a[2] == 'w';
            if (o->windowed >= 0 && o->windowed != w) {
                snprintf(error, (size_t)errorSize,
                         "--windowed and --fullscreen exclude each other");
                return false;
            }
            o->windowed = w;
        } else if (!strcmp(a, "--close-on-focus-loss")) {
            o->closeOnFocusLoss = 1;
        } else if (!strcmp(a, "--no-record")) {
            o->noRecord = true;
        } else if (!strcmp(a, "--record") || !strcmp(a, "--replay")) {
            if (i + 1 >= argc || !argv[i + 1][0]) {
                snprintf(error, (size_t)errorSize, "%s needs a file", a);
                return false;
            }
            (a[4] == 'c' ? o->record : o->replay) = argv[++i];
        } else if (!strcmp(a, "--scale") || !strcmp(a, "--home")) {
            if (i + 1 >= argc) {
                snprintf(error, (size_t)errorSize, "%s needs a value", a);
                return false;
            }
            const char *v = argv[++i];
            if (a[2] == 'h') {
                if (!v[0]) {
                    snprintf(error, (size_t)errorSize, "--home needs a folder");
                    return false;
                }
                o->home = v;
            } else if ((o->scale = Number(v, 1, 16)) < 0) {
                snprintf(error, (size_t)errorSize, "bad --scale: %s (a number from 1 to 16)", v);
                return false;
            }
        } else {
            snprintf(error, (size_t)errorSize, "unknown option: %s", a);
            return false;
        }
    }
    if (o->record && o->noRecord) {
        snprintf(error, (size_t)errorSize, "--record and --no-record exclude each other");
        return false;
    }
    if (o->replay && (o->record || o->noRecord)) {
        snprintf(error, (size_t)errorSize, "--replay records nothing: no --record or --no-record");
        return false;
    }
    return true;
}
