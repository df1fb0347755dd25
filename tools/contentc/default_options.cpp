// The options file shipped in the data folder: a window rather than a display-mode change, sound
// on, and the usual keys bound, so a new player can move at once. It is only a starting point,
// copied into the player's settings folder on a first start. A build's data folder may still
// hold options a player saved there before they had a folder of their own: every rebuild leaves
// those alone, so that first start carries them over. An install always ships ours.
#include <cstdio>

#include "base/files.h"
#include "contentc/contentc.h"

toptions ShippedOptions() {
  toptions o = {};
  o.screenWidth = 1024;
  o.screenHeight = 768;
  o.colourDepth = 32;
  o.fullScreen = 0;
  o.soundVolume = 0.7;
  o.musicVolume = 0.7;
  o.particlesOff = 0;
  o.shadowsOff = 0;
  o.keyLeft = 'A';
  o.keyRight = 'D';
  o.keyJump = 'W';
  o.keyChange = 'Q';
  o.keyUse = 'E';
  o.tutorial = 1;
  return o;
}

static bool WriteDefaultOptions(const ContentPaths &paths) {
  const std::string path = paths.dataDir + "/options.zop";
  std::vector<uint8_t> held;
  toptions read;
  if (ReadFileBytes(path, held) && DecodeOptions(held.data(), held.size(), read)) return true;
  // A file the game cannot read starts it with no keys bound: ours serves the player better.
  if (FileExists(path))
    std::fprintf(stderr,
                 "contentc: %s is not an options file the game can read (%zu bytes); writing the shipped options\n",
                 path.c_str(), held.size());
  return WriteDataFile(path, EncodeOptions(ShippedOptions()));
}

static bool WriteOptions(const ContentPaths &paths) {
  const std::vector<uint8_t> shipped = EncodeOptions(ShippedOptions());
  if (!paths.packageDir.empty() && !WriteDataFile(paths.packageDir + "/options.zop", shipped)) return false;
  return WriteDefaultOptions(paths);
}

static ContentStep step("options", WriteOptions);
