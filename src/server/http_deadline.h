// The time a client has to send a request, headers and body together, kept even for a client that
// sends a byte now and then (which an idle timeout never catches) so it cannot hold one of the
// server's connections for ever. libmicrohttpd sees nothing of a request before its headers are
// in, so a watchdog thread answers those that run late itself: a 408 written to the socket, then
// the socket shut, which the HTTP library notices and closes as any other ended connection.
#pragma once
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

struct tdeadline {
  int fd = -1;
  std::atomic<double> since{0};        // when the request now arriving began (steady seconds)
  std::atomic<bool> answering{false};  // the handler has it, or its answer is going out
  double warnedAt = 0;                 // when the watchdog sent its 408
  bool cut = false;                    // and when it shut the socket
};

class tdeadlines {
 public:
  ~tdeadlines() { Stop(); }
  // Watches every connection added from now on; those still receiving past `seconds` are cut.
  void Start(double seconds);
  void Stop();
  tdeadline *Add(int fd, double now);
  // Before the connection's socket is closed, so the watchdog never touches a reused descriptor.
  void Remove(tdeadline *d);

 private:
  void Watch();
  std::mutex mutex_;
  std::set<tdeadline *> open_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  double seconds_ = 30;
};

double SteadySeconds();
