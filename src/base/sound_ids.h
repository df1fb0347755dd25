// The names of the game's sounds and of the bank's source slots, shared by the rules, which say
// what is heard, and the sound bank, which plays it.
#pragma once

// Fixed sounds, in load order.
enum { SOUND_IMPACT, SOUND_EXPLOSION, SOUND_CASING, SOUND_ZOMBIEIMPACT, SOUND_HELI, SOUND_ZOMBIE };
// Source slots; each is kept for one kind of sound, so a new one cuts the last one off.
enum { SLOT_SHOT_A, SLOT_SHOT_B, SLOT_IMPACT, SLOT_EXPLOSION, SLOT_GROAN, SLOT_RELOAD, SLOT_HELI, SLOT_CASING };
constexpr int SOUND_SLOTS = 8;
// Not a slot: whichever of the two shot slots the bank uses next, so two quick shots overlap.
constexpr int SLOT_NEXT_SHOT = -1;
