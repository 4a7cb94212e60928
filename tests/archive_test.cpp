// The packed archive: the packer's exact bytes, round trips, the unpacker's
// refusal of damaged streams, lookups by name and the zuxpack tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "platform/headless/headless.h"
#include "res/archive.h"
#include "tests/test_util.h"

typedef std::vector<uint8_t> Bytes;

static Bytes Pack(const Bytes &in)
{
    Bytes out(PackedBound((uint32_t)in.size()));
    uint32_t length = PackArchive(in.data(), (uint32_t)in.size(), out.data());
    out.resize(length);
    return out;
}

// Unpacks from a block holding exactly the stream's bytes, so a read past them
// is caught; checks the four bytes after U stay untouched.
static bool Unpack(const Bytes &packed, Bytes *out)
{
    std::unique_ptr<uint8_t[]> exact(new uint8_t[packed.size() ? packed.size() : 1]);
    if (!packed.empty()) memcpy(exact.get(), packed.data(), packed.size());
    uint32_t size = PackedSize(exact.get(), (uint32_t)packed.size());
    Bytes block((size_t)size + 4, 0xA5);
    bool ok = UnpackArchive(exact.get(), (uint32_t)packed.size(), block.data());
    for (size_t i = size; i < block.size(); i++) EXPECT_EQ(block[i], 0xA5) << "byte " << i;
    block.resize(size);
    if (out) *out = block;
    return ok;
}

// A second packer built plainly from the rules, with one growing position list
// per key instead of the ring; it must agree byte for byte. Counts the modes.
static Bytes ReferencePack(const Bytes &in, int modeCount[4])
{
    uint32_t n = (uint32_t)in.size();
    std::vector<std::vector<uint32_t>> byKey(65536);
    std::vector<uint32_t> place(n);
    for (uint32_t k = 0; k + 1 < n; k++) {
        std::vector<uint32_t> &list = byKey[in[k] << 8 | in[k + 1]];
        place[k] = (uint32_t)list.size();
        list.push_back(k);
    }
    struct Group {
        std::vector<uint32_t> length, distance;
        uint32_t covered;
        bool end;
    };
    auto trial = [&](uint32_t q, int d) {
        Group g;
        uint32_t window = 16384u >> d, longest = (4u << d) + 2, start = q;
        while (g.length.size() < 30 && q < n) {
            uint32_t allowed = std::min(longest, n - q), best = 0, bestPos = 0;
            if (allowed > 2) {
                const std::vector<uint32_t> &list = byKey[in[q] << 8 | in[q + 1]];
                for (uint32_t i = place[q]; i-- > 0;) {
                    uint32_t c = list[i];
                    if (c + window < q) break;
                    uint32_t length = 0;
                    if (in[c + 2] == in[q + 2]) {
                        length = 3;
                        while (length < allowed && in[c + length] == in[q + length]) length++;
                    }
                    if (length > best) best = length, bestPos = c;
                    if (best == allowed) break;
                }
            }
            g.length.push_back(best >= 3 ? best : 1);
            g.distance.push_back(best >= 3 ? q - bestPos : 0);
            q += best >= 3 ? best : 1;
        }
        g.covered = q - start;
        g.end = q == n;
        return g;
    };
    Bytes out = {(uint8_t)n, (uint8_t)(n >> 8), (uint8_t)(n >> 16), 0};
    for (uint32_t p = 0; p < n;) {
        Group g[4];
        int mode = 3;
        g[3] = trial(p, 3);
        if (!g[3].end && g[3].covered <= 540) {
            g[2] = trial(p, 2);
            int best = g[2].covered > g[3].covered ? 2 : 3;
            if (g[2].end)
                mode = 2;
            else if (g[best].covered > 300)
                mode = best;
            else {
                g[1] = trial(p, 1);
                if (g[1].covered > g[best].covered) best = 1;
                if (g[1].end)
                    mode = 1;
                else if (g[best].covered > 180)
                    mode = best;
                else {
                    g[0] = trial(p, 0);
                    mode = g[0].covered >= g[best].covered ? 0 : best;
                }
            }
        }
        modeCount[mode]++;
        const Group &c = g[mode];
        uint32_t flags = (uint32_t)mode;
        for (size_t j = 0; j < c.length.size(); j++)
            if (c.length[j] > 1) flags |= 0x80000000u >> j;
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(flags >> shift));
        for (size_t j = 0; j < c.length.size(); j++) {
            if (c.length[j] == 1) {
                out.push_back(in[p++]);
                continue;
            }
            uint32_t code = ((c.length[j] - 3) << (14 - mode)) + c.distance[j] - 1;
            out.push_back((uint8_t)(code >> 8));
            out.push_back((uint8_t)code);
            p += c.length[j];
        }
    }
    return out;
}

// Runs of one byte, wide and narrow noise, and copies from near and far.
static Bytes MixedData(size_t size, uint32_t seed, size_t farthest)
{
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    Bytes data;
    while (data.size() < size) {
        uint32_t run = 1 + next(300), kind = next(5), base = next(256);
        for (uint32_t i = 0; i < run && kind < 3; i++)
            data.push_back((uint8_t)(kind == 0 ? base : kind == 1 ? next(256) : 120 + next(8)));
        if (kind >= 3 && data.size() > 4) {
            size_t from = data.size() - 1 - next((uint32_t)std::min(data.size(), farthest));
            for (uint32_t i = 0; i < run * 4; i++) data.push_back(data[from + i]);
        }
    }
    data.resize(size);
    return data;
}

TEST(ArchivePack, ExactBytes)
{
    // Nothing: the header alone. Two bytes: one group of two literals in mode 3.
    EXPECT_EQ(Pack({}), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(Pack({0x41, 0x42}), Bytes({2, 0, 0, 0, 0, 0, 0, 3, 0x41, 0x42}));

    // Ten equal bytes: a literal, then the nearest copy of itself for the rest.
    EXPECT_EQ(Pack(Bytes(10, 'a')), Bytes({10, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x30, 0x00}));

    // Forty different bytes: every mode covers 30 literals, and a tie goes to
    // mode 0; the last ten reach the end in mode 3.
    Bytes distinct;
    for (int i = 0; i < 40; i++) distinct.push_back((uint8_t)i);
    Bytes expect = {40, 0, 0, 0, 0, 0, 0, 0};
    expect.insert(expect.end(), distinct.begin(), distinct.begin() + 30);
    expect.insert(expect.end(), {0, 0, 0, 3});
    expect.insert(expect.end(), distinct.begin() + 30, distinct.end());
    EXPECT_EQ(Pack(distinct), expect);

    // A hundred 'a' and thirty different bytes: mode 3 covers 126 bytes (a
    // literal, matches of 34, 34 and 31 at distance 1, 26 literals), mode 2
    // 123, mode 1 119, mode 0 112: mode 3 after all four trials.
    Bytes run(100, 'a');
    for (int i = 0; i < 30; i++) run.push_back((uint8_t)i);
    expect = {130, 0, 0, 0, 0x70, 0, 0, 3, 'a', 0xF8, 0x00, 0xF8, 0x00, 0xE0, 0x00};
    for (int i = 0; i < 26; i++) expect.push_back((uint8_t)i);
    expect.insert(expect.end(), {0, 0, 0, 3, 26, 27, 28, 29});
    EXPECT_EQ(Pack(run), expect);
}

TEST(ArchivePack, RoundTripsAndAgreesWithPlainPacker)
{
    Bytes empty;
    EXPECT_FALSE(Unpack(Pack(empty), nullptr)) << "an empty stream is no archive";

    std::vector<Bytes> inputs;
    for (size_t size : {1, 2, 3, 29, 30, 31, 61}) inputs.push_back(MixedData(size, 7 + size, 64));
    inputs.push_back(Bytes(31, 0));
    inputs.push_back(MixedData(100000, 11, 20000));
    // Past 32 kB the ring's oldest positions give way; repeats reach far back.
    inputs.push_back(MixedData(300000, 12, 100000));
    inputs.push_back(Bytes(70000, 0x55));
    int modes[4] = {0, 0, 0, 0};
    for (const Bytes &in : inputs) {
        SCOPED_TRACE("input of " + std::to_string(in.size()) + " bytes");
        Bytes packed = Pack(in);
        ASSERT_GE(packed.size(), 4u);
        EXPECT_LE(packed.size(), PackedBound((uint32_t)in.size()));
        EXPECT_EQ(packed, ReferencePack(in, modes));
        Bytes out;
        EXPECT_TRUE(Unpack(packed, &out));
        EXPECT_TRUE(out == in);
    }
    // The mixed data must have driven every branch of the mode choice.
    for (int mode = 0; mode < 4; mode++) EXPECT_GT(modes[mode], 0) << "mode " << mode;
}

TEST(ArchivePack, Speed)
{
    Bytes in = MixedData(1 << 20, 3, 30000);
    Bytes out(PackedBound((uint32_t)in.size()));
    clock_t start = clock();
    ASSERT_NE(PackArchive(in.data(), (uint32_t)in.size(), out.data()), 0u);
    double seconds = (double)(clock() - start) / CLOCKS_PER_SEC;
    EXPECT_LT(seconds, 5.0) << "1 MB took " << seconds << " s";
}

TEST(ArchiveUnpack, HandBuiltStreams)
{
    // A literal, then distance 1 and length 34 in mode 3: 35 equal bytes. The
    // flag word marks later items as matches, but the stream ends at U.
    Bytes out;
    ASSERT_TRUE(Unpack({35, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 'x', 0xF8, 0x00}, &out));
    EXPECT_EQ(out, Bytes(35, 'x'));

    // Mode 1 (3 bits of length): six literals, then length 4 from distance 6.
    // Byte 3 of the header is ignored.
    ASSERT_TRUE(Unpack({10, 0, 0, 0x99, 0x02, 0, 0, 0x01, 1, 2, 3, 4, 5, 6, 0x20, 0x05}, &out));
    EXPECT_EQ(out, Bytes({1, 2, 3, 4, 5, 6, 1, 2, 3, 4}));

    // Every cut of a valid stream short of its end is refused; bytes after its
    // end are never looked at.
    Bytes in = MixedData(200, 5, 50);
    in.insert(in.end(), 40, 'z');
    Bytes packed = Pack(in);
    for (size_t cut = 0; cut <= packed.size() + 3; cut++) {
        Bytes stream(packed.begin(), packed.begin() + std::min(cut, packed.size()));
        stream.resize(cut, 0xFF);
        bool ok = Unpack(stream, &out);
        EXPECT_EQ(ok, cut >= packed.size()) << "cut at " << cut;
        if (ok) {
            EXPECT_TRUE(out == in);
        }
    }
}

TEST(ArchiveUnpack, RefusesMalformedStreams)
{
    // U = 0, and a stream shorter than its header.
    EXPECT_FALSE(Unpack({0, 0, 0, 0, 0, 0, 0, 3, 'a'}, nullptr));
    EXPECT_FALSE(Unpack({5, 0, 0}, nullptr));
    // A match before anything was written, and one reaching before the start.
    EXPECT_FALSE(Unpack({3, 0, 0, 0, 0x80, 0, 0, 3, 0x00, 0x00}, nullptr));
    EXPECT_FALSE(Unpack({5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x01}, nullptr));
    // A match carrying the output past U.
    EXPECT_FALSE(Unpack({3, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x00}, nullptr));
    EXPECT_TRUE(Unpack({4, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x00}, nullptr));
    // A flag word cut short between groups.
    Bytes thirty = {31, 0, 0, 0, 0, 0, 0, 3};
    thirty.insert(thirty.end(), 30, 'q');
    thirty.insert(thirty.end(), {0, 0});
    EXPECT_FALSE(Unpack(thirty, nullptr));
}

// An unpacked directory built entry by entry.
static void AddEntry(Bytes *dir, const std::string &name, const Bytes &data)
{
    Bytes field(32, 0);
    memcpy(field.data(), name.data(), std::min<size_t>(name.size(), 32));
    dir->insert(dir->end(), field.begin(), field.end());
    uint32_t n = (uint32_t)data.size();
    dir->insert(dir->end(),
                {(uint8_t)n, (uint8_t)(n >> 8), (uint8_t)(n >> 16), (uint8_t)(n >> 24)});
    dir->insert(dir->end(), data.begin(), data.end());
}

static bool Valid(const Bytes &dir)
{
    return ArchiveDirectoryValid(dir.data(), (uint32_t)dir.size());
}

TEST(ArchiveDirectory, Validity)
{
    Bytes good;
    AddEntry(&good, "A.TGA", {1, 2, 3});
    AddEntry(&good, "B.WAV", {});
    Bytes closed = good;
    AddEntry(&closed, "END", {});
    EXPECT_TRUE(Valid(closed));
    EXPECT_FALSE(Valid(good)) << "no END";
    Bytes nameOnly = good;
    nameOnly.insert(nameOnly.end(), {'E', 'N', 'D'});
    nameOnly.resize(nameOnly.size() + 29, 0);
    EXPECT_TRUE(Valid(nameOnly)) << "only the closing entry's name is read";
    nameOnly.pop_back();
    EXPECT_FALSE(Valid(nameOnly)) << "closing name field cut short";

    Bytes past;
    AddEntry(&past, "A.TGA", {1, 2, 3});
    AddEntry(&past, "END", {});
    past[32] = 200; // A.TGA's size now runs past the end
    EXPECT_FALSE(Valid(past));
    past[32] = 0xFF, past[33] = 0xFF, past[34] = 0xFF, past[35] = 0xFF;
    EXPECT_FALSE(Valid(past));

    Bytes unterminated(32, 'X');
    AddEntry(&unterminated, "END", {});
    unterminated.insert(unterminated.begin() + 32, {0, 0, 0, 0});
    EXPECT_FALSE(Valid(unterminated)) << "a name must end inside its field";
    EXPECT_FALSE(ArchiveDirectoryValid(closed.data(), 0));
}

// Loose files and "Data.zux" in a temporary program folder.
struct ArchiveFolder : testing::Test {
    std::string dir;
    void SetUp() override
    {
        dir = MakeTempDir();
        ASSERT_FALSE(dir.empty());
        Headless_SetFolder(dir.c_str());
        CloseResourceArchive();
    }
    void TearDown() override
    {
        CloseResourceArchive();
        RemoveTree(dir);
    }
    void WriteArchive(const Bytes &directory)
    {
        ASSERT_TRUE(WriteBytes(dir + "/Data.zux", Pack(directory)));
    }
};

TEST_F(ArchiveFolder, LookupByName)
{
    Bytes directory;
    AddEntry(&directory, "SKIN1ITEM1.TGA", {1, 2, 3, 4});
    AddEntry(&directory, "SCLICK.WAV", {9, 9});
    AddEntry(&directory, "EMPTY.TGA", {});
    AddEntry(&directory, std::string(31, 'L'), {7});
    AddEntry(&directory, "END", {});
    AddEntry(&directory, "AFTER.TGA", {5}); // beyond the end: never seen
    WriteArchive(directory);
    ASSERT_TRUE(WriteText(dir + "/sclick.wav", "loose"));
    ASSERT_TRUE(WriteText(dir + "/Loose.tga", "loose"));
    ASSERT_TRUE(OpenResourceArchive());
    ASSERT_NE(ResourceArchive, nullptr);
    EXPECT_EQ(ResourceArchiveSize, directory.size());

    const uint8_t *data = nullptr;
    EXPECT_EQ(LoadResource("Skin1Item1.tga", &data), 4u);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data, ResourceArchive + 36);
    const uint8_t *again = nullptr;
    EXPECT_EQ(LoadResource("skin1ITEM1.TGA", &again), 4u);
    EXPECT_EQ(again, data);
    ReleaseResource(data); // borrowed: the archive stays whole
    EXPECT_EQ(FindInArchive("SKIN1ITEM1.TGA", &again), 4u);
    EXPECT_EQ(memcmp(again, "\x01\x02\x03\x04", 4), 0);

    EXPECT_EQ(LoadResource("sclick.wav", &data), 2u) << "the archive wins over a loose file";
    EXPECT_EQ(data[0], 9);
    EXPECT_EQ(LoadResource(std::string(31, 'l').c_str(), &data), 1u);

    const uint8_t *untouched = (const uint8_t *)"sentinel";
    data = untouched;
    for (const char *missing : {"Loose.tga", "END", "end", "SKIN1", "AFTER.TGA", "EMPTY.TGA", ""}) {
        EXPECT_EQ(LoadResource(missing, &data), 0u) << missing;
        EXPECT_EQ(data, untouched) << missing;
    }
    EXPECT_EQ(LoadResource(std::string(32, 'L').c_str(), &data), 0u) << "longer than 31";
    EXPECT_EQ(data, untouched);

    CloseResourceArchive();
    EXPECT_EQ(ResourceArchive, nullptr);
    EXPECT_EQ(ResourceArchiveSize, 0u);
}

TEST_F(ArchiveFolder, LooseFilesWithoutArchive)
{
    ASSERT_TRUE(WriteText(dir + "/Loose.tga", "loose"));
    ASSERT_TRUE(WriteText(dir + "/Empty.tga", ""));
    EXPECT_FALSE(OpenResourceArchive()) << "no Data.zux";
    const uint8_t *data = nullptr;
    ASSERT_EQ(LoadResource("Loose.tga", &data), 5u);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(memcmp(data, "loose", 6), 0) << "a private copy ending in 0";
    ReleaseResource(data); // freed: a leak would show under the sanitizer
    const uint8_t *untouched = (const uint8_t *)"sentinel";
    data = untouched;
    EXPECT_EQ(LoadResource("Missing.tga", &data), 0u);
    EXPECT_EQ(LoadResource("Empty.tga", &data), 0u);
    EXPECT_EQ(data, untouched);
    ReleaseResource(nullptr);
}

TEST_F(ArchiveFolder, DamagedArchiveMeansLooseFiles)
{
    ASSERT_TRUE(WriteText(dir + "/Loose.tga", "loose"));
    Bytes directory;
    AddEntry(&directory, "LOOSE.TGA", {1, 2, 3});
    AddEntry(&directory, "END", {});
    Bytes packed = Pack(directory);

    Bytes noEnd(directory.begin(), directory.end() - 36);
    Bytes runsPast = directory;
    runsPast[32] = 100;
    Bytes badDistance = {5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x01};
    std::vector<Bytes> damaged = {Pack(noEnd),
                                  Pack(runsPast),
                                  badDistance,
                                  {0, 0, 0, 0},
                                  Bytes(packed.begin(), packed.end() - 1),
                                  {}};
    for (size_t i = 0; i < damaged.size(); i++) {
        ASSERT_TRUE(WriteBytes(dir + "/Data.zux", damaged[i]));
        EXPECT_FALSE(OpenResourceArchive()) << "case " << i;
        EXPECT_EQ(ResourceArchive, nullptr);
        const uint8_t *data = nullptr;
        EXPECT_EQ(LoadResource("Loose.tga", &data), 5u) << "case " << i;
        ReleaseResource(data);
    }
    ASSERT_TRUE(WriteBytes(dir + "/Data.zux", packed));
    EXPECT_TRUE(OpenResourceArchive());
}

// Runs the built zuxpack; returns its exit status and its error output.
static int RunZuxpack(const std::string &args, std::string *output = nullptr)
{
    std::string cmd = std::string(ZUX_BUILD_DIR) + "/zuxpack " + args + " 2>&1";
    FILE *pipe = popen(cmd.c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[1024];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) text.append(buffer, n);
    int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ArchiveFolder, Zuxpack)
{
    std::string art = dir + "/art", more = dir + "/more", out = dir + "/out";
    std::filesystem::create_directories(art + "/sub");
    std::filesystem::create_directories(more);
    Bytes picture = MixedData(5000, 9, 1000);
    ASSERT_TRUE(WriteBytes(art + "/b.tga", picture));
    ASSERT_TRUE(WriteText(art + "/A.wav", "RIFF"));
    ASSERT_TRUE(WriteText(art + "/sub/skipped.tga", "x"));
    ASSERT_TRUE(WriteText(more + "/Extra.tga", "extra"));

    std::string text;
    ASSERT_EQ(RunZuxpack("pack " + dir + "/Data.zux " + art + " " + more + "/Extra.tga", &text), 0)
        << text;
    EXPECT_EQ(RunZuxpack("list " + dir + "/Data.zux", &text), 0);
    EXPECT_EQ(text, "A.WAV 4\nB.TGA 5000\nEXTRA.TGA 5\n");
    ASSERT_TRUE(OpenResourceArchive());
    const uint8_t *data = nullptr;
    ASSERT_EQ(LoadResource("b.tga", &data), 5000u);
    EXPECT_EQ(memcmp(data, picture.data(), picture.size()), 0);
    CloseResourceArchive();

    ASSERT_EQ(RunZuxpack("unpack " + dir + "/Data.zux " + out, &text), 0) << text;
    EXPECT_TRUE(ReadBytes(out + "/B.TGA") == picture);
    EXPECT_TRUE(ReadBytes(out + "/EXTRA.TGA") == Bytes({'e', 'x', 't', 'r', 'a'}));

    ASSERT_EQ(RunZuxpack("compress " + art + "/b.tga " + dir + "/b.z", &text), 0) << text;
    EXPECT_TRUE(ReadBytes(dir + "/b.z") == Pack(picture));
    ASSERT_EQ(RunZuxpack("decompress " + dir + "/b.z " + dir + "/b.back", &text), 0) << text;
    EXPECT_TRUE(ReadBytes(dir + "/b.back") == picture);

    // Errors: one line naming the file; bad usage: status 2.
    ASSERT_TRUE(WriteText(more + "/" + std::string(32, 'n'), "x"));
    EXPECT_EQ(RunZuxpack("pack " + dir + "/x.zux " + more, &text), 1);
    EXPECT_NE(text.find(std::string(32, 'n')), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    ASSERT_TRUE(WriteText(more + "/A.WAV", "x"));
    EXPECT_EQ(RunZuxpack("pack " + dir + "/x.zux " + art + " " + more + "/A.WAV", &text), 1);
    EXPECT_EQ(RunZuxpack("pack " + dir + "/x.zux " + dir + "/nothing.tga", &text), 1);
    EXPECT_NE(text.find("nothing.tga"), std::string::npos) << text;
    ASSERT_TRUE(WriteBytes(dir + "/bad.z", {5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x01}));
    EXPECT_EQ(RunZuxpack("decompress " + dir + "/bad.z " + dir + "/bad.out", &text), 1);
    EXPECT_EQ(RunZuxpack("list " + dir + "/b.z", &text), 1) << "no directory in it";
    EXPECT_EQ(RunZuxpack("", &text), 2);
    EXPECT_EQ(RunZuxpack("pack " + dir + "/x.zux", &text), 2);
    EXPECT_EQ(RunZuxpack("shuffle a b", &text), 2);
}
