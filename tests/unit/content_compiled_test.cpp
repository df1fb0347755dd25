#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/files.h"
#include "contentc/contentc.h"
#include "contentc/piece_checks.h"
#include "contentc/sounds.h"
#include "contentc/source_text.h"
#include "rig/rig.h"

namespace {

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
