// The text formats authors write: good input parses to the right records, bad input names the
// file and line.
#include <gtest/gtest.h>

#include "contentc/animation_source.h"
#include "contentc/piece_checks.h"
#include "contentc/piece_source.h"
#include "contentc/skeleton_source.h"
#include "contentc/source_text.h"
#include "contentc/weapon_source.h"

namespace {

// Runs the parse and returns its complaint, or "" when it accepted the text.
template <typename F>
std::string Complaint(F parse) {
  try {
    parse();
  } catch (const SourceError &e) {
    return e.what();
  }
  return "";
}

const char *GOOD_PIECE =
    "# a test piece\n"
    "kind middle\n"
    "leftheight 0\n"
    "rightheight 0.2\n"
    "cratespot 1 0.2\n"
    "pickupspot -1 0.075\n"
    "block -2.5 -10 0 0\n"
    "block 2.5 0.2 0 -10   # corners in any order\n"
    "solid -2.5 3 -2.4 4\n"
    "draw 1 1 1.5 1.2\n"
    "lamp -2 0 0.6\n";

const char *SKELETON =
    "part body parent=self rect=-0.1,-0.1,0.1,0.1 hidden\n"
    "part arm parent=self joint=0,0.4 rect=-0.1,0,0.1,0.5 angle=180\n"
    "part hand parent=arm joint=0,0.5 rect=-0.1,0,0.1,0.5 tag=1\n";

}  // namespace

TEST(PieceSource, ParsesBlocksSpotsAndHeights) {
  PieceSource p = ParsePiece("dir/test.piece", GOOD_PIECE);
  EXPECT_EQ(p.name, "test");
  EXPECT_EQ(p.desc.kind, 0);
  EXPECT_DOUBLE_EQ(p.desc.rightheight, 0.2);
  EXPECT_DOUBLE_EQ(p.desc.cratespot.x, 1);
  ASSERT_EQ(p.collision.size(), 3u);  // two blocks and the solid
  // corners come out in min/max order whatever order they were written in
  EXPECT_DOUBLE_EQ(p.collision[1].corner1.x, 0);
  EXPECT_DOUBLE_EQ(p.collision[1].corner1.y, -10);
  EXPECT_DOUBLE_EQ(p.collision[1].corner2.x, 2.5);
  EXPECT_DOUBLE_EQ(p.collision[1].corner2.y, 0.2);
  EXPECT_EQ(p.collision[0].active, 1);
  // drawn: two blocks, the draw, and the lamp's pieces; the solid is not drawn
  EXPECT_GT(p.drawn.size(), 3u);
  for (const block &b : p.drawn) EXPECT_FALSE(b.corner1.x == -2.5 && b.corner1.y == 3);
  EXPECT_TRUE(CheckPiece(p).empty());
}

TEST(PieceSource, BadInputNamesFileAndLine) {
  auto with = [](const std::string &extra) {
    return Complaint([&] { ParsePiece("p.piece", std::string(GOOD_PIECE) + extra); });
  };
  EXPECT_EQ(with("blok 0 0 1 1\n").rfind("p.piece:12: unknown keyword 'blok'", 0), 0u) << with("blok 0 0 1 1\n");
  EXPECT_NE(with("block 0 0 1\n").find("p.piece:12: expected: block X1 Y1 X2 Y2"), std::string::npos);
  EXPECT_NE(with("block 0 0 one 1\n").find("p.piece:12: X2 is not a number: 'one'"), std::string::npos);
  EXPECT_NE(with("draw 0 0 1 nan\n").find("p.piece:12:"), std::string::npos);
  EXPECT_NE(with("block 0 1 2 1\n").find("p.piece:12: the rectangle has no area"), std::string::npos);
  EXPECT_NE(with("block 2 0 3 1\n").find("p.piece:12: the rectangle reaches outside"), std::string::npos);
  EXPECT_NE(with("kind base\n").find("p.piece:12: kind was already given on line 2"), std::string::npos);
  EXPECT_NE(with("startspot 0 0.1\n").find("p.piece:12: startspot belongs to base pieces only"), std::string::npos);
  EXPECT_NE(with("lamp 2.45 0 0.6 right\n").find("p.piece:12: lamp reaches outside"), std::string::npos);
  EXPECT_NE(with("car 0 0 up\n").find("p.piece:12: expected 'left' or 'right'"), std::string::npos);
  EXPECT_NE(Complaint([] { ParsePiece("q.piece", "kind sideways\n"); }).find("q.piece:1: unknown kind 'sideways'"),
            std::string::npos);
  EXPECT_EQ(Complaint([] { ParsePiece("q.piece", "kind middle\nleftheight 0\n"); }), "q.piece: missing 'rightheight'");
  EXPECT_EQ(Complaint([] {
              ParsePiece("b.piece", "kind base\nleftheight 0\nrightheight 0\ncratespot 0 0\npickupspot 0 0\n");
            }),
            "b.piece: missing 'startspot'");
}

TEST(PieceChecks, FindUnplayablePieces) {
  auto problems = [](const std::string &text) {
    return CheckPiece(ParsePiece("t.piece", text));
  };
  auto mentions = [](const std::vector<std::string> &list, const std::string &what) {
    for (const std::string &s : list)
      if (s.find(what) != std::string::npos) return true;
    return false;
  };
  const std::string head = "kind middle\nleftheight 0\nrightheight 0\n";
  const std::string flat = "block -2.5 -10 2.5 0\n";
  // a wall higher than a jump cannot be crossed; one a little lower can
  auto wall = problems(head + "cratespot 1 0\npickupspot -1 0.075\n" + flat + "block -0.1 0 0.1 0.7\n");
  EXPECT_TRUE(mentions(wall, "cannot be crossed from left to right")) << wall.size();
  EXPECT_TRUE(problems(head + "cratespot 1 0\npickupspot -1 0.075\n" + flat + "block -0.1 0 0.1 0.5\n").empty());
  // a wall with a doorway under it lets characters through
  EXPECT_TRUE(problems(head + "cratespot 1 0\npickupspot -1 0.075\n" + flat + "block -0.1 0.25 0.1 2\n").empty());
  // spots: floating crate, crate in a block, weapon crates high in the air, unreachable crate
  EXPECT_TRUE(mentions(problems(head + "cratespot 1 0.1\npickupspot -1 0.075\n" + flat), "does not rest"));
  EXPECT_TRUE(mentions(problems(head + "cratespot 1 0\npickupspot -1 0.075\n" + flat + "block 0.9 0 1.2 0.05\n"),
                       "inside a block"));
  EXPECT_TRUE(mentions(problems(head + "cratespot 1 0\npickupspot -1 1\n" + flat), "would fall"));
  EXPECT_TRUE(mentions(problems(head + "cratespot 1 2\npickupspot -1 0.075\n" + flat + "block 0.8 1.9 1.2 2\n"),
                       "cannot be reached"));
  // edges must meet the heights the piece claims
  EXPECT_TRUE(mentions(problems("kind middle\nleftheight 0.3\nrightheight 0\ncratespot 1 0\npickupspot -1 0.075\n" + flat),
                       "left edge"));
  // an end piece must wall off the world and join at 0; a base must start the player right
  const std::string end = "kind leftend\nleftheight 0\nrightheight 0\ncratespot 1 0\npickupspot -1 0.075\n" + flat;
  EXPECT_TRUE(mentions(problems(end), "outer edge can be reached"));
  EXPECT_TRUE(problems(end + "block -2.5 0 -2 3\n").empty());
  EXPECT_TRUE(mentions(problems("kind leftend\nleftheight 0.2\nrightheight 0\ncratespot 1 0\npickupspot -1 0.075\n" +
                                flat + "block -2.5 0 -2 3\n"),
                       "leftheight must be 0"));
  const std::string base = "kind base\nleftheight 0\ncratespot 1 0\npickupspot -1 0.075\nbasespot 0 0\n" + flat;
  EXPECT_TRUE(problems(base + "rightheight 0\nstartspot -0.4 0.1\n").empty());
  EXPECT_TRUE(mentions(problems(base + "rightheight 0.2\nstartspot -0.4 0.1\n"), "rightheight"));
  EXPECT_TRUE(mentions(problems(base + "rightheight 0\nstartspot -0.4 0.05\n"), "inside a block"));
  EXPECT_TRUE(mentions(problems(base + "rightheight 0\nstartspot -0.4 0.1\nblock 1 0 1.3 1\n"), "defender"));
}

TEST(SkeletonSource, ParsesPartsAndRejectsBadOnes) {
  SkeletonSource s = ParseSkeleton("s.skeleton", SKELETON);
  ASSERT_EQ(s.parts.size(), 3u);
  EXPECT_EQ(s.parts[0].visible, 0);
  EXPECT_EQ(s.parts[0].parentid, 0);
  EXPECT_EQ(s.parts[2].parentid, 1);
  EXPECT_EQ(s.parts[2].id, 2);
  EXPECT_EQ(s.parts[2].tag, '1');
  EXPECT_DOUBLE_EQ(s.parts[1].pivot.y, -0.4);  // the file holds the joint negated
  EXPECT_DOUBLE_EQ(s.parts[1].angle, 180);
  EXPECT_DOUBLE_EQ(s.parts[2].corner2.y, 0.5);
  EXPECT_EQ(s.index("hand"), 2);
  EXPECT_EQ(s.index("foot"), -1);

  auto bad = [](const std::string &text) { return Complaint([&] { ParseSkeleton("s.skeleton", text); }); };
  EXPECT_NE(bad(std::string(SKELETON) + "part leg parent=hip rect=0,0,1,1\n").find("s.skeleton:4: unknown parent 'hip'"),
            std::string::npos);
  EXPECT_NE(bad(std::string(SKELETON) + "part arm parent=self rect=0,0,1,1\n").find("s.skeleton:4: part 'arm' is defined twice"),
            std::string::npos);
  EXPECT_NE(bad("part a parent=self rect=0,0,1,1 tag=x\n").find("s.skeleton:1: tag must be 1, 2, h or f"), std::string::npos);
  EXPECT_NE(bad("part a parent=self rect=0,0,1\n").find("s.skeleton:1: rect needs 4 numbers"), std::string::npos);
  EXPECT_NE(bad("part a parent=self rect=1,0,0,1\n").find("s.skeleton:1: rect must be"), std::string::npos);
  EXPECT_NE(bad("part a parent=self\n").find("s.skeleton:1: part 'a' needs rect"), std::string::npos);
  EXPECT_NE(bad("part a parent=b rect=0,0,1,1\npart b parent=a rect=0,0,1,1\n").find("s.skeleton:1: part 'a' is its own ancestor"),
            std::string::npos);
  EXPECT_NE(bad("bone a\n").find("s.skeleton:1: unknown keyword 'bone'"), std::string::npos);
  EXPECT_NE(bad("part a parent=self rect=0,0,1,1 colour=red\n").find("s.skeleton:1: unknown setting 'colour'"),
            std::string::npos);
}

TEST(AnimationSource, FramesStartFromRestAndBadInputIsNamed) {
  SkeletonSource s = ParseSkeleton("s.skeleton", SKELETON);
  tanim a = ParseAnimation("a.anim", "length 1\nframe 0\n  arm 90 pivot 0.1 -0.2\nframe 0.5\n  hand 30\n", s);
  ASSERT_EQ(a.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(a.length, 1);
  ASSERT_EQ(a.frames[0].values.size(), s.parts.size() + 2);
  EXPECT_DOUBLE_EQ(a.frames[0].values[1], 90);
  EXPECT_DOUBLE_EQ(a.frames[0].values[3], 0.1);
  EXPECT_DOUBLE_EQ(a.frames[0].values[4], -0.2);
  EXPECT_DOUBLE_EQ(a.frames[1].time, 0.5);
  EXPECT_DOUBLE_EQ(a.frames[1].values[1], 180);  // not named: the rest angle
  EXPECT_DOUBLE_EQ(a.frames[1].values[2], 30);
  EXPECT_DOUBLE_EQ(a.frames[1].values[4], 0);

  auto bad = [&](const std::string &text) { return Complaint([&] { ParseAnimation("a.anim", text, s); }); };
  EXPECT_NE(bad("length 1\nframe 0\n  leg 10\n").find("a.anim:3: unknown part 'leg'"), std::string::npos);
  EXPECT_NE(bad("length 1\nframe 0.2\n").find("a.anim:2: the first key frame must be at time 0"), std::string::npos);
  EXPECT_NE(bad("length 1\nframe 0\nframe 0.5\nframe 0.5\n").find("a.anim:4: key frame times must increase"),
            std::string::npos);
  EXPECT_NE(bad("length 1\narm 5\n").find("a.anim:2: 'arm' comes before the first"), std::string::npos);
  EXPECT_NE(bad("length 1\nframe 0\n  arm\n").find("a.anim:3: expected an angle after 'arm'"), std::string::npos);
  EXPECT_NE(bad("length 1\nframe 0\n  arm 5 arm 6\n").find("a.anim:3: part 'arm' is set twice"), std::string::npos);
  EXPECT_NE(bad("length 0.5\nframe 0\nframe 0.5\n").find("a.anim:1: the cycle length must be later"), std::string::npos);
  EXPECT_NE(bad("length 0\n").find("a.anim:1: length must be above 0"), std::string::npos);
  EXPECT_EQ(bad("frame 0\n"), "a.anim: missing 'length SECONDS'");
}

TEST(WeaponSource, ParsesTheTableAndNamesWhatIsWrong) {
  const std::string pistol =
      "weapon pistol\n name my pistol\n rate 5\n speed 20\n spread 0.1\n damage 1\n range 3\n noise 2\n"
      " pellets 1\n pickupammo 0\n maxammo 0\n clip 10\n pierce 0\n iconrow 0\n"
      " firesound pistol fire.wav\n reloadsound pistol reload.wav\n flags semiauto ejectonfire\n";
  std::vector<WeaponSource> w = ParseWeapons("w.txt", pistol);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].record.weapon.name, "my pistol");
  EXPECT_EQ(w[0].record.fireSoundFile, "pistol fire.wav");
  EXPECT_EQ(w[0].record.textureFile, "pistol.tga");
  EXPECT_EQ(w[0].record.weapon.semiauto, 1);
  EXPECT_EQ(w[0].record.weapon.longgrip, 0);
  EXPECT_EQ(w[0].record.weapon.clip, 10);
  EXPECT_DOUBLE_EQ(w[0].record.weapon.rate, 5);

  auto bad = [](const std::string &text) { return Complaint([&] { ParseWeapons("w.txt", text); }); };
  EXPECT_NE(bad("weapon pistol\n rate 5\n").find("w.txt:1: weapon 'pistol' is missing: speed, spread"), std::string::npos);
  EXPECT_NE(bad("weapon laser\n").find("w.txt:1: no weapon drawing named 'laser'"), std::string::npos);
  EXPECT_NE(bad(pistol + "weapon pistol\n").find("w.txt:18: weapon 'pistol' is defined twice"), std::string::npos);
  EXPECT_NE(bad("weapon pistol\n rate -1\n").find("w.txt:2: rate cannot be negative"), std::string::npos);
  EXPECT_NE(bad("weapon pistol\n clip 2.5\n").find("w.txt:2: clip must be a whole number"), std::string::npos);
  EXPECT_NE(bad("weapon pistol\n iconrow 8\n").find("w.txt:2: iconrow must be 0 .. 7"), std::string::npos);
  EXPECT_NE(bad("weapon pistol\n flags fast\n").find("w.txt:2: unknown flag 'fast'"), std::string::npos);
  EXPECT_NE(bad("weapon pistol\n rate 1\n rate 2\n").find("w.txt:3: rate was already given on line 2"), std::string::npos);
  EXPECT_NE(bad("rate 1\n").find("w.txt:1: 'rate' comes before the first"), std::string::npos);
  EXPECT_NE(bad("weapon pistol\n name " + std::string(201, 'x') + "\n").find("w.txt:2: name is longer than 200"),
            std::string::npos);
  EXPECT_EQ(bad("# nothing\n"), "w.txt: no weapons");
}
