// A replay: a game's seed, its game type and what it was played with, then every frame's input.
// The rules are the same drawn or not, so these alone play the same game again.
//
// The file, little-endian: "RSREPLAY", the format version (u16), the seed (u32), the help base
// (i32), the tutorial switch (u8), the background's phase (f64), the data checksum (u64), the
// frame count (u32), the CRC-32 of the frame bytes and the CRC-32 of the header before it; then
// the frames. A frame is one byte (bit 0 held actions follow, bit 1 pressed actions follow, bit 2
// the pointer moved, bits 3-7 the frame time's change zigzagged, 31 for "a varint follows"),
// then the varints the byte announces: held, pressed, the pointer's x and y change (zigzag).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/input.h"

constexpr uint16_t REPLAY_VERSION = 1;
constexpr size_t REPLAY_HEADER_SIZE = 47;
// A game's frame times and pointer lie on these grids (see QuantiseFrameInput), so a replay
// holds the very values the rules were given as small integers.
constexpr double FRAME_TIME_STEP = 1.0 / 65536;  // about 15 microseconds
constexpr double POINTER_STEP = 1.0 / 4096;      // far finer than a pixel at any window size

struct treplay {
  uint32_t rulesVersion = 0;  // the rules that played it (the game's RULES_VERSION)
  uint32_t seed = 0;
  int32_t helpBase = 0;       // the game type's base help day
  uint8_t tutorial = 0;       // the hints were shown (drawn only, but the replay shows them too)
  double skyScroll = 0;       // the background's drift, which carries over from game to game
  uint64_t dataChecksum = 0;  // of the data the rules read: pieces, figure, animations, weapons
  std::vector<tframeinput> frames;
};

// Rounds the frame time and the pointer to the replay's grids. The live game applies it to every
// frame's input, so what it plays and what a replay plays are the same doubles.
void QuantiseFrameInput(tframeinput &in);

std::vector<uint8_t> EncodeReplay(const treplay &replay);

enum treplaystatus {
  REPLAY_OK,
  REPLAY_TRUNCATED,  // the frames stop early: those read are kept and play
  REPLAY_NOT_A_REPLAY,
  REPLAY_OTHER_VERSION,
  REPLAY_DAMAGED,
};
// Reads a replay. Whatever the bytes, it reads nothing outside them; on a refusal `replay` is
// left unchanged.
treplaystatus DecodeReplay(const uint8_t *data, size_t size, treplay &replay);
// One line saying why a replay is refused ("" for OK and TRUNCATED).
std::string ReplayRefusal(treplaystatus status);
