// The packed archive: the packer's exact bytes, round trips, the unpacker's
// refusal of damaged streams, lookups by name and the zuxpack tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "res/archive.h"
#include "tests/test_util.h"

static Bytes Pack(const Bytes &in)
{
    Bytes out(PackedBound((uint32_t)in.size()));
    out.resize(PackArchive(in.data(), (uint32_t)in.size(), out.data()));
    return out;
}

// Unpacks from a copy holding exactly the stream's bytes, so a read past them
// is caught; the four bytes after U must stay untouched.
static bool Unpack(const Bytes &packed, Bytes *out = nullptr)
{
    Bytes exact = packed, block(PackedSize(exact.data(), (uint32_t)exact.size()) + 4, 0xA5);
    bool ok = UnpackArchive(exact.data(), (uint32_t)exact.size(), block.data());
    EXPECT_EQ(Bytes(block.end() - 4, block.end()), Bytes(4, 0xA5)) << "written past U";
    block.resize(block.size() - 4);
    if (out) *out = block;
    return ok;
}

// Runs of one byte, wide and narrow noise, and copies from near and far.
static Bytes MixedData(size_t size, uint32_t seed, size_t farthest)
{
    auto next = [&seed](uint32_t range) {
        return ((seed = seed * 1103515245u + 12345u) >> 16) % range;
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

static Bytes operator+(Bytes a, const Bytes &b) { return a.insert(a.end(), b.begin(), b.end()), a; }

TEST(ArchivePack, ExactBytesAndRoundTrips)
{
    Bytes d; // 0, 1, ..., 39
    for (int i = 0; i < 40; i++) d.push_back((uint8_t)i);
    auto Part = [&d](int from, int to) { return Bytes(d.begin() + from, d.begin() + to); };
    // Forty different: each mode covers 30 literals, a tie goes to mode 0. 100 'a'
    // and 30 more: mode 3 covers 126 bytes (a literal, matches of 34, 34 and 31 at
    // distance 1, 26 literals), mode 2 123, mode 1 119, mode 0 112.
    const std::pair<Bytes, Bytes> exact[] = {
        {{}, {0, 0, 0, 0}},
        {{0x41, 0x42}, {2, 0, 0, 0, 0, 0, 0, 3, 0x41, 0x42}},
        {Bytes(10, 'a'), {10, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x30, 0x00}},
        {d, Bytes{40, 0, 0, 0, 0, 0, 0, 0} + Part(0, 30) + Bytes{0, 0, 0, 3} + Part(30, 40)},
        {Bytes(100, 'a') + Part(0, 30),
         Bytes{130, 0, 0, 0, 0x70, 0, 0, 3, 'a', 0xF8, 0x00, 0xF8, 0x00, 0xE0, 0x00} + Part(0, 26) +
             Bytes{0, 0, 0, 3} + Part(26, 30)}};
    for (const auto &[in, packed] : exact) EXPECT_EQ(Pack(in), packed) << in.size();
    // The first four's FNV-1a hashes are those of a plain second packer with a
    // growing list per key instead of the ring (past 32 kB the ring gives way).
    std::vector<Bytes> inputs = {Bytes(31, 0), MixedData(100000, 11, 20000),
                                 MixedData(300000, 12, 100000), Bytes(70000, 0x55)};
    const uint64_t hashes[] = {0xd44c5799f1e41a45, 0xdbceaf474dc3da05, 0x04f4bcb465006443,
                               0x6fccf696305cde71};
    for (size_t size : {1, 2, 3, 29, 30, 31, 61}) inputs.push_back(MixedData(size, 7 + size, 64));
    for (const Bytes &in : inputs) {
        Bytes packed = Pack(in), out;
        uint64_t h = 14695981039346656037ull;
        for (uint8_t b : packed) h = (h ^ b) * 1099511628211ull;
        size_t i = &in - inputs.data();
        EXPECT_TRUE(i >= 4 || h == hashes[i]) << in.size();
        EXPECT_LE(packed.size(), PackedBound((uint32_t)in.size())) << in.size();
        EXPECT_TRUE(Unpack(packed, &out)) << in.size();
        EXPECT_TRUE(out == in) << in.size();
    }
    // A megabyte packs in well under five seconds (no search gone quadratic).
    clock_t start = clock();
    EXPECT_FALSE(Pack(MixedData(1 << 20, 3, 30000)).empty());
    EXPECT_LT((double)(clock() - start) / CLOCKS_PER_SEC, 5.0);
}

TEST(ArchiveUnpack, HandBuiltAndMalformedStreamsAndDirectories)
{
    // A run of 34 at distance 1 ending at U though the flags mark more matches;
    // mode 1 (header byte 3 ignored): length 4 from distance 6; a match ending at U.
    const std::pair<Bytes, Bytes> cases[] = {
        {{35, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 'x', 0xF8, 0x00}, Bytes(35, 'x')},
        {{10, 0, 0, 0x99, 0x02, 0, 0, 0x01, 1, 2, 3, 4, 5, 6, 0x20, 0x05},
         {1, 2, 3, 4, 5, 6, 1, 2, 3, 4}},
        {{4, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0, 0}, Bytes(4, 'a')}};
    for (const auto &[stream, result] : cases) {
        Bytes out;
        EXPECT_TRUE(Unpack(stream, &out)) << result.size();
        EXPECT_TRUE(out == result) << result.size();
    }
    // U = 0, a cut header, matches before anything, before the start, past U; cut flags.
    for (const Bytes &s :
         {Bytes{0, 0, 0, 0, 0, 0, 0, 3, 'a'}, Bytes{5, 0, 0},
          Bytes{3, 0, 0, 0, 0x80, 0, 0, 3, 0, 0}, Bytes{5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0, 1},
          Bytes{3, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0, 0},
          Bytes{31, 0, 0, 0, 0, 0, 0, 3} + Bytes(30, 'q') + Bytes{0, 0}})
        EXPECT_FALSE(Unpack(s)) << s.size();
    // Every cut short of the end is refused; bytes after the end are never read.
    Bytes in = MixedData(200, 5, 50) + Bytes(40, 'z'), packed = Pack(in);
    for (size_t cut = 0; cut <= packed.size() + 3; cut++) {
        Bytes stream(packed.begin(), packed.begin() + std::min(cut, packed.size())), out;
        stream.resize(cut, 0xFF);
        bool ok = Unpack(stream, &out);
        EXPECT_TRUE(ok == (cut >= packed.size())) << "cut at " << cut;
        EXPECT_TRUE(!ok || out == in) << "cut at " << cut;
    }

    // Only END's name is read; sizes past the end, no END or an unended name: refused.
    auto Valid = [](const Bytes &dir) {
        return ArchiveDirectoryValid(dir.data(), (uint32_t)dir.size());
    };
    Bytes open = EntryBytes("A.TGA", {1, 2, 3}) + EntryBytes("B.WAV", {}),
          closed = open + EntryBytes("END", {}),
          nameOnly = open + Bytes{'E', 'N', 'D'} + Bytes(29, 0), past = closed, negative = closed;
    PutLeWord(past, 32, 200);
    PutLeWord(negative, 32, -1);
    EXPECT_TRUE(Valid(closed));
    EXPECT_TRUE(Valid(nameOnly));
    for (const Bytes &bad : {Bytes(nameOnly.begin(), nameOnly.end() - 1), open, past, negative,
                             Bytes(32, 'X') + Bytes(4, 0) + EntryBytes("END", {})})
        EXPECT_FALSE(Valid(bad)) << bad.size();
    EXPECT_FALSE(ArchiveDirectoryValid(closed.data(), 0));
}

// Loose files and "Data.zux" in a temporary program folder.
TEST(ArchiveFolder, LookupByNameAndLooseFilesWhenMissingOrDamaged)
{
    TempFolder t;
    CloseResourceArchive();
    const uint8_t *data = nullptr, *again = nullptr, *untouched = (const uint8_t *)"sentinel";
    auto Write = [&t](const char *name, const Bytes &b) {
        ASSERT_TRUE(WriteBytes(t.Path(name), b));
    };
    Write("Loose.tga", {'l', 'o', 'o', 's', 'e'}), Write("Empty.tga", {});
    EXPECT_FALSE(OpenResourceArchive()) << "no Data.zux";
    ASSERT_EQ(LoadResource("Loose.tga", &data), 5u);
    EXPECT_EQ(memcmp(data, "loose", 6), 0) << "a private copy ending in 0";
    ReleaseResource(data); // freed: a leak would show under the sanitizer
    data = untouched;
    EXPECT_TRUE(LoadResource("Missing.tga", &data) == 0);
    EXPECT_TRUE(LoadResource("Empty.tga", &data) == 0);
    EXPECT_TRUE(data == untouched);
    ReleaseResource(nullptr);
    // Holding nothing, a malformed stream, a directory running past its end.
    Bytes directory = EntryBytes("LOOSE.TGA", {1, 2, 3}) + EntryBytes("END", {}),
          runsPast = directory;
    PutLeWord(runsPast, 32, 100);
    Bytes packed = Pack(directory);
    for (const Bytes &d :
         {Bytes{0, 0, 0, 0}, Bytes(packed.begin(), packed.end() - 1), Pack(runsPast)}) {
        Write("Data.zux", d);
        EXPECT_TRUE(!OpenResourceArchive()) << d.size();
        EXPECT_TRUE(ResourceArchive == nullptr) << d.size();
        EXPECT_EQ(LoadResource("Loose.tga", &data), 5u) << d.size();
        ReleaseResource(data);
    }

    directory = EntryBytes("SKIN1ITEM1.TGA", {1, 2, 3, 4}) + EntryBytes("SCLICK.WAV", {9, 9}) +
                EntryBytes("EMPTY.TGA", {}) + EntryBytes(std::string(31, 'L'), {7}) +
                EntryBytes("END", {}) + EntryBytes("AFTER.TGA", {5}); // beyond the end: never seen
    Write("Data.zux", Pack(directory)), Write("sclick.wav", {1});
    ASSERT_TRUE(OpenResourceArchive());
    EXPECT_EQ(ResourceArchiveSize, directory.size());
    EXPECT_TRUE(LoadResource("Skin1Item1.tga", &data) == 4);
    EXPECT_TRUE(data == ResourceArchive + 36);
    ReleaseResource(data); // borrowed: the archive stays whole
    ASSERT_TRUE(LoadResource("skin1ITEM1.TGA", &again) == 4);
    EXPECT_TRUE(memcmp(again, "\x01\x02\x03\x04", 4) == 0);
    ASSERT_TRUE(LoadResource("sclick.wav", &data) == 2) << "the archive wins over a loose file";
    EXPECT_TRUE(data[0] == 9) << "the archive wins over a loose file";
    EXPECT_EQ(LoadResource(std::string(31, 'l').c_str(), &data), 1u);
    data = untouched;
    for (const std::string &missing :
         std::vector<std::string>{"Loose.tga", "END", "end", "SKIN1", "AFTER.TGA", "EMPTY.TGA", "",
                                  std::string(32, 'L')}) {
        EXPECT_TRUE(LoadResource(missing.c_str(), &data) == 0) << missing;
        EXPECT_TRUE(data == untouched) << missing;
    }
    CloseResourceArchive();
    EXPECT_TRUE(ResourceArchive == nullptr);
    EXPECT_TRUE(ResourceArchiveSize == 0);
}

TEST(ArchiveFolder, Zuxpack)
{
    TempFolder t;
    CloseResourceArchive();
    std::string text, n32(32, 'n');
    Bytes picture = MixedData(5000, 9, 1000);
    // Runs zuxpack with every '%' in args standing for the folder.
    auto zuxpack = [&](std::string args) {
        for (size_t at; (at = args.find('%')) != std::string::npos;)
            args.replace(at, 1, t.dir + "/");
        return RunTool("zuxpack", args, &text);
    };
    for (const char *sub : {"art/sub", "long"}) std::filesystem::create_directories(t.Path(sub));
    ASSERT_TRUE(WriteBytes(t.Path("art/b.tga"), picture));
    ASSERT_TRUE(WriteText(t.Path("art/A.wav"), "RIFF"));
    ASSERT_TRUE(WriteText(t.Path("art/sub/skipped.tga"), "x"));
    ASSERT_TRUE(WriteText(t.Path("Extra.tga"), "extra"));
    // A folder adds its own files, a file itself; the game reads the archive.
    ASSERT_EQ(zuxpack("pack %Data.zux %art %Extra.tga"), 0) << text;
    EXPECT_EQ(zuxpack("list %Data.zux"), 0);
    EXPECT_EQ(text, "A.WAV 4\nB.TGA 5000\nEXTRA.TGA 5\n");
    const uint8_t *data = nullptr;
    ASSERT_TRUE(OpenResourceArchive());
    ASSERT_EQ(LoadResource("b.tga", &data), 5000u);
    EXPECT_EQ(memcmp(data, picture.data(), picture.size()), 0);
    for (const char *args :
         {"unpack %Data.zux %out", "compress %art/b.tga %b.z", "decompress %b.z %b.back"})
        ASSERT_EQ(zuxpack(args), 0) << text;
    EXPECT_TRUE(ReadBytes(t.Path("out/B.TGA")) == picture);
    EXPECT_TRUE(ReadBytes(t.Path("b.back")) == picture);
    EXPECT_EQ(ReadBytes(t.Path("b.z")), Pack(picture));
    // Errors (A.WAV twice, a missing file, a bad stream, no archive, a name too long
    // for its field): status 1 and one line naming the file; bad usage: status 2.
    ASSERT_TRUE(WriteBytes(t.Path("bad.z"), {5, 0, 0, 0, 0x40, 0, 0, 3, 'a', 0x00, 0x01}));
    ASSERT_TRUE(WriteText(t.Path("A.WAV"), "x"));
    ASSERT_TRUE(WriteText(t.Path("long/" + n32), "x"));
    for (const char *args : {"pack %x.zux %art %A.WAV", "pack %x.zux %nothing.tga",
                             "decompress %bad.z %bad.out", "list %b.z", "pack %x.zux %long"}) {
        EXPECT_TRUE(zuxpack(args) == 1) << text;
        EXPECT_TRUE(std::count(text.begin(), text.end(), '\n') == 1) << text;
    }
    EXPECT_NE(text.find(n32), std::string::npos) << text;
    for (const char *args : {"", "pack %x.zux", "shuffle a b"}) EXPECT_EQ(zuxpack(args), 2) << args;
    CloseResourceArchive();
}
