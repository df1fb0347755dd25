// The program's command line, parsed with getopt_long.
#pragma once
#include <string>

struct tcommandline {
  std::string dataDir;  // --data: "" to search
  std::string userDir;  // --user: "" for the desktop's usual folders
  int fullScreen = -1;  // --windowed 0, --fullscreen 1, for this run only; -1 as the options say
  bool verbose = false;
  std::string replayFile;  // --replay: play this replay instead of the menus
  std::string server;      // --server: take part in the world boards at this address, this run only
};

enum tcommandaction { COMMAND_RUN, COMMAND_DONE, COMMAND_WRONG };

// COMMAND_DONE after --help or --version (printed on stdout); COMMAND_WRONG after one line of
// usage on stderr for an unknown option, a missing value or a stray argument.
tcommandaction ParseCommandLine(int argc, char **argv, tcommandline &line);
