// The schema, as numbered migrations. A migration once released is never edited: a change to the
// schema is a new one at the end of the list.
#include <ctime>
#include <string>

#include "server/daily.h"
#include "server/store_sql.h"

namespace {

// Each migration's statements, run in one transaction. "BYTES" is each database's word for bytes.
const std::vector<std::vector<const char *>> kMigrations = {
    {
        "CREATE TABLE settings (name TEXT PRIMARY KEY, value TEXT NOT NULL)",
        // A name belongs to the key that first used it; only the key's hash is kept.
        "CREATE TABLE players (name_key TEXT PRIMARY KEY, name TEXT NOT NULL, key_hash TEXT NOT NULL,"
        " hidden INTEGER NOT NULL DEFAULT 0, created_at BIGINT NOT NULL)",
        // status: 0 pending, 1 verified, 2 refused. lease_until: who plays it holds it till then.
        "CREATE TABLE games (id TEXT PRIMARY KEY, replay_sha256 TEXT NOT NULL UNIQUE,"
        " name_key TEXT NOT NULL REFERENCES players (name_key), submitted_at BIGINT NOT NULL,"
        " status INTEGER NOT NULL DEFAULT 0, refusal TEXT NOT NULL DEFAULT '', reason TEXT NOT NULL DEFAULT '',"
        " lease_until BIGINT NOT NULL DEFAULT 0,"
        " claimed_survive INTEGER NOT NULL, claimed_rescue INTEGER NOT NULL, claimed_horde INTEGER NOT NULL,"
        " claimed_slayer INTEGER NOT NULL, rules BIGINT NOT NULL, seed BIGINT NOT NULL, frames BIGINT NOT NULL,"
        " survive INTEGER NOT NULL DEFAULT 0, rescue INTEGER NOT NULL DEFAULT 0, horde INTEGER NOT NULL DEFAULT 0,"
        " slayer INTEGER NOT NULL DEFAULT 0, won INTEGER NOT NULL DEFAULT 0, day INTEGER NOT NULL DEFAULT 0,"
        " game_seconds DOUBLE PRECISION NOT NULL DEFAULT 0, ended TEXT NOT NULL DEFAULT '',"
        " played_frames BIGINT NOT NULL DEFAULT 0, verify_seconds DOUBLE PRECISION NOT NULL DEFAULT 0,"
        " daily_date TEXT NOT NULL DEFAULT '', daily_token_at BIGINT NOT NULL DEFAULT 0,"
        " daily_counted INTEGER NOT NULL DEFAULT 0, hidden INTEGER NOT NULL DEFAULT 0,"
        " verified_at BIGINT NOT NULL DEFAULT 0)",
        "CREATE TABLE replays (game_id TEXT PRIMARY KEY REFERENCES games (id), bytes BYTES NOT NULL)",
        // The boards read in score order; equal scores by who sent theirs first.
        "CREATE INDEX games_survive ON games (status, survive DESC, submitted_at, id)",
        "CREATE INDEX games_rescue ON games (status, won, rescue DESC, submitted_at, id)",
        "CREATE INDEX games_horde ON games (status, horde DESC, submitted_at, id)",
        "CREATE INDEX games_slayer ON games (status, slayer DESC, submitted_at, id)",
        "CREATE INDEX games_daily ON games (daily_date, daily_counted, survive DESC, submitted_at, id)",
        "CREATE INDEX games_player ON games (name_key, daily_date, submitted_at)",
        // The verifiers take the oldest pending game.
        "CREATE INDEX games_pending ON games (submitted_at, id) WHERE status = 0",
    },
    {
        // Who sent first, never tied: games are numbered in the order they were stored, from a
        // counter taken inside the insert's transaction (whole seconds tie). Games already stored
        // are numbered by their second and then their id.
        "ALTER TABLE games ADD COLUMN sent_order BIGINT NOT NULL DEFAULT 0",
        "UPDATE games SET sent_order = o.n FROM (SELECT id, ROW_NUMBER() OVER (ORDER BY submitted_at, id) AS n"
        " FROM games) o WHERE o.id = games.id",
        "CREATE UNIQUE INDEX games_sent ON games (sent_order)",
        "CREATE TABLE counters (name TEXT PRIMARY KEY, value BIGINT NOT NULL)",
        "INSERT INTO counters (name, value) SELECT 'games', COALESCE(MAX(sent_order), 0) FROM games",
        "DROP INDEX games_survive",
        "DROP INDEX games_rescue",
        "DROP INDEX games_horde",
        "DROP INDEX games_slayer",
        "DROP INDEX games_daily",
        "DROP INDEX games_player",
        "DROP INDEX games_pending",
        "CREATE INDEX games_survive ON games (status, survive DESC, sent_order)",
        "CREATE INDEX games_rescue ON games (status, won, rescue DESC, sent_order)",
        "CREATE INDEX games_horde ON games (status, horde DESC, sent_order)",
        "CREATE INDEX games_slayer ON games (status, slayer DESC, sent_order)",
        "CREATE INDEX games_daily ON games (daily_date, daily_counted, survive DESC, sent_order)",
        "CREATE INDEX games_player ON games (name_key, daily_date, sent_order)",
        "CREATE INDEX games_pending ON games (sent_order) WHERE status = 0",
    },
};

// An arbitrary number all our servers agree on, for PostgreSQL's advisory lock.
const char *const kMigrationLock = "7395118203";

std::string Spelled(const char *sql, bool postgres) {
  std::string text = sql;
  size_t at = text.find("BYTES");
  if (at != std::string::npos) text.replace(at, 5, postgres ? "BYTEA" : "BLOB");
  return text;
}

void ApplyPending(tsqlconn &conn, bool postgres, int upTo) {
  conn.Begin(true);
  conn.Run("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY, applied_at BIGINT NOT NULL)");
  conn.Commit();
  for (size_t n = 1; n <= kMigrations.size() && int(n) <= upTo; ++n) {
    conn.Begin(true);
    try {
      // Read inside the transaction: another process may have applied it meanwhile.
      if (conn.Run("SELECT COUNT(*) FROM schema_version WHERE version = $1", {int64_t(n)}).at(0).Int(0) == 0) {
        for (const char *sql : kMigrations[n - 1]) conn.Run(Spelled(sql, postgres));
        conn.Run("INSERT INTO schema_version (version, applied_at) VALUES ($1, $2)",
                 {int64_t(n), int64_t(time(nullptr))});
      }
      conn.Commit();
    } catch (...) {
      conn.Rollback();
      throw;
    }
  }
}

}  // namespace

int MigrationCount() { return static_cast<int>(kMigrations.size()); }

void ApplyMigrations(tsqlconn &conn, bool postgres, int upTo) {
  if (!postgres) return ApplyPending(conn, false, upTo);
  // A session lock: the first server applies them, the next waits and then finds them applied.
  conn.Run(std::string("SELECT pg_advisory_lock(") + kMigrationLock + ")");
  try {
    ApplyPending(conn, true, upTo);
  } catch (...) {
    conn.Rollback();
    try {
      conn.Run(std::string("SELECT pg_advisory_unlock(") + kMigrationLock + ")");
    } catch (...) {
      // The lock goes with the session when the connection is lost.
    }
    throw;
  }
  conn.Run(std::string("SELECT pg_advisory_unlock(") + kMigrationLock + ")");
}

std::string LoadSecret(tsqlconn &conn) {
  std::string fresh;
  try {
    fresh = RandomSecret();
  } catch (const std::exception &e) {
    throw tstoreerror(tstoreerror::OTHER, std::string("no secret: ") + e.what());
  }
  conn.Begin(true);
  try {
    // Two servers starting at once on one database: the first one's secret is the one kept.
    conn.Run("INSERT INTO settings (name, value) VALUES ('secret', $1) ON CONFLICT (name) DO NOTHING", {fresh});
    std::string secret = conn.Run("SELECT value FROM settings WHERE name = 'secret'").at(0).Text(0);
    conn.Commit();
    return secret;
  } catch (...) {
    conn.Rollback();
    throw;
  }
}
