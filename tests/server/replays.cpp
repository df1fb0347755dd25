#include "server/replays.h"

#include <openssl/evp.h>

#include <cstdio>

#include "base/files.h"
#include "base/vector.h"
#include "game/load.h"
#include "game/rules_version.h"
#include "game/runner.h"
#include "game/state.h"

namespace {

// The rules read their data through baseDirectory: pointed at the build's for one game.
class tdatafolder {
 public:
  tdatafolder() : saved_(baseDirectory) {
    MaskFloatExceptions();
    baseDirectory = REDSIEGE_DATA_DIR;
  }
  ~tdatafolder() { baseDirectory = saved_; }

 private:
  std::string saved_;
};

// What the player does on frame `f` of the game of `seed`: walks one way then the other, jumps,
// fires in bursts, and for a stretch that grows with the seed hurries the day along.
uint16_t ScriptedActions(uint32_t seed, int f) {
  uint16_t a = (f / 90 + seed) % 2 ? ACTION_RIGHT : ACTION_LEFT;
  if (f % 70 < 3) a |= ACTION_JUMP;
  if (f % 4 < 2) a |= ACTION_FIRE;
  if (f < static_cast<int>(seed % 97) * 3) a |= ACTION_RUSH;
  return a;
}

}  // namespace

tplayedgame PlayScriptedGame(uint32_t seed, int frames, int32_t helpBase) {
  tdatafolder data;
  tplayedgame game;
  game.seed = seed;
  // The rules' data once for all games: the load test makes a thousand.
  static const std::string missing = LoadGameRules();
  static const uint64_t checksum = GameDataChecksum();
  if (!missing.empty()) {
    std::fprintf(stderr, "replays: the data folder %s has no %s\n", REDSIEGE_DATA_DIR, missing.c_str());
    return game;
  }
  treplay replay;
  replay.rulesVersion = RULES_VERSION;
  replay.seed = seed;
  replay.helpBase = helpBase;
  replay.skyScroll = 0.5;
  replay.dataChecksum = checksum;
  // Set up as the verifier sets a replay's game up.
  SetupReplayGame(replay, {nullptr, nullptr, nullptr, nullptr});
  uint16_t held = 0;
  for (int f = 0; f < frames; ++f) {
    const uint16_t now = ScriptedActions(seed, f);
    tframeinput in{852.0 / 65536, now, static_cast<uint16_t>(now & ~held), {2.0, (f % 50) / 25.0 - 1}};
    held = now;
    QuantiseFrameInput(in);
    replay.frames.push_back(in);
    const tframeresult r = StepHeadlessGame(in);
    if (r.ended) {
      game.won = r.won;
      break;
    }
  }
  game.scores = GameScores(Game);
  game.frames = replay.frames.size();
  game.bytes = EncodeReplay(replay);
  game.id = ReplayId(game.bytes);
  return game;
}

bool PlayReplayBytes(const std::vector<uint8_t> &bytes, tplayedgame &game) {
  treplay replay;
  const treplaystatus status = DecodeReplay(bytes.data(), bytes.size(), replay);
  if (status != REPLAY_OK && status != REPLAY_TRUNCATED) return false;
  tdatafolder data;
  size_t played = 0;
  const tframeresult r = PlayHeadlessReplay(replay, &played);
  game.bytes = bytes;
  game.id = ReplayId(bytes);
  game.scores = GameScores(Game);
  game.won = r.won;
  game.seed = replay.seed;
  game.frames = played;
  return true;
}

std::vector<uint8_t> ForgeFrames(const std::vector<uint8_t> &bytes,
                                 const std::function<void(std::vector<tframeinput> &)> &edit) {
  treplay replay;
  if (DecodeReplay(bytes.data(), bytes.size(), replay) != REPLAY_OK) return {};
  edit(replay.frames);
  for (tframeinput &in : replay.frames) QuantiseFrameInput(in);
  return EncodeReplay(replay);
}

std::vector<uint8_t> WithHeader(const std::vector<uint8_t> &bytes, const std::function<void(treplay &)> &edit) {
  treplay replay;
  if (DecodeReplay(bytes.data(), bytes.size(), replay) != REPLAY_OK) return {};
  edit(replay);
  return EncodeReplay(replay);
}

std::string ClaimedScores(const tgamescores &s) {
  return std::to_string(s.survive) + "," + std::to_string(s.rescue) + "," + std::to_string(s.horde) + "," +
         std::to_string(s.slayer);
}

std::string ReplayId(const std::vector<uint8_t> &bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
  std::string hex;
  for (unsigned int i = 0; i < 8 && i < size; ++i) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}
