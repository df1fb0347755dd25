#include "server/verifier_verdict.h"

#include <cstdint>
#include <nlohmann/json.hpp>

#include "persist/replay.h"

namespace {

using json = nlohmann::json;

tgameverdict Refused(const std::string &code, const std::string &reason, double cpu) {
  tgameverdict verdict;
  verdict.status = GAME_REFUSED;
  verdict.refusal = code;
  verdict.reason = reason;
  verdict.verifySeconds = cpu;
  return verdict;
}

// The one line the child printed, parsed; a null value for anything else.
json Line(const std::string &output) {
  if (output.empty() || output.back() != '\n' || output.find('\n') != output.size() - 1) return nullptr;
  json line = json::parse(output, nullptr, false);
  return line.is_object() ? line : json(nullptr);
}

bool Int(const json &object, const char *key, int64_t low, int64_t high, int64_t &value) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_number_integer()) return false;
  value = it->get<int64_t>();
  return value >= low && value <= high;
}

// The refusals the child names, and the line the player reads for each.
struct trefusalline {
  const char *code, *reason;
};
const trefusalline kRefusals[] = {
    {"damaged", "the replay is damaged"},
    {"cut short", "the replay was cut short"},
    {"other rules", "this game was played by other rules: update your game"},
    {"other data", "this game was played with other game data: update your game"},
};

tgameverdict Refusal(const json &line, double cpu) {
  const auto code = line.find("refused");
  if (code != line.end() && code->is_string())
    for (const trefusalline &r : kRefusals)
      if (*code == r.code) return Refused(r.code, r.reason, cpu);
  tgameverdict failed = VerifierFailed("the verifier refused the replay without a reason we know");
  failed.verifySeconds = cpu;
  return failed;
}

// The verdict's line as redsiege-verify prints it; false for any field missing or mistyped.
bool Played(const json &line, tgameverdict &verdict) {
  int64_t frames = 0, day = 0, score[4] = {};
  const auto scores = line.find("scores"), won = line.find("won"), cut = line.find("cut"),
             seconds = line.find("seconds"), ended = line.find("ended");
  if (scores == line.end() || !scores->is_object() || won == line.end() || !won->is_boolean() || cut == line.end() ||
      !cut->is_boolean() || seconds == line.end() || !seconds->is_number() || ended == line.end() ||
      !ended->is_string())
    return false;
  const char *const names[] = {"survive", "rescue", "horde", "slayer"};
  for (int i = 0; i < 4; ++i)
    if (!Int(*scores, names[i], INT32_MIN, INT32_MAX, score[i])) return false;
  if (!Int(line, "frames", 0, REPLAY_MOST_FRAMES, frames) || !Int(line, "day", 0, INT32_MAX, day)) return false;
  const std::string how = ended->get<std::string>();
  if (how != "rescued" && how != "died" && how != "base lost" && how != "unfinished") return false;
  const double played = seconds->get<double>();
  if (!(played >= 0)) return false;
  verdict.scores = {static_cast<int32_t>(score[0]), static_cast<int32_t>(score[1]), static_cast<int32_t>(score[2]),
                    static_cast<int32_t>(score[3])};
  verdict.won = won->get<bool>();
  verdict.day = static_cast<int32_t>(day);
  verdict.gameSeconds = played;
  verdict.ended = how;
  verdict.frames = static_cast<uint32_t>(frames);
  if (cut->get<bool>()) verdict.refusal = "cut short";
  return true;
}

}  // namespace

tgameverdict VerifierFailed(const std::string &why) {
  return Refused("verifier failed", "the server could not play the replay (" + why + ")", 0);
}

tgameverdict JudgeChild(const tchildend &end, const tgamescores &claimed) {
  const double cpu = end.cpuSeconds;
  if (end.overCpu || end.overWall)
    return Refused("too long", "the replay took longer to play than a game of its length may", cpu);
  tgameverdict failed = VerifierFailed(end.overflow   ? "it printed too much"
                                       : !end.exited  ? "it died of signal " + std::to_string(end.signal)
                                       : end.code > 1 ? "it ended with status " + std::to_string(end.code)
                                                      : "it printed no verdict");
  failed.verifySeconds = cpu;
  if (end.overflow || !end.exited || end.code > 1) return failed;
  const json line = Line(end.output);
  if (line.is_null()) return failed;
  if (end.code == 1) return Refusal(line, cpu);
  tgameverdict verdict;
  if (!Played(line, verdict)) return failed;
  verdict.verifySeconds = cpu;
  if (verdict.refusal == "cut short") {
    tgameverdict cut = Refused("cut short", "the replay was cut short", cpu);
    cut.frames = verdict.frames;
    return cut;
  }
  const tgamescores &s = verdict.scores;
  if (s.survive != claimed.survive || s.rescue != claimed.rescue || s.horde != claimed.horde ||
      s.slayer != claimed.slayer) {
    tgameverdict differ = verdict;
    differ.status = GAME_REFUSED;
    differ.refusal = "claimed scores differ";
    differ.reason = "the scores claimed differ from those its replay plays to (survive " + std::to_string(s.survive) +
                    ", rescue " + std::to_string(s.rescue) + ", horde " + std::to_string(s.horde) + ", slayer " +
                    std::to_string(s.slayer) + ")";
    return differ;
  }
  verdict.status = GAME_VERIFIED;
  return verdict;
}
