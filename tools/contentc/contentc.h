// The content compiler: every step writes part of the data folder from our own sources.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "persist/options.h"

struct ContentPaths {
  std::string sourceDir;  // content/
  std::string dataDir;    // the data folder the game runs in
};

// A step returns false (after printing why on stderr) when it could not write its files.
using ContentStepFn = bool (*)(const ContentPaths &paths);

// Steps register themselves at start-up, so each lives in its own file; they run in name order.
struct ContentStep {
  ContentStep(const char *name, ContentStepFn fn);
};

// Writes one file of the data folder (creating its folder), saying on stderr why when it cannot.
bool WriteDataFile(const std::string &path, const std::vector<uint8_t> &bytes);

// Runs every registered step; returns how many failed. A step may also fail by throwing: the
// message is printed.
int RunContentSteps(const ContentPaths &paths);

// The options a new player starts with; written only into a data folder that has none the game
// can read, so a player's own settings survive every rebuild.
toptions ShippedOptions();
