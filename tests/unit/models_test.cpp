#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "actors/models.h"
#include "base/files.h"
#include "rig/rig.h"

namespace {

// A temporary data folder with no remembered skeleton from another test.
struct DataFolder : TempBase {
  DataFolder() { ForgetSkeletonCache(); }
  ~DataFolder() { ForgetSkeletonCache(); }
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

tweaponfile MakeWeapon(const std::string &name) {
  tweaponfile r{};
  r.weapon.rate = 10;
  r.weapon.speed = 20.5;
  r.weapon.noise = 3.5;
  r.weapon.pellets = 6;
  r.weapon.pickupammo = -7;
  r.weapon.pierce = 2;
  r.weapon.iconrow = 5;
  r.weapon.name = name;
  r.weapon.semiauto = 1;
  r.weapon.ejectonreload = 4;
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
  EXPECT_EQ(GetI32(&bytes[256 + 44]), 2);
  EXPECT_EQ(bytes[256 + 56], '1');
  std::vector<tguypart> back = DecodeGuyParts(bytes.data(), bytes.size());
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[1].visible, 0);
  EXPECT_EQ(EncodeGuyParts(back), bytes);
  // A record cut short by the end of the file is dropped; nothing is read past the end.
  EXPECT_EQ(DecodeGuyParts(bytes.data(), bytes.size() - 1).size(), 2u);
  EXPECT_EQ(DecodeGuyParts(bytes.data(), 127).size(), 0u);
}

TEST(GuyFile, LoadScalesBlackensAndKeepsOldOnMissingFile) {
  DataFolder data;
  std::vector<uint8_t> bytes = EncodeGuyParts({MakePart(0, 0, 1), MakePart(1, 0, 2)});
  bytes.resize(bytes.size() + 60, 0xAB);  // a torn third record
  data.dir.write("guys/standard.guy", bytes);
  tguy guy{};
  LoadGuy("standard", guy, 0.5);
  ASSERT_EQ(guy.parts.size(), 2u);
  const tguypart &p = guy.parts[1];
  EXPECT_EQ(p.corner1.x, -1.0);
  EXPECT_EQ(p.corner2.y, 2.0);
  EXPECT_EQ(p.offset.y, -0.25);
  EXPECT_EQ(p.pivot.x, 0.5);
  EXPECT_EQ(p.angle, 31);  // angles are not lengths
  EXPECT_TRUE(p.colour[0] == 0 && p.colour[1] == 0 && p.colour[2] == 0);
  EXPECT_EQ(p.colour[3], 0.75);

  LoadGuy("nobody", guy, 2.0);  // missing: left exactly as it was
  EXPECT_EQ(guy.parts.size(), 2u);
  EXPECT_EQ(guy.parts[1].pivot.x, 0.5);
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
  EXPECT_EQ(EncodeAnimation(back), bytes);
  // A key frame cut anywhere short is dropped, the whole ones kept.
  for (size_t cut : {1, 8}) {
    ASSERT_TRUE(DecodeAnimation(bytes.data(), bytes.size() - cut, 3, back));
    EXPECT_EQ(back.frames.size(), 1u) << cut;
  }
  // Not even the length, or a negative part count: refused, the target untouched.
  back.length = 7;
  EXPECT_FALSE(DecodeAnimation(bytes.data(), 7, 3, back));
  EXPECT_FALSE(DecodeAnimation(bytes.data(), bytes.size(), -1, back));
  EXPECT_EQ(back.length, 7);

  DataFolder data;
  data.dir.write("animations/jump.ani", bytes);
  std::vector<uint8_t> still(8);
  PutF64(still.data(), 3.0);
  data.dir.write("animations/still.ani", still);
  data.dir.write("animations/stub.ani", std::vector<uint8_t>{1, 2, 3});
  tanim loaded;
  LoadAnimation("jump", 3, loaded, 0.125);
  EXPECT_EQ(loaded.length, 0.25);
  ASSERT_EQ(loaded.frames.size(), 2u);
  EXPECT_EQ(loaded.frames[1].time, 0.0625);
  EXPECT_EQ(loaded.frames[1].values, anim.frames[1].values);  // angles and pivot unscaled
  LoadAnimation("still", 3, loaded, 1.0);
  EXPECT_EQ(loaded.length, 3.0);
  EXPECT_TRUE(loaded.frames.empty());
  for (const char *kept : {"stub", "missing"}) {
    LoadAnimation(kept, 3, loaded, 1.0);
    EXPECT_EQ(loaded.length, 3.0) << kept;
  }
}

TEST(WeaponFile, RoundTripNamesAndDamagedSizes) {
  std::vector<tweaponfile> table = {MakeWeapon("pistol"), MakeWeapon("a shotgun")};
  table[1].weapon.pellets = 8;
  table[1].textureFile = "shot gun.jpg";
  std::vector<uint8_t> bytes = EncodeWeapons(table);
  ASSERT_EQ(bytes.size(), 2 * WEAPON_RECORD_SIZE);
  // Spot checks of where fields sit; the byte-exact round trip covers the rest.
  EXPECT_EQ(GetI32(&bytes[880 + 48]), 8);
  EXPECT_EQ(bytes[672], 6);
  EXPECT_EQ(bytes[876], 4);
  std::vector<tweaponfile> back = DecodeWeapons(bytes.data(), bytes.size());
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].weapon.name, "pistol");
  EXPECT_EQ(back[1].textureFile, "shot gun.jpg");
  EXPECT_EQ(EncodeWeapons(back), bytes);

  // The length byte rules: 5 means five characters whatever follows.
  bytes[672] = 5;
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size())[0].weapon.name, "pisto");
  // A length beyond the 200 bytes of room is damage: cut to the room.
  bytes[672] = 250;
  std::fill(bytes.begin() + 673, bytes.begin() + 873, 'x');
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size())[0].weapon.name, std::string(200, 'x'));
  // A torn last record is dropped; a name longer than the room is cut when written.
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size() - 3).size(), 1u);
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
  EXPECT_EQ(guys.size(), 6u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(enemies[i].guy, i + 1);  // entry 0 is the player's
  const tenemy &e = enemies[2];
  EXPECT_EQ(e.anim.partcount, 3);
  EXPECT_TRUE(e.anim.rates.size() == 5u && e.anim.from.values.size() == 5u && e.anim.target.values.size() == 5u);
  EXPECT_DOUBLE_EQ(guys[e.guy].parts[1].corner2.y, 4 * 0.075);

  // A dead zombie's slot is reused with its own skeleton entry, restored whole.
  enemies[3].active = 0;
  guys[enemies[3].guy].parts[2].visible = 0;  // an arm shot off
  enemies[3].body.accel = {5, 5};
  enemies[3].damage = 2;
  EXPECT_EQ(CreateCharacter(7, 8), 3);
  EXPECT_EQ(enemies[3].guy, 4);
  EXPECT_EQ(guys[4].parts[2].visible, 1);
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
  // No two zombies ever share a skeleton, and none takes the player's.
  std::vector<int> owners(guys.size(), 0);
  for (const tenemy &z : enemies) {
    ASSERT_GE(z.guy, 1);
    ASSERT_LT(static_cast<size_t>(z.guy), guys.size());
    EXPECT_EQ(++owners[z.guy], 1);
  }

  // Zombies are made from the skeleton as last read, without going back to the disk, until
  // the copy is dropped (then a missing file gives an unloaded skeleton) or "standard" is
  // read again.
  std::remove(data.dir.file("guys/standard.guy").c_str());
  auto fresh = [] {
    enemies.clear();
    return enemies[CreateCharacter(0, 0)];
  };
  EXPECT_EQ(fresh().anim.partcount, 3);
  ForgetSkeletonCache();
  EXPECT_EQ(guys[fresh().guy].loaded, 0);
  parts.pop_back();
  data.dir.write("guys/standard.guy", EncodeGuyParts(parts));
  LoadGuy("standard", guys[0], 0.075);
  std::remove(data.dir.file("guys/standard.guy").c_str());
  EXPECT_EQ(fresh().anim.partcount, 2);

  enemies.clear();
  guys.clear();
}
