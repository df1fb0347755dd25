#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <numeric>

#include "audio/openal.h"
#include "base/files.h"
#include "contentc/sounds.h"
#include "contentc/source_text.h"
#include "rig/rig.h"

namespace {

std::string ContentDir() {
  return (std::filesystem::path(TestDataDir()).parent_path().parent_path() / "content").string();
}

struct Sound {
  std::vector<uint8_t> bytes;
  std::vector<double> s;
  double seconds() const { return s.size() / 22050.0; }
};

class Sounds : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new TempDir();
    ok = WriteSoundFiles(ContentDir(), dir->path());
    for (const auto &entry : std::filesystem::directory_iterator(dir->file("sounds"))) {
      Sound &s = sounds[entry.path().filename().string()];
      ReadFileBytes(entry.path().string(), s.bytes);
      twav wav;
      if (ParseWav(s.bytes.data(), s.bytes.size(), wav, nullptr) && wav.format == AL_FORMAT_MONO16)
        for (size_t i = 0; i + 1 < wav.data.size(); i += 2) s.s.push_back(int16_t(GetU16(&wav.data[i])) / 32768.0);
    }
  }
  static void TearDownTestSuite() {
    delete dir;
    sounds.clear();
  }
  void SetUp() override { ASSERT_TRUE(ok); }
  static TempDir *dir;
  static bool ok;
  static std::map<std::string, Sound> sounds;
};
TempDir *Sounds::dir = nullptr;
bool Sounds::ok = false;
std::map<std::string, Sound> Sounds::sounds;

bool Has(const std::string &name, const char *word) { return name.find(word) != std::string::npos; }

}  // namespace

TEST_F(Sounds, NoneIsSilentClippedTooLongOrCutOffWithAClick) {
  for (const auto &[name, s] : sounds) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(s.s.empty());
    // A reload must be over within the 0.75 s a reload takes.
    const double longest = Has(name, "reload")                          ? 0.75
                           : Has(name, "fire")                          ? 1.5
                           : name == "explosion.wav"                    ? 3.0
                           : name == "heli.wav" || name == "zombie.wav" ? 2.5
                                                                        : 0.5;
    EXPECT_TRUE(s.seconds() >= 0.2 && s.seconds() <= longest) << s.seconds();
    const double peak = std::max(-*std::min_element(s.s.begin(), s.s.end()), *std::max_element(s.s.begin(), s.s.end()));
    EXPECT_TRUE(peak > 0.6 && peak < 0.97) << "clipped, or too quiet: " << peak;
    double rms = std::sqrt(std::inner_product(s.s.begin(), s.s.end(), s.s.begin(), 0.0) / s.s.size());
    EXPECT_TRUE(rms > 0.03 && rms < 0.4) << "all but silent, or a wall of noise: " << rms;
    EXPECT_TRUE(name == "heli.wav" || std::fabs(s.s.back()) < 0.005) << "ends with a click";
  }
}

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
