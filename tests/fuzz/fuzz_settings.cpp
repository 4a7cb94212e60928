// The files kept between runs, whatever they hold: "SS.dat" through the
// settings decoder and "HS.dat" through the high-score decoder, with a lookup
// and an insertion into the tables read. A decoded file must be safe to use
// and stable once written.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "front/score_tables.h"
#include "front/settings.h"
#include "game/progress.h"
#include "game/skins.h"

static int32_t ReadWord(const uint8_t *p)
{
    return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
                     (uint32_t)p[3] << 24);
}

static void CheckSettings(const uint8_t *data, uint32_t size)
{
    DecodeSettings(data, size);
    if (Settings.SelectedSkin < 0 || Settings.SelectedSkin >= SkinCount) abort();
    // Continue is only ever offered for a game the board can take.
    if (SavedGame.SavedGameValid != 0 && !SavedGamePlayable()) abort();

    // What the program writes back reads in as the same values.
    uint8_t first[SettingsFileSize], second[SettingsFileSize];
    EncodeSettings(first);
    DecodeSettings(first, SettingsFileSize);
    EncodeSettings(second);
    if (memcmp(first, second, SettingsFileSize) != 0) abort();

    // A complete file whose skin is known and whose saved game was kept is
    // taken word for word.
    if (size >= SettingsFileSize) {
        int32_t skin = ReadWord(data), valid = ReadWord(data + 28);
        if (skin >= 0 && skin < SkinCount && SavedGame.SavedGameValid == valid &&
            memcmp(data, first, SettingsFileSize) != 0)
            abort();
    }
}

// A lookup and an insertion with any game type and score stay inside the
// tables and agree on the row.
static void CheckInsertion(int32_t type, int32_t score)
{
    int32_t row = HighScoreRow(type, score);
    bool known = type >= 0 && type < ScoreTableCount;
    if (row < -1 || row >= ScoreTableRows || (!known && row != -1)) abort();
    const int32_t name[NameLetters] = {0, 1, BlankLetter};
    if (InsertIntoTable(type, name, score, 1) != row) abort();
    if (row >= 0 && HighScoreTables[type][row].score != score) abort();
}

static void CheckHighScores(const uint8_t *data, uint32_t size)
{
    DecodeHighScores(data, size);
    uint8_t read[HighScoreFileSize], expected[HighScoreFileSize];
    EncodeHighScores(read);
    if (size >= HighScoreFileSize) {
        // The values are taken as they stand.
        if (memcmp(read, data, HighScoreFileSize) != 0) abort();
    } else {
        DefaultHighScores();
        EncodeHighScores(expected);
        if (memcmp(read, expected, HighScoreFileSize) != 0) abort();
    }
    if (size >= 8) {
        DecodeHighScores(data, size);
        CheckInsertion(data[0] % 6 - 1, ReadWord(data + size - 4));
        CheckInsertion(ReadWord(data + size - 8), ReadWord(data + size - 4));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFF) return 0;
    CheckSettings(data, (uint32_t)size);
    CheckHighScores(data, (uint32_t)size);
    return 0;
}
