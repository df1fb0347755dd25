// Whole-game runs through the real screen loops: from the main menu into a game of each type,
// walking, jumping, the day rushing by with Insert, the pause menu, and closing the window
// from inside the game.
#include <SDL.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/camera.h"
#include "game/objects.h"
#include "game/state.h"
#include "platform/window.h"
#include "rig/blocks.h"
#include "rig/scripted_run.h"

namespace {
int PixelX(double x) { return static_cast<int>(x * 102.4 + 512); }
int PixelY(double y) { return static_cast<int>(-y * 102.4 + 384); }

// The day transition of day 1 lasts 2 s of 13 ms frames; the game's own frames follow it.
constexpr int GAME_PASS = 180;

// Main menu "Begin" at pass 4, then the game type whose button stands at line y.
void StartGame(ScriptedRun &run, double typeY = 1.4) {
  run.click(4, PixelX(0), PixelY(1.0));
  run.click(8, PixelX(0), PixelY(typeY));
}

tiledesc Desc(uint8_t kind) {
  tiledesc d{};
  d.kind = kind;
  d.cratespot = {-10, -10};  // out of the way
  d.pickupspot = {-10, -10};
  d.startspot = {0, 0.1};
  d.basespot = {-1, 0};
  return d;
}

// A flat world whose base tile has a 0.3 step starting 1.2 right of the start spot.
void FlatWorldWithAStep(const ScriptedRun &run) {
  std::filesystem::remove_all(run.dir().file("zombie levels"));
  auto piece = [&run](const std::string &name, uint8_t kind, const tblkarray &blocks) {
    run.dir().write("zombie levels/" + name + ".zcg", EncodeBlocks(blocks));
    run.dir().write("zombie levels/" + name + ".zdg", EncodeBlocks(blocks));
    run.dir().write("zombie levels/" + name + ".zmd", EncodeTiledesc(Desc(kind)));
  };
  tblkarray ground = {Block(-2.5, -3, 2.5, 0)};
  piece("flat", 0, ground);
  piece("end", 2, {Block(-2.5, -3, 2.5, 0), Block(-2.5, 0, -2.3, 3)});
  piece("base", 1, {Block(-2.5, -3, 2.5, 0), Block(1.2, 0, 2.5, 0.3)});
}

int Keys(char c) { return SDL_SCANCODE_A + (c - 'a'); }
}  // namespace

TEST(GameRun, EachGameTypeBeginsDayOneWithItsBannerAndThePlayerAtTheStart) {
  struct Type {
    double y;
    int helpLow;
  };
  for (Type type : {Type{1.4, 2}, Type{0.7, 7}, Type{-0.1, -10}}) {
    MessageRecorder recorder;
    ScriptedRun run;
    FlatWorldWithAStep(run);
    StartGame(run, type.y);
    int bannerInk = 0;
    Rgb veilCorner{};
    int dayDuringBanner = 0;
    bool first = type.helpLow == 2;
    if (first) {
      run.screenshot(7, "game_type_menu");
      run.screenshot(60, "day_banner");
    }
    run.at(60, [&] {
      ScreenshotDir();
      std::vector<uint8_t> px = ReadPixelsRGB(clientWidth, clientHeight);
      for (int x = PixelX(-1); x < PixelX(1); ++x) {
        Rgb p = PixelAt(px, clientWidth, clientHeight, x, PixelY(0.0));
        if (p.b > p.r + 15 && p.r > 50) ++bannerInk;  // (0.4, 0.4, 0.6) on black
      }
      veilCorner = PixelAt(px, clientWidth, clientHeight, 20, 20);
      dayDuringBanner = Game.dayNumber;
    });
    tvector start{}, camera{};
    int32_t helpDay = 0;
    run.at(GAME_PASS, [&] {
      start = Player.body.pos;
      camera = CameraPos;
      helpDay = Game.helpDay;
    });
    run.closeWindow(GAME_PASS + 2);
    EXPECT_EQ(run.run(400), 0);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(dayDuringBanner, 1);
    EXPECT_LT(veilCorner.r + veilCorner.g + veilCorner.b, 10) << "the veil is black before the day shows";
    EXPECT_GT(bannerInk, 20) << "no \"day 1\" across the middle of the veil";
    EXPECT_GE(helpDay, type.helpLow);
    EXPECT_LE(helpDay, type.helpLow + 2);
    EXPECT_NEAR(start.x, 0.01, 0.05);
    EXPECT_NEAR(start.y, 0.1, 0.05);
    EXPECT_NEAR(camera.x, start.x, 1.5);
  }
}

TEST(GameRun, WalkingJumpingOntoAStepAndTheCameraFollowing) {
  MessageRecorder recorder;
  ScriptedRun run;
  FlatWorldWithAStep(run);
  StartGame(run);
  run.mouseMove(GAME_PASS - 5, PixelX(2), PixelY(0.5));
  tvector start{}, againstStep{}, onStep{}, back{};
  double cameraBefore = 0, cameraAfter = 0;
  int facingRight = -1, facingLeft = -1;
  run.at(GAME_PASS, [&] {
    start = Player.body.pos;
    cameraBefore = CameraPos.x;
  });
  run.hold(GAME_PASS, Keys('d'), 110);
  run.at(GAME_PASS + 75, [&] {
    againstStep = Player.body.pos;
    facingRight = Player.anim.facing;
  });
  run.key(GAME_PASS + 76, Keys('w'));
  run.at(GAME_PASS + 160, [&] {
    onStep = Player.body.pos;
    cameraAfter = CameraPos.x;
  });
  run.screenshot(GAME_PASS + 160, "walk_on_step");
  run.hold(GAME_PASS + 165, Keys('a'), 100);
  run.at(GAME_PASS + 265, [&] {
    back = Player.body.pos;
    facingLeft = Player.anim.facing;
  });
  run.closeWindow(GAME_PASS + 270);
  EXPECT_EQ(run.run(600), 0);
  EXPECT_TRUE(recorder.messages.empty());
  // Walking right stops against the step (its face at 1.2, the body 0.05 wide)...
  EXPECT_NEAR(againstStep.x, 1.15, 0.02);
  EXPECT_NEAR(againstStep.y, 0.1, 0.02);
  EXPECT_EQ(facingRight, 0);
  // ...a jump lands on it...
  EXPECT_GT(onStep.x, 1.2);
  EXPECT_NEAR(onStep.y, 0.4, 0.02);
  // ...and the camera came along.
  EXPECT_GT(cameraAfter, cameraBefore + 0.8);
  // Walking left goes back past the start.
  EXPECT_LT(back.x, start.x);
  EXPECT_EQ(facingLeft, 1);
}

TEST(GameRun, InsertRushesTheDayIntoTheNextDaysBanner) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run);
  int dayBefore = 0, dayAfter = 0;
  double timeAfter = 1;
  run.at(GAME_PASS, [&] { dayBefore = Game.dayNumber; });
  run.hold(GAME_PASS, SDL_SCANCODE_INSERT, 40);
  run.screenshot(GAME_PASS + 20, "insert_dusk");
  run.at(GAME_PASS + 120, [&] {
    dayAfter = Game.dayNumber;
    timeAfter = Game.timeOfDay;
  });
  run.screenshot(GAME_PASS + 120, "day_two_banner");
  run.closeWindow(GAME_PASS + 125);
  EXPECT_EQ(run.run(600), 0);
  EXPECT_EQ(dayBefore, 1);
  EXPECT_EQ(dayAfter, 2);
  EXPECT_LT(timeAfter, 0.01);  // dawn again: the transition still holds the clock
}

TEST(GameRun, PauseResumesThenLeavesForTheMainMenu) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run);
  double clockAtPause = 0, clockAfterPause = 0;
  bool inGameAfterResume = false;
  run.key(GAME_PASS, SDL_SCANCODE_ESCAPE);
  run.at(GAME_PASS + 2, [&] { clockAtPause = Game.timeOfDay; });
  run.screenshot(GAME_PASS + 20, "pause_menu");
  run.at(GAME_PASS + 20, [&] { clockAfterPause = Game.timeOfDay; });
  run.click(GAME_PASS + 22, PixelX(0), PixelY(1.0));  // resume
  run.at(GAME_PASS + 40, [&] { inGameAfterResume = Game.timeOfDay > clockAfterPause; });
  run.key(GAME_PASS + 45, SDL_SCANCODE_ESCAPE);
  run.click(GAME_PASS + 50, PixelX(0), PixelY(0.4));  // main menu
  run.screenshot(GAME_PASS + 60, "back_at_main_menu");
  run.click(GAME_PASS + 65, PixelX(0), PixelY(-0.7));  // quit
  EXPECT_EQ(run.run(800), 0);
  EXPECT_LT(run.passes, GAME_PASS + 75) << "quit from the main menu did not end the program";
  EXPECT_DOUBLE_EQ(clockAtPause, clockAfterPause) << "time ran on under the pause menu";
  EXPECT_TRUE(inGameAfterResume);
  // The main menu is back: its title panel stands at the top.
  Rgb title = PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, PixelX(-2.9), PixelY(2.9));
  Rgb sky = PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, PixelX(4.5), PixelY(3.4));
  EXPECT_NE(title.r + title.g + title.b, sky.r + sky.g + sky.b);
}

TEST(GameRun, QuitFromThePauseMenuAndClosingTheWindowInsideTheGameEndTheProgram) {
  {
    MessageRecorder recorder;
    ScriptedRun run;
    StartGame(run);
    run.key(GAME_PASS, SDL_SCANCODE_ESCAPE);
    run.click(GAME_PASS + 5, PixelX(0), PixelY(0.1));
    EXPECT_EQ(run.run(800), 0);
    EXPECT_LT(run.passes, GAME_PASS + 12);
  }
  for (int where : {60, GAME_PASS + 5, GAME_PASS + 30}) {  // banner, game, pause menu
    MessageRecorder recorder;
    ScriptedRun run;
    StartGame(run);
    run.key(GAME_PASS + 20, SDL_SCANCODE_ESCAPE);
    run.closeWindow(where);
    EXPECT_EQ(run.run(800), 0);
    EXPECT_LT(run.passes, where + 5) << "closing at pass " << where;
  }
}

TEST(GameRun, AGameWithoutItsFigureOrAKindOfPieceDoesNotStartAndTheMenuStaysUsable) {
  struct Lack {
    std::vector<std::string> files;  // taken from the data folder
    std::vector<std::string> named;  // in the message
  };
  const Lack lacks[] = {
      {{"guys/standard.guy"}, {"guys/standard.guy"}},
      {{"animations/jumpb2.ani"}, {"animations/jumpb2.ani"}},
      {{"weapons.wep"}, {"weapons.wep"}},
      {{"zombie levels/base_compound.zmd", "zombie levels/base_station.zcg"}, {"zombie levels", "base"}},
  };
  for (const Lack &lack : lacks) {
    MessageRecorder recorder;
    ScriptedRun run;
    for (const std::string &file : lack.files) std::filesystem::remove(run.dir().file(file));
    StartGame(run);
    run.click(20, PixelX(0), PixelY(-0.7));  // quit from the main menu
    EXPECT_EQ(run.run(300), 0);
    EXPECT_LT(run.passes, 30) << lack.files[0];
    ASSERT_EQ(recorder.messages.size(), 1u) << lack.files[0];
    for (const std::string &word : lack.named)
      EXPECT_NE(recorder.messages[0].text.find(word), std::string::npos) << recorder.messages[0].text;
  }
}

// The weapon table vanishing between two games: the second game refuses to start instead of
// playing with the first game's entries, whose textures are gone.
TEST(GameRun, AWeaponTableLostBetweenGamesStopsTheNextGame) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run);
  run.key(GAME_PASS, SDL_SCANCODE_ESCAPE);
  run.click(GAME_PASS + 5, PixelX(0), PixelY(0.4));  // main menu
  run.at(GAME_PASS + 10, [&run] { std::filesystem::remove(run.dir().file("weapons.wep")); });
  run.click(GAME_PASS + 12, PixelX(0), PixelY(1.0));
  run.click(GAME_PASS + 16, PixelX(0), PixelY(1.4));
  size_t weaponsLeft = 99;
  run.at(GAME_PASS + 22, [&] { weaponsLeft = weapons.size(); });
  run.click(GAME_PASS + 24, PixelX(0), PixelY(-0.7));  // quit from the main menu
  EXPECT_EQ(run.run(800), 0);
  EXPECT_LT(run.passes, GAME_PASS + 32);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_NE(recorder.messages[0].text.find("weapons.wep"), std::string::npos);
  EXPECT_EQ(weaponsLeft, 0u);
}

// The same place at noon, at dusk and in the night: the sky changes behind the silhouettes.
TEST(GameRun, TheDayAsAPlayerSeesIt) {
  MessageRecorder recorder;
  ScriptedRun run;
  StartGame(run);
  run.mouseMove(GAME_PASS - 5, PixelX(2.5), PixelY(0.8));
  struct Moment {
    const char *name;
    double time;
  };
  const Moment moments[] = {{"noon", 0.3125}, {"dusk", 0.55}, {"night", 0.8}};
  Rgb sky[3]{}, low[3]{}, ground[3]{};
  for (int m = 0; m < 3; ++m) {
    int pass = GAME_PASS + 20 + 30 * m;
    for (int p = pass - 10; p <= pass; ++p) run.at(p, [m, &moments] { Game.timeOfDay = moments[m].time; });
    run.screenshot(pass, std::string("world_") + moments[m].name);
    run.at(pass, [&run, &sky, &low, &ground, m] {
      sky[m] = PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, 30, 30);
      low[m] = PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, 30, 300);
      ground[m] = PixelAt(run.lastPixels, run.shotWidth, run.shotHeight, 512, 760);
    });
  }
  run.closeWindow(GAME_PASS + 100);
  EXPECT_EQ(run.run(600), 0);
  EXPECT_TRUE(recorder.messages.empty());
  auto sum = [](Rgb c) { return c.r + c.g + c.b; };
  EXPECT_GT(sum(sky[0]), sum(sky[1]));
  EXPECT_GT(sum(sky[1]), sum(sky[2]) + 100);
  EXPECT_GT(sky[0].b, sky[0].r) << "a blue noon sky";
  EXPECT_GT(low[1].r - low[1].b, low[0].r - low[0].b + 30) << "dusk reddens the sky low down";
  for (Rgb g : ground) EXPECT_LT(sum(g), 30) << "the ground stays a black silhouette";
}
