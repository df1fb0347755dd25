#include "server/verify.h"

#include <unistd.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "base/files.h"
#include "game/load.h"
#include "game/rules_version.h"
#include "game/runner.h"
#include "game/state.h"
#include "game/state_hash.h"
#include "world/terrain.h"

namespace {

// Which closing sequence ran out: each sets its timer past 6.5 s as it ends.
const char *HowItEnded(const tframeresult &result) {
  if (!result.ended) return "unfinished";
  if (result.won) return "rescued";
  if (Game.playerDamage > PLAYER_DAMAGE_LIMIT && Ending.deathTimer > 6.5) return "died";
  return "base lost";
}

std::string Number(double v) {
  if (!std::isfinite(v)) return "null";  // JSON has no NaN or infinity
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// A JSON string of a reason (already printable: its file name is escaped).
std::string Quoted(const std::string &text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) continue;
    out += c;
  }
  return out + "\"";
}

bool Refuse(const std::string &path, const std::string &reason, tverifyrefusal kind, std::string &why,
            tverifyrefusal &refusal) {
  why = "the replay \"" + PrintableText(path) + "\" cannot be played: " + reason;
  refusal = kind;
  return false;
}

}  // namespace

const char *VerifyRefusalCode(tverifyrefusal refusal) {
  switch (refusal) {
    case VERIFY_DAMAGED: return "damaged";
    case VERIFY_CUT_SHORT: return "cut short";
    case VERIFY_OTHER_RULES: return "other rules";
    case VERIFY_OTHER_DATA: return "other data";
    case VERIFY_NO_DATA: return "no data";
  }
  return "damaged";
}

bool ReadForVerify(const std::string &path, treplay &replay, bool &cut, std::string &why, tverifyrefusal &refusal) {
  treplaystatus status = REPLAY_OK;
  const bool read = path == "-" ? ReadReplayStream(STDIN_FILENO, "standard input", replay, why, &status)
                                : LoadReplay(path, replay, why, &status);
  cut = status == REPLAY_TRUNCATED;
  if (!read) {
    // A newer format is a newer game's: updating tells the same as for newer rules.
    refusal = cut ? VERIFY_CUT_SHORT : status == REPLAY_OTHER_VERSION ? VERIFY_OTHER_RULES : VERIFY_DAMAGED;
    return false;
  }
  const std::string rules = RulesRefusal(replay.rulesVersion);
  if (!rules.empty()) return Refuse(path, rules, VERIFY_OTHER_RULES, why, refusal);
  if (replay.dataChecksum != GameDataChecksum())
    return Refuse(path, "it was recorded with other game data", VERIFY_OTHER_DATA, why, refusal);
  const std::string missing = LoadGameRules();
  if (!missing.empty()) return Refuse(path, "the data folder has no " + missing, VERIFY_NO_DATA, why, refusal);
  // Each day reads the level pieces again: read them now, while files can still be opened.
  KeepPiecesLoaded();
  why.clear();
  return true;
}

tverdict PlayForVerify(const treplay &replay, bool cut) {
  size_t played = 0;
  const tframeresult result = PlayLoadedReplay(replay, &played);
  tverdict verdict;
  verdict.rules = replay.rulesVersion;
  verdict.seed = replay.seed;
  verdict.frames = played;
  verdict.day = Game.dayNumber;
  verdict.timeOfDay = Game.timeOfDay;
  verdict.kills = Game.kills;
  verdict.supplies = Game.supplies;
  verdict.ended = HowItEnded(result);
  verdict.won = result.won;
  for (size_t i = 0; i < played; ++i) verdict.seconds += replay.frames[i].frameTime;
  verdict.cut = cut;
  verdict.hash = RuleStateHash();
  verdict.scores = GameScores(Game);
  return verdict;
}

std::string VerdictJson(const tverdict &v) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016" PRIx64, v.hash);
  const char *const yes[] = {"false", "true"};
  return "{\"rules\":" + std::to_string(v.rules) + ",\"seed\":" + std::to_string(v.seed) +
         ",\"frames\":" + std::to_string(v.frames) + ",\"day\":" + std::to_string(v.day) +
         ",\"time\":" + Number(v.timeOfDay) + ",\"kills\":" + std::to_string(v.kills) +
         ",\"supplies\":" + Number(v.supplies) + ",\"ended\":\"" + v.ended + "\",\"won\":" + yes[v.won] +
         ",\"seconds\":" + Number(v.seconds) + ",\"cut\":" + yes[v.cut] + ",\"hash\":\"" + hash +
         "\",\"scores\":{\"survive\":" + std::to_string(v.scores.survive) +
         ",\"rescue\":" + std::to_string(v.scores.rescue) + ",\"horde\":" + std::to_string(v.scores.horde) +
         ",\"slayer\":" + std::to_string(v.scores.slayer) + "}}";
}

std::string RefusalJson(tverifyrefusal refusal, const std::string &why) {
  return std::string("{\"refused\":\"") + VerifyRefusalCode(refusal) + "\",\"reason\":" + Quoted(why) + "}";
}
