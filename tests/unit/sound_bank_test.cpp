// The sound bank heard through OpenAL Soft's loopback device: the bank is opened on it instead
// of the sound card, and the mixed output is rendered on demand and measured.
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <cmath>

#include "audio/openal.h"
#include "audio/sound.h"
#include "base/files.h"
#include "contentc/synth.h"
#include "persist/options.h"
#include "platform/window.h"
#include "rig/rig.h"

namespace {

constexpr int kRate = 22050;
const ALCint kLoopbackAttributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                      ALC_FREQUENCY, kRate, 0};
ALCdevice *OpenLoopback() { return alcLoopbackOpenDeviceSOFT(nullptr); }
ALCdevice *OpenNothing() { return nullptr; }

std::vector<uint8_t> ToneFile(double hz, double amplitude, double seconds) {
  Wave w(SampleCount(seconds));
  for (size_t i = 0; i < w.size(); ++i) w[i] = amplitude * std::sin(2 * 3.14159265358979 * hz * i / SOUND_RATE);
  return EncodeWav16(w);
}

double Rms(const std::vector<float> &s, size_t from = 0) {
  double e = 0;
  for (size_t i = from; i < s.size(); ++i) e += s[i] * s[i];
  return s.size() > from ? std::sqrt(e / (s.size() - from)) : 0;
}

double Peak(const std::vector<float> &s) {
  double m = 0;
  for (float x : s) m = std::max(m, std::fabs(static_cast<double>(x)));
  return m;
}

// Upward zero crossings per second.
double Frequency(const std::vector<float> &s) {
  int crossings = 0;
  for (size_t i = 1; i < s.size(); ++i)
    if (s[i - 1] < 0 && s[i] >= 0) ++crossings;
  return crossings * static_cast<double>(kRate) / s.size();
}

class SoundBank : public ::testing::Test {
 protected:
  void SetUp() override {
    savedOptions = Options;
    savedTimeScale = soundTimeScale;
    Options.soundVolume = 1.0;
    soundTimeScale = 1.0;
    listener = {10, 2};
    soundListener = &listener;
    base.dir.write("sounds/tone.wav", ToneFile(440, 0.5, 1.0));
    base.dir.write("sounds/blip.wav", ToneFile(880, 0.5, 0.1));
    base.dir.write("sounds/kilohertz.wav", ToneFile(1000, 0.5, 2.0));
    audioDeviceSource = {OpenLoopback, kLoopbackAttributes};
    InitSound();
    ASSERT_NE(audioDevice, nullptr) << "no loopback device";
    tone = LoadSoundFile(DataPath("sounds/tone.wav"));
    blip = LoadSoundFile(DataPath("sounds/blip.wav"));
    ASSERT_NE(tone, 0u);
    ASSERT_NE(blip, 0u);
  }
  void TearDown() override {
    ShutdownSound();
    audioDeviceSource = saved;
    soundListener = nullptr;
    Options = savedOptions;
    soundTimeScale = savedTimeScale;
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
  toptions savedOptions;
  double savedTimeScale;
  tvector listener;
  uint32_t tone = 0, blip = 0;
};

const double kToneRms = 0.5 / std::sqrt(2.0);

}  // namespace

TEST_F(SoundBank, LoudnessFallsWithTheSquaredDistanceFromTheCamera) {
  struct Case {
    tvector offset;
    double volume, soundVolume, expected;
  };
  const Case cases[] = {
      {{0, 0}, 1.0, 1.0, 1.0},   {{2, 0}, 1.0, 1.0, 0.6},  {{0, -2}, 1.0, 1.0, 0.6}, {{1, 1}, 1.0, 1.0, 0.8},
      {{0, 0}, 0.5, 1.0, 0.5},   {{0, 0}, 1.0, 0.7, 0.7},  {{2, 0}, 0.5, 0.5, 0.15}, {{3.2, 0}, 1.0, 1.0, 0.0},
      {{-5, 3}, 1.0, 1.0, 0.0},
  };
  for (const Case &c : cases) {
    Options.soundVolume = c.soundVolume;
    PlaySoundAt(SLOT_IMPACT, tone, listener + c.offset, c.volume, false, false);
    std::vector<float> out = Render(0.5);
    // Measured after OpenAL's start-up ramp.
    EXPECT_NEAR(Rms(out, 2000) / kToneRms, c.expected, 0.02)
        << "at (" << c.offset.x << ", " << c.offset.y << ") volume " << c.volume << " x " << c.soundVolume;
    if (c.expected == 0) {
      EXPECT_EQ(Peak(out), 0.0);
    }
  }
  // Without a listener handed in, distances count from the origin.
  soundListener = nullptr;
  PlaySoundAt(SLOT_IMPACT, tone, {2, 0}, 1.0, false, false);
  EXPECT_NEAR(Rms(Render(0.5), 2000) / kToneRms, 0.6, 0.02);
}

TEST_F(SoundBank, ANewSoundOnASlotCutsTheLastOneOffOtherSlotsPlayOn) {
  PlaySoundAt(SLOT_IMPACT, tone, listener, 1.0, false, false);
  Render(0.1);
  PlaySoundAt(SLOT_IMPACT, blip, listener, 1.0, false, false);
  std::vector<float> out = Render(0.4);
  // The blip plays (0.1 s), then nothing: the long tone was cut off.
  EXPECT_GT(Rms(std::vector<float>(out.begin(), out.begin() + kRate / 20)), 0.2);
  EXPECT_EQ(Peak(std::vector<float>(out.begin() + kRate * 0.15, out.end())), 0.0);
  EXPECT_EQ(State(SLOT_IMPACT), AL_STOPPED);

  PlaySoundAt(SLOT_IMPACT, tone, listener, 1.0, false, false);
  Render(0.1);
  PlaySoundAt(SLOT_EXPLOSION, blip, listener, 1.0, false, false);
  out = Render(0.4);
  EXPECT_NEAR(Rms(std::vector<float>(out.begin() + kRate * 0.15, out.end())) / kToneRms, 1.0, 0.02);
  EXPECT_EQ(State(SLOT_IMPACT), AL_PLAYING);
}

TEST_F(SoundBank, AtSoundVolumeZeroNothingIsHeardYetTheSourceStarts) {
  Options.soundVolume = 0;
  PlaySoundAt(SLOT_EXPLOSION, tone, listener, 1.0, false, false);
  EXPECT_EQ(State(SLOT_EXPLOSION), AL_PLAYING);
  EXPECT_EQ(Peak(Render(0.5)), 0.0);
  EXPECT_EQ(State(SLOT_EXPLOSION), AL_PLAYING);
}

TEST_F(SoundBank, PitchVariesALittleAndFollowsTheGameSpeed) {
  const uint32_t kilohertz = LoadSoundFile(DataPath("sounds/kilohertz.wav"));
  ASSERT_NE(kilohertz, 0u);
  double normal[2];
  for (double &hz : normal) {
    PlaySoundAt(SLOT_GROAN, kilohertz, listener, 1.0, false, false);
    hz = Frequency(Render(0.5));
    EXPECT_GT(hz, 945);
    EXPECT_LT(hz, 1055);
  }
  EXPECT_NE(normal[0], normal[1]) << "every play gets its own pitch";

  // The same random draw at half the game speed: half the pitch.
  const trandom state = soundRandom;
  PlaySoundAt(SLOT_GROAN, kilohertz, listener, 1.0, false, false);
  const double full = Frequency(Render(0.5));
  soundRandom = state;
  soundTimeScale = 0.5;
  PlaySoundAt(SLOT_GROAN, kilohertz, listener, 1.0, false, false);
  const double half = Frequency(Render(0.5));
  EXPECT_NEAR(half / full, 0.5, 0.01) << full << " Hz then " << half << " Hz";
}

TEST_F(SoundBank, LoopsRunOnKeepPlayingOnlyUpdatesAndStopAllSilencesEverything) {
  PlaySoundAt(SLOT_HELI, blip, listener, 1.0, true, false);
  std::vector<float> out = Render(0.5);
  EXPECT_NEAR(Rms(std::vector<float>(out.begin() + kRate * 0.3, out.end())) / kToneRms, 1.0, 0.05)
      << "a looping 0.1 s sound still plays after 0.3 s";
  // The helicopter's update moves the loudness without restarting the loop.
  PlaySoundAt(SLOT_HELI, blip, listener + tvector{2, 0}, 1.0, true, true);
  EXPECT_NEAR(Rms(Render(0.5), 2000) / kToneRms, 0.6, 0.03);
  EXPECT_EQ(State(SLOT_HELI), AL_PLAYING);

  PlaySoundAt(SLOT_SHOT_A, tone, listener, 1.0, false, false);
  StopAllSounds();
  EXPECT_EQ(Peak(Render(0.3)), 0.0);
  for (int slot = 0; slot < SOUND_SLOTS; ++slot) EXPECT_NE(State(slot), AL_PLAYING) << slot;
  // An update of a stopped loop does not start it again.
  PlaySoundAt(SLOT_HELI, blip, listener, 1.0, true, true);
  EXPECT_EQ(Peak(Render(0.3)), 0.0);
}

TEST_F(SoundBank, WeaponShotsAlternateSlotsAndEveryCallAdvancesTheCounter) {
  EXPECT_EQ(slotCounter, 0);
  PlaySoundAt(slotCounter, tone, listener, 1.0, false, false);
  EXPECT_EQ(slotCounter, 1);
  PlaySoundAt(slotCounter, blip, listener, 1.0, false, false);
  EXPECT_EQ(slotCounter, 0);
  // Both shots sound at once, each on its own slot.
  EXPECT_EQ(State(SLOT_SHOT_A), AL_PLAYING);
  EXPECT_EQ(State(SLOT_SHOT_B), AL_PLAYING);
  PlaySoundAt(SLOT_CASING, blip, listener, 0.5, false, false);
  EXPECT_EQ(slotCounter, 1);
  // A slot that does not exist plays nothing, but still counts.
  PlaySoundAt(9, tone, listener, 1.0, false, false);
  PlaySoundAt(-1, tone, listener, 1.0, false, false);
  EXPECT_EQ(slotCounter, 1);
}

TEST_F(SoundBank, WeaponBuffersAreDeletedWhenReleasedEvenWhileASlotHoldsThem) {
  // A game's weapon sounds, one still ringing on a shot slot when the next game loads its own.
  PlaySoundAt(SLOT_SHOT_A, tone, listener, 1.0, false, false);
  PlaySoundAt(SLOT_RELOAD, blip, listener, 1.0, false, false);
  Render(0.05);
  ReleaseSoundBuffer(tone);
  ReleaseSoundBuffer(blip);
  EXPECT_FALSE(alIsBuffer(tone));
  EXPECT_FALSE(alIsBuffer(blip));
  EXPECT_EQ(Peak(Render(0.2)), 0.0);
  // The fixed sounds are the bank's own, not the weapon table's to release.
  base.dir.write("sounds/impact.wav", ToneFile(300, 0.5, 0.2));
  InitSound();
  ASSERT_NE(soundBuffers[SOUND_IMPACT], 0u);
  ReleaseSoundBuffer(soundBuffers[SOUND_IMPACT]);
  EXPECT_TRUE(alIsBuffer(soundBuffers[SOUND_IMPACT]));
  // Files that give no sound give no buffer.
  base.dir.write("sounds/broken.wav", std::vector<uint8_t>(30, 7));
  EXPECT_EQ(LoadSoundFile(DataPath("sounds/broken.wav")), 0u);
  EXPECT_EQ(LoadSoundFile(DataPath("sounds/missing.wav")), 0u);
}

TEST(SoundWithoutDevice, EveryCallIsANoOpAndTheGameRunsTheSame) {
  TempBase base;
  base.dir.write("sounds/tone.wav", ToneFile(440, 0.5, 0.2));
  const taudiodevicesource saved = audioDeviceSource;
  audioDeviceSource = {OpenNothing, nullptr};
  InitSound();
  EXPECT_EQ(audioDevice, nullptr);
  // Callers index the fixed sounds freely: all six are there, as "no buffer".
  EXPECT_EQ(soundBuffers, std::vector<uint32_t>(6, 0));
  EXPECT_EQ(LoadSoundFile(DataPath("sounds/tone.wav")), 0u);
  ReleaseSoundBuffer(5);
  // The pitches never draw from the game's generator, so a seeded game stays the same game.
  randomState = 1234;
  PlaySoundAt(slotCounter, soundBuffers[SOUND_IMPACT], {1, 1}, 2.0, false, false);
  PlaySoundAt(SLOT_HELI, soundBuffers[SOUND_HELI], {0, 0}, 1.0, true, true);
  EXPECT_EQ(randomState, 1234u);
  EXPECT_EQ(slotCounter, 0);
  StopAllSounds();
  ShutdownSound();
  EXPECT_TRUE(soundBuffers.empty());
  audioDeviceSource = saved;
}
