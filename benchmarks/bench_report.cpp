// The benchmark programs' main: runs Google Benchmark with its usual console
// table, then prints every result as a number of plain frame copies measured
// in the same run, with the targets it must meet.
#include "benchmarks/bench_report.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

const char FrameCopyName[] = "FrameCopy";

enum { FramePixels = 240 * 320 };

// The yardstick: what PresentFrame costs at the least, one memcpy of a frame.
static void FrameCopy(benchmark::State &state)
{
    std::vector<uint16_t> from(FramePixels), to(FramePixels);
    for (size_t i = 0; i < from.size(); i++) from[i] = (uint16_t)(i * 2654435761u >> 16);
    for (auto _ : state) {
        memcpy(to.data(), from.data(), FramePixels * sizeof(uint16_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * FramePixels * 2);
}
BENCHMARK(FrameCopy)->Name(FrameCopyName);

// Targets by name prefix: a screen tick may cost 8 frame copies at most,
// start-up 25 ms.
struct Target {
    const char *prefix;
    double maxCopies; // 0: none
    double maxMs;     // 0: none
};

static const Target Targets[] = {
    {"Screen/", 8, 0},
    {"StartUp", 0, 25},
};

struct Result {
    std::string name;
    double seconds; // per iteration
    std::map<std::string, double> counters;
    std::string error;
};

// Keeps every result for the summary; with repetitions the median stands.
class SummaryReporter : public benchmark::ConsoleReporter
{
  public:
    std::vector<Result> results;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        benchmark::ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            Result r;
            // The name without Google Benchmark's settings (min time, manual time).
            r.name = run.run_name.function_name;
            if (!run.run_name.args.empty()) r.name += "/" + run.run_name.args;
            r.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            for (const auto &c : run.counters) r.counters[c.first] = c.second.value;
            if (run.error_occurred) r.error = run.error_message;
            Result *old = Find(r.name);
            if (!old)
                results.push_back(r);
            else if (median)
                *old = r;
        }
    }

    Result *Find(const std::string &name)
    {
        for (Result &r : results)
            if (r.name == name) return &r;
        return nullptr;
    }
};

static const Target *TargetOf(const std::string &name)
{
    for (const Target &t : Targets)
        if (name.rfind(t.prefix, 0) == 0) return &t;
    return nullptr;
}

static std::string Human(double seconds)
{
    char text[32];
    if (seconds >= 1e-3)
        snprintf(text, sizeof(text), "%.2f ms", seconds * 1e3);
    else
        snprintf(text, sizeof(text), "%.2f us", seconds * 1e6);
    return text;
}

// Prints the summary; false when a result misses its target or failed.
static bool PrintSummary(SummaryReporter *reporter)
{
    Result *copy = reporter->Find(FrameCopyName);
    if (!copy || copy->seconds <= 0) {
        printf("\nno frame copy was measured: run without a filter that leaves it out\n");
        return true;
    }
    bool allMet = true;
    printf("\n== in frame copies (one copy of a 240 x 320 frame: %s)\n",
           Human(copy->seconds).c_str());
    for (const Result &r : reporter->results) {
        if (r.name == FrameCopyName) continue;
        if (!r.error.empty()) {
            printf("%-36s skipped: %s\n", r.name.c_str(), r.error.c_str());
            continue;
        }
        double copies = r.seconds / copy->seconds;
        const Target *t = TargetOf(r.name);
        std::string verdict;
        if (t && t->maxCopies > 0) {
            bool met = copies <= t->maxCopies;
            allMet = allMet && met;
            char text[64];
            snprintf(text, sizeof(text), "  (target %.0f: %s)", t->maxCopies,
                     met ? "met" : "ABOVE TARGET");
            verdict = text;
        }
        printf("%-36s %10.2f copies  %12s%s\n", r.name.c_str(), copies, Human(r.seconds).c_str(),
               verdict.c_str());
    }

    bool headed = false;
    auto heading = [&headed]() {
        if (!headed) printf("\n== absolute\n");
        headed = true;
    };
    for (const Result &r : reporter->results) {
        if (!r.error.empty() || r.name == FrameCopyName) continue;
        const Target *t = TargetOf(r.name);
        if (t && t->maxMs > 0) {
            heading();
            bool met = r.seconds * 1e3 < t->maxMs;
            allMet = allMet && met;
            printf("%-36s %s  (target under %.0f ms: %s)\n", r.name.c_str(),
                   Human(r.seconds).c_str(), t->maxMs, met ? "met" : "ABOVE TARGET");
        }
        auto rate = r.counters.find("bytes_per_second");
        if (rate != r.counters.end()) {
            heading();
            printf("%-36s %.1f MB/s\n", r.name.c_str(), rate->second / 1e6);
        }
        auto packed = r.counters.find("PackedBytes");
        if (packed != r.counters.end()) {
            heading();
            printf("%-36s %s a pack, %.0f of %.0f bytes", r.name.c_str(), Human(r.seconds).c_str(),
                   packed->second,
                   r.counters.count("InputBytes") ? r.counters.at("InputBytes") : 0.0);
            auto gzip = r.counters.find("GzipBytes");
            if (gzip != r.counters.end() && gzip->second > 0)
                printf("; gzip -9: %.0f bytes, ours %.2fx its size", gzip->second,
                       packed->second / gzip->second);
            else
                printf("; gzip not found");
            printf("\n");
        }
    }
    if (!allMet) printf("\nsome figures are above their targets\n");
    return allMet;
}

static std::string Folder;

static void RemoveFolder(void)
{
    std::error_code ec;
    if (!Folder.empty()) std::filesystem::remove_all(Folder, ec);
}

std::string BenchFolder(void)
{
    if (!Folder.empty()) return Folder;
    std::string pattern = (std::filesystem::temp_directory_path() / "zux-bench-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) return "";
    Folder = buf.data();
    atexit(RemoveFolder);
    return Folder;
}

std::string BenchReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return "";
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string BenchDataFile(void)
{
#ifdef ZUX_BUILD_DIR
    std::string folder = BenchFolder();
    std::string to = folder + "/Data.zux";
    std::error_code ec;
    if (std::filesystem::exists(to, ec)) return to;
    if (folder.empty() ||
        !std::filesystem::copy_file(std::string(ZUX_BUILD_DIR) + "/Data.zux", to, ec))
        return "";
    return to;
#else
    return "";
#endif
}

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintSummary(&reporter);
    return 0;
}
