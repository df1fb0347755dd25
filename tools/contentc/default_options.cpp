// The options file shipped in the data folder: a window rather than a display-mode change, sound
// on, and the usual keys bound, so a new player can move at once.
#include <cstdio>

#include "base/files.h"
#include "contentc/contentc.h"
#include "persist/options.h"

static bool WriteDefaultOptions(const ContentPaths &paths) {
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
  return WriteDataFile(paths.dataDir + "/options.zop", EncodeOptions(o));
}

static ContentStep step("options", WriteDefaultOptions);
