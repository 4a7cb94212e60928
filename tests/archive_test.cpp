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

static Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ArchivePack, ExactBytesAndRoundTrips)
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
    Bytes first30(distinct.begin(), distinct.begin() + 30),
        last10(distinct.begin() + 30, distinct.end());
    EXPECT_EQ(Pack(distinct),
              (Bytes({40, 0, 0, 0, 0, 0, 0, 0}) + first30 + Bytes{0, 0, 0, 3} + last10));
    // A hundred 'a' and thirty different bytes: mode 3 covers 126 bytes (a
    // literal, matches of 34, 34 and 31 at distance 1, 26 literals), mode 2
    // 123, mode 1 119, mode 0 112: mode 3 after all four trials.
    EXPECT_EQ(Pack(Bytes(100, 'a') + first30),
              (Bytes({130, 0, 0, 0, 0x70, 0, 0, 3, 'a', 0xF8, 0x00, 0xF8, 0x00, 0xE0, 0x00}) +
               Bytes(distinct.begin(), distinct.begin() + 26) + Bytes{0, 0, 0, 3, 26, 27, 28, 29}));

    EXPECT_FALSE(Unpack(Pack({}))) << "an empty stream is no archive";
    std::vector<Bytes> inputs = {Bytes(31, 0), MixedData(100000, 11, 20000),
                                 // Past 32 kB the ring's oldest positions give way.
                                 MixedData(300000, 12, 100000), Bytes(70000, 0x55)};
    for (size_t size : {1, 2, 3, 29, 30, 31, 61}) inputs.push_back(MixedData(size, 7 + size, 64));
    // The first four pack to the bytes a plain second packer, written from the
    // rules with a growing list per key instead of the ring, gave when this was
    // written (their FNV-1a hashes); the mixed data drives every mode.
    const uint64_t hashes[] = {0xd44c5799f1e41a45, 0xdbceaf474dc3da05, 0x04f4bcb465006443,
                               0x6fccf696305cde71};
    for (const Bytes &in : inputs) {
        Bytes packed = Pack(in), out;
        uint64_t h = 14695981039346656037ull;
        for (uint8_t b : packed) h = (h ^ b) * 1099511628211ull;
        size_t i = &in - inputs.data();
        EXPECT_TRUE(i >= 4 || h == hashes[i]) << in.size();
        EXPECT_LE(packed.size(), PackedBound((uint32_t)in.size())) << in.size();
        EXPECT_TRUE(Unpack(packed, &out) && out == in) << in.size();
    }
    // A megabyte packs in well under five seconds (no search gone quadratic).
    Bytes big = MixedData(1 << 20, 3, 30000), out(PackedBound(1 << 20));
    clock_t start = clock();
    ASSERT_NE(PackArchive(big.data(), (uint32_t)big.size(), out.data()), 0u);
    EXPECT_LT((double)(clock() - start) / CLOCKS_PER_SEC, 5.0);
}

TEST(ArchiveUnpack, HandBuiltAndMalformedStreamsAndDirectories)
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
        {"a flag word cut short",
         Bytes{31, 0, 0, 0, 0, 0, 0, 3} + Bytes(30, 'q') + Bytes{0, 0},
         {}},
    };
    for (const auto &c : cases) {
        Bytes out;
        EXPECT_EQ(Unpack(c.stream, &out), !c.result.empty()) << c.what;
        EXPECT_TRUE(c.result.empty() || out == c.result) << c.what;
    }
    // Every cut of a valid stream short of its end is refused; bytes after its
    // end are never looked at.
    Bytes in = MixedData(200, 5, 50) + Bytes(40, 'z'), packed = Pack(in);
    for (size_t cut = 0; cut <= packed.size() + 3; cut++) {
        Bytes stream(packed.begin(), packed.begin() + std::min(cut, packed.size())), out;
        stream.resize(cut, 0xFF);
        bool ok = Unpack(stream, &out);
        EXPECT_EQ(ok, cut >= packed.size()) << "cut at " << cut;
        EXPECT_TRUE(!ok || out == in);
    }

    // Directories: only the closing entry's name is read; a size running past
    // the end, a missing END or a name that does not end inside its field is refused.
    auto Valid = [](const Bytes &dir) {
        return ArchiveDirectoryValid(dir.data(), (uint32_t)dir.size());
    };
    Bytes open = EntryBytes("A.TGA", {1, 2, 3}) + EntryBytes("B.WAV", {});
    Bytes closed = open + EntryBytes("END", {}),
          nameOnly = open + Bytes{'E', 'N', 'D'} + Bytes(29, 0);
    EXPECT_TRUE(Valid(closed) && Valid(nameOnly));
    nameOnly.pop_back();
    EXPECT_FALSE(Valid(open) || Valid(nameOnly) || ArchiveDirectoryValid(closed.data(), 0));
    for (int32_t size : {200, -1}) {
        Bytes past = closed;
        PutLeWord(past, 32, size);
        EXPECT_FALSE(Valid(past)) << size;
    }
    EXPECT_FALSE(Valid(Bytes(32, 'X') + Bytes(4, 0) + EntryBytes("END", {})));
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
    Bytes directory = EntryBytes("SKIN1ITEM1.TGA", {1, 2, 3, 4}) +
                      EntryBytes("SCLICK.WAV", {9, 9}) + EntryBytes("EMPTY.TGA", {}) +
                      EntryBytes(std::string(31, 'L'), {7}) + EntryBytes("END", {}) +
                      EntryBytes("AFTER.TGA", {5}); // beyond the end: never seen
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

    Bytes directory = EntryBytes("LOOSE.TGA", {1, 2, 3}) + EntryBytes("END", {}),
          runsPast = directory;
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
    std::string art = dir + "/art", out = dir + "/out", text;
    std::filesystem::create_directories(art + "/sub");
    Bytes picture = MixedData(5000, 9, 1000);
    ASSERT_TRUE(WriteBytes(art + "/b.tga", picture));
    ASSERT_TRUE(WriteText(art + "/A.wav", "RIFF"));
    ASSERT_TRUE(WriteText(art + "/sub/skipped.tga", "x"));
    ASSERT_TRUE(WriteText(dir + "/Extra.tga", "extra"));
    auto zuxpack = [&](const std::string &args) { return RunTool("zuxpack", args, &text); };
    // A folder adds its own files, a file itself; the game reads the archive.
    ASSERT_EQ(zuxpack("pack " + dir + "/Data.zux " + art + " " + dir + "/Extra.tga"), 0) << text;
    EXPECT_EQ(zuxpack("list " + dir + "/Data.zux"), 0);
    EXPECT_EQ(text, "A.WAV 4\nB.TGA 5000\nEXTRA.TGA 5\n");
    ASSERT_TRUE(OpenResourceArchive());
    const uint8_t *data = nullptr;
    ASSERT_EQ(LoadResource("b.tga", &data), 5000u);
    EXPECT_EQ(memcmp(data, picture.data(), picture.size()), 0);
    ASSERT_EQ(zuxpack("unpack " + dir + "/Data.zux " + out), 0) << text;
    EXPECT_TRUE(ReadBytes(out + "/B.TGA") == picture);
    ASSERT_EQ(zuxpack("compress " + art + "/b.tga " + dir + "/b.z"), 0) << text;
    EXPECT_TRUE(ReadBytes(dir + "/b.z") == Pack(picture));
    ASSERT_EQ(zuxpack("decompress " + dir + "/b.z " + dir + "/b.back"), 0) << text;
    EXPECT_TRUE(ReadBytes(dir + "/b.back") == picture);

    // Errors: status 1 and one line naming the file; bad usage: status 2.
    ASSERT_TRUE(WriteText(art + "/" + std::string(32, 'n'), "x"));
    EXPECT_EQ(zuxpack("pack " + dir + "/x.zux " + art), 1);
    EXPECT_TRUE(text.find(std::string(32, 'n')) != std::string::npos &&
                std::count(text.begin(), text.end(), '\n') == 1)
        << text;
    ASSERT_TRUE(WriteBytes(dir + "/bad.z", {5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x01}));
    std::filesystem::remove(art + "/" + std::string(32, 'n'));
    ASSERT_TRUE(WriteText(dir + "/A.WAV", "x"));
    for (std::string args :
         {"pack " + dir + "/x.zux " + art + " " + dir + "/A.WAV", // A.WAV twice
          "pack " + dir + "/x.zux " + dir + "/nothing.tga",
          "decompress " + dir + "/bad.z " + dir + "/bad.out", "list " + dir + "/b.z"})
        EXPECT_EQ(zuxpack(args), 1) << args;
    for (std::string args : {std::string(), "pack " + dir + "/x.zux", std::string("shuffle a b")})
        EXPECT_EQ(zuxpack(args), 2) << args;
}
