// The high-score tables and their file: 100 signed 32-bit little-endian words,
// table after table, row after row: three name cells, the score, the level.
#include "front/score_tables.h"

#include "front/score_screen.h"
#include "game/progress.h"
#include "res/files.h"
#include "res/words.h"

HighScoreEntry HighScoreTables[ScoreTableCount][ScoreTableRows];

static const char HighScoreFileName[] = "HS.dat";

static const int32_t DefaultScores[ScoreTableCount][ScoreTableRows] = {
    {1000, 900, 800, 700, 600},
    {1100, 1000, 900, 800, 700},
    {900, 800, 700, 600, 500},
    {900, 800, 700, 600, 500},
};

static const int32_t DefaultLevels[ScoreTableCount][ScoreTableRows] = {
    {10, 9, 8, 7, 6},
    {15, 13, 11, 9, 7},
    {10, 9, 8, 7, 6},
    {10, 9, 8, 7, 6},
};

// Z, U, X in the font strip.
static const int32_t DefaultName[NameLetters] = {25, 20, 23};

void DefaultHighScores(void)
{
    for (int t = 0; t < ScoreTableCount; t++)
        for (int r = 0; r < ScoreTableRows; r++) {
            HighScoreEntry *e = &HighScoreTables[t][r];
            for (int j = 0; j < NameLetters; j++) e->name[j] = DefaultName[j];
            e->score = DefaultScores[t][r];
            e->level = DefaultLevels[t][r];
        }
}

void DecodeHighScores(const uint8_t *bytes, uint32_t size)
{
    // A short file is taken as none rather than read past its end.
    if (!bytes || size < HighScoreFileSize) {
        DefaultHighScores();
        return;
    }
    for (int t = 0; t < ScoreTableCount; t++)
        for (int r = 0; r < ScoreTableRows; r++) {
            const uint8_t *p = bytes + (t * ScoreTableRows + r) * 20;
            HighScoreEntry *e = &HighScoreTables[t][r];
            for (int j = 0; j < NameLetters; j++) e->name[j] = ReadWord(p + 4 * j);
            e->score = ReadWord(p + 12);
            e->level = ReadWord(p + 16);
        }
}

void EncodeHighScores(uint8_t out[HighScoreFileSize])
{
    for (int t = 0; t < ScoreTableCount; t++)
        for (int r = 0; r < ScoreTableRows; r++) {
            uint8_t *p = out + (t * ScoreTableRows + r) * 20;
            const HighScoreEntry *e = &HighScoreTables[t][r];
            for (int j = 0; j < NameLetters; j++) WriteWord(p + 4 * j, e->name[j]);
            WriteWord(p + 12, e->score);
            WriteWord(p + 16, e->level);
        }
}

void LoadHighScores(void)
{
    uint8_t *bytes = nullptr;
    uint32_t size = ReadSaveFile(HighScoreFileName, &bytes);
    DecodeHighScores(bytes, size);
    FreeFileBlock(bytes);
}

int32_t HighScoreRow(int32_t type, int32_t score)
{
    if (type < 0 || type >= ScoreTableCount) return -1;
    for (int32_t r = 0; r < ScoreTableRows; r++)
        if (HighScoreTables[type][r].score < score) return r;
    return -1;
}

bool ScoreQualifies(void) { return HighScoreRow(Game.GameType, Game.Score) >= 0; }

int32_t InsertIntoTable(int32_t type, const int32_t name[NameLetters], int32_t score, int32_t level)
{
    int32_t row = HighScoreRow(type, score);
    if (row < 0) return -1;
    HighScoreEntry *table = HighScoreTables[type];
    for (int32_t r = ScoreTableRows - 1; r > row; r--) table[r] = table[r - 1];
    for (int j = 0; j < NameLetters; j++) table[row].name[j] = name[j];
    table[row].score = score;
    table[row].level = level;
    return row;
}

void InsertHighScore(void)
{
    if (InsertIntoTable(Game.GameType, ScoreScreen.enteredName, Game.Score, Game.Level) < 0) return;
    uint8_t bytes[HighScoreFileSize];
    EncodeHighScores(bytes);
    // A failed write leaves the tables in memory as they are now.
    ReplaceWholeFile(HighScoreFileName, bytes, HighScoreFileSize);
}
