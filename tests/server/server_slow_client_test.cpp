// Hostile clients on raw sockets: slow headers, a body sent slowly, a client that goes quiet, a
// body announced huge. Each is cut off in bounded time while everyone else is served. The server's
// request and idle limits are lowered to seconds, so the test takes a few.
#include <gtest/gtest.h>

#include <future>

#include "server/rig.h"

namespace {
using std::chrono::milliseconds;

const std::string kHead =
    "POST /v1/games HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-redsiege-replay\r\n";

std::vector<std::string> Trickle(const std::string &first, const std::string &byte, int count) {
  std::vector<std::string> parts = {first};
  parts.insert(parts.end(), count, byte);
  return parts;
}
}  // namespace

TEST(ServerSlowClients, CutInBoundedTimeWhileOthersAreServed) {
  tserver s(SQLITE, {"--request-timeout", "2", "--idle-timeout", "1"});
  ASSERT_TRUE(s.Start()) << s.Log();
  const int port = s.port();
  struct tcase {
    const char *what;
    std::vector<std::string> parts;
    milliseconds pause;
    int status;  // the answer expected; 0: the connection closed, with a 408 or none
  };
  // 120 parts 100 ms apart: twelve seconds, six times the time a request has.
  const tcase cases[] = {
      {"headers sent a byte at a time", Trickle("GET /v1/daily HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ", "a", 120),
       milliseconds(100), 0},
      {"a body sent a byte at a time", Trickle(kHead + "Content-Length: 100000\r\n\r\n", "x", 120), milliseconds(100),
       0},
      {"a client gone quiet mid-headers", {"GET /v1/daily HTTP/1.1\r\nHost: 1"}, milliseconds(0), 0},
      {"a body announced at a terabyte", {kHead + "Content-Length: 1000000000000\r\n\r\n"}, milliseconds(0), 413},
  };
  std::vector<std::future<trawreply>> hostile;
  for (const tcase &c : cases)
    hostile.push_back(std::async(std::launch::async,
                                 [&c, port] { return RawExchange(port, c.parts, c.pause, milliseconds(15000)); }));
  // Everyone else is answered meanwhile.
  int answered = 0;
  for (int i = 0; i < 40; ++i) answered += HttpGet(s.Url("/v1/boards/survivors")).status == 200;
  EXPECT_EQ(answered, 40);
  for (size_t i = 0; i < hostile.size(); ++i) {
    const trawreply r = hostile[i].get();
    const tcase &c = cases[i];
    EXPECT_TRUE(r.closed) << c.what << ": still open";
    EXPECT_TRUE(r.cut || c.parts.size() == 1) << c.what << ": sent to its end without being cut";
    EXPECT_EQ(r.Status(), c.status == 0 && r.Status() == 408 ? 408 : c.status) << c.what << ": " << r.text;
  }
  EXPECT_EQ(s.Stop(), 0) << s.Log();
}
