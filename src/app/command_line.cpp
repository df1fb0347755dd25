#include "app/command_line.h"

#include <getopt.h>

#include <cstdio>
#include <cstring>

#include "online/settings.h"

#ifndef REDSIEGE_VERSION
#define REDSIEGE_VERSION "unknown"
#endif

namespace {
const char *const kUsage =
    "[--data DIR] [--user DIR] [--windowed | --fullscreen] [--replay FILE] [--server URL] [--verbose] [--help] "
    "[--version]";

void PrintHelp(const char *program) {
  std::printf(
      "Usage: %s [OPTION]...\n"
      "red siege: a side-view action game. Hold your base through the nights until\n"
      "the helicopter comes.\n"
      "\n"
      "  -d, --data=DIR     read the game's data from DIR\n"
      "  -u, --user=DIR     keep the options and the high scores in DIR\n"
      "  -w, --windowed     play in a window this time (the saved options stay)\n"
      "  -f, --fullscreen   play full screen this time\n"
      "  -r, --replay=FILE  watch a recorded game, then exit (F: double speed,\n"
      "                     Escape: leave); FILE may be an http:// or https://\n"
      "                     address, downloaded into the cache folder first\n"
      "  -s, --server=URL   send the scores to the world boards at URL this time\n"
      "                     (http:// or https://; the saved options stay)\n"
      "  -v, --verbose      show the folders used and the sound libraries' messages\n"
      "  -h, --help         show this help and exit\n"
      "  -V, --version      show the version and exit\n"
      "\n"
      "The data is read from --data, else from data/ beside the program (a build),\n"
      "else from share/redsiege of the install. Options are kept in\n"
      "$XDG_CONFIG_HOME/redsiege (~/.config/redsiege), high scores and the replays of\n"
      "the last games in $XDG_DATA_HOME/redsiege (~/.local/share/redsiege), downloaded\n"
      "replays in $XDG_CACHE_HOME/redsiege (~/.cache/redsiege).\n"
      "REDSIEGE_SEED=N (a whole number) builds the same days in every game.\n",
      program);
}
}  // namespace

tcommandaction ParseCommandLine(int argc, char **argv, tcommandline &line) {
  static const option kOptions[] = {
      {"data", required_argument, nullptr, 'd'},   {"user", required_argument, nullptr, 'u'},
      {"windowed", no_argument, nullptr, 'w'},     {"fullscreen", no_argument, nullptr, 'f'},
      {"verbose", no_argument, nullptr, 'v'},      {"help", no_argument, nullptr, 'h'},
      {"replay", required_argument, nullptr, 'r'}, {"version", no_argument, nullptr, 'V'},
      {"server", required_argument, nullptr, 's'}, {nullptr, 0, nullptr, 0},
  };
  const char *program = argc > 0 && argv[0] && *argv[0] ? argv[0] : "redsiege";
  if (const char *slash = std::strrchr(program, '/')) program = slash + 1;
  line = tcommandline{};
  // Our own one-line complaint replaces getopt's; optind 0 lets a process parse more than once.
  opterr = 0;
  optind = 0;
  std::string wrong;
  for (;;) {
    int c = getopt_long(argc, argv, ":d:u:r:s:wfvhV", kOptions, nullptr);
    if (c == -1) break;
    switch (c) {
      case 'd':
      case 'u':
        if (!*optarg) wrong = std::string("option '--") + (c == 'd' ? "data" : "user") + "' needs a folder";
        (c == 'd' ? line.dataDir : line.userDir) = optarg;
        break;
      case 'r':
        if (!*optarg) wrong = "option '--replay' needs a file";
        line.replayFile = optarg;
        break;
      case 's':
        if (!ValidServerAddress(optarg)) wrong = "option '--server' needs an http:// or https:// address";
        line.server = optarg;
        break;
      case 'w': line.fullScreen = 0; break;
      case 'f': line.fullScreen = 1; break;
      case 'v': line.verbose = true; break;
      case 'h': PrintHelp(program); return COMMAND_DONE;
      case 'V': std::printf("red siege %s\n", REDSIEGE_VERSION); return COMMAND_DONE;
      case ':': wrong = std::string("option '") + argv[optind - 1] + "' needs a value"; break;
      default:  // an unknown short option names itself in optopt, a long one only in argv
        wrong = optopt ? std::string("unknown option '-") + static_cast<char>(optopt) + "'"
                       : std::string("unknown option '") + argv[optind - 1] + "'";
        break;
    }
    if (!wrong.empty()) break;
  }
  if (wrong.empty() && optind < argc) wrong = std::string("unexpected argument '") + argv[optind] + "'";
  if (wrong.empty()) return COMMAND_RUN;
  std::fprintf(stderr, "%s: %s; usage: %s %s\n", program, wrong.c_str(), program, kUsage);
  return COMMAND_WRONG;
}
