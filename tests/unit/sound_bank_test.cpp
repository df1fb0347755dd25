// The bank is opened on OpenAL Soft's loopback device instead of the sound card; its mix is rendered and measured.
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <tuple>

#include "audio/openal.h"
#include "audio/sound.h"
#include "base/files.h"
#include "contentc/synth.h"
#include "persist/options.h"
#include "platform/window.h"
#include "rig/rig.h"

namespace {

constexpr int kRate = 22050;
const ALCint kLoopbackAttributes[] = {
    ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT, ALC_FREQUENCY, kRate, 0};
ALCdevice *OpenLoopback() { return alcLoopbackOpenDeviceSOFT(nullptr); }
const double kToneRms = 0.5 / std::sqrt(2.0);

std::vector<uint8_t> ToneFile(double hz, double seconds) {
  Wave w(SampleCount(seconds));
  for (size_t i = 0; i < w.size(); ++i) w[i] = 0.5 * std::sin(2 * M_PI * hz * i / SOUND_RATE);
  return EncodeWav16(w);
}

// Loudness from sample `from` on, against the tone's: 1 is the tone heard at full volume.
double Level(const std::vector<float> &s, size_t from = 2000) {  // by default after OpenAL's start-up ramp
  double e = 0;
  for (size_t i = from; i < s.size(); ++i) e += s[i] * s[i];
  return std::sqrt(e / (s.size() - from)) / kToneRms;
}

// Upward zero crossings per second.
double Frequency(const std::vector<float> &s) {
  int crossings = 0;
  for (size_t i = 1; i < s.size(); ++i) crossings += s[i - 1] < 0 && s[i] >= 0;
  return crossings * static_cast<double>(kRate) / s.size();
}

class SoundBank : public ::testing::Test {
 protected:
  void SetUp() override {
    Options.soundVolume = 1.0;
    soundTimeScale = 1.0;
    soundRandom = {1};  // the pitch's draws are this test's own, whatever ran before it
    soundListener = &listener;
    base.dir.write("sounds/tone.wav", ToneFile(440, 1.0));
    base.dir.write("sounds/blip.wav", ToneFile(880, 0.1));
    audioDeviceSource = {OpenLoopback, kLoopbackAttributes};
    InitSound();
    ASSERT_NE(audioDevice, nullptr) << "no loopback device";
    tone = LoadSoundFile(DataPath("sounds/tone.wav"));
    blip = LoadSoundFile(DataPath("sounds/blip.wav"));
    ASSERT_TRUE(tone && blip);
  }
  void TearDown() override {
    ShutdownSound();
    audioDeviceSource = saved;
    soundListener = nullptr;
    Options = savedOptions;
    soundTimeScale = savedTimeScale;
  }
  void Play(int slot, uint32_t buffer, tvector offset = {0, 0}, double volume = 1, bool loop = false,
            bool update = false) {
    PlaySoundAt(slot, buffer, listener + offset, volume, loop, update);
  }
  std::vector<float> Render(double seconds) {
    std::vector<float> out(static_cast<size_t>(seconds * kRate));
    alcRenderSamplesSOFT(audioDevice, out.data(), static_cast<ALCsizei>(out.size()));
    return out;
  }
  ALint State(int slot) {
    ALint state = 0;
    alGetSourcei(soundSlots[slot].source, AL_SOURCE_STATE, &state);
    return state;
  }
  TempBase base;
  taudiodevicesource saved = audioDeviceSource;
  toptions savedOptions = Options;
  double savedTimeScale = soundTimeScale;
  tvector listener{10, 2};
  uint32_t tone = 0, blip = 0;
};

}  // namespace

TEST_F(SoundBank, LoudnessFallsWithTheSquaredDistanceFromTheCamera) {
  const std::tuple<tvector, double, double, double> cases[] = {
      // offset, volume, sound volume, level
      {{0, 0}, 1.0, 1.0, 1.0},  {{2, 0}, 1.0, 1.0, 0.6}, {{0, -2}, 1.0, 1.0, 0.6}, {{1, 1}, 1.0, 1.0, 0.8},
      {{0, 0}, 0.5, 1.0, 0.5},  {{0, 0}, 1.0, 0.7, 0.7}, {{2, 0}, 0.5, 0.5, 0.15}, {{3.2, 0}, 1.0, 1.0, 0.0},
      {{-5, 3}, 1.0, 1.0, 0.0}, {{0, 0}, 1.0, 0.0, 0.0},
  };
  for (const auto &[offset, volume, soundVolume, expected] : cases) {
    Options.soundVolume = soundVolume;
    Play(SLOT_EXPLOSION, tone, offset, volume);
    std::vector<float> out = Render(0.5);
    SCOPED_TRACE(testing::Message() << offset.x << "," << offset.y << " at " << volume << " x " << soundVolume);
    EXPECT_NEAR(Level(out), expected, 0.02);
    EXPECT_TRUE(expected > 0 || Level(out, 0) == 0.0);
    // Silent at sound volume 0, yet playing, so raising the volume mid-loop is heard.
    EXPECT_EQ(State(SLOT_EXPLOSION), AL_PLAYING);
  }
}

TEST_F(SoundBank, PitchVariesALittleAndFollowsTheGameSpeed) {
  base.dir.write("sounds/kilohertz.wav", ToneFile(1000, 2.0));
  const uint32_t kilohertz = LoadSoundFile(DataPath("sounds/kilohertz.wav"));
  ASSERT_NE(kilohertz, 0u);
  double hz[2];
  for (double &f : hz) {
    Play(SLOT_GROAN, kilohertz);
    f = Frequency(Render(0.5));
    EXPECT_TRUE(f > 945 && f < 1055) << f;
  }
  EXPECT_NE(hz[0], hz[1]) << "every play gets its own pitch";
  // The same random draw at half the game speed: half the pitch.
  const trandom state = soundRandom;
  Play(SLOT_GROAN, kilohertz);
  const double full = Frequency(Render(0.5));
  soundRandom = state;
  soundTimeScale = 0.5;
  Play(SLOT_GROAN, kilohertz);
  EXPECT_NEAR(Frequency(Render(0.5)) / full, 0.5, 0.01);
}

TEST_F(SoundBank, WeaponBuffersAreDeletedWhenReleasedEvenWhileASlotHoldsThem) {
  // A game's weapon sounds, one still ringing on a shot slot when the next game loads its own.
  Play(SLOT_SHOT_A, tone);
  Play(SLOT_RELOAD, blip);
  Render(0.05);
  ReleaseSoundBuffer(tone);
  ReleaseSoundBuffer(blip);
  EXPECT_FALSE(alIsBuffer(tone) || alIsBuffer(blip));
  EXPECT_EQ(Level(Render(0.2), 0), 0.0);
  // The fixed sounds are the bank's own, not the weapon table's to release.
  base.dir.write("sounds/impact.wav", ToneFile(300, 0.2));
  InitSound();
  ASSERT_NE(soundBuffers[SOUND_IMPACT], 0u);
  ReleaseSoundBuffer(soundBuffers[SOUND_IMPACT]);
  EXPECT_TRUE(alIsBuffer(soundBuffers[SOUND_IMPACT]));
  // Files that give no sound give no buffer.
  base.dir.write("sounds/broken.wav", std::vector<uint8_t>(30, 7));
  EXPECT_EQ(LoadSoundFile(DataPath("sounds/broken.wav")) + LoadSoundFile(DataPath("sounds/missing.wav")), 0u);
}

// Opening a device on a machine without sound makes the audio libraries complain at length on
// stderr: a start says one line instead, unless asked to be verbose.
TEST(NoSoundDevice, OneLineUnlessVerbose) {
  TempBase folder;
  const taudiodevicesource saved = audioDeviceSource;
  audioDeviceSource.open = [] {
    const char noise[] = "ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM default\n";
    (void)!write(2, noise, sizeof noise - 1);
    return static_cast<ALCdevice *>(nullptr);
  };
  for (bool verbose : {false, true}) {
    audioVerbose = verbose;
    testing::internal::CaptureStderr();
    InitSound();
    const std::string err = testing::internal::GetCapturedStderr();
    ShutdownSound();
    EXPECT_NE(err.find("no sound device: playing without sound\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("ALSA lib") != std::string::npos, verbose) << err;
  }
  audioVerbose = false;
  audioDeviceSource = saved;
}
