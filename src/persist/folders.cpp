// The player's folders: where they are, making them on a first start, and carrying an earlier
// version's files into them.
#include "persist/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/files.h"
#include "persist/scores.h"
#include "platform/message.h"

std::string settingsDirectory;
std::string recordsDirectory;
std::string cacheDirectory;
bool settingsFolderReported = false;
bool recordsFolderReported = false;

namespace {
const char *const kGameFolder = "redsiege";

std::string Home() {
  const char *home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd *pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

// $variable when it is an absolute path, else the home's fallback, with our folder below it.
std::string BaseDirectoryFolder(const char *variable, const char *fallback) {
  const char *value = std::getenv(variable);
  if (value && value[0] == '/') return JoinPath(value, kGameFolder);
  std::string home = Home();
  if (home.empty()) return "";
  return JoinPath(JoinPath(home, fallback), kGameFolder);
}

bool CopyIfMissing(const std::string &from, const std::string &to) {
  if (FileExists(to) || !FileExists(from)) return false;
  std::vector<uint8_t> bytes;
  return ReadFileBytes(from, bytes) && WriteFileAtomic(to, bytes, nullptr);
}

bool HoldsScores(const std::string &folder) {
  for (int c = 0; c < SCORE_CATEGORIES; ++c)
    if (FileExists(JoinPath(folder, std::string(ScoreFileName(static_cast<ScoreCategory>(c))) + ".zsc"))) return true;
  return false;
}

void CarryOverScores(const std::vector<std::string> &oldFolders) {
  if (HoldsScores(recordsDirectory)) return;
  for (const std::string &old : oldFolders) {
    if (old.empty() || SamePlace(old, recordsDirectory) || !HoldsScores(old)) continue;
    // Byte for byte: the tables keep their layout, damaged ones included (loading reports them).
    for (int c = 0; c < SCORE_CATEGORIES; ++c) {
      std::string name = std::string(ScoreFileName(static_cast<ScoreCategory>(c))) + ".zsc";
      CopyIfMissing(JoinPath(old, name), RecordsPath(name));
    }
    return;
  }
}

// Appends "what can't be kept in "folder" (why)" to the message being built.
void NoteUnusable(std::string &message, const char *what, const std::string &folder, const std::string &why) {
  message += message.empty() ? "" : ", and ";
  message += std::string(what) + " can't be kept in \"" + folder + "\" (" + why + ")";
}
}  // namespace

std::string SettingsPath(const std::string &name) {
  return settingsDirectory.empty() ? DataPath(name) : JoinPath(settingsDirectory, name);
}

std::string RecordsFolder() { return recordsDirectory.empty() ? baseDirectory : recordsDirectory; }

std::string CacheFolder() { return cacheDirectory; }

std::string RecordsPath(const std::string &name) {
  return recordsDirectory.empty() ? DataPath(name) : JoinPath(recordsDirectory, name);
}

tplayerfolders PlayerFolders(const std::string &userDir) {
  if (!userDir.empty()) return {userDir, userDir, JoinPath(userDir, "cache")};
  return {BaseDirectoryFolder("XDG_CONFIG_HOME", ".config"), BaseDirectoryFolder("XDG_DATA_HOME", ".local/share"),
          BaseDirectoryFolder("XDG_CACHE_HOME", ".cache")};
}

bool SetUpPlayerFolders(const tplayerfolders &folders, const std::vector<std::string> &oldFolders) {
  settingsDirectory = folders.settings;
  recordsDirectory = folders.records;
  cacheDirectory = folders.cache;
  std::string message, why;
  settingsFolderReported = !MakeWritableFolder(folders.settings, &why);
  if (settingsFolderReported) {
    NoteUnusable(message, "Your options", folders.settings, folders.settings.empty() ? "no home folder" : why);
  } else {
    CopyIfMissing(DataPath("options.zop"), SettingsPath("options.zop"));
  }
  recordsFolderReported = !MakeWritableFolder(folders.records, &why);
  if (recordsFolderReported) {
    NoteUnusable(message, message.empty() ? "Your high scores" : "your high scores", folders.records,
                 folders.records.empty() ? "no home folder" : why);
  } else {
    CarryOverScores(oldFolders);
  }
  if (message.empty()) return true;
  ShowMessage(message + ". The game plays on, but they will not be saved.", "red siege", MB_ICONEXCLAMATION);
  return false;
}
