// Each gun of the weapon table as a player meets it: how fast it fires, how far the crosshair
// reaches, how far its noise carries, how many hits a zombie takes, where its shots land; and
// the grenade's blast.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "game/player.h"
#include "scene.h"
#include "world/terrain.h"

namespace {
int Rounds() { return Player.weaponSlots[Player.activeSlot].reserve; }

// A wall of that height across the ground at x, whole inside its tile.
void Wall(double x, double width, double height) {
  const double floor = Ground(x).y;
  worldRow[7 + tileindex(x)].collision.push_back(Block(x, floor, x + width, floor + height));
}

// The trigger as fast as a finger can work it: held for an automatic, clicked every other frame
// for a gun that fires once a click.
uint16_t Trigger(bool &down) { return (down = !down || !Player.currentWeapon.semiauto) ? ACTION_FIRE : 0; }
}  // namespace

// Rounds in a second of firing (the first frame's round and the frame of the second), how far the
// crosshair reaches at the screen's edge, and how far the shots' noise calls zombies: one just
// inside it walks to the sound, one just outside stays. Low walls hide the player from both.
TEST(PlayArms, EachGunsRateReachAndNoise) {
  const struct {
    const char *name;
    int inSecond, gap;  // rounds in a second of firing; frames from the first round to the second
    double reach, noise;
  } guns[] = {
      {"pistol", 6, 12, 3.5, 3.5},   {"shotgun", 2, 52, 2.5, 6},   {"sub-machine gun", 12, 6, 3.5, 5},
      {"assault rifle", 8, 9, 5, 7}, {"machine gun", 12, 6, 5, 9}, {"sniper rifle", 2, 62, 8, 10},
      {"revolver", 3, 24, 4, 6},
  };
  for (const auto &g : guns) {
    SCOPED_TRACE(g.name);
    // By night, away from the base: by day zombies this far off wander away, and by night
    // they make for the base when they see it.
    Play play;
    play.rushToNight();
    Quiet();
    StandAt(basePos.x + 20);
    FlatGround();
    Arm(play, g.name);
    const double x = Player.body.pos.x;
    Wall(x + 0.8, 0.1, 0.4), Wall(x - 0.9, 0.1, 0.4);
    const int near = ZombieAt(x + g.noise - 0.15), far = ZombieAt(x - g.noise - 0.15);
    play.scene = [&, a = enemies[near].body.pos, b = enemies[far].body.pos] { Hold(near, a), Hold(far, b); };
    play.aim(3, 4).wait(0.2);  // up over the wall into the empty sky
    play.scene = nullptr;
    EXPECT_NEAR(veclength(Player.aimOffset, false), g.reach, 1e-9) << "the crosshair at the screen's edge";

    const tvector nearAt = enemies[near].body.pos, farAt = enemies[far].body.pos;
    std::vector<int> rounds;
    int before = Rounds();
    bool down = false;
    const int from = play.frames;
    play.drive([&] { return Trigger(down); },
               [&] {
                 if (Rounds() < before) rounds.push_back(play.frames - from - 1);
                 before = Rounds();
                 return false;
               },
               1);
    ASSERT_GE(rounds.size(), 2u);
    EXPECT_EQ(static_cast<int>(rounds.size()), g.inSecond);
    EXPECT_EQ(rounds[0], 0);
    EXPECT_EQ(rounds[1] - rounds[0], g.gap);
    EXPECT_LT(enemies[near].body.pos.x, nearAt.x - 0.3) << "the one inside the noise comes";
    EXPECT_EQ(enemies[far].body.pos.x, farAt.x) << "the one outside stays";
    std::printf("%s: %zu rounds gap %d reach %g near moved %g\n", g.name, rounds.size(), rounds[1] - rounds[0],
                veclength(Player.aimOffset, false), enemies[near].body.pos.x - nearAt.x);
  }
}
