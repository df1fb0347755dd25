// The HTTP side: carries bytes between the network and HandleRequest, and keeps the limits a
// hostile or merely slow client meets before the handler sees anything.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "server/api.h"

struct thttpconfig {
  std::string address = "127.0.0.1";  // IPv4, or IPv6 without brackets
  uint16_t port = 8080;               // 0 picks a free one
  unsigned threads = 4;               // the pool answering requests
  unsigned maxConnections = 1000;
  unsigned perAddressConnections = 32;
  unsigned idleSeconds = 15;               // a connection quiet this long is closed
  unsigned requestSeconds = 30;            // headers and body within this, or 408
  size_t maxBody = 0;                      // 413 above it
  size_t maxBuffered = size_t(256) << 20;  // request bodies held at once, all clients together
};

// "ADDR:PORT" (IPv4 or [IPv6]) into the config; false for anything else.
bool ParseListenAddress(const std::string &text, thttpconfig &config);

class thttpserver {
 public:
  using thandler = std::function<tresponse(const trequest &)>;
  ~thttpserver() { Stop(); }
  // Listens and answers on its own threads. False with one line in `why` when it cannot.
  bool Start(const thttpconfig &config, thandler handler, std::string &why);
  uint16_t Port() const { return port_; }
  // Stops taking connections, finishes those in hand, and returns.
  void Stop();

  struct tstate;

 private:
  struct MHD_Daemon *daemon_ = nullptr;
  tstate *state_ = nullptr;
  uint16_t port_ = 0;
};
