#include "game/state.h"

#include "game/camera.h"
#include "game/objects.h"

tgame Game = {};
tplayer Player = {};
tending Ending = {};

std::vector<tshot> shotList;
std::vector<tparticle> grenadeList;
std::vector<tpickup> pickupList;
std::vector<tcrate> crateList;
std::vector<tdefender> defenderList;
theli heli = {};
tvector basePos = {0, 0};

void ResetGameState() {
  // Records are rebuilt whole so a field added later cannot keep last game's value.
  int32_t helpDay = Game.helpDay;
  double skyScroll = Game.skyScroll;
  Game = tgame{};
  Game.helpDay = helpDay;
  Game.skyScroll = skyScroll;
  Game.supplies = 3.5;
  Game.spawnTimer = 3.0;

  tanidata anim = Player.anim;  // loaded with the game data; only its state bytes restart
  anim.movestate = 0;
  anim.facing = 0;
  anim.finished = 0;
  Player = tplayer{};
  Player.anim = anim;
  Player.body.pos = {0.01, 0.1};
  Player.aimPoint = {0.1, 0.1};
  Player.aimOffset = {0.1, 0.1};
  if (!weapons.empty()) Player.currentWeapon = weapons[0];

  Ending = tending{};
  Ending.playerControl = 1;

  cameraFollow = 1;
  zoom = 0.6;
  Game.timeScale = 1.0;
  defenderList.clear();
  heli = theli{};
}

void ClearDayLists() {
  shotList.clear();
  particleList.clear();
  enemies.clear();
  grenadeList.clear();
}

void TakeFrameInput(const tframeinput &in) {
  Game.frameTime = in.frameTime;
  Game.pointer = in.pointer;
  Game.spentActions &= static_cast<uint16_t>(in.held & ~in.pressed);
  Game.actions = static_cast<uint16_t>(in.held & ~Game.spentActions);
}

void SpendAction(uint16_t action) {
  Game.spentActions |= action;
  Game.actions &= static_cast<uint16_t>(~action);
}
