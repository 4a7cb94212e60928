// The packed archive: the packer's exact bytes, round trips, the unpacker's
// refusal of damaged streams, lookups by name and the zuxpack tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

#include "platform/headless/headless.h"
#include "res/archive.h"
#include "tests/test_util.h"

static Bytes Pack(const Bytes &in)
{
    Bytes out(PackedBound((uint32_t)in.size()));
    out.resize(PackArchive(in.data(), (uint32_t)in.size(), out.data()));
    return out;
}

// Unpacks from a block holding exactly the stream's bytes, so a read past them
// is caught; checks the four bytes after U stay untouched.
static bool Unpack(const Bytes &packed, Bytes *out = nullptr)
{
    std::unique_ptr<uint8_t[]> exact(new uint8_t[packed.size() + !packed.size()]);
    std::copy(packed.begin(), packed.end(), exact.get());
    uint32_t size = PackedSize(exact.get(), (uint32_t)packed.size());
    Bytes block((size_t)size + 4, 0xA5);
    bool ok = UnpackArchive(exact.get(), (uint32_t)packed.size(), block.data());
    EXPECT_EQ(Bytes(block.begin() + size, block.end()), Bytes(4, 0xA5)) << "written past U";
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
        place[k] = (uint32_t)byKey[in[k] << 8 | in[k + 1]].size();
        byKey[in[k] << 8 | in[k + 1]].push_back(k);
    }
    struct Group {
        std::vector<uint32_t> length, distance;
        uint32_t covered = 0;
        bool end = false;
    };
    // Up to 30 items from q in mode d: the longest, nearest-first match within its window.
    auto trial = [&](uint32_t q, int d) {
        Group g;
        uint32_t window = 16384u >> d, longest = (4u << d) + 2, start = q;
        while (g.length.size() < 30 && q < n) {
            uint32_t allowed = std::min(longest, n - q), best = 0, bestPos = 0;
            const std::vector<uint32_t> &list = byKey[in[q] << 8 | in[std::min(q + 1, n - 1)]];
            for (uint32_t i = allowed > 2 ? place[q] : 0; i-- > 0 && list[i] + window >= q;) {
                uint32_t c = list[i], length = 0;
                if (in[c + 2] == in[q + 2])
                    for (length = 3; length < allowed && in[c + length] == in[q + length];)
                        length++;
                if (length > best) best = length, bestPos = c;
                if (best == allowed) break;
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
        // Mode 3 first; the narrower modes are tried only while the wider cover little.
        Group g[4];
        int mode = 3, best = 3;
        g[3] = trial(p, 3);
        if (!g[3].end && g[3].covered <= 540) {
            g[2] = trial(p, 2);
            best = g[2].covered > g[3].covered ? 2 : 3;
            if (g[2].end || g[best].covered > 300) {
                mode = g[2].end ? 2 : best;
            } else {
                g[1] = trial(p, 1);
                if (g[1].covered > g[best].covered) best = 1;
                if (g[1].end || g[best].covered > 180) {
                    mode = g[1].end ? 1 : best;
                } else {
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
            out.insert(out.end(), {(uint8_t)(code >> 8), (uint8_t)code});
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
    Bytes distinct, expect = {40, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 40; i++) distinct.push_back((uint8_t)i);
    expect.insert(expect.end(), distinct.begin(), distinct.begin() + 30);
    expect.insert(expect.end(), {0, 0, 0, 3});
    expect.insert(expect.end(), distinct.begin() + 30, distinct.end());
    EXPECT_EQ(Pack(distinct), expect);

    // A hundred 'a' and thirty different bytes: mode 3 covers 126 bytes (a
    // literal, matches of 34, 34 and 31 at distance 1, 26 literals), mode 2
    // 123, mode 1 119, mode 0 112: mode 3 after all four trials.
    Bytes run(100, 'a');
    run.insert(run.end(), distinct.begin(), distinct.begin() + 30);
    expect = {130, 0, 0, 0, 0x70, 0, 0, 3, 'a', 0xF8, 0x00, 0xF8, 0x00, 0xE0, 0x00};
    expect.insert(expect.end(), distinct.begin(), distinct.begin() + 26);
    expect.insert(expect.end(), {0, 0, 0, 3, 26, 27, 28, 29});
    EXPECT_EQ(Pack(run), expect);
}

TEST(ArchivePack, RoundTripsAndAgreesWithPlainPacker)
{
    EXPECT_FALSE(Unpack(Pack({}))) << "an empty stream is no archive";
    std::vector<Bytes> inputs = {Bytes(31, 0), MixedData(100000, 11, 20000),
                                 // Past 32 kB the ring's oldest positions give way.
                                 MixedData(300000, 12, 100000), Bytes(70000, 0x55)};
    for (size_t size : {1, 2, 3, 29, 30, 31, 61}) inputs.push_back(MixedData(size, 7 + size, 64));
    int modes[4] = {0, 0, 0, 0};
    for (const Bytes &in : inputs) {
        SCOPED_TRACE("input of " + std::to_string(in.size()) + " bytes");
        Bytes packed = Pack(in), out;
        EXPECT_LE(packed.size(), PackedBound((uint32_t)in.size()));
        EXPECT_TRUE(packed == ReferencePack(in, modes));
        EXPECT_TRUE(Unpack(packed, &out));
        EXPECT_TRUE(out == in);
    }
    // The mixed data must have driven every branch of the mode choice.
    for (int mode = 0; mode < 4; mode++) EXPECT_GT(modes[mode], 0) << "mode " << mode;

    // A megabyte packs in well under five seconds (no search gone quadratic).
    Bytes big = MixedData(1 << 20, 3, 30000), out(PackedBound(1 << 20));
    clock_t start = clock();
    ASSERT_NE(PackArchive(big.data(), (uint32_t)big.size(), out.data()), 0u);
    EXPECT_LT((double)(clock() - start) / CLOCKS_PER_SEC, 5.0);
}

TEST(ArchiveUnpack, HandBuiltAndMalformedStreams)
{
    const struct {
        const char *what;
        Bytes stream, result; // result empty: refused
    } cases[] = {
        // A literal, then distance 1 and length 34 in mode 3; the flag word marks
        // later items as matches, but the stream ends at U.
        {"a run", {35, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 'x', 0xF8, 0x00}, Bytes(35, 'x')},
        // Mode 1 (3 bits of length): six literals, then length 4 from distance 6;
        // byte 3 of the header is ignored.
        {"mode 1",
         {10, 0, 0, 0x99, 0x02, 0, 0, 0x01, 1, 2, 3, 4, 5, 6, 0x20, 0x05},
         {1, 2, 3, 4, 5, 6, 1, 2, 3, 4}},
        {"a match reaching U exactly", {4, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0, 0}, Bytes(4, 'a')},
        {"U = 0", {0, 0, 0, 0, 0, 0, 0, 3, 'a'}, {}},
        {"shorter than its header", {5, 0, 0}, {}},
        {"a match before anything was written", {3, 0, 0, 0, 0x80, 0, 0, 3, 0, 0}, {}},
        {"a match reaching before the start", {5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0, 1}, {}},
        {"a match carrying the output past U", {3, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0, 0}, {}},
    };
    for (const auto &c : cases) {
        Bytes out;
        EXPECT_EQ(Unpack(c.stream, &out), !c.result.empty()) << c.what;
        EXPECT_TRUE(c.result.empty() || out == c.result) << c.what;
    }
    // A flag word cut short between groups.
    Bytes thirty = {31, 0, 0, 0, 0, 0, 0, 3};
    thirty.insert(thirty.end(), 30, 'q');
    thirty.insert(thirty.end(), {0, 0});
    EXPECT_FALSE(Unpack(thirty));

    // Every cut of a valid stream short of its end is refused; bytes after its
    // end are never looked at.
    Bytes in = MixedData(200, 5, 50);
    in.insert(in.end(), 40, 'z');
    Bytes packed = Pack(in);
    for (size_t cut = 0; cut <= packed.size() + 3; cut++) {
        Bytes stream(packed.begin(), packed.begin() + std::min(cut, packed.size())), out;
        stream.resize(cut, 0xFF);
        bool ok = Unpack(stream, &out);
        EXPECT_EQ(ok, cut >= packed.size()) << "cut at " << cut;
        EXPECT_TRUE(!ok || out == in);
    }
}

// An unpacked directory entry.
static Bytes Entry(const std::string &name, const Bytes &data)
{
    Bytes e(ArchiveEntryHeader, 0);
    std::copy(name.begin(), name.begin() + std::min<size_t>(name.size(), 32), e.begin());
    PutLeWord(e, 32, (int32_t)data.size());
    e.insert(e.end(), data.begin(), data.end());
    return e;
}
static Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
static bool Valid(const Bytes &dir)
{
    return ArchiveDirectoryValid(dir.data(), (uint32_t)dir.size());
}

TEST(ArchiveDirectory, Validity)
{
    Bytes open = Entry("A.TGA", {1, 2, 3}) + Entry("B.WAV", {}), closed = open + Entry("END", {});
    EXPECT_TRUE(Valid(closed));
    EXPECT_FALSE(Valid(open)) << "no END";
    EXPECT_FALSE(ArchiveDirectoryValid(closed.data(), 0));
    Bytes nameOnly = open + Bytes{'E', 'N', 'D'} + Bytes(29, 0);
    EXPECT_TRUE(Valid(nameOnly)) << "only the closing entry's name is read";
    nameOnly.pop_back();
    EXPECT_FALSE(Valid(nameOnly)) << "closing name field cut short";
    for (int32_t size : {200, -1}) { // A.TGA's size runs past the end
        Bytes past = closed;
        PutLeWord(past, 32, size);
        EXPECT_FALSE(Valid(past)) << size;
    }
    EXPECT_FALSE(Valid(Bytes(32, 'X') + Bytes(4, 0) + Entry("END", {})))
        << "a name must end inside its field";
}

// Loose files and "Data.zux" in a temporary program folder.
struct ArchiveFolder : testing::Test {
    TempFolder folder;
    std::string dir = folder.dir;
    void SetUp() override { CloseResourceArchive(); }
    void TearDown() override { CloseResourceArchive(); }
};

TEST_F(ArchiveFolder, LookupByName)
{
    Bytes directory = Entry("SKIN1ITEM1.TGA", {1, 2, 3, 4}) + Entry("SCLICK.WAV", {9, 9}) +
                      Entry("EMPTY.TGA", {}) + Entry(std::string(31, 'L'), {7}) + Entry("END", {}) +
                      Entry("AFTER.TGA", {5}); // beyond the end: never seen
    ASSERT_TRUE(WriteBytes(dir + "/Data.zux", Pack(directory)));
    ASSERT_TRUE(WriteText(dir + "/sclick.wav", "loose"));
    ASSERT_TRUE(WriteText(dir + "/Loose.tga", "loose"));
    ASSERT_TRUE(OpenResourceArchive());
    EXPECT_EQ(ResourceArchiveSize, directory.size());

    const uint8_t *data = nullptr, *again = nullptr;
    EXPECT_EQ(LoadResource("Skin1Item1.tga", &data), 4u);
    EXPECT_EQ(data, ResourceArchive + 36);
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
    for (const std::string &missing :
         std::vector<std::string>{"Loose.tga", "END", "end", "SKIN1", "AFTER.TGA", "EMPTY.TGA", "",
                                  std::string(32, 'L')}) {
        EXPECT_EQ(LoadResource(missing.c_str(), &data), 0u) << missing;
        EXPECT_EQ(data, untouched) << missing;
    }
    CloseResourceArchive();
    EXPECT_TRUE(ResourceArchive == nullptr && ResourceArchiveSize == 0);
}

TEST_F(ArchiveFolder, MissingOrDamagedArchiveMeansLooseFiles)
{
    ASSERT_TRUE(WriteText(dir + "/Loose.tga", "loose"));
    ASSERT_TRUE(WriteText(dir + "/Empty.tga", ""));
    EXPECT_FALSE(OpenResourceArchive()) << "no Data.zux";
    const uint8_t *data = nullptr, *untouched = (const uint8_t *)"sentinel";
    ASSERT_EQ(LoadResource("Loose.tga", &data), 5u);
    EXPECT_EQ(memcmp(data, "loose", 6), 0) << "a private copy ending in 0";
    ReleaseResource(data); // freed: a leak would show under the sanitizer
    data = untouched;
    EXPECT_EQ(LoadResource("Missing.tga", &data), 0u);
    EXPECT_EQ(LoadResource("Empty.tga", &data), 0u);
    EXPECT_EQ(data, untouched);
    ReleaseResource(nullptr);

    Bytes directory = Entry("LOOSE.TGA", {1, 2, 3}) + Entry("END", {}), runsPast = directory;
    PutLeWord(runsPast, 32, 100);
    Bytes packed = Pack(directory);
    const Bytes damaged[] = {Pack(Bytes(directory.begin(), directory.end() - 36)),
                             Pack(runsPast),
                             {5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x01},
                             {0, 0, 0, 0},
                             Bytes(packed.begin(), packed.end() - 1),
                             {}};
    for (const Bytes &d : damaged) {
        ASSERT_TRUE(WriteBytes(dir + "/Data.zux", d));
        EXPECT_FALSE(OpenResourceArchive()) << d.size();
        EXPECT_EQ(ResourceArchive, nullptr);
        EXPECT_EQ(LoadResource("Loose.tga", &data), 5u) << d.size();
        ReleaseResource(data);
    }
    ASSERT_TRUE(WriteBytes(dir + "/Data.zux", packed));
    EXPECT_TRUE(OpenResourceArchive());
}

TEST_F(ArchiveFolder, Zuxpack)
{
    std::string art = dir + "/art", more = dir + "/more", out = dir + "/out", text;
    std::filesystem::create_directories(art + "/sub");
    std::filesystem::create_directories(more);
    Bytes picture = MixedData(5000, 9, 1000);
    ASSERT_TRUE(WriteBytes(art + "/b.tga", picture));
    ASSERT_TRUE(WriteText(art + "/A.wav", "RIFF"));
    ASSERT_TRUE(WriteText(art + "/sub/skipped.tga", "x"));
    ASSERT_TRUE(WriteText(more + "/Extra.tga", "extra"));
    auto zuxpack = [&](const std::string &args) { return RunTool("zuxpack", args, &text); };

    ASSERT_EQ(zuxpack("pack " + dir + "/Data.zux " + art + " " + more + "/Extra.tga"), 0) << text;
    EXPECT_EQ(zuxpack("list " + dir + "/Data.zux"), 0);
    EXPECT_EQ(text, "A.WAV 4\nB.TGA 5000\nEXTRA.TGA 5\n");
    ASSERT_TRUE(OpenResourceArchive());
    const uint8_t *data = nullptr;
    ASSERT_EQ(LoadResource("b.tga", &data), 5000u);
    EXPECT_EQ(memcmp(data, picture.data(), picture.size()), 0);
    ASSERT_EQ(zuxpack("unpack " + dir + "/Data.zux " + out), 0) << text;
    EXPECT_TRUE(ReadBytes(out + "/B.TGA") == picture);
    EXPECT_TRUE(ReadBytes(out + "/EXTRA.TGA") == Bytes({'e', 'x', 't', 'r', 'a'}));
    ASSERT_EQ(zuxpack("compress " + art + "/b.tga " + dir + "/b.z"), 0) << text;
    EXPECT_TRUE(ReadBytes(dir + "/b.z") == Pack(picture));
    ASSERT_EQ(zuxpack("decompress " + dir + "/b.z " + dir + "/b.back"), 0) << text;
    EXPECT_TRUE(ReadBytes(dir + "/b.back") == picture);

    // Errors: status 1 and one line naming the file; bad usage: status 2.
    ASSERT_TRUE(WriteText(more + "/" + std::string(32, 'n'), "x"));
    EXPECT_EQ(zuxpack("pack " + dir + "/x.zux " + more), 1);
    EXPECT_NE(text.find(std::string(32, 'n')), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(zuxpack("pack " + dir + "/x.zux " + dir + "/nothing.tga"), 1);
    EXPECT_NE(text.find("nothing.tga"), std::string::npos) << text;
    ASSERT_TRUE(WriteText(more + "/A.WAV", "x"));
    ASSERT_TRUE(WriteBytes(dir + "/bad.z", {5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x01}));
    for (std::string args : {"pack " + dir + "/x.zux " + art + " " + more + "/A.WAV", // twice A.WAV
                             "decompress " + dir + "/bad.z " + dir + "/bad.out",
                             "list " + dir + "/b.z"}) // no directory in it
        EXPECT_EQ(zuxpack(args), 1) << args;
    for (std::string args : {std::string(), "pack " + dir + "/x.zux", std::string("shuffle a b")})
        EXPECT_EQ(zuxpack(args), 2) << args;
}
