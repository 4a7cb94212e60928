// Sine and cosine: Cody-Waite reduction by pi/2 in three steps and the
// classic minimax polynomials on [-pi/4, pi/4] (the coefficients every
// portable maths library shares). Plain double arithmetic only: the file is
// built without fused multiply-adds, so no machine rounds a step differently.
#include "gfx/trig.h"

#include <cstdint>
#include <cstring>

static const double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                    S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                    S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
static const double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                    C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                    C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
// 2/pi, and pi/2 split in three parts of 33 bits, each with its remainder.
static const double InvPio2 = 6.36619772367581382433e-01;
static const double Pio2a = 1.57079632673412561417e+00, Pio2aTail = 6.07710050650619224932e-11;
static const double Pio2b = 6.07710050630396597660e-11, Pio2bTail = 2.02226624879595063154e-21;
static const double Pio2c = 2.02226624871116645580e-21, Pio2cTail = 8.47842766036889956997e-32;
static const double ToInt = 6755399441055744.0; // 1.5 * 2^52: adding it rounds to a whole number

// The biased exponent of x.
static int Exponent(double x)
{
    uint64_t bits;
    memcpy(&bits, &x, sizeof(bits));
    return (int)(bits >> 52 & 0x7ff);
}

// |x|'s high 32 bits, sign cleared.
static uint32_t HighWord(double x)
{
    uint64_t bits;
    memcpy(&bits, &x, sizeof(bits));
    return (uint32_t)(bits >> 32) & 0x7fffffffu;
}

// sin on [-pi/4, pi/4] of x + tail (tail the reduction's leftover).
static double KernelSin(double x, double tail, bool hasTail)
{
    double z = x * x, v = z * x;
    double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    if (!hasTail) return x + v * (S1 + z * r);
    return x - ((z * (0.5 * tail - v * r) - tail) - v * S1);
}

// cos on [-pi/4, pi/4] of x + tail.
static double KernelCos(double x, double tail)
{
    double z = x * x, w = z * z;
    double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
    double hz = 0.5 * z;
    w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * r - x * tail));
}

// x - n * pi/2 as head + tail, with n the nearest whole number to x * 2/pi;
// returns n's lowest two bits. Each further step runs only when the previous
// one cancelled too many bits.
static int ReducePio2(double x, double *head, double *tail)
{
    double fn = x * InvPio2 + ToInt - ToInt;
    int quadrant = (int)((int64_t)fn & 3);
    double r = x - fn * Pio2a;
    double w = fn * Pio2aTail;
    double y = r - w;
    int ex = Exponent(x);
    if (ex - Exponent(y) > 16) {
        double t = r;
        w = fn * Pio2b;
        r = t - w;
        w = fn * Pio2bTail - ((t - r) - w);
        y = r - w;
        if (ex - Exponent(y) > 49) {
            t = r;
            w = fn * Pio2c;
            r = t - w;
            w = fn * Pio2cTail - ((t - r) - w);
            y = r - w;
        }
    }
    *head = y;
    *tail = (r - y) - w;
    return quadrant;
}

double GameSin(double x)
{
    uint32_t ix = HighWord(x);
    if (ix <= 0x3fe921fb) return ix < 0x3e500000 ? x : KernelSin(x, 0.0, false); // |x| < pi/4
    if (ix >= 0x7ff00000) return x - x;                                          // inf or NaN
    double y0, y1;
    switch (ReducePio2(x, &y0, &y1)) {
    case 0: return KernelSin(y0, y1, true);
    case 1: return KernelCos(y0, y1);
    case 2: return -KernelSin(y0, y1, true);
    default: return -KernelCos(y0, y1);
    }
}

double GameCos(double x)
{
    uint32_t ix = HighWord(x);
    if (ix <= 0x3fe921fb) return ix < 0x3e46a09e ? 1.0 : KernelCos(x, 0.0);
    if (ix >= 0x7ff00000) return x - x;
    double y0, y1;
    switch (ReducePio2(x, &y0, &y1)) {
    case 0: return KernelCos(y0, y1);
    case 1: return -KernelSin(y0, y1, true);
    case 2: return -KernelCos(y0, y1);
    default: return KernelSin(y0, y1, true);
    }
}
