// A replay file read with its size bounded before anything is reserved: the header first, then
// the frames once the file's size fits them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/files.h"
#include "persist/replay.h"

namespace {
// Reads up to `size` bytes at the file's current place; fewer when the file ends first.
size_t ReadUpTo(int fd, uint8_t *to, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = read(fd, to + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

struct tfile {
  int fd;
  ~tfile() {
    if (fd >= 0) close(fd);
  }
};

// The reason a file is refused, "" when `replay` was read.
std::string Load(const std::string &path, treplay &replay, bool &cut) {
  // Non-blocking, so a fifo with no writer is refused rather than waited on.
  tfile file{open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (file.fd < 0) return std::string("it cannot be read (") + std::strerror(errno) + ")";
  struct stat st {};
  if (fstat(file.fd, &st) != 0) return std::string("it cannot be read (") + std::strerror(errno) + ")";
  if (S_ISDIR(st.st_mode)) return "it is a folder";
  if (!S_ISREG(st.st_mode)) return "it is not a file";
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size > REPLAY_MOST_BYTES)
    return "it is " + std::to_string(size) + " bytes, more than the longest game needs (" +
           std::to_string(REPLAY_MOST_BYTES) + ")";
  uint8_t head[REPLAY_HEADER_SIZE];
  const size_t headSize = ReadUpTo(file.fd, head, sizeof head);
  treplay header;
  uint32_t count = 0;
  treplaystatus status = DecodeReplayHeader(head, headSize, header, count);
  if (status != REPLAY_OK) return ReplayRefusal(status);
  std::string fault = ReplayHeaderFault(header, count);
  if (!fault.empty()) return fault;
  if (size > ReplayMostBytes(count)) return "it is longer than its " + std::to_string(count) + " frames can be";
  // The rest, bounded by the size checked above however the file changes meanwhile.
  const size_t total = std::max<size_t>(size, headSize);
  std::vector<uint8_t> bytes(head, head + headSize);
  bytes.resize(total);
  bytes.resize(headSize + ReadUpTo(file.fd, bytes.data() + headSize, total - headSize));
  treplay read;
  status = DecodeReplay(bytes.data(), bytes.size(), read);
  if (status != REPLAY_OK && status != REPLAY_TRUNCATED) return ReplayRefusal(status);
  if (read.frames.empty()) return "it was cut short before its first whole block of frames";
  cut = status == REPLAY_TRUNCATED;
  replay = std::move(read);
  return "";
}
}  // namespace

bool LoadReplay(const std::string &path, treplay &replay, std::string &why) {
  bool cut = false;
  const std::string fault = Load(path, replay, cut);
  const std::string named = "the replay \"" + PrintableText(path) + "\"";
  if (!fault.empty()) {
    why = named + " cannot be played: " + fault;
    return false;
  }
  why = cut ? named + " was cut short: its first " + std::to_string(replay.frames.size()) + " frames play" : "";
  return true;
}
