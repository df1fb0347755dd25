// The checks on what a client sends, and the answers' shapes.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "server/api_parts.h"

std::string JsonText(const nlohmann::json &value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

tresponse JsonAnswer(int status, const nlohmann::json &body) {
  tresponse r;
  r.status = status;
  r.body = JsonText(body);
  return r;
}

tresponse ErrorAnswer(int status, const std::string &message) { return JsonAnswer(status, {{"error", message}}); }

tresponse UnavailableAnswer(const std::string &message) {
  tresponse r = ErrorAnswer(503, message);
  r.headers["Retry-After"] = "30";
  return r;
}

namespace {
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDigits(const std::string &s, size_t from, size_t count) {
  if (from + count > s.size()) return false;
  for (size_t i = from; i < from + count; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}
}  // namespace

bool PercentDecode(const std::string &text, std::string &decoded) {
  decoded.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
    if (hi < 0 || lo < 0) return false;
    decoded += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

bool NameIsValid(const std::string &name) {
  if (name.empty() || name.size() > NAME_MOST_CHARACTERS) return false;
  bool printed = false;
  for (char c : name) {
    if (c == '\0' || !std::strchr(NAME_CHARACTERS, c)) return false;
    if (c != ' ') printed = true;
  }
  return printed;
}

bool KeyFromAuthorization(const std::string &header, std::string &key) {
  static const char kScheme[] = "bearer ";
  if (header.size() < sizeof kScheme - 1) return false;
  for (size_t i = 0; i < sizeof kScheme - 1; ++i)
    if (static_cast<char>(std::tolower(static_cast<unsigned char>(header[i]))) != kScheme[i]) return false;
  key = header.substr(sizeof kScheme - 1);
  if (key.size() < 16 || key.size() > 128) return false;
  for (char c : key)
    if (!std::isalnum(static_cast<unsigned char>(c)) && !std::strchr("._~-", c)) return false;
  return true;
}

bool ParseClaimedScores(const std::string &text, tgamescores &scores) {
  int32_t values[4];
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != ',') return false;
      ++at;
    }
    const bool negative = at < text.size() && text[at] == '-';
    if (negative) ++at;
    const size_t start = at;
    int64_t v = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      v = v * 10 + (text[at] - '0');
      if (v > 2147483648LL) return false;
      ++at;
    }
    if (at == start) return false;
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    values[i] = static_cast<int32_t>(v);
  }
  if (at != text.size()) return false;
  scores = {values[0], values[1], values[2], values[3]};
  return true;
}

bool IsGameId(const std::string &text) {
  if (text.size() != 16) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

bool IsDate(const std::string &text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !IsDigits(text, 0, 4) || !IsDigits(text, 5, 2) ||
      !IsDigits(text, 8, 2))
    return false;
  const int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2)),
            day = std::stoi(text.substr(8, 2));
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool QueryValue(const std::string &query, const std::string &name, std::string &value, bool &bad) {
  bad = false;
  size_t at = 0;
  while (at <= query.size()) {
    size_t end = query.find('&', at);
    if (end == std::string::npos) end = query.size();
    const std::string pair = query.substr(at, end - at);
    const size_t eq = pair.find('=');
    if (pair.substr(0, eq) == name) {
      if (eq == std::string::npos || !PercentDecode(pair.substr(eq + 1), value)) {
        bad = true;
        return false;
      }
      return true;
    }
    at = end + 1;
  }
  return false;
}

std::string IsoTime(int64_t unixSeconds) {
  const time_t t = static_cast<time_t>(unixSeconds);
  struct tm parts {};
  char text[32] = "1970-01-01T00:00:00Z";
  if (gmtime_r(&t, &parts)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

std::string HeaderValue(const trequest &request, const std::string &lowerName) {
  auto it = request.headers.find(lowerName);
  return it == request.headers.end() ? std::string() : it->second;
}
