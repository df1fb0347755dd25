// Requests a minute per client address, as token buckets kept in memory only: an address is never
// written anywhere, and the map forgets the least recently seen once it holds `most` of them.
#pragma once
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

class tratelimiter {
 public:
  explicit tratelimiter(size_t most = 65536) : most_(most) {}
  // Takes one token from `address`'s bucket (a minute's worth when full). False when it is empty,
  // with the whole seconds until the next token in `retryAfter`.
  bool Take(const std::string &address, int64_t now, double perMinute, int64_t &retryAfter);
  size_t Size() const;

 private:
  struct tbucket {
    double tokens;
    int64_t last;
    std::list<std::string>::iterator age;  // where it stands in `order_`
  };
  mutable std::mutex mutex_;
  size_t most_;
  std::list<std::string> order_;  // most recently seen first
  std::unordered_map<std::string, tbucket> buckets_;
};
