// A whole game through zux-headless: from the intro through the menu into a
// game of type B, played with a key file to game over, read back from the
// trace. The rules tick by tick are followed in-process by the game screen's
// tests; here the program's wiring and the trace's game fields.
#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace
{

// A numeric trace field of line, -1 when absent.
int N(const std::string &line, const char *field)
{
    std::string v = TraceField(line, field);
    return v.empty() ? -1 : std::stoi(v);
}

// The game fields of a line, in the trace's order.
std::vector<int> GameFields(const std::string &line)
{
    std::vector<int> v;
    for (const char *f : {"gamePhase", "gameType", "score", "level", "lines", "fallDelay", "pieceX",
                          "pieceY", "savedGameValid"})
        v.push_back(N(line, f));
    return v;
}

// The index of the first game tick at or after from, or -1.
int FirstGameTick(const std::vector<std::string> &trace, size_t from = 0)
{
    for (size_t i = from; i < trace.size(); i++)
        if (TraceField(trace[i], "screen") == "Game") return (int)i;
    return -1;
}

// The key presses that leave the intro, go to the new-game page and start type B.
const char MenuToTypeB[] = "5 press 5\n20 press Down\n30 press 5\n100 press Down\n110 press 5\n";

} // namespace

TEST(GameEndToEnd, TypeBFromTheMenuToGameOver)
{
    HeadlessRun run;
    // The get-ready wave cut short at 170, then Down held to the landing and
    // let go: one piece every 30 ticks until the board is full.
    std::string keys = MenuToTypeB + std::string("170 press 5\n");
    for (int k = 0; k < 25; k++)
        keys += std::to_string(300 + 30 * k) + " down Down\n" + std::to_string(325 + 30 * k) +
                " up Down\n";
    run.Run(1200, keys + "1100 press 5\n");
    ASSERT_EQ(run.trace.size(), 1200u);
    const std::vector<std::string> &t = run.trace;
    int g = FirstGameTick(t);
    ASSERT_GT(g, 0);
    EXPECT_EQ(TraceField(t[g - 1], "screen"), "Menu");
    // The game as the menu started it at 40 ms; the first tick only draws the pieces.
    EXPECT_EQ(GameFields(t[g]), (std::vector<int>{0, 1, 0, 1, 0, 700, 3, 0, 0}));
    EXPECT_EQ(N(t[g], "timer"), 40);
    EXPECT_TRUE(N(t[g + 1], "gamePhase") == 3 && N(t[g + 1], "current") >= 1 &&
                N(t[g + 1], "current") <= 7);
    // Get ready until the skip and five ticks more, then 8 ticks of light; the
    // last hands over to play and makes the saved game valid.
    int i = g + 1;
    while (N(t[i], "gamePhase") == 3) i++;
    EXPECT_EQ(N(t[i], "tick"), 175);
    EXPECT_TRUE(N(t[i + 7], "gamePhase") == 9 && N(t[i + 7], "savedGameValid") == 0);
    EXPECT_TRUE(N(t[i + 8], "gamePhase") == 2 && N(t[i + 8], "savedGameValid") == 1);
    // Every landing clicks and scores a point, bringing the next piece to the
    // top unturned; no row is ever full.
    int landings = 0, over = i + 8;
    for (; over < (int)t.size() && N(t[over - 1], "gamePhase") != 7; over++) {
        if (N(t[over], "score") == N(t[over - 1], "score")) continue;
        landings++;
        EXPECT_EQ(TraceField(t[over], "sounds"), "[\"sclick.wav\"]") << N(t[over], "tick");
        EXPECT_EQ(N(t[over], "current"), N(t[over - 1], "next"));
        EXPECT_TRUE(N(t[over], "pieceY") == 0 && N(t[over], "rotation") == 1);
    }
    ASSERT_LT(--over, (int)t.size() - 1);
    EXPECT_GE(landings, 5);
    EXPECT_TRUE(N(t[over], "score") == landings && N(t[over], "lines") == 0);
    // The game-over screen runs at 40 ms and ignores Down; the digit at 1100
    // leaves it without drawing, back at 20 ms.
    int left = over;
    for (; TraceField(t[left], "screen") == "Game"; left++)
        EXPECT_TRUE(N(t[left], "gamePhase") == 7 && N(t[left], "timer") == 40);
    EXPECT_EQ(N(t[left], "tick"), 1100);
    EXPECT_EQ(TraceField(t[left], "presented"), "false");
    EXPECT_EQ(N(t[left], "timer"), 20);
}
