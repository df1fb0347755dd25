// The test rig: message-box recorder, GL context fixture, temporary data folders, screenshots
// and scripted runs of the real screen loop.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/message.h"

struct RecordedMessage {
  std::string text, caption;
  MessageIcon icon;
  bool safeAnswer = false;  // questions: the answer taken when no box can be shown
};

// Replaces the message boxes for its lifetime; Yes/No questions get `answer`.
class MessageRecorder {
 public:
  explicit MessageRecorder(bool answer = true);
  ~MessageRecorder();
  std::vector<RecordedMessage> messages;
  std::vector<RecordedMessage> questions;
  bool answer;
};

// A temporary folder, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  void write(const std::string &name, const std::vector<uint8_t> &bytes) const;
  void write(const std::string &name, const std::string &text) const;

 private:
  std::string path_;
};

// Sets (or, given nullptr, unsets) an environment variable for its lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, const char *value);
  ~ScopedEnv();

 private:
  std::string name_, old_;
  bool had_;
};

// A temporary folder as the game's base directory for its lifetime; the old one comes back after.
struct TempBase {
  TempBase();
  ~TempBase();
  TempDir dir;
  std::string saved;
};

// A hidden window with a current GL context (needs a display: the tests run under Xvfb).
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  int width = 256, height = 256;
};

// The current back buffer, and the RGB at pixel (x, y) of it counted from the top-left.
std::vector<uint8_t> ReadPixelsRGB(int width, int height);
struct Rgb {
  int r, g, b;
};
Rgb PixelAt(const std::vector<uint8_t> &rgb, int width, int height, int x, int y);
// The pixel (from the top-left) where a world point on the plane z = 0 lands through the
// current projection and the model-view matrix the caller has set (the world camera, say).
void WorldToPixel(double x, double y, int height, int &px, int &py);
// Writes the back buffer as a PNG; returns false on failure.
bool SaveScreenshot(const std::string &path, int width, int height);

// A shell command's exit status (-1: it did not exit) and what it printed.
struct Ran {
  int status;
  std::string out, err;
};
Ran RunCommand(const std::string &command);

// The replay files a folder holds, by name.
std::set<std::string> ReplayFilesIn(const std::string &folder);

// A whole file's bytes or text (none when it cannot be read).
std::vector<uint8_t> FileBytes(const std::string &path);
std::string FileText(const std::string &path);

// Where tests put screenshots for people to look at; the compiled data folder of this build.
std::string ScreenshotDir();
std::string BuiltDataDir();
std::string TestDataDir();
