// The server's parts alone: replays played in the sealed child and judged, the workers that verify
// what is submitted, the daily game's seeds and tokens, and the per-address rate limit where the
// process tests cannot reach cheaply (other addresses, time passing, a memory bound however many
// addresses come; the 429 itself is tested on the running server).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>

#include "server/api.h"
#include "server/daily.h"
#include "server/ratelimit.h"
#include "server/rig.h"
#include "server/verifier.h"
#include "server/verifier_child.h"

namespace {

using json = nlohmann::json;

// What redsiege-verify prints for a replay file, unsealed: the end the child must report.
json Played(const std::string &path) {
  std::string out;
  RunProgram({REDSIEGE_VERIFY, "--data", REDSIEGE_DATA_DIR, path}, out);
  return json::parse(out, nullptr, false);
}

const tverifyconfig kConfig{REDSIEGE_VERIFY, REDSIEGE_DATA_DIR};

}  // namespace

// Each way a replay can go, played in the child: verified with the scores it plays to, or
// refused with its code.
TEST(Verifier, JudgesEachReplay) {
  const tplayedgame game = GoldenGame("rescue");
  const std::vector<uint8_t> &rescue = game.bytes;
  const tgamescores &scores = game.scores;
  const json line = Played(GoldenPath("rescue"));
  std::vector<uint8_t> damaged = rescue;
  damaged[2000] ^= 0x10;
  tgamescores survive = scores, slayer = scores;
  survive.survive += 1;
  slayer.slayer -= 1;
  tverifyconfig fast = kConfig, missing = kConfig, echo = kConfig;
  fast.cpuSecondsBase = 0;  // a rate no machine plays at: the budget runs out within the game
  fast.framesPerCpuSecond = 1e9;
  missing.program = "/nonexistent/redsiege-verify";
  echo.program = "/bin/echo";  // exits 0 with a line that is no verdict
  const struct {
    const char *name;
    std::vector<uint8_t> bytes;
    tgamescores claimed;
    tverifyconfig config;
    const char *refusal;  // "" for verified
  } cases[] = {
      {"good", rescue, scores, kConfig, ""},
      {"survive claimed one more", rescue, survive, kConfig, "claimed scores differ"},
      {"slayer claimed one fewer", rescue, slayer, kConfig, "claimed scores differ"},
      {"a frame's byte changed", damaged, scores, kConfig, "damaged"},
      {"not a replay", {'h', 'e', 'l', 'l', 'o'}, scores, kConfig, "damaged"},
      {"cut short", std::vector<uint8_t>(rescue.begin(), rescue.begin() + 4000), scores, kConfig, "cut short"},
      {"other rules", Rewritten(rescue, [](treplay &r) { r.rulesVersion += 1; }), scores, kConfig, "other rules"},
      {"other data", Rewritten(rescue, [](treplay &r) { r.dataChecksum ^= 1; }), scores, kConfig, "other data"},
      {"over its CPU budget", rescue, scores, fast, "too long"},
      {"no verifier", rescue, scores, missing, "verifier failed"},
      {"a verifier that prints no verdict", rescue, scores, echo, "verifier failed"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    // A verifier that cannot run at all is the server's fault: the worker leaves the game pending.
    bool abandoned = false;
    const tgameverdict v = VerifyInChildUnless(c.config, c.bytes, c.claimed, nullptr, &abandoned);
    EXPECT_EQ(v.status, *c.refusal ? GAME_REFUSED : GAME_VERIFIED) << v.reason;
    EXPECT_EQ(v.refusal, c.refusal) << v.reason;
    EXPECT_EQ(v.reason.empty(), !*c.refusal);
    EXPECT_EQ(abandoned, c.config.program == missing.program);
    if (*c.refusal) continue;
    EXPECT_EQ(ClaimedScores(v.scores), ClaimedScores(scores));
    EXPECT_TRUE(v.won);
    EXPECT_EQ(v.ended, "rescued");
    EXPECT_EQ(v.day, line["day"].get<int>());
    EXPECT_EQ(v.frames, line["frames"].get<uint32_t>());
    EXPECT_EQ(v.gameSeconds, line["seconds"].get<double>());
    EXPECT_GT(v.verifySeconds, 0);
  }
}

// Sealed, the child can open no file, make no socket and start no process, though the file
// opens before (the probe runs only after the real sandbox is entered).
TEST(Verifier, SealedChildOpensNothing) {
  const std::string file = GoldenPath("lost");
  ASSERT_EQ(access(file.c_str(), R_OK), 0);
  // The replay on standard input, as the server hands it over.
  std::string out;
  RunProgram({"/bin/sh", "-c", std::string("exec \"$0\" --sandbox --probe-sandbox \"$1\" --data \"$2\" - < \"$1\""),
              REDSIEGE_VERIFY, file, REDSIEGE_DATA_DIR},
             out);
  EXPECT_EQ(out, "{\"open\":" + std::to_string(EPERM) + ",\"socket\":" + std::to_string(EPERM) +
                     ",\"fork\":" + std::to_string(EPERM) + "}\n");
}

// The workers take what is submitted to a store and record the verdict; a daily game counts only
// when its game time fits in the time since its token, so a slowed clock gives nothing.
TEST(Verifier, WorkersCountADailyGameOnlyInTime) {
  ttempdir dir;
  std::unique_ptr<tstore> store = OpenSqliteStore(dir.path);
  const int64_t now = 1796774000;
  const struct {
    const char *golden;
    int late;  // seconds
    bool counted;
    tplayedgame game;
  } cases[] = {{"night", 0, true, GoldenGame("night")}, {"lost", 1, false, GoldenGame("lost")}};
  for (const auto &[golden, late, counted, game] : cases) {
    const json played = Played(GoldenPath(golden));
    tnewgame g = NewGameOf(game, golden, now);
    g.dailyDate = UtcDate(now);
    g.dailyTokenAt = now + late - static_cast<int64_t>(std::ceil(played["seconds"].get<double>()));
    std::string existing;
    ASSERT_EQ(store->InsertGame(g, existing), INSERTED);
  }
  tmetrics metrics;
  StartVerifiers(*store, metrics, kConfig, 2, 0);
  WakeVerifiers();
  for (int wait = 0; wait < 600 && store->PendingCount() > 0; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  StopVerifiers();
  for (const auto &[golden, late, counted, game] : cases) {
    tgamerow row;
    ASSERT_TRUE(store->GetGame(game.id, row));
    EXPECT_EQ(row.status, GAME_VERIFIED) << golden << ": " << row.reason;
    EXPECT_EQ(row.dailyCounted, counted) << golden;
  }
  EXPECT_EQ(metrics.verifications.load(), 2);
  EXPECT_GT(metrics.verifyMicros.load(), 0);
}

TEST(Daily, TokensRoundTripAndForgeriesAreRefused) {
  const std::string secret = RandomSecret(), date = UtcDate(1796774399);
  EXPECT_EQ(date, "2026-12-08");
  const std::string token = DailyToken(secret, date, 1796774000);
  std::string read;
  int64_t at = 0;
  ASSERT_TRUE(ReadDailyToken(secret, token, read, at));
  EXPECT_EQ(read, date);
  EXPECT_EQ(at, 1796774000);
  for (char c : token) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("-_.", c)) << token;

  std::string otherMac = token;
  otherMac.back() = otherMac.back() == 'A' ? 'B' : 'A';
  const std::string forged[] = {
      "",
      token.substr(0, token.size() - 1),
      token + "A",
      otherMac,
      "2026-12-09" + token.substr(10),                        // another day under the same MAC
      token.substr(0, 11) + "1796774001" + token.substr(21),  // another issue time
      DailyToken(RandomSecret(), date, 1796774000),           // another server's
      DailyToken(secret, "2026-13-01", 1796774000),           // signed, but no date
      DailyToken(secret, date, 1796774000) + "." + "x",
  };
  for (const std::string &t : forged) {
    SCOPED_TRACE(t);
    EXPECT_FALSE(ReadDailyToken(secret, t, read, at));
  }
}

TEST(Daily, SeedsDifferByDayAndSecretAndDatesAreUtc) {
  const std::string a = RandomSecret(), b = RandomSecret();
  EXPECT_NE(DailySeed(a, "2026-12-08"), DailySeed(a, "2026-12-09"));
  EXPECT_NE(DailySeed(a, "2026-12-08"), DailySeed(b, "2026-12-08"));
  const std::pair<int64_t, const char *> days[] = {
      {0, "1970-01-01"}, {946684799, "1999-12-31"}, {946684800, "2000-01-01"}, {1709164800, "2024-02-29"}};
  for (const auto &[at, date] : days) EXPECT_EQ(UtcDate(at), date);
  EXPECT_EQ(Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

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
