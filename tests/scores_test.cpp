// The high scores: the tables and "HS.dat", the name entry on the letter grid
// and the table display, over the headless platform with pictures made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "front/score_screen.h"
#include "front/score_tables.h"
#include "game/progress.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "tests/test_util.h"

namespace
{

// Font strip cell n is one flat grey, so a drawn cell can be told by a pixel.
int CellGrey(int n) { return (n + 1) * 5; }

// The font cell whose colour is at (x, y); -1 for black or anything else.
int CellAt(int x, int y)
{
    for (int n = 0; n < 42; n++)
        if (Pixel(x, y) == GreyPixel(CellGrey(n))) return n;
    return -1;
}

// The score screen as start-up loads it: the font strip, stand-in
// sounds and, when given, an "HS.dat" and a background of the given side; on a
// background of 128, texel n holds n, so a pixel tells which texel was drawn there.
struct Scores : testing::Test {
    std::unique_ptr<TempFolder> folder;
    void Open(const Bytes *hsFile = nullptr, int side = 0)
    {
        Close();
        folder.reset(new TempFolder(true));
        Bytes font(840 * 20);
        for (int i = 0; i < 840 * 20; i++) font[i] = (uint8_t)CellGrey(i % 840 / 20);
        WriteBytes(folder->Path("HSPolice.tga"), RawTga(840, 20, font));
        if (side)
            WriteBytes(folder->Path("HSBackground.tga"),
                       RawTga(side, side, Bytes(side * side, 90)));
        if (hsFile) WriteBytes(folder->Path("HS.dat"), *hsFile);
        OpenBasics();
        LoadScoreScreen();
        ASSERT_EQ(ScorePictures.background != nullptr, side == 128);
        for (int n = 0; side == 128 && n < 128 * 128; n++)
            ScorePictures.background->pixels[n] = (uint16_t)n;
    }
    void Close()
    {
        if (folder) ReleaseScoreScreen(), CloseBasics(), folder.reset();
    }
    void TearDown() override { Close(); }
};

int Step(std::initializer_list<int> pressed = {})
{
    return StepWithKeys(ScoreScreenStep, pressed, nullptr);
}

} // namespace

TEST_F(Scores, QualifyingInsertionAndTheFile)
{
    DefaultHighScores();
    auto qualifies = [](int32_t type, int32_t score) {
        Game.GameType = type, Game.Score = score;
        return ScoreQualifies();
    };
    // Table B holds 1100, 1000, 900, 800, 700; an equal score goes below.
    const int32_t name[3] = {0, 1, 2};
    EXPECT_EQ((Ints{qualifies(GameTypeB, 700), qualifies(GameTypeB, 701), qualifies(7, 5000),
                    HighScoreRow(GameTypeB, 701), HighScoreRow(GameTypeB, 900),
                    HighScoreRow(GameTypeB, 5000), InsertIntoTable(GameTypeB, name, 950, 12),
                    InsertIntoTable(GameTypeB, name, 800, 1)}),
              (Ints{0, 1, 0, 4, 3, 0, 2, -1}));
    const HighScoreEntry *b = HighScoreTables[GameTypeB];
    EXPECT_EQ((Ints{b[1].score, b[2].score, b[2].level, b[3].score, b[3].level, b[4].score,
                    b[2].name[0], b[2].name[1], b[2].name[2]}),
              (Ints{1000, 950, 12, 900, 11, 800, 0, 1, 2})); // 700 dropped out

    // The file: no file gives the defaults; an entry rewrites it whole.
    Open();
    Game.GameType = GameTypeB, Game.Score = 950, Game.Level = 12;
    ResetScoreScreen(ScoreCursorRest);
    ScoreScreen.enteredName[0] = 3, ScoreScreen.enteredName[1] = 4;
    InsertHighScore();
    Bytes file = ReadBytes(folder->Path("HS.dat"));
    ASSERT_EQ(file.size(), 400u);
    // Type B, row 2 is bytes 140..159; the old row 2 is now row 3; table A
    // untouched (Z first); table D's row 4.
    Ints words;
    for (int at : {140, 144, 148, 152, 156, 172, 112, 0, 12, 392})
        words.push_back(LeWord(file, at));
    EXPECT_EQ(words, (Ints{3, 4, BlankLetter, 950, 12, 900, 1100, 25, 1000, 500}));
    // A short one counts as none.
    Bytes shortFile(file.begin(), file.end() - 1);
    Open(&shortFile);
    EXPECT_EQ(HighScoreTables[GameTypeB][2].score, 900);
}

TEST_F(Scores, NameEntryBackgroundCoversEveryRowOnEveryTick)
{
    Open(nullptr, 128);
    ResetScoreScreen(ScoreCursorRest);
    // A whole cycle of the scroll over a screen of stale pixels: outside the
    // letter grid every pixel is the texture moved up by o = tick mod 128.
    for (int tick = 1; tick <= 128; tick++) {
        std::fill(BackBuffer, BackBuffer + ScreenWidth * ScreenHeight, 0xFFFF);
        Step();
        int o = tick & 127;
        for (int y = 0; y < 320; y++)
            for (int x = 0; x < 240; x++) {
                if (y >= 40 && y < 180 && x >= 6 && x < 166) continue;
                ASSERT_EQ(Pixel(x, y), (y + o) % 128 * 128 + x % 128)
                    << "tick " << tick << " at " << x << "," << y;
            }
    }
    // The letters entered show in the name field.
    ScoreScreen.letterCount = 2, ScoreScreen.enteredName[1] = 3;
    Step();
    EXPECT_TRUE(CellAt(75, 197) == 3);
    EXPECT_TRUE(CellAt(95, 197) == -1);
}

TEST_F(Scores, HostileTablesAndBackgrounds)
{
    // A background of the wrong size is left out (Open checks); the display
    // draws over black. Cells from a hostile file are drawn only where the
    // strip has them; -5 rem 10 counts back from the digits.
    Open(nullptr, 64);
    HighScoreTables[GameTypeA][0] = HighScoreEntry{{INT_MAX, -1, 41}, INT_MIN, -5};
    ResetScoreScreen(ScoreTableDisplay);
    HighScoreTables[GameTypeA][1] = {{25, 20, 23}, 1234567, 7}; // shows without its leading digit
    for (int i = 0; i < 20; i++) Step();
    EXPECT_EQ((Ints{Pixel(200, 300), Pixel(7, 100), Pixel(21, 100), CellAt(35, 100),
                    CellAt(137, 100), CellAt(149, 100), CellAt(56, 120), CellAt(116, 120)}),
              (Ints{0, 0, 0, 41, 26, 21, 28, 33}));
    // Any key ends the display, direction keys included; 600 ticks end it undrawn.
    EXPECT_EQ(Step({KeyUp}), 1);
    ResetScoreScreen(ScoreTableDisplay);
    ScoreScreen.phaseTicks = 599;
    int32_t presented = Headless_PresentCount();
    EXPECT_EQ((Ints{Step(), Headless_PresentCount()}), (Ints{1, presented}));
}
