// contentc SOURCE_DIR DATA_DIR: writes every file the game reads into DATA_DIR.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "contentc/contentc.h"

static std::map<std::string, ContentStepFn> &Steps() {
  static std::map<std::string, ContentStepFn> steps;
  return steps;
}

ContentStep::ContentStep(const char *name, ContentStepFn fn) { Steps()[name] = fn; }

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: contentc SOURCE_DIR DATA_DIR\n");
    return 2;
  }
  ContentPaths paths{argv[1], argv[2]};
  std::error_code ec;
  std::filesystem::create_directories(paths.dataDir, ec);
  if (ec) {
    std::fprintf(stderr, "contentc: cannot create %s: %s\n", paths.dataDir.c_str(), ec.message().c_str());
    return 1;
  }
  int failed = 0;
  for (auto &[name, fn] : Steps()) {
    if (!fn(paths)) {
      std::fprintf(stderr, "contentc: step '%s' failed\n", name.c_str());
      ++failed;
    }
  }
  return failed ? 1 : 0;
}
