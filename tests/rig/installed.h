// This build installed as a player installs it, and a player's home to run it in.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "rig/rig.h"

// `cmake --install` of this build's game (not the score server) into a temporary folder (DESTDIR)
// with the prefix /usr, made once per test program. root is "" when the install failed; log says
// why.
struct InstalledBuild {
  std::string root, log;
  std::string prefix() const { return root + "/usr"; }
  std::string program() const { return prefix() + REDSIEGE_INSTALLED_PROGRAM_FROM_PREFIX; }
  std::string data() const { return prefix() + REDSIEGE_INSTALLED_DATA_FROM_PREFIX; }
  std::string bin() const;  // the folder of program()
};
const InstalledBuild &InstallThisBuild();

// A temporary home with its own XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_CACHE_HOME for its lifetime.
struct PlayerHome {
  TempDir home;
  ScopedEnv homeVar{"HOME", home.path().c_str()};
  ScopedEnv config{"XDG_CONFIG_HOME", home.file("config").c_str()};
  ScopedEnv data{"XDG_DATA_HOME", home.file("share").c_str()};
  ScopedEnv cacheVar{"XDG_CACHE_HOME", home.file("cache").c_str()};
  std::string settings() const { return home.file("config/redsiege"); }
  std::string records() const { return home.file("share/redsiege"); }
  std::string cache() const { return home.file("cache/redsiege"); }
};

// Every file and folder below `folder` with its size and modification time, to show that a run
// wrote nothing there.
std::map<std::string, std::string> FolderListing(const std::string &folder);

// Words quoted for sh, each one argument whatever it holds.
std::string ShellWords(const std::vector<std::string> &words);
// Runs a command line as a desktop launches it: `words[0]` looked up on a PATH that begins with
// the install's bin/, in this process's environment (its display, the player's home), from an
// empty folder, OpenAL on its null device; killed after two minutes.
Ran RunLaunched(const InstalledBuild &install, const std::vector<std::string> &words);
