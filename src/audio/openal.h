// The OpenAL device with its one context, and the WAV reader that feeds alBufferData.
// OpenAL Soft is linked directly; a machine without a sound card simply has no device.
#pragma once
#include <AL/al.h>
#include <AL/alc.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---- device (openal.cpp)

// Where InitAudioDevice gets its device: the default output unless something else is handed in
// (the tests render through a loopback device, whose context needs its output format).
struct taudiodevicesource {
  ALCdevice *(*open)();
  const ALCint *attributes;  // for alcCreateContext; null for none
};
extern taudiodevicesource audioDeviceSource;

// The open device, or null when there is none: then no AL call may be made.
extern ALCdevice *audioDevice;
// Opening a device makes the audio libraries (ALSA, OpenAL Soft) complain on stderr, a dozen
// lines on a machine without sound; they are shown only when this is set (--verbose).
extern bool audioVerbose;

// Opens the device, creates one context and makes it current; false (nothing left open) when
// there is no device or no context.
bool InitAudioDevice();
// Destroys the current context and closes its device; nothing happens when none is open.
void ShutdownAudioDevice();

// ---- WAV reader (wav.cpp)

struct twav {
  int32_t format = 0;  // AL_FORMAT_MONO8 ... STEREO16; 0 when channels and bits match none of them
  std::vector<uint8_t> data;
  uint32_t size = 0;  // bytes in data
  uint32_t frequency = 0;
};

// Reads a RIFF WAVE image: the format chunk must come first; other chunks before or after the
// "data" chunk are skipped, and the last "data" chunk wins. True when a "data" chunk was read.
// Every size is checked against the bytes there are: a chunk running past the end gives false,
// no data and a reason in error. With 8-bit samples the byte after the chunk is handed on too,
// when the file has one.
bool ParseWav(const uint8_t *bytes, size_t length, twav &wav, std::string *error);
// The same for a file; a file that cannot be read gives false with its reason.
bool LoadWavFile(const std::string &fileName, twav &wav, std::string *error);
