// The real start-up of the sound bank against OpenAL Soft's file-writing back end: the
// explosion played at the camera must turn up in the written file at full loudness.
// OpenAL Soft reads its configuration once per process, so the playing happens in a fresh
// copy of this test program started with ALSOFT_CONF pointing at the configuration.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <cmath>
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

std::vector<double> Mono16(const twav &wav) {
  std::vector<double> s(wav.size / 2);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(GetU16(&wav.data[2 * i])) / 32768.0;
  return s;
}

// RMS of the loudest 50 ms, and how many 50 ms stretches are louder than -40 dB.
void Loudness(const std::vector<double> &s, int rate, double &loudest, int &audible) {
  const size_t window = rate / 20;
  loudest = 0;
  audible = 0;
  for (size_t i = 0; i + window <= s.size(); i += window) {
    double e = 0;
    for (size_t k = i; k < i + window; ++k) e += s[k] * s[k];
    const double rms = std::sqrt(e / window);
    loudest = std::max(loudest, rms);
    if (rms > 0.01) ++audible;
  }
}

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
  // The back end writes as a sound card would play: in real time.
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  ShutdownSound();
  soundListener = nullptr;
}

TEST(SoundOutput, TheExplosionIsInTheWrittenFile) {
  TempDir dir;
  for (const FixedSound &s : FIXED_SOUNDS) dir.write(std::string("sounds/") + s.file, EncodeWav16(s.make()));
  dir.write("alsoft.conf", "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\nfrequency = 22050\n"
                           "[wave]\nfile = " + dir.file("out.wav") + "\n");

  std::vector<std::string> env;
  for (char **e = environ; *e; ++e)
    if (std::strncmp(*e, "ALSOFT_CONF=", 12) && std::strncmp(*e, kChildDir, std::strlen(kChildDir))) env.push_back(*e);
  env.push_back("ALSOFT_CONF=" + dir.file("alsoft.conf"));
  env.push_back(std::string(kChildDir) + "=" + dir.path());
  std::vector<char *> envp;
  for (std::string &e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string self = "/proc/self/exe", filter = "--gtest_filter=SoundOutputChild.*";
  char *argv[] = {self.data(), filter.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the playing copy failed";

  twav out, source;
  std::string error;
  ASSERT_TRUE(LoadWavFile(dir.file("out.wav"), out, &error)) << error;
  ASSERT_TRUE(LoadWavFile(dir.file("sounds/explosion.wav"), source, &error)) << error;
  EXPECT_EQ(out.format, AL_FORMAT_MONO16);
  EXPECT_EQ(out.frequency, 22050u);
  double outLoudest, sourceLoudest;
  int outAudible, sourceAudible;
  Loudness(Mono16(out), out.frequency, outLoudest, outAudible);
  Loudness(Mono16(source), source.frequency, sourceLoudest, sourceAudible);
  // Played at the camera at full volume: as loud as the file itself, and about as long (the
  // pitch varies by 5%, and the file may have been cut short by the end of the playing).
  EXPECT_NEAR(outLoudest / sourceLoudest, 1.0, 0.1);
  EXPECT_GE(outAudible, std::min(sourceAudible, 24) * 8 / 10);
}
