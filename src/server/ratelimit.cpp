#include "server/ratelimit.h"

#include <algorithm>
#include <cmath>

bool tratelimiter::Take(const std::string &address, int64_t now, double perMinute, int64_t &retryAfter) {
  retryAfter = 0;
  if (!(perMinute > 0)) return true;  // no limit set
  const double capacity = std::max(1.0, perMinute);
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = buckets_.find(address);
  if (it == buckets_.end()) {
    if (buckets_.size() >= most_ && !order_.empty()) {
      buckets_.erase(order_.back());
      order_.pop_back();
    }
    order_.push_front(address);
    it = buckets_.emplace(address, tbucket{capacity, now, order_.begin()}).first;
  } else {
    order_.splice(order_.begin(), order_, it->second.age);
    // A clock that steps back refills nothing.
    const double elapsed = static_cast<double>(std::max<int64_t>(0, now - it->second.last));
    it->second.tokens = std::min(capacity, it->second.tokens + elapsed * perMinute / 60);
    it->second.last = std::max(it->second.last, now);
  }
  tbucket &b = it->second;
  if (b.tokens >= 1) {
    b.tokens -= 1;
    return true;
  }
  retryAfter = std::max<int64_t>(1, static_cast<int64_t>(std::ceil((1 - b.tokens) * 60 / perMinute)));
  return false;
}

size_t tratelimiter::Size() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return buckets_.size();
}
