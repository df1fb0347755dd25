// A replay: a game's seed, its game type and what it was played with, then every frame's input.
// The rules are the same drawn or not, so these alone play the same game again.
//
// The file, little-endian. The header: "RSREPLAY", the format version (u16), the rules version
// (u32), the seed (u32), the help base (i32), the tutorial switch (u8), the background's phase
// (f64), the data checksum (u64), the frame count (u32) and the CRC-32 of the header before it.
// Then the frames in blocks of REPLAY_BLOCK_FRAMES (the last one holds the rest): a block's byte
// length (u32), its frame count (u16), the CRC-32 of those six bytes and the frame bytes, then the
// frame bytes. A block reads alone: its first frame's changes are from zero. A cut-short file
// plays its whole blocks, each checked; a block that is whole but fails its CRC is damage.
// A frame is one byte (bit 0 held actions follow, bit 1 pressed actions follow, bit 2 the pointer
// moved, bits 3-7 the frame time's change zigzagged, 31 for "a varint follows"), then the varints
// the byte announces: held, pressed, the pointer's x and y change (zigzag).
//
// Format 1 (still read, as played by rules version 1) had no rules version and no blocks: the
// CRC-32 of all the frame bytes stood where the rules version stands, and the frames followed the
// header in one run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/input.h"

constexpr uint16_t REPLAY_VERSION = 2;
constexpr size_t REPLAY_HEADER_SIZE = 47;
// About 13 seconds of play at the fastest frame rate: a cut-short file loses at most that much,
// and the 10 bytes of a block's head are under 1% of its frames even when nothing moves.
constexpr uint32_t REPLAY_BLOCK_FRAMES = 1024;
constexpr size_t REPLAY_BLOCK_HEAD_SIZE = 10;
// The longest game a replay holds: 2^22 frames, over 15 hours at the fastest frame rate (13 ms).
// The recorder stops adding frames there, and EncodeReplay writes no more.
constexpr uint32_t REPLAY_MOST_FRAMES = 1u << 22;
// The most a frame's coding can take: the byte, the time (4 bytes of varint), held and pressed
// (2 each), the pointer's two changes (5 each).
constexpr size_t REPLAY_MOST_FRAME_BYTES = 19;
// The largest file `frames` frames can make, and so the largest replay file there is.
constexpr uint64_t ReplayMostBytes(uint64_t frames) {
  return REPLAY_HEADER_SIZE + (frames + REPLAY_BLOCK_FRAMES - 1) / REPLAY_BLOCK_FRAMES * REPLAY_BLOCK_HEAD_SIZE +
         frames * REPLAY_MOST_FRAME_BYTES;
}
constexpr uint64_t REPLAY_MOST_BYTES = ReplayMostBytes(REPLAY_MOST_FRAMES);
// The game types' base help days lie in this range (the set-up adds 0 to 2), and the background's
// phase in 0..1.
constexpr int32_t REPLAY_LOWEST_HELP_BASE = -10;
constexpr int32_t REPLAY_HIGHEST_HELP_BASE = 7;
// A game's frame times and pointer lie on these grids (see QuantiseFrameInput), so a replay
// holds the very values the rules were given as small integers.
constexpr double FRAME_TIME_STEP = 1.0 / 65536;  // about 15 microseconds
constexpr double POINTER_STEP = 1.0 / 4096;      // far finer than a pixel at any window size

struct treplay {
  uint32_t rulesVersion = 0;  // the rules that played it (the game's RULES_VERSION; 1 for format 1)
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

// The file in the current format. Frames beyond REPLAY_MOST_FRAMES are left out.
std::vector<uint8_t> EncodeReplay(const treplay &replay);

enum treplaystatus {
  REPLAY_OK,
  REPLAY_TRUNCATED,  // the file stops early: its whole blocks are kept and play
  REPLAY_NOT_A_REPLAY,
  REPLAY_OTHER_VERSION,
  REPLAY_DAMAGED,
};
// Reads a replay. Whatever the bytes, it reads nothing outside them and reserves no more frames
// than they can hold; on a refusal `replay` is left unchanged.
treplaystatus DecodeReplay(const uint8_t *data, size_t size, treplay &replay);
// Reads the header alone (the first REPLAY_HEADER_SIZE bytes, or fewer when the file is shorter):
// its fields into `replay` (frames untouched) and the frame count it announces. OK when the
// header is sound; on a refusal `replay` is left unchanged.
treplaystatus DecodeReplayHeader(const uint8_t *data, size_t size, treplay &replay, uint32_t &frameCount);
// One line saying why a replay is refused ("" for OK and TRUNCATED).
std::string ReplayRefusal(treplaystatus status);
// Why a sound header is no game's ("it holds no frames", a help base no game type has, ...), ""
// when a game could have recorded it. Checked before any frame is read.
std::string ReplayHeaderFault(const treplay &header, uint32_t frameCount);

// Reads a replay file: the header first, then, once its size fits the frames it announces and
// never beyond REPLAY_MOST_BYTES, the frames. Whatever the path names (a huge file, a device, a
// folder, a fifo), it returns at once without reading more than that. False with one line in
// `why` naming the path (its control characters and invalid UTF-8 escaped) and the reason.
// True for a file cut short too, whose whole blocks play; `why` then says how much was kept
// ("" for a whole file). The caller checks the rules version and the data checksum. `status`,
// when given, tells the kind of refusal: REPLAY_TRUNCATED for a file cut short (kept or not),
// REPLAY_NOT_A_REPLAY for what is no file or cannot be read, REPLAY_DAMAGED for a header no game
// wrote or a size its frames cannot have; REPLAY_OK for a whole file.
bool LoadReplay(const std::string &path, treplay &replay, std::string &why, treplaystatus *status = nullptr);
// As LoadReplay, from an open descriptor that may be a stream (standard input, a pipe): read to
// its end, but never more than one byte past what its header's frames can take. `name` names it
// in `why`.
bool ReadReplayStream(int fd, const std::string &name, treplay &replay, std::string &why,
                      treplaystatus *status = nullptr);
