// The sound bank: the OpenAL device, the six fixed sounds, eight reusable source slots and
// PlaySoundAt, which fakes distance by the squared distance from the listener.
// Without an audio device every call is a no-op.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/sound_ids.h"
#include "base/vector.h"

// One source per slot. Sources and listener all stay at the origin: distance is faked by gain.
struct tsoundslot {
  uint32_t source;
  float position[3];
  float velocity[3];
};

// One buffer per fixed sound, always six entries once InitSound has run (0 where a file gave
// no sound or there is no device), so callers may index them freely.
extern std::vector<uint32_t> soundBuffers;
extern tsoundslot soundSlots[SOUND_SLOTS];
extern int32_t slotCounter;  // 0 or 1: the slot the next weapon shot uses
// Where the listener stands (the game hands in its camera position); (0, 0) until set.
extern const tvector *soundListener;
// The game's speed, which pitches its sounds; the game sets it each frame.
extern double soundTimeScale;
// The pitches draw from a generator of their own: whether a sound plays must not move the game's.
extern trandom soundRandom;

// Opens the device (none is fine: one line on stderr says so) and loads the fixed sounds from
// DataPath("sounds/...").
// Calling it again starts the bank afresh.
void InitSound();
// The fixed sounds' files in sounds/, in load order.
extern const char *const FIXED_SOUND_FILES[6];
// Stops and deletes every source and every buffer the bank made, then closes the device.
void ShutdownSound();
void LoadSound(const char *name);
// Gain 1 - 0.1 d^2 from the listener (silent beyond about 3.16 units) times volume times the
// options' sound volume; a random pitch in (0.95, 1.05] times soundTimeScale. Unless loop, the
// slot's last sound is cut off; with keepPlaying a sound is only updated, never started.
// slotCounter advances on every call.
void PlaySoundAt(int32_t slot, uint32_t buffer, tvector p, double volume, bool loop, bool keepPlaying);
void StopAllSounds();

// The buffer of a fixed sound; 0 for an index the bank lacks (no device, or before InitSound).
inline uint32_t FixedSound(int index) {
  return index >= 0 && static_cast<size_t>(index) < soundBuffers.size() ? soundBuffers[index] : 0;
}

// Buffers for the weapon table, owned by the bank until released or shut down.
// A buffer made from a WAV file; 0 ("no buffer") without a device or when the file gives no
// sound (the reason goes to stderr).
uint32_t LoadSoundFile(const std::string &path);
// Detaches the buffer from any slot still holding it, then deletes it. Buffers the bank did
// not make for the weapon table are left alone.
void ReleaseSoundBuffer(uint32_t buffer);
