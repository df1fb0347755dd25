// Answers no real server gives: each ends as one printable line for the player, never a crash,
// and the game's thread never waits for them.
#include <gtest/gtest.h>

#include "base/files.h"
#include "online/fake_server.h"
#include "online/online_rig.h"

namespace {

const std::string kUnreadable = "the server's answer could not be read", kNoAnswer = "no answer from the server";

std::string Http(const std::string &status, const std::string &body) {
  return "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

const std::string kBoardHead = R"({"board":"survivors","total":1,"offset":0,"limit":13,"entries":[)";
const std::string kEntry =
    R"({"rank":1,"name":"ann","score":5,"date":"2026-12-08","rules":2,"game":"0123456789abcdef"})";

}  // namespace

TEST(OnlineHostile, EachAnswerGivesOneLine) {
  enum { BOARD, DAILY, STATUS, SUBMIT };
  const std::string nasty = "line one\nline two \x1b[31m\xe2\x80\xa8" + std::string(300, 'x');
  const std::string waits = ": the game waits to be sent at the next start";
  // {what, request, the raw reply, the line the player sees}. A game the server refused is dropped
  // from the outbox; one it was too busy for, or whose answer was lost, waits there.
  const std::tuple<const char *, int, std::string, std::string> cases[] = {
      {"a board as it should be", BOARD, Http("200 OK", kBoardHead + kEntry + "]}"), ""},
      {"garbage for JSON", BOARD, Http("200 OK", "<html>not json"), kUnreadable},
      {"not HTTP at all", DAILY, std::string("\x16\x03\x01garbage\r\n\r\n\x00\x01", 16), kUnreadable},
      {"a huge body", BOARD, "HTTP/1.1 200 OK\r\n\r\n" + std::string(3 << 20, '['), kUnreadable},
      {"a huge length", BOARD, "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n[[[", kUnreadable},
      {"a wrong type", DAILY,
       Http("200 OK", R"({"date":"2026-12-08","seed":"12","help_base":2,"rules":2,"token":"t"})"), kUnreadable},
      {"a seed out of range", DAILY,
       Http("200 OK", R"({"date":"2026-12-08","seed":4294967296,"help_base":2,"rules":2,"token":"t"})"), kUnreadable},
      {"a token that splits a header", DAILY,
       Http("200 OK", R"({"date":"2026-12-08","seed":1,"help_base":2,"rules":2,"token":"a\r\nX: y"})"), kUnreadable},
      {"more entries than asked", BOARD,
       Http("200 OK",
            R"({"board":"survivors","total":1,"offset":0,"limit":1,"entries":[)" + kEntry + "," + kEntry + "]}"),
       kUnreadable},
      {"a name the font lacks", BOARD,
       Http("200 OK", kBoardHead + R"({"rank":1,"name":"Bob<b>","score":5,)" +
                          R"("date":"2026-12-08","rules":2,"game":"0123456789abcdef"}]})"),
       kUnreadable},
      {"another board", BOARD, Http("200 OK", R"({"board":"horde","total":0,"offset":0,"limit":13,"entries":[]})"),
       kUnreadable},
      {"a status of another shape", STATUS, Http("200 OK", R"({"id":"0123456789abcdef","status":"verified"})"),
       kUnreadable},
      {"the server's refusal", BOARD, Http("400 Bad Request", R"({"error":"no such page"})"), "no such page"},
      {"a refusal with control characters", STATUS, Http("404 Not Found", nlohmann::json{{"error", nasty}}.dump()),
       "line one line two [31m " + std::string(77, 'x')},
      {"an error page", BOARD, Http("503 Service Unavailable", "<html>down</html>"), "the server said no (HTTP 503)"},
      {"a closed connection", BOARD, "", kNoAnswer},
      {"a connection that never answers", BOARD, "held", kNoAnswer},
      {"a name refused", SUBMIT, Http("400 Bad Request", R"({"error":"that name is not allowed"})"),
       "that name is not allowed"},
      {"other rules", SUBMIT,
       Http("422 Unprocessable Entity", R"({"error":"this game was played by other rules: update your game"})"),
       "this game was played by other rules: update your game"},
      {"too many games", SUBMIT, Http("429 Too Many Requests", R"({"error":"too many games at once"})"),
       "too many games at once" + waits},
      {"a busy server", SUBMIT, Http("503 Service Unavailable", R"({"error":"the scores cannot be kept just now"})"),
       "the scores cannot be kept just now" + waits},
      {"an unreadable acceptance", SUBMIT, Http("202 Accepted", R"({"id":"nothex","status":"pending"})"),
       kUnreadable + waits},
      {"no answer to a game", SUBMIT, "", kNoAnswer + waits},
  };
  const toutgoing game{{1, 2, 3}, "ann", {}, ""};
  for (const auto &[what, request, reply, line] : cases) {
    SCOPED_TRACE(what);
    const bool hold = reply == "held";
    tfakeserver fake(hold ? "" : reply, hold);
    tonlineplayer player;
    const auto client = player.Client(fake.Url(), 2);
    const tticket t = request == BOARD    ? client->BoardPage(BOARD_SURVIVORS, 0, 13)
                      : request == DAILY  ? client->DailyGame()
                      : request == STATUS ? client->GameStatus("0123456789abcdef")
                                          : client->SubmitGame(game);
    const tonlineanswer a = WaitDone(*client, t);
    EXPECT_TRUE(a.done);
    EXPECT_EQ(a.line, line);
    EXPECT_EQ(a.kind, line.empty() ? ANSWER_BOARD : ANSWER_FAILED);
    if (line.empty()) {
      EXPECT_EQ(a.board.entries.size(), 1u);
    }
    if (request != SUBMIT) continue;
    const bool kept = line.find(waits) != std::string::npos;
    EXPECT_EQ(OutboxFiles(player.Outbox()).size(), kept ? 1u : 0u);
    if (!kept) continue;
    // Without the player's key nothing is sent (the server would refuse it for good): it waits.
    const int asked = fake.Requests();
    tonlineclient keyless(tonlineconfig{fake.Url(), "", player.Outbox()});
    EXPECT_EQ(WaitDone(keyless, keyless.SendOutbox()).kind, ANSWER_FAILED);
    EXPECT_EQ(fake.Requests(), asked) << "sent without a key";
    EXPECT_EQ(OutboxFiles(player.Outbox()).size(), 1u);
  }
}

TEST(OnlineHostile, PollingNeverWaitsForASlowServer) {
  tonlineplayer player;
  tfakeserver fake(Http("200 OK", R"({"date":"2026-12-08","seed":7,"help_base":2,"rules":2,"token":"t.1"})"), true);
  const auto client = player.Client(fake.Url());
  const tticket t = client->DailyGame();
  // The server says nothing until released (ten seconds, as a player might see it): every poll
  // meanwhile returns at once with the request still waiting.
  long waiting = 0;
  while (waiting < 100000 && client->Poll(t).kind == ANSWER_WAITING) ++waiting;
  EXPECT_EQ(waiting, 100000);
  EXPECT_EQ(client->Poll(t).line, "waiting for the server");
  {
    // A client ended (the game quits) while its request hangs: it abandons it instead of waiting.
    tfakeserver stuck("", true);
    const auto quitting = player.Client(stuck.Url());
    const tticket hanging = quitting->BoardPage(BOARD_SURVIVORS, 0, 13);
    while (stuck.Requests() < 1) EXPECT_EQ(quitting->Poll(hanging).kind, ANSWER_WAITING);
  }
  fake.Release();
  const tonlineanswer a = WaitDone(*client, t);
  ASSERT_EQ(a.kind, ANSWER_DAILY) << a.line;
  EXPECT_EQ(a.daily.seed, 7u);
  EXPECT_EQ(a.daily.token, "t.1");
}
