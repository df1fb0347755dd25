#include "server/load.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "server/server_fixture.h"

std::vector<std::string> LoadServerOptions() {
  std::vector<std::string> o = RaisedRates();
  for (const char *a : {"--per-ip-connections", "200", "--workers", "2"}) o.push_back(a);
  return o;
}

std::vector<tplayedgame> LoadGames(size_t count, uint32_t firstSeed) {
  std::vector<tplayedgame> games;
  for (size_t i = 0; i < count; ++i)
    games.push_back(PlayScriptedGame(firstSeed + static_cast<uint32_t>(i), 100 + static_cast<int>(i % 97)));
  return games;
}

std::string ClientName(int c) { return "client " + std::to_string(c); }

tloadresult RunLoad(const std::string &baseUrl, const std::vector<tplayedgame> &games, int clients, int pages,
                    const std::function<void(size_t)> &acknowledged) {
  tloadresult result;
  std::mutex lock;
  const auto problem = [&](const std::string &what) {
    if (result.firstProblem.empty()) result.firstProblem = what;
  };
  // The pages a client reads: boards at several offsets, a game of its own, the daily seed.
  const auto page = [&](int c, int n, const std::string &someId) {
    static const char *const boards[] = {"survivors", "rescue", "horde", "slayer", "daily"};
    switch (n % 4) {
      case 0: return "/v1/games/" + someId;
      case 1: return std::string("/v1/daily");
      default:
        return std::string("/v1/boards/") + boards[(n / 4) % 5] + "?offset=" + std::to_string((c * 7 + n) % 200) +
               "&limit=" + std::to_string(1 + n % 100);
    }
  };
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      std::vector<size_t> mine;
      for (size_t i = c; i < games.size(); i += clients) mine.push_back(i);
      const int reads = pages / clients + (c < pages % clients ? 1 : 0);
      // Submissions and reads interleaved, the reads spread between the submissions.
      size_t sent = 0;
      std::string lastId = games[mine.empty() ? 0 : mine[0]].id;
      for (int r = 0; r <= reads; ++r) {
        while (sent < mine.size() && sent * reads <= static_cast<size_t>(r) * mine.size()) {
          const tplayedgame &g = games[mine[sent++]];
          const thttpreply reply = Submit(baseUrl, SubmissionOf(g, ClientName(c)));
          std::lock_guard<std::mutex> hold(lock);
          if (reply.status == 202 && reply.Json().value("id", "") == g.id) {
            result.acknowledged.insert(g.id);
            lastId = g.id;
            if (acknowledged) acknowledged(result.acknowledged.size());
          } else if (reply.status == 503) {
            ++result.unavailable;
          } else if (reply.status == 0) {
            ++result.unanswered;
            problem("no answer to a submission: " + reply.error);
          } else {
            ++result.refused;
            problem("a submission answered " + std::to_string(reply.status) + ": " + reply.body);
          }
        }
        if (r == reads) break;
        const thttpreply reply = HttpGet(baseUrl + page(c, r, lastId));
        if (reply.status != 200 || !reply.Json().is_object()) {
          std::lock_guard<std::mutex> hold(lock);
          ++result.readsFailed;
          problem("a page answered " + std::to_string(reply.status) + " " + reply.error + ": " + reply.body);
        }
      }
    });
  }
  for (std::thread &t : threads) t.join();
  return result;
}

bool WaitQueueAtMost(const std::string &baseUrl, double most) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (std::chrono::steady_clock::now() < deadline) {
    const double depth = Metric(baseUrl, "redsiege_queue_depth");
    if (depth >= 0 && depth <= most) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

namespace {
// How often each game is on the survivors board, and the board's total.
std::map<std::string, int> SurvivorsBoard(const std::string &baseUrl, int64_t &total) {
  std::map<std::string, int> seen;
  for (size_t offset = 0;; offset += 100) {
    const nlohmann::json page =
        HttpGet(baseUrl + "/v1/boards/survivors?limit=100&offset=" + std::to_string(offset)).Json();
    if (!page.is_object() || !page["entries"].is_array()) {
      ADD_FAILURE() << "the survivors board: " << page.dump();
      break;
    }
    total = page["total"];
    for (const nlohmann::json &e : page["entries"]) ++seen[e["game"].get<std::string>()];
    if (page["entries"].size() < 100) break;
  }
  return seen;
}
}  // namespace

void ExpectEachOnceOnBoard(const std::string &baseUrl, const std::set<std::string> &ids, size_t total) {
  int64_t boardTotal = -1;
  const std::map<std::string, int> seen = SurvivorsBoard(baseUrl, boardTotal);
  EXPECT_EQ(boardTotal, static_cast<int64_t>(total));
  size_t missing = 0, twice = 0;
  for (const std::string &id : ids) missing += seen.count(id) == 0;
  for (const auto &[id, n] : seen) twice += n > 1;
  EXPECT_EQ(missing, 0u) << "acknowledged games not on the board";
  EXPECT_EQ(twice, 0u) << "games on the board more than once";
  EXPECT_EQ(seen.size(), total);
}

void ExpectNoneLostNoneTwice(const std::string &baseUrl, const std::set<std::string> &ids, size_t pendingAtMost) {
  // The states first, then the board: a game verified in between is both, never neither.
  std::set<std::string> pending;
  size_t lost = 0;
  for (const std::string &id : ids) {
    const thttpreply r = HttpGet(baseUrl + "/v1/games/" + id);
    if (r.status != 200) ++lost;
    if (r.Json().is_object() && r.Json()["status"] == "pending") pending.insert(id);
  }
  EXPECT_EQ(lost, 0u) << "acknowledged games lost";
  EXPECT_LE(pending.size(), pendingAtMost);
  int64_t total = -1;
  const std::map<std::string, int> seen = SurvivorsBoard(baseUrl, total);
  size_t missing = 0, twice = 0, strangers = 0;
  for (const std::string &id : ids) missing += seen.count(id) == 0 && pending.count(id) == 0;
  for (const auto &[id, n] : seen) twice += n > 1, strangers += ids.count(id) == 0;
  EXPECT_EQ(missing, 0u) << "verified games not on the board";
  EXPECT_EQ(twice, 0u) << "games on the board more than once";
  EXPECT_EQ(strangers, 0u) << "games on the board nobody sent";
  EXPECT_EQ(total, static_cast<int64_t>(seen.size()));
}
