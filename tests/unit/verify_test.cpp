// redsiege-verify as the score server runs it: the built program on replays of scripted games.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "base/files.h"
#include "game/load.h"
#include "game/rules_version.h"
#include "game/scores.h"
#include "game/state.h"
#include "game/state_hash.h"
#include "persist/replay.h"
#include "rig/golden.h"
#include "rig/play.h"
#include "rig/rig.h"

namespace {

struct Ran {
  int status = -1;
  std::string out, err;
};

Ran Verify(const TempDir &dir, const std::string &args) {
  const std::string command =
      std::string("'") + REDSIEGE_VERIFY + "' " + args + " >'" + dir.file("out") + "' 2>'" + dir.file("err") + "'";
  const int status = std::system(command.c_str());
  Ran run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = FileText(dir.file("out"));
  run.err = FileText(dir.file("err"));
  return run;
}

std::string Quoted(const std::string &path) { return "--data '" + BuiltDataDir() + "' '" + path + "'"; }

// The text after "key": up to the next comma or brace (a string keeps its quotes).
std::string Field(const std::string &json, const std::string &key) {
  const std::string name = "\"" + key + "\":";
  const size_t at = json.find(name);
  if (at == std::string::npos) return "(none)";
  const size_t from = at + name.size();
  return json.substr(from, json.find_first_of(",}", from) - from);
}

int Lines(const std::string &text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

// A replay of the game a script plays, written into `dir`; `live` gets what the runner reached.
struct Live {
  int day, kills;
  bool ended, won;
  size_t frames;
  uint64_t hash;
  tgamescores scores;
};

Live Record(const TempDir &dir, const std::string &name, tgametype type, uint32_t seed, void (*script)(Play &)) {
  treplay replay;
  replay.rulesVersion = RULES_VERSION;
  replay.seed = seed;
  replay.helpBase = HELP_BASE[type];
  Play play(type, seed);
  replay.dataChecksum = GameDataChecksum();
  replay.skyScroll = Game.skyScroll;
  play.frameTime = 983.0 / 65536;  // on the replay's grid
  play.recording = &replay.frames;
  script(play);
  dir.write(name, EncodeReplay(replay));
  return {Game.dayNumber, Game.kills, play.ended, play.won, replay.frames.size(), RuleStateHash(), GameScores(Game)};
}

}  // namespace

TEST(Verify, PrintsTheEndTheRunnerReached) {
  const struct {
    const char *name;
    tgametype type;
    void (*script)(Play &);
    const char *ended;
  } cases[] = {
      {"a night fought to the death", ENDLESS_GAME,
       [](Play &p) {
         p.scene = [&p] {
           tvector target = Player.body.pos + tvector{2, 0.1};
           NearestZombie(target);
           p.aimAt(target);
         };
         p.rushToNight().until(nullptr, 240, ACTION_FIRE);
       },
       "\"died\""},
      {"a morning's walk", SHORT_GAME, [](Play &p) { p.aim(3, 0.2).hold(ACTION_RIGHT, 2).fire(1); }, "\"unfinished\""},
  };
  TempDir dir;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const Live live = Record(dir, "game.rsr", c.type, 5, c.script);
    const Ran run = Verify(dir, Quoted(dir.file("game.rsr")));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Lines(run.out), 1) << run.out;
    EXPECT_EQ(Field(run.out, "rules"), std::to_string(RULES_VERSION));
    EXPECT_EQ(Field(run.out, "seed"), "5");
    EXPECT_EQ(Field(run.out, "frames"), std::to_string(live.frames));
    EXPECT_EQ(Field(run.out, "day"), std::to_string(live.day));
    EXPECT_EQ(Field(run.out, "kills"), std::to_string(live.kills));
    EXPECT_EQ(Field(run.out, "ended"), c.ended);
    char hash[20];
    std::snprintf(hash, sizeof hash, "\"%016llx\"", static_cast<unsigned long long>(live.hash));
    EXPECT_EQ(Field(run.out, "hash"), hash);
    EXPECT_EQ(Field(run.out, "survive"), std::to_string(live.scores.survive)) << run.out;
    EXPECT_EQ(Field(run.out, "rescue"), std::to_string(live.scores.rescue));
    EXPECT_EQ(Field(run.out, "horde"), std::to_string(live.scores.horde));
    EXPECT_EQ(Field(run.out, "slayer"), std::to_string(live.scores.slayer));
  }
}

// The golden replays end each way a game can: the program tells them as their pinned ends do.
TEST(Verify, TellsTheGoldenReplaysEnds) {
  const std::map<std::string, std::string> words = {
      {"rescue", "\"rescued\""}, {"death", "\"died\""}, {"base", "\"base lost\""}, {"none", "\"unfinished\""}};
  std::istringstream lines(FileText(GoldenDir() + "/ends.txt"));
  std::string line;
  std::getline(lines, line);  // the rules version
  TempDir dir;
  int games = 0;
  for (tgoldenend pinned; std::getline(lines, line) && ParseEndLine(line, pinned); ++games) {
    SCOPED_TRACE(pinned.name);
    const std::string file = GoldenDir() + "/" + pinned.name + ".rsr";
    const Ran run = Verify(dir, Quoted(file));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Field(run.out, "day"), std::to_string(pinned.day));
    EXPECT_EQ(Field(run.out, "kills"), std::to_string(pinned.kills));
    EXPECT_EQ(Field(run.out, "frames"), std::to_string(pinned.frames));
    EXPECT_EQ(Field(run.out, "ended"), words.at(pinned.ending));
    const char *names[4] = {"survive", "rescue", "horde", "slayer"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Field(run.out, names[i]), std::to_string(pinned.scores[i])) << names[i];
    const std::vector<uint32_t> hashes = ParseHashList(FileText(GoldenDir() + "/" + pinned.name + ".hashes"));
    ASSERT_FALSE(hashes.empty());
    char last[12];
    std::snprintf(last, sizeof last, "%08x\"", hashes.back());
    EXPECT_EQ(Field(run.out, "hash").substr(9), last) << "the low half of the last frame's hash";
  }
  EXPECT_EQ(games, 3);
}

TEST(Verify, RefusesWithOneLineAndExitOne) {
  TempDir dir;
  treplay good;
  good.rulesVersion = RULES_VERSION;
  good.helpBase = HELP_BASE[SHORT_GAME];
  {
    Play play;  // the built data, for its checksum
    good.dataChecksum = GameDataChecksum();
  }
  good.frames.assign(50, tframeinput{983.0 / 65536, 0, 0, {1, 0}});
  treplay otherRules = good, otherData = good, empty = good;
  otherRules.rulesVersion = RULES_VERSION + 1;
  otherData.dataChecksum ^= 1;
  empty.frames.clear();
  const struct {
    const char *file;
    std::vector<uint8_t> bytes;
    const char *why;
  } cases[] = {
      {"rules.rsr", EncodeReplay(otherRules), "rules version"},
      {"data.rsr", EncodeReplay(otherData), "it was recorded with other game data"},
      {"text.rsr", {'h', 'e', 'l', 'l', 'o'}, "not a replay"},
      {"empty.rsr", EncodeReplay(empty), "no frames"},
      {"new\nline.rsr", {'x'}, "new\\nline.rsr"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.file);
    dir.write(c.file, c.bytes);
    const Ran run = Verify(dir, Quoted(dir.file(c.file)));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find(c.why), std::string::npos) << run.err;
  }
  dir.write("good.rsr", EncodeReplay(good));
  EXPECT_EQ(Verify(dir, Quoted(dir.file("good.rsr"))).status, 0) << "the same replay with its own rules and data";
}

TEST(Verify, UsageHelpAndVersion) {
  TempDir dir;
  const struct {
    const char *args;
    int status;
    bool out;
  } cases[] = {
      {"", 2, false}, {"a b", 2, false}, {"--frobnicate x", 2, false}, {"--help", 0, true}, {"--version", 0, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.args);
    const Ran run = Verify(dir, c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out.empty(), !c.out);
    EXPECT_EQ(run.err.find("Usage:") != std::string::npos, c.status == 2) << run.err;
  }
}

// The program links none of the devices' libraries: the score server has none.
TEST(Verify, NeedsNoSdlGlOrOpenAl) {
  TempDir dir;
  const std::string command = std::string("readelf -d '") + REDSIEGE_VERIFY + "' >'" + dir.file("needed") + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string needed = FileText(dir.file("needed"));
  ASSERT_NE(needed.find("libc.so"), std::string::npos) << needed;
  for (const char *library : {"libSDL2", "libGL", "libOpenGL", "libGLU", "libGLX", "libopenal"})
    EXPECT_EQ(needed.find(library), std::string::npos) << library << " in\n" << needed;
}
