#include "rig/play.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "base/files.h"
#include "game/load.h"
#include "game/player.h"
#include "game/rules_version.h"
#include "game/runner.h"
#include "game/scores.h"
#include "game/state.h"
#include "game/state_hash.h"
#include "persist/options.h"
#include "rig/golden.h"
#include "rig/rig.h"

std::vector<double> GameState() {
  return {double(Game.dayNumber), double(Game.kills), double(Game.survivors), Game.supplies,
          Game.timeOfDay,         Game.playerDamage,  Player.body.pos.x,      Player.body.pos.y};
}

bool NearestZombie(tvector &at) {
  double best = 1e9;
  for (const tenemy &z : enemies)
    if (z.active && std::fabs(z.body.pos.x - Player.body.pos.x) < best)
      best = std::fabs(z.body.pos.x - Player.body.pos.x), at = z.body.pos;
  return best < 1e9;
}

void AimAtNearestZombie(Play &play) {
  tvector target = Player.body.pos + tvector{2, 0.1};
  NearestZombie(target);
  play.aimAt(target);
}

Play::Play(tgametype type, uint32_t seed) : savedBase_(baseDirectory), savedOptions_(Options) {
  MaskFloatExceptions();
  baseDirectory = BuiltDataDir();
  Options.particlesOff = Options.shadowsOff = 0;
  Options.tutorial = 1;
  const std::string missing = StartHeadlessGame(seed, HELP_BASE[type]);
  ended = !missing.empty();
  if (ended) ADD_FAILURE() << "the game could not start without " << missing;
}

Play::~Play() {
  baseDirectory = savedBase_;
  Options = savedOptions_;
}

void Play::frame(uint16_t held) {
  if (ended) return;
  if (scene) scene();
  tframeinput in{frameTime, held, static_cast<uint16_t>(held & ~held_), pointer_};
  held_ = held;
  if (recording) QuantiseFrameInput(in), recording->push_back(in);
  const tframeresult r = StepHeadlessGame(in);
  ++frames;
  if (r.ended) ended = true, won = r.won;
}

bool Play::drive(const std::function<uint16_t()> &actions, const std::function<bool()> &done, double seconds) {
  for (double t = 0; t < seconds && !ended; t += frameTime) {
    if (done && done()) return true;
    frame(actions());
  }
  return done && done();
}

Play &Play::click(double seconds, const std::function<bool()> &done) {
  bool down = false;
  drive([&down] { return (down = !down) ? ACTION_FIRE : 0; }, done, seconds);
  return *this;
}

double Play::secondsUntil(const std::function<bool()> &done, double limit, uint16_t actions) {
  return secondsUntil(done, limit, [actions] { return actions; });
}

double Play::secondsUntil(const std::function<bool()> &done, double limit, const std::function<uint16_t()> &actions) {
  const int from = frames;
  return drive(actions, done, limit) ? (frames - from) * frameTime : -1;
}

Play &Play::press(uint16_t action) {
  if (held_ & action) frame(0);  // let go first: a press is a new one
  frame(action);
  frame(0);
  return *this;
}

Play &Play::aimAt(tvector world) {
  const double range = Player.currentWeapon.range > 0 ? Player.currentWeapon.range : 1;
  return pointer_ = (world - PlayerShoulder()) * (5 / range), *this;
}

Play &Play::rushToNight() {
  until([] { return Game.timeOfDay > NIGHT_TIME; }, 120, ACTION_RUSH);
  return *this;
}

Play &Play::rushToDay(int day) {
  until([day] { return Game.dayNumber >= day; }, 600, ACTION_RUSH);
  return *this;
}

treplay RecordGame(tgametype type, uint32_t seed, double frameTime, const std::function<void(Play &)> &script) {
  treplay replay;
  replay.rulesVersion = RULES_VERSION;
  replay.seed = seed;
  replay.helpBase = HELP_BASE[type];
  replay.tutorial = 1;  // as Play starts every game
  Play play(type, seed);
  replay.skyScroll = Game.skyScroll;
  replay.dataChecksum = GameDataChecksum();
  play.frameTime = frameTime;
  play.recording = &replay.frames;
  script(play);
  return replay;
}

tgoldenrun PlayGolden(const std::string &name, const treplay &replay, bool particlesOff) {
  const std::string savedBase = baseDirectory;
  const toptions savedOptions = Options;
  MaskFloatExceptions();
  baseDirectory = BuiltDataDir();
  Options.particlesOff = particlesOff;
  Options.tutorial = replay.tutorial;
  tgoldenrun run;
  run.end.name = name;
  run.missing = LoadGameRules();
  run.dataChecksum = GameDataChecksum();
  if (run.missing.empty()) {
    const tframehooks none = {nullptr, nullptr, nullptr, nullptr};
    SetupReplayGame(replay, none);
    tframeresult result{};
    uint64_t chain = Fnv1a64(nullptr, 0);
    for (const tframeinput &in : replay.frames) {
      result = GameFrame(in, none);
      const uint64_t h = RuleStateHash();
      run.hashes.push_back(h);
      uint8_t bytes[8];
      PutU64(bytes, h);
      chain = Fnv1a64(bytes, 8, chain);
      if (result.ended) break;
    }
    tgoldenend &e = run.end;
    e.day = Game.dayNumber;
    e.kills = Game.kills;
    e.supplies = Game.supplies;
    e.ending = !result.ended                             ? "none"
               : result.won                              ? "rescue"
               : Game.playerDamage > PLAYER_DAMAGE_LIMIT ? "death"
                                                         : "base";
    const tgamescores s = GameScores(Game);
    const int32_t scores[4] = {s.survive, s.rescue, s.horde, s.slayer};
    std::copy(scores, scores + 4, e.scores);
    e.frames = run.hashes.size();
    e.chain = chain;
  }
  baseDirectory = savedBase;
  Options = savedOptions;
  return run;
}

std::string GoldenDir() { return TestDataDir() + "/golden"; }

// Supplies by their bits too: the printed decimal is for people, the bits for the comparison.
std::string EndLine(const tgoldenend &e) {
  uint64_t bits;
  std::memcpy(&bits, &e.supplies, 8);
  char line[256];
  std::snprintf(line, sizeof line,
                "%s day %d kills %d supplies %.6f %016" PRIx64 " ending %s scores %d %d %d %d frames %" PRIu64
                " chain %016" PRIx64,
                e.name.c_str(), e.day, e.kills, e.supplies, bits, e.ending.c_str(), e.scores[0], e.scores[1],
                e.scores[2], e.scores[3], e.frames, e.chain);
  return line;
}

bool ParseEndLine(const std::string &line, tgoldenend &e) {
  std::istringstream in(line);
  std::string w[8];
  double shown;
  std::string bits, chain;
  in >> e.name >> w[0] >> e.day >> w[1] >> e.kills >> w[2] >> shown >> bits >> w[3] >> e.ending >> w[4] >>
      e.scores[0] >> e.scores[1] >> e.scores[2] >> e.scores[3] >> w[5] >> e.frames >> w[6] >> chain;
  if (!in || w[0] != "day" || w[6] != "chain" || bits.size() != 16 || chain.size() != 16) return false;
  const uint64_t b = std::stoull(bits, nullptr, 16);
  std::memcpy(&e.supplies, &b, 8);
  e.chain = std::stoull(chain, nullptr, 16);
  return true;
}

std::string HashList(const std::vector<uint64_t> &hashes) {
  std::string bytes;
  for (uint64_t h : hashes)
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((h >> (8 * i)) & 0xff);
  return bytes;
}

std::vector<uint32_t> ParseHashList(const std::string &bytes) {
  std::vector<uint32_t> list;
  for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    uint32_t h = 0;
    for (int i = 3; i >= 0; --i) h = (h << 8) | static_cast<uint8_t>(bytes[at + i]);
    list.push_back(h);
  }
  return list;
}
