#include "tests/test_util.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

#include "app/shell.h"
#include "front/settings.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/sound.h"
#include "res/tga.h"

std::string MakeTempDir(void)
{
    std::string dir = (std::filesystem::temp_directory_path() / "zux-test-XXXXXX").string();
    return mkdtemp(dir.data()) ? dir : "";
}

void RemoveTree(const std::string &dir)
{
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

Bytes ReadBytes(const std::string &path)
{
    return Bytes(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}

bool WriteBytes(const std::string &path, const Bytes &bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write((const char *)bytes.data(), (std::streamsize)bytes.size());
    return (bool)f;
}

bool WriteText(const std::string &path, const std::string &text)
{
    return WriteBytes(path, Bytes(text.begin(), text.end()));
}

std::vector<std::string> ReadLines(const std::string &path)
{
    std::ifstream f(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(f, line);) lines.push_back(line);
    return lines;
}

Bytes LeWords(const std::vector<int32_t> &words)
{
    Bytes b(4 * words.size());
    for (size_t i = 0; i < words.size(); i++) PutLeWord(b, 4 * i, words[i]);
    return b;
}

void PutLeWord(Bytes &b, size_t at, int32_t v)
{
    for (int k = 0; k < 4; k++) b[at + k] = (uint8_t)((uint32_t)v >> (8 * k));
}

int32_t LeWord(const Bytes &b, size_t at)
{
    if (at + 4 > b.size()) return 0;
    return (int32_t)(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24);
}

Bytes EntryBytes(const std::string &name, const Bytes &data)
{
    Bytes e(ArchiveEntryHeader + data.size(), 0);
    for (size_t i = 0; i < name.size() && i < ArchiveNameField; i++) e[i] = (uint8_t)name[i];
    PutLeWord(e, ArchiveNameField, (int32_t)data.size());
    for (size_t i = 0; i < data.size(); i++) e[ArchiveEntryHeader + i] = data[i];
    return e;
}

Bytes RawTga(int w, int h, const Bytes &pixels, int bytesPerPixel)
{
    Bytes f(18 + pixels.size(), 0);
    f[2] = (uint8_t)(bytesPerPixel == 1 ? 3 : 2); // grey or colour
    PutLeWord(f, 12, w | h << 16);
    f[16] = (uint8_t)(8 * bytesPerPixel);
    f[17] = 0x20; // top row first
    std::copy(pixels.begin(), pixels.end(), f.begin() + 18);
    return f;
}

TgaInfo DecodedTga(int w, int h, int bytesPerPixel, Bytes &data)
{
    TgaInfo tga = {};
    tga.width = (uint16_t)w, tga.height = (uint16_t)h, tga.bytesPerPixel = (uint16_t)bytesPerPixel;
    tga.rowBytes = (uint16_t)(w * bytesPerPixel), tga.data = data.data();
    return tga;
}

uint16_t &Pixel(int x, int y) { return BackBuffer[y * (int)ScreenWidth + x]; }
TestImage::TestImage(int w, int h, uint16_t (*f)(int x, int y)) : pixels(w * h)
{
    for (int i = 0; i < w * h; i++) pixels[i] = f(i % w, i / w);
    image = Image{pixels.data(), w, h};
}

TestImage::TestImage(int w, int h, uint16_t base)
    : TestImage(w, h, [](int, int) { return (uint16_t)0; })
{
    for (int i = 0; i < w * h; i++) pixels[i] = (uint16_t)(base + i);
}

int RunTool(const char *tool, const std::string &args, std::string *output)
{
    FILE *p = popen((std::string(ZUX_BUILD_DIR) + "/" + tool + " " + args + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    std::string out;
    for (size_t n; (n = fread(buf, 1, sizeof(buf), p)) > 0;) out.append(buf, n);
    int status = pclose(p);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunKeys(const std::string &dir, int ticks, const std::string &keys,
            std::vector<std::string> *trace, std::string *output)
{
    WriteText(dir + "/keys.txt", keys);
    int status = RunHeadless("--dir " + dir + " --ticks " + std::to_string(ticks) + " --keys " +
                                 dir + "/keys.txt --trace " + dir + "/trace.jsonl",
                             output);
    *trace = ReadLines(dir + "/trace.jsonl");
    return status;
}

std::string TraceField(const std::string &line, const std::string &field)
{
    size_t at = line.find("\"" + field + "\":"), start = at + field.size() + 3, end = start;
    if (at == std::string::npos) return "";
    // The value ends at a comma or a closing bracket outside brackets and strings.
    for (int depth = 0, inString = 0; end < line.size(); end++) {
        char c = line[end];
        if ((inString ^= c == '"') || c == '"') continue;
        if ((c == ']' || c == '}' || c == ',') && depth == 0) break;
        depth += (c == '[' || c == '{') - (c == ']' || c == '}');
    }
    std::string v = line.substr(start, end - start);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return v;
}

HeadlessRun::HeadlessRun() : dir(MakeTempDir())
{
    EXPECT_TRUE(std::filesystem::copy_file(ZUX_BUILD_DIR "/Data.zux", dir + "/Data.zux"))
        << "Data.zux has not been built";
}

void HeadlessRun::Run(int ticks, const std::string &keys)
{
    std::string out;
    EXPECT_EQ(RunKeys(dir, ticks, keys, &trace, &out), 0) << out;
    EXPECT_EQ(trace.size(), (size_t)ticks) << out;
}

std::string HeadlessRun::At(int tick, const char *field) const
{
    if (tick < 1 || tick > (int)trace.size()) return "";
    const std::string &line = trace[tick - 1];
    return TraceField(line, "tick") == std::to_string(tick) ? TraceField(line, field) : "";
}

TempFolder::TempFolder(bool sounds) : dir(MakeTempDir())
{
    EXPECT_FALSE(dir.empty());
    for (int i = 0; sounds && i < SoundCount; i++) WriteText(Path(SoundName(i)), "RIFF");
    Headless_Reset();
    Headless_SetFolder(dir.c_str());
}

std::string SoundsSince(int from)
{
    std::string s;
    for (int i = from; i < Headless_SoundCount(); i++)
        s += std::string(i > from ? "," : "") + Headless_SoundName(i);
    return s;
}

int StepWithKeys(int (*step)(void), std::initializer_list<int> slots, std::string *sounds)
{
    for (int s : slots) Keys.KeySlot[s] = 1;
    AdvanceKeys();
    int before = Headless_SoundCount();
    int result = step();
    if (sounds) *sounds = SoundsSince(before);
    for (int s : slots) Keys.KeySlot[s] = 0;
    return result;
}

void OpenBasics(void)
{
    EXPECT_TRUE(OpenScreen());
    OpenKeys();
    SetAllThresholds(100000);
    OpenResourceArchive();
    LoadSounds();
    DefaultSettings();
}

void CloseBasics(void)
{
    ReleaseSounds();
    CloseScreen();
    CloseResourceArchive();
}

void ProgramTest::TearDown() { ShutDown(); }
void ProgramTest::Start()
{
    Headless_Reset();
    Headless_SetFolder(folder.dir.c_str());
    Headless_SetLastTick(100000000);
    ASSERT_TRUE(StartUp());
    SetTimerPeriod(LongTimerPeriod); // as the menu leaves it
}

void ProgramTest::Tick(int n)
{
    PlatMessage msg;
    for (int i = 0; i < n; i++)
        while (Plat_GetMessage(&msg)) {
            FrameStep();
            WindowProcedure(&msg);
            if (msg.kind == MsgNull) break;
        }
}
