// The score tables and their files: one table per file, entries field by field.
#include "persist/scores.h"

#include <cstdio>
#include <cstring>

#include "base/files.h"
#include "persist/folders.h"
#include "platform/message.h"

ScoreTable scoreTables[SCORE_CATEGORIES] = {};

namespace {
const char *const SCORE_FILE_NAMES[SCORE_CATEGORIES] = {"survivescores", "rescuescores", "hordescores", "slayerscores"};

std::string ScorePath(int category) { return RecordsPath(std::string(SCORE_FILE_NAMES[category]) + ".zsc"); }

// Entry layout: length byte at 0, name at 1, padding at 21, score at 24.
void PutEntry(uint8_t *p, const ScoreEntry &e) {
  p[0] = e.nameLength;
  std::memcpy(p + 1, e.name, SCORE_NAME_SIZE);
  std::memcpy(p + 21, e.padding, sizeof e.padding);
  PutI32(p + 24, e.score);
}

void GetEntry(const uint8_t *p, ScoreEntry &e) {
  e.nameLength = p[0];
  std::memcpy(e.name, p + 1, SCORE_NAME_SIZE);
  std::memcpy(e.padding, p + 21, sizeof e.padding);
  e.score = GetI32(p + 24);
}
}  // namespace

const char *ScoreFileName(ScoreCategory category) { return SCORE_FILE_NAMES[category]; }

std::vector<uint8_t> EncodeScoreTable(const ScoreTable &table) {
  std::vector<uint8_t> bytes(SCORE_TABLE_SIZE);
  for (int i = 0; i < SCORE_ENTRIES; ++i) PutEntry(&bytes[i * SCORE_ENTRY_SIZE], table.entries[i]);
  return bytes;
}

bool DecodeScoreTable(const uint8_t *data, size_t size, ScoreTable &table) {
  if (size < SCORE_TABLE_SIZE) return false;
  ScoreTable read;
  for (int i = 0; i < SCORE_ENTRIES; ++i) GetEntry(data + i * SCORE_ENTRY_SIZE, read.entries[i]);
  table = read;
  return true;
}

void LoadScores() {
  for (int c = 0; c < SCORE_CATEGORIES; ++c) {
    std::string path = ScorePath(c);
    if (!FileExists(path)) {
      scoreTables[c] = ScoreTable{};  // no games recorded yet: not an error
      continue;
    }
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(path, bytes) && DecodeScoreTable(bytes.data(), bytes.size(), scoreTables[c])) continue;
    // A damaged table must not stop the game; it starts over empty.
    scoreTables[c] = ScoreTable{};
    std::fprintf(stderr, "scores: %s is unreadable or shorter than %zu bytes; its table starts empty\n", path.c_str(),
                 SCORE_TABLE_SIZE);
  }
}

bool SaveScores() {
  if (recordsFolderReported) return false;  // the player was told at start-up
  std::string failed;
  for (int c = 0; c < SCORE_CATEGORIES; ++c) {
    std::string path = ScorePath(c), error;
    if (!WriteFileAtomic(path, EncodeScoreTable(scoreTables[c]), &error))
      failed += (failed.empty() ? "" : "\n") + path + " (" + error + ")";
  }
  if (failed.empty()) return true;
  ShowMessage("Couldn't save the high scores:\n" + failed, "High Scores", MB_ICONEXCLAMATION);
  return false;
}

bool Qualifies(const ScoreTable &table, int32_t score) { return score >= table.entries[SCORE_ENTRIES - 1].score; }

int InsertScore(ScoreTable &table, const std::string &name, int32_t score) {
  if (!Qualifies(table, score)) return -1;
  int p = SCORE_ENTRIES - 1;
  for (int i = SCORE_ENTRIES - 1; i >= 0; --i)
    if (score >= table.entries[i].score) p = i;
  for (int i = SCORE_ENTRIES - 1; i > p; --i) table.entries[i] = table.entries[i - 1];
  // Only the length, the name's own characters and the score change; the rest keeps its bytes.
  ScoreEntry &e = table.entries[p];
  size_t n = name.size() < SCORE_NAME_SIZE ? name.size() : SCORE_NAME_SIZE;
  e.nameLength = static_cast<uint8_t>(n);
  std::memcpy(e.name, name.data(), n);
  e.score = score;
  return p;
}

std::string ScoreName(const ScoreEntry &entry) {
  size_t n = entry.nameLength < SCORE_NAME_SIZE ? entry.nameLength : SCORE_NAME_SIZE;
  return std::string(entry.name, n);
}
