#include "server/verify.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "base/files.h"
#include "game/load.h"
#include "game/rules_version.h"
#include "game/runner.h"
#include "game/state.h"
#include "game/state_hash.h"
#include "persist/replay.h"

namespace {

// Why a replay that was read cannot be played here, "" when it can.
std::string Refusal(const treplay &replay) {
  std::string why = RulesRefusal(replay.rulesVersion);
  if (!why.empty()) return why;
  if (replay.dataChecksum != GameDataChecksum()) return "it was recorded with other game data";
  return "";
}

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

}  // namespace

bool VerifyReplay(const std::string &path, tverdict &verdict, std::string &why) {
  treplay replay;
  // A replay cut short plays its whole blocks: what they reach is what it proves.
  if (!LoadReplay(path, replay, why)) return false;
  std::string reason = Refusal(replay);
  size_t played = 0;
  tframeresult result{};
  if (reason.empty()) {
    std::string missing;
    result = PlayHeadlessReplay(replay, &played, &missing);
    if (!missing.empty()) reason = "the data folder has no " + missing;
  }
  if (!reason.empty()) {
    why = "the replay \"" + PrintableText(path) + "\" cannot be played: " + reason;
    return false;
  }
  why.clear();
  verdict = tverdict{};
  verdict.rules = replay.rulesVersion;
  verdict.seed = replay.seed;
  verdict.frames = played;
  verdict.day = Game.dayNumber;
  verdict.timeOfDay = Game.timeOfDay;
  verdict.kills = Game.kills;
  verdict.supplies = Game.supplies;
  verdict.ended = HowItEnded(result);
  verdict.hash = RuleStateHash();
  verdict.scores = GameScores(Game);
  return true;
}

std::string VerdictJson(const tverdict &v) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016" PRIx64, v.hash);
  return "{\"rules\":" + std::to_string(v.rules) + ",\"seed\":" + std::to_string(v.seed) +
         ",\"frames\":" + std::to_string(v.frames) + ",\"day\":" + std::to_string(v.day) +
         ",\"time\":" + Number(v.timeOfDay) + ",\"kills\":" + std::to_string(v.kills) +
         ",\"supplies\":" + Number(v.supplies) + ",\"ended\":\"" + v.ended + "\",\"hash\":\"" + hash +
         "\",\"scores\":{\"survive\":" + std::to_string(v.scores.survive) +
         ",\"rescue\":" + std::to_string(v.scores.rescue) + ",\"horde\":" + std::to_string(v.scores.horde) +
         ",\"slayer\":" + std::to_string(v.scores.slayer) + "}}";
}
