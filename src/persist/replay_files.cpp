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
// The first line of an index that lists its kept replays; an index without it is an earlier
// version's, which kept the newest by name.
const char *const INDEX_HEADER = "redsiege replays 2";
const char *const KEPT_WORD = "kept";
constexpr int MOST_VARIANTS = 999;

// Names go into the index as hex: a name may hold blanks or any byte a damaged table had.
std::string Hex(const std::string &s) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) out += digits[c >> 4], out += digits[c & 15];
  return out.empty() ? "-" : out;
}

bool Matches(const std::string &text, const std::string &pattern) {
  if (text.size() != pattern.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i], p = pattern[i];
    const bool ok = p == 'd'   ? (c >= '0' && c <= '9')
                    : p == 'x' ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                               : c == p;
    if (!ok) return false;
  }
  return true;
}

// "replay-...-SEED.rsr" becomes "replay-...-SEED-2.rsr" and so on.
std::string Variant(const std::string &name, int n) {
  if (n < 2) return name;
  return name.substr(0, name.size() - 4) + "-" + std::to_string(n) + ".rsr";
}

struct tlinkline {
  int table;
  long long score;
  std::string name;  // as hex
  std::string file;
};

enum tindexstate {
  INDEX_MISSING,
  INDEX_READ,
  INDEX_EARLIER,  // an earlier version's: links only
  INDEX_DAMAGED,  // some line could not be read: what the whole lines say is kept
};

struct tindex {
  tindexstate state = INDEX_MISSING;
  std::vector<tlinkline> links;
  std::vector<std::string> kept;  // oldest first
};

bool ParseLine(const std::string &line, tindex &index) {
  std::istringstream fields(line);
  std::string first, rest;
  if (!(fields >> first)) return false;
  if (first == KEPT_WORD) {
    std::string file;
    if (!(fields >> file) || (fields >> rest) || !IsReplayName(file)) return false;
    index.kept.push_back(file);
    return true;
  }
  std::istringstream link(line);
  tlinkline l{};
  int rank = -1;
  if (!(link >> l.table >> rank >> l.score >> l.name >> l.file) || (link >> rest)) return false;
  if (l.table < 0 || l.table >= SCORE_CATEGORIES || rank < 0 || rank >= SCORE_ENTRIES || !IsReplayName(l.file))
    return false;
  index.links.push_back(l);
  return true;
}

tindex ReadIndex() {
  tindex index;
  std::vector<uint8_t> bytes;
  const std::string path = RecordsPath(LINKS_FILE);
  if (!FileExists(path)) return index;
  index.state = INDEX_DAMAGED;
  if (!ReadFileBytes(path, bytes) || bytes.empty() || bytes.back() != '\n') return index;
  std::istringstream lines(std::string(bytes.begin(), bytes.end()));
  std::string line;
  bool headed = false, whole = true;
  for (int n = 0; std::getline(lines, line); ++n) {
    if (n == 0 && line == INDEX_HEADER) {
      headed = true;
      continue;
    }
    if (!line.empty() && !ParseLine(line, index)) whole = false;
  }
  if (whole) index.state = headed ? INDEX_READ : INDEX_EARLIER;
  return index;
}

std::vector<std::string> ReplaysInFolder() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto &entry : std::filesystem::directory_iterator(RecordsFolder(), ec)) {
    const std::string n = entry.path().filename().string();
    if (IsReplayName(n)) names.push_back(n);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The replays pruning may delete, oldest first. Nothing is known of the replays of a damaged or
// missing index, so none of them is ever pruned; an earlier version's kept the newest by name.
std::vector<std::string> KeptReplays(const tindex &index) {
  std::vector<std::string> kept;
  if (index.state == INDEX_READ) kept = index.kept;
  if (index.state == INDEX_EARLIER) kept = ReplaysInFolder();
  std::vector<std::string> known;
  std::set<std::string> seen;
  std::error_code ec;
  for (const std::string &n : kept)
    if (seen.insert(n).second && std::filesystem::exists(RecordsPath(n), ec)) known.push_back(n);
  return known;
}

bool WriteIndex(const std::vector<std::string> &kept) {
  if (recordsFolderReported) return false;
  std::string text = std::string(INDEX_HEADER) + "\n";
  for (int t = 0; t < SCORE_CATEGORIES; ++t)
    for (int r = 0; r < SCORE_ENTRIES; ++r)
      if (!scoreReplays[t][r].empty()) {
        const ScoreEntry &e = scoreTables[t].entries[r];
        text += std::to_string(t) + " " + std::to_string(r) + " " + std::to_string(e.score) + " " + Hex(ScoreName(e)) +
                " " + scoreReplays[t][r] + "\n";
      }
  for (const std::string &n : kept) text += std::string(KEPT_WORD) + " " + n + "\n";
  std::string error;
  if (WriteFileAtomic(RecordsPath(LINKS_FILE), std::vector<uint8_t>(text.begin(), text.end()), &error)) return true;
  std::fprintf(stderr, "replays: %s could not be saved (%s)\n", RecordsPath(LINKS_FILE).c_str(), error.c_str());
  return false;
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
  const std::string base = "replay-dddddddd-dddddd-xxxxxxxx";
  if (name.size() < base.size() + 4 || !Matches(name.substr(0, base.size()), base)) return false;
  const std::string tail = name.substr(base.size());
  if (tail == ".rsr") return true;
  // A variant: "-N.rsr" with N from 2 up, no leading zero.
  for (int digits = 1; digits <= 3; ++digits)
    if (Matches(tail, "-" + std::string(digits, 'd') + ".rsr") && tail[1] != '0' && tail != "-1.rsr") return true;
  return false;
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
  // The lines are in rank order, so equal names with equal scores take their links in order.
  for (const tlinkline &l : ReadIndex().links)
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
      const ScoreEntry &e = scoreTables[l.table].entries[i];
      if (scoreReplays[l.table][i].empty() && e.score == l.score && Hex(ScoreName(e)) == l.name) {
        scoreReplays[l.table][i] = l.file;
        break;
      }
    }
}

bool SaveReplayLinks() { return WriteIndex(KeptReplays(ReadIndex())); }

std::set<std::string> LinkedReplays() {
  std::set<std::string> linked;
  for (const auto &table : scoreReplays)
    for (const std::string &link : table)
      if (!link.empty()) linked.insert(link);
  return linked;
}

void ForgetMissingReplays() {
  std::error_code ec;
  for (auto &table : scoreReplays)
    for (std::string &link : table)
      if (!link.empty() && !std::filesystem::is_regular_file(RecordsPath(link), ec)) link.clear();
}

std::vector<std::string> ReplaysToRemove(const std::vector<std::string> &keptOldestFirst,
                                         const std::set<std::string> &linked, size_t keep) {
  std::vector<std::string> removed;
  const size_t count = keptOldestFirst.size();
  for (size_t i = 0; i + keep < count; ++i)
    if (!linked.count(keptOldestFirst[i])) removed.push_back(keptOldestFirst[i]);
  return removed;
}

std::string SaveReplay(const treplay &replay, const std::string &name) {
  if (recordsFolderReported || RecordsFolder().empty()) return "";  // the player was told at start-up
  const std::vector<uint8_t> bytes = EncodeReplay(replay);
  std::string written, error;
  for (int n = 1; n <= MOST_VARIANTS && written.empty(); ++n) {
    bool taken = false;
    const std::string candidate = Variant(name, n);
    if (WriteNewFile(RecordsPath(candidate), bytes, taken, &error)) written = candidate;
    if (!taken && written.empty()) break;
  }
  if (written.empty()) {
    std::fprintf(stderr, "replays: %s could not be saved (%s)\n", RecordsPath(name).c_str(),
                 error.empty() ? "every variant of its name is taken" : error.c_str());
    return "";
  }
  // Read afresh: another program may have saved a game since this one started.
  std::vector<std::string> kept = KeptReplays(ReadIndex());
  kept.erase(std::remove(kept.begin(), kept.end(), written), kept.end());
  kept.push_back(written);
  std::set<std::string> spared = LinkedReplays();
  spared.insert(written);
  std::error_code ec;
  for (const std::string &old : ReplaysToRemove(kept, spared)) {
    std::filesystem::remove(RecordsPath(old), ec);
    kept.erase(std::find(kept.begin(), kept.end(), old));
  }
  WriteIndex(kept);
  return written;
}
