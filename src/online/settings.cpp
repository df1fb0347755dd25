#include "online/settings.h"

#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <vector>

#include "base/files.h"
#include "online/answers.h"

namespace {

constexpr size_t kSettingsMostBytes = 4096;

std::string Trimmed(const std::string &text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ReadSmallFile(const std::string &path, size_t most, std::string &text) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  text.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), most + 1)));
  return true;
}

// Writes the key beside its name and links it there, so it never replaces a key already made
// (by another run at the same moment) and is never seen half-written.
bool WriteKeyFile(const std::string &path, const std::string &key, std::string &why) {
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = mkstemp(temp.data());  // mode 0600
  if (fd < 0) return why = "could not write " + PrintableText(path) + ": " + std::strerror(errno), false;
  const std::string line = key + "\n";
  bool ok = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) && fchmod(fd, 0600) == 0 &&
            fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  const int linked = ok ? link(temp.c_str(), path.c_str()) : -1;
  const int error = errno;
  unlink(temp.c_str());
  if (linked == 0 || (ok && error == EEXIST)) return true;
  why = "could not write " + PrintableText(path) + ": " + std::strerror(error);
  return false;
}

}  // namespace

bool ValidServerAddress(const std::string &address) {
  if (address.size() > 200) return false;
  for (unsigned char c : address)
    if (c <= ' ' || c >= 127) return false;
  for (const char *scheme : {"http://", "https://"}) {
    const size_t n = std::strlen(scheme);
    if (address.compare(0, n, scheme) == 0)
      return address.size() > n && address[n] != '/' && address.find_first_of("?#", n) == std::string::npos;
  }
  return false;
}

std::string DefaultServerAddress() {
#ifdef REDSIEGE_WORLD_SERVER
  if (ValidServerAddress(REDSIEGE_WORLD_SERVER)) return REDSIEGE_WORLD_SERVER;
#endif
  return "";
}

tonlinesettings ParseOnlineSettings(const std::string &text, std::string &why) {
  tonlinesettings s;
  s.server = DefaultServerAddress();
  why.clear();
  if (text.size() > kSettingsMostBytes) why = "it is too long";
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; why.empty() && std::getline(lines, line);) {
    ++number;
    line = Trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    const size_t space = line.find(' ');
    const std::string word = line.substr(0, space),
                      value = space == std::string::npos ? "" : Trimmed(line.substr(space));
    const std::string where = "line " + std::to_string(number) + ": ";
    if (word == "world-scores" && (value == "on" || value == "off")) {
      s.takePart = value == "on";
    } else if (word == "asked" && (value == "yes" || value == "no")) {
      s.asked = value == "yes";
    } else if (word == "server" && (value.empty() || ValidServerAddress(value))) {
      s.server = value;
      while (!s.server.empty() && s.server.back() == '/') s.server.pop_back();
    } else if (word == "name" && (value.empty() || ValidPlayerName(value))) {
      s.name = value;
    } else {
      why = where + "\"" + PrintableText(line.substr(0, 60)) + "\" is not a setting";
    }
  }
  if (!why.empty()) s.takePart = false;
  return s;
}

std::string FormatOnlineSettings(const tonlinesettings &s) {
  return "# red siege: taking part in the world boards (written by the game)\n"
         "world-scores " +
         std::string(s.takePart ? "on" : "off") + "\nserver " + s.server + "\nasked " + (s.asked ? "yes" : "no") +
         "\nname " + s.name + "\n";
}

tonlinesettings LoadOnlineSettings(const std::string &folder, std::string &why) {
  why.clear();
  const std::string path = JoinPath(folder, ONLINE_SETTINGS_FILE);
  std::string text;
  if (folder.empty() || !FileExists(path)) return ParseOnlineSettings("", why);  // never the working folder's
  if (!ReadSmallFile(path, kSettingsMostBytes, text)) {
    tonlinesettings off = ParseOnlineSettings("", why);
    why = "world scores off: " + PrintableText(path) + " cannot be read";
    return off;
  }
  tonlinesettings s = ParseOnlineSettings(text, why);
  if (!why.empty()) why = "world scores off: " + PrintableText(path) + ", " + why;
  return s;
}

bool SaveOnlineSettings(const std::string &folder, const tonlinesettings &settings, std::string *error) {
  if (folder.empty()) {
    if (error) *error = "there is no settings folder to save in";
    return false;
  }
  const std::string text = FormatOnlineSettings(settings);
  return WriteFileAtomic(JoinPath(folder, ONLINE_SETTINGS_FILE), std::vector<uint8_t>(text.begin(), text.end()), error);
}

tonlinesettings SettingsForRun(const tonlinesettings &saved, const std::string &commandLineServer) {
  tonlinesettings run = saved;
  if (!ValidServerAddress(commandLineServer)) return run;
  run.takePart = true;
  run.server = commandLineServer;
  while (run.server.back() == '/') run.server.pop_back();
  return run;
}

bool ValidPlayerKey(const std::string &key) {
  return key.size() >= 16 && key.size() <= 128 &&
         key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._~-") ==
             std::string::npos;
}

std::string PlayerKey(const std::string &folder, std::string &why) {
  why.clear();
  if (folder.empty()) return why = "there is no settings folder to keep the player's key in", "";
  const std::string path = JoinPath(folder, PLAYER_KEY_FILE);
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string text;
    if (ReadSmallFile(path, 200, text)) {
      const std::string key = Trimmed(text.substr(0, text.find('\n')));
      if (ValidPlayerKey(key)) return key;
      why = "the player's key in " + PrintableText(path) + " is not 16 to 128 of A-Z a-z 0-9 . _ ~ -";
      return "";
    }
    if (FileExists(path)) return why = PrintableText(path) + " cannot be read", "";
    uint8_t random[24];
    size_t got = 0;
    while (got < sizeof random) {
      const ssize_t n = getrandom(random + got, sizeof random - got, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return why = "no random numbers from the system to make a key with", "";
      got += static_cast<size_t>(n);
    }
    // 24 bytes, 6 bits a character: 32 of the URL-safe alphabet.
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string key;
    for (size_t i = 0; i < sizeof random; i += 3) {
      const uint32_t v = (random[i] << 16) | (random[i + 1] << 8) | random[i + 2];
      for (int k = 18; k >= 0; k -= 6) key += kAlphabet[(v >> k) & 63];
    }
    if (!WriteKeyFile(path, key, why)) return "";
    // Read back: another run may have made its key first, and that one holds.
  }
  return why = "the player's key could not be made", "";
}
