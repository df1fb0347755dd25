// Records the golden replays again: plays each scripted game headless, keeps its inputs as a
// replay, then plays that replay back to pin how it ends and every frame's rule state hash.
// Usage: record_goldens FOLDER (tests/data/golden; `cmake --build build --target goldens`).
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "base/files.h"
#include "game/objects.h"
#include "game/rules_version.h"
#include "game/state.h"
#include "rig/golden.h"
#include "rig/play.h"

namespace {

struct tscript {
  const char *name;
  tgametype type;
  uint32_t seed;
  std::function<void(Play &)> play;
};

// Fires at the nearest zombie as fast as the trigger is pulled, and every few seconds throws a grenade.
uint16_t Fight(Play &p) {
  tvector z;
  if (NearestZombie(z)) p.aimAt(z + tvector{0, 0.1});
  const int beat = p.frames % 300;
  return beat < 40 ? ACTION_GRENADE : beat < 50 || beat % 2 ? 0 : ACTION_FIRE;
}

// A restless player, so the goldens reach every rule a game has: fights, jumps now and then,
// changes weapon, takes what lies about, and runs for the nearest crate to carry it home (a
// delivery makes a defender); with nothing to fetch, paces out and back around the base.
uint16_t Busy(Play &p) {
  uint16_t a = Fight(p);
  const int f = p.frames;
  if (f % 97 < 4) a |= ACTION_JUMP;
  if (f % 40 < 2) a |= ACTION_USE;
  if (f % 1500 == 700) a |= ACTION_CHANGE;
  double goal = basePos.x + (f % 1200 < 600 ? 4 : -4);
  if (Game.carryingCrate) {
    goal = basePos.x;
  } else {
    for (const tcrate &c : crateList)
      if (c.active && std::fabs(c.pos.x - Player.body.pos.x) < std::fabs(goal - Player.body.pos.x)) goal = c.pos.x;
  }
  const double dx = goal - Player.body.pos.x;
  return a | (dx > 0.05 ? ACTION_RIGHT : dx < -0.05 ? ACTION_LEFT : 0);
}

const tscript kScripts[] = {
    // A short game: crates fetched on the first day, then rushed to the help day, fought through
    // the wait for the helicopter, and out on the rope.
    {"rescue", SHORT_GAME, 10,
     [](Play &p) {
       p.drive([&p] { return Busy(p); }, nullptr, 40);
       p.rushToDay(Game.helpDay);
       p.drive([&p] { return Fight(p); }, [] { return heli.rope > 0.5; }, 60);
       p.drive(
           [] {
             const double dx = heli.pos.x - Player.body.pos.x;
             return dx > 0.02 ? ACTION_RIGHT : dx < -0.02 ? ACTION_LEFT : 0;
           },
           [] { return Ending.rescueActive; }, 10);
       p.wait(60);
     }},
    // A day of fetching and fighting, then a night fought the same way.
    {"night", LONG_GAME, 15,
     [](Play &p) {
       p.drive([&p] { return Busy(p); }, nullptr, 30);
       p.rushToNight();
       p.drive([&p] { return Busy(p); }, nullptr, 40);
     }},
    // Out into the night, firing, jumping and walking left until the dead win.
    {"lost", ENDLESS_GAME, 10,
     [](Play &p) {
       p.aim(-3.3, -0.4).hold(ACTION_LEFT, 3).rushToNight();
       p.drive([&p] { return uint16_t(ACTION_FIRE | ACTION_LEFT | (p.frames % 120 < 5 ? ACTION_JUMP : 0)); }, nullptr,
               240);
     }},
};

bool Write(const std::string &path, const std::vector<uint8_t> &bytes) {
  std::string error;
  if (WriteFileAtomic(path, bytes, &error)) return true;
  std::fprintf(stderr, "record_goldens: %s\n", error.c_str());
  return false;
}

std::vector<uint8_t> Bytes(const std::string &text) { return {text.begin(), text.end()}; }

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: record_goldens FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::string ends = "rules " + std::to_string(RULES_VERSION) + "\n";
  for (const tscript &s : kScripts) {
    Game.skyScroll = 0.25;  // carried over from the last game: set, so the replay says it
    // On the replay's grid, near 77 frames a second.
    const treplay replay = RecordGame(s.type, s.seed, 852.0 / 65536, s.play);
    treplay read;
    const std::vector<uint8_t> bytes = EncodeReplay(replay);
    if (DecodeReplay(bytes.data(), bytes.size(), read) != REPLAY_OK) {
      std::fprintf(stderr, "record_goldens: %s does not read back\n", s.name);
      return 1;
    }
    const tgoldenrun run = PlayGolden(s.name, read);
    if (!run.missing.empty()) {
      std::fprintf(stderr, "record_goldens: the data folder lacks %s\n", run.missing.c_str());
      return 1;
    }
    const std::string base = folder + "/" + s.name;
    if (!Write(base + ".rsr", bytes) || !Write(base + ".hashes", Bytes(HashList(run.hashes)))) return 1;
    ends += EndLine(run.end) + "\n";
    std::printf("%s\n", EndLine(run.end).c_str());
  }
  return Write(folder + "/ends.txt", Bytes(ends)) ? 0 : 1;
}
