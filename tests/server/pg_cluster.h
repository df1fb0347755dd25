// A throwaway PostgreSQL cluster for tests: initdb into a fresh folder under /tmp, the server on
// 127.0.0.1 at a free port (its unix socket in that folder), run as the `postgres` user when the
// tests run as root. One per test process, removed when the process ends.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

class tpgcluster {
 public:
  // Where initdb is ("" when PostgreSQL is not installed: the tests that need it skip).
  static std::string FindInitdb();
  // The process's cluster, started at its first use; nullptr (and `why`) when it cannot run.
  static tpgcluster *Shared(std::string &why);
  ~tpgcluster();

  bool Start(std::string &why);
  // A fast shutdown: every session is cut, as in a real restart.
  void Stop();
  // A new, empty database of its own for one test: its URL, "" (and `why`) when it fails.
  std::string NewDatabase(std::string &why);

 private:
  bool Create(std::string &why);
  bool Run(const std::vector<std::string> &args, bool wait, std::string &why);
  std::string Url(const std::string &database) const;
  std::string Tail() const;  // the end of its log

  std::string bin_, dir_;
  int port_ = 0, databases_ = 0;
  pid_t server_ = -1;
};
