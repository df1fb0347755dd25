// The player's files for the world boards: settings, key and outbox.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/files.h"
#include "online/outbox.h"
#include "online/settings.h"
#include "server/rig.h"

TEST(OnlineFiles, SettingsReadOrOffWithWhy) {
  // {file text, world scores on, server, asked, a why given}
  const std::tuple<std::string, bool, std::string, bool, bool> cases[] = {
      {"", false, "", false, false},
      {"world-scores on\nserver https://s.example.org/\nasked yes\nname ace\n", true, "https://s.example.org", true,
       false},
      {"world-scores on\nname <b>\n", false, "", false, true},
      {"# mine\r\n  world-scores off \r\nserver http://127.0.0.1:8080\n", false, "http://127.0.0.1:8080", false, false},
      {"world-scores on\nserver ftp://s.example.org\n", false, "", false, true},
      {"world-scores on\nworld-scores maybe\n", false, "", false, true},
      {"world-scores on\nasked\n", false, "", false, true},
      {"world-scores on\n" + std::string(5000, '#'), false, "", false, true},
      {std::string("world-scores on\n\x01\xff\n", 19), false, "", false, true},
  };
  for (const auto &[text, on, server, asked, damaged] : cases) {
    SCOPED_TRACE(text.substr(0, 40));
    std::string why;
    const tonlinesettings s = ParseOnlineSettings(text, why);
    EXPECT_EQ(s.takePart, on);
    EXPECT_EQ(s.server, server);
    EXPECT_EQ(s.asked, asked);
    EXPECT_EQ(!why.empty(), damaged) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos);
  }
  // Saved and read back through the folder's file; a folder with none gives the defaults.
  ttempdir dir;
  std::string why, error;
  EXPECT_FALSE(LoadOnlineSettings(dir.path, why).takePart);
  EXPECT_TRUE(why.empty());
  ASSERT_TRUE(SaveOnlineSettings(dir.path, {true, "https://s.example.org", true, "ace 2"}, &error)) << error;
  const tonlinesettings back = LoadOnlineSettings(dir.path, why);
  EXPECT_TRUE(back.takePart && back.asked && back.server == "https://s.example.org" && back.name == "ace 2") << why;
}

TEST(OnlineFiles, TheKeyIsMadeOnceAndKeptPrivate) {
  ttempdir dir;
  std::string why;
  const std::string key = PlayerKey(dir.path, why);
  EXPECT_EQ(key.size(), 32u) << why;
  EXPECT_TRUE(ValidPlayerKey(key));
  EXPECT_EQ(PlayerKey(dir.path, why), key);
  ttempdir other;
  EXPECT_NE(PlayerKey(other.path, why), key);
  struct stat st {};
  ASSERT_EQ(stat((dir.path + "/" + PLAYER_KEY_FILE).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // No settings folder (no home): no key made in the working folder.
  EXPECT_EQ(PlayerKey("", why), "");
  EXPECT_FALSE(FileExists(PLAYER_KEY_FILE));
  // A key file spoiled by hand is left for the player to mend, never replaced.
  ASSERT_TRUE(WriteFileAtomic(dir.path + "/" + PLAYER_KEY_FILE, {'s', 'h', 'o', 'r', 't'}, nullptr));
  EXPECT_EQ(PlayerKey(dir.path, why), "");
  EXPECT_NE(why.find("is not 16 to 128"), std::string::npos) << why;
}

TEST(OnlineFiles, OutboxFilesRoundTripAndRefuseDamage) {
  toutgoing game;
  game.replay = {9, 8, 7, 6};
  game.name = "ann";
  game.claimed[0] = 3321, game.claimed[2] = -626;
  game.dailyToken = "tok.en";
  const std::vector<uint8_t> bytes = EncodeOutgoing(game);
  toutgoing back;
  ASSERT_TRUE(DecodeOutgoing(bytes, back));
  EXPECT_EQ(back.replay, game.replay);
  EXPECT_EQ(back.name, "ann");
  EXPECT_EQ(back.claimed[2], -626);
  EXPECT_EQ(back.dailyToken, "tok.en");
  for (size_t cut : {size_t(0), size_t(10), bytes.size() - 1}) {
    EXPECT_FALSE(DecodeOutgoing(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut), back));
  }
  std::vector<uint8_t> spoiled = bytes;
  spoiled[20] ^= 1;
  EXPECT_FALSE(DecodeOutgoing(spoiled, back));
  // The same replay is one file however often it is put in.
  ttempdir dir;
  std::string error;
  const std::string path = PutInOutbox(dir.path + "/outbox", game, error);
  EXPECT_EQ(PutInOutbox(dir.path + "/outbox", game, error), path);
  EXPECT_EQ(OutboxFiles(dir.path + "/outbox"), std::vector<std::string>{path});
}
