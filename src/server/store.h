// The score server's storage: players (a name and the hash of the key that first used it), games
// (a submitted replay, its claimed scores, and once played again its verdict) and the replays
// themselves, in SQLite or PostgreSQL with one schema and numbered migrations.
//
// Every operation is safe to call from several threads at once. One that cannot reach the
// database throws tstoreerror; nothing is half-written (each change is one transaction).
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/scores.h"

// Why the database refused: the disk is full, the database cannot be reached (the server answers
// 503 and the client tries again later), or anything else (a fault of ours: logged, 503 too).
struct tstoreerror : std::runtime_error {
  enum tkind { FULL, UNAVAILABLE, OTHER } kind;
  tstoreerror(tkind k, const std::string &what) : std::runtime_error(what), kind(k) {}
};

// The boards: one per score, and the day's daily games.
enum tboard { BOARD_SURVIVORS, BOARD_RESCUE, BOARD_HORDE, BOARD_SLAYER, BOARD_DAILY };
// "survivors", "rescue", "horde", "slayer", "daily"; false for any other name.
bool BoardFromName(const std::string &name, tboard &board);
const char *BoardName(tboard board);

enum tgamestatus { GAME_PENDING, GAME_VERIFIED, GAME_REFUSED };
const char *GameStatusName(tgamestatus status);  // "pending", "verified", "refused"

// A submission as the API hands it over, already checked (name, key, body size, header).
struct tnewgame {
  std::string id;            // 16 hex digits, from the replay's SHA-256
  std::string replaySha256;  // 64 hex digits: the same replay is one game, whoever sends it
  std::string name;          // as the player wrote it (checked: 1-20 of the font's characters)
  std::string keyHash;       // SHA-256 of the player's key, 64 hex digits
  tgamescores claimed{};     // what the game computed, compared once played
  uint32_t rules = 0, seed = 0;
  uint32_t frames = 0;       // as the header announces
  int64_t submittedAt = 0;   // unix seconds
  std::string dailyDate;     // "YYYY-MM-DD" when sent with a valid start token, else ""
  int64_t dailyTokenAt = 0;  // when that token was handed out (unix seconds)
  std::vector<uint8_t> replay;
};

enum tinsertresult {
  INSERTED,       // durable (committed and synced)
  ALREADY_THERE,  // the same replay from the same player: its id, nothing stored again
  NAME_TAKEN,     // the name belongs to another key
  REPLAY_TAKEN,   // the same replay was sent under another player's name
};

// What playing the game again found.
struct tgameverdict {
  tgamestatus status = GAME_REFUSED;
  std::string refusal;  // a short code counted in the metrics ("damaged", "other rules", ...)
  std::string reason;   // one line for the player
  tgamescores scores{};
  bool won = false;
  int32_t day = 0;
  double gameSeconds = 0;  // the sum of the frames' times
  std::string ended;       // "rescued", "died", "base lost", "unfinished"
  uint32_t frames = 0;
  double verifySeconds = 0;  // CPU seconds the child took
};

struct tgamerow {
  std::string id, name;
  tgamestatus status = GAME_PENDING;
  std::string refusal, reason;
  uint32_t rules = 0, seed = 0;
  int64_t submittedAt = 0;
  tgamescores claimed{}, scores{};
  bool won = false;
  int32_t day = 0;
  double gameSeconds = 0;
  std::string ended;
  uint32_t frames = 0;
  std::string dailyDate;
  bool dailyCounted = false;  // the player's first daily game of that day, in time
  bool hidden = false;
};

// A pending game claimed for verification: nobody else plays it until the lease runs out.
struct tclaim {
  std::string id;
  std::vector<uint8_t> replay;
  tgamescores claimed{};
  uint32_t frames = 0;
  std::string dailyDate;
  int64_t dailyTokenAt = 0, submittedAt = 0;
};

struct tboardentry {
  int64_t rank = 0;  // 1 for the best; equal scores ranked by who sent theirs first
  std::string name, gameId;
  int32_t score = 0;
  int64_t submittedAt = 0;
  uint32_t rules = 0;
};
struct tboardpage {
  int64_t total = 0;  // entries on the whole board
  std::vector<tboardentry> entries;
};

class tstore {
 public:
  virtual ~tstore() = default;
  // Which database this is, for the log and the metrics: "sqlite" or "postgresql".
  virtual const char *Kind() const = 0;
  // The game and its replay in one transaction, and the name claimed for the key if it is new.
  // Returns when durable. `existingId` is set for ALREADY_THERE.
  virtual tinsertresult InsertGame(const tnewgame &game, std::string &existingId) = 0;
  // Takes the oldest pending game whose lease is free or ran out, leasing it until now + lease.
  // False when there is none. (PostgreSQL: FOR UPDATE SKIP LOCKED, so servers share the work.)
  virtual bool ClaimPending(int64_t now, int64_t leaseSeconds, tclaim &claim) = 0;
  // Gives a claimed game back unplayed (the server is stopping): any server may take it at once.
  virtual void ReleaseClaim(const std::string &id) = 0;
  // Records the verdict (only while the game is still pending). A verified daily game counts
  // when it is its player's first daily submission of that date (a refused or unplayed earlier one
  // holds the place) and in time (`dailyInTime`).
  virtual void FinishGame(const std::string &id, const tgameverdict &verdict, bool dailyInTime) = 0;
  virtual bool GetGame(const std::string &id, tgamerow &row) = 0;
  // A game's rank on a board and the board's size (0 and 0 when it is not on it).
  virtual void RankOn(tboard board, const std::string &id, int64_t &rank, int64_t &total) = 0;
  // Verified, visible entries, best first. `date` ("YYYY-MM-DD") only for the daily board.
  virtual tboardpage Board(tboard board, const std::string &date, int64_t offset, int64_t limit) = 0;
  // The replay of a verified, visible game (false for any other).
  virtual bool Replay(const std::string &id, std::vector<uint8_t> &replay) = 0;
  // Removes the player, all their games and replays, when keyHash is the name's. Returns the
  // games removed, or -1 when the key is not the name's (or there is no such name).
  virtual int64_t DeletePlayer(const std::string &name, const std::string &keyHash) = 0;
  // The moderator's: hides one game, or every game under a name (and keeps the name taken).
  virtual bool HideGame(const std::string &id, bool hidden) = 0;
  virtual bool HideName(const std::string &name, bool hidden) = 0;
  virtual int64_t PendingCount() = 0;
  // The server's secret (32 random bytes as hex), made at the first start and shared by every
  // server on the same database.
  virtual std::string Secret() = 0;
};

// Opens (creating when missing) DIR/scores.db in WAL mode and applies the migrations.
std::unique_ptr<tstore> OpenSqliteStore(const std::string &stateDir);
// Connects to a postgresql:// URL and applies the migrations (one server at a time does so).
std::unique_ptr<tstore> OpenPostgresStore(const std::string &url);
