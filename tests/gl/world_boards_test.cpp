// The world boards in the whole program, where only it shows them: the daily game started from
// the game-type menu on the server's seed of the day, the button's answer without a server, and
// the high-score screen drawing on while a server holds its answer and then sends garbage.
#include <SDL.h>

#include <string>

#include "online/fake_server.h"
#include "persist/replay.h"
#include "platform/window.h"
#include "rig/screen_points.h"
#include "server/rig.h"

namespace {
constexpr double DAILY_Y = -1.35;

treplay TheOneReplayIn(const std::string &folder) {
  const std::set<std::string> kept = ReplayFilesIn(folder);
  treplay replay;
  EXPECT_EQ(kept.size(), 1u);
  if (kept.empty()) return replay;
  const std::vector<uint8_t> bytes = FileBytes(folder + "/" + *kept.begin());
  EXPECT_EQ(DecodeReplay(bytes.data(), bytes.size(), replay), REPLAY_OK);
  return replay;
}
}  // namespace

TEST(WorldBoards, TheDailyGameIsPlayedOnTheServersSeedOfTheDay) {
  tserver server;
  ASSERT_TRUE(server.Start()) << server.Log();
  MessageRecorder recorder;
  ScriptedRun run;
  run.commandLine = {"--data", run.dir().path(), "--user", run.dir().path(), "--server", server.Url()};
  ClickAt(run, 4, 0, 1.0);
  run.screenshot(Shown("game type") + 4, "game_type_daily");
  ClickAt(run, Shown("game type") + 6, 0, DAILY_Y);
  run.screenshot(Shown("game") + 150, "daily_game");
  run.closeWindow(Shown("game") + 200);  // kept as a replay, however it ended
  EXPECT_EQ(run.run(3000), 0);
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
  const nlohmann::json daily = HttpGet(server.Url("/v1/daily")).Json();
  const treplay replay = TheOneReplayIn(run.dir().path());
  EXPECT_EQ(replay.seed, daily.value("seed", 0u)) << daily.dump();
  EXPECT_EQ(replay.helpBase, daily.value("help_base", -1));
}

TEST(WorldBoards, WithoutAServerTheDailyButtonStartsNothing) {
  ScriptedRun run;
  ClickAt(run, 4, 0, 1.0);
  ClickAt(run, Shown("game type") + 6, 0, DAILY_Y);
  run.screenshot(Shown("game type") + 12, "game_type_daily_off");
  // The line under the button says why; nothing else happens.
  run.at(Shown("game type") + 12, [&] {
    EXPECT_GT(InkIn(run, run.lastPixels, -2.5, DAILY_Y - 0.47, 2.5, DAILY_Y - 0.33), 200) << "the line says why";
  });
  run.closeWindow(Shown("game type") + 40);
  EXPECT_EQ(run.run(400), 0);
  EXPECT_EQ(run.firstShown.count("game"), 0u) << "a daily game without a server";
}

TEST(WorldBoards, TheHighScoreScreenDrawsOnWhileTheServerHoldsItsAnswer) {
  // Garbage when it does answer: one line on the page, never a crash.
  tfakeserver slow("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 9\r\n\r\n{\"total\":", true);
  ScriptedRun run;
  run.commandLine = {"--data", run.dir().path(), "--user", run.dir().path(), "--server", slow.Url()};
  ClickAt(run, 4, 0, -0.1);
  for (int page = 0; page < 4; ++page) ClickAt(run, Shown("high scores") + 4 + 4 * page, 2.5, -1.5);
  int drawnWhileHeld = 0;
  for (int p = 22; p < 122; ++p) run.at(Shown("high scores") + p, [&] { drawnWhileHeld += slow.Requests() > 0; });
  run.screenshot(Shown("high scores") + 121, "world_page_loading");
  run.at(Shown("high scores") + 122, [&] { slow.Release(); });
  run.screenshot(Shown("high scores") + 200, "world_page_garbage");
  run.at(Shown("high scores") + 200, [&] {
    EXPECT_GT(InkIn(run, run.lastPixels, -3.0, 0.3, 3.0, 0.5), 200) << "a line where the board would be";
    EXPECT_EQ(InkIn(run, run.lastPixels, -2.84, 1.12, -2.42, 1.28), 0) << "no rows from garbage";
  });
  run.closeWindow(Shown("high scores") + 210);
  EXPECT_EQ(run.run(1000), 0);
  EXPECT_GE(drawnWhileHeld, 99) << "the screen stopped drawing while the server held its answer";
}
