#include "online/answers.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>

namespace {

using tjson = nlohmann::json;

constexpr int64_t kInt32Least = std::numeric_limits<int32_t>::min(), kInt32Most = std::numeric_limits<int32_t>::max();
constexpr int64_t kCountMost = 1000000000000LL;  // more games than there will ever be

const char *const kBoardNames[WORLD_BOARDS] = {"survivors", "rescue", "horde", "slayer", "daily"};

// The body as a JSON object, or null. Bodies over the cap are refused unread.
tjson Object(const std::string &body) {
  if (body.size() > ONLINE_JSON_MOST_BYTES) return nullptr;
  tjson j = tjson::parse(body, nullptr, false);
  return j.is_object() ? j : tjson(nullptr);
}

const tjson *Field(const tjson &o, const char *name) {
  const auto at = o.find(name);
  return at == o.end() ? nullptr : &*at;
}

// A whole number in [least, most]; unsigned and signed forms both.
bool Integer(const tjson &o, const char *name, int64_t least, int64_t most, int64_t &out) {
  const tjson *f = Field(o, name);
  if (!f) return false;
  if (f->is_number_unsigned()) {
    const uint64_t u = f->get<uint64_t>();
    if (u > static_cast<uint64_t>(most)) return false;
    out = static_cast<int64_t>(u);
  } else if (f->is_number_integer()) {
    out = f->get<int64_t>();
  } else {
    return false;
  }
  return out >= least && out <= most;
}

bool Text(const tjson &o, const char *name, size_t most, std::string &out) {
  const tjson *f = Field(o, name);
  if (!f || !f->is_string()) return false;
  out = f->get<std::string>();
  return out.size() <= most;
}

bool Flag(const tjson &o, const char *name, bool &out) {
  const tjson *f = Field(o, name);
  if (!f || !f->is_boolean()) return false;
  out = f->get<bool>();
  return true;
}

bool OneOf(const std::string &text, std::initializer_list<const char *> words) {
  for (const char *w : words)
    if (text == w) return true;
  return false;
}

bool ReadRank(const tjson &ranks, const char *board, tworldrank &out) {
  const tjson *r = Field(ranks, board);
  if (!r) return true;  // not on that board
  if (!r->is_object()) return false;
  out.on =
      Integer(*r, "rank", 1, kCountMost, out.rank) && Integer(*r, "of", 1, kCountMost, out.of) && out.rank <= out.of;
  return out.on;
}

bool ReadVerified(const tjson &o, tgamestatus &out) {
  const tjson *scores = Field(o, "scores");
  const tjson *ranks = Field(o, "ranks");
  if (!scores || !scores->is_object() || (ranks && !ranks->is_object())) return false;
  const char *const scoreNames[4] = {"survive", "rescue", "horde", "slayer"};
  for (int i = 0; i < 4; ++i) {
    int64_t v = 0;
    if (!Integer(*scores, scoreNames[i], kInt32Least, kInt32Most, v)) return false;
    out.scores[i] = static_cast<int32_t>(v);
  }
  for (int b = 0; ranks && b < WORLD_BOARDS; ++b)
    if (!ReadRank(*ranks, kBoardNames[b], out.ranks[b])) return false;
  const tjson *seconds = Field(o, "seconds");
  if (!seconds || !seconds->is_number()) return false;
  out.seconds = seconds->get<double>();
  if (!std::isfinite(out.seconds) || out.seconds < 0 || out.seconds > 1e7) return false;
  return Flag(o, "won", out.won) && Integer(o, "day", 0, 1000000, out.day) && Text(o, "ended", 20, out.ended) &&
         OneOf(out.ended, {"rescued", "died", "base lost", "unfinished"});
}

bool ReadDailyPart(const tjson &o, tgamestatus &out) {
  const tjson *d = Field(o, "daily");
  if (!d) return true;
  out.daily = true;
  return d->is_object() && Text(*d, "date", 10, out.dailyDate) && ValidDate(out.dailyDate) &&
         Flag(*d, "counted", out.dailyCounted);
}

bool ReadState(const tjson &o, tgamestatus &out) {
  std::string state;
  if (!Text(o, "status", 10, state)) return false;
  if (state == "pending")
    out.state = GAME_PENDING;
  else if (state == "verified")
    out.state = GAME_VERIFIED;
  else if (state == "refused")
    out.state = GAME_REFUSED;
  else
    return false;
  return true;
}

}  // namespace

bool ValidPlayerName(const std::string &name) {
  if (name.empty() || name.size() > ONLINE_NAME_MOST) return false;
  if (name.find_first_not_of(ONLINE_NAME_CHARACTERS) != std::string::npos) return false;
  return name.find_first_not_of(' ') != std::string::npos;
}

bool ValidGameId(const std::string &id) {
  return id.size() == 16 && id.find_first_not_of("0123456789abcdef") == std::string::npos;
}

bool ValidDate(const std::string &date) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (date[i] < '0' || date[i] > '9') return false;
  const int month = (date[5] - '0') * 10 + (date[6] - '0'), day = (date[8] - '0') * 10 + (date[9] - '0');
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

const char *BoardName(tworldboard board) { return board >= 0 && board < WORLD_BOARDS ? kBoardNames[board] : ""; }

bool ReadSubmitted(const std::string &body, tgamestatus &out) {
  out = tgamestatus{};
  const tjson o = Object(body);
  return o.is_object() && Text(o, "id", 16, out.id) && ValidGameId(out.id) && ReadState(o, out);
}

bool ReadGameStatus(const std::string &body, tgamestatus &out) {
  out = tgamestatus{};
  const tjson o = Object(body);
  int64_t ignored = 0;
  std::string submitted;
  if (!o.is_object() || !Text(o, "id", 16, out.id) || !ValidGameId(out.id) || !Text(o, "name", 64, out.name) ||
      !ValidPlayerName(out.name) || !ReadState(o, out) || !Text(o, "submitted", 40, submitted) ||
      !Integer(o, "rules", 0, kInt32Most, ignored) || !Integer(o, "seed", 0, 4294967295LL, ignored))
    return false;
  if (out.state == GAME_VERIFIED && !ReadVerified(o, out)) return false;
  if (out.state == GAME_REFUSED) {
    if (!Text(o, "refusal", 40, out.refusal) || !Text(o, "reason", 1000, out.reason)) return false;
    out.refusal = OneLine(out.refusal, 40);
    out.reason = OneLine(out.reason);
  }
  return ReadDailyPart(o, out);
}

bool ReadBoardPage(const std::string &body, tworldboard board, tboardpage &out) {
  out = tboardpage{};
  out.board = board;
  const tjson o = Object(body);
  std::string name;
  if (!o.is_object() || !Text(o, "board", 16, name) || name != BoardName(board) ||
      !Integer(o, "total", 0, kCountMost, out.total) || !Integer(o, "offset", 0, kCountMost, out.offset) ||
      !Integer(o, "limit", 1, 100, out.limit))
    return false;
  if (board == BOARD_DAILY && (!Text(o, "date", 10, out.date) || !ValidDate(out.date))) return false;
  const tjson *entries = Field(o, "entries");
  if (!entries || !entries->is_array() || entries->size() > static_cast<size_t>(out.limit)) return false;
  int64_t last = 0;
  for (const tjson &e : *entries) {
    tboardentry entry;
    // Ranks rise down the page (equal scores may share none: each row has its own).
    if (!e.is_object() || !Integer(e, "rank", 1, kCountMost, entry.rank) || entry.rank <= last ||
        !Text(e, "name", 64, entry.name) || !ValidPlayerName(entry.name) ||
        !Integer(e, "score", kInt32Least, kInt32Most, entry.score) || !Text(e, "date", 10, entry.date) ||
        !ValidDate(entry.date) || !Integer(e, "rules", 0, kInt32Most, entry.rules) ||
        !Text(e, "game", 16, entry.game) || !ValidGameId(entry.game))
      return false;
    last = entry.rank;
    out.entries.push_back(std::move(entry));
  }
  return true;
}

bool ReadDailyGame(const std::string &body, tdailygame &out) {
  out = tdailygame{};
  const tjson o = Object(body);
  int64_t seed = 0, help = 0;
  if (!o.is_object() || !Text(o, "date", 10, out.date) || !ValidDate(out.date) ||
      !Integer(o, "seed", 0, 4294967295LL, seed) || !Integer(o, "help_base", 0, 1000, help) ||
      !Integer(o, "rules", 0, kInt32Most, out.rules) || !Text(o, "token", 512, out.token) || out.token.empty())
    return false;
  // Sent back as a header: nothing that could end or split it.
  for (unsigned char c : out.token)
    if (c <= ' ' || c >= 127) return false;
  out.seed = static_cast<uint32_t>(seed);
  out.helpBase = static_cast<int32_t>(help);
  return true;
}

bool ReadRemoved(const std::string &body, int64_t &removed) {
  removed = 0;
  const tjson o = Object(body);
  return o.is_object() && Integer(o, "removed", 0, kCountMost, removed);
}

std::string OneLine(const std::string &text, size_t most) {
  std::string line;
  for (unsigned char c : text) {
    const char put = c < ' ' || c >= 127 ? ' ' : static_cast<char>(c);
    if (put == ' ' && (line.empty() || line.back() == ' ')) continue;
    if (line.size() >= most) break;
    line += put;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string RefusalLine(const std::string &body, long status) {
  const tjson o = Object(body);
  std::string error;
  if (o.is_object() && Text(o, "error", 4096, error)) error = OneLine(error);
  if (!error.empty()) return error;
  return "the server said no (HTTP " + std::to_string(status) + ")";
}

std::string RankLine(const tgamestatus &game, tworldboard board) {
  if (board < 0 || board >= WORLD_BOARDS || !game.ranks[board].on) return "";
  return "world rank " + std::to_string(game.ranks[board].rank) + " of " + std::to_string(game.ranks[board].of);
}
