// redsiege-server: the world high-score server. Takes replays over HTTP, plays each again in a
// limited child to find its true scores, and serves the boards; or, given a moderator's command,
// hides or shows a game or a name on the same database and exits.
#include <getopt.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "base/files.h"
#include "game/load.h"
#include "game/rules_version.h"
#include "persist/folders.h"
#include "persist/replay.h"
#include "server/api.h"
#include "server/http.h"
#include "server/store.h"
#include "server/verifier.h"

#ifndef REDSIEGE_VERSION
#define REDSIEGE_VERSION "unknown"
#endif

namespace {
void PrintHelp(const char *program) {
  std::printf(
      "Usage: %s [--listen ADDR:PORT] (--state DIR | --database postgresql://...)\n"
      "          [OPTION]... [COMMAND ARGUMENT]\n"
      "Keeps red siege's world high scores: takes games as replays over HTTP, plays\n"
      "each one again to find its true scores, and serves the boards as JSON and as\n"
      "a web page.\n"
      "\n"
      "  -l, --listen=ADDR:PORT       where to listen (127.0.0.1:8080; port 0 picks one)\n"
      "  -s, --state=DIR              keep everything in SQLite under DIR\n"
      "  -D, --database=URL           keep everything in PostgreSQL (postgresql://...)\n"
      "  -d, --data=DIR               the game's data folder\n"
      "      --verify=PROGRAM         the verifier (redsiege-verify beside this program)\n"
      "  -w, --workers=N              games verified at once (the number of cores)\n"
      "      --submit-rate=N          submissions a minute per address (30)\n"
      "      --read-rate=N            other requests a minute per address (600)\n"
      "      --max-connections=N      connections at once (1000)\n"
      "      --per-ip-connections=N   connections at once per address (32)\n"
      "      --request-timeout=S      seconds a client has to send a request (30)\n"
      "      --idle-timeout=S         seconds a quiet connection is kept open (15)\n"
      "  -h, --help                   show this help and exit\n"
      "  -V, --version                show the version and exit\n"
      "\n"
      "Moderator commands, run on the same --state or --database, then exit:\n"
      "  hide-game ID, show-game ID   hide a game from the boards, or show it again\n"
      "  hide-name NAME, show-name NAME  the same for every game under a name\n"
      "\n"
      "Rates count a client by its address (an IPv6 client by its /64); behind a\n"
      "reverse proxy on this host, by the last X-Forwarded-For address the proxy\n"
      "adds. Every proxied connection comes from the proxy: raise\n"
      "--per-ip-connections to the proxy's own connection count.\n"
      "\n"
      "Once listening it writes one line on standard error and stays quiet but for\n"
      "faults. SIGTERM or SIGINT stops it cleanly. A wrong command line exits 2.\n",
      program);
}

int Usage(const char *program, const std::string &wrong) {
  std::fprintf(stderr, "%s: %s (see --help)\n", program, PrintableText(wrong).c_str());
  return 2;
}

bool ReadCount(const char *text, long least, long most, long &value) {
  char *end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (!*text || *end || errno || v < least || v > most) return false;
  value = v;
  return true;
}

// The database's URL without its password, for the ready line.
std::string WithoutPassword(const std::string &url) {
  const size_t scheme = url.find("://");
  const size_t at = url.find('@');
  if (scheme == std::string::npos || at == std::string::npos) return url;
  const size_t colon = url.find(':', scheme + 3);
  if (colon == std::string::npos || colon > at) return url;
  return url.substr(0, colon) + ":***" + url.substr(at);
}

int Moderate(tstore &store, const std::string &command, const std::string &what, const char *program) {
  bool found = false;
  if (command == "hide-game" || command == "show-game")
    found = store.HideGame(what, command == "hide-game");
  else
    found = store.HideName(what, command == "hide-name");
  const bool game = command.find("game") != std::string::npos;
  if (!found) {
    std::fprintf(stderr, "%s: there is no %s \"%s\"\n", program, game ? "game" : "name", PrintableText(what).c_str());
    return 1;
  }
  std::printf("%s \"%s\" %s\n", game ? "game" : "name", PrintableText(what).c_str(),
              command.compare(0, 4, "hide") == 0 ? "hidden" : "shown");
  return 0;
}
}  // namespace

int main(int argc, char **argv) {
  enum { VERIFY = 1000, SUBMIT_RATE, READ_RATE, MAX_CONNECTIONS, PER_IP, REQUEST_TIMEOUT, IDLE_TIMEOUT };
  static const option kOptions[] = {
      {"listen", required_argument, nullptr, 'l'},
      {"state", required_argument, nullptr, 's'},
      {"database", required_argument, nullptr, 'D'},
      {"data", required_argument, nullptr, 'd'},
      {"verify", required_argument, nullptr, VERIFY},
      {"workers", required_argument, nullptr, 'w'},
      {"submit-rate", required_argument, nullptr, SUBMIT_RATE},
      {"read-rate", required_argument, nullptr, READ_RATE},
      {"max-connections", required_argument, nullptr, MAX_CONNECTIONS},
      {"per-ip-connections", required_argument, nullptr, PER_IP},
      {"request-timeout", required_argument, nullptr, REQUEST_TIMEOUT},
      {"idle-timeout", required_argument, nullptr, IDLE_TIMEOUT},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'V'},
      {nullptr, 0, nullptr, 0},
  };
  const char *program = argc > 0 && argv[0] && *argv[0] ? argv[0] : "redsiege-server";
  if (const char *slash = std::strrchr(program, '/')) program = slash + 1;
  opterr = 0;
  thttpconfig http;
  http.maxBody = REPLAY_MOST_BYTES;
  std::string stateDir, databaseUrl, dataDir, verifyProgram;
  long workers = std::max(1u, std::thread::hardware_concurrency());
  long submitRate = 30, readRate = 600;
  for (;;) {
    const int c = getopt_long(argc, argv, ":l:s:D:d:w:hV", kOptions, nullptr);
    if (c == -1) break;
    long n = 0;
    switch (c) {
      case 'l':
        if (!ParseListenAddress(optarg, http)) return Usage(program, std::string("cannot listen on '") + optarg + "'");
        break;
      case 's': stateDir = optarg; break;
      case 'D': databaseUrl = optarg; break;
      case 'd': dataDir = optarg; break;
      case VERIFY: verifyProgram = optarg; break;
      case 'w':
        if (!ReadCount(optarg, 1, 1024, workers)) return Usage(program, "--workers takes 1 to 1024");
        break;
      case SUBMIT_RATE:
        if (!ReadCount(optarg, 1, 1000000, submitRate)) return Usage(program, "--submit-rate takes 1 to 1000000");
        break;
      case READ_RATE:
        if (!ReadCount(optarg, 1, 1000000, readRate)) return Usage(program, "--read-rate takes 1 to 1000000");
        break;
      case MAX_CONNECTIONS:
        if (!ReadCount(optarg, 1, 100000, n)) return Usage(program, "--max-connections takes 1 to 100000");
        http.maxConnections = static_cast<unsigned>(n);
        break;
      case PER_IP:
        if (!ReadCount(optarg, 1, 100000, n)) return Usage(program, "--per-ip-connections takes 1 to 100000");
        http.perAddressConnections = static_cast<unsigned>(n);
        break;
      case REQUEST_TIMEOUT:
        if (!ReadCount(optarg, 1, 3600, n)) return Usage(program, "--request-timeout takes 1 to 3600 seconds");
        http.requestSeconds = static_cast<unsigned>(n);
        break;
      case IDLE_TIMEOUT:
        if (!ReadCount(optarg, 1, 3600, n)) return Usage(program, "--idle-timeout takes 1 to 3600 seconds");
        http.idleSeconds = static_cast<unsigned>(n);
        break;
      case 'h': PrintHelp(program); return 0;
      case 'V': std::printf("redsiege-server %s (rules version %u)\n", REDSIEGE_VERSION, RULES_VERSION); return 0;
      case ':': return Usage(program, std::string("option '") + argv[optind - 1] + "' needs a value");
      default:
        return Usage(program, optopt ? std::string("unknown option '-") + static_cast<char>(optopt) + "'"
                                     : std::string("unknown option '") + argv[optind - 1] + "'");
    }
  }
  if (stateDir.empty() == databaseUrl.empty())
    return Usage(program,
                 stateDir.empty() ? "name a --state folder or a --database" : "--state or --database, not both");
  if (!databaseUrl.empty() && databaseUrl.rfind("postgresql://", 0) != 0 && databaseUrl.rfind("postgres://", 0) != 0)
    return Usage(program, "--database takes a postgresql:// URL");
  std::string command, what;
  if (optind < argc) {
    command = argv[optind];
    if (command != "hide-game" && command != "show-game" && command != "hide-name" && command != "show-name")
      return Usage(program, "unknown command '" + command + "'");
    if (argc - optind != 2)
      return Usage(program, command + " takes one " + (command.find("game") != std::string::npos ? "id" : "name"));
    what = argv[optind + 1];
  }

  // Signals are taken by the main thread alone, so every thread started below inherits them blocked.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<tstore> store;
  try {
    store = stateDir.empty() ? OpenPostgresStore(databaseUrl) : OpenSqliteStore(stateDir);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "%s: cannot open the database: %s\n", program, PrintableText(e.what()).c_str());
    return 1;
  }
  if (!command.empty()) {
    try {
      return Moderate(*store, command, what, program);
    } catch (const std::exception &e) {
      std::fprintf(stderr, "%s: %s\n", program, PrintableText(e.what()).c_str());
      return 1;
    }
  }

  std::string problem;
  const std::string self = ExecutableFolder();
  // The server's package keeps its own data and verifier beside the game's places (a headless
  // host has no game installed): ../share/redsiege-server and ../lib/redsiege-server.
  const std::string packaged = self.empty() ? "" : self + "/../share/redsiege-server";
  if (dataDir.empty() && !packaged.empty() && FolderExists(packaged) && !FolderExists(self + "/data"))
    dataDir = packaged;
  baseDirectory = FindDataFolder(dataDir, self, problem);
  if (baseDirectory.empty()) {
    std::fprintf(stderr, "%s: %s\n", program, PrintableText(problem).c_str());
    return 1;
  }
  const std::string missing = LoadGameRules();
  if (!missing.empty()) {
    std::fprintf(stderr, "%s: the data folder %s has no %s\n", program, PrintableText(baseDirectory).c_str(),
                 PrintableText(missing).c_str());
    return 1;
  }
  if (verifyProgram.empty()) {
    verifyProgram = self + "/redsiege-verify";
    const std::string ownVerifier = self + "/../lib/redsiege-server/redsiege-verify";
    if (access(verifyProgram.c_str(), X_OK) != 0 && access(ownVerifier.c_str(), X_OK) == 0) verifyProgram = ownVerifier;
  }
  if (access(verifyProgram.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "%s: cannot run the verifier %s: %s\n", program, PrintableText(verifyProgram).c_str(),
                 std::strerror(errno));
    return 1;
  }

  tmetrics metrics;
  tservice service;
  service.store = store.get();
  service.metrics = &metrics;
  service.dataChecksum = GameDataChecksum();
  service.submitsPerMinute = static_cast<double>(submitRate);
  service.readsPerMinute = static_cast<double>(readRate);
  service.wake = WakeVerifiers;
  try {
    service.secret = store->Secret();
  } catch (const std::exception &e) {
    std::fprintf(stderr, "%s: cannot read the server's secret: %s\n", program, PrintableText(e.what()).c_str());
    return 1;
  }
  tverifyconfig verify;
  verify.program = verifyProgram;
  verify.dataDir = baseDirectory;
  StartVerifiers(*store, metrics, verify, static_cast<int>(workers), service.dailyMarginSeconds);

  // Requests wait on the database, not the processor: more threads than cores.
  http.threads = std::max(4u, 2 * std::thread::hardware_concurrency());
  thttpserver server;
  std::string why;
  if (!server.Start(
          http, [&service](const trequest &r) { return HandleRequest(r, service); }, why)) {
    std::fprintf(stderr, "%s: %s\n", program, why.c_str());
    StopVerifiers();
    return 1;
  }
  const std::string where = http.address.find(':') != std::string::npos ? "[" + http.address + "]" : http.address;
  const std::string database =
      stateDir.empty() ? "postgresql " + WithoutPassword(databaseUrl) : "sqlite " + stateDir + "/scores.db";
  std::fprintf(stderr, "%s: listening on %s:%u (%s)\n", program, where.c_str(), server.Port(),
               PrintableText(database).c_str());
  std::fflush(stderr);

  int signal = 0;
  sigwait(&stop, &signal);
  server.Stop();
  StopVerifiers();
  return 0;
}
