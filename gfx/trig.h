// Sine and cosine computed by the game itself, so that every build (the
// desktop's C library, the browser's) draws exactly the same frames.
#pragma once

// sin x and cos x, x in radians; accurate to within one unit in the last place
// for |x| below 2^20 * pi / 2, and the same bits on every machine.
double GameSin(double x);
double GameCos(double x);
