// redsiege-verify FILE: plays a replay headless and prints what it proves as one line of JSON.
#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/files.h"
#include "base/vector.h"
#include "game/rules_version.h"
#include "persist/folders.h"
#include "server/verify.h"

#ifndef REDSIEGE_VERSION
#define REDSIEGE_VERSION "unknown"
#endif

namespace {
const char *const kUsage = "[--data DIR] FILE";

void PrintHelp(const char *program) {
  std::printf(
      "Usage: %s [--data DIR] FILE\n"
      "Plays a red siege replay without a window or sound, and prints how it ended\n"
      "as one line of JSON: the rules version, seed, frames played, day, time of\n"
      "day, kills, supplies, how the game ended (rescued, died, base lost or\n"
      "unfinished), a hash of the rules' state and the four scores.\n"
      "\n"
      "  -d, --data=DIR  read the game's data from DIR\n"
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
}  // namespace

int main(int argc, char **argv) {
  static const option kOptions[] = {
      {"data", required_argument, nullptr, 'd'},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'V'},
      {nullptr, 0, nullptr, 0},
  };
  const char *program = argc > 0 && argv[0] && *argv[0] ? argv[0] : "redsiege-verify";
  if (const char *slash = std::strrchr(program, '/')) program = slash + 1;
  opterr = 0;
  std::string dataDir;
  for (;;) {
    const int c = getopt_long(argc, argv, ":d:hV", kOptions, nullptr);
    if (c == -1) break;
    switch (c) {
      case 'd':
        if (!*optarg) return Usage(program, "option '--data' needs a folder");
        dataDir = optarg;
        break;
      case 'h': PrintHelp(program); return 0;
      case 'V': std::printf("redsiege-verify %s (rules version %u)\n", REDSIEGE_VERSION, RULES_VERSION); return 0;
      case ':': return Usage(program, std::string("option '") + argv[optind - 1] + "' needs a value");
      default:
        return Usage(program, optopt ? std::string("unknown option '-") + static_cast<char>(optopt) + "'"
                                     : std::string("unknown option '") + argv[optind - 1] + "'");
    }
  }
  if (argc - optind != 1) return Usage(program, argc == optind ? "no replay named" : "one replay at a time");
  const std::string file = argv[optind];

  std::string problem;
  baseDirectory = FindDataFolder(dataDir, ExecutableFolder(), problem);
  if (baseDirectory.empty()) {
    std::fprintf(stderr, "%s: %s\n", program, PrintableText(problem).c_str());
    return 1;
  }
  MaskFloatExceptions();
  tverdict verdict;
  std::string why;
  if (!VerifyReplay(file, verdict, why)) {
    std::fprintf(stderr, "%s: %s\n", program, why.c_str());
    return 1;
  }
  std::printf("%s\n", VerdictJson(verdict).c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}
