// The store in SQLite: DIR/scores.db in WAL mode, every commit synced before it returns.
#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>

#include "server/store_sql.h"

namespace {

// How long a writer waits for another (this process's or another's) before giving up.
const int kBusyMilliseconds = 10000;
const int kMostConnections = 16;

class tsqliteconn : public tsqlconn {
 public:
  explicit tsqliteconn(const std::string &path) {
    int rc =
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      throw tsqlerror(tstoreerror::UNAVAILABLE, "cannot open " + path + ": " + why, false, false);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyMilliseconds);
    try {
      // WAL lets readers on while one writes; FULL syncs the log at every commit, so a game
      // acknowledged is on the disk even if the machine loses power.
      Run("PRAGMA journal_mode = WAL");
      Run("PRAGMA synchronous = FULL");
      Run("PRAGMA foreign_keys = ON");
    } catch (...) {
      Close();
      throw;
    }
  }
  ~tsqliteconn() override { Close(); }

  void Begin(bool write, bool synced) override {
    // In WAL mode NORMAL leaves the log unsynced at commit; the next FULL commit syncs it all.
    if (synced != synced_) Run(synced ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL");
    synced_ = synced;
    Run(write ? "BEGIN IMMEDIATE" : "BEGIN");
  }
  void Commit() override { Run("COMMIT"); }
  void Rollback() override {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  int64_t Changed() override { return sqlite3_changes(db_); }

  std::vector<tsqlrow> Run(const std::string &sql, const std::vector<tsqlparam> &params = {}) override {
    sqlite3_stmt *stmt = Prepared(sql);
    for (size_t i = 0; i < params.size(); ++i) Bind(stmt, int(i) + 1, params[i]);
    std::vector<tsqlrow> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) rows.push_back(Row(stmt));
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE) Fail(rc, sql);
    return rows;
  }

 private:
  void Close() {
    for (auto &kept : statements_) sqlite3_finalize(kept.second);
    statements_.clear();
    sqlite3_close(db_);
    db_ = nullptr;
  }

  // Statements are kept prepared: the boards are read far more often than anything is written.
  sqlite3_stmt *Prepared(const std::string &sql) {
    auto kept = statements_.find(sql);
    if (kept != statements_.end()) return kept->second;
    std::string text = sql;  // $1 -> ?1: the same numbered placeholders
    for (size_t i = 0; i + 1 < text.size(); ++i) {
      if (text[i] == '$' && std::isdigit(static_cast<unsigned char>(text[i + 1]))) text[i] = '?';
    }
    sqlite3_stmt *stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, text.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK) Fail(rc, sql);
    statements_[sql] = stmt;
    return stmt;
  }

  void Bind(sqlite3_stmt *stmt, int at, const tsqlparam &p) {
    int rc = SQLITE_OK;
    switch (p.kind) {
      case tsqlparam::INT: rc = sqlite3_bind_int64(stmt, at, p.i); break;
      case tsqlparam::REAL: rc = sqlite3_bind_double(stmt, at, p.r); break;
      case tsqlparam::TEXT: rc = sqlite3_bind_text(stmt, at, p.s.data(), int(p.s.size()), SQLITE_TRANSIENT); break;
      case tsqlparam::BLOB: rc = sqlite3_bind_blob(stmt, at, p.s.data(), int(p.s.size()), SQLITE_TRANSIENT); break;
    }
    if (rc != SQLITE_OK) Fail(rc, "binding a value");
  }

  static tsqlrow Row(sqlite3_stmt *stmt) {
    tsqlrow row;
    int n = sqlite3_column_count(stmt);
    for (int c = 0; c < n; ++c) {
      switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: row.cells.push_back(std::to_string(sqlite3_column_int64(stmt, c))); break;
        case SQLITE_FLOAT: {
          char text[32];
          std::snprintf(text, sizeof text, "%.17g", sqlite3_column_double(stmt, c));
          row.cells.push_back(text);
          break;
        }
        case SQLITE_NULL: row.cells.emplace_back(); break;
        default: {
          const void *bytes = sqlite3_column_blob(stmt, c);
          int size = sqlite3_column_bytes(stmt, c);
          row.cells.emplace_back(static_cast<const char *>(bytes), bytes ? size_t(size) : 0);
        }
      }
    }
    return row;
  }

  [[noreturn]] void Fail(int rc, const std::string &doing) {
    int primary = rc & 0xff;
    tstoreerror::tkind kind = tstoreerror::OTHER;
    if (primary == SQLITE_FULL || primary == SQLITE_IOERR) kind = tstoreerror::FULL;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_CANTOPEN) {
      kind = tstoreerror::UNAVAILABLE;
    }
    // Another process held the lock past the wait: worth one more try.
    bool retry = primary == SQLITE_BUSY;
    throw tsqlerror(kind, "sqlite: " + std::string(sqlite3_errmsg(db_)) + " (" + doing.substr(0, 60) + ")", retry,
                    false);
  }

  sqlite3 *db_ = nullptr;
  bool synced_ = true;  // as the constructor set it
  std::map<std::string, sqlite3_stmt *> statements_;
};

// DIR/scores.db, DIR made when missing.
std::string ScoresPath(const std::string &stateDir) {
  std::error_code error;
  std::filesystem::create_directories(stateDir, error);
  if (error) throw tstoreerror(tstoreerror::UNAVAILABLE, "cannot make " + stateDir + ": " + error.message());
  return (std::filesystem::path(stateDir) / "scores.db").string();
}

}  // namespace

std::unique_ptr<tsqlconn> OpenSqliteConn(const std::string &stateDir) {
  return std::make_unique<tsqliteconn>(ScoresPath(stateDir));
}

std::unique_ptr<tstore> OpenSqliteStore(const std::string &stateDir) {
  const std::string path = ScoresPath(stateDir);
  auto store = std::make_unique<tsqlstore>(
      "sqlite", false, [path] { return std::unique_ptr<tsqlconn>(new tsqliteconn(path)); }, kMostConnections);
  store->Open();
  return store;
}
