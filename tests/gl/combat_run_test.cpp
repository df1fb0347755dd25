// Whole-game runs of the fighting: weapons, grenades, the closing sequences, crates and
// defenders, the helicopter and the tutorial, each in the real program.
#include <cmath>
#include <cstring>

#include "actors/models.h"
#include "combat_scene.h"
#include "game/base_objects.h"
#include "game/camera.h"
#include "game/effects.h"
#include "game/tutorial.h"
#include "game/world_build.h"
#include "persist/options.h"
#include "view/view.h"
#include "world/collision.h"

namespace {

int ActiveShots() {
  int n = 0;
  for (const tshot &t : shotList) n += t.active;
  return n;
}

void Click(ScriptedRun &run, int pass) { run.click(pass, 768, 383); }  // the pointer's place

// The darkest pixel of the picture drawn so far along the first stretch of each line of the
// muzzle flash made last (where the flash is at its blackest).
int DarkestOnTheMuzzleFlash() {
  auto pixels = ReadPixelsRGB(clientWidth, clientHeight);
  ApplyCamera();
  int darkest = 3 * 255;
  for (const tflash &f : flashes) {
    if (f.blast) continue;
    for (int k = 0; k < f.lineCount; ++k)
      for (double along = 0; along <= 0.15; along += 0.01) {
        const tvector p = f.lines[k].from + (f.lines[k].to - f.lines[k].from) * along;
        int x, y;
        WorldToPixel(p.x, p.y, clientHeight, x, y);
        const Rgb c = PixelAt(pixels, clientWidth, clientHeight, x, y);
        darkest = std::min(darkest, c.r + c.g + c.b);
      }
  }
  return darkest;
}

}  // namespace

TEST_F(CombatRun, PistolShotgunAndMachineGun) {
  WriteArena();
  StartGame();
  QuietDay(IN_GAME, 770);
  EachPass(IN_GAME, 770, [](int) { PointAt(2.5, 0.01); });

  // The pistol against one zombie: it falls, and the clip runs out into a 0.75 s reload.
  int zombie = -1, kills = 0, reloadStart = -1, reloadEnd = -1;
  int clipBefore = -1, flashDarkest = -1;
  run.at(IN_GAME, [&] {
    enemies.clear();
    zombie = PlaceZombie(1.4);
    for (tflash &f : flashes) f = tflash{};
  });
  for (int k = 0; k < 14; ++k) Click(run, IN_GAME + 10 + 16 * k);
  EachPass(IN_GAME + 1, 520, [&](int p) {
    // The first shot's muzzle flash is in the picture of the frame that fires it, black over
    // the sunlit air.
    const int clip = Player.weaponSlots[0].clip;
    if (flashDarkest < 0 && clipBefore > clip) {
      flashDarkest = DarkestOnTheMuzzleFlash();
      ShotNow("combat_muzzle_flash");
    }
    clipBefore = clip;
    if (enemies[zombie].active) HoldZombie(zombie, 1.4);
    kills = Game.kills;
    if (reloadStart < 0 && Player.reloadTimer == 750) reloadStart = p;
    if (reloadStart > 0 && reloadEnd < 0 && Player.weaponSlots[0].clip == 12) reloadEnd = p;
  });

  // The shotgun: eight pellets for one round.
  int pellets = -1, clip = -1;
  run.at(540, [] {
    shotList.clear();
    Player.weaponSlots[0] = {1, 16, 6};
  });
  Click(run, 545);
  run.at(546, [&] { pellets = ActiveShots(), clip = Player.weaponSlots[0].clip; });

  // The machine gun: a round goes through the zombie in front into the one behind.
  int front = -1, back = -1;
  bool backStruck = false;
  run.at(560, [&] {
    enemies.clear();
    front = PlaceZombie(1.0), back = PlaceZombie(1.3);
    enemies[front].damage = -1000;  // it stands whatever it takes
    Player.weaponSlots[0] = {4, 100, 100};
  });
  for (int k = 0; k < 8; ++k) Click(run, 565 + 12 * k);
  EachPass(561, 680, [&](int) {
    HoldZombie(front, 1.0), HoldZombie(back, 1.3);
    backStruck = backStruck || enemies[back].damage > 0;
  });

  // A firefight to look at: a burst into a crowd.
  int firstDeath = -1;
  run.at(690, [] {
    enemies.clear();
    for (int k = 0; k < 5; ++k) PlaceZombie(1.1 + 0.22 * k);
    Game.kills = 0;
  });
  EachPass(691, 760, [&](int p) {
    mouseLeftDown = p < 759;
    Player.weaponSlots[0].reserve = 100;
    if (firstDeath < 0 && Game.kills > 0) firstDeath = p;
    if (p == firstDeath + 3) ShotNow("combat_firefight");
  });
  Play(770);
  EXPECT_LT(flashDarkest, 60) << "no muzzle flash on the frame of the shot";
  EXPECT_EQ(kills, 1) << "the pistol kills the zombie";
  EXPECT_EQ(reloadEnd - reloadStart, 58) << "750 ms at 13 ms a frame";
  EXPECT_EQ(pellets, 8);
  EXPECT_EQ(clip, 5);
  EXPECT_TRUE(backStruck);
  EXPECT_GT(firstDeath, 0);
}

TEST_F(CombatRun, GrenadeThrownAndHeld) {
  WriteArena({block{1, {}, {1.5, 0}, {1.6, 0.5}}});
  StartGame();
  QuietDay(IN_GAME, 700);
  EachPass(IN_GAME, 700, [](int) { PointAt(2.5, 0.3); });

  // Thrown at the wall it bounces back and goes off between the wall and the zombie in front
  // of it, which dies; the one just behind the wall is spared.
  int inSight = -1, behind = -1, explodedAt = -1;
  bool inSightAlive = true, behindSpared = false;
  double behindDistance = 1;
  tvector lastSeen{0, 0};
  run.at(IN_GAME, [&] {
    enemies.clear();
    inSight = PlaceZombie(1.3), behind = PlaceZombie(1.7);
    Player.grenades = 2;
    mouseRightDown = 1;
  });
  run.at(IN_GAME + 46, [] { mouseRightDown = 0; });
  EachPass(IN_GAME + 1, 500, [&](int p) {
    if (enemies[inSight].active) HoldZombie(inSight, 1.3);
    HoldZombie(behind, 1.7);
    const bool flying = grenadeList.size() && grenadeList[0].active;
    if (flying) lastSeen = grenadeList[0].body.pos;
    if (explodedAt < 0 && !flying && p > IN_GAME + 50) {
      explodedAt = p;
      inSightAlive = enemies[inSight].active;
      behindSpared = enemies[behind].active && enemies[behind].damage == 0;
      behindDistance = vecdistance(lastSeen, enemies[behind].body.pos, false);
    }
    if (p == explodedAt) ShotNow("combat_explosion");  // the blast is drawn as it happens
  });

  // Held for two seconds, the next one goes off in the player's hand.
  double hurt = 0;
  run.at(520, [&] {
    hurt = -Game.playerDamage;
    mouseRightDown = 1;
  });
  run.at(700, [&] { hurt += Player.grenades == 0 ? Game.playerDamage : 0; });
  Play(710);
  EXPECT_NEAR((explodedAt - IN_GAME - 46) * 0.013, 2.0 - 0.6, 0.05) << "the fuse: 2 s less the time held";
  EXPECT_FALSE(inSightAlive);
  EXPECT_TRUE(behindSpared);
  EXPECT_LT(behindDistance, 0.6) << "close enough to be hurt, but for the wall";
  EXPECT_GT(hurt, 5.0);
}

TEST_F(CombatRun, NightAssaultWithDefenders) {
  StartGame();
  int kills = 0;
  bool defendersFired = false, pictured = false;
  run.at(IN_GAME, [] {
    Game.timeOfDay = 0.66;
    for (double d : {-1.1, -0.6, 0.7, 1.2}) {
      CreateDefender(Ground(basePos.x + d));
      (d < 0 ? Game.leftDefenders : Game.rightDefenders) += 1;
    }
    Game.survivors = 4;
    Player.body.pos = Ground(basePos.x + 0.4) + tvector{0, 0.1};
  });
  EachPass(IN_GAME, 900, [&](int) {
    PointAt(5.0, 0.3);  // the camera looks out to the right, where the first group comes from
    Game.playerDamage = 0;  // the player stands by and never fires
    for (const tdefender &d : defenderList) defendersFired = defendersFired || d.cooldown > 0.05;
    kills = Game.kills;
    int inView = 0;
    for (const tenemy &e : enemies) inView += e.active && OnScreen(e.body.pos);
    if (!pictured && inView >= 3 && ActiveShots() >= 2) {
      ShotNow("combat_night_assault");
      pictured = true;
    }
  });
  Play(900);
  EXPECT_TRUE(defendersFired && pictured);
  EXPECT_GT(kills, 0) << "the defenders shoot zombies in sight";
}

TEST_F(CombatRun, UnopposedNightLosesTheBase) {
  StartGame();
  ClockWatch clock;
  int lossFrom = -1, blastAt = -1;
  run.at(IN_GAME, [] {
    Game.timeOfDay = 0.63;
    Player.body.pos = Ground(basePos.x - 9) + tvector{0, 0.1};
  });
  EachPass(IN_GAME, 6000, [&](int p) {
    if (clock.ended(p)) return;
    Game.playerDamage = 0;
    if (lossFrom < 0 && Ending.baseLossTimer > 0) lossFrom = p;
    if (blastAt < 0 && Ending.baseLossBlast) blastAt = p;
  });
  Play(6000);
  ASSERT_GT(lossFrom, 0) << "zombies bring the supplies below zero";
  EXPECT_NEAR((blastAt - lossFrom) * 0.013, 4.5, 0.03);
  EXPECT_NEAR((clock.endedAt - lossFrom) * 0.013, 6.5, 0.03) << "the sequence runs to its end, then the game ends";
}

TEST_F(CombatRun, ZombiesStrikeThePlayerToDeath) {
  WriteArena();
  StartGame();
  QuietDay(IN_GAME, 1200);
  ClockWatch clock;
  int dyingFrom = -1, blastAt = -1, control = -1;
  run.at(IN_GAME, [] {
    enemies.clear();
    for (double d : {-0.4, 0.5, 0.7}) CreateCharacter(Player.body.pos.x + d, 0.1);
    Game.playerDamage = 22;  // already hurt: seven blows are enough
  });
  EachPass(IN_GAME, 1200, [&](int p) {
    if (clock.ended(p)) return;
    if (p == IN_GAME + 2) ShotNow("combat_hud_hurt");  // 22 of 25: a sliver of health left
    if (dyingFrom < 0 && Ending.deathTimer > 0) dyingFrom = p;
    if (blastAt < 0 && Ending.deathBlast) blastAt = p, control = Ending.playerControl;
  });
  Play(1200);
  ASSERT_GT(dyingFrom, 0) << "the zombies' blows take the player past 25";
  EXPECT_NEAR((blastAt - dyingFrom) * 0.013, 4.5, 0.03);
  EXPECT_EQ(control, 0);
  EXPECT_NEAR((clock.endedAt - dyingFrom) * 0.013, 6.5, 0.03) << "the sequence runs to its end, then the game ends";
}

TEST_F(CombatRun, CrateCarriedHomeBringsADefenderWhoShoots) {
  WriteArena();
  StartGame();
  QuietDay(IN_GAME, 1000);
  double supplies = 0;
  int survivors = 0, zombie = -1;
  bool shotAt = false;
  run.at(IN_GAME, [&] {
    enemies.clear(), crateList.clear(), pickupList.clear();
    spawncrate({Player.body.pos.x + 0.8, 0});
    supplies = -Game.supplies;
  });
  EachPass(IN_GAME + 1, 1000, [&](int) {
    // Out to the crate, then back to the base.
    keyDown[Options.keyRight] = !Game.carryingCrate && defenderList.empty();
    keyDown[Options.keyLeft] = Game.carryingCrate;
    if (zombie < 0 && !defenderList.empty()) {
      supplies += Game.supplies, survivors = Game.survivors;
      zombie = PlaceZombie(defenderList[0].pos.x - 1.2);  // within his reach
    }
    if (zombie < 0) return;
    if (enemies[zombie].active) HoldZombie(zombie, defenderList[0].pos.x - 1.2);
    shotAt = shotAt || enemies[zombie].damage > 0 || !enemies[zombie].active;
  });
  Play(1000);
  EXPECT_DOUBLE_EQ(supplies, 1.0);
  EXPECT_EQ(survivors, 1);
  EXPECT_TRUE(shotAt) << "the new defender shoots the zombie in sight";
}

TEST_F(CombatRun, TutorialHintsFollowTheScreen) {
  StartGame();
  QuietDay(IN_GAME, 600);
  // The first box's colour at its right-hand margin, clear of the text.
  auto boxColour = [] {
    const thint h = ChooseHint();
    const double w = std::max(std::strlen(h.line1), std::strlen(h.line2)) / 2.0 * 0.14;
    int x, y;
    ScreenPlaneToPixels(1.2 * (w + 0.1) - 0.04, 2.97, x, y);
    return PixelAt(ReadPixelsRGB(clientWidth, clientHeight), clientWidth, clientHeight, x, y);
  };
  std::string atStart, withCrate, atDusk;
  Rgb normal{}, urgent{};
  // Under the first day's banner: the set-up has started the player's stand from its first pose
  // (new characters start with nothing playing, which must not stop the player's own start).
  bool playerStands = false;
  run.at(40, [&] {
    playerStands = Player.anim.anim == 1 && Player.anim.from.values[1] == animations[1].frames[0].values[1];
  });
  run.at(IN_GAME, [&] {
    atStart = ChooseHint().line1;
    crateList.clear(), pickupList.clear();
    spawncrate(Ground(Player.body.pos.x + 0.6));
  });
  run.at(IN_GAME + 10, [&] {
    withCrate = ChooseHint().line1, normal = boxColour();
    ShotNow("combat_tutorial");
    Game.timeOfDay = 0.51;
    Player.body.pos = Ground(basePos.x - 12) + tvector{0, 0.1};
  });
  run.at(IN_GAME + 40, [&] { atDusk = ChooseHint().line1, urgent = boxColour(); });
  Play(IN_GAME + 50);
  EXPECT_TRUE(playerStands);
  EXPECT_EQ(atStart, "this is your base. bring supply crates back here.");
  EXPECT_EQ(withCrate, "this is a supply crate. walk over it to pick it up.");
  EXPECT_EQ(atDusk, "oh no! night is coming! get back to base!");
  EXPECT_TRUE(std::abs(normal.r - 102) + std::abs(normal.g - 102) + std::abs(normal.b - 153) < 6);
  EXPECT_TRUE(std::abs(urgent.r - 153) + std::abs(urgent.g - 26) + std::abs(urgent.b) < 6);
}

TEST_F(CombatRun, HelicopterRescueWinsAShortGame) {
  StartGame(1.4);  // short: help comes on day 2 to 4
  ClockWatch clock;
  int heliDay = -1, helpDay = -1, rescuedAt = -1;
  double heliX = 0;
  bool pictured = false;
  EachPass(IN_GAME, 2500, [&](int p) {
    if (clock.ended(p)) return;
    // Days rush by with Insert until help comes; the player and the base keep safe meanwhile.
    helpDay = Game.helpDay;
    keyDown[45] = !Ending.heliActive;
    Game.playerDamage = 0;
    Game.supplies = std::max(Game.supplies, 1.0);
    if (!Ending.heliActive) return;
    if (heliDay < 0) {
      heliDay = Game.dayNumber;
      Game.timeOfDay = 0.2;
      heli.pos.x = basePos.x - 6;  // spare the run the long flight in from the world's end
    }
    if (Ending.rescueActive && heli.rope <= 0 && heli.pos.x < 24) heli.pos.x = 24;  // and out
    Game.spawnTimer = 100;
    for (tenemy &e : enemies) e.active = 0;
    heliX = heli.pos.x;
    // Under the rope once it hangs low: walk to it.
    const bool ropeDown = heli.rope > 0.5 && !Ending.rescueActive;
    keyDown[Options.keyRight] = ropeDown && Player.body.pos.x < heli.pos.x - 0.02;
    keyDown[Options.keyLeft] = ropeDown && Player.body.pos.x > heli.pos.x + 0.02;
    if (!pictured && heli.rope > 0.6) {
      ShotNow("combat_heli_rope");
      pictured = true;
    }
    if (rescuedAt < 0 && Ending.rescueActive) rescuedAt = p;
  });
  Play(2500);
  EXPECT_EQ(heliDay, helpDay) << "the helicopter comes on its day";
  EXPECT_TRUE(pictured) << "and lowers its rope over the base";
  ASSERT_GT(rescuedAt, 0) << "touching the rope starts the rescue";
  EXPECT_GT(clock.endedAt, rescuedAt) << "which runs to its end: the game is won";
  EXPECT_GT(heliX, 30.0);
}
