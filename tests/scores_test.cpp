// The high scores: the tables and "HS.dat", the name entry on the letter grid
// and the table display, over the headless platform with pictures made here.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "front/score_screen.h"
#include "front/score_tables.h"
#include "front/settings.h"
#include "game/progress.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "res/archive.h"
#include "res/sound.h"
#include "tests/test_util.h"

// An uncompressed 8-bit grey TGA, top row first, from its pixel values.
static std::vector<uint8_t> GreyTga(int w, int h, const std::vector<uint8_t> &pixels)
{
    std::vector<uint8_t> f(18, 0);
    f[2] = 3;
    f[12] = (uint8_t)w;
    f[13] = (uint8_t)(w >> 8);
    f[14] = (uint8_t)h;
    f[15] = (uint8_t)(h >> 8);
    f[16] = 8;
    f[17] = 0x20;
    f.insert(f.end(), pixels.begin(), pixels.end());
    return f;
}

static uint16_t Grey565(int v) { return (uint16_t)((v >> 3) << 11 | (v >> 2) << 5 | (v >> 3)); }

// Font strip cell n is one flat grey, so a drawn cell can be told by a pixel.
static int CellGrey(int n) { return (n + 1) * 5; }

static const int CaptionGrey[4] = {200, 216, 232, 248};

static uint16_t Pixel(int x, int y) { return BackBuffer[y * (int)ScreenWidth + x]; }

// The font cell whose colour is at (x, y); -1 for black or anything else.
static int CellAt(int x, int y)
{
    uint16_t p = Pixel(x, y);
    for (int n = 0; n < 42; n++)
        if (p == Grey565(CellGrey(n))) return n;
    return -1;
}

// The score screen as start-up loads it: the font strip, the captions, dummy
// sounds and, when given, an "HS.dat".
static std::string OpenScores(const std::vector<uint8_t> *hsFile = nullptr, int backgroundSide = 0)
{
    Headless_Reset();
    std::string dir = MakeTempDir();
    for (const char *name : {"sclick.wav", "srot.wav", "sdest.wav", "slevel.wav"})
        WriteText(dir + "/" + name, "RIFF");
    std::vector<uint8_t> font(840 * 20);
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 840; x++) font[y * 840 + x] = (uint8_t)CellGrey(x / 20);
    WriteBytes(dir + "/HSPolice.tga", GreyTga(840, 20, font));
    const char *captions[4] = {"MenuTypeA.tga", "MenuTypeB.tga", "MenuTypeC.tga", "MenuTypeD.tga"};
    for (int t = 0; t < 4; t++)
        WriteBytes(dir + "/" + captions[t],
                   GreyTga(4, 4, std::vector<uint8_t>(16, (uint8_t)CaptionGrey[t])));
    if (backgroundSide)
        WriteBytes(dir + "/HSBackground.tga",
                   GreyTga(backgroundSide, backgroundSide,
                           std::vector<uint8_t>((size_t)backgroundSide * backgroundSide, 90)));
    if (hsFile) WriteBytes(dir + "/HS.dat", *hsFile);
    Headless_SetFolder(dir.c_str());
    EXPECT_TRUE(OpenScreen());
    OpenKeys();
    SetAllThresholds(100000);
    SetThreshold(KeyLeft, 8);
    SetThreshold(KeyRight, 8);
    OpenResourceArchive();
    LoadSounds();
    DefaultSettings();
    LoadScoreScreen();
    return dir;
}

static void CloseScores(const std::string &dir)
{
    ReleaseScoreScreen();
    ReleaseSounds();
    CloseScreen();
    RemoveTree(dir);
}

static std::vector<std::string> Sounds; // started by the last step

static int Step(std::initializer_list<int> pressed = {})
{
    for (int s : pressed) Keys.KeySlot[s] = 1;
    AdvanceKeys();
    int before = Headless_SoundCount();
    int result = ScoreScreenStep();
    Sounds.clear();
    for (int i = before; i < Headless_SoundCount(); i++) Sounds.push_back(Headless_SoundName(i));
    for (int s : pressed) Keys.KeySlot[s] = 0;
    return result;
}

static std::vector<int32_t> Name(const int32_t name[3])
{
    return std::vector<int32_t>(name, name + 3);
}

TEST(HighScores, QualifyingAndInsertionOrder)
{
    DefaultHighScores();
    Game.GameType = GameTypeB; // 1100, 1000, 900, 800, 700
    Game.Score = 700;
    EXPECT_FALSE(ScoreQualifies());
    Game.Score = 701;
    EXPECT_TRUE(ScoreQualifies());
    EXPECT_EQ(HighScoreRow(GameTypeB, 701), 4);
    EXPECT_EQ(HighScoreRow(GameTypeB, 900), 3); // an equal score goes below
    EXPECT_EQ(HighScoreRow(GameTypeB, 5000), 0);
    Game.GameType = 7;
    EXPECT_FALSE(ScoreQualifies());

    const int32_t name[3] = {0, 1, 2};
    EXPECT_EQ(InsertIntoTable(GameTypeB, name, 950, 12), 2);
    const HighScoreEntry *b = HighScoreTables[GameTypeB];
    EXPECT_EQ(b[1].score, 1000);
    EXPECT_EQ(b[2].score, 950);
    EXPECT_EQ(b[2].level, 12);
    EXPECT_EQ(Name(b[2].name), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(b[3].score, 900);
    EXPECT_EQ(b[3].level, 11);
    EXPECT_EQ(b[4].score, 800); // 700 dropped out
    EXPECT_EQ(InsertIntoTable(GameTypeB, name, 800, 1), -1);
    EXPECT_EQ(HighScoreTables[GameTypeA][4].score, 600);
}

TEST(HighScores, FileLayoutAndShortFiles)
{
    std::string dir = OpenScores();
    EXPECT_EQ(HighScoreTables[GameTypeA][0].score, 1000); // no file: the defaults
    Game.GameType = GameTypeB;
    Game.Score = 950;
    Game.Level = 12;
    ResetScoreScreen(ScoreCursorRest);
    ScoreScreen.enteredName[0] = 3;
    ScoreScreen.enteredName[1] = 4;
    InsertHighScore();
    std::vector<uint8_t> file = ReadBytes(dir + "/HS.dat");
    ASSERT_EQ(file.size(), 400u);
    auto word = [&](int at) {
        return (int32_t)(file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24);
    };
    // Type B, row 2: bytes 140..159.
    EXPECT_EQ(word(140), 3);
    EXPECT_EQ(word(144), 4);
    EXPECT_EQ(word(148), BlankLetter);
    EXPECT_EQ(word(152), 950);
    EXPECT_EQ(word(156), 12);
    EXPECT_EQ(word(160 + 12), 900); // the old row 2, now row 3
    EXPECT_EQ(word(100 + 12), 1100);
    EXPECT_EQ(word(0), 25); // table A untouched: Z
    EXPECT_EQ(word(12), 1000);
    EXPECT_EQ(word(380 + 12), 500); // table D, row 4
    CloseScores(dir);

    // A file written whole is read back as it stands.
    dir = OpenScores(&file);
    EXPECT_EQ(HighScoreTables[GameTypeB][2].score, 950);
    CloseScores(dir);

    // A short file counts as none.
    std::vector<uint8_t> shortFile(file.begin(), file.end() - 1);
    dir = OpenScores(&shortFile);
    EXPECT_EQ(HighScoreTables[GameTypeB][2].score, 900);
    CloseScores(dir);
}

TEST(HighScores, FourLettersKeepTheFirstTwoAndTheLast)
{
    std::string dir = OpenScores();
    ResetScoreScreen(ScoreCursorRest);
    EXPECT_EQ(Step({KeyLeft}), 0); // nothing to the left of column 0
    EXPECT_EQ(ScoreScreen.scorePhase, ScoreCursorRest);
    for (int letter = 0; letter < 4; letter++) {
        Step({Key1});
        EXPECT_EQ(Sounds, std::vector<std::string>{"sclick.wav"});
        if (letter == 3) break;
        Step({KeyRight});
        EXPECT_EQ(ScoreScreen.scorePhase, ScoreCursorRight);
        for (int n = 1; n < 7; n++) {
            Step();
            EXPECT_EQ(ScoreScreen.scorePhase, ScoreCursorRight);
        }
        Step(); // the 7th tick lands on the next column
        EXPECT_EQ(ScoreScreen.scorePhase, ScoreCursorRest);
        EXPECT_EQ(ScoreScreen.cursorCol, letter + 1);
        EXPECT_EQ(Sounds, std::vector<std::string>{"srot.wav"});
    }
    EXPECT_EQ(ScoreScreen.letterCount, 3);
    EXPECT_EQ(Name(ScoreScreen.enteredName), (std::vector<int32_t>{0, 1, 3}));
    // The letters show in the name field.
    EXPECT_EQ(CellAt(55 + 10, 197), 0);
    EXPECT_EQ(CellAt(95 + 10, 197), 3);

    // A row down takes 5 ticks.
    Step({KeyDown});
    for (int n = 1; n < 5; n++) Step();
    EXPECT_EQ(ScoreScreen.cursorRow, 0);
    Step();
    EXPECT_EQ(ScoreScreen.cursorRow, 1);
    CloseScores(dir);
}

TEST(HighScores, DeleteAndEnd)
{
    std::string dir = OpenScores();
    DefaultHighScores();
    Game.GameType = GameTypeC;
    Game.Score = 850;
    Game.Level = 4;
    ResetScoreScreen(ScoreCursorRest);
    // Delete with no letters: the destroy sound and nothing else.
    ScoreScreen.cursorRow = 6;
    ScoreScreen.cursorCol = 4;
    Step({Key1});
    EXPECT_EQ(Sounds, std::vector<std::string>{"sdest.wav"});
    EXPECT_EQ(ScoreScreen.letterCount, 0);
    EXPECT_EQ(Name(ScoreScreen.enteredName), (std::vector<int32_t>{42, 42, 42}));

    // A, B, C, delete twice, end: A and two blanks.
    for (int col = 0; col < 3; col++) {
        ScoreScreen.cursorRow = 0;
        ScoreScreen.cursorCol = col;
        Step({Key1});
    }
    ScoreScreen.cursorRow = 6;
    ScoreScreen.cursorCol = 4;
    Step({Key1});
    Step({Key1});
    EXPECT_EQ(ScoreScreen.letterCount, 1);
    EXPECT_EQ(Name(ScoreScreen.enteredName), (std::vector<int32_t>{0, 42, 42}));
    ScoreScreen.cursorCol = 5;
    Step({Key1});
    EXPECT_EQ(Sounds, std::vector<std::string>{"sclick.wav"});
    EXPECT_EQ(ScoreScreen.scorePhase, ScoreNameDone);
    for (int n = 1; n < 50; n++) ASSERT_EQ(Step({Key1}), 0); // keys rest meanwhile
    int32_t presented = Headless_PresentCount();
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(Headless_PresentCount(), presented);
    const HighScoreEntry *row = &HighScoreTables[GameTypeC][1]; // 900, then 850
    EXPECT_EQ(row->score, 850);
    EXPECT_EQ(Name(row->name), (std::vector<int32_t>{0, 42, 42}));

    // Ending at once stores three blanks.
    Game.Score = 5000;
    ResetScoreScreen(ScoreCursorRest);
    ScoreScreen.cursorRow = 6;
    ScoreScreen.cursorCol = 5;
    Step({Key1});
    for (int n = 1; n < 50; n++) Step();
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(Name(HighScoreTables[GameTypeC][0].name), (std::vector<int32_t>{42, 42, 42}));
    CloseScores(dir);
}

TEST(HighScores, TableDisplayPagesRowsAndDigits)
{
    std::string dir = OpenScores();
    HighScoreTables[GameTypeA][1].score = 1234567; // shows without its leading digit
    HighScoreTables[GameTypeA][1].level = 7;
    ResetScoreScreen(ScoreTableDisplay);
    for (uint32_t tick = 1; tick < 600; tick++) {
        ASSERT_EQ(Step(), 0) << tick;
        int table = (int)(tick / 150);
        ASSERT_EQ(Pixel(17, 41), Grey565(CaptionGrey[table])) << tick;
        uint32_t rows = (tick % 150) / 10;
        if (rows > 5) rows = 5;
        for (uint32_t i = 0; i < 5; i++)
            ASSERT_EQ(CellAt(7, 92 + 20 * (int)i) >= 0, i < rows) << tick << " row " << i;
        if (tick == 50) {
            // ZUX 001000 10, then ZUX 234567 07.
            const int x[] = {7, 21, 35, 56, 68, 80, 92, 104, 116, 137, 149};
            const int row0[] = {25, 20, 23, 26, 26, 27, 26, 26, 26, 27, 26};
            const int row1[] = {25, 20, 23, 28, 29, 30, 31, 32, 33, 26, 33};
            for (int k = 0; k < 11; k++) {
                EXPECT_EQ(CellAt(x[k], 100), row0[k]) << k;
                EXPECT_EQ(CellAt(x[k], 120), row1[k]) << k;
            }
        }
    }
    int32_t presented = Headless_PresentCount();
    EXPECT_EQ(Step(), 1); // tick 600
    EXPECT_EQ(Headless_PresentCount(), presented);

    // Any key ends the display at once, direction keys included.
    ResetScoreScreen(ScoreTableDisplay);
    Step();
    EXPECT_EQ(Step({KeyUp}), 1);
    ResetScoreScreen(ScoreTableDisplay);
    EXPECT_EQ(Step({Key7}), 1);
    CloseScores(dir);
}

TEST(HighScores, WarpMapsAndOffsets)
{
    const int W = 240, H = 320;
    std::vector<int8_t> a(2 * W * H), b(2 * W * H), c(2 * W * H), d(2 * W * H);
    BuildCosTable();
    BuildWarpMaps(a.data(), b.data(), c.data(), d.data(), W, H);
    int at = 10 * 2 * W + 10;
    EXPECT_EQ(a[at], 10);
    EXPECT_EQ(b[at], 8);
    EXPECT_EQ(c[at], 19);
    EXPECT_EQ(d[at], 9);
    EXPECT_EQ(a[0], 0);
    EXPECT_EQ(b[0], 5);
    EXPECT_EQ(c[0], 0);
    EXPECT_EQ(d[0], 0);
    EXPECT_EQ(c[91], -101); // 155 kept as its low byte

    int32_t p, q;
    WarpOffsets(1, &p, &q); // the first tick: 2 degrees
    EXPECT_EQ(p, 91);
    EXPECT_EQ(q, 91);
    WarpOffsets(90, &p, &q); // 180 degrees: the sine is just below zero
    EXPECT_EQ(q, 87);
    WarpOffsets(45, &p, &q);
    EXPECT_EQ(q, 176); // the widest reach stays inside the map rows
}

TEST(HighScores, WarpedBackgroundAndBadInput)
{
    // A background of the wrong size is left out; the display draws over black.
    std::string dir = OpenScores(nullptr, 64);
    EXPECT_EQ(ScorePictures.background, nullptr);
    // Cells from a hostile file are drawn only where the strip has them.
    HighScoreEntry *e = &HighScoreTables[GameTypeA][0];
    e->name[0] = INT_MAX;
    e->name[1] = -1;
    e->name[2] = 41;
    e->score = INT_MIN;
    e->level = -5;
    ResetScoreScreen(ScoreTableDisplay);
    for (int i = 0; i < 10; i++) Step();
    EXPECT_EQ(Pixel(200, 300), 0);
    EXPECT_EQ(Pixel(7, 100), 0);
    EXPECT_EQ(Pixel(21, 100), 0);
    EXPECT_EQ(CellAt(35, 100), 41);
    EXPECT_EQ(CellAt(137, 100), 26);
    EXPECT_EQ(CellAt(149, 100), 21); // -5 rem 10 counts back from the digits
    CloseScores(dir);

    dir = OpenScores(nullptr, 128);
    ASSERT_NE(ScorePictures.background, nullptr);
    // Texel n holds n, so each pixel tells which texel the maps chose.
    for (int n = 0; n < 128 * 128; n++) ScorePictures.background->pixels[n] = (uint16_t)n;
    ResetScoreScreen(ScoreTableDisplay);
    Step();
    // At (0, 0), tick 1: A = 91, B = 27, C = -101, D = 0.
    EXPECT_EQ(Pixel(0, 0), 27 * 128 + 91 - 101);
    CloseScores(dir);
}
