#include "server/pg_cluster.h"

#include <fcntl.h>
#include <glob.h>
#include <grp.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace {

// A port nobody listens on now (the kernel's pick for a socket bound to port 0).
int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof addr;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &size) == 0) {
    port = ntohs(addr.sin_port);
  }
  close(fd);
  return port;
}

std::string Tail(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  std::string all = text.str();
  return all.size() > 600 ? all.substr(all.size() - 600) : all;
}

}  // namespace

std::string tpgcluster::FindInitdb() {
  glob_t found{};
  std::string best;
  if (glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &found) == 0) {
    std::vector<std::string> paths(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    // The newest version installed ("15" after "9.6").
    std::sort(paths.begin(), paths.end(), [](const std::string &a, const std::string &b) {
      return std::atof(a.c_str() + 20) < std::atof(b.c_str() + 20);
    });
    best = paths.back();
  }
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
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
}

bool tpgcluster::RunAsPostgres(const std::vector<std::string> &args, bool wait, pid_t &pid, std::string &why) {
  uid_t uid = getuid();
  gid_t gid = getgid();
  if (geteuid() == 0) {
    // PostgreSQL refuses to run as root.
    passwd *user = getpwnam("postgres");
    if (!user) {
      why = "the tests run as root and there is no postgres user";
      return false;
    }
    uid = user->pw_uid;
    gid = user->pw_gid;
  }
  std::vector<char *> argv;
  for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
  argv.push_back(nullptr);
  const std::string log = dir_ + "/log";
  pid = fork();
  if (pid < 0) {
    why = "cannot fork";
    return false;
  }
  if (pid == 0) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
    // The server goes with the test process, even when that one crashes.
    if (!wait) prctl(PR_SET_PDEATHSIG, SIGKILL);
    int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
      close(fd);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (!wait) return true;
  int status = 0;
  waitpid(pid, &status, 0);
  pid = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  why = args[0] + " failed: " + Tail(log);
  return false;
}

bool tpgcluster::Create(std::string &why) {
  std::string initdb = FindInitdb();
  if (initdb.empty()) {
    why = "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)";
    return false;
  }
  bin_ = std::filesystem::path(initdb).parent_path().string();
  char pattern[] = "/tmp/redsiege-pg-XXXXXX";
  if (!mkdtemp(pattern)) {
    why = "cannot make a folder under /tmp";
    return false;
  }
  dir_ = pattern;
  if (geteuid() == 0) {
    passwd *user = getpwnam("postgres");
    if (user && chown(dir_.c_str(), user->pw_uid, user->pw_gid) != 0) {
      why = "cannot give " + dir_ + " to postgres";
      return false;
    }
  }
  pid_t pid;
  return RunAsPostgres({initdb, "-D", dir_ + "/data", "-U", "postgres", "-A", "trust", "-E", "UTF8", "--locale=C",
                        "--no-sync", "--no-instructions"},
                       true, pid, why);
}

bool tpgcluster::Start(std::string &why) {
  if (port_ == 0) port_ = FreePort();
  // Speed over safety: the cluster lives for one test run. (The store's own syncing is SQLite's
  // to test; here it is the connection's faults.)
  if (!RunAsPostgres({bin_ + "/postgres", "-D", dir_ + "/data", "-p", std::to_string(port_), "-k", dir_, "-h",
                      "127.0.0.1", "-c", "fsync=off", "-c", "full_page_writes=off", "-c", "max_connections=60"},
                     false, server_, why)) {
    return false;
  }
  const std::string url = Url("postgres");
  for (int tries = 0; tries < 600; ++tries) {
    if (PQping(url.c_str()) == PQPING_OK) return true;
    int status;
    if (waitpid(server_, &status, WNOHANG) == server_) {
      server_ = -1;
      why = "postgres stopped: " + Tail(dir_ + "/log");
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  why = "postgres did not answer within 30 s: " + Tail(dir_ + "/log");
  Stop();
  return false;
}

void tpgcluster::Stop() {
  if (server_ <= 0) return;
  kill(server_, SIGINT);  // a fast shutdown: sessions are cut, as in a real restart
  int status;
  for (int tries = 0; tries < 600 && waitpid(server_, &status, WNOHANG) != server_; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (tries == 599) {
      kill(server_, SIGKILL);
      waitpid(server_, &status, 0);
    }
  }
  server_ = -1;
}

std::string tpgcluster::Url(const std::string &database) const {
  return "postgresql://postgres@127.0.0.1:" + std::to_string(port_) + "/" + database;
}

std::string tpgcluster::NewDatabase(std::string &why) {
  const std::string name = "store" + std::to_string(++databases_);
  PGconn *conn = PQconnectdb(Url("postgres").c_str());
  PGresult *res = PQexec(conn, ("CREATE DATABASE " + name).c_str());
  bool made = PQresultStatus(res) == PGRES_COMMAND_OK;
  if (!made) why = PQerrorMessage(conn);
  PQclear(res);
  PQfinish(conn);
  return made ? Url(name) : "";
}
