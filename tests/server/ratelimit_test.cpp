// The per-address rate limit, where the process tests cannot reach cheaply: other addresses, time
// passing, and a memory bound however many addresses come (the 429 itself is tested on the
// running server).
#include <gtest/gtest.h>

#include "server/ratelimit.h"

TEST(RateLimit, EachAddressHasItsMinutesWorthAndItComesBack) {
  tratelimiter limiter;
  int64_t retry = -1;
  const struct {
    const char *address;
    int64_t now;
    bool taken;
    int64_t retryAfter;
  } steps[] = {
      {"a", 100, true, 0}, {"a", 100, true, 0},   {"a", 100, false, 30}, {"b", 100, true, 0}, {"a", 115, false, 15},
      {"a", 130, true, 0}, {"a", 130, false, 30}, {"a", 90, false, 30},   // a clock stepping back gives nothing
      {"a", 250, true, 0}, {"a", 250, true, 0},   {"a", 250, false, 30},  // full at two, not more
  };
  for (const auto &s : steps) {
    EXPECT_EQ(limiter.Take(s.address, s.now, 2, retry), s.taken) << s.address << " at " << s.now;
    EXPECT_EQ(retry, s.retryAfter) << s.address << " at " << s.now;
  }
  tratelimiter small(2);
  for (const char *address : {"a", "b", "c"}) small.Take(address, 0, 1, retry);
  EXPECT_EQ(small.Size(), 2u);
  EXPECT_TRUE(small.Take("a", 0, 1, retry));  // the oldest forgotten, so full again
  EXPECT_FALSE(small.Take("c", 0, 1, retry));
}
