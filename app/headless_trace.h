// One line of the headless trace: a JSON object describing the tick just run.
#pragma once

#include <cstddef>
#include <cstdint>

// Formats the trace line of tick (no newline) into line.
void FormatTraceLine(int32_t tick, char *line, size_t size);
