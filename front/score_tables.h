// The high-score tables: five entries for each game type, kept in "HS.dat"
// beside the program, read once at start-up and rewritten after every entry.
#pragma once

#include <cstdint>

enum {
    ScoreTableCount = 4, // game types A..D
    ScoreTableRows = 5,
    HighScoreWords = ScoreTableCount * ScoreTableRows * 5,
    HighScoreFileSize = HighScoreWords * 4, // 400 bytes
    NameLetters = 3,
    BlankLetter = 42, // an empty name position: past the font strip's cells
};

struct HighScoreEntry {
    int32_t name[NameLetters]; // font strip cells
    int32_t score;
    int32_t level;
};

// Row 0 is the best; the rows stay in descending score order.
extern HighScoreEntry HighScoreTables[ScoreTableCount][ScoreTableRows];

// Every table back to its default (the name ZUX and the default scores).
void DefaultHighScores(void);

// Decodes a file's bytes into the tables: the defaults for a missing, empty or
// short file, the values as they stand otherwise.
void DecodeHighScores(const uint8_t *bytes, uint32_t size);

// Encodes the tables as the file's 400 bytes.
void EncodeHighScores(uint8_t out[HighScoreFileSize]);

// Reads "HS.dat" beside the program into the tables.
void LoadHighScores(void);

// The row a score would take in table type: the first row with a lower score,
// so an equal score goes below; -1 when it does not enter (or type is not 0..3).
int32_t HighScoreRow(int32_t type, int32_t score);

// True when the game just ended beats at least one row of its type's table.
bool ScoreQualifies(void);

// Inserts name, score and level into table type, moving the lower rows down;
// the row taken, or -1 when the score does not enter.
int32_t InsertIntoTable(int32_t type, const int32_t name[NameLetters], int32_t score,
                        int32_t level);

// Enters the name just typed with the game's score and level, then rewrites
// "HS.dat" whole so that a failed write never loses the old tables.
void InsertHighScore(void);
