// What the benchmark programs share: the frame copy every figure is compared
// with, the targets, and the summary printed after Google Benchmark's table.
#pragma once

#include <cstdint>
#include <string>

// The name of the yardstick: one plain copy of a full 240 x 320 frame.
extern const char FrameCopyName[];

// The temporary folder of this run (made on first use, removed at exit), and a
// file of the build's "Data.zux" copied into it; "" when there is none.
std::string BenchFolder(void);
std::string BenchDataFile(void);

// Reads a whole file; empty when it cannot be read.
std::string BenchReadFile(const std::string &path);
