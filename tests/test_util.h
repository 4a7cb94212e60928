// Helpers shared by the tests: temporary folders and files, little-endian
// words, small pictures, runs of the built tools and in-process screen steps.
#pragma once

#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

#include "res/image.h"

typedef std::vector<uint8_t> Bytes;
typedef std::vector<int32_t> Ints;

// A fresh empty folder under the system's temporary folder, removed by RemoveTree.
std::string MakeTempDir(void);
void RemoveTree(const std::string &dir);

Bytes ReadBytes(const std::string &path);
bool WriteBytes(const std::string &path, const Bytes &bytes);
bool WriteText(const std::string &path, const std::string &text);
std::vector<std::string> ReadLines(const std::string &path);

// Words as the data files store them: 32 bits, lowest byte first.
Bytes LeWords(const std::vector<int32_t> &words);
void PutLeWord(Bytes &b, size_t at, int32_t v);
int32_t LeWord(const Bytes &b, size_t at); // 0 past the end

// An entry of an unpacked archive: the name field (cut at 32 bytes), the size, the data.
Bytes EntryBytes(const std::string &name, const Bytes &data);

// An uncompressed TGA, top row first: 8-bit grey, or 24-bit colour with 3 bytes a pixel.
Bytes RawTga(int w, int h, const Bytes &pixels, int bytesPerPixel = 1);
struct TgaInfo;
// A decoded picture's record over data, w x h with bytesPerPixel, as the loaders hand it on.
TgaInfo DecodedTga(int w, int h, int bytesPerPixel, Bytes &data);
uint16_t GreyPixel(int v); // grey level v as a 5-6-5 pixel

// The BackBuffer's pixel at (x, y).
uint16_t &Pixel(int x, int y);

// A picture owned by the test: pixel (x, y) is f(x, y), or base plus its index.
struct TestImage {
    std::vector<uint16_t> pixels;
    Image image;
    TestImage(int w, int h, uint16_t (*f)(int x, int y));
    TestImage(int w, int h, uint16_t base);
};

// Runs a built program (zux-headless, zuxpack, zux-artgen) with args; returns
// its exit status, and its output and error output in output.
int RunTool(const char *tool, const std::string &args, std::string *output = nullptr);
inline int RunHeadless(const std::string &args, std::string *output = nullptr)
{
    return RunTool("zux-headless", args, output);
}

// Runs zux-headless on the program folder dir for ticks with the key file's
// text; the key file and trace lie in dir too. Returns the exit status.
int RunKeys(const std::string &dir, int ticks, const std::string &keys,
            std::vector<std::string> *trace, std::string *output = nullptr);

// The value of a top-level field in one trace line, as text ("" when absent).
std::string TraceField(const std::string &line, const std::string &field);
// The field of tick's line in a whole trace ("" when there is no such tick).
std::string TraceAt(const std::vector<std::string> &trace, int tick, const char *field);

// A program folder holding the generated "Data.zux", run through zux-headless.
struct HeadlessRun {
    std::string dir;
    std::vector<std::string> trace; // of the last run
    HeadlessRun();
    ~HeadlessRun();
    // Runs ticks with the key file's text, expecting exit 0 and a trace line a tick.
    void Run(int ticks, const std::string &keys);
    std::string At(int tick, const char *field) const { return TraceAt(trace, tick, field); }
};

// A temporary program folder, reset as the headless platform's folder; with
// sounds, four stand-in sound files so that the sounds played can be followed.
struct TempFolder {
    std::string dir;
    explicit TempFolder(bool sounds = false);
    ~TempFolder();
    std::string Path(const std::string &name) const { return dir + "/" + name; }
};

// The names of the sounds started since the from-th of the current tick, joined by commas.
std::string SoundsSince(int from = 0);

// One tick of a screen's step routine with the given key slots pressed afresh
// (released after); the sounds it started go to *sounds.
int StepWithKeys(int (*step)(void), std::initializer_list<int> slots, std::string *sounds);

// What start-up opens before a screen loads its pictures: the screen, the
// keys (never repeating), the archive or loose files, the sounds, the defaults.
void OpenBasics(void);
void CloseBasics(void);

// The whole program started in a temporary folder with stand-in sounds,
// stepped one platform tick at a time.
class ProgramTest : public ::testing::Test
{
  protected:
    TempFolder folder{true};
    void SetUp() override { Start(); }
    void TearDown() override;
    void Start();
    // Whole ticks of the program: the timer message, then the step.
    void Tick(int n = 1);
};
