// The game's own sine and cosine draw exactly what the desktop's C library
// drew: as the callers use them (whole degrees, rounded to float), they agree
// bit for bit, so no frame changed when the game stopped calling sin and cos.
#include <cmath>
#include <gtest/gtest.h>

#include "gfx/trig.h"

TEST(Trig, AgreesWithTheCLibraryAsTheGameUsesIt)
{
    const double degree = 0.017453293005625408; // the game's degree, as it has always been
    int differ = 0;
    for (int n = -(1 << 21); n <= 1 << 21; n++) {
        double x = n * degree;
        differ += (float)GameSin(x) != (float)sin(x) || (float)GameCos(x) != (float)cos(x);
    }
    EXPECT_EQ(differ, 0);
    // Tiny, exact and special arguments.
    EXPECT_EQ(GameSin(0.0), 0.0);
    EXPECT_EQ(GameCos(0.0), 1.0);
    EXPECT_EQ(GameSin(1e-9), 1e-9);
    EXPECT_TRUE(std::isnan(GameSin(INFINITY)) && std::isnan(GameCos(NAN)));
    EXPECT_NEAR(GameSin(1e6), sin(1e6), 1e-15);
}
