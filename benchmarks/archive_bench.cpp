// The archive at its real size: unpacking the generated "Data.zux" as start-up
// does, and packing the whole unpacked resource set as the build does, its
// size set beside gzip -9 of the same bytes.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <vector>

#include "benchmarks/bench_report.h"
#include "res/archive.h"

static std::string PackedData(benchmark::State &state)
{
    std::string packed = BenchReadFile(BenchDataFile());
    if (PackedSize((const uint8_t *)packed.data(), (uint32_t)packed.size()) == 0)
        state.SkipWithError("no generated Data.zux beside the programs");
    return packed;
}

static void UnpackData(benchmark::State &state)
{
    std::string packed = PackedData(state);
    const uint8_t *in = (const uint8_t *)packed.data();
    uint32_t length = (uint32_t)packed.size();
    uint32_t size = PackedSize(in, length);
    std::vector<uint8_t> out((size_t)size + 4);
    for (auto _ : state) {
        if (!UnpackArchive(in, length, out.data())) {
            state.SkipWithError("Data.zux does not unpack");
            break;
        }
        benchmark::ClobberMemory();
    }
    // Throughput counts the bytes made, as start-up waits for all of them.
    state.SetBytesProcessed((int64_t)state.iterations() * size);
}
BENCHMARK(UnpackData)->Name("UnpackArchive")->Unit(benchmark::kMillisecond);

// The size gzip -9 makes of bytes; 0 when gzip cannot be run.
static double GzipSize(const std::vector<uint8_t> &bytes)
{
    std::string path = BenchFolder() + "/unpacked.bin";
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return 0;
    bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (fclose(f) != 0 || !written) return 0;
    std::string command = "command -v gzip >/dev/null 2>&1 && gzip -9 -c '" + path + "'";
    FILE *p = popen(command.c_str(), "r");
    if (!p) return 0;
    char buf[65536];
    size_t n, total = 0;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0) total += n;
    int status = pclose(p);
    remove(path.c_str());
    return status == 0 ? (double)total : 0;
}

static void PackResourceSet(benchmark::State &state)
{
    std::string packed = PackedData(state);
    uint32_t size = PackedSize((const uint8_t *)packed.data(), (uint32_t)packed.size());
    std::vector<uint8_t> unpacked((size_t)size + 4);
    if (size &&
        !UnpackArchive((const uint8_t *)packed.data(), (uint32_t)packed.size(), unpacked.data()))
        state.SkipWithError("Data.zux does not unpack");
    unpacked.resize(size);
    std::vector<uint8_t> out(PackedBound(size));
    uint32_t length = 0;
    for (auto _ : state) {
        length = PackArchive(unpacked.data(), size, out.data());
        benchmark::DoNotOptimize(length);
    }
    state.counters["InputBytes"] = size;
    state.counters["PackedBytes"] = length;
    double gzip = GzipSize(unpacked);
    if (gzip > 0) state.counters["GzipBytes"] = gzip;
}
BENCHMARK(PackResourceSet)->Name("PackArchive")->Unit(benchmark::kMillisecond);
