#include "persist/replay.h"

#include <algorithm>
#include <cmath>

#include "base/files.h"

namespace {
const uint8_t MAGIC[8] = {'R', 'S', 'R', 'E', 'P', 'L', 'A', 'Y'};
constexpr uint16_t ACTION_BITS = (1u << ACTION_COUNT) - 1;
// A frame longer than a minute or a pointer further than half a million units out is no game's.
constexpr int64_t MAX_FRAME_STEPS = 60 * 65536;
constexpr int64_t MAX_POINTER_STEPS = int64_t(1) << 31;
constexpr uint8_t TIME_ESCAPE = 31;

int64_t Steps(double value, double step, int64_t lo, int64_t hi) {
  if (!std::isfinite(value)) return lo > 0 ? lo : 0;
  const double s = std::nearbyint(value / step);
  return s < lo ? lo : s > hi ? hi : static_cast<int64_t>(s);
}

uint64_t Zig(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }
int64_t Unzig(uint64_t v) { return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1); }

void PutVarint(std::vector<uint8_t> &out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<uint8_t>(v));
}

// The integers a frame is coded from; the previous frame's are the deltas' base.
struct tframesteps {
  int64_t time = 0, x = 0, y = 0;
  uint16_t held = 0;
};

tframesteps StepsOf(const tframeinput &in) {
  return {Steps(in.frameTime, FRAME_TIME_STEP, 1, MAX_FRAME_STEPS),
          Steps(in.pointer.x, POINTER_STEP, -MAX_POINTER_STEPS, MAX_POINTER_STEPS),
          Steps(in.pointer.y, POINTER_STEP, -MAX_POINTER_STEPS, MAX_POINTER_STEPS), uint16_t(in.held & ACTION_BITS)};
}

// Reads the frames from a byte range, never past its end.
struct tframereader {
  const uint8_t *p, *end;
  bool cut = false;  // the bytes ended inside a frame

  bool Varint(uint64_t &v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (p == end) return cut = true, false;
      const uint8_t b = *p++;
      v |= static_cast<uint64_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) return shift < 63 || b <= 1;
    }
    return false;
  }
};

enum tframeread { FRAME_READ, FRAME_CUT, FRAME_BAD };

// The previous value moved by a coded delta; false when it lands outside lo..hi. A delta that
// large is damage, and is refused before the sum could overflow.
bool Moved(int64_t base, uint64_t zig, int64_t lo, int64_t hi, int64_t &out) {
  const int64_t d = Unzig(zig);
  if (d < lo - hi || d > hi - lo) return false;
  out = base + d;
  return out >= lo && out <= hi;
}

tframeread ReadFrame(tframereader &r, tframesteps &s, tframeinput &in) {
  if (r.p == r.end) return FRAME_CUT;
  const uint8_t head = *r.p++;
  uint64_t v = head >> 3;
  if (v == TIME_ESCAPE && !r.Varint(v)) return r.cut ? FRAME_CUT : FRAME_BAD;
  int64_t time = 0;
  if (!Moved(s.time, v, 1, MAX_FRAME_STEPS, time)) return FRAME_BAD;
  uint64_t held = s.held, pressed = 0, dx = 0, dy = 0;
  if ((head & 1) && !r.Varint(held)) return r.cut ? FRAME_CUT : FRAME_BAD;
  if ((head & 2) && !r.Varint(pressed)) return r.cut ? FRAME_CUT : FRAME_BAD;
  if ((head & 4) && (!r.Varint(dx) || !r.Varint(dy))) return r.cut ? FRAME_CUT : FRAME_BAD;
  if (held > ACTION_BITS || pressed > ACTION_BITS) return FRAME_BAD;
  int64_t x = 0, y = 0;
  if (!Moved(s.x, dx, -MAX_POINTER_STEPS, MAX_POINTER_STEPS, x) ||
      !Moved(s.y, dy, -MAX_POINTER_STEPS, MAX_POINTER_STEPS, y))
    return FRAME_BAD;
  s = {time, x, y, static_cast<uint16_t>(held)};
  in.frameTime = static_cast<double>(time) * FRAME_TIME_STEP;
  in.held = s.held;
  in.pressed = static_cast<uint16_t>(pressed);
  in.pointer = {static_cast<double>(x) * POINTER_STEP, static_cast<double>(y) * POINTER_STEP};
  return FRAME_READ;
}

constexpr size_t VarintBytes(uint64_t v) { return v < 0x80 ? 1 : 1 + VarintBytes(v >> 7); }
static_assert(REPLAY_MOST_FRAME_BYTES == 1 + VarintBytes(2 * MAX_FRAME_STEPS) + 2 * VarintBytes(ACTION_BITS) +
                                             2 * VarintBytes(4 * MAX_POINTER_STEPS),
              "the most a frame's coding can take");
static_assert(REPLAY_BLOCK_FRAMES <= 0xffff, "a block's frame count is a u16");

void EncodeFrame(std::vector<uint8_t> &out, const tframeinput &in, tframesteps &last) {
  const tframesteps s = StepsOf(in);
  const uint64_t time = Zig(s.time - last.time);
  const uint16_t pressed = in.pressed & ACTION_BITS;
  const bool moved = s.x != last.x || s.y != last.y;
  out.push_back(static_cast<uint8_t>((s.held != last.held) | (pressed ? 2 : 0) | (moved ? 4 : 0) |
                                     ((time < TIME_ESCAPE ? time : TIME_ESCAPE) << 3)));
  if (time >= TIME_ESCAPE) PutVarint(out, time);
  if (s.held != last.held) PutVarint(out, s.held);
  if (pressed) PutVarint(out, pressed);
  if (moved) PutVarint(out, Zig(s.x - last.x)), PutVarint(out, Zig(s.y - last.y));
  last = s;
}

// Reads `count` frames that must fill [p, end) exactly.
bool ReadFrames(const uint8_t *p, const uint8_t *end, uint32_t count, std::vector<tframeinput> &frames) {
  tframereader r{p, end};
  tframesteps s;
  for (uint32_t i = 0; i < count; ++i) {
    tframeinput in{};
    if (ReadFrame(r, s, in) != FRAME_READ) return false;
    frames.push_back(in);
  }
  return r.p == r.end;
}

uint32_t BlockCrc(const uint8_t *head, const uint8_t *frames, size_t length) {
  return Crc32(frames, length, Crc32(head, 6));
}

// Format 1's frames: one run after the header, the CRC of them all in the header. A cut file
// plays the frames read before the cut, unchecked.
treplaystatus ReadFormat1Frames(const uint8_t *data, size_t size, uint32_t count, std::vector<tframeinput> &frames) {
  tframereader r{data + REPLAY_HEADER_SIZE, data + size};
  tframesteps s;
  for (uint32_t i = 0; i < count; ++i) {
    tframeinput in{};
    switch (ReadFrame(r, s, in)) {
      case FRAME_READ: frames.push_back(in); break;
      case FRAME_CUT: return REPLAY_TRUNCATED;
      case FRAME_BAD: return REPLAY_DAMAGED;
    }
  }
  // A whole file must be exactly its frames, unchanged.
  if (r.p != r.end || GetU32(data + 39) != Crc32(data + REPLAY_HEADER_SIZE, size - REPLAY_HEADER_SIZE))
    return REPLAY_DAMAGED;
  return REPLAY_OK;
}

// Format 2's frames: each block checked whole; the file may stop at or inside a block.
treplaystatus ReadBlocks(const uint8_t *data, size_t size, uint32_t count, std::vector<tframeinput> &frames) {
  if (count > REPLAY_MOST_FRAMES || size > ReplayMostBytes(count))
    return REPLAY_DAMAGED;  // more than a game has, or more bytes than its frames can take
  const uint8_t *p = data + REPLAY_HEADER_SIZE, *end = data + size;
  for (uint32_t first = 0; first < count; first += REPLAY_BLOCK_FRAMES) {
    const uint32_t n = std::min(count - first, REPLAY_BLOCK_FRAMES);
    if (static_cast<size_t>(end - p) < REPLAY_BLOCK_HEAD_SIZE) return REPLAY_TRUNCATED;
    const uint32_t length = GetU32(p);
    // The head is checked before its length is trusted: a block running past the end of the
    // file is a cut file only when its head is a block's.
    if (GetU16(p + 4) != n || length < n || length > n * REPLAY_MOST_FRAME_BYTES) return REPLAY_DAMAGED;
    if (static_cast<size_t>(end - p) - REPLAY_BLOCK_HEAD_SIZE < length) return REPLAY_TRUNCATED;
    const uint8_t *block = p + REPLAY_BLOCK_HEAD_SIZE;
    if (GetU32(p + 6) != BlockCrc(p, block, length) || !ReadFrames(block, block + length, n, frames))
      return REPLAY_DAMAGED;
    p = block + length;
  }
  return p == end ? REPLAY_OK : REPLAY_DAMAGED;  // nothing may follow the frames
}
}  // namespace

void QuantiseFrameInput(tframeinput &in) {
  const tframesteps s = StepsOf(in);
  in.frameTime = static_cast<double>(s.time) * FRAME_TIME_STEP;
  in.pointer = {static_cast<double>(s.x) * POINTER_STEP, static_cast<double>(s.y) * POINTER_STEP};
  in.held &= ACTION_BITS;
  in.pressed &= ACTION_BITS;
}

std::vector<uint8_t> EncodeReplay(const treplay &replay) {
  const uint32_t count = static_cast<uint32_t>(std::min<size_t>(replay.frames.size(), REPLAY_MOST_FRAMES));
  std::vector<uint8_t> out(REPLAY_HEADER_SIZE);
  uint8_t *p = out.data();
  std::copy(MAGIC, MAGIC + 8, p);
  PutU16(p + 8, REPLAY_VERSION);
  PutU32(p + 10, replay.rulesVersion);
  PutU32(p + 14, replay.seed);
  PutI32(p + 18, replay.helpBase);
  p[22] = replay.tutorial ? 1 : 0;
  PutF64(p + 23, replay.skyScroll);
  PutU64(p + 31, replay.dataChecksum);
  PutU32(p + 39, count);
  PutU32(p + 43, Crc32(p, 43));
  for (uint32_t first = 0; first < count; first += REPLAY_BLOCK_FRAMES) {
    const uint32_t n = std::min(count - first, REPLAY_BLOCK_FRAMES);
    const size_t at = out.size();
    out.resize(at + REPLAY_BLOCK_HEAD_SIZE);
    tframesteps last;
    for (uint32_t i = first; i < first + n; ++i) EncodeFrame(out, replay.frames[i], last);
    uint8_t *head = out.data() + at;
    const size_t length = out.size() - at - REPLAY_BLOCK_HEAD_SIZE;
    PutU32(head, static_cast<uint32_t>(length));
    PutU16(head + 4, static_cast<uint16_t>(n));
    PutU32(head + 6, BlockCrc(head, head + REPLAY_BLOCK_HEAD_SIZE, length));
  }
  return out;
}

treplaystatus DecodeReplayHeader(const uint8_t *data, size_t size, treplay &replay, uint32_t &frameCount) {
  if (size < 10 || !std::equal(MAGIC, MAGIC + 8, data)) return REPLAY_NOT_A_REPLAY;
  const uint16_t version = GetU16(data + 8);
  if (version != REPLAY_VERSION && version != 1) return REPLAY_OTHER_VERSION;
  if (size < REPLAY_HEADER_SIZE || GetU32(data + 43) != Crc32(data, 43)) return REPLAY_DAMAGED;
  const bool v1 = version == 1;
  const uint8_t *p = data + (v1 ? 10 : 14);  // format 1 has no rules version
  const uint8_t tutorial = p[8];
  const double sky = GetF64(p + 9);
  if (tutorial > 1 || !std::isfinite(sky)) return REPLAY_DAMAGED;
  replay.rulesVersion = v1 ? 1 : GetU32(data + 10);
  replay.seed = GetU32(p);
  replay.helpBase = GetI32(p + 4);
  replay.tutorial = tutorial;
  replay.skyScroll = sky;
  replay.dataChecksum = GetU64(p + 17);
  frameCount = GetU32(p + 25);
  return REPLAY_OK;
}

treplaystatus DecodeReplay(const uint8_t *data, size_t size, treplay &replay) {
  treplay read;
  uint32_t count = 0;
  const treplaystatus head = DecodeReplayHeader(data, size, read, count);
  if (head != REPLAY_OK) return head;
  // Every frame takes at least a byte: a count beyond the bytes is a cut file, not a reason to
  // reserve memory for it, and no more than the longest game's are reserved for any bytes.
  read.frames.reserve(std::min<size_t>({count, size - REPLAY_HEADER_SIZE, REPLAY_MOST_FRAMES}));
  const treplaystatus status = GetU16(data + 8) == 1 ? ReadFormat1Frames(data, size, count, read.frames)
                                                     : ReadBlocks(data, size, count, read.frames);
  if (status != REPLAY_OK && status != REPLAY_TRUNCATED) return status;
  replay = std::move(read);
  return status;
}

std::string ReplayRefusal(treplaystatus status) {
  switch (status) {
    case REPLAY_NOT_A_REPLAY: return "it is not a replay of this game";
    case REPLAY_OTHER_VERSION: return "it was recorded by another version of the game";
    case REPLAY_DAMAGED: return "it is damaged";
    default: return "";
  }
}

std::string ReplayHeaderFault(const treplay &header, uint32_t frameCount) {
  if (frameCount == 0) return "it holds no frames";
  if (frameCount > REPLAY_MOST_FRAMES)
    return "it claims " + std::to_string(frameCount) + " frames, more than the longest game has";
  if (header.rulesVersion == 0) return "it names no rules version";
  if (header.helpBase < REPLAY_LOWEST_HELP_BASE || header.helpBase > REPLAY_HIGHEST_HELP_BASE)
    return "its help day " + std::to_string(header.helpBase) + " is no game type's";
  if (!(header.skyScroll >= 0 && header.skyScroll <= 1)) return "its background phase is out of range";
  return "";
}
