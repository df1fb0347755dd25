// The player's files for the world boards (settings, key and outbox), and downloads made before the
// window opens (--replay with an address): the name each is kept under, and what a server's answers
// leave in the folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/files.h"
#include "online/download.h"
#include "online/fake_server.h"
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

namespace {
std::vector<std::string> FilesIn(const std::string &folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto &e : std::filesystem::directory_iterator(folder, ec)) names.push_back(e.path().filename());
  return names;
}
}  // namespace

TEST(Download, NamesAreTheServersGameOrASafeLastPart) {
  const std::pair<std::string, std::string> cases[] = {
      {"http://127.0.0.1:8080/v1/games/0123456789abcdef/replay", "redsiege-0123456789abcdef.rsr"},
      {"https://scores.example/board/v1/games/0123456789abcdef/replay?x=1#top", "redsiege-0123456789abcdef.rsr"},
      {"https://host/v1/games/0123456789ABCDEF/replay", "replay.rsr"},  // not a game's id: a plain name
      {"https://host/files/My%20best%20night.rsr", "My_best_night.rsr"},
      {"https://host/files/game.rsr?download=1", "game.rsr"},
      {"https://host/get/night-3", "night-3.rsr"},
      {"https://host/a/..%2F..%2F.bashrc", "_.._.bashrc.rsr"},
      {"https://host/a/%2e%2e", "replay.rsr"},
      {"https://host/", "replay.rsr"},
      {"https://host", "replay.rsr"},
      {"https://host/\xc3\xa9t\xc3\xa9.rsr", "__t__.rsr"},
      {"https://host/" + std::string(100, 'a') + ".rsr", std::string(60, 'a') + ".rsr"},
  };
  for (const auto &[url, name] : cases) EXPECT_EQ(DownloadName(url), name) << url;
}

TEST(Download, OnlyAWholeAnswerReplacesTheFileAndEachFailureSaysWhy) {
  // {what, the raw reply, the line ("" for the file saved)}
  const std::tuple<const char *, std::string, std::string> cases[] = {
      {"a replay", HttpReply("200 OK", "new bytes"), ""},
      {"the server's refusal", HttpReply("404 Not Found", R"({"error":"no such game"})"), "no such game"},
      {"an error page", HttpReply("500 Internal Server Error", "<html>"), "the server said no (HTTP 500)"},
      {"too large", HttpReply("200 OK", std::string(1001, 'x')), "it is larger than any replay (1000 bytes)"},
      {"a huge length", "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\nxx",
       "it is larger than any replay (1000 bytes)"},
      {"nothing", HttpReply("200 OK", ""), "the server sent nothing"},
      {"a closed connection", "", "no answer from the server"},
  };
  for (const auto &[what, reply, line] : cases) {
    SCOPED_TRACE(what);
    ttempdir folder;
    ASSERT_TRUE(WriteFileAtomic(folder.path + "/game.rsr", {'o', 'l', 'd'}, nullptr));
    tfakeserver fake(reply);
    std::string why;
    const std::string file = DownloadFile(fake.Url() + "/files/game.rsr", folder.path, 1000, why);
    EXPECT_EQ(why, line);
    EXPECT_EQ(file, line.empty() ? folder.path + "/game.rsr" : "");
    EXPECT_EQ(ReadText(folder.path + "/game.rsr"), line.empty() ? "new bytes" : "old");
    EXPECT_EQ(FilesIn(folder.path), std::vector<std::string>{"game.rsr"}) << "a temporary file left behind";
  }
  ttempdir folder;
  std::string why;
  // A link that leads on (as from http:// to https://) is followed, the name from the link itself.
  tfakeserver to(HttpReply("200 OK", "moved bytes"));
  tfakeserver from("HTTP/1.1 301 Moved Permanently\r\nLocation: " + to.Url() +
                   "/elsewhere\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(DownloadFile(from.Url() + "/night.rsr", folder.path, 1000, why), folder.path + "/night.rsr") << why;
  EXPECT_EQ(ReadText(folder.path + "/night.rsr"), "moved bytes");
  // A cache folder that cannot be made: the server's answer goes nowhere.
  ASSERT_TRUE(WriteFileAtomic(folder.path + "/file", {'x'}, nullptr));
  tfakeserver fake(HttpReply("200 OK", "bytes"));
  EXPECT_EQ(DownloadFile(fake.Url() + "/r.rsr", folder.path + "/file/cache", 1000, why), "");
  EXPECT_NE(why.find("cannot be written"), std::string::npos) << why;
  EXPECT_EQ(DownloadFile("ftp://host/r.rsr", folder.path, 1000, why), "");
  EXPECT_EQ(why, "it is not an http:// or https:// address");
}
