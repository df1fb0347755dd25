#include "persist/replay_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "base/files.h"
#include "persist/folders.h"

std::string scoreReplays[SCORE_CATEGORIES][SCORE_ENTRIES];

namespace {
const char *const LINKS_FILE = "replays.idx";

// Names go into the index as hex: a name may hold blanks or any byte a damaged table had.
std::string Hex(const std::string &s) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) out += digits[c >> 4], out += digits[c & 15];
  return out.empty() ? "-" : out;
}
}  // namespace

std::string NewReplayName(uint32_t seed) {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  gmtime_r(&now, &t);
  char name[80];
  std::snprintf(name, sizeof name, "replay-%04d%02d%02d-%02d%02d%02d-%08x.rsr", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, static_cast<unsigned>(seed));
  return name;
}

bool IsReplayName(const std::string &name) {
  const std::string pattern = "replay-dddddddd-dddddd-xxxxxxxx.rsr";
  if (name.size() != pattern.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i], p = pattern[i];
    const bool ok = p == 'd'   ? (c >= '0' && c <= '9')
                    : p == 'x' ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                               : c == p;
    if (!ok) return false;
  }
  return true;
}

void LinkScoreReplay(ScoreCategory table, int rank, const std::string &file) {
  if (table < 0 || table >= SCORE_CATEGORIES || rank < 0 || rank >= SCORE_ENTRIES) return;
  std::string *links = scoreReplays[table];
  for (int i = SCORE_ENTRIES - 1; i > rank; --i) links[i] = links[i - 1];
  links[rank] = file;
}

void LoadReplayLinks() {
  for (auto &table : scoreReplays)
    for (std::string &link : table) link.clear();
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(RecordsPath(LINKS_FILE), bytes)) return;
  std::istringstream lines(std::string(bytes.begin(), bytes.end()));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    int table = -1, rank = -1;
    long long score = 0;
    std::string name, file;
    if (!(fields >> table >> rank >> score >> name >> file)) continue;
    if (table < 0 || table >= SCORE_CATEGORIES || rank < 0 || rank >= SCORE_ENTRIES || !IsReplayName(file)) continue;
    const ScoreEntry &e = scoreTables[table].entries[rank];
    if (e.score == score && Hex(ScoreName(e)) == name) scoreReplays[table][rank] = file;
  }
}

bool SaveReplayLinks() {
  if (recordsFolderReported) return false;
  std::string text;
  for (int t = 0; t < SCORE_CATEGORIES; ++t)
    for (int r = 0; r < SCORE_ENTRIES; ++r)
      if (!scoreReplays[t][r].empty()) {
        const ScoreEntry &e = scoreTables[t].entries[r];
        text += std::to_string(t) + " " + std::to_string(r) + " " + std::to_string(e.score) + " " + Hex(ScoreName(e)) +
                " " + scoreReplays[t][r] + "\n";
      }
  std::string error;
  if (WriteFileAtomic(RecordsPath(LINKS_FILE), std::vector<uint8_t>(text.begin(), text.end()), &error)) return true;
  std::fprintf(stderr, "replays: %s could not be saved (%s)\n", RecordsPath(LINKS_FILE).c_str(), error.c_str());
  return false;
}

std::set<std::string> LinkedReplays() {
  std::set<std::string> linked;
  for (const auto &table : scoreReplays)
    for (const std::string &link : table)
      if (!link.empty()) linked.insert(link);
  return linked;
}

std::vector<std::string> ReplaysToRemove(std::vector<std::string> names, const std::set<std::string> &linked,
                                         size_t keep) {
  std::sort(names.begin(), names.end(), std::greater<std::string>());  // newest first
  std::vector<std::string> removed;
  for (size_t i = keep; i < names.size(); ++i)
    if (!linked.count(names[i])) removed.push_back(names[i]);
  return removed;
}

bool SaveReplay(const treplay &replay, const std::string &name) {
  if (recordsFolderReported || RecordsFolder().empty()) return false;  // the player was told at start-up
  std::string error;
  if (!WriteFileAtomic(RecordsPath(name), EncodeReplay(replay), &error)) {
    std::fprintf(stderr, "replays: %s could not be saved (%s)\n", RecordsPath(name).c_str(), error.c_str());
    return false;
  }
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto &entry : std::filesystem::directory_iterator(RecordsFolder(), ec)) {
    const std::string n = entry.path().filename().string();
    if (IsReplayName(n)) names.push_back(n);
  }
  for (const std::string &old : ReplaysToRemove(names, LinkedReplays())) std::filesystem::remove(RecordsPath(old), ec);
  return true;
}
