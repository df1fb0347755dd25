// The sound bank over OpenAL. Every AL call is behind audioDevice: without a device the bank
// keeps its bookkeeping (six buffer entries, slotCounter, the random draw of each play) so the
// game behaves the same with or without sound, only silently.
#include "audio/sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/openal.h"
#include "base/files.h"
#include "persist/options.h"

std::vector<uint32_t> soundBuffers;
tsoundslot soundSlots[SOUND_SLOTS] = {};
int32_t slotCounter = 0;
double soundTimeScale = 1.0;
trandom soundRandom{1};
const tvector *soundListener = nullptr;
const char *const FIXED_SOUND_FILES[6] = {"impact.wav",       "explosion.wav", "casing.wav",
                                          "zombieimpact.wav", "heli.wav",      "zombie.wav"};

namespace {

// Buffers made for the weapon table: deleted when released or at shutdown, so they never
// outlive the bank.
std::vector<uint32_t> weaponBuffers;

uint32_t FrameBytes(int32_t format) {
  switch (format) {
    case AL_FORMAT_MONO8: return 1;
    case AL_FORMAT_MONO16:
    case AL_FORMAT_STEREO8: return 2;
    default: return 4;
  }
}

uint32_t BufferFromFile(const std::string &path) {
  if (!audioDevice) return 0;
  twav wav;
  std::string error;
  if (!LoadWavFile(path, wav, &error)) {
    std::fprintf(stderr, "sound: %s: %s\n", path.c_str(), error.c_str());
    return 0;
  }
  if (!wav.format || !wav.frequency) {
    std::fprintf(stderr, "sound: %s: not 8 or 16-bit mono or stereo PCM\n", path.c_str());
    return 0;
  }
  // OpenAL takes whole sample frames only; the odd byte 8-bit data may carry is dropped.
  const uint32_t size = wav.size - wav.size % FrameBytes(wav.format);
  alGetError();
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  if (alGetError() != AL_NO_ERROR) return 0;
  alBufferData(buffer, wav.format, wav.data.data(), static_cast<ALsizei>(size), static_cast<ALsizei>(wav.frequency));
  if (alGetError() != AL_NO_ERROR) {
    std::fprintf(stderr, "sound: %s: OpenAL refused the samples\n", path.c_str());
    alDeleteBuffers(1, &buffer);
    return 0;
  }
  return buffer;
}

}  // namespace

void LoadSound(const char *name) { soundBuffers.push_back(BufferFromFile(DataPath(std::string("sounds/") + name))); }

void InitSound() {
  if (audioDevice) ShutdownSound();
  soundBuffers.clear();
  weaponBuffers.clear();
  for (tsoundslot &s : soundSlots) s = tsoundslot{};
  slotCounter = 0;
  const bool on = InitAudioDevice();
  for (const char *name : FIXED_SOUND_FILES) LoadSound(name);
  if (!on) {
    std::fprintf(stderr, "no sound device: playing without sound\n");
    return;
  }
  for (tsoundslot &s : soundSlots) {
    alGenSources(1, &s.source);
    alSourcei(s.source, AL_BUFFER, static_cast<ALint>(soundBuffers[SOUND_EXPLOSION]));
    alSourcef(s.source, AL_PITCH, 1.0f);
    alSourcef(s.source, AL_GAIN, 1.0f);
    alSourcefv(s.source, AL_POSITION, s.position);
    alSourcefv(s.source, AL_VELOCITY, s.velocity);
  }
  const float zero[3] = {0, 0, 0};
  // Facing down -z with +y up; an all-zero orientation has no direction to pan by.
  const float orientation[6] = {0, 0, -1, 0, 1, 0};
  alListenerfv(AL_POSITION, zero);
  alListenerfv(AL_VELOCITY, zero);
  alListenerfv(AL_ORIENTATION, orientation);
}

void PlaySoundAt(int32_t slot, uint32_t buffer, tvector p, double volume, bool loop, bool keepPlaying) {
  double pitch = (1.05 - 0.1 * randomreal(soundRandom)) * soundTimeScale;
  if (audioDevice && slot >= 0 && slot < SOUND_SLOTS && soundSlots[slot].source) {
    const ALuint source = soundSlots[slot].source;
    if (!loop) alSourceStop(source);
    // A playing source refuses a new buffer; the same one needs no setting.
    ALint current = 0;
    alGetSourcei(source, AL_BUFFER, &current);
    if (static_cast<uint32_t>(current) != buffer) alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    const tvector listener = soundListener ? *soundListener : tvector{0, 0};
    const double dx = p.x - listener.x, dy = p.y - listener.y;
    double g = 1 - 0.1 * (dx * dx + dy * dy);
    if (!(g > 0)) g = 0;
    double gain = g * volume * Options.soundVolume;
    if (!(gain >= 0)) gain = 0;  // OpenAL refuses negative or NaN gains and would keep the old one
    if (!(pitch >= 0)) pitch = 0;
    alSourcef(source, AL_GAIN, static_cast<float>(gain));
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_PITCH, static_cast<float>(pitch));
    if (!keepPlaying) alSourcePlay(source);
  }
  slotCounter = slotCounter + 1 > 1 ? 0 : slotCounter + 1;
}

void StopAllSounds() {
  if (!audioDevice) return;
  for (const tsoundslot &s : soundSlots)
    if (s.source) alSourceStop(s.source);
}

uint32_t LoadSoundFile(const std::string &path) {
  const uint32_t buffer = BufferFromFile(path);
  if (buffer) weaponBuffers.push_back(buffer);
  return buffer;
}

void ReleaseSoundBuffer(uint32_t buffer) {
  auto it = std::find(weaponBuffers.begin(), weaponBuffers.end(), buffer);
  if (!audioDevice || !buffer || it == weaponBuffers.end()) return;
  // OpenAL will not delete a buffer a source still holds, even a stopped one.
  for (const tsoundslot &s : soundSlots) {
    if (!s.source) continue;
    ALint current = 0;
    alGetSourcei(s.source, AL_BUFFER, &current);
    if (static_cast<uint32_t>(current) == buffer) {
      alSourceStop(s.source);
      alSourcei(s.source, AL_BUFFER, 0);
    }
  }
  alDeleteBuffers(1, &buffer);
  weaponBuffers.erase(it);
}

void ShutdownSound() {
  if (audioDevice) {
    // Sources first: a buffer still attached to one cannot be deleted.
    for (tsoundslot &s : soundSlots)
      if (s.source) {
        alSourceStop(s.source);
        alDeleteSources(1, &s.source);
      }
    for (uint32_t b : soundBuffers)
      if (b) alDeleteBuffers(1, &b);
    for (uint32_t b : weaponBuffers) alDeleteBuffers(1, &b);
  }
  soundBuffers.clear();
  weaponBuffers.clear();
  for (tsoundslot &s : soundSlots) s = tsoundslot{};
  ShutdownAudioDevice();
}
