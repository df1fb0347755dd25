#include "combat_scene.h"

#include <SDL.h>

#include <filesystem>

#include "actors/animation.h"
#include "actors/models.h"
#include "base/files.h"
#include "persist/options.h"
#include "world/collision.h"

void CombatRun::StartGame(double typeY, int width, int height) {
  auto click = [&](int pass, double y) {
    run.click(pass, width / 2, static_cast<int>(height / 2 - y * width / 10.0));
  };
  click(4, 1.0);
  click(8, typeY);
}

void CombatRun::Play(int last) {
  run.closeWindow(last);
  EXPECT_EQ(run.run(last + 100), 0);
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}

void CombatRun::EachPass(int from, int to, const std::function<void(int)> &fn) {
  for (int p = from; p < to; ++p) run.at(p, [fn, p] { fn(p); });
}

void CombatRun::QuietDay(int from, int to) {
  run.at(from, [] { Game.timeOfDay = 0.3; });
  EachPass(from, to, [](int) { Game.spawnTimer = 100; });
}

void CombatRun::WriteArena(const tblkarray &baseExtras) {
  std::filesystem::remove_all(run.dir().path() + "/zombie levels");
  const char *names[] = {"arena_middle", "arena_base", "arena_left", "arena_right"};  // by kind
  for (uint8_t kind = 0; kind < 4; ++kind) {
    tblkarray blocks(1);
    blocks[0].active = 1;
    blocks[0].corner1 = {-2.5, -10};
    blocks[0].corner2 = {2.5, 0};
    if (kind == 1) blocks.insert(blocks.end(), baseExtras.begin(), baseExtras.end());
    tiledesc d{};
    d.kind = kind;
    d.cratespot = {1.0, 0};
    d.pickupspot = {-1.0, 0.075};
    d.startspot = {0.4, 0.1};
    const std::string base = std::string("zombie levels/") + names[kind];
    run.dir().write(base + ".zcg", EncodeBlocks(blocks));
    run.dir().write(base + ".zdg", EncodeBlocks(blocks));
    run.dir().write(base + ".zmd", EncodeTiledesc(d));
  }
}

void CombatRun::UseWindowSize(int width, int height) {
  std::vector<uint8_t> bytes;
  toptions o{};
  ASSERT_TRUE(ReadFileBytes(run.dir().file("options.zop"), bytes) && DecodeOptions(bytes.data(), bytes.size(), o));
  o.screenWidth = width;
  o.screenHeight = height;
  o.fullScreen = 0;
  run.dir().write("options.zop", EncodeOptions(o));
}

void ShotNow(const std::string &name) {
  SavePng(ScreenshotDir() + "/" + name + ".png", ReadPixelsRGB(clientWidth, clientHeight), clientWidth, clientHeight);
}

void CloseNow() {
  SDL_Event e = {};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  e.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
  SDL_PushEvent(&e);
}

void PointAt(double x, double y) {
  int px, py;
  ScreenPlaneToPixels(x, y, px, py);
  mouseX = px;
  mouseY = py;
}

tvector Ground(double x) { return segmentterrain({x, basePos.y + 5}, {x, basePos.y - 5}).point; }

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

bool ClockWatch::ended(int pass) {
  stillFor = Game.timeOfDay == last ? stillFor + 1 : 0;
  last = Game.timeOfDay;
  if (endedAt < 0 && stillFor > 200) {  // a banner lasts 154 passes
    endedAt = pass - stillFor + 1;
    CloseNow();
  }
  return endedAt >= 0;
}
