// The game in the real screen loops: the pause menu, days rushed leaving no GL objects behind, and
// the game left through the pause menu kept as a replay; and its sound (every other run here has no
// sound card): with OpenAL Soft's loopback device the start-up loads every sound, and however a game
// ends its sounds end with it. (A data folder lacking what a game needs is refused at start-up:
// DataFolder's tests.)
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "actors/records.h"
#include "audio/openal.h"
#include "audio/sound.h"
#include "game/state.h"
#include "persist/options.h"
#include "rig/screen_points.h"

namespace {
// Live GL names up to a bound no run comes near: what the days made and did not give back.
int LiveNames(GLboolean (*live)(GLuint)) {
  int n = 0;
  for (GLuint name = 1; name < 4000; ++name) n += live(name) ? 1 : 0;
  return n;
}

ALCdevice *OpenLoopback() { return alcLoopbackOpenDeviceSOFT(nullptr); }
const ALCint kMono22k[] = {
    ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT, ALC_FREQUENCY, 22050, 0};

// The loudness of the next quarter second the player would hear.
double RmsHeard() {
  std::vector<float> samples(5512);
  alcRenderSamplesSOFT(audioDevice, samples.data(), static_cast<ALCsizei>(samples.size()));
  double sum = 0;
  for (float s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / samples.size());
}

// Called as the program takes its window down, after its last screen has ended.
double heardAtTeardown = -1;
int ListenAtTeardown(void *, SDL_Event *e) {
  if (e->type == SDL_WINDOWEVENT && e->window.event == SDL_WINDOWEVENT_HIDDEN && audioDevice)
    heardAtTeardown = RmsHeard();
  return 1;
}

struct DeviceSeam {
  explicit DeviceSeam(taudiodevicesource use) { audioDeviceSource = use; }
  ~DeviceSeam() { audioDeviceSource = saved; }
  taudiodevicesource saved = audioDeviceSource;
};
}  // namespace

// One endless game, begun by taps: paused, resumed, then four days rushed with Insert while the
// world is rebuilt each dawn, and back to the main menu. (The clock standing under the pause
// menu is the played game's.)
TEST(GameWindow, PauseMenuAndRushedDaysLeaveNoTexturesOrListsBehind) {
  MessageRecorder recorder;
  ScriptedRun run;
  // "Begin" and the endless game by taps (down and up between two frames, as a touchpad sends them).
  run.at(2, [] { Game = tgame{}; });
  for (auto [pass, y] : {std::pair{4, 1.0}, {8, -0.1}})
    run.at(pass, [y = y] { PushMouseNow(0, y, true), PushMouseNow(0, y, false); });
  int pauseInk = 0;
  const Pass game = Shown("game");
  run.key(game, SDL_SCANCODE_ESCAPE);
  run.screenshot(Shown("pause menu") + 18, "pause_menu");
  run.at(Shown("pause menu") + 18, [&] {
    for (double y : {1.0, 0.4, 0.1}) pauseInk += InkIn(run, run.lastPixels, -1, y - 0.12, 1, y + 0.12) > 150;
  });
  ClickAt(run, Shown("pause menu") + 20, 0, 1.0);  // resume
  HoldKey(run, game + 42, SDL_SCANCODE_INSERT);
  std::map<int, std::pair<int, int>> namesByDay;  // lists and textures alive late in each day
  int leftAt = 0;                                 // the pass day 5 came
  for (int k = 42; k < 3000; ++k)
    run.at(game + k, [&] {
      const int p = run.passes;
      if (!leftAt) {
        Game.playerDamage = 0;  // nobody defends: the nights must not end the game
        if (p % 10 == 0) namesByDay[Game.dayNumber] = {LiveNames(glIsList), LiveNames(glIsTexture)};
        if (Game.dayNumber >= 5) leftAt = p, PushKeyNow(SDL_SCANCODE_INSERT, false);
        return;
      }
      // Past day 5's banner: the pause menu's "main menu", then the main menu's "quit".
      const int at = p - leftAt;
      if (at == 200 || at == 202) PushKeyNow(SDL_SCANCODE_ESCAPE, at == 200);
      if (at == 210 || at == 211) PushMouseNow(0, 0.4, at == 210);
      if (at == 220 || at == 221) PushMouseNow(0, -0.7, at == 220);
    });
  EXPECT_EQ(run.run(3100), 0);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(pauseInk, 3) << "resume, main menu and quit";
  ASSERT_GT(leftAt, 0) << "Insert did not bring day 5";
  EXPECT_LT(run.passes, leftAt + 230) << "main menu and quit did not end the program";
  ASSERT_TRUE(namesByDay.count(2) && namesByDay.count(4));
  EXPECT_EQ(namesByDay[4], namesByDay[2]) << "display lists, textures";
  EXPECT_GT(namesByDay[2].first, 20) << "the tiles and skyline are display lists";
  EXPECT_EQ(ReplayFilesIn(run.dir().path()).size(), 1u) << "a game left through the pause menu is kept as a replay";
}

// The helicopter's loop is the game's: however the game ends, it is not heard over what follows.
TEST(SoundProgram, EveryWayAGameEndsStopsItsSounds) {
  const Pass GAME = Shown("game"), ENDS = GAME + 60;
  const struct {
    const char *name;
    std::function<void(ScriptedRun &)> end;
    int within;  // the program has ended by this many passes after ENDS
  } ways[] = {
      {"end screen",  // from the death sequence's last frame
       [ENDS](ScriptedRun &run) {
         run.at(ENDS, [] { Game.playerDamage = 1e9, Ending.deathBlast = 1, Ending.deathTimer = 6.49; });
       },
       35},
      {"pause menu's main menu",
       [ENDS](ScriptedRun &run) { run.key(ENDS, SDL_SCANCODE_ESCAPE), ClickAt(run, ENDS + 5, 0, 0.4); }, 35},
      {"pause menu's quit",
       [ENDS](ScriptedRun &run) { run.key(ENDS, SDL_SCANCODE_ESCAPE), ClickAt(run, ENDS + 5, 0, 0.1); }, 14},
      {"window closed in the game", [ENDS](ScriptedRun &run) { run.closeWindow(ENDS); }, 35},
  };
  for (const auto &way : ways) {
    SCOPED_TRACE(way.name);
    MessageRecorder recorder;
    DeviceSeam seam({OpenLoopback, kMono22k});
    ScriptedRun run;
    BeginGame(run);
    run.at(GAME, [] {
      // Start-up loaded every sound the game plays.
      for (uint32_t b : soundBuffers) EXPECT_TRUE(b && alIsBuffer(b));
      for (const auto &list : weaponSounds) EXPECT_EQ(std::count(list.begin(), list.end(), 0u), 0);
      SDL_AddEventWatch(ListenAtTeardown, nullptr);  // SDL_Quit at the end drops it
      Options.soundVolume = 1.0;
      Game.helpDay = Game.dayNumber;  // the helicopter comes today
    });
    double inGame = -1;
    run.at(ENDS - 10, [&] { inGame = RmsHeard(); });
    way.end(run);
    run.closeWindow(ENDS + 30);  // from wherever the game's end has led
    heardAtTeardown = -1;
    EXPECT_EQ(run.run(1000), 0);
    EXPECT_LE(run.passes, run.firstShown["game"] + ENDS.offset + way.within) << "the program did not end";
    EXPECT_GT(inGame, 0.005) << "the helicopter is heard in the game";
    EXPECT_TRUE(heardAtTeardown >= 0 && heardAtTeardown < 0.0005) << "the game's sounds go on after it";
  }
}
