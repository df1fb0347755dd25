// The store's operations, written once in SQL both databases read the same way.
#include <cctype>
#include <cstdlib>
#include <ctime>

#include "server/store_sql.h"

int64_t tsqlrow::Int(size_t i) const { return std::strtoll(cells.at(i).c_str(), nullptr, 10); }
double tsqlrow::Real(size_t i) const { return std::strtod(cells.at(i).c_str(), nullptr); }

std::unique_ptr<tsqlconn> tsqlpool::Take() {
  std::unique_lock<std::mutex> lock(mutex_);
  freed_.wait(lock, [&] { return !idle_.empty() || made_ < most_; });
  if (!idle_.empty()) {
    std::unique_ptr<tsqlconn> conn = std::move(idle_.back());
    idle_.pop_back();
    return conn;
  }
  ++made_;
  lock.unlock();
  try {
    return make_();
  } catch (...) {
    lock.lock();
    --made_;
    freed_.notify_one();
    throw;
  }
}

void tsqlpool::Give(std::unique_ptr<tsqlconn> conn) {
  std::lock_guard<std::mutex> lock(mutex_);
  idle_.push_back(std::move(conn));
  freed_.notify_one();
}

void tsqlpool::Lost() {
  std::vector<std::unique_ptr<tsqlconn>> closing;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    made_ -= 1 + static_cast<int>(idle_.size());
    closing.swap(idle_);
    freed_.notify_all();
  }
}

std::string FoldName(const std::string &name) {
  std::string key = name;
  for (char &c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

namespace {

// Where a board's entries come from: verified, visible games, and the board's own condition.
// `dateParam` is the placeholder holding the daily board's date.
std::string BoardWhere(tboard board, int dateParam) {
  std::string where =
      " FROM games g JOIN players p ON p.name_key = g.name_key"
      " WHERE g.status = 1 AND g.hidden = 0 AND p.hidden = 0";
  if (board == BOARD_RESCUE) where += " AND g.won = 1";
  if (board == BOARD_DAILY) where += " AND g.daily_counted = 1 AND g.daily_date = $" + std::to_string(dateParam);
  return where;
}

const char *ScoreColumn(tboard board) {
  switch (board) {
    case BOARD_RESCUE: return "g.rescue";
    case BOARD_HORDE: return "g.horde";
    case BOARD_SLAYER: return "g.slayer";
    case BOARD_SURVIVORS:
    case BOARD_DAILY: break;
  }
  return "g.survive";
}

const char *const kGameColumns =
    "g.id, p.name, g.status, g.refusal, g.reason, g.rules, g.seed, g.submitted_at, g.claimed_survive,"
    " g.claimed_rescue, g.claimed_horde, g.claimed_slayer, g.survive, g.rescue, g.horde, g.slayer, g.won, g.day,"
    " g.game_seconds, g.ended, g.frames, g.played_frames, g.daily_date, g.daily_counted, g.hidden, p.hidden";
// Where a query's own columns after kGameColumns start.
const size_t kGameColumnCount = 26;

tgamescores Scores(const tsqlrow &r, size_t at) {
  return {int32_t(r.Int(at)), int32_t(r.Int(at + 1)), int32_t(r.Int(at + 2)), int32_t(r.Int(at + 3))};
}

tgamerow GameRow(const tsqlrow &r) {
  tgamerow row;
  row.id = r.Text(0);
  row.name = r.Text(1);
  row.status = static_cast<tgamestatus>(r.Int(2));
  row.refusal = r.Text(3);
  row.reason = r.Text(4);
  row.rules = uint32_t(r.Int(5));
  row.seed = uint32_t(r.Int(6));
  row.submittedAt = r.Int(7);
  row.claimed = Scores(r, 8);
  row.scores = Scores(r, 12);
  row.won = r.Int(16) != 0;
  row.day = int32_t(r.Int(17));
  row.gameSeconds = r.Real(18);
  row.ended = r.Text(19);
  // Once played, the frames it played; until then those its header announces.
  row.frames = uint32_t(r.Int(row.status == GAME_PENDING ? 20 : 21));
  row.dailyDate = r.Text(22);
  row.dailyCounted = r.Int(23) != 0;
  row.hidden = r.Int(24) != 0 || r.Int(25) != 0;
  return row;
}

int32_t ScoreOn(tboard board, const tgamescores &scores) {
  switch (board) {
    case BOARD_RESCUE: return scores.rescue;
    case BOARD_HORDE: return scores.horde;
    case BOARD_SLAYER: return scores.slayer;
    case BOARD_SURVIVORS:
    case BOARD_DAILY: break;
  }
  return scores.survive;
}

}  // namespace

tsqlstore::tsqlstore(const char *kind, bool postgres, std::function<std::unique_ptr<tsqlconn>()> make, int most)
    : kind_(kind), postgres_(postgres), pool_(std::move(make), most) {}

void tsqlstore::Open() {
  std::unique_ptr<tsqlconn> conn = pool_.Take();
  ApplyMigrations(*conn, postgres_, MigrationCount());
  secret_ = LoadSecret(*conn);
  pool_.Give(std::move(conn));
}

void tsqlstore::Transact(bool write, const std::function<void(tsqlconn &)> &work, bool synced) {
  for (int attempt = 0;; ++attempt) {
    std::unique_ptr<tsqlconn> conn = pool_.Take();
    try {
      conn->Begin(write, synced);
      work(*conn);
      conn->Commit();
      pool_.Give(std::move(conn));
      return;
    } catch (const tsqlerror &e) {
      if (e.broken) {
        conn.reset();
        pool_.Lost();
      } else {
        conn->Rollback();
        pool_.Give(std::move(conn));
      }
      if (!e.retry || attempt > 0) throw;
    } catch (const tstoreerror &) {
      conn->Rollback();
      pool_.Give(std::move(conn));
      throw;
    } catch (const std::exception &e) {
      // A row of an unexpected shape: a fault of ours, reported as the store's.
      conn->Rollback();
      pool_.Give(std::move(conn));
      throw tstoreerror(tstoreerror::OTHER, std::string("store: ") + e.what());
    }
  }
}

tinsertresult tsqlstore::InsertGame(const tnewgame &game, std::string &existingId) {
  tinsertresult result = INSERTED;
  Transact(true, [&](tsqlconn &c) {
    existingId.clear();
    const std::string key = FoldName(game.name);
    std::vector<tsqlrow> owner = c.Run("SELECT key_hash FROM players WHERE name_key = $1", {key});
    if (!owner.empty() && owner[0].Text(0) != game.keyHash) {
      result = NAME_TAKEN;
      return;
    }
    // The same replay, or (rarely) another whose hash starts with the same 16 digits.
    std::vector<tsqlrow> same = c.Run(
        "SELECT g.id, g.replay_sha256, p.key_hash FROM games g JOIN players p ON p.name_key = g.name_key"
        " WHERE g.replay_sha256 = $1 OR g.id = $2",
        {game.replaySha256, game.id});
    if (!same.empty()) {
      result = REPLAY_TAKEN;
      for (const tsqlrow &r : same) {
        if (r.Text(1) == game.replaySha256 && r.Text(2) == game.keyHash) {
          result = ALREADY_THERE;
          existingId = r.Text(0);
        }
      }
      return;
    }
    if (owner.empty()) {
      c.Run("INSERT INTO players (name_key, name, key_hash, hidden, created_at) VALUES ($1, $2, $3, 0, $4)",
            {key, game.name, game.keyHash, game.submittedAt});
    }
    // The sending order: the counter's row stays locked until this commits, so no two games
    // share a number and every game numbered before this one is stored before it.
    const int64_t order =
        c.Run("UPDATE counters SET value = value + 1 WHERE name = 'games' RETURNING value").at(0).Int(0);
    c.Run(
        "INSERT INTO games (id, replay_sha256, name_key, submitted_at, claimed_survive, claimed_rescue,"
        " claimed_horde, claimed_slayer, rules, seed, frames, daily_date, daily_token_at, sent_order)"
        " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14)",
        {game.id, game.replaySha256, key, game.submittedAt, game.claimed.survive, game.claimed.rescue,
         game.claimed.horde, game.claimed.slayer, game.rules, game.seed, game.frames, game.dailyDate, game.dailyTokenAt,
         order});
    c.Run("INSERT INTO replays (game_id, bytes) VALUES ($1, $2)", {game.id, tsqlparam::Blob(game.replay)});
    result = INSERTED;
  });
  return result;
}

bool tsqlstore::ClaimPending(int64_t now, int64_t leaseSeconds, tclaim &claim) {
  bool found = false;
  // PostgreSQL passes over a row another server is claiming rather than waiting for it.
  const std::string pick = std::string("SELECT id FROM games WHERE status = 0 AND lease_until <= $1") +
                           " ORDER BY sent_order LIMIT 1" + (postgres_ ? " FOR UPDATE SKIP LOCKED" : "");
  const auto claimOne = [&](tsqlconn &c) {
    found = false;
    std::vector<tsqlrow> picked = c.Run(pick, {now});
    if (picked.empty()) return;
    const std::string id = picked[0].Text(0);
    c.Run("UPDATE games SET lease_until = $1 WHERE id = $2", {now + leaseSeconds, id});
    std::vector<tsqlrow> rows = c.Run(
        "SELECT g.claimed_survive, g.claimed_rescue, g.claimed_horde, g.claimed_slayer, g.frames, g.daily_date,"
        " g.daily_token_at, g.submitted_at, r.bytes FROM games g JOIN replays r ON r.game_id = g.id WHERE g.id = $1",
        {id});
    const tsqlrow &r = rows.at(0);
    claim.id = id;
    claim.claimed = Scores(r, 0);
    claim.frames = uint32_t(r.Int(4));
    claim.dailyDate = r.Text(5);
    claim.dailyTokenAt = r.Int(6);
    claim.submittedAt = r.Int(7);
    claim.replay = r.Bytes(8);
    found = true;
  };
  // A lease lost to a crash only lets the game be claimed again (the first verdict stands), so
  // the claim need not wait for the disk: the verdict's synced commit takes it there.
  Transact(true, claimOne, false);
  return found;
}

void tsqlstore::ReleaseClaim(const std::string &id) {
  Transact(
      true, [&](tsqlconn &c) { c.Run("UPDATE games SET lease_until = 0 WHERE id = $1 AND status = 0", {id}); }, false);
}

void tsqlstore::FinishGame(const std::string &id, const tgameverdict &verdict, bool dailyInTime) {
  if (verdict.status == GAME_PENDING) return;
  const bool mayCount = verdict.status == GAME_VERIFIED && dailyInTime;
  Transact(true, [&](tsqlconn &c) {
    // A daily game counts only as its player's first submission of that date: a refused first
    // try, or one still waiting to be played, keeps every later one of the day off the board.
    c.Run(
        "UPDATE games SET status = $1, refusal = $2, reason = $3, survive = $4, rescue = $5, horde = $6,"
        " slayer = $7, won = $8, day = $9, game_seconds = $10, ended = $11, played_frames = $12,"
        " verify_seconds = $13, verified_at = $14, lease_until = 0,"
        " daily_counted = CASE WHEN $15 = 1 AND daily_date <> '' AND NOT EXISTS (SELECT 1 FROM games e"
        " WHERE e.name_key = games.name_key AND e.daily_date = games.daily_date"
        " AND e.sent_order < games.sent_order) THEN 1 ELSE 0 END"
        " WHERE id = $16 AND status = 0",
        {int(verdict.status), verdict.refusal, verdict.reason, verdict.scores.survive, verdict.scores.rescue,
         verdict.scores.horde, verdict.scores.slayer, verdict.won, verdict.day, verdict.gameSeconds, verdict.ended,
         verdict.frames, verdict.verifySeconds, int64_t(time(nullptr)), mayCount, id});
  });
}

bool tsqlstore::GetGame(const std::string &id, tgamerow &row) {
  bool found = false;
  Transact(false, [&](tsqlconn &c) {
    std::vector<tsqlrow> rows = c.Run(std::string("SELECT ") + kGameColumns +
                                          " FROM games g JOIN players p ON p.name_key = g.name_key WHERE g.id = $1",
                                      {id});
    found = !rows.empty();
    if (found) row = GameRow(rows[0]);
  });
  return found;
}

void tsqlstore::RankOn(tboard board, const std::string &id, int64_t &rank, int64_t &total) {
  Transact(false, [&](tsqlconn &c) {
    rank = total = 0;
    std::vector<tsqlrow> rows =
        c.Run(std::string("SELECT ") + kGameColumns +
                  ", g.sent_order FROM games g JOIN players p ON p.name_key = g.name_key WHERE g.id = $1",
              {id});
    if (rows.empty()) return;
    const tgamerow game = GameRow(rows[0]);
    if (game.status != GAME_VERIFIED || game.hidden) return;
    if (board == BOARD_RESCUE && !game.won) return;
    if (board == BOARD_DAILY && !game.dailyCounted) return;
    const std::string column = ScoreColumn(board);
    std::vector<tsqlparam> dateOnly;
    if (board == BOARD_DAILY) dateOnly.push_back(game.dailyDate);
    total = c.Run("SELECT COUNT(*)" + BoardWhere(board, 1), dateOnly).at(0).Int(0);
    // 1 + better scores + equal scores sent earlier.
    const std::string better = " AND (" + column + " > $1 OR (" + column + " = $1 AND g.sent_order < $2))";
    std::vector<tsqlparam> params = {ScoreOn(board, game.scores), rows[0].Int(kGameColumnCount)};
    if (board == BOARD_DAILY) params.push_back(game.dailyDate);
    rank = 1 + c.Run("SELECT COUNT(*)" + BoardWhere(board, 3) + better, params).at(0).Int(0);
  });
}

tboardpage tsqlstore::Board(tboard board, const std::string &date, int64_t offset, int64_t limit) {
  tboardpage page;
  const bool daily = board == BOARD_DAILY;
  const std::string column = ScoreColumn(board);
  Transact(false, [&](tsqlconn &c) {
    page = tboardpage{};
    std::vector<tsqlparam> dateOnly;
    if (daily) dateOnly.push_back(date);
    page.total = c.Run("SELECT COUNT(*)" + BoardWhere(board, 1), dateOnly).at(0).Int(0);
    std::vector<tsqlparam> params = {limit, offset};
    if (daily) params.push_back(date);
    std::vector<tsqlrow> rows =
        c.Run("SELECT p.name, g.id, " + column + ", g.submitted_at, g.rules" + BoardWhere(board, 3) + " ORDER BY " +
                  column + " DESC, g.sent_order LIMIT $1 OFFSET $2",
              params);
    for (size_t i = 0; i < rows.size(); ++i) {
      tboardentry e;
      e.rank = offset + int64_t(i) + 1;
      e.name = rows[i].Text(0);
      e.gameId = rows[i].Text(1);
      e.score = int32_t(rows[i].Int(2));
      e.submittedAt = rows[i].Int(3);
      e.rules = uint32_t(rows[i].Int(4));
      page.entries.push_back(e);
    }
  });
  return page;
}

bool tsqlstore::Replay(const std::string &id, std::vector<uint8_t> &replay) {
  bool found = false;
  Transact(false, [&](tsqlconn &c) {
    std::vector<tsqlrow> rows = c.Run(
        "SELECT r.bytes FROM replays r JOIN games g ON g.id = r.game_id JOIN players p ON p.name_key = g.name_key"
        " WHERE r.game_id = $1 AND g.status = 1 AND g.hidden = 0 AND p.hidden = 0",
        {id});
    found = !rows.empty();
    if (found) replay = rows[0].Bytes(0);
  });
  return found;
}

int64_t tsqlstore::DeletePlayer(const std::string &name, const std::string &keyHash) {
  int64_t removed = -1;
  Transact(true, [&](tsqlconn &c) {
    removed = -1;
    const std::string key = FoldName(name);
    std::vector<tsqlrow> owner = c.Run("SELECT key_hash FROM players WHERE name_key = $1", {key});
    if (owner.empty() || owner[0].Text(0) != keyHash) return;
    c.Run("DELETE FROM replays WHERE game_id IN (SELECT id FROM games WHERE name_key = $1)", {key});
    c.Run("DELETE FROM games WHERE name_key = $1", {key});
    removed = c.Changed();
    c.Run("DELETE FROM players WHERE name_key = $1", {key});
  });
  return removed;
}

bool tsqlstore::HideGame(const std::string &id, bool hidden) {
  bool found = false;
  Transact(true, [&](tsqlconn &c) {
    c.Run("UPDATE games SET hidden = $1 WHERE id = $2", {hidden, id});
    found = c.Changed() > 0;
  });
  return found;
}

bool tsqlstore::HideName(const std::string &name, bool hidden) {
  bool found = false;
  Transact(true, [&](tsqlconn &c) {
    c.Run("UPDATE players SET hidden = $1 WHERE name_key = $2", {hidden, FoldName(name)});
    found = c.Changed() > 0;
  });
  return found;
}

int64_t tsqlstore::PendingCount() {
  int64_t count = 0;
  Transact(false, [&](tsqlconn &c) { count = c.Run("SELECT COUNT(*) FROM games WHERE status = 0").at(0).Int(0); });
  return count;
}

std::string tsqlstore::Secret() { return secret_; }
