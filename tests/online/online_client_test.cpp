// The game's client: answers no real server gives, each ending as one printable line for the
// player, never a crash, the game's thread never waiting for them; and the real redsiege-server on
// 127.0.0.1: games kept in the outbox while it is down and sent once, a player leaving, the daily
// game. The daily game's and leaving's rules are checked here as the player meets them; the
// server's tests hold its other rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "base/files.h"
#include "online/client.h"
#include "online/fake_server.h"
#include "online/settings.h"
#include "server/rig.h"

namespace {

// A fresh player's folder and a client on it.
struct tonlineplayer {
  ttempdir dir;
  std::string Settings() const { return dir.path + "/config"; }
  std::string Outbox() const { return OutboxFolder(dir.path + "/share"); }
  // A client of `server` with this player's key and outbox.
  std::unique_ptr<tonlineclient> Client(const std::string &server, long answerSeconds = 30) const {
    tonlineconfig config;
    config.server = server;
    std::string why;
    MakeWritableFolder(Settings(), &why);
    config.key = PlayerKey(Settings(), why);
    config.outbox = Outbox();
    config.answerSeconds = answerSeconds;
    return std::make_unique<tonlineclient>(config);
  }
};

// Polls until the request is done (a minute at most).
tonlineanswer WaitDone(const tonlineclient &client, tticket ticket) {
  tonlineanswer a = client.Poll(ticket);
  for (int i = 0; i < 6000 && !a.done; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    a = client.Poll(ticket);
  }
  return a;
}

const std::string kUnreadable = "the server's answer could not be read", kNoAnswer = "no answer from the server";

const std::string kBoardHead = R"({"board":"survivors","total":1,"offset":0,"limit":13,"entries":[)";
const std::string kEntry =
    R"({"rank":1,"name":"ann","score":5,"date":"2026-12-08","rules":2,"game":"0123456789abcdef"})";

toutgoing Outgoing(const tplayedgame &game, const std::string &name, const std::string &token = "") {
  const tgamescores &s = game.scores;
  return {game.bytes, name, {s.survive, s.rescue, s.horde, s.slayer}, token};
}

}  // namespace

TEST(OnlineHostile, EachAnswerGivesOneLine) {
  enum { BOARD, DAILY, STATUS, SUBMIT };
  const std::string nasty = "line one\nline two \x1b[31m\xe2\x80\xa8" + std::string(300, 'x');
  const std::string waits = ": the game waits to be sent at the next start";
  // {what, request, the raw reply, the line the player sees}. A game the server refused is dropped
  // from the outbox; one it was too busy for, or whose answer was lost, waits there.
  const std::tuple<const char *, int, std::string, std::string> cases[] = {
      {"a board as it should be", BOARD, HttpReply("200 OK", kBoardHead + kEntry + "]}"), ""},
      {"garbage for JSON", BOARD, HttpReply("200 OK", "<html>not json"), kUnreadable},
      {"not HTTP at all", DAILY, std::string("\x16\x03\x01garbage\r\n\r\n\x00\x01", 16), kUnreadable},
      {"a huge body", BOARD, "HTTP/1.1 200 OK\r\n\r\n" + std::string(3 << 20, '['), kUnreadable},
      {"a huge length", BOARD, "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n[[[", kUnreadable},
      {"a wrong type", DAILY,
       HttpReply("200 OK", R"({"date":"2026-12-08","seed":"12","help_base":2,"rules":2,"token":"t"})"), kUnreadable},
      {"a seed out of range", DAILY,
       HttpReply("200 OK", R"({"date":"2026-12-08","seed":4294967296,"help_base":2,"rules":2,"token":"t"})"),
       kUnreadable},
      {"a token that splits a header", DAILY,
       HttpReply("200 OK", R"({"date":"2026-12-08","seed":1,"help_base":2,"rules":2,"token":"a\r\nX: y"})"),
       kUnreadable},
      {"more entries than asked", BOARD,
       HttpReply("200 OK",
                 R"({"board":"survivors","total":1,"offset":0,"limit":1,"entries":[)" + kEntry + "," + kEntry + "]}"),
       kUnreadable},
      {"a name the font lacks", BOARD,
       HttpReply("200 OK", kBoardHead + R"({"rank":1,"name":"Bob<b>","score":5,)" +
                               R"("date":"2026-12-08","rules":2,"game":"0123456789abcdef"}]})"),
       kUnreadable},
      {"another board", BOARD, HttpReply("200 OK", R"({"board":"horde","total":0,"offset":0,"limit":13,"entries":[]})"),
       kUnreadable},
      {"a status of another shape", STATUS, HttpReply("200 OK", R"({"id":"0123456789abcdef","status":"verified"})"),
       kUnreadable},
      {"the server's refusal", BOARD, HttpReply("400 Bad Request", R"({"error":"no such page"})"), "no such page"},
      {"a refusal with control characters", STATUS, HttpReply("404 Not Found", nlohmann::json{{"error", nasty}}.dump()),
       "line one line two [31m " + std::string(77, 'x')},
      {"an error page", BOARD, HttpReply("503 Service Unavailable", "<html>down</html>"),
       "the server said no (HTTP 503)"},
      {"a closed connection", BOARD, "", kNoAnswer},
      {"a connection that never answers", BOARD, "held", kNoAnswer},
      {"a name refused", SUBMIT, HttpReply("400 Bad Request", R"({"error":"that name is not allowed"})"),
       "that name is not allowed"},
      {"other rules", SUBMIT,
       HttpReply("422 Unprocessable Entity", R"({"error":"this game was played by other rules: update your game"})"),
       "this game was played by other rules: update your game"},
      {"too many games", SUBMIT, HttpReply("429 Too Many Requests", R"({"error":"too many games at once"})"),
       "too many games at once" + waits},
      {"a busy server", SUBMIT,
       HttpReply("503 Service Unavailable", R"({"error":"the scores cannot be kept just now"})"),
       "the scores cannot be kept just now" + waits},
      {"an unreadable acceptance", SUBMIT, HttpReply("202 Accepted", R"({"id":"nothex","status":"pending"})"),
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
  tfakeserver fake(HttpReply("200 OK", R"({"date":"2026-12-08","seed":7,"help_base":2,"rules":2,"token":"t.1"})"),
                   true);
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

// Games ended while the server is down wait in the outbox; the next start sends them once. Then the
// player leaves: another computer's key cannot take the name's games off, the player's own can,
// and the games are gone and the name free for anyone.
TEST(OnlineServer, TheOutboxWaitsForTheServerAndSendsOnceAndAPlayerLeaves) {
  tserver server;
  ASSERT_TRUE(server.Start()) << server.Log();
  const std::string gone = server.Url();
  server.Stop();
  const tplayedgame game = GoldenGame("lost"), other = GoldenGame("night");
  tonlineplayer player;
  {
    const auto client = player.Client(gone);
    for (const tplayedgame *g : {&game, &other}) WaitDone(*client, client->SubmitGame(Outgoing(*g, "Bob")));
    const tonlineanswer flush = WaitDone(*client, client->SendOutbox());
    EXPECT_EQ(flush.sent, 0);
    EXPECT_EQ(flush.kept, 2);
    EXPECT_EQ(OutboxFiles(player.Outbox()).size(), 2u);
  }
  // The next start, with the server up again: both sent, then nothing more to send.
  ASSERT_TRUE(server.Start()) << server.Log();
  const auto client = player.Client(server.Url());
  const tonlineanswer sent = WaitDone(*client, client->SendOutbox());
  EXPECT_EQ(sent.kind, ANSWER_OUTBOX);
  EXPECT_EQ(sent.sent, 2);
  EXPECT_EQ(sent.kept, 0);
  EXPECT_TRUE(OutboxFiles(player.Outbox()).empty());
  EXPECT_EQ(WaitDone(*client, client->SendOutbox()).sent, 0);
  for (const tplayedgame *g : {&game, &other}) ASSERT_EQ(WaitVerdict(server.Url(), g->id)["status"], "verified");
  const tonlineanswer status = WaitDone(*client, client->GameStatus(game.id));
  ASSERT_EQ(status.kind, ANSWER_GAME) << status.line;
  EXPECT_EQ(status.game.name, "bob") << "sent as the font shows it";
  // Watched from the world page: the replay downloaded is the game's, byte for byte.
  const tonlineanswer file = WaitDone(*client, client->DownloadReplay(other.id, player.dir.path + "/cache"));
  ASSERT_EQ(file.kind, ANSWER_FILE) << file.line;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ReadFileBytes(file.file, bytes) && bytes == other.bytes);

  tonlineplayer stranger;
  const auto strange = stranger.Client(server.Url());
  EXPECT_EQ(WaitDone(*strange, strange->RemoveEntries("bob")).kind, ANSWER_FAILED);
  const tonlineanswer removed = WaitDone(*client, client->RemoveEntries("Bob"));
  ASSERT_EQ(removed.kind, ANSWER_REMOVED) << removed.line;
  EXPECT_EQ(removed.removed, 2);
  EXPECT_EQ(WaitDone(*client, client->GameStatus(game.id)).kind, ANSWER_FAILED);
  EXPECT_EQ(WaitDone(*client, client->DownloadReplay(other.id, player.dir.path + "/cache")).kind, ANSWER_FAILED);
  const tonlineanswer taken = WaitDone(*strange, strange->SubmitGame(Outgoing(other, "bob")));
  EXPECT_EQ(taken.game.state, GAME_VERIFIED) << taken.line;
}

TEST(OnlineServer, TheDailyGameCountsOncePerPlayerAndDay) {
  tserver server;
  ASSERT_TRUE(server.Start()) << server.Log();
  tonlineplayer player, owl;
  const auto client = player.Client(server.Url()), owlClient = owl.Client(server.Url());
  const tonlineanswer daily = WaitDone(*client, client->DailyGame());
  ASSERT_EQ(daily.kind, ANSWER_DAILY) << daily.line;
  const auto play = [&](int frames) { return PlayScriptedGame(daily.daily.seed, frames, daily.daily.helpBase); };
  const tplayedgame first = play(300), second = play(450), other = play(380), plain = play(250);
  // With the token a player's first game of the day counts, the second is practice, another
  // player's counts too; without it, a game of the day's seed is no daily game.
  const std::string &token = daily.daily.token;
  const tonlineanswer a = WaitDone(*client, client->SubmitGame(Outgoing(first, "cy", token)));
  const tonlineanswer b = WaitDone(*client, client->SubmitGame(Outgoing(second, "cy", token)));
  const tonlineanswer o = WaitDone(*owlClient, owlClient->SubmitGame(Outgoing(other, "owl", token)));
  const tonlineanswer p = WaitDone(*client, client->SubmitGame(Outgoing(plain, "cy")));
  for (const tonlineanswer *x : {&a, &b, &o, &p}) ASSERT_EQ(x->game.state, GAME_VERIFIED) << x->line;
  EXPECT_TRUE(a.game.daily && a.game.dailyCounted);
  EXPECT_EQ(a.game.dailyDate, daily.daily.date);
  EXPECT_EQ(RankLine(a.game, BOARD_DAILY), "world rank 1 of 1");
  EXPECT_TRUE(b.game.daily && !b.game.dailyCounted);
  EXPECT_EQ(RankLine(b.game, BOARD_DAILY), "");
  EXPECT_TRUE(o.game.daily && o.game.dailyCounted);
  EXPECT_EQ(RankLine(o.game, BOARD_DAILY),
            first.scores.survive >= other.scores.survive ? "world rank 2 of 2" : "world rank 1 of 2");
  EXPECT_FALSE(p.game.daily);
  // The day's board, asked by its date and as today's: the two counted games, the longer first.
  for (const std::string &date : {daily.daily.date, std::string()}) {
    const tonlineanswer page = WaitDone(*client, client->BoardPage(BOARD_DAILY, 0, 13, date));
    ASSERT_EQ(page.kind, ANSWER_BOARD) << page.line;
    EXPECT_EQ(page.board.date, daily.daily.date);
    ASSERT_EQ(page.board.entries.size(), 2u);
    const bool cyFirst = first.scores.survive >= other.scores.survive;
    EXPECT_EQ(page.board.entries[0].game, cyFirst ? first.id : other.id);
    EXPECT_EQ(page.board.entries[0].name, cyFirst ? "cy" : "owl");
    EXPECT_EQ(page.board.entries[0].score, std::max(first.scores.survive, other.scores.survive));
  }
}
