#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "actors/models.h"
#include "actors/skeleton.h"
#include "base/files.h"
#include "contentc/contentc.h"
#include "contentc/piece_checks.h"
#include "rig/rig.h"

namespace {

const double SCALE = 0.075;

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
  static std::vector<uint8_t> Bytes(const std::string &relative) {
    std::vector<uint8_t> b;
    EXPECT_TRUE(ReadFileBytes(dir->file(relative), b)) << relative;
    return b;
  }
  static std::vector<tguypart> Skeleton() {
    std::vector<uint8_t> b = Bytes("guys/standard.guy");
    std::vector<tguypart> parts = DecodeGuyParts(b.data(), b.size());
    for (tguypart &p : parts)  // as LoadGuy scales them
      for (tvector *v : {&p.corner1, &p.corner2, &p.offset, &p.pivot}) *v = *v * SCALE;
    return parts;
  }
  static TempDir *dir;
};
TempDir *Compiled::dir = nullptr;

}  // namespace

TEST_F(Compiled, PiecesAreDistinctAndPlayableMirrored) {
  // The compiler checks each piece as written; the loader also uses them mirrored.
  std::map<int, int> kinds;
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
    if (p.desc.kind == 1) continue;  // bases are never mirrored
    ttilerecord mirrored{p.collision, p.drawn, p.desc, 0};
    mirrortile(mirrored);
    p.collision = mirrored.collision;
    p.desc = mirrored.desc;
    for (const std::string &s : CheckPiece(p)) ADD_FAILURE() << p.name << " (mirrored): " << s;
  }
  EXPECT_TRUE(kinds[0] >= 8 && kinds[1] >= 2 && kinds[2] >= 2);
}

TEST_F(Compiled, SkeletonHasTheStructureTheGameNeeds) {
  std::vector<tguypart> parts = Skeleton();
  ASSERT_GE(parts.size(), 10u);
  auto parentOf = [&](int i) {
    for (size_t j = 0; j < parts.size(); ++j)
      if (parts[j].id == parts[i].parentid) return static_cast<int>(j);
    return -1;
  };
  int arms = 0, heads = 0;
  for (int i = 0; i < static_cast<int>(parts.size()); ++i) {
    const tguypart &p = parts[i];
    SCOPED_TRACE(testing::Message() << "part " << i);
    // An aimed forearm hangs from an upper arm that is a root (so aiming makes up for the root angle exactly) and is as
    // long as it, as the limb aiming assumes.
    if (p.visible && (p.tag == '1' || p.tag == '2')) {
      ++arms;
      int upper = parentOf(i);
      ASSERT_GE(upper, 0);
      EXPECT_EQ(parentOf(upper), upper);
      EXPECT_NEAR(-p.pivot.y, p.corner2.y - 0.03 * SCALE, 1e-9);
    }
    heads += p.tag == 'h';
    // Every visible part is drawn: its chain of parents ends at a visible root.
    int root = i;
    for (int steps = 0; parentOf(root) >= 0 && parentOf(root) != root && steps < 50; ++steps) root = parentOf(root);
    EXPECT_TRUE(!p.visible || parts[root].visible);
  }
  EXPECT_TRUE(arms == 2 && heads == 1) << arms << " arms, " << heads << " heads";
}

// Rebuilding the content (after a pull, or any change under content/) must not undo what the player set in the options
// screen; a folder without usable options gets the shipped ones.
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
