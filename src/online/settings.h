// The player's choice to take part in the world boards, and the key that proves their name: each
// in a small file of its own in the player's settings folder (the caller names the folder).
#pragma once
#include <string>

struct tonlinesettings {
  bool takePart = false;  // world scores on: games are sent and the world pages fetched
  std::string server;     // "https://host[:port][/path]", no slash at the end; "" for none yet
  bool asked = false;     // the game has asked once whether to take part
  std::string name;       // the name the player's games go under, as last entered; "" for none yet
};

// The address a fresh settings file starts with: the build's REDSIEGE_WORLD_SERVER, often "".
std::string DefaultServerAddress();

// "online.txt": lines "world-scores on|off", "server URL", "asked yes|no", "name NAME" (and # comments).
constexpr const char *ONLINE_SETTINGS_FILE = "online.txt";
// "player.key": the key alone, readable by the player only.
constexpr const char *PLAYER_KEY_FILE = "player.key";

// An http:// or https:// address with a host, of printable characters, at most 200 long.
bool ValidServerAddress(const std::string &address);

// The settings in the text; a damaged one reads as off (world scores off, the rest as read) with
// one line of why in `why`. Empty text gives the defaults.
tonlinesettings ParseOnlineSettings(const std::string &text, std::string &why);
std::string FormatOnlineSettings(const tonlinesettings &settings);
// From and to the folder's file. A missing file gives the defaults and no why.
tonlinesettings LoadOnlineSettings(const std::string &folder, std::string &why);
bool SaveOnlineSettings(const std::string &folder, const tonlinesettings &settings, std::string *error);
// What this run uses: `--server URL` turns taking part on with that address for one run only.
tonlinesettings SettingsForRun(const tonlinesettings &saved, const std::string &commandLineServer);

// The player's key: read from the folder, or made on first use from the system's random source
// (32 of [A-Za-z0-9-_]) and saved with mode 0600. A key file holding something else than 16 to
// 128 of [A-Za-z0-9._~-] is left as it is (it may be the player's key from another computer,
// mistyped): "" and one line of why.
std::string PlayerKey(const std::string &folder, std::string &why);
bool ValidPlayerKey(const std::string &key);
