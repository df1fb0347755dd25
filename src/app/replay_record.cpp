// Every game recorded as it is played: the header at set-up, each frame's input as the rules take
// it, and the file written when the game ends.
#include "app/replay.h"

#include "game/load.h"
#include "game/rules_version.h"
#include "game/state.h"
#include "persist/options.h"
#include "persist/replay_files.h"

namespace {
struct {
  treplay replay;
  std::string name;
  bool open = false;
  double playTime = 0;
} recording;

// Too short to be a game anyone wants to see again, and would push a real one out of the twenty.
constexpr double SHORTEST_KEPT = 2.0;
}  // namespace

void BeginRecording(uint32_t seed) {
  treplay &r = recording.replay;
  r = treplay{};
  r.rulesVersion = RULES_VERSION;
  r.seed = seed;
  r.helpBase = Game.helpDay;
  r.tutorial = Options.tutorial ? 1 : 0;
  r.skyScroll = Game.skyScroll;
  r.dataChecksum = GameDataChecksum();
  recording.name = NewReplayName(seed);
  recording.open = true;
  recording.playTime = 0;
}

void RecordFrame(tframeinput &in) {
  QuantiseFrameInput(in);
  // Beyond the longest game a replay holds, the game plays on unrecorded: its file still loads.
  if (!recording.open || recording.replay.frames.size() >= REPLAY_MOST_FRAMES) return;
  recording.replay.frames.push_back(in);
  recording.playTime += in.frameTime;
}

std::string FinishRecording() {
  if (!recording.open) return "";
  recording.open = false;
  const bool kept = recording.playTime >= SHORTEST_KEPT && SaveReplay(recording.replay, recording.name);
  recording.replay.frames = {};
  return kept ? recording.name : "";
}
