#include <gtest/gtest.h>

#include <filesystem>

#include "base/files.h"
#include "contentc/sounds.h"
#include "contentc/source_text.h"
#include "rig/rig.h"

namespace {
std::string ContentDir() {
  return (std::filesystem::path(TestDataDir()).parent_path().parent_path() / "content").string();
}
}  // namespace

TEST(SoundSources, ASoundNamedByAPathFailsTheStepAndWritesNothingOutside) {
  TempDir src, data;
  std::string text = ReadSourceFile(ContentDir() + "/weapons.txt");
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
