// How the player sets zux up: the command line, and the optional "zux.cfg" in
// the save folder (display, focus rule and key and button bindings).
#pragma once

#include <cstdint>

enum {
    MaxConfigBindings = 64,
    MaxConfigName = 48,
    MaxConfigSize = 65536, // a longer "zux.cfg" is read only this far
};

struct ConfigBinding {
    char name[MaxConfigName]; // the key or button, as the platform names it
    int32_t vk;               // 0: does nothing
    int line;
    uint8_t button; // 1: a controller button
};

// The settings read; -1 where nothing was said.
struct ConfigState {
    int windowed;
    int scale;
    int closeOnFocusLoss;
    int record;
    ConfigBinding bindings[MaxConfigBindings];
    int bindingCount;
};

// What the command line says; -1 or null where it says nothing.
struct OptionsState {
    int windowed;
    int scale;
    const char *home;
    int closeOnFocusLoss;
    const char *record; // --record FILE
    bool noRecord;
    const char *replay; // --replay FILE
    bool help;
    bool version;
};

// Called for a line that cannot be read; line counts from 1.
typedef void (*ConfigWarning)(int line, const char *what);

// Clears cfg to "nothing said".
void ClearConfig(ConfigState *cfg);

// Reads a "zux.cfg" text into cfg. A line that cannot be read is reported
// through warn and skipped; every other line still applies.
void ParseConfig(const char *text, uint32_t length, ConfigState *cfg, ConfigWarning warn);

// Hands the bindings to the platform; a name it does not know is reported and skipped.
void ApplyBindings(const ConfigState *cfg, ConfigWarning warn);

// The commented default "zux.cfg" written on the first run.
const char *DefaultConfigText(void);

// Reads zux's arguments into o; false with error naming the problem.
bool ParseOptions(int argc, char **argv, OptionsState *o, char *error, int errorSize);

// The usage lines printed by --help and after a bad argument.
const char *UsageText(void);
