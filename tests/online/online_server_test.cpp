// The client against the real redsiege-server on 127.0.0.1: games sent through the outbox,
// verified and ranked, kept while the server is down, the daily game, a world replay downloaded,
// a player leaving. The daily game's and leaving's rules are checked here only, as the player
// meets them; the server's tests hold its other rules.
#include <gtest/gtest.h>

#include "base/files.h"
#include "online/online_rig.h"

namespace {

toutgoing Outgoing(const tplayedgame &game, const std::string &name, const std::string &token = "") {
  const tgamescores &s = game.scores;
  return {game.bytes, name, {s.survive, s.rescue, s.horde, s.slayer}, token};
}

}  // namespace

TEST(OnlineServer, AGameSentVerifiedRankedAndWatched) {
  tserver server;
  ASSERT_TRUE(server.Start()) << server.Log();
  const tplayedgame won = GoldenGame("rescue"), lost = GoldenGame("night");
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
  const tonlineanswer page = WaitDone(*client, client->BoardPage(BOARD_SURVIVORS, 0, 13));
  ASSERT_EQ(page.kind, ANSWER_BOARD) << page.line;
  EXPECT_EQ(page.board.total, 2);
  ASSERT_EQ(page.board.entries.size(), 2u);
  EXPECT_EQ(page.board.entries[0].name, "ann");
  EXPECT_EQ(page.board.entries[0].game, won.id);
  EXPECT_EQ(page.board.entries[0].score, won.scores.survive);

  // Watched from the world page: the replay downloaded is the game's, byte for byte.
  const tonlineanswer file = WaitDone(*client, client->DownloadReplay(won.id, player.dir.path + "/cache"));
  ASSERT_EQ(file.kind, ANSWER_FILE) << file.line;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ReadFileBytes(file.file, bytes));
  EXPECT_EQ(bytes, won.bytes);

  // Leaving: another computer's key cannot take the name's games off; the player's own can, and
  // then the games and their replays are gone, and the name and the replays free for anyone.
  tonlineplayer stranger;
  const auto other = stranger.Client(server.Url());
  EXPECT_EQ(WaitDone(*other, other->RemoveEntries("ann")).kind, ANSWER_FAILED);
  const tonlineanswer removed = WaitDone(*client, client->RemoveEntries("ann"));
  ASSERT_EQ(removed.kind, ANSWER_REMOVED) << removed.line;
  EXPECT_EQ(removed.removed, 2);
  EXPECT_EQ(WaitDone(*client, client->GameStatus(won.id)).kind, ANSWER_FAILED);
  EXPECT_EQ(WaitDone(*client, client->DownloadReplay(lost.id, player.dir.path + "/cache")).kind, ANSWER_FAILED);
  const tonlineanswer taken = WaitDone(*other, other->SubmitGame(Outgoing(lost, "ann")));
  EXPECT_EQ(taken.game.state, GAME_VERIFIED) << taken.line;
}

TEST(OnlineServer, TheOutboxWaitsForTheServerAndSendsOnce) {
  tserver server;
  ASSERT_TRUE(server.Start()) << server.Log();
  const std::string gone = server.Url();
  server.Stop();
  const tplayedgame game = GoldenGame("lost"), other = GoldenGame("night");
  tonlineplayer player;
  {
    const auto client = player.Client(gone);
    for (const tplayedgame *g : {&game, &other}) WaitDone(*client, client->SubmitGame(Outgoing(*g, "bob")));
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
  const tonlineanswer status = WaitDone(*client, client->GameStatus(game.id));
  ASSERT_EQ(status.kind, ANSWER_GAME) << status.line;
  EXPECT_EQ(status.game.name, "bob");
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
  EXPECT_FALSE(p.game.daily);
  // The day's board, asked by its date and as today's: the two counted games, the longer first.
  for (const std::string &date : {daily.daily.date, std::string()}) {
    const tonlineanswer page = WaitDone(*client, client->BoardPage(BOARD_DAILY, 0, 13, date));
    ASSERT_EQ(page.kind, ANSWER_BOARD) << page.line;
    EXPECT_EQ(page.board.date, daily.daily.date);
    ASSERT_EQ(page.board.entries.size(), 2u);
    EXPECT_EQ(page.board.entries[0].game, first.scores.survive >= other.scores.survive ? first.id : other.id);
  }
}
