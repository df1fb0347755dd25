#include "combat_scene.h"

#include "actors/animation.h"
#include "actors/models.h"
#include "base/files.h"
#include "persist/options.h"

int PlaceZombie(double x) {
  const int i = CreateCharacter(x, 0.1);
  SetAnimation(enemies[i].anim, 1, enemies[i].guy, 0, 0, 0);
  HoldZombie(i, x);
  return i;
}

void HoldZombie(int i, double x) {
  tenemy &e = enemies[i];
  e.mode = 0;
  e.timer = 10;
  e.body.pos.x = x;
  e.body.vel.x = 0;
  e.anim.facing = 1;
}

void UseWindowSize(const ScriptedRun &run, int width, int height) {
  std::vector<uint8_t> bytes;
  toptions o{};
  ASSERT_TRUE(ReadFileBytes(run.dir().file("options.zop"), bytes) && DecodeOptions(bytes.data(), bytes.size(), o));
  o.screenWidth = width;
  o.screenHeight = height;
  o.fullScreen = 0;
  run.dir().write("options.zop", EncodeOptions(o));
}
