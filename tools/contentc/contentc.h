// The content compiler: every step writes part of the data folder from our own sources.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "persist/options.h"

struct ContentPaths {
  std::string sourceDir;  // content/
  std::string dataDir;    // the data folder the game runs in
  // What an install adds beside the data folder (the icons, the shipped options); "" for none.
  std::string packageDir = "";
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

// The options a new player starts with. The package folder always gets them; a data folder only
// when it has none the game can read, since an earlier version saved the player's options there
// and the first start carries them into the player's settings folder.
toptions ShippedOptions();
