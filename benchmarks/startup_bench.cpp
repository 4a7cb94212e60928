// Start-up with the generated "Data.zux", in-process over the headless
// platform: from the reset platform to the first intro frame presented.
// Shutdown runs untimed after each start-up.
#include <benchmark/benchmark.h>
#include <chrono>
#include <string>

#include "app/shell.h"
#include "benchmarks/bench_report.h"
#include "platform/headless/headless.h"

static void StartUpToFirstFrame(benchmark::State &state)
{
    if (BenchDataFile().empty()) {
        state.SkipWithError("no generated Data.zux beside the programs");
        return;
    }
    std::string folder = BenchFolder();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        Headless_Reset();
        Headless_SetFolder(folder.c_str());
        bool opened = StartUp();
        if (opened) {
            // The first tick: the intro draws and presents its first frame.
            Shell.TickFlag = 1;
            FrameStep();
        }
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!opened) {
            state.SkipWithError("start-up failed");
            break;
        }
        ShutDown();
    }
}
BENCHMARK(StartUpToFirstFrame)
    ->Name("StartUp")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
