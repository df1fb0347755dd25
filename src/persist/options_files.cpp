// The options file: the player's own, else the shipped one, saved through a temporary file.
#include "base/files.h"
#include "persist/folders.h"
#include "persist/options.h"
#include "platform/message.h"

namespace {
const char *const kOptionsFile = "options.zop";

bool ReadOptionsFile(const std::string &path, toptions &o) {
  std::vector<uint8_t> bytes;
  return ReadFileBytes(path, bytes) && DecodeOptions(bytes.data(), bytes.size(), o);
}
}  // namespace

void LoadOptions() {
  // Without the player's own file the shipped one still binds the keys; with neither, only the
  // window fields get defaults.
  if (!ReadOptionsFile(SettingsPath(kOptionsFile), Options) && !ReadOptionsFile(DataPath(kOptionsFile), Options)) {
    SetDefaultOptions();
    return;
  }
  Options.tutorial = 1;
}

bool SaveOptions() {
  if (settingsFolderReported) return false;  // the player was told at start-up
  std::string path = SettingsPath(kOptionsFile), error;
  if (WriteFileAtomic(path, EncodeOptions(Options), &error)) return true;
  ShowMessage("Couldn't save the options to \"" + path + "\" (" + error + ").", "Options", MB_ICONEXCLAMATION);
  return false;
}
