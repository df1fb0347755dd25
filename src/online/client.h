// The game's client of the score server: a thread of its own that does every request over
// libcurl, with timeouts and capped answers, while the game's thread only hands requests in and
// polls their answers each frame. Nothing called here waits on the network.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "online/answers.h"
#include "online/outbox.h"

struct tonlineconfig {
  std::string server;                // "http(s)://host[:port]": "" or a bad address fails each request at once
  std::string key;                   // the player's key (PlayerKey), sent with submissions only
  std::string outbox;                // the outbox folder (OutboxFolder of the records folder)
  size_t replayMostBytes = 8 << 20;  // the largest replay downloaded
  long connectSeconds = 10, answerSeconds = 30, transferSeconds = 120;
  // How long a sent game's verdict is asked after, from a second apart to ten.
  long followSeconds = 120;
};

enum tanswerkind {
  ANSWER_WAITING,  // nothing yet: `line` says "waiting for the server"
  ANSWER_FAILED,   // `line` says why, in one line for the player
  ANSWER_GAME,     // `game`: a sent game (its state refined as the server checks it) or a game's status
  ANSWER_BOARD,    // `board`
  ANSWER_DAILY,    // `daily`
  ANSWER_FILE,     // `file`: where the downloaded replay is
  ANSWER_OUTBOX,   // `sent`, `kept`, `refused`: what became of the games waiting in the outbox
  ANSWER_REMOVED,  // `removed`: the player's games taken off the world boards
};

struct tonlineanswer {
  tanswerkind kind = ANSWER_WAITING;
  bool done = false;  // nothing more will come for this request
  std::string line = "waiting for the server";
  long status = 0;  // the last HTTP status, 0 when none came
  tgamestatus game;
  tboardpage board;
  tdailygame daily;
  std::string file;
  int sent = 0, kept = 0, refused = 0;
  int64_t removed = 0;
};

using tticket = int;

class tonlineclient {
 public:
  explicit tonlineclient(tonlineconfig config);
  // Abandons what is under way (within a second) and ends the thread; waiting games stay in the outbox.
  ~tonlineclient();
  tonlineclient(const tonlineclient &) = delete;
  tonlineclient &operator=(const tonlineclient &) = delete;

  // When a game ends: writes it into the outbox (a save like any other, on the caller's thread)
  // and sends it. The answer is ANSWER_GAME once the server has it, and follows the game until
  // verified (ranks) or refused; ANSWER_FAILED with the line to show otherwise (kept in the
  // outbox when the server could not be reached or was busy, removed when it refused the game).
  tticket SubmitGame(const toutgoing &game);
  // At start: sends every game waiting in the outbox, one after another.
  tticket SendOutbox();
  tticket GameStatus(const std::string &id);
  // A page of a board; `date` (YYYY-MM-DD) for the daily board only, "" for today.
  tticket BoardPage(tworldboard board, int64_t offset, int limit, const std::string &date = "");
  // Today's seed, help base and start token.
  tticket DailyGame();
  // A verified game's replay into `folder` as "redsiege-<id>.rsr".
  tticket DownloadReplay(const std::string &id, const std::string &folder);

  // Takes the name (with the player's key) and all its games off the world boards.
  tticket RemoveEntries(const std::string &name);

  // The answer so far; returns at once (an unknown ticket reads as failed).
  tonlineanswer Poll(tticket ticket) const;
  // Drops a request's answer (and the request, when it has not started).
  void Forget(tticket ticket);

  // One request as the thread holds it.
  enum tjobkind { JOB_SUBMIT, JOB_OUTBOX, JOB_FOLLOW, JOB_STATUS, JOB_BOARD, JOB_DAILY, JOB_DOWNLOAD, JOB_REMOVE };
  struct tjob {
    tjobkind kind = JOB_STATUS;
    tticket ticket = 0;
    toutgoing game;
    std::string path;  // the submitted game's outbox file
    std::string id, folder, date;
    tworldboard board = BOARD_SURVIVORS;
    int64_t offset = 0;
    int limit = 13;
    std::chrono::steady_clock::time_point due{}, until{};  // a follow-up's time and last time
    int delay = 1;                                         // seconds to the next follow-up
  };

 private:
  tticket Add(tjob job);
  void Run();
  void Do(tjob &job);
  void Set(tticket ticket, const tonlineanswer &answer);

  const tonlineconfig config_;
  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::vector<tjob> jobs_;
  std::map<tticket, tonlineanswer> answers_;
  tticket next_ = 1;
  std::atomic<bool> stop_{false};
  void *curl_ = nullptr;
  std::thread thread_;
};
