// A throwaway PostgreSQL cluster for tests: initdb into a fresh folder under /tmp, the server on
// 127.0.0.1 at a free port (its unix socket in that folder), run as the `postgres` user when the
// tests run as root. Removed when the object goes.
#pragma once
#include <sys/types.h>
#include <string>
#include <vector>

class tpgcluster {
 public:
  // Where initdb is ("" when PostgreSQL is not installed: the tests that need it skip).
  static std::string FindInitdb();
  // The suite's cluster, started at its first use; nullptr (and `why`) when it cannot run.
  static tpgcluster *Shared(std::string &why);

  tpgcluster() = default;
  ~tpgcluster();
  tpgcluster(const tpgcluster &) = delete;
  tpgcluster &operator=(const tpgcluster &) = delete;

  // initdb and start; false and `why` when either fails.
  bool Create(std::string &why);
  bool Start(std::string &why);
  void Stop();
  bool Restart(std::string &why) { return Stop(), Start(why); }
  // A new, empty database of its own for one test.
  std::string NewDatabase(std::string &why);
  std::string Url(const std::string &database) const;

 private:
  bool RunAsPostgres(const std::vector<std::string> &args, bool wait, pid_t &pid, std::string &why);

  std::string bin_, dir_;
  int port_ = 0, databases_ = 0;
  pid_t server_ = -1;
};
