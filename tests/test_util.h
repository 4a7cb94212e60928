// Helpers shared by the tests: temporary folders and files, little-endian words,
// small pictures, runs of the built tools and in-process screen steps.
#pragma once

#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

#include "res/image.h"

typedef std::vector<uint8_t> Bytes;
typedef std::vector<int32_t> Ints;

std::string MakeTempDir(void); // a fresh empty folder, removed by RemoveTree
void RemoveTree(const std::string &dir);
Bytes ReadBytes(const std::string &path);
bool WriteBytes(const std::string &path, const Bytes &bytes);
bool WriteText(const std::string &path, const std::string &text);
std::vector<std::string> ReadLines(const std::string &path);
Bytes LeWords(const std::vector<int32_t> &words); // 32-bit words, lowest byte first
void PutLeWord(Bytes &b, size_t at, int32_t v);
int32_t LeWord(const Bytes &b, size_t at); // 0 past the end
// An entry of an unpacked archive: the name field (cut at 32 bytes), the size, the data.
Bytes EntryBytes(const std::string &name, const Bytes &data);
// An uncompressed TGA, top row first: 8-bit grey, or 24-bit colour with 3 bytes a pixel.
Bytes RawTga(int w, int h, const Bytes &pixels, int bytesPerPixel = 1);
struct TgaInfo;
// A decoded picture's record over data, w x h with bytesPerPixel, as the loaders hand it on.
TgaInfo DecodedTga(int w, int h, int bytesPerPixel, Bytes &data);
inline uint16_t GreyPixel(int v) { return (uint16_t)((v >> 3) << 11 | (v >> 2) << 5 | (v >> 3)); }
uint16_t &Pixel(int x, int y); // the BackBuffer's pixel at (x, y)

// A picture owned by the test: pixel (x, y) is f(x, y), or base plus its index.
struct TestImage {
    std::vector<uint16_t> pixels;
    Image image;
    TestImage(int w, int h, uint16_t (*f)(int x, int y));
    TestImage(int w, int h, uint16_t base);
};

// Runs a built program (zux-headless, zuxpack, zux-artgen): its exit status; its output in output.
int RunTool(const char *tool, const std::string &args, std::string *output = nullptr);
inline int RunHeadless(const std::string &args, std::string *output = nullptr)
{
    return RunTool("zux-headless", args, output);
}
// zux-headless on folder dir for ticks with the keys' text (file and trace in dir): its status.
int RunKeys(const std::string &dir, int ticks, const std::string &keys,
            std::vector<std::string> *trace, std::string *output = nullptr);
std::string TraceField(const std::string &line, const std::string &field); // "" when absent

// A program folder holding the generated "Data.zux", run through zux-headless.
struct HeadlessRun {
    std::string dir;
    std::vector<std::string> trace; // of the last run
    HeadlessRun();
    ~HeadlessRun() { RemoveTree(dir); }
    void Run(int ticks, const std::string &keys);      // expects exit 0 and a trace line a tick
    std::string At(int tick, const char *field) const; // "" when there is no such tick
};

// A temporary folder made the headless platform's, with stand-in sound files when asked.
struct TempFolder {
    std::string dir;
    explicit TempFolder(bool sounds = false);
    ~TempFolder() { RemoveTree(dir); }
    std::string Path(const std::string &name) const { return dir + "/" + name; }
};

// The names of the sounds started since the from-th of the current tick, joined by commas.
std::string SoundsSince(int from = 0);
// One tick of step with the key slots pressed afresh; the sounds it started go to *sounds.
int StepWithKeys(int (*step)(void), std::initializer_list<int> slots, std::string *sounds);
// What start-up opens before a screen loads: screen, keys (no repeat), archive, sounds, defaults.
void OpenBasics(void);
void CloseBasics(void);

// The whole program started in a temporary folder with stand-in sounds.
struct ProgramTest : ::testing::Test {
    TempFolder folder{true};
    void SetUp() override { Start(); }
    void TearDown() override;
    void Start();
    void Tick(int n = 1); // whole ticks of the program: the timer message, then the step
};
