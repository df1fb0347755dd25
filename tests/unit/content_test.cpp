// The content compiler: level-piece sources parsed and checked for what cannot be played, and the
// compiled data folder's pieces, options and sounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/files.h"
#include "contentc/contentc.h"
#include "contentc/piece_checks.h"
#include "contentc/piece_source.h"
#include "contentc/sounds.h"
#include "contentc/source_text.h"
#include "rig/rig.h"

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

ContentPaths Paths(const std::string &out) {  // tests/data need not exist, so climb the path by its words
  return {(std::filesystem::path(TestDataDir()).parent_path().parent_path() / "content").string(), out};
}

class Compiled : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new TempDir();
    RunContentSteps(Paths(dir->path()));  // that every step succeeds is CompiledOptions' to say
  }
  static void TearDownTestSuite() { delete dir; }
  static TempDir *dir;
};
TempDir *Compiled::dir = nullptr;
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

TEST_F(Compiled, PiecesAreDistinctAndPlayableMirrored) {
  // The compiler checks each piece as written; the loader also uses them mirrored. Two pieces
  // alike would make the same stretch of ground twice as likely as the others.
  std::map<int, int> kinds;
  std::map<std::vector<uint8_t>, std::string> seen;
  for (const auto &e : std::filesystem::directory_iterator(dir->file("zombie levels"))) {
    if (e.path().extension() != ".zcg") continue;
    PieceSource p;
    p.name = e.path().stem().string();
    const std::string base = dir->file("zombie levels/" + p.name);
    std::vector<uint8_t> d;
    ASSERT_TRUE(loadblocks(base + ".zcg", p.collision) && loadblocks(base + ".zdg", p.drawn) &&
                ReadFileBytes(base + ".zmd", d) && DecodeTiledesc(d.data(), d.size(), p.desc))
        << p.name;
    ++kinds[p.desc.kind];
    std::vector<uint8_t> whole = EncodeBlocks(p.collision), drawn = EncodeBlocks(p.drawn);
    whole.insert(whole.end(), drawn.begin(), drawn.end());
    whole.insert(whole.end(), d.begin(), d.end());
    const auto [other, fresh] = seen.emplace(whole, p.name);
    EXPECT_TRUE(fresh) << p.name << " is " << other->second << " again";
    if (p.desc.kind == 1) continue;  // bases are never mirrored
    ttilerecord mirrored{p.collision, p.drawn, p.desc, 0};
    mirrortile(mirrored);
    p.collision = mirrored.collision;
    p.desc = mirrored.desc;
    for (const std::string &s : CheckPiece(p)) ADD_FAILURE() << p.name << " (mirrored): " << s;
  }
  EXPECT_TRUE(kinds[0] >= 8 && kinds[1] >= 2 && kinds[2] >= 2);
}

TEST(CompiledOptions, APlayersOptionsSurviveARebuild) {
  TempDir data;
  ASSERT_EQ(RunContentSteps(Paths(data.path())), 0);
  std::vector<uint8_t> shipped, after;
  ASSERT_TRUE(ReadFileBytes(data.file("options.zop"), shipped));
  EXPECT_EQ(shipped, EncodeOptions(ShippedOptions()));
  toptions mine = ShippedOptions();
  mine.fullScreen = 1, mine.soundVolume = 0.25, mine.keyJump = ' ';
  std::vector<uint8_t> saved = EncodeOptions(mine);
  saved[13] = 0x5A;  // padding is the player's too
  data.write("options.zop", saved);
  std::filesystem::remove(data.file("textures/smoke.tga"));
  ASSERT_EQ(RunContentSteps(Paths(data.path())), 0);
  ASSERT_TRUE(ReadFileBytes(data.file("options.zop"), after));
  EXPECT_EQ(after, saved);
  EXPECT_TRUE(FileExists(data.file("textures/smoke.tga"))) << "the rest of the content is rebuilt";
  // A file the game cannot read (too short) would start it with no keys: it is replaced, saying so.
  data.write("options.zop", std::vector<uint8_t>(12, 7));
  testing::internal::CaptureStderr();
  ASSERT_EQ(RunContentSteps(Paths(data.path())), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("options.zop"), std::string::npos);
  ASSERT_TRUE(ReadFileBytes(data.file("options.zop"), after));
  EXPECT_EQ(after, shipped);
}

TEST(SoundSources, ASoundNamedByAPathFailsTheStepAndWritesNothingOutside) {
  TempDir src, data;
  std::string text = ReadSourceFile(Paths("").sourceDir + "/weapons.txt");
  const std::string fire = "revolver fire.wav";
  ASSERT_NE(text.find(fire), std::string::npos);
  src.write("weapons.txt", text.replace(text.find(fire), fire.size(), "../../evil.wav"));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WriteSoundFiles(src.path(), data.path()));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("../../evil.wav"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(data.path() + "/../evil.wav"));
  // Everything else is still written.
  EXPECT_TRUE(FileExists(data.file("sounds/revolver reload.wav")) && FileExists(data.file("sounds/sniper fire.wav")));
}
