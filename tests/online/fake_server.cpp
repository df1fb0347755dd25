#include "online/fake_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "server/rig.h"

namespace {
// Waits up to a tenth of a second for `fd` to be readable.
bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 100) > 0;
}
}  // namespace

tfakeserver::tfakeserver(std::string reply, bool hold)
    : reply_(std::move(reply)), hold_(hold), listener_(Listen(port_)), thread_([this] { Serve(); }) {}

tfakeserver::~tfakeserver() {
  stop_ = true;
  thread_.join();
  if (listener_ >= 0) close(listener_);
}

void tfakeserver::Serve() {
  while (!stop_) {
    if (listener_ < 0 || !Readable(listener_)) continue;
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    // The request's head and its body (by Content-Length), so the client has sent all it meant to.
    std::string request;
    for (size_t want = std::string::npos; !stop_ && request.size() < want;) {
      if (!Readable(fd)) continue;
      char buffer[65536];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
      const size_t end = request.find("\r\n\r\n"), length = request.find("Content-Length: ");
      if (end != std::string::npos)
        want = end + 4 + (length < end ? std::strtoul(request.c_str() + length + 16, nullptr, 10) : 0);
    }
    ++requests_;
    while (hold_ && !released_ && !stop_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (size_t sent = 0; !stop_ && sent < reply_.size();) {
      const ssize_t n = send(fd, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;  // the client went away (a cap reached)
      sent += static_cast<size_t>(n);
    }
    close(fd);
  }
}
