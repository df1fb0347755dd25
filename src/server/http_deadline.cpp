#include "server/http_deadline.h"

#include <sys/socket.h>

#include <chrono>
#include <cstring>

namespace {
// Past the limit the request's own handler answers 408 when the request is whole by then; the
// watchdog steps in a little later, for one that is not.
constexpr double GRACE_SECONDS = 2;
const char kLate[] =
    "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Type: application/json\r\n"
    "Cache-Control: no-store\r\nContent-Length: 37\r\n\r\n{\"error\":\"the request took too long\"}";
static_assert(sizeof "{\"error\":\"the request took too long\"}" - 1 == 37, "the length above");
}  // namespace

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void tdeadlines::Start(double seconds) {
  Stop();
  seconds_ = seconds;
  stopping_ = false;
  thread_ = std::thread(&tdeadlines::Watch, this);
}

void tdeadlines::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

tdeadline *tdeadlines::Add(int fd, double now) {
  auto *d = new tdeadline;
  d->fd = fd;
  d->since = now;
  std::lock_guard<std::mutex> hold(mutex_);
  open_.insert(d);
  return d;
}

void tdeadlines::Remove(tdeadline *d) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    open_.erase(d);
  }
  delete d;
}

void tdeadlines::Watch() {
  // Short relative sleeps rather than a timed wait on a condition: a clock made to run at another
  // pace (the slow-client tests) scales a sleep alike, and stopping takes a quarter second at most.
  while (!stopping_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    std::lock_guard<std::mutex> hold(mutex_);
    const double now = SteadySeconds();
    for (tdeadline *d : open_) {
      if (d->cut || d->answering || now - d->since <= seconds_ + GRACE_SECONDS || d->fd < 0) continue;
      if (d->warnedAt == 0) {
        // Nothing is being written to a socket still receiving, so these bytes go out whole; the
        // client gets a second to read them before its socket is shut for reading too.
        (void)!send(d->fd, kLate, sizeof kLate - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        shutdown(d->fd, SHUT_WR);
        d->warnedAt = now;
      } else if (now - d->warnedAt >= 1) {
        shutdown(d->fd, SHUT_RDWR);
        d->cut = true;
      }
    }
  }
}
