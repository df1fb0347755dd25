// Starting the installed program as a player does, for what it shows without a game: its
// command line, the one-line errors, and where it finds its data.
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "rig/installed.h"
#include "rig/rig.h"

namespace {
struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs the program without a display from an empty folder in a fresh home; neither may gain files.
Outcome RunInstalled(const std::string &program, const std::string &args, const PlayerHome &home) {
  TempDir out, logs;
  const std::string command = "cd '" + out.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 '" + program +
                              "' " + args + " >'" + logs.file("stdout") + "' 2>'" + logs.file("stderr") + "'";
  const int status = std::system(command.c_str());
  Outcome o{WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileText(logs.file("stdout")), FileText(logs.file("stderr"))};
  EXPECT_TRUE(FolderListing(out.path()).empty()) << args << ": wrote into the folder it started in";
  EXPECT_TRUE(FolderListing(home.home.path()).empty()) << args << ": a start that cannot play made folders";
  return o;
}
}  // namespace

TEST(InstalledProgram, CommandLineAndWhatIsMissing) {
  const InstalledBuild &install = InstallThisBuild();
  ASSERT_FALSE(install.root.empty()) << install.log;
  PlayerHome home;
  TempDir empty;
  struct Case {
    std::string args;
    int status;
    std::string out, err;  // expected within stdout, and within the one line of stderr
  } cases[] = {
      {"--help", 0, "Usage: redsiege [OPTION]...", ""},
      {"--version", 0, "red siege ", ""},
      {"--bogus", 2, "", "redsiege: unknown option '--bogus'; usage: redsiege [--data DIR]"},
      {"--data /nowhere", 1, "", "red siege: no data folder: looked in \"/nowhere\"."},
      {"--data '" + empty.path() + "'", 1, "", "\"" + empty.path() + "\" has no figure (guys/standard.guy)."},
      // Without a display: the one line names it, after the data was found in the install.
      {"", 1, "", "red siege: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is set."},
  };
  const auto installed = FolderListing(install.root);
  for (const Case &c : cases) {
    Outcome o = RunInstalled(install.program(), c.args, home);
    EXPECT_EQ(o.status, c.status) << c.args << "\n" << o.err;
    EXPECT_NE(o.out.find(c.out), std::string::npos) << c.args << "\n" << o.out;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), c.err.empty() ? 0 : 1) << c.args << "\n" << o.err;
    EXPECT_NE(o.err.find(c.err), std::string::npos) << c.args << "\n" << o.err;
    // What is printed for reading fits a terminal of 80 columns.
    std::istringstream lines(o.out);
    for (std::string text; std::getline(lines, text);) EXPECT_LE(text.size(), 80u) << c.args << ": " << text;
  }
  EXPECT_EQ(FolderListing(install.root), installed);
}

TEST(InstalledProgram, FindsItsDataWhereverThePrefixIsMoved) {
  const InstalledBuild &install = InstallThisBuild();
  ASSERT_FALSE(install.root.empty()) << install.log;
  PlayerHome home;
  TempDir moved;
  std::filesystem::copy(install.prefix(), moved.file("elsewhere"), std::filesystem::copy_options::recursive);
  const std::string program = moved.file("elsewhere") + REDSIEGE_INSTALLED_PROGRAM_FROM_PREFIX;
  const std::string err = RunInstalled(program, "--verbose", home).err;
  EXPECT_NE(err.find("data from \"" + moved.file("elsewhere") + REDSIEGE_INSTALLED_DATA_FROM_PREFIX + "\""), err.npos)
      << err;
  EXPECT_NE(err.find("options in \"" + home.settings() + "\", high scores in \"" + home.records() + "\""), err.npos)
      << err;
}
