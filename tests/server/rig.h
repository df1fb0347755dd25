// The rig of the server's tests: replays played headless from a script, the real redsiege-server
// as a child process on 127.0.0.1 on a fresh store, and the clients the tests talk to it with
// (libcurl for well-formed requests, a raw socket for hostile ones).
#pragma once
#include <pwd.h>

#include <chrono>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "game/scores.h"
#include "persist/replay.h"

// The verifier built with AddressSanitizer cannot live under the child's memory cap (its shadow
// memory is reserved up front): there every game is refused as the verifier failing.
#if defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

struct tplayedgame {
  std::vector<uint8_t> bytes;  // the replay file
  std::string id;              // the first 16 hex digits of its SHA-256, as the server names it
  tgamescores scores{};        // what the game computed when it ended or stopped
  bool won = false;
  uint32_t seed = 0;
  size_t frames = 0;
};
// A short game of `frames` frames (fewer when it ends) whose player walks, jumps, fires and rushes
// the clock in a pattern of the seed. Played in the calling thread (the rules are global).
tplayedgame PlayScriptedGame(uint32_t seed, int frames, int32_t helpBase = 2);
// Plays replay bytes headless as the verifier does; false when the reader refuses them.
bool PlayReplayBytes(const std::vector<uint8_t> &bytes, tplayedgame &game);
// The replay passed through `edit` and written again with every CRC made good (a forgery).
std::vector<uint8_t> Rewritten(const std::vector<uint8_t> &bytes, const std::function<void(treplay &)> &edit);
// The id the server gives a replay: the first 16 hex digits of its SHA-256.
std::string ReplayId(const std::vector<uint8_t> &bytes);
// "survive,rescue,horde,slayer", as the Claimed-Scores header carries them.
std::string ClaimedScores(const tgamescores &s);
// The golden replay of that name ("rescue" ends in the rescue, "night", "lost"), played.
std::string GoldenPath(const std::string &name);
tplayedgame GoldenGame(const std::string &name);
struct tnewgame;  // server/store.h, which the online client's tests cannot include
// `game` as a store takes it, sent by `name` at `at` (seconds since 1970).
tnewgame NewGameOf(const tplayedgame &game, const std::string &name, int64_t at);

// A fresh folder under `base` (the system's temporary folder when empty), removed after.
struct ttempdir {
  explicit ttempdir(const std::string &base = "");
  ~ttempdir();
  ttempdir(const ttempdir &) = delete;
  std::string path;
};
std::string ReadText(const std::string &path);

// Starts argv (as `user` when given) with stdout and stderr appended to `log`; it is killed when
// the test process ends. -1 when it cannot start.
pid_t Spawn(const std::vector<std::string> &argv, const std::string &log, const passwd *user = nullptr);
// Waits at most `most` for `pid` to end, then kills it: its exit status, -1 when it was killed.
int WaitOrKill(pid_t pid, std::chrono::milliseconds most);
// Runs a program to its end (killed after 60 s): its exit status (127 when it could not start), -1
// when it was killed; stdout and stderr together in `output`.
int RunProgram(const std::vector<std::string> &argv, std::string &output);
// A socket listening on 127.0.0.1 at a port of the kernel's choice (`port`); -1 when none.
int Listen(int &port);

enum tbackend { SQLITE, POSTGRESQL };

// The server on a fresh store: SQLite in a fresh folder (under `base`), or a database of its own
// on the test process's PostgreSQL cluster; `why` says why there is none. Its rates are raised
// past what any test reaches (the limits are tested on their own) unless `extra` lowers them.
class tserver {
 public:
  explicit tserver(tbackend backend = SQLITE, std::vector<std::string> extra = {}, const std::string &base = "");
  ~tserver() { Kill(); }
  // Starts it on port 0 and reads its port from its ready line; false (see Log()) when it fails.
  bool Start();
  // SIGTERM and wait (a minute at most, then SIGKILL): its exit status, 0 for a clean stop.
  int Stop();
  void Kill();
  bool Running() const { return pid_ > 0; }
  int port() const { return port_; }
  std::string Url(const std::string &path = "") const;
  std::string Log() const { return ReadText(log_); }
  // Its command line's store: {"--state", DIR} or {"--database", URL}.
  std::vector<std::string> store;
  std::string why;
  ttempdir dir;

 private:
  std::vector<std::string> extra_;
  std::string log_;  // its stdout and stderr
  int pid_ = -1, port_ = 0;
};

struct thttpreply {
  long status = 0;  // 0 when no answer came
  std::string body, error;
  std::map<std::string, std::string> headers;  // names in lower case
  nlohmann::json Json() const { return nlohmann::json::parse(body, nullptr, false); }
};
// One request; threads may call it at once (each keeps its own connection).
thttpreply HttpRequest(const std::string &method, const std::string &url, const std::vector<std::string> &headers = {},
                       const std::vector<uint8_t> &body = {});
inline thttpreply HttpGet(const std::string &url) { return HttpRequest("GET", url); }

// A submission as the game sends it; each field can be spoiled by a test.
struct tsubmission {
  std::vector<uint8_t> replay;
  std::string name, key, claimed, contentType = "application/x-redsiege-replay";
  std::vector<std::string> extra;  // more header lines ("Daily-Token: ...")
  bool sendName = true, sendKey = true, sendClaimed = true;
};
// `game` sent by `name` with the name's own key, claiming what it scored.
tsubmission SubmissionOf(const tplayedgame &game, const std::string &name);
thttpreply Submit(const std::string &baseUrl, const tsubmission &s);
// GET /v1/games/{id} until it is no longer pending (a minute at most): its last answer.
nlohmann::json WaitVerdict(const std::string &baseUrl, const std::string &id);
// A hundred of a board's entries from `offset`.
nlohmann::json Board(const std::string &baseUrl, const std::string &board, size_t offset = 0);
// One line of /metrics ("redsiege_queue_depth"), -1 when missing.
double Metric(const std::string &baseUrl, const std::string &line);

// A hostile client: sends `parts` `pause` apart, then reads until the server closes or `readFor`
// passes. `cut`: the server answered or closed before all was sent; `closed`: it closed at all.
struct trawreply {
  std::string text;
  bool cut = false, closed = false;
  int Status() const;  // the status line's code, 0 when none
};
trawreply RawExchange(int port, const std::vector<std::string> &parts, std::chrono::milliseconds pause,
                      std::chrono::milliseconds readFor);
