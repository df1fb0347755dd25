// Starting the installed program as a player does, for what it shows without a game: its
// command line, the one-line errors, and where it finds its data.
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "rig/installed.h"
#include "rig/rig.h"

namespace {
// Runs the program from an empty folder, which must stay empty, with no display but what `wrapper`
// (variables, or a program the game runs under) gives it.
Ran RunWithout(const std::string &wrapper, const std::string &program, const std::string &args) {
  TempDir out;
  const Ran o = RunCommand("cd '" + out.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + wrapper + " timeout 60 '" +
                           program + "' " + args);
  EXPECT_TRUE(FolderListing(out.path()).empty()) << args << ": wrote into the folder it started in";
  return o;
}

// Without a display (or with one out of reach) in a fresh home, which must gain no folders.
Ran RunInstalled(const std::string &program, const std::string &args, const PlayerHome &home,
                 const std::string &wrapper = "") {
  Ran o = RunWithout(wrapper, program, args);
  EXPECT_TRUE(FolderListing(home.home.path()).empty()) << args << ": a start that cannot play made folders";
  return o;
}

// This build installed, and a fresh home to run it in.
struct InstalledProgram : ::testing::Test {
  void SetUp() override { ASSERT_FALSE(install.root.empty()) << install.log; }
  const InstalledBuild &install = InstallThisBuild();
  PlayerHome home;
};
}  // namespace

TEST_F(InstalledProgram, CommandLineAndWhatIsMissing) {
  struct Case {
    std::string args;
    int status;
    std::string out, err;      // expected within stdout, and within the one line of stderr
    std::string wrapper = "";  // before the program: variables, say
  } cases[] = {
      {"--help", 0, "Usage: redsiege [OPTION]...", ""},
      {"--version", 0, "red siege ", ""},
      {"--bogus", 2, "", "redsiege: unknown option '--bogus'; usage: redsiege [--data DIR]"},
      {"--data /nowhere", 1, "", "red siege: no data folder: looked in \"/nowhere\"."},
      // A folder lacking the figure or a file a game needs is DataFolder's, through the same start-up.
      {"", 1, "", "no display to open the window on: could not reach DISPLAY \":1234\"",
       "DISPLAY=:1234 SDL_VIDEODRIVER=x11"},
      // Without a display: the one line names it, after the data was found in the install.
      {"", 1, "", "red siege: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is set."},
  };
  const auto installed = FolderListing(install.root);
  for (const Case &c : cases) {
    Ran o = RunInstalled(install.program(), c.args, home, c.wrapper);
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

// An X server without GL: no window can be made for the game. The box's own words and SDL's reason
// in one line, and status 1 (with a sound device, as most players have: OpenAL's null one).
TEST_F(InstalledProgram, AWindowThatCannotBeMadeSaysWhyInOneLine) {
  // An X server of its own: xvfb-run's clean-up fails now and then, adding a line and a status.
  TempDir x;
  x.write("on_x_without_gl", R"(d=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -extension GLX -nolisten tcp 3>"$d/n" 2>/dev/null &
server=$!
timeout 20 sh -c 'until [ -s "$0" ]; do sleep 0.05; done' "$d/n" || { kill $server; exit 99; }
DISPLAY=:$(cat "$d/n") "$@"
status=$?
kill $server
wait $server
rm -r "$d"
exit $status
)");
  const Ran o =
      RunWithout("ALSOFT_DRIVERS=null sh '" + x.file("on_x_without_gl") + "'", install.program(), "--windowed");
  EXPECT_EQ(o.status, 1) << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  const std::string said = "Error: Window creation error. (";
  EXPECT_EQ(o.err.find(said), 0u) << o.err;
  EXPECT_GT(o.err.size(), said.size() + 3) << "no reason given: " << o.err;
  EXPECT_EQ(o.err.substr(o.err.size() - 2), ")\n") << o.err;
}

TEST_F(InstalledProgram, FindsItsDataWhereverThePrefixIsMoved) {
  TempDir moved;
  std::filesystem::copy(install.prefix(), moved.file("elsewhere"), std::filesystem::copy_options::recursive);
  const std::string program = moved.file("elsewhere") + REDSIEGE_INSTALLED_PROGRAM_FROM_PREFIX;
  const std::string err = RunInstalled(program, "--verbose", home).err;
  EXPECT_NE(err.find("data from \"" + moved.file("elsewhere") + REDSIEGE_INSTALLED_DATA_FROM_PREFIX + "\""), err.npos)
      << err;
  EXPECT_NE(err.find("options in \"" + home.settings() + "\", high scores in \"" + home.records() +
                     "\", downloads in \"" + home.cache() + "\""),
            err.npos)
      << err;
}
