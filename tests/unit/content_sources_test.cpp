#include <gtest/gtest.h>

#include <functional>

#include "contentc/animation_source.h"
#include "contentc/piece_checks.h"
#include "contentc/piece_source.h"
#include "contentc/skeleton_source.h"
#include "contentc/source_text.h"
#include "contentc/weapon_source.h"

namespace {
struct BadSource {
  std::string text, complaint;
};

// Each text must be refused with a message containing its complaint.
void ExpectComplaints(const std::function<void(const std::string &)> &parse, const std::vector<BadSource> &cases) {
  for (const BadSource &c : cases) {
    std::string said = "(accepted)";
    try {
      parse(c.text);
    } catch (const SourceError &e) {
      said = e.what();
    }
    EXPECT_NE(said.find(c.complaint), std::string::npos) << c.complaint << "\n  got: " << said;
  }
}

const std::string GOOD_PIECE =
    "# a test piece\nkind middle\nleftheight 0\nrightheight 0.2\ncratespot 1 0.2\npickupspot -1 0.075\n"
    "block -2.5 -10 0 0\nblock 2.5 0.2 0 -10   # corners in any order\nsolid -2.5 3 -2.4 4\ndraw 1 1 1.5 1.2\n"
    "lamp -2 0 0.6\n";

const std::string SKELETON =
    "part body parent=self rect=-0.1,-0.1,0.1,0.1 hidden\n"
    "part arm parent=self joint=0,0.4 rect=-0.1,0,0.1,0.5 angle=180\n"
    "part hand parent=arm joint=0,0.5 rect=-0.1,0,0.1,0.5 tag=1\n";

bool Mentions(const std::vector<std::string> &list, const std::string &what) {
  for (const std::string &s : list)
    if (s.find(what) != std::string::npos) return true;
  return false;
}
}  // namespace

TEST(PieceSource, ParsesBlocksAndNamesBadLines) {
  PieceSource p = ParsePiece("dir/test.piece", GOOD_PIECE);
  EXPECT_TRUE(p.name == "test" && p.desc.kind == 0 && p.desc.rightheight == 0.2);
  ASSERT_EQ(p.collision.size(), 3u);  // two blocks and the solid
  // corners come out in min/max order whatever order they were written in
  EXPECT_EQ(EncodeBlocks({p.collision[1]}), EncodeBlocks({MakeBlock(0, -10, 2.5, 0.2)}));
  // drawn: two blocks, the draw, and the lamp's pieces; the solid is not drawn
  EXPECT_GT(p.drawn.size(), 3u);
  for (const block &b : p.drawn) EXPECT_FALSE(b.corner1.x == -2.5 && b.corner1.y == 3);
  EXPECT_TRUE(CheckPiece(p).empty());

  ExpectComplaints([](const std::string &extra) { ParsePiece("p.piece", GOOD_PIECE + extra); },
                   {{"blok 0 0 1 1\n", "p.piece:12: unknown keyword 'blok'"},
                    {"block 0 0 1\n", "p.piece:12: expected: block X1 Y1 X2 Y2"},
                    {"block 0 0 one 1\n", "p.piece:12: X2 is not a number: 'one'"},
                    {"draw 0 0 1 nan\n", "p.piece:12:"},
                    {"block 0 1 2 1\n", "p.piece:12: the rectangle has no area"},
                    {"block 2 0 3 1\n", "p.piece:12: the rectangle reaches outside"},
                    {"kind base\n", "p.piece:12: kind was already given on line 2"},
                    {"startspot 0 0.1\n", "p.piece:12: startspot belongs to base pieces only"}});
  ExpectComplaints([](const std::string &text) { ParsePiece("q.piece", text); },
                   {{"kind sideways\n", "q.piece:1: unknown kind 'sideways'"},
                    {"kind middle\nleftheight 0\n", "q.piece: missing 'rightheight'"}});
}

TEST(PieceChecks, FindUnplayablePieces) {
  auto problems = [](const std::string &text) { return CheckPiece(ParsePiece("t.piece", text)); };
  const std::string head = "kind middle\nleftheight 0\nrightheight 0\n";
  const std::string spots = "cratespot 1 0\npickupspot -1 0.075\n";
  const std::string flat = "block -2.5 -10 2.5 0\n";
  // A wall higher than a jump cannot be crossed; one a little lower can, and so can a wall
  // with a doorway under it.
  EXPECT_TRUE(
      Mentions(problems(head + spots + flat + "block -0.1 0 0.1 0.7\n"), "cannot be crossed from left to right"));
  EXPECT_TRUE(problems(head + spots + flat + "block -0.1 0 0.1 0.5\n").empty());
  EXPECT_TRUE(problems(head + spots + flat + "block -0.1 0.25 0.1 2\n").empty());
  // Spots: a floating crate, a crate in a block, a weapon crate in the air, an unreachable crate.
  EXPECT_TRUE(Mentions(problems(head + "cratespot 1 0.1\npickupspot -1 0.075\n" + flat), "does not rest"));
  EXPECT_TRUE(Mentions(problems(head + spots + flat + "block 0.9 0 1.2 0.05\n"), "inside a block"));
  EXPECT_TRUE(Mentions(problems(head + "cratespot 1 0\npickupspot -1 1\n" + flat), "would fall"));
  EXPECT_TRUE(Mentions(problems(head + "cratespot 1 2\npickupspot -1 0.075\n" + flat + "block 0.8 1.9 1.2 2\n"),
                       "cannot be reached"));
  // Edges must meet the heights the piece claims.
  EXPECT_TRUE(Mentions(problems("kind middle\nleftheight 0.3\nrightheight 0\n" + spots + flat), "left edge"));
  // An end piece must wall off the world and join at 0; a base must start the player right.
  const std::string end = "kind leftend\nleftheight 0\nrightheight 0\n" + spots + flat;
  EXPECT_TRUE(Mentions(problems(end), "outer edge can be reached"));
  EXPECT_TRUE(problems(end + "block -2.5 0 -2 3\n").empty());
  const std::string base = "kind base\nleftheight 0\nbasespot 0 0\n" + spots + flat;
  EXPECT_TRUE(problems(base + "rightheight 0\nstartspot -0.4 0.1\n").empty());
  EXPECT_TRUE(Mentions(problems(base + "rightheight 0.2\nstartspot -0.4 0.1\n"), "rightheight"));
  EXPECT_TRUE(Mentions(problems(base + "rightheight 0\nstartspot -0.4 0.05\n"), "inside a block"));
  EXPECT_TRUE(Mentions(problems(base + "rightheight 0\nstartspot -0.4 0.1\nblock 1 0 1.3 1\n"), "defender"));
}

TEST(SkeletonSource, ParsesPartsAndNamesBadOnes) {
  SkeletonSource s = ParseSkeleton("s.skeleton", SKELETON);
  ASSERT_EQ(s.parts.size(), 3u);
  EXPECT_TRUE(s.parts[0].visible == 0 && s.parts[0].parentid == 0 && s.parts[2].parentid == 1 && s.parts[2].tag == '1');
  EXPECT_TRUE(s.parts[1].pivot.y == -0.4 && s.parts[1].angle == 180);  // the file holds the joint negated
  EXPECT_TRUE(s.index("hand") == 2 && s.index("foot") == -1);

  ExpectComplaints(
      [](const std::string &text) { ParseSkeleton("s.skeleton", text); },
      {{SKELETON + "part leg parent=hip rect=0,0,1,1\n", "s.skeleton:4: unknown parent 'hip'"},
       {SKELETON + "part arm parent=self rect=0,0,1,1\n", "s.skeleton:4: part 'arm' is defined twice"},
       {"part a parent=self rect=0,0,1,1 tag=x\n", "s.skeleton:1: tag must be 1, 2, h or f"},
       {"part a parent=self rect=0,0,1\n", "s.skeleton:1: rect needs 4 numbers"},
       {"part a parent=self\n", "s.skeleton:1: part 'a' needs rect"},
       {"part a parent=b rect=0,0,1,1\npart b parent=a rect=0,0,1,1\n", "s.skeleton:1: part 'a' is its own ancestor"},
       {"part a parent=self rect=0,0,1,1 colour=red\n", "s.skeleton:1: unknown setting 'colour'"}});
}

TEST(AnimationSource, FramesStartFromRestAndBadInputIsNamed) {
  const SkeletonSource s = ParseSkeleton("s.skeleton", SKELETON);
  tanim a = ParseAnimation("a.anim", "length 1\nframe 0\n  arm 90 pivot 0.1 -0.2\nframe 0.5\n  hand 30\n", s);
  ASSERT_EQ(a.frames.size(), 2u);
  EXPECT_EQ(a.frames[0].values, (std::vector<double>{0, 90, 0, 0.1, -0.2}));
  EXPECT_DOUBLE_EQ(a.frames[1].time, 0.5);
  // Parts not named take their rest angle, the pivot its rest place.
  EXPECT_EQ(a.frames[1].values, (std::vector<double>{0, 180, 30, 0, 0}));

  ExpectComplaints([&](const std::string &text) { ParseAnimation("a.anim", text, s); },
                   {{"length 1\nframe 0\n  leg 10\n", "a.anim:3: unknown part 'leg'"},
                    {"length 1\nframe 0.2\n", "a.anim:2: the first key frame must be at time 0"},
                    {"length 1\nframe 0\nframe 0.5\nframe 0.5\n", "a.anim:4: key frame times must increase"},
                    {"length 1\nframe 0\n  arm 5 arm 6\n", "a.anim:3: part 'arm' is set twice"},
                    {"length 0.5\nframe 0\nframe 0.5\n", "a.anim:1: the cycle length must be later"},
                    {"frame 0\n", "a.anim: missing 'length SECONDS'"}});
}

TEST(WeaponSource, ParsesTheTableAndNamesWhatIsWrong) {
  const std::string pistol =
      "weapon pistol\n name my pistol\n rate 5\n speed 20\n spread 0.1\n damage 1\n range 3\n noise 2\n"
      " pellets 1\n pickupammo 0\n maxammo 0\n clip 10\n pierce 0\n iconrow 0\n"
      " firesound pistol fire.wav\n reloadsound pistol reload.wav\n flags semiauto ejectonfire\n";
  std::vector<WeaponSource> w = ParseWeapons("w.txt", pistol);
  ASSERT_EQ(w.size(), 1u);
  const tweaponfile &r = w[0].record;
  EXPECT_TRUE(r.weapon.name == "my pistol" && r.fireSoundFile == "pistol fire.wav" && r.textureFile == "pistol.tga");
  EXPECT_TRUE(r.weapon.semiauto == 1 && r.weapon.longgrip == 0 && r.weapon.clip == 10);

  ExpectComplaints([](const std::string &text) { ParseWeapons("w.txt", text); },
                   {{"weapon pistol\n rate 5\n", "w.txt:1: weapon 'pistol' is missing: speed, spread"},
                    {"weapon laser\n", "w.txt:1: no weapon drawing named 'laser'"},
                    {pistol + "weapon pistol\n", "w.txt:18: weapon 'pistol' is defined twice"},
                    {"weapon pistol\n rate -1\n", "w.txt:2: rate cannot be negative"},
                    {"weapon pistol\n clip 2.5\n", "w.txt:2: clip must be a whole number"},
                    {"weapon pistol\n iconrow 8\n", "w.txt:2: iconrow must be 0 .. 7"},
                    {"weapon pistol\n flags fast\n", "w.txt:2: unknown flag 'fast'"},
                    {"weapon pistol\n name " + std::string(201, 'x') + "\n", "w.txt:2: name is longer than 200"},
                    {"# nothing\n", "w.txt: no weapons"}});
}
