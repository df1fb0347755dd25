// Whole-game runs of the fighting: weapons, grenades, the closing sequences, crates and
// defenders, the helicopter and the tutorial, each in the real program.
#include <SDL.h>

#include <cmath>

#include "combat_scene.h"
#include "game/camera.h"
#include "game/combat.h"
#include "world/collision.h"

namespace {

// Day, no new groups: the scene holds only what the test puts there.
void QuietDay(ScriptedRun &run, int from, int to) {
  EachPass(run, from, to, [](int) {
    Game.timeOfDay = 0.3;
    Game.spawnTimer = 100;
  });
}

int ActiveShots() {
  int n = 0;
  for (const tshot &t : shotList) n += t.active;
  return n;
}

}  // namespace

TEST(CombatRun, PistolShotgunAndMachineGun) {
  MessageRecorder recorder;
  ScriptedRun run;
  WriteArena(run);
  StartGame(run);
  QuietDay(run, IN_GAME, 770);
  EachPass(run, IN_GAME, 770, [](int) { PointAt(2.5, 0.01); });

  // The pistol against one zombie: it falls, and the clip runs out into a 0.75 s reload.
  int zombie = -1;
  int killedAt = -1, reloadStart = -1, reloadEnd = -1;
  run.at(IN_GAME, [&] {
    enemies.clear();
    zombie = PlaceZombie(1.4);
  });
  for (int k = 0; k < 14; ++k) run.click(IN_GAME + 10 + 16 * k, PixelX(2.5), PixelY(0.01));
  EachPass(run, IN_GAME + 1, 520, [&](int p) {
    if (enemies[zombie].active) HoldZombie(zombie, 1.4);
    if (killedAt < 0 && Game.kills == 1) killedAt = p;
    EXPECT_LE(Game.kills, 1);
    if (reloadStart < 0 && Player.reloadTimer == 750) reloadStart = p;
    if (reloadStart > 0 && reloadEnd < 0 && Player.weaponSlots[0].clip == 12) reloadEnd = p;
  });

  // The shotgun: eight pellets for one round.
  int pellets = -1, shotgunClip = -1;
  run.at(540, [] {
    for (tshot &t : shotList) t.active = 0;
    Player.weaponSlots[0] = {1, 16, 6};
  });
  run.click(545, PixelX(2.5), PixelY(0.01));
  run.at(546, [&] {
    pellets = ActiveShots();
    shotgunClip = Player.weaponSlots[0].clip;
  });

  // The machine gun: a round goes through the zombie in front into the one behind it.
  int front = -1, back = -1;
  bool backStruck = false;
  run.at(560, [&] {
    enemies.clear();
    front = PlaceZombie(1.0);
    back = PlaceZombie(1.3);
    enemies[front].damage = -1000;  // it stands whatever it takes
    Player.weaponSlots[0] = {4, 100, 100};
  });
  for (int k = 0; k < 8; ++k) run.click(565 + 12 * k, PixelX(2.5), PixelY(0.01));
  EachPass(run, 561, 680, [&](int) {
    HoldZombie(front, 1.0);
    HoldZombie(back, 1.3);
    backStruck = backStruck || enemies[back].damage > 0;
  });
  // A firefight to look at: a burst into a crowd, with tracers, sparks and blood.
  int firstDeath = -1;
  run.at(690, [] {
    enemies.clear();
    for (int k = 0; k < 5; ++k) PlaceZombie(1.1 + 0.22 * k);
    Game.kills = 0;
  });
  EachPass(run, 691, 760, [&](int p) {
    mouseLeftDown = 1;
    Player.weaponSlots[0].reserve = 100;
    if (firstDeath < 0 && Game.kills > 0) firstDeath = p;
    if (p == firstDeath + 3) ShotNow("combat_firefight");
  });
  run.at(760, [] { mouseLeftDown = 0; });
  run.closeWindow(770);
  EXPECT_EQ(run.run(850), 0);

  EXPECT_GT(killedAt, 0) << "the pistol kills the zombie";
  ASSERT_GT(reloadStart, 0);
  EXPECT_EQ(reloadEnd - reloadStart, 58) << "750 ms at 13 ms a frame";
  EXPECT_EQ(pellets, 8);
  EXPECT_EQ(shotgunClip, 5);
  EXPECT_TRUE(backStruck);
  EXPECT_GT(firstDeath, 0);
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}
