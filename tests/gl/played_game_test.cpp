// A game played through from the main menu to the high scores, as a player would: choose the
// endless game, hurry into the night, fire at the dead as they come, lose, type a name, find it in
// the tables and watch the game again from there. Played as a player who installed the game: the data of an install of
// this build, the options and scores in the player's own folders, started from an empty folder.
#include <SDL.h>

#include <cmath>
#include <cstring>
#include <string>

#include "base/files.h"
#include "base/vector.h"
#include "game/objects.h"
#include "game/state.h"
#include "persist/options.h"
#include "persist/scores.h"
#include "platform/window.h"
#include "rig/installed.h"
#include "rig/screen_points.h"

namespace {
ScoreTable TableIn(const std::string &file) {
  std::vector<uint8_t> b = FileBytes(file);
  ScoreTable t = {};
  EXPECT_TRUE(DecodeScoreTable(b.data(), b.size(), t)) << file;
  return t;
}

// The nearest active zombie's position, or false when there is none.
bool NearestZombie(tvector &at) {
  double best = 1e9;
  for (const tenemy &z : enemies)
    if (z.active && std::fabs(z.body.pos.x - Player.body.pos.x) < best) {
      best = std::fabs(z.body.pos.x - Player.body.pos.x);
      at = z.body.pos;
    }
  return best < 1e9;
}
}  // namespace

TEST(PlayedGame, FromTheMainMenuToANameInTheHighScores) {
  const InstalledBuild &install = InstallThisBuild();
  ASSERT_FALSE(install.root.empty()) << install.log;
  const auto installed = FolderListing(install.root);
  PlayerHome player;
  MessageRecorder recorder;
  ScriptedRun run(false);
  run.commandLine = {"--data", install.data()};
  const int MAX = 9000;
  enum { PLAYING, NAMING, DONE_CLICKED, SCORES } phase = PLAYING;
  int still = 0, phaseAt = 0, kills = 0, firstKill = -1;
  double lastClock = -1, endClock = 0;
  const char *name = "hero";
  // A smaller window, the player's own setting: nothing here looks at fine detail, and the fill
  // is most of a frame's cost.
  std::vector<uint8_t> shipped = FileBytes(install.data() + "/options.zop");
  toptions o = {};
  ASSERT_TRUE(DecodeOptions(shipped.data(), shipped.size(), o));
  o.screenWidth = 640, o.screenHeight = 480;
  player.home.write("config/redsiege/options.zop", EncodeOptions(o));
  BeginGame(run, -0.1);  // the endless game: no helicopter will come
  for (int p = 12; p < MAX; ++p)
    run.at(p, [&, p] {
      switch (phase) {
        case PLAYING: {
          // The end screen stops the clock for longer than a day's banner does.
          still = Game.timeOfDay == lastClock ? still + 1 : 0;
          lastClock = Game.timeOfDay;
          if (Game.dayNumber >= 1 && still > 170) {
            phase = NAMING, phaseAt = p, kills = Game.kills, endClock = Game.timeOfDay;
            return;
          }
          if (Game.dayNumber < 1) return;
          if (firstKill < 0 && Game.kills > 0) firstKill = p;
          if (p == firstKill + 4) run.shoot("played_fight");
          keyDown[45] = Game.dayNumber == 1 && Game.timeOfDay < 0.66;  // Insert: on to the night
          tvector z = {0, 0};
          bool target = NearestZombie(z) && std::fabs(z.x - Player.body.pos.x) < 3;
          mouseLeftDown = target;
          if (target) {
            // The pointer's direction from the middle of the window is the aim's direction.
            tvector d = vecnormalise(z - Player.body.pos) * 2.5;
            int px, py;
            ScreenPlaneToPixels(d.x, d.y, px, py);
            mouseX = px, mouseY = py;
          }
          return;
        }
        case NAMING: {
          int step = p - phaseAt;
          if (step == 1) run.shoot("played_game_over");
          const int i = step / 2 - 1, n = static_cast<int>(std::strlen(name));
          if (i >= 0 && i < n) PushKeyNow(SDL_SCANCODE_A + (name[i] - 'a'), step % 2 == 0);
          if (i == n && step % 2 == 0) run.shoot("played_name_typed");
          if (i == n + 1) {
            PushMouseNow(0, -0.7, step % 2 == 0);
            if (step % 2 == 1) phase = DONE_CLICKED, phaseAt = p;
          }
          return;
        }
        case DONE_CLICKED:
          if (p - phaseAt == 6) PushMouseNow(0, -0.1, true);  // high scores
          if (p - phaseAt == 7) PushMouseNow(0, -0.1, false), phase = SCORES, phaseAt = p;
          return;
        case SCORES:
          if (p - phaseAt == 3) redrawRequested = 1;  // the screen keeps a still picture otherwise
          if (p - phaseAt == 4) {
            run.shoot("played_high_scores");
            double x = -3.4 + 4 * 0.14;
            EXPECT_GT(InkIn(run, run.lastPixels, x, 1.12, x + 4 * 0.14, 1.28), 60) << "hero on the first line";
            PushMouseNow(0.87, 1.2, true);  // "watch" in hero's line
          }
          if (p - phaseAt == 5) PushMouseNow(0.87, 1.2, false);
          if (p - phaseAt == 199) lastClock = Game.timeOfDay;
          if (p - phaseAt == 200) {
            // Past the first day's banner, the game is being played again, not yet as far as it went.
            EXPECT_EQ(Game.dayNumber, 1);
            EXPECT_GT(Game.timeOfDay, lastClock) << "the replay is not playing";
            EXPECT_LT(Game.timeOfDay, endClock);
            run.shoot("played_watching");
            PushKeyNow(SDL_SCANCODE_ESCAPE, true);
          }
          if (p - phaseAt == 201) PushKeyNow(SDL_SCANCODE_ESCAPE, false);
          if (p - phaseAt == 205) PushMouseNow(0, -1.5, true);  // back
          if (p - phaseAt == 206) PushMouseNow(0, -1.5, false);
          if (p - phaseAt == 210) PushMouseNow(0, -0.7, true);  // quit
          return;
      }
    });
  EXPECT_EQ(run.run(MAX + 10), 0);
  EXPECT_EQ(phase, SCORES) << "the game never ended";
  EXPECT_GT(kills, 0) << "the fight killed nothing";
  const ScoreEntry survivor = TableIn(player.records() + "/survivescores.zsc").entries[0];
  EXPECT_EQ(ScoreName(survivor), "hero");
  EXPECT_GT(survivor.score, 1600);  // into the first night
  EXPECT_EQ(TableIn(player.records() + "/slayerscores.zsc").entries[0].score, kills);
  EXPECT_EQ(
      FileText(player.records() + "/replays.idx").find("0 0 " + std::to_string(survivor.score) + " 6865726f replay-"),
      0u)
      << "hero's survivor entry links the game's replay";
  // The player's options were kept, and nothing was written under the install or where it started.
  EXPECT_EQ(FileBytes(player.settings() + "/options.zop"), EncodeOptions(o));
  EXPECT_EQ(FolderListing(install.root), installed);
  EXPECT_TRUE(FolderListing(run.dir().path()).empty());
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
}
