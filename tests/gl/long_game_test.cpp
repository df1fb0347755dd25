// Thirty days rushed through with Insert while the player fights: memory stays flat.
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "combat_scene.h"
#include "game/camera.h"
#include "world/particles.h"

namespace {

long ResidentBytes() {
  long pages = 0, resident = 0;
  FILE *f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return resident * sysconf(_SC_PAGESIZE);
}

// A list whose free slots are reused never holds more entries than were ever in use at once.
struct Peak {
  size_t active = 0, size = 0;
  template <typename T>
  void See(const std::vector<T> &list) {
    size_t n = 0;
    for (const T &x : list) n += x.active;
    active = std::max(active, n);
    size = std::max(size, list.size());
  }
};

// Aims at the nearest zombie, or straight ahead.
void AimAtNearest() {
  const tvector me = Player.body.pos;
  tvector best{me.x + 2, me.y + 0.01};
  for (const tenemy &e : enemies)
    if (e.active && vecdistance(me, e.body.pos, true) < vecdistance(me, best, true)) best = e.body.pos;
  const tvector pointer = (best - me) * (5 / std::max(Player.currentWeapon.range, 1.0));
  PointAt(std::clamp(pointer.x, -4.9, 4.9), std::clamp(pointer.y == 0 ? 0.01 : pointer.y, -3.7, 3.7));
}

}  // namespace

TEST_F(CombatRun, ThirtyDaysKeepMemoryFlat) {
  UseWindowSize(320, 240);
  StartGame(-0.1, 320, 240);
  long residentEarly = 0, residentLate = 0;
  int kills = 0, lastDay = 0;
  Peak particles, shots, zombies;
  size_t skeletons = 0;
  bool rushing = true;
  EachPass(IN_GAME, 20000, [&](int) {
    // Insert rushes a day by in a few dozen frames; at noon and at night the day runs at its
    // own pace for a second, with a group of zombies sent at once, so there is a fight.
    const double t = Game.timeOfDay;
    const bool pause = (t >= 0.30 && t < 0.307) || (t >= 0.75 && t < 0.757);
    if (pause && rushing) Game.spawnTimer = 0;
    rushing = !pause;
    keyDown[45] = rushing;
    mouseLeftDown = 1;
    Player.weaponSlots[0].weapon = 4;  // the machine gun, never running dry
    Player.weaponSlots[0].reserve = 100;
    Game.playerDamage = 0;  // the player outlives the month, and so does the base
    Game.supplies = std::max(Game.supplies, 1.0);
    AimAtNearest();
    particles.See(particleList);
    shots.See(shotList);
    zombies.See(enemies);
    skeletons = std::max(skeletons, guys.size());
    kills = Game.kills;
    if (Game.dayNumber != lastDay) {
      lastDay = Game.dayNumber;
      if (lastDay == 4) residentEarly = ResidentBytes();
      if (lastDay == 30) {
        residentLate = ResidentBytes();
        CloseNow();
      }
    }
  });
  Play(20000);
  ASSERT_EQ(lastDay, 30);
  printf("resident: day 4 %ld kB, day 30 %ld kB; kills %d\n", residentEarly / 1024, residentLate / 1024, kills);
  printf("largest lists (in use at once / entries): particles %zu/%zu shots %zu/%zu zombies %zu/%zu skeletons %zu\n",
         particles.active, particles.size, shots.active, shots.size, zombies.active, zombies.size, skeletons);
  // Sampled between frames, the peak in use is a little below the true one (particles made
  // early in a frame and others freed later in it).
  EXPECT_LE(particles.size, particles.active * 1.1);
  EXPECT_LE(shots.size, shots.active + 2);
  EXPECT_LE(zombies.size, zombies.active + 2);
  EXPECT_LE(skeletons, zombies.size + 1) << "one skeleton per zombie slot and the player's";
  EXPECT_GT(kills, 30) << "zombies die along the way";
  EXPECT_LT(residentLate, residentEarly * 1.05);
}
