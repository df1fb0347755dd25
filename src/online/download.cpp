#include "online/download.h"

#include <strings.h>

#include <atomic>
#include <vector>

#include "base/files.h"
#include "online/answers.h"
#include "online/http.h"

namespace {
constexpr size_t kNameMost = 64;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The address's path parts, without the scheme, the host, the query and the fragment.
std::vector<std::string> PathParts(const std::string &url) {
  const size_t scheme = url.find("://");
  const size_t start = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  std::vector<std::string> parts;
  if (start == std::string::npos) return parts;
  const std::string path = url.substr(start, url.find_first_of("?#", start) - start);
  for (size_t at = 0; at < path.size();) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    if (end > at) parts.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

bool StartsWithNoCase(const std::string &text, const char *prefix) {
  const size_t n = std::char_traits<char>::length(prefix);
  return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}
}  // namespace

bool IsWebAddress(const std::string &text) {
  return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

std::string ServerReplayName(const std::string &id) { return "redsiege-" + id + ".rsr"; }

std::string DownloadName(const std::string &url) {
  const std::vector<std::string> parts = PathParts(url);
  const size_t n = parts.size();
  if (n >= 3 && parts[n - 3] == "games" && ValidGameId(parts[n - 2]) && parts[n - 1] == "replay")
    return ServerReplayName(parts[n - 2]);
  std::string name;
  for (char c : n ? PercentDecoded(parts.back()) : "") {
    const bool safe =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    if (name.empty() && c == '.') continue;  // no hidden files, no "..": a name of its own
    name += safe ? c : '_';
  }
  const std::string ending = ".rsr";
  const bool ends =
      name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
  if (!ends || name.size() > kNameMost) name = name.substr(0, kNameMost - ending.size()) + ending;
  return name == ending ? "replay.rsr" : name;
}

std::string KeepDownload(const std::string &folder, const std::string &name, const std::string &bytes,
                         std::string &why) {
  std::string error;
  const std::string file = JoinPath(folder, name);
  if (!MakeWritableFolder(folder, &error) ||
      !WriteFileAtomic(file, std::vector<uint8_t>(bytes.begin(), bytes.end()), &error)) {
    why = OneLine("\"" + PrintableText(folder) + "\" cannot be written: " + error);
    return "";
  }
  return file;
}

std::string DownloadFile(const std::string &url, const std::string &folder, size_t most, std::string &why,
                         long connectSeconds, long seconds) {
  if (!IsWebAddress(url)) {
    why = "it is not an http:// or https:// address";
    return "";
  }
  for (unsigned char c : url) {
    if (c <= ' ' || c >= 127) {
      why = "an address has no spaces, control characters or letters outside ASCII (%-escape them)";
      return "";
    }
  }
  if (folder.empty()) {
    why = "there is no home folder to keep it in";
    return "";
  }
  thttprequest request;
  request.url = url;
  request.most = most;
  request.connectSeconds = connectSeconds;
  request.seconds = seconds;
  request.followRedirects = true;               // a web page's link may lead on (to https, to a mirror)
  static const std::atomic<bool> never{false};  // nothing abandons it: the program waits for it
  void *curl = NewHttpHandle();
  const thttpanswer r = HttpPerform(curl, never, request);
  FreeHttpHandle(curl);
  if (r.tooBig) {
    why = "it is larger than any replay (" + std::to_string(most) + " bytes)";
  } else if (r.status == 0) {
    why = r.failed;
  } else if (r.status != 200) {
    why = RefusalLine(r.body, r.status);
  } else if (r.body.empty()) {
    why = "the server sent nothing";
  } else {
    return KeepDownload(folder, DownloadName(url), r.body, why);
  }
  return "";
}
