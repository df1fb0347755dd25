// The data folder search, shared by the game and the tools that play its rules without a window.
#include <filesystem>

#include "base/files.h"
#include "persist/folders.h"

#ifndef REDSIEGE_INSTALLED_DATA
#define REDSIEGE_INSTALLED_DATA "../share/redsiege"
#endif

namespace {
const char *const kFigure = "guys/standard.guy";
}  // namespace

std::vector<std::string> DataFolderCandidates(const std::string &given, const std::string &programFolder) {
  if (!given.empty()) return {given};
  if (programFolder.empty()) return {};
  namespace fs = std::filesystem;
  return {(fs::path(programFolder) / "data").lexically_normal().string(),
          (fs::path(programFolder) / REDSIEGE_INSTALLED_DATA).lexically_normal().string()};
}

std::string FindDataFolder(const std::string &given, const std::string &programFolder, std::string &problem) {
  std::vector<std::string> candidates = DataFolderCandidates(given, programFolder);
  for (const std::string &folder : candidates) {
    if (!FolderExists(folder)) continue;
    if (FileExists(JoinPath(folder, kFigure))) {
      problem.clear();
      return folder;
    }
    problem = std::string("the data folder \"") + folder + "\" has no figure (" + kFigure + ")";
    return "";
  }
  problem = "no data folder: looked in";
  for (size_t i = 0; i < candidates.size(); ++i)
    problem += (i == 0 ? " \"" : i + 1 == candidates.size() ? " and \"" : ", \"") + candidates[i] + "\"";
  if (candidates.empty()) problem += " nothing (the program's own folder is unknown)";
  if (given.empty()) problem += " (--data DIR names another)";
  return "";
}
