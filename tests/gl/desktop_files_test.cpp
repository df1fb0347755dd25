// What the desktop does with the installed files: the file type it gives a replay, and the entry
// it then launches on the file, run as the desktop runs it.
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "persist/replay.h"
#include "rig/golden.h"
#include "rig/installed.h"
#include "rig/rig.h"

namespace {
const std::string kReplayType = "application/x-redsiege-replay";

// The [Desktop Entry] group's keys, their values unescaped (\s \n \t \r \\).
std::map<std::string, std::string> EntryKeys(const std::string &text) {
  std::map<std::string, std::string> keys;
  std::istringstream lines(text);
  bool inEntry = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    const size_t eq = line.find('=');
    if (!inEntry || eq == std::string::npos) continue;
    std::string value;
    for (size_t i = eq + 1; i < line.size(); ++i) {
      if (line[i] != '\\' || i + 1 == line.size()) {
        value += line[i];
        continue;
      }
      const char c = line[++i];
      value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    keys[line.substr(0, eq)] = value;
  }
  return keys;
}

// An Exec value split into arguments with the file put in, as a launcher does: spaces part
// arguments, double quotes hold one (\" \` \$ \\ escaped within), a lone %f %F %u or %U is the
// file, %% a percent sign. Another field code fails the test.
std::vector<std::string> ExecWords(const std::string &exec, const std::string &file) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        word += c == '\\' && i + 1 < exec.size() ? exec[++i] : c;
      }
    } else if (c == ' ') {
      if (inWord) words.push_back(word), word.clear(), inWord = false;
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == '%' && i + 1 < exec.size()) {
      const char code = exec[++i];
      if (code == '%') {
        word += '%';
      } else if (std::string("fFuU").find(code) != std::string::npos) {
        word += file;
      } else {
        ADD_FAILURE() << "a field code a replay's launch cannot fill: %" << code;
      }
      inWord = true;
    } else {
      word += c;
      inWord = true;
    }
  }
  EXPECT_FALSE(quoted) << "an unclosed quote: " << exec;
  if (inWord) words.push_back(word);
  return words;
}

// The installed entries that open files of `type`, by file name.
std::map<std::string, std::map<std::string, std::string>> EntriesOpening(const std::string &folder,
                                                                         const std::string &type) {
  std::map<std::string, std::map<std::string, std::string>> entries;
  for (const auto &e : std::filesystem::directory_iterator(folder)) {
    const auto keys = EntryKeys(FileText(e.path().string()));
    const auto types = keys.find("MimeType");
    if (types != keys.end() && (";" + types->second).find(";" + type + ";") != std::string::npos)
      entries[e.path().filename().string()] = keys;
  }
  return entries;
}

// The first frames of the golden game lost at night: a replay that plays for a moment and ends.
std::vector<uint8_t> ShortReplay() {
  const std::vector<uint8_t> golden = FileBytes(GoldenDir() + "/lost.rsr");
  treplay replay;
  EXPECT_EQ(DecodeReplay(golden.data(), golden.size(), replay), REPLAY_OK);
  replay.frames.resize(std::min<size_t>(replay.frames.size(), 90));
  return EncodeReplay(replay);
}
}  // namespace

// The installed type, put into a database of its own as Debian's trigger does: *.rsr files and
// anything starting as a replay does are replays.
TEST(DesktopFiles, AReplayIsKnownByItsNameAndByItsFirstBytes) {
  const InstalledBuild &install = InstallThisBuild();
  ASSERT_FALSE(install.root.empty()) << install.log;
  TempDir mime;
  std::filesystem::copy(install.prefix() + "/share/mime", mime.file("mime"), std::filesystem::copy_options::recursive);
  const Ran update = RunCommand("update-mime-database " + ShellWords({mime.file("mime")}));
  ASSERT_EQ(update.status, 0) << update.err;
  EXPECT_NE(FileText(mime.file("mime/globs2")).find(":" + kReplayType + ":*.rsr\n"), std::string::npos)
      << FileText(mime.file("mime/globs2"));
  // The magic rule: [priority:type], then ">0=", the length in two bytes and the bytes a replay
  // file starts with.
  const std::vector<uint8_t> replay = ShortReplay();
  const std::string head(replay.begin(), replay.begin() + 8);
  const std::string rule = ":" + kReplayType + "]\n>0=" + std::string("\0\x08", 2) + head + "\n";
  EXPECT_NE(FileText(mime.file("mime/magic")).find(rule), std::string::npos) << FileText(mime.file("mime/magic"));
}

// The entry that opens replays, launched on one in a folder whose name has a space and a quote:
// the replay plays to its last frame and the program ends by itself (a bare game would wait at
// the main menu until killed).
TEST(DesktopFiles, TheEntryOpeningReplaysPlaysTheFileItIsGiven) {
  const InstalledBuild &install = InstallThisBuild();
  ASSERT_FALSE(install.root.empty()) << install.log;
  const auto entries = EntriesOpening(install.prefix() + "/share/applications", kReplayType);
  ASSERT_EQ(entries.size(), 1u) << "one entry opens replays";
  const auto &entry = entries.begin()->second;
  EXPECT_EQ(entry.at("NoDisplay"), "true") << "the menu shows the game's own entry only";
  PlayerHome player;
  player.home.write("Downloads/night's end/lost game.rsr", ShortReplay());
  const std::vector<std::string> words =
      ExecWords(entry.at("Exec"), player.home.file("Downloads/night's end/lost game.rsr"));
  ASSERT_FALSE(words.empty());
  const Ran o = RunLaunched(install, words);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(ReplayFilesIn(player.records()).empty()) << "watching is not a game of its own";
}
