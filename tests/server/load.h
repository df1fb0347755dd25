// Load on a running server from many client threads, and what it must leave behind.
#pragma once
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "server/replays.h"

// The server's command line for load: rates raised, connections from one address enough for
// every client, two verifiers.
std::vector<std::string> LoadServerOptions();
// `count` short games of their own seeds (made once in this thread, before the clients start).
std::vector<tplayedgame> LoadGames(size_t count, uint32_t firstSeed = 1000);

struct tloadresult {
  std::set<std::string> acknowledged;  // ids answered 202
  size_t unanswered = 0;               // submissions with no HTTP answer at all
  size_t unavailable = 0;              // answered 503: the database was away
  size_t refused = 0;                  // answered anything else but 202
  size_t readsFailed = 0;              // pages not answered 200
  std::string firstProblem;
};
// `clients` threads share the games (client c sends games c, c + clients, ...) under a name each,
// and read `pages` pages between them (boards at several offsets, games, the daily seed).
// `acknowledged`, when set, is called (from the client's thread) with the count so far after each 202.
tloadresult RunLoad(const std::string &baseUrl, const std::vector<tplayedgame> &games, int clients, int pages,
                    const std::function<void(size_t)> &acknowledged = nullptr);
// Waits (up to a deadline) until at most `most` games are pending: true when it came to that.
bool WaitQueueAtMost(const std::string &baseUrl, double most = 0);
// Every id verified and on the survivors board exactly once, on a board of `total` entries.
void ExpectEachOnceOnBoard(const std::string &baseUrl, const std::set<std::string> &ids, size_t total);
// After a kill: every id is stored (none lost), and each is on the survivors board exactly once
// or still pending, at most `pendingAtMost` of them (those the killed server's verifiers had
// claimed wait for their lease to run out).
void ExpectNoneLostNoneTwice(const std::string &baseUrl, const std::set<std::string> &ids, size_t pendingAtMost);
// The client's name for thread `c`.
std::string ClientName(int c);
