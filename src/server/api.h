// The score server's HTTP API as plain values: a request in, a response out, with no network, so
// the handler is tested and fuzzed alone. The HTTP library only carries bytes to and from it.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "server/ratelimit.h"
#include "server/store.h"

struct trequest {
  std::string method;                          // "GET", "POST", ...
  std::string path;                            // without the query, as sent (percent-escapes undecoded)
  std::string query;                           // after '?', "" when none
  std::map<std::string, std::string> headers;  // names in lower case
  std::vector<uint8_t> body;
  std::string peer;  // the client's address, for rate limits only (never stored)
  int64_t now = 0;   // unix seconds when the request arrived
};

struct tresponse {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
  std::map<std::string, std::string> headers;  // extra ones (Retry-After, Cache-Control, ...)
};

// Counters for /metrics; atomics, bumped by handler and verifiers alike.
struct tmetrics {
  std::atomic<int64_t> submissions{0}, verifications{0}, requests{0};
  std::atomic<int64_t> verifyMicros{0};  // CPU time spent verifying
  // Refusals by reason code (verification's and the API's 4xx), guarded by its own lock.
  void CountRefusal(const std::string &reason);
  std::map<std::string, int64_t> Refusals() const;

 private:
  mutable std::atomic_flag lock = ATOMIC_FLAG_INIT;
  std::map<std::string, int64_t> refusals;
};

// What the handler works with. The verifiers are woken through `wake` after a submission.
struct tservice {
  tstore *store = nullptr;
  tmetrics *metrics = nullptr;
  std::string secret;         // the store's Secret(), read once at start
  uint64_t dataChecksum = 0;  // GameDataChecksum() of the data the verifiers play with
  std::function<void()> wake;
  // Limits, settable from the command line (tests raise the rates for their load).
  double submitsPerMinute = 30, readsPerMinute = 600;
  int64_t dailyMarginSeconds = 120;
  // Per address, in memory only: submissions and deletions, and everything else.
  tratelimiter submitLimiter, readLimiter;
};

// Answers one request. Never throws: a store failure becomes 503, a bad request 4xx with
// {"error": "one line"}. Nothing is stored for a request it refuses.
tresponse HandleRequest(const trequest &request, tservice &service);
