// A small headless world for the rules of play: flat ground with its top at y = 0 across all
// fifteen tiles, the base at the origin, the player standing at (0, 0.1), four weapons, a
// skeleton file with every tagged part and four short animations. Fixed seed, 15 ms frames.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "actors/animation.h"
#include "actors/models.h"
#include "base/files.h"
#include "game/camera.h"
#include "game/effects.h"
#include "game/objects.h"
#include "game/state.h"
#include "persist/options.h"
#include "platform/window.h"
#include "rig/blocks.h"

enum { W_PISTOL, W_SHOTGUN, W_MACHINEGUN, W_AUTO, W_COUNT };

inline tweapon TestWeapon(double rate, double damage, int32_t pellets, int32_t clip, int32_t pierce, uint8_t semiauto) {
  tweapon w{};
  w.rate = rate, w.speed = 20, w.damage = damage, w.range = 3.5, w.noise = 3;
  w.pellets = pellets, w.pickupammo = 7, w.maxammo = 20, w.clip = clip, w.pierce = pierce;
  w.semiauto = semiauto;
  return w;
}

// A hidden frame part, a torso, two arms each carrying a tagged forearm, a head and two feet, in
// skeleton units (the loader scales them by 0.075).
inline std::vector<tguypart> TestSkeleton() {
  const struct {
    int parent;
    char tag;
    double x1, y1, x2, y2;
  } rows[] = {{0, 0, -0.01, -0.01, 0.01, 0.01}, {1, 0, -0.2, -0.6, 0.2, 0.5},   {2, 0, -0.1, 0, 0.1, 0.5},
              {2, '2', -0.08, 0, 0.08, 0.5},    {4, 0, -0.1, 0, 0.1, 0.5},      {4, '1', -0.08, 0, 0.08, 0.5},
              {1, 'h', -0.16, 0, 0.2, 0.33},    {7, 'f', -0.1, -0.1, 0.3, 0.04}, {8, 'f', -0.1, -0.1, 0.3, 0.04}};
  std::vector<tguypart> parts;
  for (const auto &r : rows) {
    tguypart p{};
    p.id = static_cast<int32_t>(parts.size());
    p.visible = p.id != 0;
    p.parentid = r.parent;
    p.tag = r.tag;
    p.corner1 = {r.x1, r.y1};
    p.corner2 = {r.x2, r.y2};
    parts.push_back(p);
  }
  return parts;
}

class CombatWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    MaskFloatExceptions();
    saved_ = baseDirectory;
    baseDirectory = dir_.path();
    dir_.write("guys/standard.guy", EncodeGuyParts(TestSkeleton()));
    ForgetSkeletonCache();
    SetFixedSeed(1234);
    reseed();
    fixedFrameTime = 0.015;
    Options = toptions{};
    Options.keyUse = 'E', Options.keyChange = 'Q', Options.tutorial = 1;
    std::fill(std::begin(keyDown), std::end(keyDown), 0);
    mouseLeftDown = mouseRightDown = 0;
    weapons = {TestWeapon(6, 1.1, 1, 12, 0, 1), TestWeapon(1.3, 0.5, 8, 6, 0, 1), TestWeapon(11, 1.0, 1, 100, 2, 0),
               TestWeapon(4, 0.6, 1, 30, 0, 0)};
    guys.assign(1, tguy{});
    LoadGuy("standard", guys[0], 0.075);
    // Three key frames per animation whose angles differ by part: a pose is never all zeros.
    const size_t n = guys[0].parts.size();
    animations.assign(4, tanim{{}, 0.6});
    for (int a = 0; a < 4; ++a)
      for (int k = 0; k < 3; ++k) {
        tframe f{0.2 * k, std::vector<double>(n + 2, 0.0)};
        for (size_t i = 0; i < n; ++i) f.values[i] = 10.0 * (a + 1) + 5.0 * k + i;
        animations[a].frames.push_back(f);
      }
    Game.helpDay = 3;
    ResetGameState();
    Game.frameTime = 0.015;
    ClearDayLists();
    pickupList.clear();
    crateList.clear();
    ClearFlashes();
    Game.dayNumber = 1;
    std::fill(std::begin(Game.spawnweight), std::end(Game.spawnweight), 3.75);
    Game.spawnweight[7] = 0;
    Player.anim.partcount = static_cast<int32_t>(n);
    Player.body.pos = {0, 0.1};
    CameraPos = Player.body.pos;
    basePos = {0, 0};
    for (int s = 0; s < WORLD_SLOTS; ++s) {
      const double x = 5.0 * (s - 7);
      worldRow[s] = ttilerecord{};
      worldRow[s].collision.push_back(Block(x - 2.5, -1, x + 2.5, 0));
    }
  }

  void TearDown() override {
    ClearDayLists();
    pickupList.clear();
    crateList.clear();
    defenderList.clear();
    for (ttilerecord &t : worldRow) t = ttilerecord{};
    guys.clear();
    animations.clear();
    weapons.clear();
    ForgetSkeletonCache();
    fixedFrameTime = 0;
    SetFixedSeed(-1);
    baseDirectory = saved_;
  }

  static void Wall(double x1, double y1, double x2, double y2) {
    worldRow[7 + tileindex((x1 + x2) / 2)].collision.push_back(Block(x1, y1, x2, y2));
  }
  // A zombie standing at x (y its centre), facing -x unless told, its target where it stands.
  static int Zombie(double x, uint8_t facing = 1, double y = 0.1) {
    const int i = CreateCharacter(x, y);
    enemies[i].anim.facing = facing;
    enemies[i].target = {x, y};
    return i;
  }
  template <typename T>
  static int Active(const std::vector<T> &list) {
    int n = 0;
    for (const T &x : list) n += x.active;
    return n;
  }

 private:
  TempDir dir_;
  std::string saved_;
};
