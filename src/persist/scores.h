// The four high-score tables and their 364-byte files "survivescores.zsc", "rescuescores.zsc",
// "hordescores.zsc" and "slayerscores.zsc".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int SCORE_ENTRIES = 13;
constexpr size_t SCORE_NAME_SIZE = 20;
constexpr size_t SCORE_ENTRY_SIZE = 28;
constexpr size_t SCORE_TABLE_SIZE = SCORE_ENTRIES * SCORE_ENTRY_SIZE;  // 364

struct ScoreEntry {
  uint8_t nameLength;          // 0..20; a damaged file may say more, see ScoreName
  char name[SCORE_NAME_SIZE];  // only the first nameLength characters are the name
  uint8_t padding[3];          // written back as held
  int32_t score;
};

// Entry 0 is the best. An all-zero table is empty: blank names scoring 0.
struct ScoreTable {
  ScoreEntry entries[SCORE_ENTRIES];
};

// The tables in file order.
enum ScoreCategory { SCORE_SURVIVE, SCORE_RESCUE, SCORE_HORDE, SCORE_SLAYER, SCORE_CATEGORIES };

extern ScoreTable scoreTables[SCORE_CATEGORIES];

// "survivescores" and so on, without the extension.
const char *ScoreFileName(ScoreCategory category);

// Reads each table from its file in the records folder. A missing file gives an empty table; so does a file that cannot
// be read or is shorter than a table, which is also said in one line on stderr.
void LoadScores();
// Writes all four files, each through a temporary and a rename. Any failure is reported in one
// message box naming the files, and the game goes on; false then. A records folder the player
// was told is unusable is skipped.
bool SaveScores();

// score >= the score of the last entry.
bool Qualifies(const ScoreTable &table, int32_t score);
// Puts (name cut to 20 characters, score) above every entry it equals or beats, pushing the last
// entry out. Does nothing when the score does not qualify. Returns where it went, or -1.
int InsertScore(ScoreTable &table, const std::string &name, int32_t score);

// The name as stored (never more than 20 characters, even when the length byte says more).
std::string ScoreName(const ScoreEntry &entry);

// Field-by-field image of a table. Decode fails on fewer than 364 bytes and reads only the first
// 364 of a longer image.
std::vector<uint8_t> EncodeScoreTable(const ScoreTable &table);
bool DecodeScoreTable(const uint8_t *data, size_t size, ScoreTable &table);
