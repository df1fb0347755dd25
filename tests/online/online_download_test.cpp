// Downloads made before the window opens (--replay with an address): the name each is kept under,
// and what a server's answers leave in the folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/files.h"
#include "online/download.h"
#include "online/fake_server.h"
#include "server/rig.h"

namespace {
std::string Reply(const std::string &status, const std::string &body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
         body;
}

std::string Text(const std::string &path) {
  std::vector<uint8_t> bytes;
  ReadFileBytes(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

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
      {"a replay", Reply("200 OK", "new bytes"), ""},
      {"the server's refusal", Reply("404 Not Found", R"({"error":"no such game"})"), "no such game"},
      {"an error page", Reply("500 Internal Server Error", "<html>"), "the server said no (HTTP 500)"},
      {"too large", Reply("200 OK", std::string(1001, 'x')), "it is larger than any replay (1000 bytes)"},
      {"a huge length", "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\nxx",
       "it is larger than any replay (1000 bytes)"},
      {"nothing", Reply("200 OK", ""), "the server sent nothing"},
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
    EXPECT_EQ(Text(folder.path + "/game.rsr"), line.empty() ? "new bytes" : "old");
    EXPECT_EQ(FilesIn(folder.path), std::vector<std::string>{"game.rsr"}) << "a temporary file left behind";
  }
  ttempdir folder;
  std::string why;
  // A link that leads on (as from http:// to https://) is followed, the name from the link itself.
  tfakeserver to(Reply("200 OK", "moved bytes"));
  tfakeserver from("HTTP/1.1 301 Moved Permanently\r\nLocation: " + to.Url() +
                   "/elsewhere\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(DownloadFile(from.Url() + "/night.rsr", folder.path, 1000, why), folder.path + "/night.rsr") << why;
  EXPECT_EQ(Text(folder.path + "/night.rsr"), "moved bytes");
  // A cache folder that cannot be made: the server's answer goes nowhere.
  ASSERT_TRUE(WriteFileAtomic(folder.path + "/file", {'x'}, nullptr));
  tfakeserver fake(Reply("200 OK", "bytes"));
  EXPECT_EQ(DownloadFile(fake.Url() + "/r.rsr", folder.path + "/file/cache", 1000, why), "");
  EXPECT_NE(why.find("cannot be written"), std::string::npos) << why;
  EXPECT_EQ(DownloadFile("ftp://host/r.rsr", folder.path, 1000, why), "");
  EXPECT_EQ(why, "it is not an http:// or https:// address");
}
