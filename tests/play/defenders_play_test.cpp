// A defender at the base as a player meets him: how far he sees, the rhythm of his bursts, how
// many rounds a zombie takes from him.
#include <vector>

#include "game/base_objects.h"
#include "scene.h"

// One defender on level ground with his gun from the weapon table; one zombie held where the row
// puts it from his gun (to his left, the way he faces, unless the row says otherwise). The frames of his rounds are
// counted from the zombie's arrival.
TEST(PlayDefenders, RangeBurstsRateAndDamage) {
  const struct {
    const char *what, *gun;
    tvector at;               // the zombie, from his gun
    double arrives;           // seconds after him
    bool unharmed;            // a zombie nothing can fell
    double seconds;           // watched
    std::vector<int> rounds;  // the frames of his rounds
    int kills;
  } cases[] = {
      {"pistol, just inside his range", "pistol", {-3.70, 0}, 0.5, true, 0.5, {16, 29}, 0},
      {"pistol, just outside", "pistol", {-3.72, 0}, 0.5, true, 0.5, {}, 0},
      // Rounds 13 frames apart, bursts of two or three, pauses of a third to half a second.
      {"pistol, his bursts and pauses",
       "pistol",
       {-2, 0},
       0.5,
       true,
       4,
       {16, 29, 42, 76, 89, 118, 131, 168, 181, 204, 217, 251, 264},
       0},
      // Arriving in a burst: level he fires at once, high up behind him he turns first.
      {"pistol, a zombie level", "pistol", {-2, 0}, 0.8, true, 0.5, {1, 14, 27}, 0},
      {"pistol, a zombie high up behind him", "pistol", {0.638, 1.358}, 0.8, true, 0.5, {16}, 0},
      {"machine gun, rounds to fell a zombie",
       "machine gun",
       {-2, 0},
       0.5,
       false,
       4,
       {16, 24, 32, 40, 71, 79, 87, 95},
       1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    QuietPlay play;
    FlatGround();
    defenderList.clear();
    const tvector foot = Ground(basePos.x - 1);
    tdefender &d = defenderList[CreateDefender(foot)];
    d.weapon = WeaponNamed(c.gun);
    const tvector gun = foot + tvector{0, 0.175}, spot = gun + c.at;
    StandAt(spot.x - 0.5);  // near it, or by day it wanders off
    play.wait(c.arrives);
    const int z = ZombieAt(spot.x);
    if (c.unharmed) enemies[z].damage = -1e9;
    play.scene = [&] { Hold(z, spot); };
    std::vector<int> rounds;
    const int from = play.frames;
    double cooldown = d.cooldown;
    play.until(
        [&] {
          if (d.cooldown > cooldown) rounds.push_back(play.frames - from);
          cooldown = d.cooldown;
          return false;
        },
        c.seconds);
    EXPECT_EQ(rounds, c.rounds);
    EXPECT_EQ(Game.kills, c.kills);
  }
}
