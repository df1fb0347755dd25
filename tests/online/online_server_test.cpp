// The client against the real redsiege-server on 127.0.0.1: games sent through the outbox,
// verified and ranked, kept while the server is down, the daily game, a world replay downloaded.
#include <gtest/gtest.h>

#include "base/files.h"
#include "online/online_rig.h"

namespace {

toutgoing Outgoing(const tplayedgame &game, const std::string &name, const std::string &token = "") {
  toutgoing out;
  out.replay = game.bytes;
  out.name = name;
  out.claimed[0] = game.scores.survive, out.claimed[1] = game.scores.rescue;
  out.claimed[2] = game.scores.horde, out.claimed[3] = game.scores.slayer;
  out.dailyToken = token;
  return out;
}

tplayedgame Golden(const std::string &name) {
  tplayedgame game;
  std::vector<uint8_t> bytes;
  if (ReadFileBytes(std::string(REDSIEGE_SOURCE_DIR) + "/tests/data/golden/" + name + ".rsr", bytes))
    PlayReplayBytes(bytes, game);
  return game;
}

struct tonlineserver {
  tserver process;
  std::string Url() const { return process.Url(""); }
};

}  // namespace

TEST(OnlineServer, AGameSentVerifiedRankedAndWatched) {
  tonlineserver server;
  ASSERT_TRUE(server.process.Start()) << server.process.Log();
  const tplayedgame won = Golden("rescue"), lost = Golden("night");
  ASSERT_FALSE(won.bytes.empty());
  tonlineplayer player;
  const auto client = player.Client(server.Url());
  // Two games in turn: the answer follows each to its verdict and its ranks.
  const tticket first = client->SubmitGame(Outgoing(won, "Ann"));  // sent as the font shows it
  const tticket second = client->SubmitGame(Outgoing(lost, "ann"));
  const tonlineanswer a = WaitDone(*client, first), b = WaitDone(*client, second);
  ASSERT_EQ(a.kind, ANSWER_GAME) << a.line;
  ASSERT_EQ(a.game.state, GAME_VERIFIED) << a.line;
  EXPECT_EQ(a.game.id, won.id);
  EXPECT_EQ(a.game.scores[0], won.scores.survive);
  EXPECT_TRUE(a.game.won);
  ASSERT_EQ(b.game.state, GAME_VERIFIED) << b.line;
  // The won game survived longer: first of two; the lost one is on no rescue board.
  EXPECT_EQ(RankLine(a.game, BOARD_SURVIVORS), "world rank 1 of 2");
  EXPECT_EQ(RankLine(b.game, BOARD_SURVIVORS), "world rank 2 of 2");
  EXPECT_EQ(RankLine(b.game, BOARD_RESCUE), "");
  EXPECT_TRUE(OutboxFiles(player.Outbox()).empty());

  // Sent again (as after an answer lost on the way): the same game, counted once.
  const tonlineanswer again = WaitDone(*client, client->SubmitGame(Outgoing(won, "ann")));
  EXPECT_EQ(again.game.id, won.id);
  EXPECT_EQ(RankLine(again.game, BOARD_SURVIVORS), "world rank 1 of 2");
  const tonlineanswer page = WaitDone(*client, client->BoardPage(BOARD_SURVIVORS, 0, 13));
  ASSERT_EQ(page.kind, ANSWER_BOARD) << page.line;
  EXPECT_EQ(page.board.total, 2);
  ASSERT_EQ(page.board.entries.size(), 2u);
  EXPECT_EQ(page.board.entries[0].name, "ann");
  EXPECT_EQ(page.board.entries[0].game, won.id);
  EXPECT_EQ(page.board.entries[0].score, won.scores.survive);

  // Watched from the world page: the replay downloaded is the game's, byte for byte.
  const std::string cache = player.dir.path + "/cache";
  const tonlineanswer file = WaitDone(*client, client->DownloadReplay(won.id, cache));
  ASSERT_EQ(file.kind, ANSWER_FILE) << file.line;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ReadFileBytes(file.file, bytes));
  EXPECT_EQ(bytes, won.bytes);
  const tonlineanswer unknown = WaitDone(*client, client->DownloadReplay("0123456789abcdef", cache));
  EXPECT_EQ(unknown.kind, ANSWER_FAILED);
  EXPECT_FALSE(unknown.line.empty());

  // Leaving: another computer's key cannot take the name's games off; the player's own can.
  tonlineplayer stranger;
  const auto other = stranger.Client(server.Url());
  EXPECT_EQ(WaitDone(*other, other->RemoveEntries("ann")).kind, ANSWER_FAILED);
  const tonlineanswer removed = WaitDone(*client, client->RemoveEntries("ann"));
  ASSERT_EQ(removed.kind, ANSWER_REMOVED) << removed.line;
  EXPECT_EQ(removed.removed, 2);
  EXPECT_EQ(WaitDone(*client, client->BoardPage(BOARD_SURVIVORS, 0, 13)).board.total, 0);
}

TEST(OnlineServer, TheOutboxWaitsForTheServerAndSendsOnce) {
  tonlineserver server;
  ASSERT_TRUE(server.process.Start()) << server.process.Log();
  const std::string gone = server.Url();
  server.process.Stop();
  const tplayedgame game = Golden("lost"), other = Golden("night");
  tonlineplayer player;
  {
    const auto client = player.Client(gone);
    const tonlineanswer a = WaitDone(*client, client->SubmitGame(Outgoing(game, "bob")));
    EXPECT_EQ(a.kind, ANSWER_FAILED);
    EXPECT_EQ(a.line, "no answer from the server: the game waits to be sent at the next start");
    WaitDone(*client, client->SubmitGame(Outgoing(other, "bob")));
    const tonlineanswer flush = WaitDone(*client, client->SendOutbox());
    EXPECT_EQ(flush.sent, 0);
    EXPECT_EQ(flush.kept, 2);
    EXPECT_EQ(OutboxFiles(player.Outbox()).size(), 2u);
  }
  // The next start, with the server up again: both sent, then nothing more to send.
  ASSERT_TRUE(server.process.Start()) << server.process.Log();
  const auto client = player.Client(server.Url());
  const tonlineanswer sent = WaitDone(*client, client->SendOutbox());
  EXPECT_EQ(sent.kind, ANSWER_OUTBOX);
  EXPECT_EQ(sent.sent, 2);
  EXPECT_EQ(sent.kept, 0);
  EXPECT_TRUE(OutboxFiles(player.Outbox()).empty());
  EXPECT_EQ(WaitDone(*client, client->SendOutbox()).sent, 0);
  const tonlineanswer status = WaitDone(*client, client->GameStatus(game.id));
  ASSERT_EQ(status.kind, ANSWER_GAME) << status.line;
  EXPECT_EQ(status.game.name, "bob");
}

TEST(OnlineServer, TheDailyGameCountsOnce) {
  tonlineserver server;
  ASSERT_TRUE(server.process.Start()) << server.process.Log();
  tonlineplayer player;
  const auto client = player.Client(server.Url());
  const tonlineanswer daily = WaitDone(*client, client->DailyGame());
  ASSERT_EQ(daily.kind, ANSWER_DAILY) << daily.line;
  // Two games of the day with the token: the first counts, the second is practice.
  const tplayedgame first = PlayScriptedGame(daily.daily.seed, 300, daily.daily.helpBase);
  const tplayedgame second = PlayScriptedGame(daily.daily.seed, 340, daily.daily.helpBase);
  const tonlineanswer a = WaitDone(*client, client->SubmitGame(Outgoing(first, "cy", daily.daily.token)));
  const tonlineanswer b = WaitDone(*client, client->SubmitGame(Outgoing(second, "cy", daily.daily.token)));
  ASSERT_EQ(a.game.state, GAME_VERIFIED) << a.line;
  ASSERT_EQ(b.game.state, GAME_VERIFIED) << b.line;
  EXPECT_TRUE(a.game.daily && a.game.dailyCounted);
  EXPECT_EQ(a.game.dailyDate, daily.daily.date);
  EXPECT_TRUE(b.game.daily && !b.game.dailyCounted);
  EXPECT_EQ(RankLine(a.game, BOARD_DAILY), "world rank 1 of 1");
  // The first sent again changes nothing.
  WaitDone(*client, client->SubmitGame(Outgoing(first, "cy", daily.daily.token)));
  const tonlineanswer page = WaitDone(*client, client->BoardPage(BOARD_DAILY, 0, 13, daily.daily.date));
  ASSERT_EQ(page.kind, ANSWER_BOARD) << page.line;
  EXPECT_EQ(page.board.total, 1);
  EXPECT_EQ(page.board.date, daily.daily.date);
}
