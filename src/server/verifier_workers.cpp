// The worker threads: each claims a pending game from the store, plays it in a child and records
// the verdict. Several servers on one database share the work through the claims' leases.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>

#include "persist/replay.h"
#include "server/api.h"
#include "server/verifier_child.h"

namespace {

struct tworkers {
  std::mutex mutex;
  std::condition_variable bell;
  uint64_t rings = 0;  // WakeVerifiers calls so far
  std::atomic<bool> stopping{false};
  std::vector<std::thread> threads;
};
tworkers *Workers = nullptr;
std::mutex WorkersLock;  // guards the pointer across Start and Stop

// Waits for the stop, a wake-up since `seen` (when given), or `seconds`, whichever comes first.
void Nap(tworkers &w, double seconds, uint64_t *seen) {
  std::unique_lock<std::mutex> lock(w.mutex);
  w.bell.wait_for(lock, std::chrono::duration<double>(seconds),
                  [&] { return w.stopping.load() || (seen && w.rings != *seen); });
  if (seen) *seen = w.rings;
}

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

// A store call retried, backing off, while the database is away; false once stopping.
template <typename F>
bool Retrying(tworkers &w, const char *what, F call) {
  double wait = 1;
  for (;;) {
    try {
      call();
      return true;
    } catch (const std::exception &e) {
      std::fprintf(stderr, "redsiege-server: %s: %s (trying again in %g s)\n", what, e.what(), wait);
    }
    if (w.stopping) return false;
    Nap(w, wait, nullptr);  // submissions do not bring the database back sooner
    if (w.stopping) return false;
    wait = std::min(wait * 2, 30.0);
  }
}

void Work(tworkers &w, tstore &store, tmetrics &metrics, const tverifyconfig &config, int64_t margin) {
  // Held long enough for the longest game a replay holds; after that another worker may take it.
  const int64_t lease = static_cast<int64_t>(std::max(300.0, WallBudget(config, REPLAY_MOST_FRAMES) + 60));
  uint64_t seen = 0;
  while (!w.stopping) {
    tclaim claim;
    bool claimed = false;
    if (!Retrying(w, "cannot claim a game", [&] { claimed = store.ClaimPending(Now(), lease, claim); })) break;
    if (!claimed) {
      Nap(w, 1, &seen);  // other servers' games and expired leases come without a wake-up
      continue;
    }
    bool abandoned = false;
    const tgameverdict verdict = VerifyInChildUnless(config, claim.replay, claim.claimed, &w.stopping, &abandoned);
    if (abandoned) {
      // Stopping: the game goes back at once, so a restart (or another server) plays it without
      // waiting out the lease. The verifier cannot run: it stays pending, taken again when its
      // lease runs out.
      if (w.stopping) {
        try {
          store.ReleaseClaim(claim.id);
        } catch (const std::exception &e) {
          std::fprintf(stderr, "redsiege-server: game %s waits for its lease: %s\n", claim.id.c_str(), e.what());
        }
        break;
      }
      std::fprintf(stderr, "redsiege-server: game %s stays pending: %s\n", claim.id.c_str(), verdict.reason.c_str());
      Nap(w, 5, nullptr);
      continue;
    }
    const bool inTime = !claim.dailyDate.empty() && claim.dailyTokenAt <= claim.submittedAt &&
                        verdict.gameSeconds <= static_cast<double>(claim.submittedAt - claim.dailyTokenAt + margin);
    if (!Retrying(w, "cannot record a verdict", [&] { store.FinishGame(claim.id, verdict, inTime); })) break;
    metrics.verifications += 1;
    metrics.verifyMicros += static_cast<int64_t>(verdict.verifySeconds * 1e6);
    if (verdict.status == GAME_REFUSED) metrics.CountRefusal(verdict.refusal);
  }
}

}  // namespace

void StartVerifiers(tstore &store, tmetrics &metrics, const tverifyconfig &config, int workers,
                    int64_t dailyMarginSeconds) {
  std::lock_guard<std::mutex> guard(WorkersLock);
  if (Workers) return;
  Workers = new tworkers;
  for (int i = 0; i < std::max(workers, 1); ++i)
    Workers->threads.emplace_back(Work, std::ref(*Workers), std::ref(store), std::ref(metrics), config,
                                  dailyMarginSeconds);
}

void WakeVerifiers() {
  std::lock_guard<std::mutex> guard(WorkersLock);
  if (!Workers) return;
  {
    std::lock_guard<std::mutex> lock(Workers->mutex);
    ++Workers->rings;
  }
  Workers->bell.notify_one();
}

void StopVerifiers() {
  std::lock_guard<std::mutex> guard(WorkersLock);
  if (!Workers) return;
  {
    std::lock_guard<std::mutex> lock(Workers->mutex);
    Workers->stopping = true;
  }
  Workers->bell.notify_all();
  for (std::thread &t : Workers->threads) t.join();
  delete Workers;
  Workers = nullptr;
}
