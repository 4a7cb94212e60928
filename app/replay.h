// Replays: a run written down as the save files it started from and the key
// messages of each tick, in a text that is also a headless key file, and
// played back from it exactly, in the window or headless.
#pragma once

#include <cstdint>

struct PlatMessage;

enum {
    ReplayStartFiles = 2,       // "SS.dat" and "HS.dat"
    ReplayMaxStartFile = 65536, // a longer save file is recorded cut to this (the game reads less)
    ReplayCheckEvery = 10,      // a frame hash every this many ticks, and after keys
    ReplayKeep = 20,            // the recorded replays the save folder keeps
    ReplayMaxPath = 4096,
};

enum ReplayEventKind { ReplayDown, ReplayUp, ReplayFocusLost, ReplayClose };

// One message: seen before the step of tick runs.
struct ReplayEvent {
    int32_t tick;
    int32_t kind; // ReplayEventKind
    int32_t vk;   // down and up
};

// The hash of the frame last presented once the step of tick has run.
struct ReplayCheck {
    int32_t tick;
    uint64_t hash;
};

struct ReplayStartFile {
    uint8_t *bytes; // null: the file was absent
    uint32_t size;
};

// A replay as read: the start files, the messages, the checkpoints and the
// closing line's last tick and frame hash.
struct ReplayRecord {
    ReplayStartFile files[ReplayStartFiles];
    ReplayEvent *events;
    int eventCount;
    ReplayCheck *checks;
    int checkCount;
    int32_t lastTick;
    uint64_t lastHash;
};

// The names of the start files, in ReplayRecord order.
extern const char *const ReplayFileNames[ReplayStartFiles];

// Reads a replay's text into r; false, with error "line N: what is wrong" and
// r empty, when it is damaged. Free r with FreeReplay either way.
bool ParseReplay(const char *text, uint32_t length, ReplayRecord *r, char *error, int errorSize);
void FreeReplay(ReplayRecord *r);

// The frame hash of what the screen shows now.
uint64_t PresentedHash(void);

// Starts recording the run into the file at path: reads the start files now,
// so call it before StartUp. version names the program in the header.
bool StartRecording(const char *path, const char *version);

// The recorder's two ears in HandMessage: a message about to be handled, and
// a step that has just run.
void RecordMessage(const PlatMessage *msg);
void RecordTick(void);

// Writes what is recorded so far, closed as if the run ended now; the player
// is told once when it cannot be written. Nothing when not recording.
void SaveRecording(void);

// Writes the recording a last time and stops.
void StopRecording(void);

// A new replay's path in folder, named by the local date and time and taken
// by making the file there, empty (and the folder); false when it cannot be.
bool NewReplayPath(const char *folder, char *path, int size);

// Removes the oldest replays (by the time last written) the game named in
// folder until keep are left; files named otherwise are the player's and stay.
void PruneReplays(const char *folder, int keep);

// Playback (app/replay_play.cpp). Starts playing the replay text: its start
// files replace the player's. window: paced by the platform's timer, with the
// viewer's controls and the last frame held a moment; else as fast as the
// timer messages come. False with error when the replay is damaged.
bool StartPlayback(const char *text, uint32_t length, bool window, char *error, int errorSize);

// True while a replay plays: DeliverMessage hands every message to PlayReplayMessage.
bool ReplayPlaying(void);
void PlayReplayMessage(const PlatMessage *msg);

// The frame timer's period for the game's period, at the viewer's speed.
int32_t ReplayTimerPeriod(int32_t periodMs);

// The replay's last tick; 0 when none plays.
int32_t ReplayLastTick(void);

// After the run: 0 when the replay matched (or the viewer stopped it), 3 when
// it diverged. Frees the replay and gives the player's files back.
int EndPlayback(void);
