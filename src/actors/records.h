// Skeletons, animations, playback state, zombies and weapons.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/vector.h"

struct tbody {
  tvector pos, vel, accel;
};

// One rectangle of a skeleton (128 bytes in a .guy file).
struct tguypart {
  uint8_t visible;
  double colour[4];
  int32_t parentid;
  int32_t id;
  double angle;  // degrees
  char tag;      // '1', '2' aimed arms, 'h' head, 'f' lost to a leg hit
  tvector corner1, corner2, offset, pivot;
};

struct tguy {
  uint8_t loaded;
  std::vector<tguypart> parts;
};

struct tframe {
  double time;
  std::vector<double> values;  // partcount angles, then part 0's pivot x and y
};

struct tanim {
  std::vector<tframe> frames;
  double length;
};

struct tanidata {
  double time;
  double speed;
  double scale;
  int32_t anim;
  int32_t frame;
  int32_t partcount;
  tframe target;
  tframe from;
  uint8_t facing;     // 1: faces -x
  uint8_t finished;   // set on the step that wraps to key frame 0
  uint8_t movestate;  // 0 standing, 1 walking, 2 in the air, 3 about to jump
  std::vector<double> rates;
};

struct tenemy {
  uint8_t active;
  tbody body;
  tanidata anim;
  int32_t guy;
  uint8_t mode;
  double aim;
  double timer;
  double damage;
  tvector target;
};

struct tweapon {
  double rate, speed, spread, damage, range, noise;
  int32_t pellets, pickupammo, maxammo, clip, pierce;
  uint8_t iconrow;
  uint8_t texture;
  uint8_t firesound;
  uint8_t reloadsound;
  std::string name;
  uint8_t semiauto, longgrip, ejectonfire, ejectonreload;
};

constexpr size_t GUYPART_RECORD_SIZE = 128;
constexpr size_t WEAPON_RECORD_SIZE = 880;

extern std::vector<tguy> guys;
extern std::vector<tanim> animations;
extern std::vector<tenemy> enemies;
extern std::vector<tweapon> weapons;
extern std::vector<uint32_t> weaponTextures;
extern std::vector<uint32_t> weaponSounds[2];
