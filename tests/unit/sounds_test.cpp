// The game's synthesised sounds, read back through the game's own WAV reader: none silent, clipped, wrongly sized or
// too long, each the kind of sound its name promises, the helicopter looping without a click, and the same bytes on
// every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

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
  double sum(double (*f)(double)) const {
    double t = 0;
    for (double x : s) t += f(x);
    return t;
  }
  // The share of the energy below about 300 Hz.
  double lowShare() const {
    double y = 0, low = 0;
    const double a = 1 - std::exp(-2 * M_PI * 300 / 22050);
    for (double x : s) {
      y += a * (x - y);
      low += y * y;
    }
    return low / sum([](double x) { return x * x; });
  }
  // Sharp onsets: 5 ms stretches above -30 dB at least 12 dB louder than the 5 ms before.
  int onsets() const {
    int n = 0;
    double before = -120;
    for (size_t i = 0; i + 110 <= s.size(); i += 110) {
      double e = 0;
      for (size_t k = i; k < i + 110; ++k) e += s[k] * s[k];
      const double db = 10 * std::log10(e / 110 + 1e-12);
      n += db > -30 && db > before + 12;
      before = db;
    }
    return n;
  }
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

TEST_F(Sounds, EverySoundIsSixteenBitMonoWithACanonicalHeader) {
  // That every sound the game loads is there is SoundProgram.StartUpLoadsEverySoundAndTheGameIsHeardFromTheCamera's.
  for (const auto &[name, s] : sounds) {
    twav wav;
    ASSERT_TRUE(ParseWav(s.bytes.data(), s.bytes.size(), wav, nullptr)) << name;
    EXPECT_TRUE(wav.format == AL_FORMAT_MONO16 && wav.frequency == 22050u) << name;
    // A canonical header whose sizes add up to the file.
    ASSERT_EQ(s.bytes.size(), 44 + wav.size) << name;
    EXPECT_EQ(GetU32(&s.bytes[4]), s.bytes.size() - 8) << name;
    EXPECT_TRUE(GetU16(&s.bytes[32]) == 2 && GetU32(&s.bytes[28]) == 44100u) << name;
  }
}

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
    double peak = 0;
    for (double x : s.s) peak = std::max(peak, std::fabs(x));
    EXPECT_TRUE(peak > 0.6 && peak < 0.97) << "clipped, or too quiet: " << peak;
    double rms = std::sqrt(s.sum([](double x) { return x * x; }) / s.s.size());
    EXPECT_TRUE(rms > 0.03 && rms < 0.4) << "all but silent, or a wall of noise: " << rms;
    EXPECT_LT(std::fabs(s.sum([](double x) { return x; }) / s.s.size()), 0.01) << "off the centre line";
    EXPECT_TRUE(name == "heli.wav" || std::fabs(s.s.back()) < 0.005) << "ends with a click";
  }
}

TEST_F(Sounds, EachSoundsLikeWhatItIs) {
  auto &s = sounds;
  // Booms carry their weight low; a pistol cracks, a case tinks.
  EXPECT_GT(s["shotgun fire.wav"].lowShare(), s["pistol fire.wav"].lowShare());
  EXPECT_GT(s["revolver fire.wav"].lowShare(), s["pistol fire.wav"].lowShare());
  EXPECT_GT(s["sniper fire.wav"].lowShare(), s["smg fire.wav"].lowShare());
  EXPECT_GT(s["explosion.wav"].lowShare(), 0.5);
  EXPECT_GT(s["zombieimpact.wav"].lowShare(), s["impact.wav"].lowShare());
  EXPECT_LT(s["casing.wav"].lowShare(), 0.01);
  // The quick-firing guns ring shortest, the sniper's echo longest; a reload is several separate mechanical events (at
  // least out, in and the action); no two files are the same.
  EXPECT_LT(s["smg fire.wav"].seconds(), s["pistol fire.wav"].seconds());
  std::set<std::vector<uint8_t>> distinct;
  for (const auto &[name, sound] : s) {
    EXPECT_TRUE(!Has(name, "fire") || sound.seconds() <= s["sniper fire.wav"].seconds()) << name;
    EXPECT_TRUE(!Has(name, "reload") || sound.onsets() >= 3) << name;
    EXPECT_TRUE(distinct.insert(sound.bytes).second) << name;
  }
}

TEST_F(Sounds, TheHelicopterLoopsWithoutASeam) {
  const std::vector<double> &h = sounds["heli.wav"].s;
  ASSERT_GT(h.size(), 1000u);
  std::vector<double> jumps;
  for (size_t i = 1; i < h.size(); ++i) jumps.push_back(std::fabs(h[i] - h[i - 1]));
  std::sort(jumps.begin(), jumps.end());
  EXPECT_LE(std::fabs(h.front() - h.back()), jumps[jumps.size() * 99 / 100]) << "the loop clicks where it wraps";
  // Its level is steady across the loop too, so the wrap does not pump.
  double first = 0, last = 0;
  for (size_t i = 0; i < h.size() / 4; ++i) {
    first += h[i] * h[i];
    last += h[h.size() - 1 - i] * h[h.size() - 1 - i];
  }
  EXPECT_NEAR(std::sqrt(first / last), 1.0, 0.15);
}

TEST_F(Sounds, TheSameSourcesMakeTheSameBytes) {
  TempDir again;
  ASSERT_TRUE(WriteSoundFiles(ContentDir(), again.path()));
  for (const auto &[name, s] : sounds) EXPECT_TRUE(FileBytes(again.file("sounds/" + name)) == s.bytes) << name;
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
