#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <string>

#include "base/files.h"
#include "contentc/contentc.h"

static std::map<std::string, ContentStepFn> &Steps() {
  static std::map<std::string, ContentStepFn> steps;
  return steps;
}

ContentStep::ContentStep(const char *name, ContentStepFn fn) { Steps()[name] = fn; }

int RunContentSteps(const ContentPaths &paths) {
  int failed = 0;
  for (auto &[name, fn] : Steps()) {
    bool ok = false;
    try {
      ok = fn(paths);
    } catch (const std::exception &e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
    if (!ok) {
      std::fprintf(stderr, "contentc: step '%s' failed\n", name.c_str());
      ++failed;
    }
  }
  return failed;
}

bool WriteDataFile(const std::string &path, const std::vector<uint8_t> &bytes) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string error;
  if (!ec && WriteFileAtomic(path, bytes, &error)) return true;
  std::fprintf(stderr, "contentc: %s\n", ec ? ec.message().c_str() : error.c_str());
  return false;
}
