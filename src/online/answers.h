// What the score server answers, read without trusting it: every size capped, every field's type
// and range checked, every name checked against the game's font. A field that fails refuses the
// whole answer, which the player then sees as one line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The characters a name may have (the game's font), and a name's longest length.
constexpr const char *ONLINE_NAME_CHARACTERS = "abcdefghijklmnopqrstuvwxyz0123456789 .!?+-";
constexpr size_t ONLINE_NAME_MOST = 20;
// The largest JSON answer read; anything longer is cut off and refused.
constexpr size_t ONLINE_JSON_MOST_BYTES = 1 << 20;

// 1 to 20 of the font's characters, not all spaces.
bool ValidPlayerName(const std::string &name);
// A game's id: 16 lower-case hex digits.
bool ValidGameId(const std::string &id);
// YYYY-MM-DD with a month 1-12 and a day 1-31.
bool ValidDate(const std::string &date);

// The boards, in the order of the high-score tables, then the daily board.
enum tworldboard { BOARD_SURVIVORS, BOARD_RESCUE, BOARD_HORDE, BOARD_SLAYER, BOARD_DAILY, WORLD_BOARDS };
const char *BoardName(tworldboard board);

enum tgamestate { GAME_PENDING, GAME_VERIFIED, GAME_REFUSED };

struct tworldrank {
  bool on = false;  // false when the game is not on that board
  int64_t rank = 0, of = 0;
};

// GET /v1/games/{id} (and the 202 of a submission, which fills only id and state).
struct tgamestatus {
  std::string id, name;
  tgamestate state = GAME_PENDING;
  // Once verified: the server's own scores (survive, rescue, horde, slayer), the ranks by board,
  // how the game ended.
  int32_t scores[4] = {0, 0, 0, 0};
  tworldrank ranks[WORLD_BOARDS];
  bool won = false;
  int64_t day = 0;
  std::string ended;
  double seconds = 0;
  bool daily = false, dailyCounted = false;
  std::string dailyDate;
  // Once refused: the code ("claimed scores differ"...) and the server's reason.
  std::string refusal, reason;
};

struct tboardentry {
  int64_t rank = 0;
  std::string name;
  int64_t score = 0;
  std::string date, game;
  int64_t rules = 0;
};

struct tboardpage {
  tworldboard board = BOARD_SURVIVORS;
  int64_t total = 0, offset = 0, limit = 0;
  std::string date;  // the daily board's
  std::vector<tboardentry> entries;
};

struct tdailygame {
  std::string date, token;
  uint32_t seed = 0;
  int32_t helpBase = 0;
  int64_t rules = 0;
};

// Each reads one answer's body; false when it is not what the server sends.
bool ReadSubmitted(const std::string &body, tgamestatus &out);
bool ReadGameStatus(const std::string &body, tgamestatus &out);
bool ReadBoardPage(const std::string &body, tworldboard board, tboardpage &out);
bool ReadDailyGame(const std::string &body, tdailygame &out);
// DELETE /v1/players/{name}: the games removed.
bool ReadRemoved(const std::string &body, int64_t &removed);

// The line a refusal gives a player: the server's own "error" text cut to one line, made of
// printable characters and at most 100 long, or "the server said no (HTTP 418)" when it gave none.
std::string RefusalLine(const std::string &body, long status);
// Text from outside made one short printable line: control characters and bytes outside ASCII
// become spaces, runs of spaces one, cut at `most` characters.
std::string OneLine(const std::string &text, size_t most = 100);
// "world rank 12 of 340" on the board, "" when the game is not on it.
std::string RankLine(const tgamestatus &game, tworldboard board);
