// The answers that read: a game, its replay, a board, the day's seed, and the health check; and
// the one that removes a player.
#include "game/rules_version.h"
#include "server/api_parts.h"
#include "server/daily.h"

namespace {
constexpr int64_t BOARD_DEFAULT_LIMIT = 13, BOARD_MOST_LIMIT = 100;
constexpr int64_t BOARD_MOST_OFFSET = 1000000000;

// A whole number in [least, most] from a query string; absent leaves `value` as it is.
bool QueryNumber(const std::string &query, const char *name, int64_t least, int64_t most, int64_t &value) {
  std::string text;
  bool bad = false;
  if (!QueryValue(query, name, text, bad)) return !bad;
  if (text.empty() || text.size() > 10) return false;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < least || v > most) return false;
  value = v;
  return true;
}

nlohmann::json Scores(const tgamescores &s) {
  return {{"survive", s.survive}, {"rescue", s.rescue}, {"horde", s.horde}, {"slayer", s.slayer}};
}
}  // namespace

tresponse GameAnswer(const std::string &id, tservice &service) {
  if (!IsGameId(id)) return ErrorAnswer(400, "a game's id is 16 hex digits");
  tgamerow row;
  if (!service.store->GetGame(id, row) || row.hidden) return ErrorAnswer(404, "there is no such game");
  nlohmann::json j = {{"id", row.id},
                      {"name", row.name},
                      {"status", GameStatusName(row.status)},
                      {"submitted", IsoTime(row.submittedAt)},
                      {"rules", row.rules},
                      {"seed", row.seed}};
  if (row.status == GAME_VERIFIED) {
    j["scores"] = Scores(row.scores);
    nlohmann::json ranks = nlohmann::json::object();
    for (int b = BOARD_SURVIVORS; b <= BOARD_DAILY; ++b) {
      int64_t rank = 0, total = 0;
      service.store->RankOn(static_cast<tboard>(b), id, rank, total);
      if (rank > 0) ranks[BoardName(static_cast<tboard>(b))] = {{"rank", rank}, {"of", total}};
    }
    j["ranks"] = ranks;
    j["won"] = row.won;
    j["day"] = row.day;
    j["ended"] = row.ended;
    j["seconds"] = row.gameSeconds;
    if (!row.dailyDate.empty()) j["daily"] = {{"date", row.dailyDate}, {"counted", row.dailyCounted}};
  } else if (row.status == GAME_REFUSED) {
    j["refusal"] = row.refusal;
    j["reason"] = row.reason;
  }
  return JsonAnswer(200, j);
}

tresponse ReplayAnswer(const std::string &id, tservice &service) {
  if (!IsGameId(id)) return ErrorAnswer(400, "a game's id is 16 hex digits");
  tgamerow row;
  std::vector<uint8_t> bytes;
  if (!service.store->GetGame(id, row) || row.hidden || row.status != GAME_VERIFIED ||
      !service.store->Replay(id, bytes))
    return ErrorAnswer(404, "there is no such verified game");
  tresponse r;
  r.contentType = "application/x-redsiege-replay";
  r.body.assign(bytes.begin(), bytes.end());
  r.headers["Content-Disposition"] = "attachment; filename=\"redsiege-" + id + ".rsr\"";
  return r;
}

tresponse BoardAnswer(const std::string &name, const trequest &request, tservice &service) {
  tboard board;
  if (!BoardFromName(name, board)) return ErrorAnswer(404, "there is no such board");
  int64_t offset = 0, limit = BOARD_DEFAULT_LIMIT;
  if (!QueryNumber(request.query, "offset", 0, BOARD_MOST_OFFSET, offset))
    return ErrorAnswer(400, "offset is a whole number from 0");
  if (!QueryNumber(request.query, "limit", 1, BOARD_MOST_LIMIT, limit))
    return ErrorAnswer(400, "limit is a whole number from 1 to 100");
  std::string date;
  bool bad = false;
  const bool dated = QueryValue(request.query, "date", date, bad);
  if (bad || (dated && (board != BOARD_DAILY || !IsDate(date))))
    return ErrorAnswer(400, "date is YYYY-MM-DD, for the daily board only");
  if (board == BOARD_DAILY && !dated) date = UtcDate(request.now);
  const tboardpage page = service.store->Board(board, board == BOARD_DAILY ? date : "", offset, limit);
  nlohmann::json entries = nlohmann::json::array();
  for (const tboardentry &e : page.entries)
    entries.push_back({{"rank", e.rank},
                       {"name", e.name},
                       {"score", e.score},
                       {"date", UtcDate(e.submittedAt)},
                       {"rules", e.rules},
                       {"game", e.gameId}});
  nlohmann::json j = {{"board", BoardName(board)}, {"total", page.total}, {"offset", offset}, {"limit", limit}};
  if (board == BOARD_DAILY) j["date"] = date;
  j["entries"] = entries;
  return JsonAnswer(200, j);
}

tresponse DailyAnswer(const trequest &request, tservice &service) {
  const std::string date = UtcDate(request.now);
  return JsonAnswer(200, {{"date", date},
                          {"seed", DailySeed(service.secret, date)},
                          {"help_base", DAILY_HELP_BASE},
                          {"rules", RULES_VERSION},
                          {"token", DailyToken(service.secret, date, request.now)}});
}

tresponse DeletePlayerAnswer(const std::string &escapedName, const trequest &request, tservice &service) {
  std::string key, name;
  if (!KeyFromAuthorization(HeaderValue(request, "authorization"), key))
    return ErrorAnswer(401, "send the name's key as \"Authorization: Bearer KEY\"");
  if (!PercentDecode(escapedName, name) || !NameIsValid(name))
    return ErrorAnswer(400, "a name is 1 to 20 of a-z 0-9 space . ! ? + -");
  const int64_t removed = service.store->DeletePlayer(name, Sha256Hex(key.data(), key.size()));
  if (removed < 0) return ErrorAnswer(403, "this key is not the name's");
  return JsonAnswer(200, {{"removed", removed}});
}

tresponse HealthAnswer(tservice &service) {
  const std::string kind = service.store->Kind();
  try {
    service.store->PendingCount();  // a query that reaches the database
  } catch (const tstoreerror &) {
    tresponse r =
        JsonAnswer(503, {{"status", "unavailable"}, {"database", kind}, {"error", "the database cannot be reached"}});
    r.headers["Retry-After"] = "30";
    return r;
  }
  return JsonAnswer(200, {{"status", "ok"}, {"database", kind}});
}
