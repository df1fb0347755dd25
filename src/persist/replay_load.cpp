// A replay read with its size bounded before anything is reserved: the header first, then the
// frames once the file's size fits them. A stream (standard input, a pipe) has no size to check
// first: it is read no further than the bytes its header's frames can take.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/files.h"
#include "persist/replay.h"

namespace {
// Appends up to `size` bytes read at the descriptor's current place; fewer when it ends first.
// A stream's buffer grows with what arrives, so a header's claim reserves nothing.
void ReadUpTo(int fd, std::vector<uint8_t> &to, size_t size) {
  const size_t start = to.size();
  size_t got = 0;
  while (got < size) {
    to.resize(start + got + std::min<size_t>(size - got, 1 << 16));
    const ssize_t n = read(fd, to.data() + start + got, to.size() - start - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {  // a non-blocking stream: wait for its writer
      pollfd wait{fd, POLLIN, 0};
      if (poll(&wait, 1, -1) >= 0 || errno == EINTR) continue;
    }
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  to.resize(start + got);
}

struct tfile {
  int fd;
  ~tfile() {
    if (fd >= 0) close(fd);
  }
};

std::string Unreadable() { return std::string("it cannot be read (") + std::strerror(errno) + ")"; }

// The reason the bytes at `fd` are refused, "" when `replay` was read; `status` says which kind
// of refusal (REPLAY_TRUNCATED for a file cut short, read or not). Only a regular file has a
// size to check before reading, so a stream is read when `stream` allows it.
std::string Load(int fd, bool stream, treplay &replay, treplaystatus &status) {
  status = REPLAY_NOT_A_REPLAY;
  struct stat st {};
  if (fstat(fd, &st) != 0) return Unreadable();
  if (S_ISDIR(st.st_mode)) return "it is a folder";
  const bool regular = S_ISREG(st.st_mode);
  if (!regular && !stream) return "it is not a file";
  const uint64_t size = regular ? static_cast<uint64_t>(st.st_size) : 0;
  status = REPLAY_DAMAGED;
  if (size > REPLAY_MOST_BYTES)
    return "it is " + std::to_string(size) + " bytes, more than the longest game needs (" +
           std::to_string(REPLAY_MOST_BYTES) + ")";
  std::vector<uint8_t> bytes;
  ReadUpTo(fd, bytes, REPLAY_HEADER_SIZE);
  treplay header;
  uint32_t count = 0;
  status = DecodeReplayHeader(bytes.data(), bytes.size(), header, count);
  if (status != REPLAY_OK) return ReplayRefusal(status);
  status = REPLAY_DAMAGED;
  std::string fault = ReplayHeaderFault(header, count);
  if (!fault.empty()) return fault;
  const uint64_t most = std::min(ReplayMostBytes(count), REPLAY_MOST_BYTES);
  const std::string tooLong = "it is longer than its " + std::to_string(count) + " frames can be";
  if (size > most) return tooLong;
  // The rest, bounded by the size checked above however the file changes meanwhile; a stream
  // one byte past its bound, to tell that it runs on.
  ReadUpTo(fd, bytes, regular ? std::max<size_t>(size, bytes.size()) - bytes.size() : most + 1 - bytes.size());
  if (bytes.size() > most) return tooLong;
  treplay read;
  status = DecodeReplay(bytes.data(), bytes.size(), read);
  if (status != REPLAY_OK && status != REPLAY_TRUNCATED) return ReplayRefusal(status);
  if (read.frames.empty()) return "it was cut short before its first whole block of frames";
  replay = std::move(read);
  return "";
}

bool Finish(const std::string &name, const std::string &fault, const treplay &replay, treplaystatus status,
            std::string &why) {
  const std::string named = "the replay \"" + PrintableText(name) + "\"";
  if (!fault.empty()) {
    why = named + " cannot be played: " + fault;
    return false;
  }
  why = status == REPLAY_TRUNCATED
            ? named + " was cut short: its first " + std::to_string(replay.frames.size()) + " frames play"
            : "";
  return true;
}
}  // namespace

bool LoadReplay(const std::string &path, treplay &replay, std::string &why, treplaystatus *status) {
  treplaystatus kind = REPLAY_NOT_A_REPLAY;
  // Non-blocking, so a fifo with no writer is refused rather than waited on.
  tfile file{open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  const std::string fault = file.fd < 0 ? Unreadable() : Load(file.fd, false, replay, kind);
  if (status) *status = kind;
  return Finish(path, fault, replay, kind, why);
}

bool ReadReplayStream(int fd, const std::string &name, treplay &replay, std::string &why, treplaystatus *status) {
  treplaystatus kind = REPLAY_NOT_A_REPLAY;
  const std::string fault = Load(fd, true, replay, kind);
  if (status) *status = kind;
  return Finish(name, fault, replay, kind, why);
}
