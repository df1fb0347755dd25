// POST /v1/games: a replay checked as far as it can be without playing it, then kept, durable,
// for the verifiers. Every refusal is counted by its reason and stores nothing.
#include <algorithm>
#include <cctype>

#include "game/rules_version.h"
#include "persist/replay.h"
#include "server/api_parts.h"
#include "server/daily.h"

namespace {
struct trefusal {
  int status;
  const char *code;  // counted in the metrics
  std::string message;
};

std::string Lower(std::string s) {
  for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The media type without its parameters or spaces, in lower case.
std::string MediaType(const std::string &header) {
  std::string t = Lower(header.substr(0, header.find(';')));
  t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
  t.erase(std::remove(t.begin(), t.end(), '\t'), t.end());
  return t;
}

// The checks in order; `game` is filled as they pass. Returns false with the refusal.
bool Check(const trequest &request, const tservice &service, tnewgame &game, trefusal &refusal) {
  auto refuse = [&refusal](int status, const char *code, const std::string &message) {
    refusal = {status, code, message};
    return false;
  };
  auto encoding = request.headers.find("content-encoding");
  if (encoding != request.headers.end() && MediaType(encoding->second) != "identity")
    return refuse(415, "compressed", "send the replay as it is, not compressed");
  if (MediaType(HeaderValue(request, "content-type")) != "application/x-redsiege-replay")
    return refuse(415, "content type", "send the replay as application/x-redsiege-replay");
  const std::vector<uint8_t> &body = request.body;
  if (body.size() > REPLAY_MOST_BYTES) return refuse(413, "too large", "this is larger than any replay");
  std::string key;
  if (!KeyFromAuthorization(HeaderValue(request, "authorization"), key))
    return refuse(401, "no key", "send your key as \"Authorization: Bearer KEY\" (16 to 128 letters, digits, . _ ~ -)");
  if (!request.headers.count("player-name")) return refuse(400, "bad name", "send your name in Player-Name");
  if (!PercentDecode(HeaderValue(request, "player-name"), game.name) || !NameIsValid(game.name))
    return refuse(400, "bad name", "a name is 1 to 20 of a-z 0-9 space . ! ? + -");
  if (!ParseClaimedScores(HeaderValue(request, "claimed-scores"), game.claimed))
    return refuse(400, "bad scores", "send Claimed-Scores as four whole numbers: survive,rescue,horde,slayer");

  treplay header;
  uint32_t frames = 0;
  const treplaystatus status = DecodeReplayHeader(body.data(), body.size(), header, frames);
  if (status != REPLAY_OK) return refuse(400, "damaged", "the replay cannot be read: " + ReplayRefusal(status));
  if (header.rulesVersion != RULES_VERSION)
    return refuse(422, "other rules", "this game was played by other rules: update your game");
  if (header.dataChecksum != service.dataChecksum)
    return refuse(422, "other data", "this game was played with other game data: update your game");
  const std::string fault = ReplayHeaderFault(header, frames);
  if (!fault.empty()) return refuse(400, "damaged", "the replay is no game's: " + fault);
  if (body.size() > ReplayMostBytes(frames))
    return refuse(413, "too large", "the replay is larger than its frames can make");

  auto token = request.headers.find("daily-token");
  if (token != request.headers.end()) {
    if (!ReadDailyToken(service.secret, token->second, game.dailyDate, game.dailyTokenAt))
      return refuse(400, "bad daily token", "the daily token is not one this server handed out");
    if (DailySeed(service.secret, game.dailyDate) != header.seed || header.helpBase != DAILY_HELP_BASE)
      return refuse(400, "bad daily token", "this game is not the daily game of " + game.dailyDate);
  }
  const std::string sha = Sha256Hex(body.data(), body.size());
  game.id = sha.substr(0, 16);
  game.replaySha256 = sha;
  game.keyHash = Sha256Hex(key.data(), key.size());
  game.rules = header.rulesVersion;
  game.seed = header.seed;
  game.frames = frames;
  game.submittedAt = request.now;
  game.replay = body;
  return true;
}
}  // namespace

tresponse SubmitGame(const trequest &request, tservice &service) {
  tnewgame game;
  trefusal refusal{};
  std::string existing;
  tinsertresult result = INSERTED;
  if (Check(request, service, game, refusal)) {
    result = service.store->InsertGame(game, existing);
    if (result == NAME_TAKEN) refusal = {403, "name taken", "this name belongs to another player's key"};
    if (result == REPLAY_TAKEN) refusal = {409, "replay taken", "this game was sent by another player"};
  }
  if (refusal.status) {
    if (service.metrics) service.metrics->CountRefusal(refusal.code);
    return ErrorAnswer(refusal.status, refusal.message);
  }
  if (result == INSERTED) {
    if (service.metrics) ++service.metrics->submissions;
    if (service.wake) service.wake();
  }
  // The same game again: where it stands now, which may be past pending.
  const std::string id = result == ALREADY_THERE && !existing.empty() ? existing : game.id;
  tgamerow row;
  const bool known = result == ALREADY_THERE && service.store->GetGame(id, row);
  return JsonAnswer(202, {{"id", id}, {"status", known ? GameStatusName(row.status) : "pending"}});
}
