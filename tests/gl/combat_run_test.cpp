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

TEST(CombatRun, GrenadeThrownAndHeld) {
  MessageRecorder recorder;
  ScriptedRun run;
  WriteArena(run, {SolidBlock(1.5, 0, 1.6, 0.5)});
  StartGame(run);
  QuietDay(run, IN_GAME, 700);
  EachPass(run, IN_GAME, 700, [](int) { PointAt(2.5, 0.3); });

  // Thrown at the wall: it bounces back and goes off between the wall and the zombie in
  // front of it, which dies; the one just behind the wall is spared.
  int inSight = -1, behind = -1, explodedAt = -1;
  tvector lastSeen{0, 0};
  run.at(IN_GAME, [&] {
    enemies.clear();
    inSight = PlaceZombie(1.3);
    behind = PlaceZombie(1.7);
    Player.grenades = 2;
    mouseRightDown = 1;
  });
  run.at(IN_GAME + 46, [] { mouseRightDown = 0; });
  EachPass(run, IN_GAME + 1, 500, [&](int p) {
    if (enemies[inSight].active) HoldZombie(inSight, 1.3);
    HoldZombie(behind, 1.7);
    const bool flying = !grenadeList.empty() && grenadeList[0].active;
    if (flying) lastSeen = grenadeList[0].body.pos;
    if (explodedAt < 0 && !flying && p > IN_GAME + 50) explodedAt = p;
    if (p == explodedAt + 1) ShotNow("combat_explosion");
  });

  bool inSightAlive = true, behindAlive = false;
  double behindDamage = -1, behindDistance = 0;
  run.at(500, [&] {
    inSightAlive = enemies[inSight].active;
    behindAlive = enemies[behind].active;
    behindDamage = enemies[behind].damage;
    behindDistance = vecdistance(lastSeen, enemies[behind].body.pos, false);
  });

  // Held for two seconds, the next one goes off in the player's hand.
  double damageBefore = 0;
  int grenadesAfter = -1;
  run.at(520, [&] {
    damageBefore = Game.playerDamage;
    mouseRightDown = 1;
  });
  run.at(700, [&] { grenadesAfter = Player.grenades; });
  run.closeWindow(710);
  EXPECT_EQ(run.run(800), 0);

  ASSERT_GT(explodedAt, 0);
  EXPECT_NEAR((explodedAt - IN_GAME - 46) * 0.013, 2.0 - 0.6, 0.05) << "the fuse: 2 s less the time held";
  EXPECT_LT(behindDistance, 0.6) << "close enough to be hurt, but for the wall";
  EXPECT_FALSE(inSightAlive);
  EXPECT_TRUE(behindAlive);
  EXPECT_EQ(behindDamage, 0);
  EXPECT_EQ(grenadesAfter, 0);
  EXPECT_GT(Game.playerDamage - damageBefore, 5.0);
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}
