#include "online/client.h"

#include <cctype>
#include <cstdio>
#include <mutex>

#include "base/files.h"
#include "online/download.h"
#include "online/http.h"
#include "online/settings.h"

namespace {

using tclock = std::chrono::steady_clock;

const char kKept[] = ": the game waits to be sent at the next start";

std::string Encoded(const std::string &text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      char three[4];
      std::snprintf(three, sizeof three, "%%%02X", c);
      out += three;
    }
  }
  return out;
}

// A refusal after which sending the same game again cannot help: every 4xx but 408 and 429.
bool Final(long status) { return status >= 400 && status < 500 && status != 408 && status != 429; }

// What goes into the request's headers: nothing that could end or split one.
bool Sendable(const toutgoing &game) {
  for (unsigned char c : game.dailyToken)
    if (c <= ' ' || c >= 127) return false;
  return game.dailyToken.size() <= 512 && ValidPlayerName(game.name);
}

void SetFailed(tonlineanswer &a, const std::string &line) {
  a.kind = ANSWER_FAILED;
  a.done = true;
  a.line = line;
}

}  // namespace

tonlineclient::tonlineclient(tonlineconfig config) : config_(std::move(config)) {
  curl_ = NewHttpHandle();
  thread_ = std::thread([this] { Run(); });
}

tonlineclient::~tonlineclient() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  FreeHttpHandle(curl_);
}

tticket tonlineclient::Add(tjob job) {
  std::lock_guard<std::mutex> hold(lock_);
  job.ticket = next_++;
  answers_[job.ticket] = tonlineanswer{};
  jobs_.push_back(std::move(job));
  wake_.notify_all();
  return jobs_.back().ticket;
}

tticket tonlineclient::SubmitGame(const toutgoing &game) {
  tjob job;
  job.kind = JOB_SUBMIT;
  job.game = game;
  // The font draws capitals as small letters, and the server takes only those.
  for (char &c : job.game.name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string error, why;
  if (!ValidPlayerName(job.game.name))
    why = "the name cannot be sent: only a-z, 0-9, space and . ! ? + -";
  else if (!Sendable(job.game))
    why = "the game cannot be sent: its daily token is damaged";
  else if (!ValidPlayerKey(config_.key))
    why = "there is no player's key to send the game with";
  else if ((job.path = PutInOutbox(config_.outbox, job.game, error)).empty())
    why = OneLine(error);
  if (why.empty()) return Add(std::move(job));
  std::lock_guard<std::mutex> hold(lock_);
  SetFailed(answers_[next_], why);
  return next_++;
}

tticket tonlineclient::SendOutbox() {
  tjob job;
  job.kind = JOB_OUTBOX;
  return Add(std::move(job));
}

tticket tonlineclient::GameStatus(const std::string &id) {
  tjob job;
  job.kind = JOB_STATUS;
  job.id = id;
  return Add(std::move(job));
}

tticket tonlineclient::BoardPage(tworldboard board, int64_t offset, int limit, const std::string &date) {
  tjob job;
  job.kind = JOB_BOARD;
  job.board = board;
  job.offset = offset;
  job.limit = limit;
  job.date = date;
  return Add(std::move(job));
}

tticket tonlineclient::DailyGame() {
  tjob job;
  job.kind = JOB_DAILY;
  return Add(std::move(job));
}

tticket tonlineclient::DownloadReplay(const std::string &id, const std::string &folder) {
  tjob job;
  job.kind = JOB_DOWNLOAD;
  job.id = id;
  job.folder = folder;
  return Add(std::move(job));
}

tticket tonlineclient::RemoveEntries(const std::string &name) {
  tjob job;
  job.kind = JOB_REMOVE;
  job.game.name = name;
  for (char &c : job.game.name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Add(std::move(job));
}

tonlineanswer tonlineclient::Poll(tticket ticket) const {
  std::lock_guard<std::mutex> hold(lock_);
  const auto at = answers_.find(ticket);
  if (at != answers_.end()) return at->second;
  tonlineanswer gone;
  SetFailed(gone, "no such request");
  return gone;
}

void tonlineclient::Forget(tticket ticket) {
  std::lock_guard<std::mutex> hold(lock_);
  answers_.erase(ticket);
  for (size_t i = 0; i < jobs_.size(); ++i)
    if (jobs_[i].ticket == ticket) jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(i--));
}

void tonlineclient::Set(tticket ticket, const tonlineanswer &answer) {
  std::lock_guard<std::mutex> hold(lock_);
  const auto at = answers_.find(ticket);
  if (at != answers_.end()) at->second = answer;  // forgotten meanwhile: dropped
}

void tonlineclient::Run() {
  std::unique_lock<std::mutex> hold(lock_);
  while (!stop_) {
    // The first request that is due; a follow-up waits for its time.
    const tclock::time_point now = tclock::now();
    tclock::time_point soonest = tclock::time_point::max();
    size_t pick = jobs_.size();
    for (size_t i = 0; i < jobs_.size() && pick == jobs_.size(); ++i) {
      if (jobs_[i].due <= now)
        pick = i;
      else
        soonest = std::min(soonest, jobs_[i].due);
    }
    if (pick == jobs_.size()) {
      if (soonest == tclock::time_point::max())
        wake_.wait(hold);
      else
        wake_.wait_until(hold, soonest);
      continue;
    }
    tjob job = std::move(jobs_[pick]);
    jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(pick));
    hold.unlock();  // never held across the network
    Do(job);
    hold.lock();
  }
}

namespace {

// One request to the server on the thread's handle (its connection kept for the next).
thttpanswer Perform(void *curl, std::atomic<bool> &stop, const tonlineconfig &config, const std::string &method,
                    const std::string &path, const std::vector<std::string> &headers, const std::vector<uint8_t> *body,
                    size_t most, long seconds) {
  if (!ValidServerAddress(config.server)) {
    thttpanswer r;
    r.failed = "no world scores server is set";
    return r;
  }
  thttprequest request;
  request.method = method;
  request.url = config.server + path;
  request.headers = headers;
  request.body = body;
  request.most = most;
  request.connectSeconds = config.connectSeconds;
  request.seconds = seconds;
  return HttpPerform(curl, stop, request);
}

}  // namespace

void tonlineclient::Do(tjob &job) {
  void *curl = curl_;
  tonlineanswer a = Poll(job.ticket);
  a.kind = ANSWER_FAILED;  // until read
  auto get = [&](const std::string &path, size_t most, long seconds) {
    const thttpanswer r = Perform(curl, stop_, config_, "GET", path, {}, nullptr, most, seconds);
    a.status = r.status;
    a.done = true;
    if (r.status == 0)
      a.line = r.failed;
    else if (r.status != 200)
      a.line = RefusalLine(r.body, r.status);
    else
      a.line = HTTP_UNREADABLE;  // until read
    return r;
  };
  switch (job.kind) {
    case JOB_SUBMIT:
    case JOB_OUTBOX: {
      if (!ValidPlayerKey(config_.key)) {  // the server would refuse them all: they wait
        SetFailed(a, "there is no player's key to send the games with");
        break;
      }
      std::vector<std::pair<std::string, toutgoing>> games;
      if (job.kind == JOB_SUBMIT) {
        games.emplace_back(job.path, job.game);
      } else {
        for (const std::string &path : OutboxFiles(config_.outbox)) {
          std::vector<uint8_t> bytes;
          toutgoing game;
          if (ReadFileBytes(path, bytes) && DecodeOutgoing(bytes, game) && Sendable(game)) {
            games.emplace_back(path, std::move(game));
          } else if (FileExists(path)) {  // kept aside, never sent, never in the way
            std::rename(path.c_str(), (path + ".damaged").c_str());
            ++a.refused;
          }
        }
      }
      a.kind = job.kind == JOB_SUBMIT ? ANSWER_FAILED : ANSWER_OUTBOX;
      a.line = "";
      bool unreachable = false;
      for (auto &[path, game] : games) {
        if (stop_) return;
        if (unreachable) {  // the rest wait too: no use knocking on a door nobody opens
          ++a.kept;
          continue;
        }
        std::vector<std::string> headers = {
            "Content-Type: application/x-redsiege-replay", "Player-Name: " + Encoded(game.name),
            "Authorization: Bearer " + config_.key,
            "Claimed-Scores: " + std::to_string(game.claimed[0]) + "," + std::to_string(game.claimed[1]) + "," +
                std::to_string(game.claimed[2]) + "," + std::to_string(game.claimed[3])};
        if (!game.dailyToken.empty()) headers.push_back("Daily-Token: " + game.dailyToken);
        const thttpanswer r = Perform(curl, stop_, config_, "POST", "/v1/games", headers, &game.replay,
                                      ONLINE_JSON_MOST_BYTES, config_.transferSeconds);
        a.status = r.status;
        tgamestatus sent;
        if (r.status == 202 && ReadSubmitted(r.body, sent)) {
          std::remove(path.c_str());
          ++a.sent;
          a.game = sent;
        } else if (Final(r.status)) {
          std::remove(path.c_str());
          ++a.refused;
          a.line = RefusalLine(r.body, r.status);
        } else {
          // Offline, busy, down, or an answer that could not be read: tried again at the next start.
          ++a.kept;
          unreachable = r.status == 0 || r.status == 429 || r.status == 503;
          a.line = (r.status == 0     ? r.failed
                    : r.status == 202 ? std::string(HTTP_UNREADABLE)
                                      : RefusalLine(r.body, r.status)) +
                   kKept;
        }
      }
      a.done = true;
      if (job.kind == JOB_SUBMIT && a.sent == 1) {
        a.kind = ANSWER_GAME;
        a.line = "the server is checking the game";
        a.done = false;
        // Asked after until the server has played it; a game it knew already (sent again) at
        // once, for its ranks.
        tjob follow;
        follow.kind = JOB_FOLLOW;
        follow.ticket = job.ticket;
        follow.id = a.game.id;
        follow.due = tclock::now() + std::chrono::seconds(a.game.state == GAME_PENDING ? 1 : 0);
        follow.until = tclock::now() + std::chrono::seconds(config_.followSeconds);
        std::lock_guard<std::mutex> hold(lock_);
        if (answers_.count(job.ticket)) jobs_.push_back(std::move(follow));
      } else if (job.kind == JOB_OUTBOX) {
        a.line = std::to_string(a.sent) + " sent, " + std::to_string(a.kept) + " waiting" +
                 (a.line.empty() ? "" : ": " + a.line);
      }
      break;
    }
    case JOB_FOLLOW:
    case JOB_STATUS: {
      if (!ValidGameId(job.id)) {
        SetFailed(a, "no such game");
        break;
      }
      const thttpanswer r = get("/v1/games/" + job.id, ONLINE_JSON_MOST_BYTES, config_.answerSeconds);
      tgamestatus game;
      const bool read = r.status == 200 && ReadGameStatus(r.body, game) && game.id == job.id;
      if (job.kind == JOB_STATUS) {
        if (read) a.kind = ANSWER_GAME, a.game = game, a.line = "";
        break;
      }
      // A follow-up keeps the game's answer; only a verdict ends it.
      a.kind = ANSWER_GAME;
      a.done = read && game.state != GAME_PENDING;
      if (read) a.game = game;
      a.line = a.done ? (game.state == GAME_REFUSED ? game.reason : "") : "the server is checking the game";
      if (!a.done && tclock::now() < job.until) {
        job.due = tclock::now() + std::chrono::seconds(job.delay);
        job.delay = std::min(job.delay * 2, 10);
        std::lock_guard<std::mutex> hold(lock_);
        if (answers_.count(job.ticket)) jobs_.push_back(job);
      } else if (!a.done) {
        a.done = true;
        a.line = "the server has not checked the game yet";
      }
      break;
    }
    case JOB_BOARD: {
      if (job.offset < 0 || job.limit < 1 || job.limit > 100 || (!job.date.empty() && !ValidDate(job.date)) ||
          (!job.date.empty() && job.board != BOARD_DAILY)) {
        SetFailed(a, "no such page");
        break;
      }
      std::string path = std::string("/v1/boards/") + BoardName(job.board) + "?offset=" + std::to_string(job.offset) +
                         "&limit=" + std::to_string(job.limit);
      if (!job.date.empty()) path += "&date=" + job.date;
      const thttpanswer r = get(path, ONLINE_JSON_MOST_BYTES, config_.answerSeconds);
      if (r.status == 200 && ReadBoardPage(r.body, job.board, a.board)) a.kind = ANSWER_BOARD, a.line = "";
      break;
    }
    case JOB_DAILY: {
      const thttpanswer r = get("/v1/daily", ONLINE_JSON_MOST_BYTES, config_.answerSeconds);
      if (r.status == 200 && ReadDailyGame(r.body, a.daily)) a.kind = ANSWER_DAILY, a.line = "";
      break;
    }
    case JOB_DOWNLOAD: {
      if (!ValidGameId(job.id)) {
        SetFailed(a, "no such game");
        break;
      }
      const thttpanswer r = get("/v1/games/" + job.id + "/replay", config_.replayMostBytes, config_.transferSeconds);
      if (r.status != 200 || r.body.empty()) break;
      const std::string file = KeepDownload(job.folder, ServerReplayName(job.id), r.body, a.line);
      if (!file.empty()) a.kind = ANSWER_FILE, a.file = file, a.line = "";
      break;
    }
    case JOB_REMOVE: {
      if (!ValidPlayerName(job.game.name) || !ValidPlayerKey(config_.key)) {
        SetFailed(a, "there is no such name with this computer's key");
        break;
      }
      const thttpanswer r =
          Perform(curl, stop_, config_, "DELETE", "/v1/players/" + Encoded(job.game.name),
                  {"Authorization: Bearer " + config_.key}, nullptr, ONLINE_JSON_MOST_BYTES, config_.answerSeconds);
      a.status = r.status;
      a.done = true;
      a.line = r.status == 0 ? r.failed : r.status != 200 ? RefusalLine(r.body, r.status) : HTTP_UNREADABLE;
      if (r.status == 200 && ReadRemoved(r.body, a.removed)) a.kind = ANSWER_REMOVED, a.line = "";
      break;
    }
  }
  Set(job.ticket, a);
}
