// The real start-up of the sound bank against OpenAL Soft's file-writing back end: the explosion played at the camera
// must turn up in the written file at full loudness. OpenAL Soft reads its configuration once per process, so the
// playing happens in a fresh copy of this test program started with ALSOFT_CONF pointing at the configuration.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "audio/openal.h"
#include "audio/sound.h"
#include "base/files.h"
#include "contentc/sounds.h"
#include "persist/options.h"
#include "rig/rig.h"

extern char **environ;

namespace {

const char *const kChildDir = "REDSIEGE_SOUND_OUTPUT_DIR";

// RMS of the loudest 50 ms, and how many 50 ms stretches are louder than -40 dB.
struct Loudness {
  double loudest = 0;
  int audible = 0;
  explicit Loudness(const twav &wav) {
    const size_t window = wav.frequency / 20, n = wav.size / 2;
    for (size_t i = 0; i + window <= n; i += window) {
      double e = 0;
      for (size_t k = i; k < i + window; ++k) e += std::pow(int16_t(GetU16(&wav.data[2 * k])) / 32768.0, 2);
      loudest = std::max(loudest, std::sqrt(e / window));
      audible += std::sqrt(e / window) > 0.01;
    }
  }
};

}  // namespace

// Runs only inside the copy started below.
TEST(SoundOutputChild, PlaysTheExplosionAtTheCamera) {
  const char *dir = std::getenv(kChildDir);
  if (!dir) GTEST_SKIP() << "started by SoundOutput.TheExplosionIsInTheWrittenFile";
  baseDirectory = dir;
  Options.soundVolume = 1.0;
  InitSound();
  ASSERT_NE(audioDevice, nullptr) << "the wave back end did not open";
  ASSERT_NE(soundBuffers[SOUND_EXPLOSION], 0u);
  const tvector camera{12, 3};
  soundListener = &camera;
  PlaySoundAt(SLOT_EXPLOSION, soundBuffers[SOUND_EXPLOSION], camera, 1.0, false, false);
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));  // the back end writes in real time
  ShutdownSound();
  soundListener = nullptr;
}

TEST(SoundOutput, TheExplosionIsInTheWrittenFile) {
  TempDir dir;
  for (const FixedSound &s : FIXED_SOUNDS) dir.write(std::string("sounds/") + s.file, EncodeWav16(s.make()));
  dir.write("alsoft.conf",
            "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\nfrequency = 22050\n"
            "[wave]\nfile = " +
                dir.file("out.wav") + "\n");
  // The copy inherits the environment; this process read its configuration long ago.
  setenv("ALSOFT_CONF", dir.file("alsoft.conf").c_str(), 1);
  setenv(kChildDir, dir.path().c_str(), 1);
  std::string self = "/proc/self/exe", filter = "--gtest_filter=SoundOutputChild.*";
  char *argv[] = {self.data(), filter.data(), nullptr};
  pid_t pid = 0;
  int status = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, environ);
  unsetenv("ALSOFT_CONF");
  unsetenv(kChildDir);
  ASSERT_EQ(spawned, 0);
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the playing copy failed";
  twav out, source;
  std::string error;
  ASSERT_TRUE(LoadWavFile(dir.file("out.wav"), out, &error)) << error;
  ASSERT_TRUE(LoadWavFile(dir.file("sounds/explosion.wav"), source, &error)) << error;
  EXPECT_TRUE(out.format == AL_FORMAT_MONO16 && out.frequency == 22050u);
  // Played at the camera at full volume: as loud as the file itself, and about as long (the pitch varies by 5%, and the
  // file may have been cut short by the end of the playing).
  Loudness heard(out), written(source);
  EXPECT_NEAR(heard.loudest / written.loudest, 1.0, 0.1);
  EXPECT_GE(heard.audible, std::min(written.audible, 24) * 8 / 10);
}
