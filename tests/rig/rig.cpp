#include "rig/rig.h"

#include <SDL.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/files.h"
#include "persist/replay_files.h"
#include "platform/window.h"
#include "render/png_file.h"
#include "rig/installed.h"

namespace {
MessageRecorder *activeRecorder = nullptr;
}  // namespace

MessageRecorder::MessageRecorder(bool answer_) : answer(answer_) {
  activeRecorder = this;
  messageHandler = [](const std::string &text, const std::string &caption, MessageIcon icon) {
    if (activeRecorder) activeRecorder->messages.push_back({text, caption, icon});
  };
  yesNoHandler = [](const std::string &text, const std::string &caption, bool safeAnswer) {
    if (!activeRecorder) return false;
    activeRecorder->questions.push_back({text, caption, MB_ICONEXCLAMATION, safeAnswer});
    return activeRecorder->answer;
  };
}

MessageRecorder::~MessageRecorder() {
  activeRecorder = nullptr;
  messageHandler = nullptr;
  yesNoHandler = nullptr;
}

TempDir::TempDir() {
  char tmpl[] = "/tmp/redsiege-test-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string &name, const std::vector<uint8_t> &bytes) const {
  std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path());
  std::ofstream f(file(name), std::ios::binary);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void TempDir::write(const std::string &name, const std::string &text) const {
  write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

ScopedEnv::ScopedEnv(const char *name, const char *value) : name_(name), had_(std::getenv(name) != nullptr) {
  if (had_) old_ = std::getenv(name);
  value ? setenv(name, value, 1) : unsetenv(name);
}
ScopedEnv::~ScopedEnv() { had_ ? setenv(name_.c_str(), old_.c_str(), 1) : unsetenv(name_.c_str()); }

TempBase::TempBase() : saved(baseDirectory) { baseDirectory = dir.path(); }
TempBase::~TempBase() { baseDirectory = saved; }

static SDL_Window *testWindow = nullptr;
static SDL_GLContext testContext = nullptr;

void GlTest::SetUp() {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 1);
  testWindow = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_NE(testWindow, nullptr) << SDL_GetError();
  testContext = SDL_GL_CreateContext(testWindow);
  ASSERT_NE(testContext, nullptr) << SDL_GetError();
  SDL_GL_MakeCurrent(testWindow, testContext);
  clientWidth = width, clientHeight = height;
  ResizeView(width, height);
  InitGLState();
}

void GlTest::TearDown() {
  if (testContext) SDL_GL_DeleteContext(testContext);
  if (testWindow) SDL_DestroyWindow(testWindow);
  testContext = nullptr, testWindow = nullptr;
  ForgetLayer();  // its objects went with the context
  SDL_Quit();
}

std::vector<uint8_t> ReadPixelsRGB(int width, int height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return rgb;
}

Rgb PixelAt(const std::vector<uint8_t> &rgb, int width, int height, int x, int y) {
  size_t i = (static_cast<size_t>(height - 1 - y) * width + x) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool SaveScreenshot(const std::string &path, int width, int height) {
  return WritePngFile(path, ReadPixelsRGB(width, height), width, height);
}

std::string ScreenshotDir() {
  const char *env = std::getenv("REDSIEGE_SCREENSHOTS");
  std::string dir = env && *env ? env : std::string(REDSIEGE_DATA_DIR) + "/../screenshots";
  std::filesystem::create_directories(dir);
  return dir;
}

std::vector<uint8_t> FileBytes(const std::string &path) {
  std::vector<uint8_t> b;
  ReadFileBytes(path, b);
  return b;
}

Ran RunCommand(const std::string &command) {
  TempDir logs;
  const int status = std::system((command + " >'" + logs.file("out") + "' 2>'" + logs.file("err") + "'").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileText(logs.file("out")), FileText(logs.file("err"))};
}

std::set<std::string> ReplayFilesIn(const std::string &folder) {
  std::set<std::string> names;
  for (const auto &e : std::filesystem::directory_iterator(folder))
    if (IsReplayName(e.path().filename().string())) names.insert(e.path().filename().string());
  return names;
}

std::string FileText(const std::string &path) {
  std::vector<uint8_t> b = FileBytes(path);
  return std::string(b.begin(), b.end());
}

std::string BuiltDataDir() { return REDSIEGE_DATA_DIR; }
std::string TestDataDir() { return REDSIEGE_TEST_DATA; }

void WorldToPixel(double x, double y, int height, int &px, int &py) {
  GLdouble model[16], proj[16], wx, wy, wz;
  GLint view[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  glGetIntegerv(GL_VIEWPORT, view);
  gluProject(x, y, 0, model, proj, view, &wx, &wy, &wz);
  px = static_cast<int>(wx);
  py = height - 1 - static_cast<int>(wy);
}

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
