// Whole games through zux-headless: from the intro through the menu into a
// game of type B, played with a key file to game over, and a game left with
// F9 that Continue resumes, also after the program was closed and restarted.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_util.h"

namespace
{

// One trace line's fields as the test reads them.
struct Tick {
    int tick;
    std::string screen, sounds;
    bool presented;
    int timer, phase, type, score, level, lines, delay, x, y, current, next, rotation, valid;
};

int Number(const std::string &line, const char *field)
{
    std::string v = TraceField(line, field);
    return v.empty() ? -1 : std::stoi(v);
}

std::vector<Tick> ReadTrace(const std::string &path)
{
    std::vector<Tick> ticks;
    for (const std::string &line : ReadLines(path)) {
        Tick t;
        t.tick = Number(line, "tick");
        t.screen = TraceField(line, "screen");
        t.sounds = TraceField(line, "sounds");
        t.presented = TraceField(line, "presented") == "true";
        t.timer = Number(line, "timer");
        t.phase = Number(line, "gamePhase");
        t.type = Number(line, "gameType");
        t.score = Number(line, "score");
        t.level = Number(line, "level");
        t.lines = Number(line, "lines");
        t.delay = Number(line, "fallDelay");
        t.x = Number(line, "pieceX");
        t.y = Number(line, "pieceY");
        t.current = Number(line, "current");
        t.next = Number(line, "next");
        t.rotation = Number(line, "rotation");
        t.valid = Number(line, "savedGameValid");
        ticks.push_back(t);
    }
    return ticks;
}

// A program folder with the art, where the settings file will be written.
std::string MakeProgramFolder(void)
{
    std::string dir = MakeTempDir();
    std::filesystem::copy_file(std::string(ZUX_BUILD_DIR) + "/Data.zux", dir + "/Data.zux");
    return dir;
}

int RunGameKeys(const std::string &dir, int ticks, const std::string &keys)
{
    WriteText(dir + "/keys.txt", keys);
    std::string out;
    int status = RunHeadless("--dir " + dir + " --ticks " + std::to_string(ticks) + " --keys " +
                                 dir + "/keys.txt --trace " + dir + "/trace.txt",
                             &out);
    EXPECT_EQ(status, 0) << out;
    return status;
}

// The key presses that leave the intro, go to the new-game page and start type B.
const char MenuToTypeB[] = "5 press 5\n20 press Down\n30 press 5\n100 press Down\n110 press 5\n";

// The index of the first game tick at or after from, or -1.
int FirstGameTick(const std::vector<Tick> &t, size_t from = 0)
{
    for (size_t i = from; i < t.size(); i++)
        if (t[i].screen == "Game") return (int)i;
    return -1;
}

} // namespace

TEST(GameEndToEnd, TypeBFromTheMenuToGameOver)
{
    std::string dir = MakeProgramFolder();
    std::string keys = MenuToTypeB;
    keys += "170 press 5\n"; // cuts the get-ready wave short
    // Down held to the landing, then let go: one piece every 30 ticks.
    for (int k = 0; k < 25; k++)
        keys += std::to_string(300 + 30 * k) + " down Down\n" + std::to_string(325 + 30 * k) +
                " up Down\n";
    keys += "1100 press 5\n";
    ASSERT_EQ(RunGameKeys(dir, 1200, keys), 0);
    std::vector<Tick> t = ReadTrace(dir + "/trace.txt");
    ASSERT_EQ(t.size(), 1200u);

    int g = FirstGameTick(t);
    ASSERT_GE(g, 0);
    EXPECT_EQ(t[g - 1].screen, "Menu");
    // The game as the menu started it; the first tick only draws the pieces.
    EXPECT_EQ(t[g].type, 1);
    EXPECT_EQ(t[g].phase, 0);
    EXPECT_EQ(t[g].score, 0);
    EXPECT_EQ(t[g].level, 1);
    EXPECT_EQ(t[g].lines, 0);
    EXPECT_EQ(t[g].delay, 700);
    EXPECT_EQ(t[g].x, 3);
    EXPECT_EQ(t[g].y, 0);
    EXPECT_EQ(t[g].valid, 0);
    EXPECT_EQ(t[g].timer, 40);
    EXPECT_EQ(t[g + 1].phase, 3);
    EXPECT_GE(t[g + 1].current, 1);
    EXPECT_LE(t[g + 1].current, 7);
    EXPECT_TRUE(t[g + 1].presented);

    // Get ready until the skip at tick 170 and five ticks more (each line
    // shows the state after its tick), then 8 ticks of light.
    int i = g + 1;
    while (t[i].phase == 3) i++;
    EXPECT_EQ(t[i].tick, 175);
    for (int k = 0; k < 8; k++) {
        EXPECT_EQ(t[i + k].phase, 9) << k;
        EXPECT_EQ(t[i + k].valid, 0) << k;
    }
    int play = i + 8; // the last light tick hands over to play and validates the saved game
    EXPECT_EQ(t[play].phase, 2);
    EXPECT_EQ(t[play].valid, 1);

    // Gravity alone: one row every 35 ticks.
    for (int k = play + 1; t[k].tick < 300; k++) {
        int ticksPlayed = k - play;
        EXPECT_EQ(t[k].y, ticksPlayed / 35) << t[k].tick;
    }

    // Then pieces go down a row a tick while Down is held, and each landing
    // clicks, scores a point and brings the next piece to (3, 0).
    // After a landing the key lock keeps the held Down from acting until it is let go.
    int landings = 0, over = -1;
    bool landedInHold = false;
    for (int k = play + 1; k < (int)t.size() && over < 0; k++) {
        const Tick &a = t[k - 1], &b = t[k];
        bool holding = b.tick >= 300 && (b.tick - 300) % 30 < 25;
        if ((b.tick - 300) % 30 == 0) landedInHold = false;
        if (b.score != a.score) {
            landings++;
            landedInHold = true;
            EXPECT_EQ(b.score, a.score + 1) << b.tick;
            EXPECT_EQ(b.sounds, "[\"sclick.wav\"]") << b.tick;
            EXPECT_EQ(b.current, a.next) << b.tick;
            EXPECT_EQ(b.x, 3);
            EXPECT_EQ(b.y, 0);
            EXPECT_EQ(b.rotation, 1);
        } else if (holding) {
            EXPECT_EQ(b.y, landedInHold ? a.y : a.y + 1) << b.tick;
        }
        EXPECT_EQ(b.lines, 0);
        EXPECT_EQ(b.valid, 1);
        if (b.phase == 7) over = k;
    }
    ASSERT_GT(over, 0);
    EXPECT_GE(landings, 5);
    EXPECT_EQ(t[over].score, landings);
    // Nothing fills the side columns, so no row was ever full.
    EXPECT_EQ(t[over].lines, 0);

    // The game-over screen runs at 40 ms and ignores Down; the digit at 1100 leaves it.
    int left = over;
    while (t[left].screen == "Game") {
        EXPECT_EQ(t[left].phase, 7);
        EXPECT_EQ(t[left].timer, 40);
        EXPECT_TRUE(t[left].presented);
        left++;
    }
    EXPECT_EQ(t[left].tick, 1100);
    EXPECT_FALSE(t[left].presented);
    EXPECT_EQ(t[left].timer, 20);
    EXPECT_TRUE(t[left].screen == "Menu" || t[left].screen == "NameEntry") << t[left].screen;
    RemoveTree(dir);
}

TEST(GameEndToEnd, F9AndContinueAlsoAfterARestart)
{
    std::string dir = MakeProgramFolder();
    std::string keys = MenuToTypeB;
    // Three hard drops, a move, then F9; Continue from the menu at 260.
    keys += "170 press 5\n200 press 7\n210 press 9\n220 press 7\n230 press Left\n240 press F9\n260 "
            "press 5\n";
    ASSERT_EQ(RunGameKeys(dir, 400, keys), 0);
    std::vector<Tick> t = ReadTrace(dir + "/trace.txt");
    ASSERT_EQ(t.size(), 400u);
    const Tick quit = t[239], before = t[238]; // copies: t is read again below
    ASSERT_EQ(quit.tick, 240);
    EXPECT_EQ(quit.screen, "Menu");
    EXPECT_FALSE(quit.presented);
    EXPECT_EQ(before.screen, "Game");
    EXPECT_EQ(before.score, 3);
    EXPECT_EQ(before.x, 2);

    // Continue resumes from the last landing: its point and the move are not kept.
    int r = FirstGameTick(t, 240);
    ASSERT_GT(r, 0);
    EXPECT_EQ(t[r].phase, 1);
    EXPECT_EQ(t[r].type, 1);
    EXPECT_EQ(t[r].score, 2);
    EXPECT_EQ(t[r].level, 1);
    EXPECT_EQ(t[r].lines, 0);
    EXPECT_EQ(t[r].delay, 700);
    EXPECT_EQ(t[r].current, before.current);
    EXPECT_EQ(t[r].next, before.next);
    EXPECT_EQ(t[r].x, 3);
    EXPECT_EQ(t[r].y, 0);
    EXPECT_EQ(t[r].valid, 1);
    EXPECT_EQ(t[r + 1].phase, 3);
    // The run ends in the middle of the game: the window closes and the game is kept.
    EXPECT_EQ(t.back().screen, "Game");
    std::vector<uint8_t> settings = ReadBytes(dir + "/SS.dat");
    ASSERT_EQ(settings.size(), 1052u);
    EXPECT_EQ(settings[28], 1); // the saved game is valid

    // The next start continues the same game from the main page.
    ASSERT_EQ(RunGameKeys(dir, 100, "5 press 5\n20 press 5\n"), 0);
    t = ReadTrace(dir + "/trace.txt");
    int again = FirstGameTick(t);
    ASSERT_GT(again, 0);
    EXPECT_EQ(t[again].phase, 1);
    EXPECT_EQ(t[again].type, 1);
    EXPECT_EQ(t[again].score, 2);
    EXPECT_EQ(t[again].current, before.current);
    EXPECT_EQ(t[again].next, before.next);
    EXPECT_EQ(t[again].delay, 700);
    RemoveTree(dir);
}
