// Feeds arbitrary bytes to the readers of the score server's answers (and of the player's files
// for the world boards, and the addresses replays are downloaded from): whatever they accept must
// hold what they promise, and every line made for the player is one short printable line.
#include <cctype>
#include <cstdlib>
#include <string>

#include "online/answers.h"
#include "online/download.h"
#include "online/outbox.h"
#include "online/settings.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckLine(const std::string &line, size_t most) {
  Check(line.size() <= most);
  for (unsigned char c : line) Check(c >= ' ' && c < 127);
}

void CheckGame(const tgamestatus &g) {
  Check(ValidGameId(g.id));
  for (const tworldrank &r : g.ranks) Check(!r.on || (r.rank >= 1 && r.rank <= r.of));
  CheckLine(g.reason, 100);
  CheckLine(g.refusal, 40);
  CheckLine(RankLine(g, BOARD_SURVIVORS), 60);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  const std::string body(reinterpret_cast<const char *>(data + 1), size - 1);
  tgamestatus game;
  switch (data[0] % 7) {
    case 0:
      if (ReadSubmitted(body, game)) CheckGame(game);
      break;
    case 1:
      if (ReadGameStatus(body, game)) {
        CheckGame(game);
        Check(ValidPlayerName(game.name));
        Check(!game.daily || ValidDate(game.dailyDate));
      }
      break;
    case 2: {
      tboardpage page;
      const tworldboard board = static_cast<tworldboard>(data[0] / 7 % WORLD_BOARDS);
      if (ReadBoardPage(body, board, page)) {
        Check(page.entries.size() <= static_cast<size_t>(page.limit) && page.limit <= 100);
        for (const tboardentry &e : page.entries)
          Check(ValidPlayerName(e.name) && ValidGameId(e.game) && ValidDate(e.date) && e.rank >= 1);
      }
      break;
    }
    case 3: {
      tdailygame daily;
      if (ReadDailyGame(body, daily)) {
        Check(ValidDate(daily.date) && !daily.token.empty());
        CheckLine(daily.token, 512);
        Check(daily.token.find(' ') == std::string::npos);
      }
      break;
    }
    case 4: {
      CheckLine(RefusalLine(body, data[0]), 100);
      int64_t removed = 0;
      Check(!ReadRemoved(body, removed) || removed >= 0);
      // A name of its own in the cache folder, whatever the address: no path, nothing hidden.
      const std::string name = DownloadName(body);
      Check(name.size() > 4 && name.size() <= 64 && name[0] != '.');
      Check(name.compare(name.size() - 4, 4, ".rsr") == 0);
      for (char c : name) Check(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-');
      break;
    }
    case 5: {
      std::string why;
      const tonlinesettings s = ParseOnlineSettings(body, why);
      Check(s.server.empty() || ValidServerAddress(s.server));
      Check(why.empty() || !s.takePart);
      Check(why.find('\n') == std::string::npos);
      break;
    }
    case 6: {
      const std::vector<uint8_t> bytes(data + 1, data + size);
      toutgoing out;
      if (DecodeOutgoing(bytes, out)) Check(EncodeOutgoing(out) == bytes);
      break;
    }
  }
  return 0;
}
