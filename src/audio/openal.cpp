// The audio device and its context.
#include "audio/openal.h"

#include "base/files.h"

static ALCdevice *OpenDefaultDevice() { return alcOpenDevice(nullptr); }

taudiodevicesource audioDeviceSource = {OpenDefaultDevice, nullptr};
ALCdevice *audioDevice = nullptr;
bool audioVerbose = false;

bool InitAudioDevice() {
  if (audioDevice) return true;
  QuietStderr quiet(audioVerbose);
  ALCdevice *device = audioDeviceSource.open ? audioDeviceSource.open() : nullptr;
  if (!device) return false;
  ALCcontext *context = alcCreateContext(device, audioDeviceSource.attributes);
  if (!context || !alcMakeContextCurrent(context)) {
    if (context) alcDestroyContext(context);
    alcCloseDevice(device);
    return false;
  }
  audioDevice = device;
  return true;
}

void ShutdownAudioDevice() {
  if (!audioDevice) return;
  ALCcontext *context = alcGetCurrentContext();
  alcMakeContextCurrent(nullptr);
  if (context) alcDestroyContext(context);
  alcCloseDevice(audioDevice);
  audioDevice = nullptr;
}
