// What the two databases share behind tstore: a connection that runs one statement at a time,
// a small pool of them, the migrations, and the store itself written once in portable SQL.
// Placeholders are written $1, $2 ... for both (SQLite reads them as ?1, ?2 ...).
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/store.h"

// A failed statement. `retry`: safe to run the whole transaction again (the connection broke
// before its commit was sent, or another transaction won a race); `broken`: the connection is lost.
struct tsqlerror : tstoreerror {
  bool retry, broken;
  tsqlerror(tkind k, const std::string &what, bool retry, bool broken)
      : tstoreerror(k, what), retry(retry), broken(broken) {}
};

struct tsqlparam {
  enum tkind { INT, REAL, TEXT, BLOB } kind;
  int64_t i = 0;
  double r = 0;
  std::string s;  // TEXT, or BLOB's bytes
  tsqlparam(int64_t v) : kind(INT), i(v) {}
  tsqlparam(int v) : kind(INT), i(v) {}
  tsqlparam(uint32_t v) : kind(INT), i(v) {}
  tsqlparam(bool v) : kind(INT), i(v ? 1 : 0) {}
  tsqlparam(double v) : kind(REAL), r(v) {}
  tsqlparam(const std::string &v) : kind(TEXT), s(v) {}
  tsqlparam(const char *v) : kind(TEXT), s(v) {}
  static tsqlparam Blob(const std::vector<uint8_t> &bytes) {
    tsqlparam p("");
    p.kind = BLOB;
    p.s.assign(bytes.begin(), bytes.end());
    return p;
  }
};

// One row of a result, every cell as text (numbers written out) or a BLOB's bytes.
struct tsqlrow {
  std::vector<std::string> cells;
  int64_t Int(size_t i) const;
  double Real(size_t i) const;
  const std::string &Text(size_t i) const { return cells.at(i); }
  std::vector<uint8_t> Bytes(size_t i) const { return {cells.at(i).begin(), cells.at(i).end()}; }
};

class tsqlconn {
 public:
  virtual ~tsqlconn() = default;
  // A write transaction takes the write lock at once (SQLite), so it never fails half-way on it.
  // `synced`: its commit returns once on the disk; else it may be lost to a crash (never half of
  // it), and the next synced commit takes it to the disk too.
  virtual void Begin(bool write, bool synced = true) = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;  // never throws
  // Runs one statement; the rows it returns. Throws tsqlerror.
  virtual std::vector<tsqlrow> Run(const std::string &sql, const std::vector<tsqlparam> &params = {}) = 0;
  // Rows the last statement changed.
  virtual int64_t Changed() = 0;
};

// Connections made on demand up to `most`, handed to one thread at a time.
class tsqlpool {
 public:
  tsqlpool(std::function<std::unique_ptr<tsqlconn>()> make, int most) : make_(std::move(make)), most_(most) {}
  std::unique_ptr<tsqlconn> Take();
  void Give(std::unique_ptr<tsqlconn> conn);
  // A connection is lost: it and the idle ones (which likely lost theirs too) are closed.
  void Lost();

 private:
  std::function<std::unique_ptr<tsqlconn>()> make_;
  int most_, made_ = 0;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::vector<std::unique_ptr<tsqlconn>> idle_;
};

// The schema's migrations, in order; each applied once, in a transaction of its own. `postgres`
// picks the few words the two databases spell differently and takes an advisory lock, so two
// servers starting at once do not both apply one. `upTo` stops after that one (an older schema).
void ApplyMigrations(tsqlconn &conn, bool postgres, int upTo);
int MigrationCount();
// The server's secret, made at the first start and read back after.
std::string LoadSecret(tsqlconn &conn);

// One bare connection, no migrations applied: DIR/scores.db (DIR made when missing), or a URL.
std::unique_ptr<tsqlconn> OpenSqliteConn(const std::string &stateDir);
std::unique_ptr<tsqlconn> OpenPostgresConn(const std::string &url);

// Every operation of tstore, once for both databases.
class tsqlstore : public tstore {
 public:
  tsqlstore(const char *kind, bool postgres, std::function<std::unique_ptr<tsqlconn>()> make, int most);
  const char *Kind() const override { return kind_; }
  tinsertresult InsertGame(const tnewgame &game, std::string &existingId) override;
  bool ClaimPending(int64_t now, int64_t leaseSeconds, tclaim &claim) override;
  void ReleaseClaim(const std::string &id) override;
  void FinishGame(const std::string &id, const tgameverdict &verdict, bool dailyInTime) override;
  bool GetGame(const std::string &id, tgamerow &row) override;
  void RankOn(tboard board, const std::string &id, int64_t &rank, int64_t &total) override;
  tboardpage Board(tboard board, const std::string &date, int64_t offset, int64_t limit) override;
  bool Replay(const std::string &id, std::vector<uint8_t> &replay) override;
  int64_t DeletePlayer(const std::string &name, const std::string &keyHash) override;
  bool HideGame(const std::string &id, bool hidden) override;
  bool HideName(const std::string &name, bool hidden) override;
  int64_t PendingCount() override;
  std::string Secret() override;
  // Applies the migrations and reads the secret: called once, before the store is shared.
  void Open();

 private:
  // Runs `work` in one transaction, once more on a fresh connection when that is safe.
  void Transact(bool write, const std::function<void(tsqlconn &)> &work, bool synced = true);

  const char *kind_;
  bool postgres_;
  tsqlpool pool_;
  std::string secret_;
};

// The key a name is unique under: "Bob" and "bob" are one name.
std::string FoldName(const std::string &name);
