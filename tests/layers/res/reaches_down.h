// A file above platform/ that reaches for the machine: the build refuses it.
#pragma once

#include <unistd.h>
