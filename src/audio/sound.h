// The sound bank: the OpenAL device, the six fixed sounds, eight reusable source slots and
// PlaySoundAt, which fakes distance by the squared distance from the listener.
// Without an audio device every call is a no-op.
#pragma once
#include <cstdint>
#include <vector>

#include "base/vector.h"

// Fixed sounds, in load order.
enum { SOUND_IMPACT, SOUND_EXPLOSION, SOUND_CASING, SOUND_ZOMBIEIMPACT, SOUND_HELI, SOUND_ZOMBIE };
// Source slots; each is kept for one kind of sound, so a new one cuts the last one off.
enum { SLOT_SHOT_A, SLOT_SHOT_B, SLOT_IMPACT, SLOT_EXPLOSION, SLOT_GROAN, SLOT_RELOAD, SLOT_HELI, SLOT_CASING };

extern std::vector<uint32_t> soundBuffers;
extern int32_t slotCounter;  // 0 or 1: the slot the next weapon shot uses
// Where the listener stands (the game hands in its camera position); (0, 0) until set.
extern const tvector *soundListener;

void InitSound();
void ShutdownSound();
void LoadSound(const char *name);
void PlaySoundAt(int32_t slot, uint32_t buffer, tvector p, double volume, bool loop, bool keepPlaying);
void StopAllSounds();
