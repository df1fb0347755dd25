#include "rig/play.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/files.h"
#include "game/player.h"
#include "game/runner.h"
#include "game/state.h"
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
