// The whole program end to end: zux-headless with the generated art and key files, read back
// through its trace and the files it leaves; here the wiring between screens and trace fields.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/test_util.h"

namespace
{

// Expects the trace fields listed as "tick field value; ...".
void ExpectTrace(const HeadlessRun &run, const std::string &list)
{
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ';');) {
        int tick = 0;
        std::string field, value;
        std::istringstream(item) >> tick >> field >> value;
        ASSERT_TRUE(tick > 0) << item;
        ASSERT_TRUE(!value.empty()) << item;
        EXPECT_EQ(run.At(tick, field.c_str()), value) << item;
    }
}

// A numeric field of tick's line, -1 when absent.
int N(const HeadlessRun &run, int tick, const char *f)
{
    return run.At(tick, f).empty() ? -1 : std::stoi(run.At(tick, f));
}

} // namespace

// A newcomer skips the intro, picks skin 3, plays type B to its end, enters no name, watches
// the tables, closes, and at the next start leaves all alone until the tables show.
// Table B is made of zero scores here so that a short game enters it.
TEST(EndToEnd, NewcomerGameNameEntryAndRestart)
{
    Ints hs;
    for (int t = 0; t < 4; t++)
        for (int r = 0; r < 5; r++)
            hs.insert(hs.end(), {25, 20, 23, t == 1 ? 0 : 1000 - 100 * r, 5 - r});
    HeadlessRun run;
    ASSERT_TRUE(WriteBytes(run.dir + "/HS.dat", LeWords(hs)));
    // Skip the intro; SKINS, skin 3, NEW GAME, TYPE B; get ready: too early, then cut short.
    std::string keys = "5 press 1\n10 press Down\n12 press Down\n15 press 1\n70 press Down\n"
                       "72 press Down\n75 press 1\n150 press Down\n155 press 1\n210 press Down\n"
                       "215 press 1\n250 press 5\n300 press 5\n";
    for (int t = 400; t <= 1500; t += 2) keys += std::to_string(t) + " press Down\n";
    // The name entry: Left at column 0, four letters, six rows down and a column right to
    // delete, four deletes (the last with nothing left), end.
    keys += "1590 press 1\n1592 press Left\n1594 press 1\n1596 press Right\n1604 press 1\n"
            "1606 press Right\n1615 press 1\n1617 press Right\n1626 press 1\n";
    for (int k = 0; k < 6; k++) keys += std::to_string(1628 + 7 * k) + " press Down\n";
    keys += "1670 press Right\n1679 press 1\n1681 press 1\n1683 press 1\n1685 press 1\n"
            "1687 press Right\n1696 press 1\n1706 press 1\n";
    run.Run(2400, keys);
    // (The timings of the menu, get ready and the light the soak's notes hold;
    // here the trace's fields.)
    ExpectTrace(run, "5 screen Menu; 65 menuState 7; 179 menuPage 1; 240 screen Game; "
                     "240 timer 40; 240 gamePhase 0; 240 gameType 1; 240 score 0; 240 level 1; "
                     "240 fallDelay 700; 240 pieceX 3; 312 savedGameValid 0; "
                     "313 savedGameValid 1");
    // The first landing clicks and scores a point, bringing the next piece to the top
    // unturned; at game over there is a point a landing and no row.
    int land = 314, over = 314;
    while (land < 1590 && N(run, land, "score") == 0) land++;
    while (over < 1590 && N(run, over, "gamePhase") != 7) over++;
    EXPECT_EQ(run.At(land, "sounds"), "[\"sclick.wav\"]");
    EXPECT_TRUE(N(run, land, "current") == N(run, land - 1, "next"));
    EXPECT_TRUE(N(run, land, "pieceY") == 0);
    EXPECT_TRUE(N(run, land, "rotation") == 1);
    int score = N(run, over, "score");
    EXPECT_TRUE(score >= 5);
    EXPECT_TRUE(N(run, over, "lines") == 0);
    // Keys rest while the cursor moves, 7 ticks a column and 5 a row; a fourth letter replaces
    // the third; a finished name is stored 50 ticks later.
    ExpectTrace(run,
                "1590 screen NameEntry; 1590 presented false; 1590 timer 20; "
                "1590 enteredName [42,42,42]; 1592 scorePhase 0; 1594 sounds [\"sclick.wav\"]; "
                "1594 enteredName [0,42,42]; 1596 scorePhase 2; 1602 scorePhase 2; "
                "1603 scorePhase 0; 1603 sounds [\"srot.wav\"]; 1604 enteredName [0,1,42]; "
                "1615 enteredName [0,1,2]; 1626 enteredName [0,1,3]; 1626 letterCount 3; "
                "1628 scorePhase 4; 1632 scorePhase 4; 1633 scorePhase 0; "
                "1679 sounds [\"sdest.wav\"]; 1679 enteredName [0,1,42]; "
                "1683 enteredName [42,42,42]; 1685 sounds [\"sdest.wav\"]; 1685 letterCount 0; "
                "1696 sounds [\"sclick.wav\"]; 1696 scorePhase 5; 1706 scorePhase 5; "
                "1706 enteredName [42,42,42]; 1745 screen NameEntry; 1746 screen ScoreTable; "
                "1746 presented false; 1746 scorePhase 6; 2345 phaseTicks 599; 2346 screen Menu");

    // Table B, row 0: no letters, the score, level 1; the old row 0 moved down and row 4
    // dropped out; table A untouched. The skin is kept, nothing to continue.
    Bytes scores = ReadBytes(run.dir + "/HS.dat"), settings = ReadBytes(run.dir + "/SS.dat");
    ASSERT_EQ(scores.size(), 400u);
    EXPECT_EQ(
        (Ints{LeWord(scores, 100), LeWord(scores, 104), LeWord(scores, 108), LeWord(scores, 112),
              LeWord(scores, 116), LeWord(scores, 136), LeWord(scores, 196), LeWord(scores, 12)}),
        (Ints{42, 42, 42, score, 1, 5, 2, 1000}));
    ASSERT_EQ(settings.size(), 1052u);
    EXPECT_EQ((Ints{LeWord(settings, 0), LeWord(settings, 28), LeWord(settings, 36)}),
              (Ints{2, 0, 1}));

    // The next start, no keys: the whole intro, the menu waits 150 ticks, the tables.
    run.Run(1000, "");
    ExpectTrace(run, "214 introPhase LightUp; 214 light 60; 285 introPhase Hold; "
                     "763 screen ScoreTable");
}
