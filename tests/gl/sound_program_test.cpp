// Sound in whole-program runs: with no sound card the program starts, plays and quits as ever,
// silently; with a device (OpenAL Soft's loopback) the start-up loads every sound of the data
// folder and the game's calls are heard from where the camera is.
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

#include <cmath>

#include "actors/models.h"
#include "actors/records.h"
#include "audio/openal.h"
#include "audio/sound.h"
#include "game/camera.h"
#include "persist/options.h"
#include "rig/scripted_run.h"

namespace {
ALCdevice *OpenNothing() { return nullptr; }
ALCdevice *OpenLoopback() { return alcLoopbackOpenDeviceSOFT(nullptr); }
const ALCint kMono22k[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                           ALC_FREQUENCY, 22050, 0};

// Every call the game makes, with the slots and volumes it uses.
void PlayLikeTheGame() {
  const tvector here = CameraPos;
  PlaySoundAt(SLOT_IMPACT, soundBuffers[SOUND_IMPACT], here, 0.05, false, false);
  PlaySoundAt(SLOT_IMPACT, soundBuffers[SOUND_ZOMBIEIMPACT], here, 0.5, false, false);
  PlaySoundAt(SLOT_CASING, soundBuffers[SOUND_CASING], here, 0.5, false, false);
  for (size_t w = 0; w < weaponSounds[0].size(); ++w) PlaySoundAt(slotCounter, weaponSounds[0][w], here, 2.0, false, false);
  PlaySoundAt(SLOT_RELOAD, weaponSounds[1].empty() ? 0 : weaponSounds[1][0], here, 2.0, false, false);
  PlaySoundAt(SLOT_HELI, soundBuffers[SOUND_HELI], here, 0.125, true, false);
  PlaySoundAt(SLOT_HELI, soundBuffers[SOUND_HELI], here, 0.25, true, true);
  PlaySoundAt(SLOT_EXPLOSION, soundBuffers[SOUND_EXPLOSION], here, 1.0, false, false);
  PlaySoundAt(SLOT_GROAN, soundBuffers[SOUND_ZOMBIE], here + tvector{1, 0}, 1.0, false, false);
}

struct DeviceSeam {
  explicit DeviceSeam(taudiodevicesource use) { audioDeviceSource = use; }
  ~DeviceSeam() { audioDeviceSource = saved; }
  taudiodevicesource saved = audioDeviceSource;
};
}  // namespace

TEST(SoundProgram, WithoutASoundCardTheProgramRunsAndQuitsSilently) {
  MessageRecorder recorder;
  DeviceSeam seam({OpenNothing, nullptr});
  ScriptedRun run;
  bool checked = false;
  run.at(3, [&] {
    EXPECT_EQ(audioDevice, nullptr);
    EXPECT_EQ(soundBuffers, std::vector<uint32_t>(6, 0));
    EXPECT_EQ(soundListener, &CameraPos);
    ASSERT_FALSE(weaponSounds[0].empty());
    EXPECT_EQ(weaponSounds[0], std::vector<uint32_t>(weaponSounds[0].size(), 0));
    PlayLikeTheGame();
    StopAllSounds();
    checked = true;
  });
  run.closeWindow(6);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_TRUE(soundBuffers.empty()) << "the bank was not shut down";
}

TEST(SoundProgram, StartUpLoadsEverySoundAndTheGameIsHeardFromTheCamera) {
  MessageRecorder recorder;
  DeviceSeam seam({OpenLoopback, kMono22k});
  ScriptedRun run;
  std::vector<float> near(16000), far(16000);
  run.at(3, [&] {
    ASSERT_NE(audioDevice, nullptr);
    for (int i = 0; i < 6; ++i) EXPECT_NE(soundBuffers[i], 0u) << "fixed sound " << i;
    ASSERT_EQ(weaponSounds[0].size(), weapons.size());
    for (int list = 0; list < 2; ++list)
      for (uint32_t b : weaponSounds[list]) EXPECT_TRUE(b && alIsBuffer(b)) << "weapon sound list " << list;
    Options.soundVolume = 1.0;
    // The player's shot beside the camera, then the same shot 3.5 units off.
    CameraPos = {20, 4};
    PlaySoundAt(slotCounter, weaponSounds[0][0], CameraPos, 2.0, false, false);
    alcRenderSamplesSOFT(audioDevice, near.data(), static_cast<ALCsizei>(near.size()));
    PlaySoundAt(slotCounter, weaponSounds[0][0], CameraPos + tvector{0, 3.5}, 2.0, false, false);
    alcRenderSamplesSOFT(audioDevice, far.data(), static_cast<ALCsizei>(far.size()));
    PlayLikeTheGame();
  });
  run.closeWindow(6);
  EXPECT_EQ(run.run(300), 0);
  EXPECT_TRUE(recorder.messages.empty());
  float loudest = 0, farthest = 0;
  for (float s : near) loudest = std::max(loudest, std::fabs(s));
  for (float s : far) farthest = std::max(farthest, std::fabs(s));
  EXPECT_GT(loudest, 0.5f);
  EXPECT_EQ(farthest, 0.0f);
}
