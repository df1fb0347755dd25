// What a player's game keeps on disk: the options file, the four score tables and the replays kept
// beside them, laid out field by field, read back whatever the disk holds, and saved so that a
// failure replaces nothing and is said once.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

#include "base/files.h"
#include "game/scores.h"
#include "persist/folders.h"
#include "persist/options.h"
#include "persist/replay_files.h"
#include "persist/scores.h"
#include "rig/rig.h"

namespace {
// A base folder of its own; the live options and score tables come back after each test.
struct SavedFolder : TempBase {
  toptions oldOptions = Options;
  ScoreTable oldTables[SCORE_CATEGORIES];
  SavedFolder() { std::memcpy(oldTables, scoreTables, sizeof oldTables); }
  ~SavedFolder() { Options = oldOptions, std::memcpy(scoreTables, oldTables, sizeof oldTables); }
  std::vector<uint8_t> load(const toptions &held) {
    Options = held;
    LoadOptions();
    return EncodeOptions(Options);
  }
  bool noTempFiles() const {
    for (const auto &e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().extension() == ".tmp") return false;
    return true;
  }
  std::vector<uint8_t> file(int c) const {
    return FileBytes(dir.file(std::string(ScoreFileName(static_cast<ScoreCategory>(c))) + ".zsc"));
  }
};

toptions SampleOptions(uint8_t tutorial = 0) {
  toptions o = {};
  o.screenWidth = 1280, o.screenHeight = -720, o.colourDepth = 16, o.padding[0] = 0xa1, o.padding[2] = 0xc3;
  o.soundVolume = 0.625, o.musicVolume = 0.1, o.particlesOff = 1, o.shadowsOff = 2, o.tutorial = tutorial;
  o.keyLeft = 0x41, o.keyRight = 0x44, o.keyJump = 32, o.keyChange = 0x51, o.keyUse = 0x45;
  return o;
}

ScoreEntry Entry(const std::string &name, int32_t score) {
  ScoreEntry e = {};
  e.nameLength = static_cast<uint8_t>(name.size());
  std::memcpy(e.name, name.data(), name.size());
  e.score = score;
  return e;
}

// Entries scoring 1300, 1200, ... 100, named a..m.
ScoreTable Descending() {
  ScoreTable t = {};
  for (int i = 0; i < SCORE_ENTRIES; ++i)
    t.entries[i] = Entry(std::string(1, static_cast<char>('a' + i)), 1300 - 100 * i);
  return t;
}

std::vector<int32_t> Scores(const ScoreTable &t) {
  std::vector<int32_t> s;
  for (const ScoreEntry &e : t.entries) s.push_back(e.score);
  return s;
}

// The table's names in order, one space after each.
std::string Names(const ScoreTable &t) {
  std::string s;
  for (const ScoreEntry &e : t.entries) s += ScoreName(e) + " ";
  return s;
}

// A records folder of its own, with empty tables, for one test.
struct Records {
  TempDir dir;
  std::string saved = recordsDirectory;
  Records() {
    recordsDirectory = dir.path();
    for (ScoreTable &t : scoreTables) t = ScoreTable{};
    LoadReplayLinks();
  }
  ~Records() {
    for (ScoreTable &t : scoreTables) t = ScoreTable{};
    LoadReplayLinks();
    recordsDirectory = saved;
  }
  std::set<std::string> Files() const { return ReplayFilesIn(dir.path()); }
};

treplay Played(uint32_t seed) {
  treplay r;
  r.rulesVersion = 2, r.seed = seed;
  r.frames.assign(3, tframeinput{0.0125, 0, 0, {0, 0}});
  return r;
}

// Games ending a second apart on the given day.
std::string NameOn(const char *day, int second) {
  char name[64];
  std::snprintf(name, sizeof name, "replay-%s-1200%02d-0000abcd.rsr", day, second);
  return name;
}

std::vector<std::string> SaveGames(const char *day, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(SaveReplay(Played(i), NameOn(day, i)));
  return names;
}
}  // namespace

TEST(Options, FileLayoutIsLittleEndianFieldByField) {
  std::vector<uint8_t> b = EncodeOptions(SampleOptions());
  ASSERT_EQ(b.size(), OPTIONS_FILE_SIZE);
  // 0x3f: the high byte of 0.625 = 0x3FE4000000000000.
  EXPECT_EQ((std::vector<double>{double(GetI32(&b[4])), double(GetI32(&b[8])), double(b[13]), double(b[15]),
                                 double(b[23]), GetF64(&b[24])}),
            (std::vector<double>{-720, 16, 0xa1, 0xc3, 0x3f, 0.1}));
  EXPECT_EQ((std::vector<uint8_t>(b.begin() + 32, b.end())),
            (std::vector<uint8_t>{1, 2, 0x41, 0x44, 32, 0x51, 0x45, 0}));
  // A shorter image is refused and changes nothing; that any 40 bytes come back whole is fuzz_options'.
  toptions o = SampleOptions();
  EXPECT_FALSE(DecodeOptions(b.data(), OPTIONS_FILE_SIZE - 1, o));
  EXPECT_EQ(EncodeOptions(o), b);
}

TEST(Options, SavedFileReadsBackWithTutorialOn) {
  SavedFolder folder;
  MessageRecorder recorder;
  Options = SampleOptions();
  ASSERT_TRUE(SaveOptions());
  EXPECT_TRUE(recorder.messages.empty() && folder.noTempFiles());
  EXPECT_EQ(folder.load({}), EncodeOptions(SampleOptions(1)));
  std::vector<uint8_t> longer = EncodeOptions(SampleOptions());
  longer.resize(60, 0x77);  // a longer file gives its first record
  folder.dir.write("options.zop", longer);
  EXPECT_EQ(folder.load({}), EncodeOptions(SampleOptions(1)));
}

TEST(Options, MissingShortOrUnreadableFileGivesDefaults) {
  SavedFolder folder;
  toptions defaults = {};
  defaults.screenWidth = 1024, defaults.screenHeight = 768, defaults.colourDepth = 32, defaults.fullScreen = 1;
  EXPECT_EQ(folder.load({}), EncodeOptions(defaults));
  // A short file: only the four window fields are defaults; the rest is left as it was.
  std::vector<uint8_t> shortFile = EncodeOptions(SampleOptions());
  shortFile.resize(39);
  folder.dir.write("options.zop", shortFile);
  toptions mixed = SampleOptions();
  mixed.screenWidth = 1024, mixed.screenHeight = 768, mixed.colourDepth = 32, mixed.fullScreen = 1;
  EXPECT_EQ(folder.load(SampleOptions()), EncodeOptions(mixed));
  // A folder in the file's place is no file either.
  std::filesystem::remove(folder.dir.file("options.zop"));
  std::filesystem::create_directory(folder.dir.file("options.zop"));
  EXPECT_EQ(folder.load(SampleOptions()), EncodeOptions(mixed));
}

TEST(Options, FailedSaveIsReportedAndReplacesNothing) {
  SavedFolder folder;
  std::filesystem::create_directory(folder.dir.file("options.zop"));
  folder.dir.write("options.zop/keep", std::string("x"));
  MessageRecorder recorder;
  EXPECT_FALSE(SaveOptions());
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_TRUE(recorder.messages[0].caption == "Options" && recorder.messages[0].icon == MB_ICONEXCLAMATION);
  EXPECT_NE(recorder.messages[0].text.find(folder.dir.file("options.zop")), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(folder.dir.file("options.zop/keep")));
  EXPECT_TRUE(folder.noTempFiles());
}

TEST(ScoreFile, EntriesAreLaidOutFieldByFieldLittleEndian) {
  ScoreTable t = {};
  t.entries[0] = Entry("ann", -2);
  t.entries[0].padding[1] = 0x5a;
  t.entries[12] = Entry("zed", 0x01020304);
  std::vector<uint8_t> b = EncodeScoreTable(t);
  ASSERT_EQ(b.size(), 364u);
  EXPECT_EQ(b[0], 3);
  EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 4), "ann");
  EXPECT_EQ(b[22], 0x5a);
  EXPECT_EQ((std::vector<uint8_t>(b.begin() + 24, b.begin() + 28)), (std::vector<uint8_t>{0xfe, 0xff, 0xff, 0xff}));
  EXPECT_EQ(b[12 * 28], 3);
  EXPECT_EQ((std::vector<uint8_t>(b.begin() + 12 * 28 + 24, b.end())), (std::vector<uint8_t>{4, 3, 2, 1}));
  // Fewer bytes are refused and leave the table alone; that any 364 come back whole, with names
  // of at most 20, is fuzz_scores'.
  ScoreTable d = t;
  EXPECT_FALSE(DecodeScoreTable(std::vector<uint8_t>(363, 9).data(), 363, d));
  EXPECT_EQ(EncodeScoreTable(d), b);
}

TEST(ScoreFile, LoadTakesWhatIsThereAndEmptiesWhatIsNot) {
  SavedFolder folder;
  ScoreTable survive = Descending();
  std::vector<uint8_t> longer = EncodeScoreTable(survive);
  longer.resize(400, 0x33);  // a longer file gives its first table
  folder.dir.write("survivescores.zsc", longer);
  std::vector<uint8_t> shorter = EncodeScoreTable(Descending());
  shorter.resize(363);
  folder.dir.write("hordescores.zsc", shorter);
  std::filesystem::create_directory(folder.dir.file("slayerscores.zsc"));  // exists but cannot be read
  for (ScoreTable &t : scoreTables) t = Descending();                      // what an earlier start-up left
  LoadScores();
  EXPECT_EQ(EncodeScoreTable(scoreTables[SCORE_SURVIVE]), EncodeScoreTable(survive));
  for (int c : {SCORE_RESCUE, SCORE_HORDE, SCORE_SLAYER})  // missing, short, unreadable
    EXPECT_EQ(EncodeScoreTable(scoreTables[c]), EncodeScoreTable(ScoreTable{})) << c;
}

TEST(ScoreFile, SaveWritesAllFourAndReportsAFailureOnce) {
  SavedFolder folder;
  MessageRecorder recorder;
  for (int c = 0; c < SCORE_CATEGORIES; ++c) {
    scoreTables[c] = Descending();
    scoreTables[c].entries[0].score = 5000 + c;
  }
  ASSERT_TRUE(SaveScores());
  EXPECT_TRUE(recorder.messages.empty());
  for (int c = 0; c < SCORE_CATEGORIES; ++c) EXPECT_EQ(folder.file(c), EncodeScoreTable(scoreTables[c])) << c;
  EXPECT_TRUE(folder.noTempFiles());

  // A table that cannot be written keeps its old file, the others are saved, and one box says so.
  std::vector<uint8_t> oldRescue = folder.file(SCORE_RESCUE);
  std::filesystem::create_directory(folder.dir.file("rescuescores.zsc.tmp"));
  scoreTables[SCORE_RESCUE].entries[0].score = 1;
  scoreTables[SCORE_SLAYER].entries[0].score = 2;
  EXPECT_FALSE(SaveScores());
  EXPECT_EQ(folder.file(SCORE_RESCUE), oldRescue);
  EXPECT_EQ(folder.file(SCORE_SLAYER), EncodeScoreTable(scoreTables[SCORE_SLAYER]));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_NE(recorder.messages[0].text.find("rescuescores.zsc"), std::string::npos);
  EXPECT_EQ(recorder.messages[0].text.find("slayerscores"), std::string::npos);
}

TEST(ScoreTables, NewScoresGoAboveEqualsAndPushTheLastOut) {
  ScoreTable empty = {};
  EXPECT_TRUE(Qualifies(empty, 0));
  EXPECT_FALSE(Qualifies(empty, -1));  // a lost base's horde score
  InsertScore(empty, "first", 0);
  InsertScore(empty, "neg", -1);
  EXPECT_EQ(Names(empty), "first " + std::string(12, ' '));

  // Below the last: nothing; equal to the last: it takes the last place; equal to an entry: goes
  // above it and the last falls out.
  ScoreTable t = Descending();
  EXPECT_FALSE(Qualifies(t, 99));
  const std::pair<const char *, int> inserts[] = {{"low", 99}, {"last", 100}, {"tie", 1000}, {"best", 99999}};
  for (const auto &[name, score] : inserts) InsertScore(t, name, score);
  EXPECT_EQ(Names(t), "best a b c tie d e f g h i j k ");
  EXPECT_EQ(Scores(t), (std::vector<int32_t>{99999, 1300, 1200, 1100, 1000, 1000, 900, 800, 700, 600, 500, 400, 300}));

  // A long name is cut to 20.
  ScoreTable p = {};
  InsertScore(p, "abcdefghijklmnopqrstuvwxyz", 5);
  EXPECT_EQ(ScoreName(p.entries[0]), "abcdefghijklmnopqrst");
}

TEST(GameScores, ComputedFromTheGameAndEnteredWhereTheyBelong) {
  tgame g = {};
  g.dayNumber = 3, g.timeOfDay = 0.4567, g.survivors = 4, g.supplies = -0.01, g.kills = 77;
  const tgamescores s = GameScores(g);
  EXPECT_EQ((std::vector<int32_t>{s.survive, s.rescue, s.horde, s.slayer}), (std::vector<int32_t>{3456, 4, -1, 77}));
  const std::pair<double, int32_t> values[] = {{2.9, 2}, {-2.9, -2}, {1e12, INT32_MAX}, {-1e12, INT32_MIN}, {NAN, 0}};
  for (const auto &[value, score] : values) EXPECT_EQ(ScoreFromValue(value), score) << value;

  SavedFolder folder;
  for (ScoreTable &t : scoreTables) t = Descending();
  // Only the rescue score would make its table: it counts only for a won game.
  tgamescores rescueOnly = {0, 5000, 0, 0};
  EXPECT_FALSE(AnyScoreQualifies(rescueOnly, false));
  EXPECT_TRUE(AnyScoreQualifies(rescueOnly, true));
  EnterGameScores("loser", rescueOnly, false);
  for (const ScoreTable &t : scoreTables) EXPECT_EQ(EncodeScoreTable(t), EncodeScoreTable(Descending()));
  EnterGameScores("winner", {150, 5000, 1250, 99}, true);
  EXPECT_EQ(Names(scoreTables[SCORE_SURVIVE]), "a b c d e f g h i j k l winner ");
  EXPECT_EQ(Names(scoreTables[SCORE_RESCUE]), "winner a b c d e f g h i j k l ");
  EXPECT_EQ(Names(scoreTables[SCORE_HORDE]), "a winner b c d e f g h i j k l ");
  EXPECT_EQ(Names(scoreTables[SCORE_SLAYER]), Names(Descending()));
}

TEST(ReplayKeeping, KeepsTheLastTwentySavedWhateverTheClockSays) {
  Records records;
  std::vector<std::string> names = SaveGames("20271208", 2);
  EnterGameScores("ann", {500, 0, 10, 3}, false, names[1]);
  ASSERT_TRUE(SaveReplayLinks());
  for (int i = 2; i < 22; ++i) names.push_back(SaveReplay(Played(i), NameOn("20271208", i)));
  // The clock battery died: the next game ends a year before the newest name.
  const std::string behind = SaveReplay(Played(99), NameOn("20261208", 0));
  ASSERT_EQ(behind, NameOn("20261208", 0));
  std::set<std::string> expected(names.begin() + 3, names.end());
  expected.insert(names[1]);  // behind a high score
  expected.insert(behind);
  EXPECT_EQ(records.Files(), expected);
  // The next game, on a clock still behind, pushes out the oldest saved, not the oldest named.
  SaveReplay(Played(100), NameOn("20261208", 1));
  EXPECT_TRUE(records.Files().count(behind));
  EXPECT_FALSE(records.Files().count(names[3]));
  // Watch is offered only for a replay that is there.
  EnterGameScores("bob", {400, 0, 5, 2}, false, behind);
  std::filesystem::remove(records.dir.file(names[1]));
  ForgetMissingReplays();
  EXPECT_EQ(scoreReplays[SCORE_SURVIVE][0], "");
  EXPECT_EQ(scoreReplays[SCORE_SURVIVE][1], behind);
}

TEST(ReplayKeeping, NeverWritesOverAnotherGame) {
  Records records;
  const std::string name = NameOn("20261208", 5);
  const std::string first = SaveReplay(Played(1), name), second = SaveReplay(Played(2), name);
  EXPECT_EQ(first, name);
  EXPECT_EQ(second, "replay-20261208-120005-0000abcd-2.rsr");
  for (const auto &[file, seed] : {std::pair{first, 1u}, std::pair{second, 2u}}) {
    std::vector<uint8_t> bytes;
    treplay read;
    ASSERT_TRUE(ReadFileBytes(records.dir.file(file), bytes));
    ASSERT_EQ(DecodeReplay(bytes.data(), bytes.size(), read), REPLAY_OK) << file;
    EXPECT_EQ(read.seed, seed) << file;
  }
  for (const char *bad : {"replay-20261208-120005-0000abcd-1.rsr", "replay-20261208-120005-0000abcd-02.rsr",
                          "replay-20261208-120005-0000abcd-.rsr", "../replay-20261208-120005-0000abcd.rsr",
                          "replay-20261208-120005-0000abcg.rsr", "replay-2026.rsr"})
    EXPECT_FALSE(IsReplayName(bad)) << bad;
}

TEST(ReplayKeeping, LinksFollowTheirEntriesAndSurviveADamagedIndex) {
  const struct {
    const char *what;
    void (*damage)(std::vector<uint8_t> &);
  } damages[] = {
      {"cut short", [](std::vector<uint8_t> &b) { b.resize(b.size() / 2); }},
      {"a line garbled", [](std::vector<uint8_t> &b) { b[b.size() / 3] = 0xff; }},
      {"emptied", [](std::vector<uint8_t> &b) { b.clear(); }},
      {"overwritten", [](std::vector<uint8_t> &b) { std::fill(b.begin(), b.end(), 0); }},
  };
  for (const auto &d : damages) {
    Records records;
    std::vector<std::string> names = SaveGames("20261208", 5);
    EnterGameScores("ann", {500, 0, 10, 3}, false, names[1]);
    EnterGameScores("bob", {900, 0, 5, 3}, false, names[4]);
    ASSERT_TRUE(SaveReplayLinks());
    // A better game entered while the index was not written: the links are found by name and
    // score wherever their entries now stand.
    InsertScore(scoreTables[SCORE_SURVIVE], "cyd", 1000);
    LoadReplayLinks();
    EXPECT_EQ(scoreReplays[SCORE_SURVIVE][1], names[4]) << d.what;
    EXPECT_EQ(scoreReplays[SCORE_SURVIVE][2], names[1]) << d.what;
    EXPECT_EQ(scoreReplays[SCORE_HORDE][0], names[1]) << d.what;

    std::vector<uint8_t> index;
    ASSERT_TRUE(ReadFileBytes(records.dir.file("replays.idx"), index));
    d.damage(index);
    records.dir.write("replays.idx", index);
    LoadReplayLinks();
    SaveGames("20261209", 30);
    for (const std::string &n : names) EXPECT_TRUE(records.Files().count(n)) << d.what << ": " << n;
    EXPECT_EQ(records.Files().size(), names.size() + REPLAYS_KEPT) << d.what << ": the new ones are pruned again";
  }
}
