#include "rig/installed.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

const InstalledBuild &InstallThisBuild() {
  static TempDir folder;
  static InstalledBuild install;
  static bool tried = false;
  if (tried) return install;
  tried = true;
  const std::string log = folder.file("install.log");
  const std::string command = std::string("DESTDIR='") + folder.file("root") + "' '" + REDSIEGE_CMAKE +
                              "' --install '" + REDSIEGE_BUILD_DIR + "' --component game --prefix /usr >'" + log +
                              "' 2>&1";
  const int status = std::system(command.c_str());
  install.log = command + "\n" + FileText(log);
  if (status == 0) install.root = folder.file("root");
  return install;
}

std::map<std::string, std::string> FolderListing(const std::string &folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    struct stat st;
    if (lstat(it->path().c_str(), &st) != 0) continue;
    files[it->path().string()] =
        std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
  }
  return files;
}

std::string InstalledBuild::bin() const { return std::filesystem::path(program()).parent_path().string(); }

std::string ShellWords(const std::vector<std::string> &words) {
  std::string line;
  for (const std::string &w : words) {
    line += line.empty() ? "'" : " '";
    for (char c : w) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += "'";
  }
  return line;
}

Ran RunLaunched(const InstalledBuild &install, const std::vector<std::string> &words) {
  TempDir empty;
  const char *path = std::getenv("PATH");
  return RunCommand("cd '" + empty.path() + "' && PATH=" + ShellWords({install.bin() + ":" + (path ? path : "")}) +
                    " ALSOFT_DRIVERS=null timeout 120 " + ShellWords(words));
}
