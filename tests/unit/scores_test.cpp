#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <utility>

#include "game/scores.h"
#include "persist/scores.h"
#include "rig/rig.h"

namespace {
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

// The live tables come back after each test.
struct ScoresFolder : TempBase {
  ScoreTable saved[SCORE_CATEGORIES];
  ScoresFolder() { std::memcpy(saved, scoreTables, sizeof saved); }
  ~ScoresFolder() { std::memcpy(scoreTables, saved, sizeof saved); }
  std::vector<uint8_t> file(int c) const {
    return FileBytes(dir.file(std::string(ScoreFileName(static_cast<ScoreCategory>(c))) + ".zsc"));
  }
};
}  // namespace

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
  ScoresFolder folder;
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
  ScoresFolder folder;
  MessageRecorder recorder;
  for (int c = 0; c < SCORE_CATEGORIES; ++c) {
    scoreTables[c] = Descending();
    scoreTables[c].entries[0].score = 5000 + c;
  }
  ASSERT_TRUE(SaveScores());
  EXPECT_TRUE(recorder.messages.empty());
  for (int c = 0; c < SCORE_CATEGORIES; ++c) EXPECT_EQ(folder.file(c), EncodeScoreTable(scoreTables[c])) << c;
  for (const auto &e : std::filesystem::directory_iterator(folder.dir.path())) EXPECT_NE(e.path().extension(), ".tmp");

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

  ScoresFolder folder;
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
