// How a verifier child ended, turned into a game's verdict. Its output is never trusted: a line
// that is not the verdict's JSON, or holds a field of the wrong type, is the verifier failing.
#pragma once
#include <string>

#include "server/store.h"

struct tchildend {
  bool exited = false;  // exited with `code`, else killed by `signal`
  int code = -1, signal = 0;
  double cpuSeconds = 0;
  bool overCpu = false;   // killed by its CPU limit
  bool overWall = false;  // killed by us at the wall-clock limit
  bool overflow = false;  // killed by us for printing too much
  std::string output;     // what it printed on standard output
};

tgameverdict JudgeChild(const tchildend &end, const tgamescores &claimed);
// A refusal "verifier failed": the server's fault or the child's death, never the player's.
tgameverdict VerifierFailed(const std::string &why);
