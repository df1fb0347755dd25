// Feeds arbitrary bytes to the score server's request handler, no network: the first line is the
// method and the path (with its query), the lines up to an empty one are headers, the rest is the
// body. The handler works on a SQLite store in a temporary folder. Whatever it is given, it
// answers a status below 500 (a 503 here would be a fault of ours caught, since the store is
// well) and, for JSON, a body that parses.
#include <stdlib.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "base/files.h"
#include "fuzz_common.h"
#include "game/load.h"
#include "server/api.h"
#include "server/store.h"

#ifndef REDSIEGE_DATA_DIR
#define REDSIEGE_DATA_DIR "data"
#endif

namespace {
struct tharness {
  std::string dir;
  std::unique_ptr<tstore> store;
  tmetrics metrics;
  tservice service;

  tharness() {
    char pattern[] = "/tmp/redsiege-fuzz-request-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    dir = pattern;
    store = OpenSqliteStore(dir);
    const char *env = std::getenv("REDSIEGE_FUZZ_DATA");
    baseDirectory = env && *env ? env : REDSIEGE_DATA_DIR;
    service.store = store.get();
    service.metrics = &metrics;
    service.secret = store->Secret();
    service.dataChecksum = GameDataChecksum();
    service.submitsPerMinute = service.readsPerMinute = 1e9;
  }
  ~tharness() {
    store.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

// The next line of `text` from `at` (without its "\r\n" or "\n"); false at the end.
bool NextLine(const std::string &text, size_t &at, std::string &line) {
  if (at >= text.size()) return false;
  size_t end = text.find('\n', at);
  if (end == std::string::npos) end = text.size();
  line = text.substr(at, end - at);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  at = end + 1;
  return true;
}

trequest Split(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  trequest r;
  size_t at = 0;
  std::string line;
  if (NextLine(text, at, line)) {
    const size_t space = line.find(' ');
    r.method = line.substr(0, space);
    const std::string target = space == std::string::npos ? "" : line.substr(space + 1);
    const size_t question = target.find('?');
    r.path = target.substr(0, question);
    if (question != std::string::npos) r.query = target.substr(question + 1);
  }
  while (NextLine(text, at, line) && !line.empty()) {
    const size_t colon = line.find(':');
    std::string name = line.substr(0, colon);
    for (char &c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    r.headers.emplace(name, value);
  }
  if (at < text.size()) r.body.assign(data + at, data + size);
  r.peer = "192.0.2.1";
  r.now = 1796774400;
  return r;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  messageHandler = QuietMessage;
  static tharness harness;
  const tresponse answer = HandleRequest(Split(data, size), harness.service);
  if (answer.status < 200 || answer.status >= 500) {
    std::fprintf(stderr, "status %d: %s\n", answer.status, answer.body.c_str());
    std::abort();
  }
  if (answer.contentType == "application/json" && !nlohmann::json::accept(answer.body)) std::abort();
  return 0;
}
