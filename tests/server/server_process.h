// The real redsiege-server as a child process on 127.0.0.1 and the clients the tests talk to it
// with: libcurl for well-formed requests, a raw socket for hostile ones.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

// A fresh folder under `base` (the system's temporary folder when empty), removed with
// everything in it.
class ttempdir {
 public:
  explicit ttempdir(const std::string &prefix = "redsiege-server-test", const std::string &base = "");
  ~ttempdir();
  ttempdir(const ttempdir &) = delete;
  ttempdir &operator=(const ttempdir &) = delete;
  const std::string &path() const { return path_; }

 private:
  std::string path_;
};

// /dev/shm where there is one, else "": a folder whose syncs cost nothing, for the tests that
// load the server rather than this machine's disk.
std::string RamFolder();

// How to start the server: on SQLite in `state`, or on PostgreSQL at `database`; `extra` is more
// of its command line (rates, workers...).
struct tserverconfig {
  std::string state, database;
  std::vector<std::string> extra;
};

class tserverprocess {
 public:
  explicit tserverprocess(tserverconfig config) : config_(std::move(config)) {}
  ~tserverprocess() { Stop(); }
  tserverprocess(const tserverprocess &) = delete;
  tserverprocess &operator=(const tserverprocess &) = delete;

  // Starts it with --listen 127.0.0.1:0 and waits for its ready line. False (its output in Log())
  // when it exits or does not say it is ready in time.
  bool Start();
  // SIGTERM and wait: its exit status (0 for a clean stop), -1 when it was not running. The
  // calling thread's kept-alive connection is closed first, as a client going away would.
  int Stop();
  // SIGKILL and wait: nothing it had not made durable survives.
  void Kill();
  bool Running() const { return pid_ > 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT" + path.
  std::string Url(const std::string &path) const;
  // Everything it wrote to stderr and stdout so far.
  std::string Log() const;

 private:
  int Wait();
  tserverconfig config_;
  pid_t pid_ = -1;
  int port_ = 0;
  std::thread reader_;
  mutable std::mutex logLock_;
  std::string log_;
};

// Runs a program to its end (killed after `seconds`) and returns its exit status (-1 when it
// could not run or was killed); its stdout and stderr together in `output`.
int RunProgram(const std::vector<std::string> &argv, std::string &output, int seconds = 60);
// The server's moderator command on the same state: `redsiege-server --state DIR hide-game ID`.
int RunModerator(const tserverconfig &config, const std::vector<std::string> &command, std::string &output);

struct thttpreply {
  long status = 0;  // 0 when no answer came (the connection failed or was cut)
  std::string body, error;
  std::map<std::string, std::string> headers;              // names in lower case
  nlohmann::json Json() const;                             // discarded when the body is no JSON
  std::string Header(const std::string &lowerName) const;  // "" when it was not sent
};

// One request over libcurl; threads may call it at once (each keeps its own connection).
thttpreply HttpRequest(const std::string &method, const std::string &url, const std::vector<std::string> &headers = {},
                       const std::vector<uint8_t> &body = {});
inline thttpreply HttpGet(const std::string &url) { return HttpRequest("GET", url); }

// A game submission as the game sends it; each field can be spoiled by a test.
struct tsubmission {
  std::vector<uint8_t> replay;
  std::string name = "tester", key = "key-of-the-tester-0001", claimed;
  std::string contentType = "application/x-redsiege-replay";
  std::vector<std::string> extra;  // more header lines ("Daily-Token: ...")
  bool sendName = true, sendKey = true, sendClaimed = true;
};
thttpreply Submit(const std::string &baseUrl, const tsubmission &s);
// Percent-encoding for a header or a path.
std::string PercentEncode(const std::string &text);
// Polls GET /v1/games/{id} until it is no longer pending (or a minute passes): its last answer.
nlohmann::json WaitVerdict(const std::string &baseUrl, const std::string &id);
// The value of one metric line of /metrics ("redsiege_submissions_total"), -1 when missing.
double Metric(const std::string &baseUrl, const std::string &line);

// A hostile client on a raw socket: sends `parts` one after another, `pause` apart, then reads
// until the server closes or `readFor` passes. The answer's text; `cut` tells whether the server
// answered or closed the connection before the parts were all sent, `closed` whether it closed
// the connection at all.
struct trawreply {
  std::string text;
  bool cut = false, closed = false;
  int Status() const;  // the status line's code, 0 when none
};
trawreply RawExchange(int port, const std::vector<std::string> &parts, std::chrono::milliseconds pause,
                      std::chrono::milliseconds readFor);
