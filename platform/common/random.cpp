// The run-time pseudo-random generator, the classic compatible one, so that a
// run is reproducible tick for tick on every platform.
#include "platform/platform.h"

static uint32_t RandState = 1;

void Plat_Seed(uint32_t seed) { RandState = seed; }

int Plat_Rand(void)
{
    RandState = RandState * 214013u + 2531011u;
    return (int)((RandState >> 16) & 0x7FFF);
}
