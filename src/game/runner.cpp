#include "game/runner.h"

#include "game/load.h"
#include "game/state.h"

namespace {
const tframehooks noHooks = {nullptr, nullptr, nullptr, nullptr};
}

std::string StartHeadlessGame(uint32_t seed, int32_t helpBase) {
  std::string missing = LoadGameRules();
  if (!missing.empty()) return missing;
  Game.helpDay = helpBase;
  SetupGame(seed, noHooks);
  return "";
}

tframeresult StepHeadlessGame(const tframeinput &in) { return GameFrame(in, noHooks); }
