// The store in PostgreSQL, which several servers share: a small pool of connections, each made
// again when the database went away (restarted, or the network broke).
#include <libpq-fe.h>

#include <cstdio>
#include <cstring>

#include "server/store_sql.h"

namespace {

const int kMostConnections = 8;
const Oid kByteaOid = 17;

class tpgconn : public tsqlconn {
 public:
  explicit tpgconn(const std::string &url) {
    // Ours first, so what the URL names wins. Keepalives notice a database host that vanished
    // without closing the connection, so no request waits on it for ever.
    const char *keys[] = {"connect_timeout",  "keepalives_idle", "keepalives_interval",
                          "keepalives_count", "dbname",          nullptr};
    const char *values[] = {"10", "30", "10", "3", url.c_str(), nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
      std::string why = conn_ ? OneLine(PQerrorMessage(conn_)) : "out of memory";
      PQfinish(conn_);
      throw tsqlerror(tstoreerror::UNAVAILABLE, "postgresql: cannot connect: " + why, false, true);
    }
    // The server's notices ("already exists, skipping") are not faults: the log stays quiet.
    PQsetNoticeProcessor(
        conn_, [](void *, const char *) {}, nullptr);
  }
  ~tpgconn() override { PQfinish(conn_); }

  void Begin(bool, bool synced) override {
    Run("BEGIN");
    if (!synced) Run("SET LOCAL synchronous_commit = off");
  }
  void Commit() override {
    // Lost while committing, we cannot know whether it was: that is never run again.
    committing_ = true;
    try {
      Run("COMMIT");
    } catch (...) {
      committing_ = false;
      throw;
    }
    committing_ = false;
  }
  void Rollback() override {
    PGTransactionStatusType status = PQtransactionStatus(conn_);
    if (status == PQTRANS_INTRANS || status == PQTRANS_INERROR) PQclear(PQexec(conn_, "ROLLBACK"));
  }
  int64_t Changed() override { return changed_; }

  std::vector<tsqlrow> Run(const std::string &sql, const std::vector<tsqlparam> &params = {}) override {
    std::vector<std::string> texts(params.size());
    std::vector<const char *> values(params.size());
    std::vector<int> lengths(params.size()), formats(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
      const tsqlparam &p = params[i];
      char number[32];
      switch (p.kind) {
        case tsqlparam::INT: texts[i] = std::to_string(p.i); break;
        case tsqlparam::REAL:
          std::snprintf(number, sizeof number, "%.17g", p.r);
          texts[i] = number;
          break;
        case tsqlparam::TEXT:
        case tsqlparam::BLOB: break;
      }
      const std::string &text = p.kind == tsqlparam::TEXT || p.kind == tsqlparam::BLOB ? p.s : texts[i];
      values[i] = text.data();
      lengths[i] = int(text.size());
      formats[i] = p.kind == tsqlparam::BLOB ? 1 : 0;
    }
    PGresult *res =
        PQexecParams(conn_, sql.c_str(), int(params.size()), nullptr, values.data(), lengths.data(), formats.data(), 0);
    ExecStatusType status = res ? PQresultStatus(res) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) Fail(res, sql);
    changed_ = std::strtoll(PQcmdTuples(res), nullptr, 10);
    std::vector<tsqlrow> rows(PQntuples(res));
    int columns = PQnfields(res);
    for (size_t r = 0; r < rows.size(); ++r) {
      for (int c = 0; c < columns; ++c) rows[r].cells.push_back(Cell(res, int(r), c));
    }
    PQclear(res);
    return rows;
  }

 private:
  static std::string Cell(PGresult *res, int r, int c) {
    if (PQgetisnull(res, r, c)) return "";
    if (PQftype(res, c) != kByteaOid) return std::string(PQgetvalue(res, r, c), PQgetlength(res, r, c));
    size_t size = 0;
    unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(PQgetvalue(res, r, c)), &size);
    if (!bytes) throw tsqlerror(tstoreerror::OTHER, "postgresql: out of memory reading bytes", false, false);
    std::string cell(reinterpret_cast<char *>(bytes), size);
    PQfreemem(bytes);
    return cell;
  }

  static std::string OneLine(const char *text) {
    std::string line = text ? text : "";
    for (char &c : line) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
  }

  [[noreturn]] void Fail(PGresult *res, const std::string &sql) {
    const char *state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
    std::string code = state ? state : "";
    std::string why = OneLine(res ? PQresultErrorMessage(res) : PQerrorMessage(conn_));
    PQclear(res);
    // Lost connections, a server shutting down or starting up: try again on a new connection.
    bool broken = PQstatus(conn_) == CONNECTION_BAD || code.compare(0, 2, "08") == 0 ||
                  code.compare(0, 3, "57P") == 0 || code.empty();
    tstoreerror::tkind kind = tstoreerror::OTHER;
    bool retry = false;
    if (broken) {
      kind = tstoreerror::UNAVAILABLE;
      retry = !committing_;
    } else if (code == "53100") {
      kind = tstoreerror::FULL;
    } else if (code.compare(0, 2, "53") == 0) {
      kind = tstoreerror::UNAVAILABLE;
    } else if (code == "23505" || code == "40001" || code == "40P01") {
      // Another server's transaction won a race (the same new name at once): run ours again,
      // now seeing theirs.
      retry = true;
    }
    throw tsqlerror(kind, "postgresql: " + why + " (" + sql.substr(0, 60) + ")", retry, broken);
  }

  PGconn *conn_ = nullptr;
  int64_t changed_ = 0;
  bool committing_ = false;
};

}  // namespace

std::unique_ptr<tsqlconn> OpenPostgresConn(const std::string &url) { return std::make_unique<tpgconn>(url); }

std::unique_ptr<tstore> OpenPostgresStore(const std::string &url) {
  auto store = std::make_unique<tsqlstore>(
      "postgresql", true, [url] { return std::unique_ptr<tsqlconn>(new tpgconn(url)); }, kMostConnections);
  store->Open();
  return store;
}
