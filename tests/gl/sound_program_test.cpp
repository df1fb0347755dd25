// Sound in whole-program runs (every other run here has no sound card): with OpenAL Soft's
// loopback device the start-up loads every sound, and however a game ends its sounds end with it.
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include <SDL.h>

#include "actors/records.h"
#include "audio/openal.h"
#include "audio/sound.h"
#include "game/state.h"
#include "persist/options.h"
#include "rig/screen_points.h"

namespace {
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
