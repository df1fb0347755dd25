// Where the game's files are: the data folder it reads (found at start-up), and the player's own
// folders, the settings (options.zop), the records (the score tables, the replays) and the cache
// (replays downloaded to be watched, which may be thrown away at any time).
// The data folder is the game's; nothing of the player's is ever written there.
#pragma once
#include <string>
#include <vector>

// ---- the player's folders

// Empty until start-up sets them; the data folder then serves, as it does for tools and tests
// that keep everything in one folder.
extern std::string settingsDirectory;
extern std::string recordsDirectory;
// "" until start-up sets it (or when there is no home): then nothing is cached.
extern std::string cacheDirectory;
// Set when start-up told the player a folder cannot be used: saves into it are then skipped
// (returning false) instead of raising the same complaint at every save.
extern bool settingsFolderReported;
extern bool recordsFolderReported;

std::string SettingsPath(const std::string &name);
// The folder of the player's records; whatever else the player keeps (replays) belongs here too.
std::string RecordsFolder();
std::string RecordsPath(const std::string &name);
// The folder for downloads kept only to be watched; "" when there is none. Not made at start:
// whoever writes there makes it first (MakeWritableFolder).
std::string CacheFolder();

struct tplayerfolders {
  std::string settings, records, cache;
};
// `userDir` (from --user) holds the settings and records when given, and the cache in its cache/.
// Otherwise the desktop's base-directory rules: $XDG_CONFIG_HOME/redsiege, $XDG_DATA_HOME/redsiege
// and $XDG_CACHE_HOME/redsiege, falling back to ~/.config/redsiege, ~/.local/share/redsiege and
// ~/.cache/redsiege (a relative or empty XDG value is ignored). A folder is "" when there is no
// home to put it in.
tplayerfolders PlayerFolders(const std::string &userDir);

// Makes the settings and records folders and sets all three up for this run. On a first start the shipped options are
// copied into the settings folder (never over the player's), and when the records folder holds
// no score table yet, the tables found in the first of `oldFolders` that has any (where an
// earlier version kept them) are carried over. A folder that cannot be made or written is said
// once, in one message box (one line on stderr where no box can be shown); the game plays on
// without saving there. Returns false when such a message was given.
bool SetUpPlayerFolders(const tplayerfolders &folders, const std::vector<std::string> &oldFolders);

// ---- the data folder

// Where the data folder is looked for, in order: only `given` when there is one (--data);
// otherwise the build's data/ beside the program, then the installed share/redsiege of the
// install prefix, found relative to the program so a moved install still finds its data.
std::vector<std::string> DataFolderCandidates(const std::string &given, const std::string &programFolder);
// The first candidate that is a folder. "" when there is none, or when the chosen one lacks the
// figure: then `problem` says in one line what is missing and where it was looked for.
std::string FindDataFolder(const std::string &given, const std::string &programFolder, std::string &problem);
