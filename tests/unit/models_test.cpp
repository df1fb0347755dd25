#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "actors/models.h"
#include "app/files.h"
#include "rig/rig.h"

namespace {

// Points the game at a temporary data folder for one test.
struct DataFolder {
  TempDir dir;
  std::string saved = baseDirectory;
  DataFolder() {
    baseDirectory = dir.path();
    ForgetSkeletonCache();
  }
  ~DataFolder() {
    baseDirectory = saved;
    ForgetSkeletonCache();
  }
};

tguypart MakePart(int32_t id, int32_t parentid, double c) {
  tguypart p{};
  p.visible = 1;
  p.colour[0] = 0.9;
  p.colour[1] = 0.5;
  p.colour[2] = 0.25;
  p.colour[3] = 0.75;
  p.id = id;
  p.parentid = parentid;
  p.angle = 30 + id;
  p.tag = 'h';
  p.corner1 = {-c, 0};
  p.corner2 = {c, 2 * c};
  p.offset = {0.5, -0.5};
  p.pivot = {1, 2};
  return p;
}

std::vector<uint8_t> Doubles(std::initializer_list<double> values) {
  std::vector<uint8_t> bytes(values.size() * 8);
  size_t i = 0;
  for (double v : values) PutF64(&bytes[8 * i++], v);
  return bytes;
}

tweaponfile MakeWeapon(const std::string &name) {
  tweaponfile r;
  r.weapon = tweapon{};
  tweapon &w = r.weapon;
  w.rate = 10;
  w.speed = 20.5;
  w.spread = 0.125;
  w.damage = 0.75;
  w.range = 4;
  w.noise = 3.5;
  w.pellets = 6;
  w.pickupammo = -7;
  w.maxammo = 200;
  w.clip = 30;
  w.pierce = 2;
  w.iconrow = 5;
  w.name = name;
  w.semiauto = 1;
  w.longgrip = 2;
  w.ejectonfire = 3;
  w.ejectonreload = 4;
  r.textureFile = "gun.tga";
  r.fireSoundFile = "bang.wav";
  r.reloadSoundFile = "click.wav";
  return r;
}

}  // namespace

TEST(GuyFile, RoundTripAndDamagedSizes) {
  std::vector<tguypart> parts = {MakePart(0, 0, 1), MakePart(1, 0, 2), MakePart(2, 1, 3)};
  parts[1].visible = 0;
  parts[2].tag = '1';
  std::vector<uint8_t> bytes = EncodeGuyParts(parts);
  ASSERT_EQ(bytes.size(), 3 * GUYPART_RECORD_SIZE);
  // Field positions are the file's, not the compiler's.
  EXPECT_EQ(GetI32(&bytes[128 + 40]), 0);
  EXPECT_EQ(GetI32(&bytes[256 + 44]), 2);
  EXPECT_EQ(bytes[256 + 56], '1');
  EXPECT_DOUBLE_EQ(GetF64(&bytes[112 + 8]), 2.0);

  std::vector<tguypart> back = DecodeGuyParts(bytes.data(), bytes.size());
  ASSERT_EQ(back.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back[i].visible, parts[i].visible);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(back[i].colour[c], parts[i].colour[c]);
    EXPECT_EQ(back[i].id, parts[i].id);
    EXPECT_EQ(back[i].parentid, parts[i].parentid);
    EXPECT_EQ(back[i].angle, parts[i].angle);
    EXPECT_EQ(back[i].tag, parts[i].tag);
    EXPECT_EQ(back[i].corner1.x, parts[i].corner1.x);
    EXPECT_EQ(back[i].corner2.y, parts[i].corner2.y);
    EXPECT_EQ(back[i].offset.y, parts[i].offset.y);
    EXPECT_EQ(back[i].pivot.x, parts[i].pivot.x);
  }
  EXPECT_EQ(EncodeGuyParts(back), bytes);

  // A record cut short by the end of the file is dropped; nothing is read past the end.
  EXPECT_EQ(DecodeGuyParts(bytes.data(), bytes.size() - 1).size(), 2u);
  EXPECT_EQ(DecodeGuyParts(bytes.data(), 127).size(), 0u);
  EXPECT_EQ(DecodeGuyParts(nullptr, 0).size(), 0u);
}

TEST(GuyFile, LoadScalesBlackensAndKeepsOldOnMissingFile) {
  DataFolder data;
  std::vector<tguypart> parts = {MakePart(0, 0, 1), MakePart(1, 0, 2)};
  std::vector<uint8_t> bytes = EncodeGuyParts(parts);
  bytes.resize(bytes.size() + 60, 0xAB);  // a torn third record
  data.dir.write("guys/standard.guy", bytes);

  tguy guy{};
  LoadGuy("standard", guy, 0.5);
  EXPECT_EQ(guy.loaded, 1);
  ASSERT_EQ(guy.parts.size(), 2u);
  const tguypart &p = guy.parts[1];
  EXPECT_DOUBLE_EQ(p.corner1.x, -1.0);
  EXPECT_DOUBLE_EQ(p.corner2.x, 1.0);
  EXPECT_DOUBLE_EQ(p.corner2.y, 2.0);
  EXPECT_DOUBLE_EQ(p.offset.x, 0.25);
  EXPECT_DOUBLE_EQ(p.offset.y, -0.25);
  EXPECT_DOUBLE_EQ(p.pivot.x, 0.5);
  EXPECT_DOUBLE_EQ(p.pivot.y, 1.0);
  EXPECT_DOUBLE_EQ(p.angle, 31);  // angles are not lengths
  EXPECT_EQ(p.colour[0], 0);
  EXPECT_EQ(p.colour[1], 0);
  EXPECT_EQ(p.colour[2], 0);
  EXPECT_EQ(p.colour[3], 0.75);

  // A missing file leaves the skeleton exactly as it was.
  LoadGuy("nobody", guy, 2.0);
  EXPECT_EQ(guy.loaded, 1);
  EXPECT_EQ(guy.parts.size(), 2u);
  EXPECT_DOUBLE_EQ(guy.parts[1].pivot.x, 0.5);

  // An empty file is a loaded skeleton without parts.
  data.dir.write("guys/empty.guy", std::vector<uint8_t>{});
  LoadGuy("empty", guy, 1.0);
  EXPECT_EQ(guy.loaded, 1);
  EXPECT_TRUE(guy.parts.empty());
}

TEST(AnimationFile, RoundTripScalingAndDamagedSizes) {
  tanim anim;
  anim.length = 2.0;
  anim.frames = {{0.0, {10, 20, 30, 0.5, -0.5}}, {0.5, {11, 21, 31, 0.25, -0.25}}};
  std::vector<uint8_t> bytes = EncodeAnimation(anim);
  ASSERT_EQ(bytes.size(), 8u * (1 + 2 * 6));
  tanim back;
  ASSERT_TRUE(DecodeAnimation(bytes.data(), bytes.size(), 3, back));
  EXPECT_EQ(back.length, 2.0);
  ASSERT_EQ(back.frames.size(), 2u);
  EXPECT_EQ(back.frames[1].time, 0.5);
  EXPECT_EQ(back.frames[1].values, anim.frames[1].values);
  EXPECT_EQ(EncodeAnimation(back), bytes);

  // A key frame cut anywhere short is dropped, the whole ones kept.
  ASSERT_TRUE(DecodeAnimation(bytes.data(), bytes.size() - 8, 3, back));
  EXPECT_EQ(back.frames.size(), 1u);
  ASSERT_TRUE(DecodeAnimation(bytes.data(), bytes.size() - 1, 3, back));
  EXPECT_EQ(back.frames.size(), 1u);
  // Not even the length: refused, the target untouched.
  back.length = 7;
  EXPECT_FALSE(DecodeAnimation(bytes.data(), 7, 3, back));
  EXPECT_EQ(back.length, 7);
  EXPECT_FALSE(DecodeAnimation(bytes.data(), bytes.size(), -1, back));

  DataFolder data;
  data.dir.write("animations/jump.ani", bytes);
  data.dir.write("animations/still.ani", Doubles({3.0}));
  data.dir.write("animations/stub.ani", std::vector<uint8_t>{1, 2, 3});
  tanim loaded;
  LoadAnimation("jump", 3, loaded, 0.125);
  EXPECT_DOUBLE_EQ(loaded.length, 0.25);
  ASSERT_EQ(loaded.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(loaded.frames[1].time, 0.0625);
  EXPECT_EQ(loaded.frames[1].values, anim.frames[1].values);  // angles and pivot unscaled

  // Loaded for a skeleton of another size, the same bytes split differently.
  tanim other;
  LoadAnimation("jump", 1, other, 1.0);
  EXPECT_EQ(other.frames.size(), 3u);
  EXPECT_EQ(other.frames[0].values.size(), 3u);

  LoadAnimation("still", 3, loaded, 1.0);
  EXPECT_DOUBLE_EQ(loaded.length, 3.0);
  EXPECT_TRUE(loaded.frames.empty());
  LoadAnimation("stub", 3, loaded, 1.0);
  EXPECT_DOUBLE_EQ(loaded.length, 3.0);
  LoadAnimation("missing", 3, loaded, 1.0);
  EXPECT_DOUBLE_EQ(loaded.length, 3.0);
}

TEST(WeaponFile, RoundTripNamesAndDamagedSizes) {
  std::vector<tweaponfile> table = {MakeWeapon("pistol"), MakeWeapon("a shotgun")};
  table[1].weapon.pellets = 8;
  table[1].textureFile = "shot gun.jpg";
  std::vector<uint8_t> bytes = EncodeWeapons(table);
  ASSERT_EQ(bytes.size(), 2 * WEAPON_RECORD_SIZE);
  EXPECT_EQ(bytes[69], 7);
  EXPECT_EQ(bytes[672], 6);
  EXPECT_EQ(GetI32(&bytes[880 + 48]), 8);

  std::vector<tweaponfile> back = DecodeWeapons(bytes.data(), bytes.size());
  ASSERT_EQ(back.size(), 2u);
  const tweapon &w = back[0].weapon;
  EXPECT_EQ(w.rate, 10);
  EXPECT_EQ(w.speed, 20.5);
  EXPECT_EQ(w.spread, 0.125);
  EXPECT_EQ(w.damage, 0.75);
  EXPECT_EQ(w.range, 4);
  EXPECT_EQ(w.noise, 3.5);
  EXPECT_EQ(w.pellets, 6);
  EXPECT_EQ(w.pickupammo, -7);
  EXPECT_EQ(w.maxammo, 200);
  EXPECT_EQ(w.clip, 30);
  EXPECT_EQ(w.pierce, 2);
  EXPECT_EQ(w.iconrow, 5);
  EXPECT_EQ(w.name, "pistol");
  EXPECT_EQ(w.semiauto, 1);
  EXPECT_EQ(w.longgrip, 2);
  EXPECT_EQ(w.ejectonfire, 3);
  EXPECT_EQ(w.ejectonreload, 4);
  EXPECT_EQ(back[0].textureFile, "gun.tga");
  EXPECT_EQ(back[0].fireSoundFile, "bang.wav");
  EXPECT_EQ(back[0].reloadSoundFile, "click.wav");
  EXPECT_EQ(back[1].textureFile, "shot gun.jpg");
  EXPECT_EQ(back[1].weapon.name, "a shotgun");
  EXPECT_EQ(EncodeWeapons(back), bytes);

  // The length byte rules: 5 means five characters whatever follows.
  bytes[672] = 5;
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size())[0].weapon.name, "pisto");
  // A length beyond the 200 bytes of room is damage: cut to the room.
  bytes[672] = 250;
  std::fill(bytes.begin() + 673, bytes.begin() + 873, 'x');
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size())[0].weapon.name, std::string(200, 'x'));
  // A torn last record is dropped.
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size() - 3).size(), 1u);
  EXPECT_EQ(DecodeWeapons(bytes.data(), 879).size(), 0u);

  // Names longer than the room are cut when written.
  std::vector<tweaponfile> longName = {MakeWeapon(std::string(300, 'y'))};
  EXPECT_EQ(DecodeWeapons(EncodeWeapons(longName).data(), WEAPON_RECORD_SIZE)[0].weapon.name,
            std::string(200, 'y'));
}

TEST(CreateCharacter, SlotsAndSkeletonEntries) {
  DataFolder data;
  std::vector<tguypart> parts = {MakePart(0, 0, 1), MakePart(1, 0, 2), MakePart(2, 1, 1)};
  data.dir.write("guys/standard.guy", EncodeGuyParts(parts));
  enemies.clear();
  guys.assign(1, tguy{});
  LoadGuy("standard", guys[0], 0.075);

  for (int i = 0; i < 5; ++i) EXPECT_EQ(CreateCharacter(i, 1), i);
  ASSERT_EQ(enemies.size(), 5u);
  EXPECT_EQ(guys.size(), 6u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(enemies[i].guy, i + 1);  // entry 0 is the player's

  const tenemy &e = enemies[2];
  EXPECT_EQ(e.active, 1);
  EXPECT_EQ(e.mode, 1);
  EXPECT_EQ(e.body.pos.x, 2);
  EXPECT_EQ(e.body.pos.y, 1);
  EXPECT_EQ(e.anim.partcount, 3);
  EXPECT_EQ(e.anim.scale, 0.075);
  EXPECT_EQ(e.anim.speed, 1.0);
  EXPECT_EQ(e.anim.rates.size(), 5u);
  EXPECT_EQ(e.anim.from.values.size(), 5u);
  EXPECT_EQ(e.anim.target.values.size(), 5u);
  EXPECT_DOUBLE_EQ(guys[e.guy].parts[1].corner2.y, 4 * 0.075);
  EXPECT_EQ(guys[e.guy].parts[1].colour[0], 0);

  // A dead zombie's slot is reused with its own skeleton entry, restored whole.
  enemies[3].active = 0;
  guys[enemies[3].guy].parts[2].visible = 0;  // an arm shot off
  guys[enemies[3].guy].parts[2].angle = 99;
  enemies[3].body.accel = {5, 5};
  enemies[3].damage = 2;
  EXPECT_EQ(CreateCharacter(7, 8), 3);
  EXPECT_EQ(enemies[3].guy, 4);
  EXPECT_EQ(guys[4].parts[2].visible, 1);
  EXPECT_EQ(guys[4].parts[2].angle, 32);
  EXPECT_EQ(enemies[3].body.accel.x, 0);
  EXPECT_EQ(enemies[3].damage, 0);
  EXPECT_EQ(CreateCharacter(0, 0), 5);  // all active: appended

  // Many deaths and births, with the list trimmed from the end now and then, keep guys flat.
  size_t mostSlots = enemies.size();
  for (int round = 0; round < 500; ++round) {
    int i = CreateCharacter(round, 0);
    mostSlots = std::max(mostSlots, enemies.size());
    enemies[(i * 7 + round) % enemies.size()].active = 0;
    if (round % 3 == 0)
      while (!enemies.empty() && !enemies.back().active) enemies.pop_back();
    if (round % 50 == 0) enemies.clear();  // a new day
  }
  EXPECT_LE(guys.size(), mostSlots + 1);
  EXPECT_LT(guys.size(), 60u);
  // No two zombies ever share a skeleton, and none takes the player's.
  std::vector<int> owners(guys.size(), 0);
  for (const tenemy &z : enemies) {
    ASSERT_GE(z.guy, 1);
    ASSERT_LT(static_cast<size_t>(z.guy), guys.size());
    EXPECT_EQ(++owners[z.guy], 1);
  }

  // Zombies are made from the skeleton as last read, without going back to the disk...
  std::remove(data.dir.file("guys/standard.guy").c_str());
  enemies.clear();
  int z = CreateCharacter(0, 0);
  EXPECT_EQ(guys[enemies[z].guy].parts.size(), 3u);
  // ...until the copy is dropped: then a missing file gives an empty, unloaded skeleton.
  ForgetSkeletonCache();
  enemies.clear();
  z = CreateCharacter(0, 0);
  EXPECT_EQ(guys[enemies[z].guy].loaded, 0);
  EXPECT_TRUE(guys[enemies[z].guy].parts.empty());
  EXPECT_EQ(enemies[z].anim.rates.size(), 2u);
  // A re-read of "standard" refreshes the copy.
  parts.pop_back();
  data.dir.write("guys/standard.guy", EncodeGuyParts(parts));
  LoadGuy("standard", guys[0], 0.075);
  std::remove(data.dir.file("guys/standard.guy").c_str());
  enemies.clear();
  z = CreateCharacter(0, 0);
  EXPECT_EQ(guys[enemies[z].guy].parts.size(), 2u);
  EXPECT_EQ(enemies[z].anim.partcount, 2);

  enemies.clear();
  guys.clear();
}
