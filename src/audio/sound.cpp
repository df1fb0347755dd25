// Placeholder until the OpenAL sound bank lands: every call is a no-op, as on a machine
// without an audio device.
#include "audio/sound.h"

std::vector<uint32_t> soundBuffers;
int32_t slotCounter = 0;
const tvector *soundListener = nullptr;

void InitSound() {}
void ShutdownSound() {}
void LoadSound(const char *) {}
void PlaySoundAt(int32_t, uint32_t, tvector, double, bool, bool) { slotCounter = slotCounter + 1 > 1 ? 0 : 1; }
void StopAllSounds() {}
