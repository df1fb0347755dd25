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
}  // namespace

// Left from the pause menu, the daily game still goes to the server, under the name last entered
// and with its start token: it counts as the player's daily game, unfinished.
TEST(WorldBoards, TheDailyGameIsPlayedOnTheServersSeedAndCounted) {
  tserver server;
  ASSERT_TRUE(server.Start()) << server.Log();
  MessageRecorder recorder;
  ScriptedRun run;
  run.dir().write("online.txt", std::string("name ace\n"));
  run.commandLine = {"--data", run.dir().path(), "--user", run.dir().path(), "--server", server.Url()};
  ClickAt(run, 4, 0, 1.0);
  run.screenshot(Shown("game type") + 4, "game_type_daily");
  ClickAt(run, Shown("game type") + 6, 0, DAILY_Y);
  run.screenshot(Shown("game") + 150, "daily_game");
  run.key(Shown("game") + 200, SDL_SCANCODE_ESCAPE);
  ClickAt(run, Shown("pause menu") + 4, 0, 0.4);
  // The main menu draws on while the game goes in the background; the window closes once it is in.
  bool in = false;
  for (int p = 10; p < 1000; p += 10)
    run.at(Shown("main menu") + p, [&] {
      const std::set<std::string> kept = ReplayFilesIn(run.dir().path());
      if (in || kept.empty()) return;
      in = HttpGet(server.Url("/v1/games/" + ReplayId(FileBytes(run.dir().file(*kept.begin()))))).status == 200;
      if (in) quitRequested = 1;  // as "quit" does
    });
  EXPECT_EQ(run.run(3000), 0);
  for (auto &m : recorder.messages) ADD_FAILURE() << m.caption << ": " << m.text;
  const nlohmann::json daily = HttpGet(server.Url("/v1/daily")).Json();
  const std::set<std::string> kept = ReplayFilesIn(run.dir().path());
  ASSERT_EQ(kept.size(), 1u);
  const std::vector<uint8_t> bytes = FileBytes(run.dir().file(*kept.begin()));
  treplay replay;
  ASSERT_EQ(DecodeReplay(bytes.data(), bytes.size(), replay), REPLAY_OK);
  EXPECT_EQ(replay.seed, daily.value("seed", 0u)) << daily.dump();
  EXPECT_EQ(replay.helpBase, daily.value("help_base", -1));
  const nlohmann::json sent = WaitVerdict(server.Url(), ReplayId(bytes));
  EXPECT_EQ(sent.value("name", ""), "ace") << sent.dump();
  if (kAddressSanitizer) return;  // its verifier cannot live under the child's memory cap
  EXPECT_EQ(sent.value("status", ""), "verified") << sent.dump();
  EXPECT_EQ(sent.value("ended", ""), "unfinished") << sent.dump();
  EXPECT_TRUE(sent.contains("daily") && sent["daily"].value("counted", false)) << sent.dump();
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

// Fourteen games on the server: the world page shows thirteen, "down" the fourteenth, "up" back.
TEST(WorldBoards, AWorldPageTurnsToTheNextRanks) {
  if (kAddressSanitizer) GTEST_SKIP() << "nothing is verified by a verifier that cannot live under its memory cap";
  tserver server;
  ASSERT_TRUE(server.Start()) << server.Log();
  std::vector<std::string> ids;
  for (uint32_t seed = 1; seed <= 14; ++seed) {
    const tplayedgame game = PlayScriptedGame(seed, 300);
    ASSERT_EQ(Submit(server.Url(), SubmissionOf(game, "p" + std::to_string(seed))).status, 202);
    ids.push_back(game.id);
  }
  for (const std::string &id : ids) ASSERT_EQ(WaitVerdict(server.Url(), id).value("status", ""), "verified");
  ScriptedRun run;
  run.commandLine = {"--data", run.dir().path(), "--user", run.dir().path(), "--server", server.Url()};
  const auto rowInk = [&](int row) {
    return InkIn(run, run.lastPixels, -3.3, 1.12 - 0.2 * row, -2.9, 1.28 - 0.2 * row);
  };
  const auto upInk = [&] { return InkIn(run, run.lastPixels, -3.2, 1.52, -2.8, 1.68); };
  ClickAt(run, 4, 0, -0.1);
  for (int page = 0; page < 4; ++page) ClickAt(run, Shown("high scores") + 4 + 4 * page, 2.5, -1.5);
  run.screenshot(Shown("high scores") + 80, "world_page_first");
  run.at(Shown("high scores") + 80, [&] {
    EXPECT_GT(rowInk(12), 30) << "the thirteenth rank";
    EXPECT_EQ(upInk(), 0) << "up on the first page";
  });
  ClickAt(run, Shown("high scores") + 82, 3.0, 1.6);
  run.screenshot(Shown("high scores") + 160, "world_page_second");
  run.at(Shown("high scores") + 160, [&] {
    EXPECT_GT(rowInk(0), 30) << "the fourteenth rank";
    EXPECT_EQ(rowInk(1), 0) << "nothing past it";
    EXPECT_GT(upInk(), 30) << "up";
  });
  ClickAt(run, Shown("high scores") + 162, -3.0, 1.6);
  run.at(Shown("high scores") + 240, [&] { redrawRequested = 1; });
  run.screenshot(Shown("high scores") + 242, "world_page_first_again");
  run.at(Shown("high scores") + 242, [&] { EXPECT_GT(rowInk(12), 30) << "back to the first thirteen"; });
  run.closeWindow(Shown("high scores") + 250);
  EXPECT_EQ(run.run(1000), 0);
}
