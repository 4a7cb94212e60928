// The machine under the game: one window with its messages, a frame timer,
// direct access to the display's 16-bit frame, asynchronous sound, the
// program's folder and the run-time random generator.
//
// Implemented twice: platform/sdl (a real window, keyboard, controllers and
// audio) and platform/headless (a virtual clock and scripted keys). Each
// program links exactly one. Nothing above this header knows which.
#pragma once

#include <cstdint>

// Virtual key codes delivered with key messages.
enum {
    VkEnter = 0x0D,
    VkLeft = 0x25,
    VkUp = 0x26,
    VkRight = 0x27,
    VkDown = 0x28,
    Vk0 = 0x30,
    Vk9 = 0x39,
    VkF8 = 0x77,
    VkF9 = 0x78,
};

// What the window's message queue delivers.
enum PlatMessageKind {
    MsgNull,      // nothing happened; lets the frame step run a pending tick at once
    MsgKeyDown,   // key went down (or auto-repeats); code = virtual key
    MsgKeyUp,     // key came up; code = virtual key
    MsgTimer,     // the frame timer elapsed; code = timer identifier
    MsgActivate,  // activation changed; code = 0 when the window is deactivated
    MsgKillFocus, // the window lost the keyboard focus
    MsgClose,     // somebody asks the window to close
    MsgDestroy,   // the window has been destroyed
    MsgSuspend,   // the player left the window (focus lost, minimised): the game freezes
    MsgResume,    // the player came back: the game runs on from the next tick
    MsgViewer,    // a replay's viewer pressed a control; code = ViewerControl
};

// What a replay's viewer asks for (Plat_SetViewerKeys).
enum ViewerControl {
    ViewerStop = 1, // Escape, F8 or closing the window
    ViewerPause,    // Space: pauses or goes on
    ViewerFaster,   // + (or the keypad's)
    ViewerSlower,   // - (or the keypad's)
};

struct PlatMessage {
    int kind;
    int32_t code;
};

// How the window opens, set before Plat_OpenWindow: windowed or full screen,
// and the window's whole-number scale (0: the largest that fits).
void Plat_SetDisplayMode(bool windowed, int scale);

// True: leaving the window sends MsgActivate (code 0) and MsgKillFocus, which
// close the game; false (the default): it sends MsgSuspend, and MsgResume on return.
void Plat_SetCloseOnFocusLoss(bool close);

// True: the keyboard no longer sends the game's keys, nor closing the window
// MsgClose, but MsgViewer for the replay's controls (the desktop window;
// elsewhere nothing to do).
void Plat_SetViewerKeys(bool on);

// Binds a physical key, by the platform's name for it, to virtual key vk
// (0 unbinds it); false when the platform knows no key of that name.
bool Plat_BindKey(const char *keyName, int32_t vk);

// Binds a controller button, by name ("a", "b", "x", "y", "start", "back",
// "dpup", ...), to virtual key vk (0 unbinds it); false for an unknown name.
bool Plat_BindButton(const char *buttonName, int32_t vk);

// Opens the one full-screen window, the display and the input.
// False when there is no usable display; Plat_LastError says why.
bool Plat_OpenWindow(void);

// One line describing the last failure of the platform layer.
const char *Plat_LastError(void);

// Waits for the next message and fills msg; false once the quit message arrives.
bool Plat_GetMessage(PlatMessage *msg);

// Queues a close request for the window (delivered as MsgClose).
void Plat_PostClose(void);

// Destroys the window; a MsgDestroy follows.
void Plat_DestroyWindow(void);

// Queues the quit message that ends Plat_GetMessage.
void Plat_PostQuit(int code);

// Arms timer id to deliver MsgTimer every periodMs; arming an id again replaces it.
void Plat_SetTimer(int id, int periodMs);

// The display's width and height in pixels (240 x 320).
int Plat_DisplayWidth(void);
int Plat_DisplayHeight(void);

// Begins drawing: the display's frame of width x height 5-6-5 pixels, or null.
uint16_t *Plat_BeginDraw(void);

// Ends drawing and shows what was written since Plat_BeginDraw.
void Plat_EndDraw(void);

// Closes the display and the input again; the window is already gone.
void Plat_CloseWindow(void);

// The virtual key codes of the up, down, left and right buttons, in that order.
void Plat_DefaultKeys(int16_t keys[4]);

// Starts playing a WAV image from memory and returns at once; a new sound
// replaces the one playing. name only labels it. Unplayable images are skipped.
void Plat_PlaySound(const char *name, const uint8_t *wav, uint32_t size);

// Stops the sound playing, if any.
void Plat_StopSound(void);

// Called after a file has been saved whole at path, so a platform whose files
// need syncing (a browser's storage) can keep them; nothing to do elsewhere.
void Plat_FileSaved(const char *path);

// Gives the window an icon of width x height 5-6-5 pixels, key colour 0 transparent.
void Plat_SetWindowIcon(const uint16_t *pixels, int width, int height);

// The program's folder, ending in '/'.
const char *Plat_ProgramFolder(void);

// The installed data folder ("<prefix>/share/zux/"), ending in '/', where
// resources are looked for after the program's folder; "" when there is none.
const char *Plat_DataFolder(void);

// The run-time generator: sets the state.
void Plat_Seed(uint32_t seed);

// The run-time generator: the next value, 0..32767.
int Plat_Rand(void);

// Shared by every platform (platform/common):

// The virtual key of a name ("Up", "Down", "Left", "Right", "0".."9", "Enter",
// "F8", "F9"); 0 for any other name.
int32_t Plat_KeyFromName(const char *name);

// The name of a virtual key the game uses; null for any other code.
const char *Plat_KeyName(int32_t vk);

// FNV-1a 64 of a frame's pixels as little-endian 16-bit values (the headless
// trace's frame hash); the empty hash for a null frame.
uint64_t Plat_FrameHash(const uint16_t *frame, int pixelCount);

// Files and folders. Paths are UTF-8 and folders end in '/'; Windows takes
// '\' as well. Implemented once for POSIX (Linux, the browser) and once for
// Win32 (wide-character paths).

enum { PlatMaxPath = 4096 };

// Reads the plain file at path whole into a new block with one 0 byte after
// its end (free it with Plat_FreeFile); false when absent, unreadable, not a
// plain file or over maxSize bytes. *size gets the length.
bool Plat_ReadFile(const char *path, uint32_t maxSize, uint8_t **out, uint32_t *size);

// Frees a block of Plat_ReadFile; null is fine.
void Plat_FreeFile(uint8_t *block);

// Replaces the file at path whole and crash-safely: a temporary file beside
// it, named for this process and call, is written, flushed to the disk and
// renamed over it; false on failure (the temporary file is removed).
bool Plat_ReplaceFile(const char *path, const void *data, uint32_t size);

// Makes the file at path, empty, only when nothing of that name exists (an
// exclusive create, safe between processes); false when it exists or fails.
bool Plat_CreateNewFile(const char *path);

// Makes folder and every missing folder above it; true when it then exists.
bool Plat_MakeFolder(const char *folder);

// True when files can be made in folder, or folder can be made: its nearest
// existing folder can be written.
bool Plat_CanWriteFolder(const char *folder);

// Calls each(name, modified, user) for every plain file in folder (modified in
// seconds since 1970); false when the folder cannot be read.
typedef void (*PlatFileVisitor)(const char *name, int64_t modified, void *user);
bool Plat_ListFolder(const char *folder, PlatFileVisitor each, void *user);

// Removes the file at path; false when it could not.
bool Plat_RemoveFile(const char *path);

// The player's own data folder for zux, ending in '/': $XDG_DATA_HOME/zux/ or
// ~/.local/share/zux/ on Linux, %APPDATA%\zux\ on Windows; "" when unknown.
const char *Plat_UserDataFolder(void);

// The environment variable name's value, or null when it is unset.
const char *Plat_GetEnv(const char *name);

// The folder holding the running program file, ending in '/'; "./" when unknown.
const char *Plat_ExecutableFolder(void);

// A moment in local time; utcOffset in minutes east of UTC.
struct PlatDate {
    int year, month, day, hour, minute, second, utcOffset;
};

// The local date and time now.
void Plat_LocalDate(PlatDate *date);

// One line saying why the last failed file call above failed.
const char *Plat_FileError(void);
