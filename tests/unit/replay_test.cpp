#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <tuple>

#include "base/files.h"
#include "persist/replay_files.h"
#include "rig/rig.h"

namespace {
// Three blocks: two whole ones and the rest.
constexpr size_t SAMPLE_FRAMES = 2 * REPLAY_BLOCK_FRAMES + 452;

treplay Sample() {
  treplay r;
  r.rulesVersion = 2, r.seed = 0xdeadbeef, r.helpBase = -10, r.tutorial = 1, r.skyScroll = 0.625;
  r.dataChecksum = 0x0123456789abcdefull;
  // Steady frames, a long one, every action, the pointer still, crawling, leaping and far out.
  const double times[] = {0.013, 0.0131, 0.0129, 0.017, 1.5, 0.013, 0.0135};
  for (size_t i = 0; i < SAMPLE_FRAMES; ++i) {
    tframeinput in{times[i % 7],
                   static_cast<uint16_t>((i * 37) & 0x1ff),
                   static_cast<uint16_t>(i % 5 ? 0 : 0x101),
                   {i % 1000 < 100 ? 0.5 : -4.9 + 0.01 * (i % 1000), i % 50 == 0 ? -300.0 : 3.7}};
    QuantiseFrameInput(in);
    r.frames.push_back(in);
  }
  return r;
}

// Where block `n` of a file starts.
size_t BlockAt(const std::vector<uint8_t> &file, int n) {
  size_t at = REPLAY_HEADER_SIZE;
  while (n-- > 0) at += REPLAY_BLOCK_HEAD_SIZE + GetU32(file.data() + at);
  return at;
}

// A header field changed behind the encoder's back, the header's CRC made good again.
std::vector<uint8_t> Reheaded(std::vector<uint8_t> file, size_t at, uint32_t value, size_t bytes = 4) {
  for (size_t i = 0; i < bytes; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
  PutU32(file.data() + 43, Crc32(file.data(), 43));
  return file;
}

// The sample's header with one block holding one frame's bytes, its CRC made good.
std::vector<uint8_t> OneFrame(const std::vector<uint8_t> &frame) {
  treplay r = Sample();
  r.frames.resize(1);
  std::vector<uint8_t> file = EncodeReplay(r);
  file.resize(REPLAY_HEADER_SIZE + REPLAY_BLOCK_HEAD_SIZE);
  file.insert(file.end(), frame.begin(), frame.end());
  uint8_t *head = file.data() + REPLAY_HEADER_SIZE;
  PutU32(head, static_cast<uint32_t>(frame.size()));
  PutU32(head + 6, Crc32(frame.data(), frame.size(), Crc32(head, 6)));
  return file;
}

// A game as format 1 wrote it, and the same game written now.
const std::string FORMAT_1 = REDSIEGE_TEST_DATA "/fuzz/fuzz_replay/whole_v1.rsr";
const std::string FORMAT_2 = REDSIEGE_TEST_DATA "/fuzz/fuzz_replay/whole.rsr";
}  // namespace

TEST(ReplayFile, ReadsBackExactlyAndRefusesWhatItCannotPlay) {
  const treplay sample = Sample();
  const std::vector<uint8_t> good = EncodeReplay(sample);
  const size_t middle = BlockAt(good, 1), last = BlockAt(good, 2);
  using Edit = std::function<void(std::vector<uint8_t> &)>;
  const auto flip = [](size_t at) -> Edit { return [at](std::vector<uint8_t> &b) { b[at] ^= 0x10; }; };
  const auto cut = [](size_t size) -> Edit { return [size](std::vector<uint8_t> &b) { b.resize(size); }; };
  const auto both = [](Edit a, Edit b) -> Edit { return [a, b](std::vector<uint8_t> &v) { a(v), b(v); }; };
  // {what, edit, status, frames read when it plays}
  const std::tuple<const char *, Edit, treplaystatus, size_t> cases[] = {
      {"as written", [](std::vector<uint8_t> &) {}, REPLAY_OK, SAMPLE_FRAMES},
      {"empty", cut(0), REPLAY_NOT_A_REPLAY, 0},
      {"another file", flip(2), REPLAY_NOT_A_REPLAY, 0},
      {"format 3", [](std::vector<uint8_t> &b) { b[8] = 3; }, REPLAY_OTHER_VERSION, 0},
      {"header cut", cut(REPLAY_HEADER_SIZE - 1), REPLAY_DAMAGED, 0},
      {"seed changed", flip(16), REPLAY_DAMAGED, 0},
      {"a frame changed", flip(middle + 40), REPLAY_DAMAGED, 0},
      {"a block's count changed", flip(last + 4), REPLAY_DAMAGED, 0},
      {"bytes after the frames", [](std::vector<uint8_t> &b) { b.push_back(0); }, REPLAY_DAMAGED, 0},
      {"more frames than any game", [](std::vector<uint8_t> &b) { b = Reheaded(b, 39, REPLAY_MOST_FRAMES + 1); },
       REPLAY_DAMAGED, 0},
      // A frame of one time step whose pressed actions follow: a varint running past 64 bits
      // (what it says wraps to nothing), and an action no game has.
      {"a varint past 64 bits",
       [](std::vector<uint8_t> &b) {
         b = OneFrame({0x12, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x02});
       },
       REPLAY_DAMAGED, 0},
      {"an action no game has",
       [](std::vector<uint8_t> &b) {
         b = OneFrame({0x12, 0x80, 0x04});
       },
       REPLAY_DAMAGED, 0},
      {"more frames than the file holds", [](std::vector<uint8_t> &b) { b = Reheaded(b, 39, 100000); }, REPLAY_DAMAGED,
       0},
      {"no frames left", cut(REPLAY_HEADER_SIZE), REPLAY_TRUNCATED, 0},
      {"cut inside a block's head", cut(last + 5), REPLAY_TRUNCATED, 2 * REPLAY_BLOCK_FRAMES},
      {"cut inside the last block", cut(good.size() - 1), REPLAY_TRUNCATED, 2 * REPLAY_BLOCK_FRAMES},
      {"cut short, damage in a block it keeps", both(flip(middle + 40), cut(good.size() - 1)), REPLAY_DAMAGED, 0},
      {"cut short, damage in the block it drops", both(flip(last + 40), cut(good.size() - 1)), REPLAY_TRUNCATED,
       2 * REPLAY_BLOCK_FRAMES},
  };
  for (const auto &[what, edit, status, frames] : cases) {
    std::vector<uint8_t> bytes = good;
    edit(bytes);
    treplay read;
    read.seed = 7;
    EXPECT_EQ(DecodeReplay(bytes.data(), bytes.size(), read), status) << what;
    if (status == REPLAY_OK || status == REPLAY_TRUNCATED) {
      treplay expected = sample;  // every header field and the frames that are whole, exactly
      expected.frames.resize(frames);
      EXPECT_EQ(EncodeReplay(read), EncodeReplay(expected)) << what;
    } else {
      EXPECT_EQ(read.seed, 7u) << what << ": a refused file changes nothing";
      EXPECT_FALSE(ReplayRefusal(status).empty()) << what;
    }
  }
  treplay crafted;
  const std::vector<uint8_t> pressed = OneFrame({0x12, 0x01});
  EXPECT_EQ(DecodeReplay(pressed.data(), pressed.size(), crafted), REPLAY_OK) << "the crafted frame, well made";
  // Format 1 still reads, as played by the first rules.
  treplay one;
  const std::vector<uint8_t> format1 = FileBytes(FORMAT_1);
  ASSERT_EQ(DecodeReplay(format1.data(), format1.size(), one), REPLAY_OK);
  EXPECT_EQ(one.rulesVersion, 1u);
  one.rulesVersion = 2;
  EXPECT_EQ(EncodeReplay(one), FileBytes(FORMAT_2));
}

TEST(ReplayFile, LoadingRefusesWithOneLineWhatNoGameRecorded) {
  TempDir dir;
  const treplay sample = Sample();
  const std::vector<uint8_t> good = EncodeReplay(sample);
  const auto with = [&](std::function<void(treplay &)> change) {
    treplay r = sample;
    change(r);
    return EncodeReplay(r);
  };
  std::vector<uint8_t> cutDamaged = good, cutShort = good;
  cutDamaged.pop_back(), cutShort.pop_back();
  cutDamaged[BlockAt(good, 1) + 40] ^= 0x10;
  // Sparse files that take no disk: a gigabyte, and the longest game's size exactly, its header
  // claiming the most frames a game has (both allowed, so only its zeros refuse it).
  const auto sparse = [&](const char *name, const std::vector<uint8_t> &head, off_t size) {
    dir.write(name, head);
    return truncate(dir.file(name).c_str(), size) == 0;
  };
  ASSERT_TRUE(sparse("huge.rsr", {}, off_t(1) << 30));
  ASSERT_TRUE(sparse("longest.rsr", Reheaded(good, 39, REPLAY_MOST_FRAMES), REPLAY_MOST_BYTES));
  ASSERT_EQ(mkfifo(dir.file("fifo.rsr").c_str(), 0644), 0);
  std::filesystem::create_directory(dir.file("folder.rsr"));
  // {file, its bytes (none: made above), loads, what `why` says}
  const std::tuple<std::string, std::vector<uint8_t>, bool, std::string> cases[] = {
      {"good.rsr", good, true, ""},
      {"cut.rsr", cutShort, true, "was cut short: its first 2048 frames play"},
      {"huge.rsr", {}, false, "bytes, more than the longest game needs"},
      {"longest.rsr", {}, false, "it is damaged"},
      {"fifo.rsr", {}, false, "it is not a file"},
      {"folder.rsr", {}, false, "it is a folder"},
      {"missing.rsr", {}, false, "it cannot be read"},
      {"empty.rsr", with([](treplay &r) { r.frames.clear(); }), false, "it holds no frames"},
      {"a\nline\x1b[2J\xff.rsr", with([](treplay &r) { r.frames.clear(); }), false, "it holds no frames"},
      {"count.rsr", Reheaded(good, 39, REPLAY_MOST_FRAMES + 1), false, "more than the longest game has"},
      {"size.rsr", Reheaded(good, 39, 3), false, "it is longer than its 3 frames can be"},
      {"cut_damaged.rsr", cutDamaged, false, "it is damaged"},
      {"rules.rsr", with([](treplay &r) { r.rulesVersion = 0; }), false, "it names no rules version"},
      {"help_high.rsr", with([](treplay &r) { r.helpBase = 8; }), false, "its help day 8 is no game type's"},
      {"help_huge.rsr", with([](treplay &r) { r.helpBase = INT32_MAX; }), false, "is no game type's"},
      {"help_low.rsr", with([](treplay &r) { r.helpBase = -11; }), false, "its help day -11 is no game type's"},
      {"hints.rsr", Reheaded(good, 22, 2, 1), false, "it is damaged"},
      {"sky_high.rsr", with([](treplay &r) { r.skyScroll = 1.5; }), false, "background phase is out of range"},
      {"sky_low.rsr", with([](treplay &r) { r.skyScroll = -0.25; }), false, "background phase is out of range"},
      {"sky_nan.rsr", with([](treplay &r) { r.skyScroll = std::nan(""); }), false, "it is damaged"},
  };
  for (const auto &[name, bytes, loads, says] : cases) {
    if (!bytes.empty()) dir.write(name, bytes);
    treplay read;
    read.seed = 7;
    std::string why = "unchanged";
    EXPECT_EQ(LoadReplay(dir.file(name), read, why), loads) << name;
    EXPECT_NE(why.find(says), std::string::npos) << name << ": " << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << why;
    if (loads) {
      EXPECT_EQ(read.rulesVersion, 2u) << name;
      EXPECT_EQ(read.frames.size(), name == "cut.rsr" ? 2 * REPLAY_BLOCK_FRAMES : SAMPLE_FRAMES) << name;
    } else {
      EXPECT_EQ(read.seed, 7u) << name;
      EXPECT_NE(why.find(PrintableText(dir.file(name))), std::string::npos) << why;
    }
  }
  // The path is shown whatever it holds, and on one line.
  const std::tuple<std::string, std::string> texts[] = {
      {"a\nb\tc\\d", "a\\nb\\tc\\\\d"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},
      {"\x1b[2J\x7f", "\\x1b[2J\\x7f"},
      {"\xff\xc0\xaf\xed\xa0\x80", "\\xff\\xc0\\xaf\\xed\\xa0\\x80"},  // not UTF-8: a stray, overlong, surrogate
      {"\xc2\x85|\xe2\x80\xa8|\xf0\x9f\x98\x80", "\\u0085|\\u2028|\xf0\x9f\x98\x80"},
      {"cut\xe2\x80", "cut\\xe2\\x80"},
  };
  for (const auto &[text, shown] : texts) EXPECT_EQ(PrintableText(text), shown) << shown;
}
