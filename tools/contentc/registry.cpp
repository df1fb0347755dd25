#include <cstdio>
#include <map>
#include <string>

#include "contentc/contentc.h"

static std::map<std::string, ContentStepFn> &Steps() {
  static std::map<std::string, ContentStepFn> steps;
  return steps;
}

ContentStep::ContentStep(const char *name, ContentStepFn fn) { Steps()[name] = fn; }

int RunContentSteps(const ContentPaths &paths) {
  int failed = 0;
  for (auto &[name, fn] : Steps()) {
    if (!fn(paths)) {
      std::fprintf(stderr, "contentc: step '%s' failed\n", name.c_str());
      ++failed;
    }
  }
  return failed;
}
