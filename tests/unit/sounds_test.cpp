// The game's synthesised sounds, read back through the game's own WAV reader: none silent,
// clipped, wrongly sized or too long, each the kind of sound its name promises, the helicopter
// looping without a click, and the same bytes on every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "audio/openal.h"
#include "base/files.h"
#include "contentc/source_text.h"
#include "contentc/sounds.h"
#include "contentc/weapon_source.h"
#include "rig/rig.h"

namespace {

std::string ContentDir() {
  return (std::filesystem::path(TestDataDir()).parent_path().parent_path() / "content").string();
}

struct Sound {
  std::vector<uint8_t> bytes;
  std::vector<double> samples;
  double seconds() const { return samples.size() / 22050.0; }
  double peak() const {
    double m = 0;
    for (double s : samples) m = std::max(m, std::fabs(s));
    return m;
  }
  double rms() const {
    double e = 0;
    for (double s : samples) e += s * s;
    return std::sqrt(e / samples.size());
  }
  // The share of the energy below about 300 Hz.
  double lowShare() const {
    double y = 0, low = 0, all = 0;
    const double a = 1 - std::exp(-2 * 3.14159265 * 300 / 22050);
    for (double s : samples) {
      y += a * (s - y);
      low += y * y;
      all += s * s;
    }
    return low / all;
  }
  // Sharp onsets: 5 ms stretches above -30 dB at least 12 dB louder than the 5 ms before.
  int onsets() const {
    int n = 0;
    double before = -120;
    for (size_t i = 0; i + 110 <= samples.size(); i += 110) {
      double e = 0;
      for (size_t k = i; k < i + 110; ++k) e += samples[k] * samples[k];
      const double db = 10 * std::log10(e / 110 + 1e-12);
      if (db > -30 && db > before + 12) ++n;
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
      Sound s;
      ReadFileBytes(entry.path().string(), s.bytes);
      twav wav;
      if (ParseWav(s.bytes.data(), s.bytes.size(), wav, nullptr) && wav.format == AL_FORMAT_MONO16)
        for (size_t i = 0; i + 1 < wav.data.size(); i += 2)
          s.samples.push_back(static_cast<int16_t>(GetU16(&wav.data[i])) / 32768.0);
      sounds[entry.path().filename().string()] = std::move(s);
    }
  }
  static void TearDownTestSuite() {
    delete dir;
    sounds.clear();
  }
  static TempDir *dir;
  static bool ok;
  static std::map<std::string, Sound> sounds;
};
TempDir *Sounds::dir = nullptr;
bool Sounds::ok = false;
std::map<std::string, Sound> Sounds::sounds;

}  // namespace

TEST_F(Sounds, EverySoundTheGameLoadsIsThereAsSixteenBitMonoOfTheRightSize) {
  ASSERT_TRUE(ok);
  std::set<std::string> expected;
  for (const FixedSound &f : FIXED_SOUNDS) expected.insert(f.file);
  for (const WeaponSource &w : ParseWeapons("weapons.txt", ReadSourceFile(ContentDir() + "/weapons.txt"))) {
    expected.insert(w.record.fireSoundFile);
    expected.insert(w.record.reloadSoundFile);
  }
  std::set<std::string> written;
  for (const auto &[name, s] : sounds) written.insert(name);
  EXPECT_EQ(written, expected);

  for (const auto &[name, s] : sounds) {
    twav wav;
    ASSERT_TRUE(ParseWav(s.bytes.data(), s.bytes.size(), wav, nullptr)) << name;
    EXPECT_EQ(wav.format, AL_FORMAT_MONO16) << name;
    EXPECT_EQ(wav.frequency, 22050u) << name;
    // A canonical header whose sizes add up to the file.
    ASSERT_EQ(s.bytes.size(), 44 + wav.size) << name;
    EXPECT_EQ(GetU32(&s.bytes[4]), s.bytes.size() - 8) << name;
    EXPECT_EQ(GetU16(&s.bytes[32]), 2) << name;
    EXPECT_EQ(GetU32(&s.bytes[28]), 44100u) << name;
  }
}

TEST_F(Sounds, NoneIsSilentClippedTooLongOrCutOffWithAClick) {
  ASSERT_TRUE(ok);
  // Longest each may be: a reload must be over within the 0.75 s a reload takes.
  auto longest = [](const std::string &name) {
    if (name.find("reload") != std::string::npos) return 0.75;
    if (name.find("fire") != std::string::npos) return 1.5;
    if (name == "explosion.wav") return 3.0;
    if (name == "heli.wav" || name == "zombie.wav") return 2.5;
    return 0.5;
  };
  for (const auto &[name, s] : sounds) {
    ASSERT_FALSE(s.samples.empty()) << name;
    EXPECT_GE(s.seconds(), 0.2) << name;
    EXPECT_LE(s.seconds(), longest(name)) << name;
    EXPECT_GT(s.peak(), 0.6) << name;
    EXPECT_LT(s.peak(), 0.97) << name << " is clipped or about to be";
    EXPECT_GT(s.rms(), 0.03) << name << " is all but silent";
    EXPECT_LT(s.rms(), 0.4) << name << " is a wall of noise";
    double mean = 0;
    for (double x : s.samples) mean += x;
    EXPECT_LT(std::fabs(mean / s.samples.size()), 0.01) << name << " sits off the centre line";
    if (name != "heli.wav") {
      EXPECT_LT(std::fabs(s.samples.back()), 0.005) << name << " ends with a click";
    }
  }
}

TEST_F(Sounds, EachSoundsLikeWhatItIs) {
  ASSERT_TRUE(ok);
  auto &s = sounds;
  // Booms carry their weight low; a pistol cracks, a case tinks.
  EXPECT_GT(s["shotgun fire.wav"].lowShare(), s["pistol fire.wav"].lowShare());
  EXPECT_GT(s["revolver fire.wav"].lowShare(), s["pistol fire.wav"].lowShare());
  EXPECT_GT(s["sniper fire.wav"].lowShare(), s["smg fire.wav"].lowShare());
  EXPECT_GT(s["explosion.wav"].lowShare(), 0.5);
  EXPECT_GT(s["zombieimpact.wav"].lowShare(), s["impact.wav"].lowShare());
  EXPECT_LT(s["casing.wav"].lowShare(), 0.01);
  // The quick-firing guns ring shortest, the sniper's echo longest.
  EXPECT_LT(s["smg fire.wav"].seconds(), s["pistol fire.wav"].seconds());
  for (const auto &[name, sound] : s) {
    if (name.find("fire") != std::string::npos) {
      EXPECT_LE(sound.seconds(), s["sniper fire.wav"].seconds()) << name;
    }
  }
  // A reload is several separate mechanical events: at least out, in and the action.
  for (const auto &[name, sound] : s) {
    if (name.find("reload") != std::string::npos) {
      EXPECT_GE(sound.onsets(), 3) << name;
    }
  }
  // No two files are the same sound.
  std::set<std::vector<uint8_t>> distinct;
  for (const auto &[name, sound] : s) EXPECT_TRUE(distinct.insert(sound.bytes).second) << name;
}

TEST_F(Sounds, TheHelicopterLoopsWithoutASeam) {
  ASSERT_TRUE(ok);
  const std::vector<double> &h = sounds["heli.wav"].samples;
  ASSERT_GT(h.size(), 1000u);
  std::vector<double> jumps;
  for (size_t i = 1; i < h.size(); ++i) jumps.push_back(std::fabs(h[i] - h[i - 1]));
  std::sort(jumps.begin(), jumps.end());
  const double seam = std::fabs(h.front() - h.back());
  EXPECT_LE(seam, jumps[jumps.size() * 99 / 100]) << "the loop clicks where it wraps round";
  // Its level is steady across the loop too, so the wrap does not pump.
  double first = 0, last = 0;
  const size_t quarter = h.size() / 4;
  for (size_t i = 0; i < quarter; ++i) {
    first += h[i] * h[i];
    last += h[h.size() - 1 - i] * h[h.size() - 1 - i];
  }
  EXPECT_NEAR(std::sqrt(first / last), 1.0, 0.15);
}

TEST_F(Sounds, TheSameSourcesMakeTheSameBytes) {
  ASSERT_TRUE(ok);
  TempDir again;
  ASSERT_TRUE(WriteSoundFiles(ContentDir(), again.path()));
  for (const auto &[name, s] : sounds) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadFileBytes(again.file("sounds/" + name), bytes)) << name;
    EXPECT_TRUE(bytes == s.bytes) << name;
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
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("../../evil.wav"), std::string::npos) << said;
  EXPECT_FALSE(std::filesystem::exists(data.path() + "/../evil.wav"));
  // Everything else is still written.
  EXPECT_TRUE(FileExists(data.file("sounds/revolver reload.wav")));
  EXPECT_TRUE(FileExists(data.file("sounds/sniper fire.wav")));
}
