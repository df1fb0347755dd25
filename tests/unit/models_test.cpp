// Byte-exact round trips and torn records of any size are the fuzz targets' (fuzz_guy, fuzz_animation, fuzz_weapons).
#include <gtest/gtest.h>

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
  return {1, {0.9, 0.5, 0.25, 0.75}, parentid, id, 30.0 + id, 'h', {-c, 0}, {c, 2 * c}, {0.5, -0.5}, {1, 2}};
}

tweaponfile MakeWeapon(const std::string &name) {
  tweaponfile r{};
  tweapon &w = r.weapon;
  w.rate = 10, w.speed = 20.5, w.noise = 3.5, w.pellets = 6, w.pickupammo = -7, w.pierce = 2, w.iconrow = 5;
  w.name = name, w.semiauto = 1, w.ejectonreload = 4;
  r.textureFile = "gun.tga", r.fireSoundFile = "bang.wav", r.reloadSoundFile = "click.wav";
  return r;
}

}  // namespace

TEST(GuyFile, FieldPositionsAndLoadingScalesBlackensAndKeepsOldOnMissingFile) {
  std::vector<tguypart> parts = {MakePart(0, 0, 1), MakePart(1, 0, 2), MakePart(2, 1, 3)};
  parts[2].tag = '1';
  std::vector<uint8_t> bytes = EncodeGuyParts(parts);
  ASSERT_EQ(bytes.size(), 3 * GUYPART_RECORD_SIZE);
  EXPECT_EQ(GetI32(&bytes[256 + 44]), 2);  // the file's positions, not the compiler's
  EXPECT_EQ(bytes[256 + 56], '1');
  EXPECT_EQ(EncodeGuyParts(DecodeGuyParts(bytes.data(), bytes.size())), bytes);  // no field dropped on reading
  DataFolder data;
  bytes.resize(2 * GUYPART_RECORD_SIZE + 60, 0xAB);  // a torn third record
  data.dir.write("guys/standard.guy", bytes);
  tguy guy{};
  LoadGuy("standard", guy, 0.5);
  ASSERT_EQ(guy.parts.size(), 2u);
  const tguypart &p = guy.parts[1];
  EXPECT_EQ((std::vector<double>{p.corner1.x, p.corner2.y, p.offset.y, p.pivot.x}),
            (std::vector<double>{-1, 2, -0.25, 0.5}));
  EXPECT_EQ(p.angle, 31);  // angles are not lengths
  EXPECT_EQ((std::vector<double>(p.colour, p.colour + 4)), (std::vector<double>{0, 0, 0, 0.75}));
  LoadGuy("nobody", guy, 2.0);  // missing: left exactly as it was
  EXPECT_TRUE(guy.parts.size() == 2 && guy.parts[1].pivot.x == 0.5);
  data.dir.write("guys/empty.guy", std::vector<uint8_t>{});
  LoadGuy("empty", guy, 1.0);
  EXPECT_TRUE(guy.loaded == 1 && guy.parts.empty());
}

TEST(AnimationFile, LoadingScalesTimesAndRefusesDamage) {
  const tanim anim{{{0.0, {10, 20, 30, 0.5, -0.5}}, {0.5, {11, 21, 31, 0.25, -0.25}}}, 2.0};
  std::vector<uint8_t> bytes = EncodeAnimation(anim);
  ASSERT_EQ(bytes.size(), 8u * (1 + 2 * 6));
  // Not even the length, or a negative part count: refused, the target untouched.
  tanim back;
  back.length = 7;
  EXPECT_FALSE(DecodeAnimation(bytes.data(), 7, 3, back) || DecodeAnimation(bytes.data(), bytes.size(), -1, back));
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
  EXPECT_TRUE(loaded.length == 3.0 && loaded.frames.empty());
  for (const char *kept : {"stub", "missing"}) {
    LoadAnimation(kept, 3, loaded, 1.0);
    EXPECT_EQ(loaded.length, 3.0) << kept;
  }
}

TEST(WeaponFile, FieldPositionsAndNameLengths) {
  std::vector<tweaponfile> table = {MakeWeapon("pistol"), MakeWeapon("a shotgun")};
  table[1].weapon.pellets = 8;
  table[1].textureFile = "shot gun.jpg";
  std::vector<uint8_t> bytes = EncodeWeapons(table);
  ASSERT_EQ(bytes.size(), 2 * WEAPON_RECORD_SIZE);
  EXPECT_EQ(GetI32(&bytes[880 + 48]), 8);
  EXPECT_EQ(bytes[672], 6);
  EXPECT_EQ(bytes[876], 4);
  EXPECT_EQ(EncodeWeapons(DecodeWeapons(bytes.data(), bytes.size())), bytes);  // no field dropped on reading
  // The length byte rules: 5 means five characters whatever follows; one beyond the 200 bytes of room is damage, cut to
  // the room; a longer name is cut when written.
  bytes[672] = 5;
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size())[0].weapon.name, "pisto");
  bytes[672] = 250;
  std::fill(bytes.begin() + 673, bytes.begin() + 873, 'x');
  EXPECT_EQ(DecodeWeapons(bytes.data(), bytes.size())[0].weapon.name, std::string(200, 'x'));
  std::vector<uint8_t> longName = EncodeWeapons({MakeWeapon(std::string(300, 'y'))});
  EXPECT_EQ(DecodeWeapons(longName.data(), WEAPON_RECORD_SIZE)[0].weapon.name, std::string(200, 'y'));
}

TEST(CreateCharacter, SlotsAndSkeletonEntries) {
  DataFolder data;
  std::vector<tguypart> parts = {MakePart(0, 0, 1), MakePart(1, 0, 2), MakePart(2, 1, 1)};
  data.dir.write("guys/standard.guy", EncodeGuyParts(parts));
  enemies.clear();
  guys.assign(1, tguy{});
  LoadGuy("standard", guys[0], 0.075);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(CreateCharacter(i, 1), i);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(enemies[i].guy, i + 1);  // entry 0 is the player's
  const tenemy &e = enemies[2];
  EXPECT_EQ(e.anim.partcount, 3);
  EXPECT_TRUE(e.anim.rates.size() == 5u && e.anim.from.values.size() == 5u && e.anim.target.values.size() == 5u);
  EXPECT_DOUBLE_EQ(guys[e.guy].parts[1].corner2.y, 4 * 0.075);
  // A dead zombie's slot is reused with its own skeleton entry, restored whole.
  enemies[3].active = 0;
  guys[enemies[3].guy].parts[2].visible = 0;  // an arm shot off
  enemies[3].body.accel = {5, 5}, enemies[3].damage = 2;
  EXPECT_EQ(CreateCharacter(7, 8), 3);
  EXPECT_TRUE(enemies[3].guy == 4 && guys[4].parts[2].visible == 1);
  EXPECT_TRUE(enemies[3].body.accel.x == 0 && enemies[3].damage == 0);
  EXPECT_EQ(CreateCharacter(0, 0), 5);  // all active: appended
  enemies.clear();
  guys.clear();
}
