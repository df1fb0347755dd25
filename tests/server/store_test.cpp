// The score server's storage, the same cases on SQLite and on PostgreSQL (a throwaway cluster).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

#include "server/pg_cluster.h"
#include "server/rig.h"
#include "server/store.h"
#include "server/store_sql.h"

namespace {

// A replay's hash from its number: the store takes the hash as given.
std::string Sha(int replay) {
  char hex[65];
  std::snprintf(hex, sizeof hex, "%016x%016x%016x%016x", replay, replay * 7, replay * 13, replay * 31);
  return hex;
}
std::string Id(int replay) { return Sha(replay).substr(0, 16); }

// Game `replay`'s submission: its fields made from its number, a daily one's token 50 s old.
tnewgame Game(const std::string &name, const std::string &key, int replay, int64_t at,
              const std::string &dailyDate = "") {
  tnewgame g;
  g.id = Id(replay), g.replaySha256 = Sha(replay), g.name = name, g.keyHash = "hash-of-" + key;
  g.claimed = {replay * 1000, replay, replay * 100, replay * 2}, g.rules = 2, g.seed = 40000u + replay;
  g.frames = 600u + replay, g.submittedAt = at, g.dailyDate = dailyDate;
  g.dailyTokenAt = dailyDate.empty() ? 0 : at - 50;
  g.replay = {uint8_t('R'), uint8_t(replay), 0, 255, uint8_t(replay >> 8)};
  return g;
}

// status, refusal, reason, scores, won, day, game seconds, ended, frames, verifying seconds
tgameverdict Verified(tgamescores scores, bool won = false) {
  return {GAME_VERIFIED, "", "", scores, won, scores.survive / 1000, 123.25, won ? "rescued" : "died", 700, 0};
}
const tgameverdict kRefused = {
    GAME_REFUSED, "claimed scores differ", "the game played to other scores", {}, false, 0, 0, "", 0, 0};

using trank = std::pair<int64_t, int64_t>;

// A store on a fresh database (or folder), and what the cases share.
struct tdb {
  tpgcluster *cluster = nullptr;  // nullptr for SQLite
  std::string url, dir;
  std::unique_ptr<tstore> store;
  // Another server on the same database.
  std::unique_ptr<tstore> Open() { return dir.empty() ? OpenPostgresStore(url) : OpenSqliteStore(dir); }
  void Insert(const tnewgame &game) {
    std::string existing;
    ASSERT_EQ(store->InsertGame(game, existing), INSERTED) << game.name;
  }
  void Finish(int replay, int survive, bool inTime = false) {
    store->FinishGame(Id(replay), Verified({survive, 0, 0, 0}), inTime);
  }
  tgamerow Row(int replay) {
    tgamerow row;
    EXPECT_TRUE(store->GetGame(Id(replay), row)) << replay;
    return row;
  }
  // The game's rank on the board and the board's length; {0, 0} when it is not on it.
  trank Rank(tboard board, const std::string &id) {
    int64_t rank, total;
    store->RankOn(board, id, rank, total);
    return {rank, total};
  }
  // A fresh database for the servers a case starts itself (SQLite: a folder `sub` in the case's).
  void Fresh(const std::string &sub) {
    std::string why;
    if (cluster) url = cluster->NewDatabase(why);
    if (!cluster) dir += "/" + sub;
    ASSERT_FALSE(url.empty() && cluster) << why;
  }
  std::vector<std::string> Names(tboard board, const std::string &date = "") {
    std::vector<std::string> names;
    for (const tboardentry &e : store->Board(board, date, 0, 13).entries) names.push_back(e.name);
    return names;
  }
};

void InsertAnswersByNameKeyAndReplay(tdb &db) {
  struct {
    const char *name, *key;
    int replay;
    tinsertresult expect;
  } const cases[] = {
      {"Bob", "k1", 1, INSERTED},       {"Bob", "k1", 1, ALREADY_THERE}, {"bob", "k2", 2, NAME_TAKEN},
      {"Carol", "k2", 1, REPLAY_TAKEN}, {"BOB", "k1", 3, INSERTED},      {"carol", "k2", 4, INSERTED},
  };
  for (const auto &c : cases) {
    std::string existing;
    EXPECT_EQ(db.store->InsertGame(Game(c.name, c.key, c.replay, 100), existing), c.expect) << c.name << c.replay;
    EXPECT_EQ(existing, c.expect == ALREADY_THERE ? Id(c.replay) : "") << c.name << c.replay;
  }
  const tgamerow row = db.Row(3);
  EXPECT_EQ(row.name, "Bob");  // as the name was first written
  EXPECT_TRUE(row.status == GAME_PENDING && row.claimed.survive == 3000 && row.frames == 603u);
  tgamerow none;
  EXPECT_FALSE(db.store->GetGame(Id(2), none));  // a refused submission stores nothing
  EXPECT_EQ(db.store->PendingCount(), 3);
}

void ClaimsTakeOldestFirstAndLeasesRunOutOrAreGivenBack(tdb &db) {
  db.Insert(Game("ann", "a", 1, 100));
  db.Insert(Game("ann", "a", 2, 101));
  db.Insert(Game("ann", "a", 3, 102));
  enum { KEEP, FINISH, RELEASE };
  struct {
    int64_t now;
    int expect;  // the replay claimed, 0 for none
    int then;
  } const steps[] = {
      {1000, 1, KEEP},   {1000, 2, FINISH}, {1010, 3, RELEASE}, {1011, 3, KEEP}, {1059, 0, KEEP},
      {1060, 1, FINISH}, {1070, 0, KEEP},   {1071, 3, FINISH},  {5000, 0, KEEP},
  };
  for (const auto &s : steps) {
    tclaim claim;
    ASSERT_EQ(db.store->ClaimPending(s.now, 60, claim), s.expect != 0) << s.now;
    if (!s.expect) continue;
    EXPECT_EQ(claim.id, Id(s.expect)) << s.now;
    EXPECT_EQ(claim.replay, Game("ann", "a", s.expect, 0).replay);
    EXPECT_EQ(claim.claimed.horde, s.expect * 100);
    EXPECT_EQ(claim.submittedAt, 99 + s.expect);
    if (s.then == FINISH) db.Finish(s.expect, 1000);
    if (s.then == RELEASE) db.store->ReleaseClaim(claim.id);
  }
  EXPECT_EQ(db.store->PendingCount(), 0);
}

void BoardsRankVerifiedVisibleGamesAndPage(tdb &db) {
  struct {
    const char *name;
    int64_t at;
    tgamescores scores;
    bool won, verified;
  } const games[] = {
      {"ann", 10, {5000, 3, 100, 7}, true, true}, {"ben", 11, {9000, 5, -50, 7}, false, true},
      {"cat", 12, {5000, 1, 300, 2}, true, true}, {"dan", 9, {99999, 9, 999, 99}, true, false},
      {"eve", 8, {0, 0, 0, 0}, false, true},
  };
  int n = 0;
  for (const auto &g : games) {
    db.Insert(Game(g.name, g.name, ++n, g.at));
    db.store->FinishGame(Id(n), g.verified ? Verified(g.scores, g.won) : kRefused, false);
  }
  db.store->FinishGame(Id(1), Verified({1, 1, 1, 1}), false);  // played again, the first verdict stands
  struct {
    tboard board;
    std::vector<std::string> names;
  } const boards[] = {
      {BOARD_SURVIVORS, {"ben", "ann", "cat", "eve"}},
      {BOARD_RESCUE, {"ann", "cat"}},
      {BOARD_HORDE, {"cat", "ann", "eve", "ben"}},
      {BOARD_SLAYER, {"ann", "ben", "cat", "eve"}},
  };
  for (const auto &b : boards) {
    EXPECT_EQ(db.Names(b.board), b.names) << BoardName(b.board);
    tboardpage page = db.store->Board(b.board, "", 0, 13);
    EXPECT_EQ(page.total, int64_t(b.names.size()));
    for (const tboardentry &e : page.entries)
      EXPECT_EQ(db.Rank(b.board, e.gameId), std::pair(e.rank, page.total)) << BoardName(b.board) << e.name;
    EXPECT_EQ(db.Rank(b.board, Id(4)), trank(0, 0));  // refused: on no board
  }
  tboardpage second = db.store->Board(BOARD_SURVIVORS, "", 1, 2);
  ASSERT_EQ(second.entries.size(), 2u);
  EXPECT_EQ(second.total, 4);
  const tboardentry &e = second.entries[0];
  EXPECT_TRUE(e.rank == 2 && e.name == "ann" && e.score == 5000 && e.gameId == Id(1) && e.submittedAt == 10 &&
              e.rules == 2u);
  EXPECT_TRUE(db.store->Board(BOARD_SURVIVORS, "", 4, 13).entries.empty());
  EXPECT_TRUE(db.Row(4).status == GAME_REFUSED && db.Row(4).refusal == "claimed scores differ");
  const tgamerow row = db.Row(1);
  EXPECT_TRUE(row.scores.horde == 100 && row.gameSeconds == 123.25 && row.ended == "rescued" && row.frames == 700u);
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(db.store->Replay(Id(1), bytes));
  EXPECT_EQ(bytes, Game("ann", "ann", 1, 0).replay);
  EXPECT_FALSE(db.store->Replay(Id(4), bytes));  // refused games keep their replay to themselves
}

void DailyCountsEachPlayersFirstSubmissionInTime(tdb &db) {
  struct {
    const char *name, *date;
    int64_t at;
    bool verified, inTime, counted;
  } const games[] = {
      {"ann", "2026-12-08", 100, true, true, true},
      {"ann", "2026-12-08", 200, true, true, false},
      {"ben", "2026-12-08", 150, true, false, false},
      {"cat", "2026-12-08", 120, false, true, false},
      {"cat", "2026-12-08", 130, true, true, false},
      {"dan", "2026-12-07", 90, true, true, true},
      {"eve", "", 95, true, true, false},
  };
  const int count = sizeof games / sizeof games[0];
  for (int i = 0; i < count; ++i) db.Insert(Game(games[i].name, games[i].name, i + 1, games[i].at, games[i].date));
  // Played in any order: a later game finished first still is not the first of its day.
  for (int i = count - 1; i >= 0; --i) {
    const auto &g = games[i];
    if (!g.verified) db.store->FinishGame(Id(i + 1), kRefused, g.inTime);
    if (g.verified) db.Finish(i + 1, int(1000 + g.at), g.inTime);
  }
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(db.Row(i + 1).dailyCounted, games[i].counted) << games[i].name << games[i].at;
    EXPECT_EQ(db.Row(i + 1).dailyDate, games[i].date);
  }
  EXPECT_EQ(db.Names(BOARD_DAILY, "2026-12-08"), std::vector<std::string>{"ann"});
  EXPECT_EQ(db.Names(BOARD_DAILY, "2026-12-07"), std::vector<std::string>{"dan"});
  EXPECT_EQ(db.Rank(BOARD_DAILY, Id(6)), trank(1, 1));
  EXPECT_EQ(db.Rank(BOARD_DAILY, Id(2)), trank(0, 0));
}

void GamesSentInOneSecondKeepTheirSendingOrder(tdb &db) {
  // Each pair arrives within one second, the later game with the lower id.
  struct {
    const char *name;
    int replay;
    const char *date;
    bool counted;
  } const games[] = {
      {"ann", 9, "", false},
      {"ben", 2, "", false},
      {"cat", 8, "2026-12-08", true},
      {"cat", 3, "2026-12-08", false},
  };
  for (const auto &g : games) db.Insert(Game(g.name, g.name, g.replay, 500, g.date));
  std::vector<std::string> claimed;
  tclaim claim;
  while (db.store->ClaimPending(1000, 60, claim)) claimed.push_back(claim.id);
  EXPECT_EQ(claimed, (std::vector<std::string>{Id(9), Id(2), Id(8), Id(3)}));
  // The second daily game is played first: it still is not its player's first of the day.
  for (int i = 3; i >= 0; --i) db.Finish(games[i].replay, 7000, true);
  for (const auto &g : games) EXPECT_EQ(db.Row(g.replay).dailyCounted, g.counted) << g.name << g.replay;
  EXPECT_EQ(db.Names(BOARD_SURVIVORS), (std::vector<std::string>{"ann", "ben", "cat", "cat"}));
  EXPECT_EQ(db.Names(BOARD_DAILY, "2026-12-08"), std::vector<std::string>{"cat"});
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(db.Rank(BOARD_SURVIVORS, Id(games[i].replay)).first, i + 1) << games[i].name << games[i].replay;
}

void OlderDatabasesOrderTheirGamesBySecondThenId(tdb &db) {
  db.Fresh("old");
  {
    // Games stored under the first schema, before the sending order was kept.
    std::unique_ptr<tsqlconn> c = db.dir.empty() ? OpenPostgresConn(db.url) : OpenSqliteConn(db.dir);
    ApplyMigrations(*c, db.dir.empty(), 1);
    c->Begin(true);
    c->Run("INSERT INTO players (name_key, name, key_hash, created_at) VALUES ('ann', 'ann', 'hash-of-ann', 0)");
    struct {
      int replay;
      int64_t at;
      int status;
    } const old[] = {{5, 100, 1}, {2, 100, 1}, {4, 101, 0}, {1, 99, 0}};
    for (const auto &o : old) {
      c->Run(
          "INSERT INTO games (id, replay_sha256, name_key, submitted_at, status, survive, claimed_survive,"
          " claimed_rescue, claimed_horde, claimed_slayer, rules, seed, frames)"
          " VALUES ($1, $2, 'ann', $3, $4, 7000, 0, 0, 0, 0, 2, 1, 600)",
          {Id(o.replay), Sha(o.replay), o.at, o.status});
      c->Run("INSERT INTO replays (game_id, bytes) VALUES ($1, $2)", {Id(o.replay), tsqlparam::Blob({1, 2})});
    }
    c->Commit();
  }
  db.store = db.Open();
  db.Insert(Game("ann", "ann", 3, 50));  // sent after them, whatever the clock said
  std::vector<std::string> claimed;
  tclaim claim;
  while (db.store->ClaimPending(1000, 60, claim)) claimed.push_back(claim.id);
  EXPECT_EQ(claimed, (std::vector<std::string>{Id(1), Id(4), Id(3)}));
  for (const std::string &id : claimed) db.store->FinishGame(id, Verified({7000, 0, 0, 0}), false);
  std::vector<std::string> board;
  for (const tboardentry &e : db.store->Board(BOARD_SURVIVORS, "", 0, 13).entries) board.push_back(e.gameId);
  EXPECT_EQ(board, (std::vector<std::string>{Id(1), Id(2), Id(5), Id(4), Id(3)}));
}

void DeletePlayerTakesEverythingOnlyWithTheKey(tdb &db) {
  db.Insert(Game("Bob", "k1", 1, 10));
  db.Insert(Game("bob", "k1", 2, 11));
  db.Insert(Game("carol", "k2", 3, 12));
  for (int i = 1; i <= 3; ++i) db.Finish(i, 1000 * i);
  EXPECT_EQ(db.store->DeletePlayer("bob", "hash-of-k2"), -1);
  EXPECT_EQ(db.store->DeletePlayer("nobody", "hash-of-k1"), -1);
  EXPECT_EQ(db.Names(BOARD_SURVIVORS), (std::vector<std::string>{"carol", "Bob", "Bob"}));
  EXPECT_EQ(db.store->DeletePlayer("BOB", "hash-of-k1"), 2);
  tgamerow row;
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(db.store->GetGame(Id(1), row));
  EXPECT_FALSE(db.store->Replay(Id(2), bytes));
  EXPECT_EQ(db.Names(BOARD_SURVIVORS), std::vector<std::string>{"carol"});
  db.Insert(Game("bob", "k9", 1, 20));  // the name and the replay are free again
}

void ModeratorHidesGamesAndNames(tdb &db) {
  db.Insert(Game("bob", "k1", 1, 10));
  db.Insert(Game("bob", "k1", 2, 11));
  db.Insert(Game("carol", "k2", 3, 12));
  for (int i = 1; i <= 3; ++i) db.Finish(i, 1000 * i);
  EXPECT_TRUE(db.store->HideGame(Id(2), true));
  EXPECT_TRUE(db.store->HideName("Carol", true));
  EXPECT_FALSE(db.store->HideGame("00000000000000ff", true));
  EXPECT_FALSE(db.store->HideName("nobody", true));
  EXPECT_EQ(db.Names(BOARD_SURVIVORS), std::vector<std::string>{"bob"});
  EXPECT_TRUE(db.Row(3).hidden);
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(db.store->Replay(Id(2), bytes));
  std::string existing;
  EXPECT_EQ(db.store->InsertGame(Game("carol", "k3", 4, 13), existing), NAME_TAKEN);  // hidden, still hers
  EXPECT_TRUE(db.store->HideGame(Id(2), false));
  EXPECT_TRUE(db.store->HideName("carol", false));
  EXPECT_EQ(db.Names(BOARD_SURVIVORS), (std::vector<std::string>{"carol", "bob", "bob"}));
}

void ServersStartingAtOnceShareSchemaAndSecret(tdb &db) {
  // Two servers start at once on a fresh database: one applies the migrations, both keep its secret.
  db.Fresh("fresh");
  std::unique_ptr<tstore> servers[2];
  std::string faults[2];
  std::vector<std::thread> starting;
  for (int i = 0; i < 2; ++i) {
    starting.emplace_back([&, i] {
      try {
        servers[i] = db.Open();
      } catch (const std::exception &e) {
        faults[i] = e.what();
      }
    });
  }
  for (std::thread &t : starting) t.join();
  ASSERT_NE(servers[0], nullptr) << faults[0];
  ASSERT_NE(servers[1], nullptr) << faults[1];
  std::unique_ptr<tstore> &first = servers[0], &second = servers[1];
  const std::string secret = first->Secret();
  EXPECT_EQ(secret.size(), 64u);
  EXPECT_EQ(secret.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(second->Secret(), secret);
  std::string existing;
  ASSERT_EQ(first->InsertGame(Game("ann", "a", 1, 10), existing), INSERTED);
  first.reset();
  second.reset();
  // Started again: nothing applied twice, the games and the secret kept.
  db.store = db.Open();
  EXPECT_EQ(db.store->Secret(), secret);
  db.Row(1);
}

void ServersClaimingAtOnceNeverShareAGame(tdb &db) {
  const int games = 40;
  for (int i = 1; i <= games; ++i) db.Insert(Game("ann", "a", i, i));
  std::unique_ptr<tstore> other = db.Open();
  std::vector<std::vector<std::string>> taken(4);
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back([&, w] {
      tstore &store = w % 2 ? *other : *db.store;
      tclaim claim;
      while (store.ClaimPending(1000, 60, claim)) taken[w].push_back(claim.id);
    });
  }
  for (std::thread &t : workers) t.join();
  std::multiset<std::string> all;
  for (const auto &ids : taken) all.insert(ids.begin(), ids.end());
  EXPECT_EQ(all.size(), size_t(games));
  for (int i = 1; i <= games; ++i) EXPECT_EQ(all.count(Id(i)), 1u) << i;
}

class StoreTest : public ::testing::TestWithParam<std::string> {};

// Every case on a fresh database of its own: PostgreSQL's cluster is started once.
TEST_P(StoreTest, KeepsItsRules) {
  tdb db;
  std::string why;
  if (GetParam() == "postgresql" && !(db.cluster = tpgcluster::Shared(why))) {
    if (tpgcluster::FindInitdb().empty()) GTEST_SKIP() << "PostgreSQL tests skipped: " << why;
    FAIL() << why;
  }
  ttempdir root;
  const std::pair<const char *, void (*)(tdb &)> cases[] = {
      {"InsertAnswersByNameKeyAndReplay", InsertAnswersByNameKeyAndReplay},
      {"ClaimsTakeOldestFirstAndLeasesRunOutOrAreGivenBack", ClaimsTakeOldestFirstAndLeasesRunOutOrAreGivenBack},
      {"BoardsRankVerifiedVisibleGamesAndPage", BoardsRankVerifiedVisibleGamesAndPage},
      {"DailyCountsEachPlayersFirstSubmissionInTime", DailyCountsEachPlayersFirstSubmissionInTime},
      {"GamesSentInOneSecondKeepTheirSendingOrder", GamesSentInOneSecondKeepTheirSendingOrder},
      {"OlderDatabasesOrderTheirGamesBySecondThenId", OlderDatabasesOrderTheirGamesBySecondThenId},
      {"DeletePlayerTakesEverythingOnlyWithTheKey", DeletePlayerTakesEverythingOnlyWithTheKey},
      {"ModeratorHidesGamesAndNames", ModeratorHidesGamesAndNames},
      {"ServersStartingAtOnceShareSchemaAndSecret", ServersStartingAtOnceShareSchemaAndSecret},
      {"ServersClaimingAtOnceNeverShareAGame", ServersClaimingAtOnceNeverShareAGame},
  };
  for (const auto &[name, run] : cases) {
    SCOPED_TRACE(name);
    if (db.cluster && (db.url = db.cluster->NewDatabase(why)).empty()) FAIL() << why;
    if (!db.cluster) std::filesystem::create_directory(db.dir = root.path + "/" + name);
    db.store = db.Open();
    run(db);
    db.store.reset();
  }
}

INSTANTIATE_TEST_SUITE_P(Store, StoreTest, ::testing::Values("sqlite", "postgresql"),
                         [](const ::testing::TestParamInfo<std::string> &info) { return info.param; });

}  // namespace
