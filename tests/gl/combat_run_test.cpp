// Whole-game runs of the fighting: weapons, grenades, the closing sequences, crates and
// defenders, the helicopter and the tutorial, each in the real program.
#include <SDL.h>

#include <cmath>
#include <cstring>

#include "combat_scene.h"
#include "game/camera.h"
#include "game/base_objects.h"
#include "game/combat.h"
#include "game/tutorial.h"
#include "game/world_build.h"
#include "persist/options.h"
#include "actors/models.h"
#include "world/collision.h"

namespace {

// Late morning, no new groups: the scene holds only what the test puts there.
void QuietDay(ScriptedRun &run, int from, int to) {
  run.at(from, [] { Game.timeOfDay = 0.3; });
  EachPass(run, from, to, [](int) { Game.spawnTimer = 100; });
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

namespace {

// The ground under x near the base's height.
tvector Ground(double x) { return segmentterrain({x, basePos.y + 5}, {x, basePos.y - 5}).point; }

// When the game's own frame stopped running: its clock stood still for longer than a day's
// banner lasts (154 passes).
struct ClockWatch {
  double last = -1;
  int stillFor = 0;
  int endedAt = -1;  // the first pass of the final stillness
  bool ended(int pass) {
    stillFor = Game.timeOfDay == last ? stillFor + 1 : 0;
    last = Game.timeOfDay;
    if (endedAt < 0 && stillFor > 200) {
      endedAt = pass - stillFor + 1;
      CloseNow();
    }
    return endedAt >= 0;
  }
};

}  // namespace

TEST(CombatRun, NightAssaultWithDefenders) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run);
  int killsByDefenders = 0, defenderShots = 0;
  bool pictured = false;
  run.at(IN_GAME, [] {
    Game.timeOfDay = 0.66;
    for (double d : {-1.1, -0.6, 0.7, 1.2}) {
      CreateDefender(Ground(basePos.x + d));
      (d < 0 ? Game.leftDefenders : Game.rightDefenders) += 1;
      Game.survivors += 1;
    }
    Player.body.pos = Ground(basePos.x + 0.4) + tvector{0, 0.1};
  });
  EachPass(run, IN_GAME, 900, [&](int) {
    PointAt(5.0, 0.3);  // the camera looks out to the right, where the first group comes from
    Game.playerDamage = 0;  // the player stands by and is not the zombies' concern here
    for (const tdefender &d : defenderList)
      if (d.cooldown > 0.05) ++defenderShots;
    killsByDefenders = Game.kills;
    // A picture of the fight: zombies in view, rounds in the air.
    int inView = 0;
    for (const tenemy &e : enemies) inView += e.active && OnScreen(e.body.pos);
    if (!pictured && inView >= 3 && ActiveShots() >= 2) {
      ShotNow("combat_night_assault");
      pictured = true;
    }
  });
  run.closeWindow(900);
  EXPECT_EQ(run.run(1000), 0);
  EXPECT_GT(defenderShots, 0);
  EXPECT_TRUE(pictured);
  EXPECT_GT(killsByDefenders, 0) << "the defenders shoot zombies in sight (the player never fires)";
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}

TEST(CombatRun, UnopposedNightLosesTheBase) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run);
  ClockWatch clock;
  int lossStarted = -1, blastAt = -1;
  double lowestSupplies = 10;
  run.at(IN_GAME, [] {
    Game.timeOfDay = 0.63;
    Player.body.pos = Ground(basePos.x - 9) + tvector{0, 0.1};
  });
  EachPass(run, IN_GAME, 6000, [&](int p) {
    if (clock.ended(p)) return;
    lowestSupplies = std::min(lowestSupplies, Game.supplies);
    Game.playerDamage = 0;
    if (lossStarted < 0 && Ending.baseLossTimer > 0) lossStarted = p;
    if (blastAt < 0 && Ending.baseLossBlast) blastAt = p;
  });
  run.closeWindow(6000);
  EXPECT_EQ(run.run(6100), 0);
  ASSERT_GT(lossStarted, 0) << "zombies bring the supplies below zero";
  EXPECT_LT(lowestSupplies, 0);
  EXPECT_NEAR((blastAt - lossStarted) * 0.013, 4.5, 0.03);
  EXPECT_NEAR((clock.endedAt - lossStarted) * 0.013, 6.5, 0.03) << "the sequence runs to its end, then the game ends";
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}

TEST(CombatRun, ZombiesStrikeThePlayerToDeath) {
  MessageRecorder recorder;
  ScriptedRun run;
  WriteArena(run);
  StartGame(run);
  QuietDay(run, IN_GAME, 1200);
  ClockWatch clock;
  int dyingFrom = -1, blastAt = -1, controlAfterBlast = -1;
  run.at(IN_GAME, [] {
    enemies.clear();
    for (double d : {-0.4, 0.5, 0.7}) CreateCharacter(Player.body.pos.x + d, 0.1);
    Game.playerDamage = 22;  // already hurt: seven blows are enough
  });
  EachPass(run, IN_GAME, 1200, [&](int p) {
    if (clock.ended(p)) return;
    if (dyingFrom < 0 && Ending.deathTimer > 0) dyingFrom = p;
    if (blastAt < 0 && Ending.deathBlast) {
      blastAt = p;
      controlAfterBlast = Ending.playerControl;
    }
  });
  run.closeWindow(1200);
  EXPECT_EQ(run.run(1300), 0);
  ASSERT_GT(dyingFrom, 0) << "the zombies' blows take the player past 25";
  EXPECT_NEAR((blastAt - dyingFrom) * 0.013, 4.5, 0.03);
  EXPECT_EQ(controlAfterBlast, 0);
  EXPECT_NEAR((clock.endedAt - dyingFrom) * 0.013, 6.5, 0.03) << "the sequence runs to its end, then the game ends";
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}

TEST(CombatRun, CrateCarriedHomeBringsADefender) {
  MessageRecorder recorder;
  ScriptedRun run;
  WriteArena(run);
  StartGame(run);
  QuietDay(run, IN_GAME, 1000);
  double suppliesBefore = 0, suppliesAfter = 0;
  int survivors = 0, delivered = -1, zombie = -1;
  bool shotAt = false;
  run.at(IN_GAME, [&] {
    enemies.clear();
    crateList.clear();
    pickupList.clear();
    spawncrate({Player.body.pos.x + 0.8, 0});
    suppliesBefore = Game.supplies;
  });
  EachPass(run, IN_GAME + 1, 1000, [&](int p) {
    PointAt(-2.0, 0.1);
    // Out to the crate, then back to the base.
    const bool out = !Game.carryingCrate && delivered < 0;
    keyDown[Options.keyRight] = out;
    keyDown[Options.keyLeft] = Game.carryingCrate;
    if (delivered < 0 && !defenderList.empty()) {
      delivered = p;
      suppliesAfter = Game.supplies;
      survivors = Game.survivors;
      // A zombie within his reach on the far side of the base.
      zombie = PlaceZombie(defenderList[0].pos.x - 1.2);
    }
    if (zombie >= 0) {
      if (enemies[zombie].active) HoldZombie(zombie, defenderList[0].pos.x - 1.2);
      shotAt = shotAt || enemies[zombie].damage > 0 || !enemies[zombie].active;
    }
  });
  run.closeWindow(1000);
  EXPECT_EQ(run.run(1100), 0);
  ASSERT_GT(delivered, 0) << "the crate reaches the base";
  EXPECT_DOUBLE_EQ(suppliesAfter - suppliesBefore, 1.0);
  EXPECT_EQ(survivors, 1);
  EXPECT_TRUE(shotAt) << "the new defender shoots the zombie in sight";
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}

namespace {

// The colour of the tutorial's first box at its right-hand margin, clear of the text.
Rgb TutorialBoxColour() {
  const thint h = ChooseHint();
  const double w = std::max(std::strlen(h.line1), std::strlen(h.line2)) / 2.0 * 0.14;
  int x, y;
  ScreenPlaneToPixels(1.2 * (w + 0.1) - 0.04, 2.97, x, y);
  return PixelAt(ReadPixelsRGB(clientWidth, clientHeight), clientWidth, clientHeight, x, y);
}

bool Near(Rgb c, int r, int g, int b) { return std::abs(c.r - r) <= 3 && std::abs(c.g - g) <= 3 && std::abs(c.b - b) <= 3; }

}  // namespace

TEST(CombatRun, TutorialHintsFollowTheScreen) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run);
  QuietDay(run, IN_GAME, 600);
  std::string atStart, withCrate, atDusk;
  Rgb normal{}, urgent{};
  run.at(IN_GAME, [&] { atStart = ChooseHint().line1; });
  run.at(IN_GAME + 1, [] {
    crateList.clear();
    pickupList.clear();
    spawncrate(Ground(Player.body.pos.x + 0.6));
  });
  run.at(IN_GAME + 10, [&] {
    withCrate = ChooseHint().line1;
    normal = TutorialBoxColour();
    ShotNow("combat_tutorial");
  });
  run.at(IN_GAME + 20, [] {
    Game.timeOfDay = 0.51;
    Player.body.pos = Ground(basePos.x - 12) + tvector{0, 0.1};
  });
  run.at(IN_GAME + 40, [&] {
    atDusk = ChooseHint().line1;
    urgent = TutorialBoxColour();
  });
  run.closeWindow(IN_GAME + 50);
  EXPECT_EQ(run.run(600), 0);
  EXPECT_EQ(atStart, "this is your base. bring supply crates back here.");
  EXPECT_EQ(withCrate, "this is a supply crate. walk over it to pick it up.");
  EXPECT_EQ(atDusk, "oh no! night is coming! get back to base!");
  EXPECT_TRUE(Near(normal, 102, 102, 153)) << normal.r << " " << normal.g << " " << normal.b;
  EXPECT_TRUE(Near(urgent, 153, 26, 0)) << urgent.r << " " << urgent.g << " " << urgent.b;
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}

TEST(CombatRun, HelicopterRescueWinsAShortGame) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run, 1.4);  // short: help comes on day 2 to 4
  ClockWatch clock;
  int heliDay = -1, helpDay = -1, rescuedAt = -1;
  double lowestRopeEnd = 100, heliX = 0;
  bool pictured = false, flewOut = false;
  EachPass(run, IN_GAME, 2500, [&](int p) {
    if (clock.ended(p)) return;
    helpDay = Game.helpDay;
    // Days rush by with Insert until help comes; the player keeps safe meanwhile.
    keyDown[45] = !Ending.heliActive;
    Game.playerDamage = 0;
    Game.supplies = std::max(Game.supplies, 1.0);
    if (!Ending.heliActive) return;
    if (heliDay < 0) {
      heliDay = Game.dayNumber;
      Game.timeOfDay = 0.2;
      // Spare the run the long flight in from the world's end: it joins the last stretch.
      heli.pos.x = basePos.x - 6;
    }
    // And once aboard, the flight out is cut short the same way.
    if (Ending.rescueActive && heli.rope <= 0 && heli.pos.x < 24) heli.pos.x = 24;
    Game.spawnTimer = 100;
    for (tenemy &e : enemies) e.active = 0;
    heliX = heli.pos.x;
    // Under the rope once it hangs low: walk to it.
    const bool ropeDown = heli.rope > 0.5 && !Ending.rescueActive;
    keyDown[Options.keyRight] = ropeDown && Player.body.pos.x < heli.pos.x - 0.02;
    keyDown[Options.keyLeft] = ropeDown && Player.body.pos.x > heli.pos.x + 0.02;
    if (heli.overbase) lowestRopeEnd = std::min(lowestRopeEnd, heli.pos.y - heli.rope - Ground(heli.pos.x).y);
    if (!pictured && heli.rope > 0.6) {
      ShotNow("combat_heli_rope");
      pictured = true;
    }
    if (rescuedAt < 0 && Ending.rescueActive) rescuedAt = p;
    flewOut = flewOut || heli.pos.x > 30;
  });
  run.closeWindow(2500);
  EXPECT_EQ(run.run(2600), 0);
  EXPECT_EQ(heliDay, helpDay) << "the helicopter comes on its day";
  EXPECT_TRUE(pictured) << "it lowers its rope over the base";
  EXPECT_GE(lowestRopeEnd, -1e-9) << "never below the ground";
  ASSERT_GT(rescuedAt, 0) << "touching the rope starts the rescue";
  EXPECT_TRUE(flewOut);
  EXPECT_GT(clock.endedAt, rescuedAt) << "the rescue runs to its end and the game is over (won)";
  EXPECT_GT(heliX, 30.0);
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}
