// Helpers shared by the tests: temporary folders, files and headless runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh empty folder under the system's temporary folder, removed by RemoveTree.
std::string MakeTempDir(void);
void RemoveTree(const std::string &dir);

std::vector<uint8_t> ReadBytes(const std::string &path);
bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes);
bool WriteText(const std::string &path, const std::string &text);

// Runs the built zux-headless with args; returns its exit status.
int RunHeadless(const std::string &args, std::string *output = nullptr);

// The lines of a trace file.
std::vector<std::string> ReadLines(const std::string &path);

// The value of a top-level field in one trace line, as text ("" when absent).
std::string TraceField(const std::string &line, const std::string &field);
