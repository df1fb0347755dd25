#include "game/runner.h"

#include "game/load.h"
#include "game/rules_version.h"
#include "game/state.h"

namespace {
const tframehooks noHooks = {nullptr, nullptr, nullptr, nullptr};

// The replay reader refuses help days outside its range: every game type's must lie inside.
constexpr bool HelpBasesFitReplays() {
  for (int32_t base : HELP_BASE)
    if (base < REPLAY_LOWEST_HELP_BASE || base > REPLAY_HIGHEST_HELP_BASE) return false;
  return true;
}
static_assert(HelpBasesFitReplays(), "a game type's help day the replay reader would refuse");
}  // namespace

void SetupReplayGame(const treplay &replay, const tframehooks &hooks) {
  Game.helpDay = replay.helpBase;
  Game.skyScroll = replay.skyScroll;
  SetupGame(replay.seed, hooks);
}

tframeresult PlayHeadlessReplay(const treplay &replay, size_t *played, std::string *missing) {
  tframeresult result{};
  if (played) *played = 0;
  std::string lacking = LoadGameRules();
  if (missing) *missing = lacking;
  if (!lacking.empty()) return result;
  return PlayLoadedReplay(replay, played);
}

tframeresult PlayLoadedReplay(const treplay &replay, size_t *played) {
  tframeresult result{};
  if (played) *played = 0;
  SetupReplayGame(replay, noHooks);
  for (const tframeinput &in : replay.frames) {
    result = GameFrame(in, noHooks);
    if (played) ++*played;
    if (result.ended) break;
  }
  return result;
}

std::string StartHeadlessGame(uint32_t seed, int32_t helpBase) {
  std::string missing = LoadGameRules();
  if (!missing.empty()) return missing;
  Game.helpDay = helpBase;
  SetupGame(seed, noHooks);
  return "";
}

tframeresult StepHeadlessGame(const tframeinput &in) { return GameFrame(in, noHooks); }

std::string RulesRefusal(uint32_t recorded) {
  if (recorded == RULES_VERSION) return "";
  return "it was played by rules version " + std::to_string(recorded) + " and this game plays version " +
         std::to_string(RULES_VERSION);
}
