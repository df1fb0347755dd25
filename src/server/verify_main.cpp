// redsiege-verify FILE: plays a replay headless and prints what it proves as one line of JSON.
#include <fcntl.h>
#include <getopt.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/files.h"
#include "base/vector.h"
#include "game/rules_version.h"
#include "persist/folders.h"
#include "server/verify.h"
#include "server/verify_sandbox.h"

#ifndef REDSIEGE_VERSION
#define REDSIEGE_VERSION "unknown"
#endif

namespace {
const char *const kUsage = "[--sandbox] [--data DIR] FILE";

void PrintHelp(const char *program) {
  std::printf(
      "Usage: %s [--sandbox] [--data DIR] FILE\n"
      "Plays a red siege replay without a window or sound, and prints how it ended\n"
      "as one line of JSON: the rules version, seed, frames played, day, time of\n"
      "day, kills, supplies, how the game ended (rescued, died, base lost or\n"
      "unfinished), whether it was won, the game time played, whether the file was\n"
      "cut short, a hash of the rules' state and the four scores. FILE - reads the\n"
      "replay from standard input.\n"
      "\n"
      "  -d, --data=DIR  read the game's data from DIR\n"
      "  -s, --sandbox   once the replay and data are read, open no file or socket\n"
      "                  and start no process; a refusal is also told on standard\n"
      "                  output as {\"refused\": code, \"reason\": line}\n"
      "  -h, --help      show this help and exit\n"
      "  -V, --version   show the version and exit\n"
      "\n"
      "The data is read from --data, else from data/ beside the program (a build),\n"
      "else from share/redsiege of the install. A replay that cannot be played here\n"
      "(not a replay, damaged, other rules, other data, no frames) gives one line on\n"
      "standard error and exit status 1; a wrong command line exit status 2.\n",
      program);
}

int Usage(const char *program, const std::string &wrong) {
  std::fprintf(stderr, "%s: %s\nUsage: %s %s\n", program, wrong.c_str(), program, kUsage);
  return 2;
}

// The tests' proof that the wall holds: what opening `path`, making a socket and starting a
// process give once sealed, as one line. Reached only after the real sandbox is entered.
int ProbeSandbox(const std::string &path) {
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const int openError = file < 0 ? errno : 0;
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  const int socketError = sock < 0 ? errno : 0;
  const pid_t child = fork();
  if (child == 0) _exit(0);
  const int forkError = child < 0 ? errno : 0;
  std::printf("{\"open\":%d,\"socket\":%d,\"fork\":%d}\n", openError, socketError, forkError);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
}  // namespace

int main(int argc, char **argv) {
  static const option kOptions[] = {
      {"data", required_argument, nullptr, 'd'},
      {"sandbox", no_argument, nullptr, 's'},
      {"probe-sandbox", required_argument, nullptr, 'P'},  // for the tests; not shown
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'V'},
      {nullptr, 0, nullptr, 0},
  };
  const char *program = argc > 0 && argv[0] && *argv[0] ? argv[0] : "redsiege-verify";
  if (const char *slash = std::strrchr(program, '/')) program = slash + 1;
  opterr = 0;
  std::string dataDir, probe;
  bool sandbox = false;
  for (;;) {
    const int c = getopt_long(argc, argv, ":d:shV", kOptions, nullptr);
    if (c == -1) break;
    switch (c) {
      case 'd':
        if (!*optarg) return Usage(program, "option '--data' needs a folder");
        dataDir = optarg;
        break;
      case 's': sandbox = true; break;
      case 'P': probe = optarg; break;
      case 'h': PrintHelp(program); return 0;
      case 'V': std::printf("redsiege-verify %s (rules version %u)\n", REDSIEGE_VERSION, RULES_VERSION); return 0;
      case ':': return Usage(program, std::string("option '") + argv[optind - 1] + "' needs a value");
      default:
        return Usage(program, optopt ? std::string("unknown option '-") + static_cast<char>(optopt) + "'"
                                     : std::string("unknown option '") + argv[optind - 1] + "'");
    }
  }
  if (argc - optind != 1) return Usage(program, argc == optind ? "no replay named" : "one replay at a time");
  if (!probe.empty() && !sandbox) return Usage(program, "option '--probe-sandbox' needs '--sandbox'");
  const std::string file = argv[optind];

  std::string problem;
  baseDirectory = FindDataFolder(dataDir, ExecutableFolder(), problem);
  if (baseDirectory.empty()) {
    std::fprintf(stderr, "%s: %s\n", program, PrintableText(problem).c_str());
    return 1;
  }
  MaskFloatExceptions();
  treplay replay;
  bool cut = false;
  std::string why;
  tverifyrefusal refusal = VERIFY_DAMAGED;
  const bool read = ReadForVerify(file, replay, cut, why, refusal);
  if (sandbox && !EnterSandbox(problem)) {
    std::fprintf(stderr, "%s: %s\n", program, problem.c_str());
    return 1;
  }
  if (!read) {
    std::fprintf(stderr, "%s: %s\n", program, why.c_str());
    if (sandbox) std::printf("%s\n", RefusalJson(refusal, why).c_str());
    return 1;
  }
  if (!probe.empty()) return ProbeSandbox(probe);
  std::printf("%s\n", VerdictJson(PlayForVerify(replay, cut)).c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}
