// The request's route: its path to an endpoint, the method it takes, the address's rate, and the
// one place a store failure or any other fault turns into 503 (never 500, never a throw).
#include <cstdio>
#include <vector>

#include "base/files.h"
#include "server/api_parts.h"

namespace {
enum troute { NONE, PAGE, SUBMIT, GAME, REPLAY, BOARD, DAILY, PLAYER, HEALTH, METRICS };

std::vector<std::string> Segments(const std::string &path) {
  std::vector<std::string> parts;
  if (path.empty() || path[0] != '/') return parts;
  size_t at = 1;
  for (;;) {
    const size_t end = path.find('/', at);
    parts.push_back(path.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return parts;
}

// The route a path names and the method it takes; `arg` gets its variable part.
troute Route(const std::string &path, std::string &arg, const char *&method) {
  const std::vector<std::string> s = Segments(path);
  method = "GET";
  if (path == "/") return PAGE;
  if (path == "/healthz") return HEALTH;
  if (path == "/metrics") return METRICS;
  if (s.size() < 2 || s[0] != "v1") return NONE;
  if (s.size() == 2 && s[1] == "games") return method = "POST", SUBMIT;
  if (s.size() == 2 && s[1] == "daily") return DAILY;
  if (s.size() >= 3 && !s[2].empty()) {
    arg = s[2];
    if (s.size() == 3 && s[1] == "games") return GAME;
    if (s.size() == 4 && s[1] == "games" && s[3] == "replay") return REPLAY;
    if (s.size() == 3 && s[1] == "boards") return BOARD;
    if (s.size() == 3 && s[1] == "players") return method = "DELETE", PLAYER;
  }
  return NONE;
}

tresponse Dispatch(troute route, const std::string &arg, const trequest &request, tservice &service) {
  switch (route) {
    case PAGE: return PageAnswer(request, service);
    case SUBMIT: return SubmitGame(request, service);
    case GAME: return GameAnswer(arg, service);
    case REPLAY: return ReplayAnswer(arg, service);
    case BOARD: return BoardAnswer(arg, request, service);
    case DAILY: return DailyAnswer(request, service);
    case PLAYER: return DeletePlayerAnswer(arg, request, service);
    case HEALTH: return HealthAnswer(service);
    case METRICS: return MetricsAnswer(service);
    case NONE: break;
  }
  return ErrorAnswer(404, "there is nothing here");
}

tresponse Answer(const trequest &request, tservice &service) {
  std::string arg;
  const char *method = "GET";
  const troute route = Route(request.path, arg, method);
  // A HEAD is a GET without its body (the HTTP layer leaves the body out).
  const bool getLike = request.method == "GET" || request.method == "HEAD";
  if (route != NONE && request.method != method && !(std::string(method) == "GET" && getLike)) {
    tresponse r = ErrorAnswer(405, std::string("this address takes ") + method + " only");
    r.headers["Allow"] = std::string(method) == "GET" ? "GET, HEAD" : method;
    return r;
  }
  const bool changes = route == SUBMIT || route == PLAYER;
  int64_t retryAfter = 0;
  tratelimiter &limiter = changes ? service.submitLimiter : service.readLimiter;
  if (!limiter.Take(request.peer, request.now, changes ? service.submitsPerMinute : service.readsPerMinute,
                    retryAfter)) {
    if (route == SUBMIT && service.metrics) service.metrics->CountRefusal("rate limited");
    tresponse r = ErrorAnswer(429, "too many requests: try again in " + std::to_string(retryAfter) + " seconds");
    r.headers["Retry-After"] = std::to_string(retryAfter);
    return r;
  }
  return Dispatch(route, arg, request, service);
}
}  // namespace

tresponse HandleRequest(const trequest &request, tservice &service) {
  if (service.metrics) ++service.metrics->requests;
  tresponse r;
  try {
    r = Answer(request, service);
  } catch (const tstoreerror &e) {
    std::fprintf(stderr, "redsiege-server: database: %s\n", e.what());
    r = UnavailableAnswer(e.kind == tstoreerror::FULL ? "the server's disk is full: try again later"
                                                      : "the scores are out of reach for a moment: try again later");
  } catch (const std::exception &e) {
    std::fprintf(stderr, "redsiege-server: %s %s: %s\n", PrintableText(request.method).c_str(),
                 PrintableText(request.path).c_str(), e.what());
    r = UnavailableAnswer("the server stumbled: try again later");
  } catch (...) {
    r = UnavailableAnswer("the server stumbled: try again later");
  }
  if (!r.headers.count("Cache-Control")) r.headers["Cache-Control"] = "no-store";
  return r;
}
