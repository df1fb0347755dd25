// The golden replays play to the very rule states they were recorded with, frame by frame: on
// any build, compiler or C library. A change that moves the game fails here until the goldens are
// recorded again (`cmake --build build --target goldens`) and RULES_VERSION is raised. And
// redsiege-verify as the score server runs it: the built program on replays of scripted games and of
// the goldens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>

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

// The first frame whose hash differs from the pinned list, or -1.
long FirstDifference(const std::vector<uint64_t> &played, const std::vector<uint32_t> &pinned) {
  for (size_t i = 0; i < played.size() || i < pinned.size(); ++i)
    if (i >= played.size() || i >= pinned.size() || static_cast<uint32_t>(played[i]) != pinned[i])
      return static_cast<long>(i);
  return -1;
}

Ran Verify(const std::string &args) { return RunCommand(std::string("'") + REDSIEGE_VERIFY + "' " + args); }

std::string Quoted(const std::string &path) { return "--data '" + BuiltDataDir() + "' '" + path + "'"; }

// The text after "key": up to the next comma or brace (a string keeps its quotes).
std::string Field(const std::string &json, const std::string &key) {
  const std::string name = "\"" + key + "\":";
  const size_t at = json.find(name);
  if (at == std::string::npos) return "(none)";
  const size_t from = at + name.size();
  return json.substr(from, json.find_first_of(",}", from) - from);
}

// What the program must print for a replay: the end its game reached, field by field in the
// order of `kKeys`, and the hash's hex digits (or only its last eight, where only they are pinned).
struct Expected {
  std::string file, fields, hash;
};
const char *const kKeys[] = {"rules", "seed",    "frames",  "day",    "kills", "ended", "won",
                             "cut",   "seconds", "survive", "rescue", "horde", "slayer"};

// The game time of a replay's first `frames` frames, as the program prints it.
std::string Seconds(const std::vector<tframeinput> &inputs, uint64_t frames) {
  double sum = 0;
  for (uint64_t i = 0; i < frames; ++i) sum += inputs[i].frameTime;
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", sum);
  return text;
}

std::string Fields(uint32_t seed, uint64_t frames, int day, int kills, const std::string &ended,
                   const std::string &seconds, const int32_t s[4]) {
  std::ostringstream o;
  o << RULES_VERSION << ' ' << seed << ' ' << frames << ' ' << day << ' ' << kills << " \"" << ended << "\" "
    << (ended == "rescued" ? "true" : "false") << " false " << seconds << ' ' << s[0] << ' ' << s[1] << ' ' << s[2]
    << ' ' << s[3];
  return o.str();
}

// A replay of the game a script plays, written into `dir`, and the end the runner reached.
Expected Record(const TempDir &dir, const std::string &name, tgametype type, const char *ended,
                void (*script)(Play &)) {
  const treplay replay = RecordGame(type, 5, 983.0 / 65536, script);  // on the replay's grid
  dir.write(name, EncodeReplay(replay));
  const tgamescores g = GameScores(Game);
  const int32_t scores[4] = {g.survive, g.rescue, g.horde, g.slayer};
  char hash[20];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(RuleStateHash()));
  return {dir.file(name),
          Fields(5, replay.frames.size(), Game.dayNumber, Game.kills, ended,
                 Seconds(replay.frames, replay.frames.size()), scores),
          hash};
}
}  // namespace

TEST(GoldenReplays, PlayToThePinnedStateOnEveryFrame) {
  const std::string ends = FileText(GoldenDir() + "/ends.txt");
  ASSERT_FALSE(ends.empty()) << "no " << GoldenDir() << "/ends.txt";
  std::istringstream lines(ends);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "rules " + std::to_string(RULES_VERSION)) << "recorded by other rules: record the goldens again";
  int games = 0;
  while (std::getline(lines, line)) {
    tgoldenend pinned;
    ASSERT_TRUE(ParseEndLine(line, pinned)) << "ends.txt: " << line;
    SCOPED_TRACE(pinned.name);
    const std::vector<uint8_t> bytes = FileBytes(GoldenDir() + "/" + pinned.name + ".rsr");
    treplay replay;
    ASSERT_EQ(DecodeReplay(bytes.data(), bytes.size(), replay), REPLAY_OK);
    // Aiming at a new zombie every frame and running about costs a few bytes a frame at most.
    EXPECT_LT(bytes.size(), 5 * replay.frames.size()) << "a few bytes a frame";
    EXPECT_EQ(RulesRefusal(replay.rulesVersion), "");
    const tgoldenrun run = PlayGolden(pinned.name, replay);
    ASSERT_EQ(run.missing, "");
    EXPECT_EQ(replay.dataChecksum, run.dataChecksum) << "the game's data changed: record the goldens again";
    const long first =
        FirstDifference(run.hashes, ParseHashList(FileText(GoldenDir() + "/" + pinned.name + ".hashes")));
    EXPECT_EQ(first, -1) << "the rule state first differs on frame " << first << " (from 0) of " << run.hashes.size();
    EXPECT_EQ(EndLine(run.end), EndLine(pinned));
    ++games;
  }
  EXPECT_EQ(games, 3);
}

// Two scripted games, recorded as the window records them, and one golden replay: between them
// the ends a game can reach but the rescue (the whole rescue golden is the refusals' test's). The
// program tells each as the runner played it, or as pinned.
TEST(Verify, PrintsTheEndTheRunnerReached) {
  TempDir dir;
  std::vector<Expected> games = {
      Record(dir, "night.rsr", ENDLESS_GAME, "died",
             [](Play &p) {
               p.scene = [&p] { AimAtNearestZombie(p); };
               p.rushToNight().until(nullptr, 240, ACTION_FIRE);
             }),
      Record(dir, "walk.rsr", SHORT_GAME, "unfinished", [](Play &p) { p.aim(3, 0.2).hold(ACTION_RIGHT, 2).fire(1); }),
  };
  std::istringstream lines(FileText(GoldenDir() + "/ends.txt"));
  tgoldenend g;
  for (std::string line; g.name != "lost" && std::getline(lines, line);) ParseEndLine(line, g);
  ASSERT_EQ(g.ending, "base") << "the golden game lost at night";
  const std::string file = GoldenDir() + "/lost";
  treplay replay;
  const std::vector<uint8_t> bytes = FileBytes(file + ".rsr");
  ASSERT_EQ(DecodeReplay(bytes.data(), bytes.size(), replay), REPLAY_OK);
  char last[12];
  std::snprintf(last, sizeof last, "%08x", ParseHashList(FileText(file + ".hashes")).back());
  games.push_back(
      {file + ".rsr",
       Fields(replay.seed, g.frames, g.day, g.kills, "base lost", Seconds(replay.frames, g.frames), g.scores), last});
  for (const Expected &e : games) {
    SCOPED_TRACE(e.file);
    const Ran run = Verify(Quoted(e.file));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    std::string fields;
    for (const char *key : kKeys) fields += (fields.empty() ? "" : " ") + Field(run.out, key);
    EXPECT_EQ(fields, e.fields) << run.out;
    const std::string hash = Field(run.out, "hash");
    ASSERT_EQ(hash.size(), 18u) << run.out;
    EXPECT_EQ(hash.substr(17 - e.hash.size(), e.hash.size()), e.hash);
  }
}

// Refusals in one line with exit 1: its own checks, one of the reader's (whose refusals are the
// reader's tests) and a path that is not one line. FILE - reads standard input as the score server
// hands a replay over: a whole replay plays as from its file, one cut short plays its whole blocks
// and says so. (Sealed, with the refusal told on standard output, is the server's verifier test.)
TEST(Verify, RefusesWithOneLineAndReadsStandardInput) {
  TempDir dir;
  const std::string golden = GoldenDir() + "/rescue.rsr";
  const std::vector<uint8_t> bytes = FileBytes(golden);
  treplay good;  // a golden game: these rules, the built data
  ASSERT_EQ(DecodeReplay(bytes.data(), bytes.size(), good), REPLAY_OK);
  treplay otherRules = good, otherData = good;
  otherRules.rulesVersion = RULES_VERSION + 1;
  otherData.dataChecksum ^= 1;
  const struct {
    const char *file;
    std::vector<uint8_t> bytes;
    const char *why;
  } refused[] = {
      {"rules.rsr", EncodeReplay(otherRules), "rules version"},
      {"data.rsr", EncodeReplay(otherData), "it was recorded with other game data"},
      {"text.rsr", {'h', 'e', 'l', 'l', 'o'}, "not a replay"},
      {"new\nline.rsr", {'x'}, "new\\nline.rsr"},
      {"header.rsr", std::vector<uint8_t>(bytes.begin(), bytes.begin() + REPLAY_HEADER_SIZE + 4), "cut short"},
  };
  for (const auto &c : refused) {
    SCOPED_TRACE(c.file);
    dir.write(c.file, c.bytes);
    const Ran file = Verify(Quoted(dir.file(c.file))), piped = Verify(Quoted("-") + " < '" + dir.file(c.file) + "'");
    for (const Ran &run : {file, piped}) {
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_NE(file.err.find(c.why), std::string::npos) << file.err;
  }
  const Ran whole = Verify(Quoted(golden));
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(Field(whole.out, "cut"), "false");
  EXPECT_EQ(Field(whole.out, "ended"), "\"rescued\"");
  EXPECT_EQ(Verify(Quoted("-") + " < '" + golden + "'").out, whole.out);
  dir.write("cut.rsr", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4000));
  const Ran cut = Verify(Quoted("-") + " < '" + dir.file("cut.rsr") + "'");
  EXPECT_EQ(cut.status, 0) << cut.err;
  EXPECT_EQ(Field(cut.out, "cut"), "true");
  EXPECT_EQ(Field(cut.out, "frames"), std::to_string(REPLAY_BLOCK_FRAMES)) << cut.out;
}

TEST(Verify, UsageHelpAndVersion) {
  const struct {
    const char *args;
    int status;
    bool out;
  } cases[] = {
      {"", 2, false},      {"a b", 2, false},     {"--frobnicate x", 2, false}, {"--probe-sandbox x y", 2, false},
      {"--help", 0, true}, {"--version", 0, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.args);
    const Ran run = Verify(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out.empty(), !c.out);
    EXPECT_EQ(run.err.find("Usage:") != std::string::npos, c.status == 2) << run.err;
  }
}

// The program links none of the devices' libraries: the score server has none.
TEST(Verify, NeedsNoSdlGlOrOpenAl) {
  const Ran readelf = RunCommand(std::string("readelf -d '") + REDSIEGE_VERIFY + "'");
  ASSERT_EQ(readelf.status, 0) << readelf.err;
  const std::string &needed = readelf.out;
  ASSERT_NE(needed.find("libc.so"), std::string::npos) << needed;
  for (const char *library : {"libSDL2", "libGL", "libOpenGL", "libGLU", "libGLX", "libopenal"})
    EXPECT_EQ(needed.find(library), std::string::npos) << library << " in\n" << needed;
}
