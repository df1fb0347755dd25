// Rules benchmark: a game played headless (no window, GL or sound device) from a fixed seed, the
// player running to and fro and firing. Prints the cost of the rules alone: a day rushed through,
// then a thousand frames of a night held with at least a hundred zombies round the base.
// Run it beside the data folder: build/bench_rules [frames]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/files.h"
#include "bench_util.h"
#include "game/objects.h"
#include "game/runner.h"
#include "game/state.h"
#include "game/zombies.h"
#include "persist/options.h"

namespace {
using Clock = std::chrono::steady_clock;

tframeinput Input(int frame, uint16_t extra) {
  const uint16_t run = (frame / 120) % 2 ? ACTION_LEFT : ACTION_RIGHT;
  const double a = frame * 0.03;
  return {0.015, static_cast<uint16_t>(run | ACTION_FIRE | extra), 0, {3 * std::sin(a), 2 * std::cos(a)}};
}

int ActiveZombies() {
  int n = 0;
  for (const tenemy &e : enemies) n += e.active;
  return n;
}
}  // namespace

int main(int argc, char **argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 1000;
  baseDirectory = ExeDir() + "/data";
  Options.particlesOff = 0;
  std::string missing = StartHeadlessGame(7, HELP_BASE[2]);
  if (!missing.empty()) {
    std::fprintf(stderr, "bench_rules: %s is missing\n", missing.c_str());
    return 1;
  }
  int frame = 0;
  auto t0 = Clock::now();
  while (Game.timeOfDay < NIGHT_TIME && frame < 100000) StepHeadlessGame(Input(frame++, ACTION_RUSH));
  const double rushMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::printf("day rushed to night: %d frames, %.3f ms a frame\n", frame, rushMs / std::max(frame, 1));

  std::vector<double> cost;
  int fewest = 1 << 30;
  for (int i = 0; i < frames; ++i, ++frame) {
    // The night is held and the crowd kept up, the player kept alive: the worst of a late night.
    Game.timeOfDay = 0.8;
    Game.playerDamage = 0;
    Game.supplies = std::max(Game.supplies, 5.0);
    for (int n = ActiveZombies(); n < 100; ++n) SpawnZombie(basePos.x + (randomreal() - 0.5) * 9);
    fewest = std::min(fewest, ActiveZombies());
    auto t = Clock::now();
    StepHeadlessGame(Input(frame, 0));
    cost.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
  }
  double total = 0;
  for (double c : cost) total += c;
  std::sort(cost.begin(), cost.end());
  std::printf("night of %d frames with at least %d zombies: %.1f ms in all, median %.3f ms, worst %.3f ms\n", frames,
              fewest, total, Median(cost), cost.empty() ? 0 : cost.back());
  std::printf("lists: %zu zombies, %zu particles, %zu shots; kills %d\n", enemies.size(), particleList.size(),
              shotList.size(), Game.kills);
  return 0;
}
