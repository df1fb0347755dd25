// contentc SOURCE_DIR DATA_DIR [PACKAGE_DIR]: writes every file the game reads into DATA_DIR,
// and what an install adds beside it (the icons, the shipped options) into PACKAGE_DIR.
#include <cstdio>
#include <filesystem>

#include "contentc/contentc.h"

int main(int argc, char **argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: contentc SOURCE_DIR DATA_DIR [PACKAGE_DIR]\n");
    return 2;
  }
  ContentPaths paths{argv[1], argv[2], argc == 4 ? argv[3] : ""};
  std::error_code ec;
  std::filesystem::create_directories(paths.dataDir, ec);
  if (ec) {
    std::fprintf(stderr, "contentc: cannot create %s: %s\n", paths.dataDir.c_str(), ec.message().c_str());
    return 1;
  }
  return RunContentSteps(paths) ? 1 : 0;
}
