#include "server/pg_cluster.h"

#include <glob.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "server/rig.h"

namespace {

// PostgreSQL refuses to run as root: as root, it runs as the postgres user.
passwd *RunAs() { return geteuid() == 0 ? getpwnam("postgres") : nullptr; }

}  // namespace

std::string tpgcluster::FindInitdb() {
  glob_t found{};
  std::string best;
  // The newest version installed ("15" after "9.6").
  if (glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &found) == 0)
    for (size_t i = 0; i < found.gl_pathc; ++i)
      if (best.empty() || std::atof(found.gl_pathv[i] + 20) > std::atof(best.c_str() + 20)) best = found.gl_pathv[i];
  globfree(&found);
  return best;
}

tpgcluster *tpgcluster::Shared(std::string &why) {
  static std::unique_ptr<tpgcluster> cluster;
  static std::string failed;
  if (!cluster && failed.empty()) {
    auto made = std::make_unique<tpgcluster>();
    if (made->Create(failed) && made->Start(failed)) cluster = std::move(made);
  }
  why = failed;
  return cluster.get();
}

tpgcluster::~tpgcluster() {
  Stop();
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

bool tpgcluster::Run(const std::vector<std::string> &args, bool wait, std::string &why) {
  passwd *user = RunAs();
  if (geteuid() == 0 && !user) return why = "the tests run as root and there is no postgres user", false;
  const pid_t pid = Spawn(args, dir_ + "/log", user);
  if (pid < 0) return why = "cannot fork", false;
  if (!wait) return server_ = pid, true;
  if (WaitOrKill(pid, std::chrono::minutes(5)) == 0) return true;
  return why = args[0] + " failed: " + Tail(), false;
}

std::string tpgcluster::Tail() const {
  const std::string all = ReadText(dir_ + "/log");
  return all.size() > 600 ? all.substr(all.size() - 600) : all;
}

bool tpgcluster::Create(std::string &why) {
  const std::string initdb = FindInitdb();
  if (initdb.empty()) return why = "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)", false;
  bin_ = std::filesystem::path(initdb).parent_path().string();
  char pattern[] = "/tmp/redsiege-pg-XXXXXX";
  if (!mkdtemp(pattern)) return why = "cannot make a folder under /tmp", false;
  dir_ = pattern;
  if (passwd *user = RunAs(); user && chown(dir_.c_str(), user->pw_uid, user->pw_gid) != 0)
    return why = "cannot give " + dir_ + " to postgres", false;
  return Run({initdb, "-D", dir_ + "/data", "-U", "postgres", "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync",
              "--no-instructions"},
             true, why);
}

bool tpgcluster::Start(std::string &why) {
  if (port_ == 0) close(Listen(port_));  // a port nobody listens on now
  // Speed over safety: the cluster lives for one test run.
  if (!Run({bin_ + "/postgres", "-D", dir_ + "/data", "-p", std::to_string(port_), "-k", dir_, "-h", "127.0.0.1", "-c",
            "fsync=off", "-c", "full_page_writes=off", "-c", "max_connections=60"},
           false, why))
    return false;
  for (int tries = 0; tries < 600; ++tries) {
    if (PQping(Url("postgres").c_str()) == PQPING_OK) return true;
    if (waitpid(server_, nullptr, WNOHANG) == server_) return server_ = -1, why = "postgres stopped: " + Tail(), false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  why = "postgres did not answer within 30 s: " + Tail();
  Stop();
  return false;
}

void tpgcluster::Stop() {
  if (server_ <= 0) return;
  kill(server_, SIGINT);  // a fast shutdown
  WaitOrKill(server_, std::chrono::seconds(30));
  server_ = -1;
}

std::string tpgcluster::Url(const std::string &database) const {
  return "postgresql://postgres@127.0.0.1:" + std::to_string(port_) + "/" + database;
}

std::string tpgcluster::NewDatabase(std::string &why) {
  const std::string name = "store" + std::to_string(++databases_);
  PGconn *conn = PQconnectdb(Url("postgres").c_str());
  PGresult *res = PQexec(conn, ("CREATE DATABASE " + name).c_str());
  const bool made = PQresultStatus(res) == PGRES_COMMAND_OK;
  if (!made) why = PQerrorMessage(conn);
  PQclear(res);
  PQfinish(conn);
  return made ? Url(name) : "";
}
