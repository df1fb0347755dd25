// Score server benchmark: how fast replays are verified, boards read and games ranked.
// 1. Verification: a ten-day game played headless by a bot (it fights from where it stands and
//    hurries the clock while zombies are close, so it lives ten days), and the golden replays,
//    each verified in the sealed child the server runs: game time verified per CPU second.
// 2. The real redsiege-server started on 127.0.0.1 (SQLite in a temporary folder, or the
//    PostgreSQL of --database URL): short games submitted from 8 clients and waited for until
//    each is verified and ranked (games a second, submission to rank), then 50 clients reading
//    boards at once (reads a second and the 99th percentile).
// Run it beside redsiege-server, redsiege-verify and the data folder:
//   build/bench_server [--database postgresql://...] [--games N] [--reads N]
#include <curl/curl.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "base/files.h"
#include "bench_util.h"
#include "game/load.h"
#include "game/objects.h"
#include "game/player.h"
#include "game/rules_version.h"
#include "game/runner.h"
#include "game/scores.h"
#include "game/state.h"
#include "persist/replay.h"
#include "server/daily.h"
#include "server/verifier.h"

namespace {

using Clock = std::chrono::steady_clock;
using json = nlohmann::json;

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// A game the bot plays headless, recorded as the window records one.
struct tbotgame {
  std::vector<uint8_t> bytes;
  tgamescores scores{};
  int32_t day = 0;
  double seconds = 0;
};

// Aims at the nearest zombie and fires; steps away from one that is close; hurries the clock
// (one frame in `hurryEvery`) while one is close or the base or the player is worn.
tframeinput BotInput(uint64_t frame, int hurryEvery) {
  // Most weapons fire once a pull: the trigger pulled every other frame.
  const uint16_t trigger = frame % 2 ? 0 : ACTION_FIRE;
  tframeinput in{983.0 / 65536, trigger, trigger, {3, 0}};
  double nearest = 1e9;
  tvector at{};
  for (const tenemy &z : enemies)
    if (z.active && std::fabs(z.body.pos.x - Player.body.pos.x) < nearest)
      nearest = std::fabs(z.body.pos.x - Player.body.pos.x), at = z.body.pos;
  if (nearest < 1e9) {
    const double range = Player.currentWeapon.range > 0 ? Player.currentWeapon.range : 1;
    in.pointer = (at - PlayerShoulder()) * (5 / range);
  }
  if (nearest < 2.5) in.held |= at.x > Player.body.pos.x ? ACTION_LEFT : ACTION_RIGHT;
  const bool worn = Game.playerDamage > 2.2 * Game.dayNumber || Game.supplies < 3.4 - 0.3 * Game.dayNumber;
  if ((nearest < 2.5 || worn) && frame % hurryEvery == 0) in.held |= ACTION_RUSH;
  QuantiseFrameInput(in);
  return in;
}

// Plays until `days` have passed, the game ends or `most` frames.
tbotgame PlayGame(uint32_t seed, int days, uint64_t most, int hurryEvery) {
  treplay replay;
  replay.rulesVersion = RULES_VERSION;
  replay.seed = seed;
  replay.helpBase = HELP_BASE[2];  // the endless game: no helicopter ends it early
  replay.dataChecksum = GameDataChecksum();
  Game.skyScroll = replay.skyScroll = 0;
  tbotgame game;
  if (!StartHeadlessGame(seed, replay.helpBase).empty()) return game;
  tframeresult result{};
  for (uint64_t frame = 0; frame < most && !result.ended && Game.dayNumber <= days; ++frame) {
    replay.frames.push_back(BotInput(frame, hurryEvery));
    result = StepHeadlessGame(replay.frames.back());
    game.seconds += replay.frames.back().frameTime;
  }
  game.bytes = EncodeReplay(replay);
  game.scores = GameScores(Game);
  game.day = Game.dayNumber;
  return game;
}

std::vector<uint8_t> FileBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Verifies a replay five times in the sealed child; the runs' mean CPU seconds (the kernel
// counts a short process's time coarsely).
bool TimeVerification(const tverifyconfig &config, const std::vector<uint8_t> &bytes, const tgamescores &claimed,
                      tgameverdict &mean) {
  const int runs = 5;
  double cpu = 0;
  for (int run = 0; run < runs; ++run) {
    mean = VerifyInChild(config, bytes, claimed);
    if (mean.status != GAME_VERIFIED) {
      std::fprintf(stderr, "bench_server: a replay was refused: %s (%s)\n", mean.refusal.c_str(), mean.reason.c_str());
      return false;
    }
    cpu += mean.verifySeconds;
  }
  mean.verifySeconds = cpu / runs;
  return true;
}

void PrintVerification(const char *what, double gameSeconds, double cpuSeconds, uint64_t frames) {
  std::printf("%-28s %8llu frames %9.1f s of game in %6.3f CPU s: %7.0f game s per CPU s\n", what,
              static_cast<unsigned long long>(frames), gameSeconds, cpuSeconds, gameSeconds / cpuSeconds);
}

// The server as a child process; its port read from the line it writes when ready.
struct tserver {
  pid_t pid = -1;
  int port = 0;
  std::string log;
  std::thread echo;  // the rest of its words, passed on to ours so a fault shows
  ~tserver() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    if (echo.joinable()) echo.join();
  }
};

bool StartServer(tserver &server, const std::vector<std::string> &args) {
  int err[2];
  if (pipe2(err, O_CLOEXEC) != 0) return false;
  std::vector<std::string> all = args;
  std::vector<char *> argv;
  for (std::string &a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  server.pid = fork();
  if (server.pid == 0) {
    dup2(err[1], STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(err[1]);
  char chunk[512];
  const auto started = Clock::now();
  while (Since(started) < 60) {
    const ssize_t n = read(err[0], chunk, sizeof chunk);
    if (n <= 0) break;
    server.log.append(chunk, static_cast<size_t>(n));
    const size_t at = server.log.find("listening on 127.0.0.1:");
    if (at != std::string::npos && server.log.find('\n', at) != std::string::npos) {
      server.port = std::atoi(server.log.c_str() + at + std::strlen("listening on 127.0.0.1:"));
      break;
    }
  }
  server.echo = std::thread([fd = err[0]] {
    char text[512];
    for (ssize_t n; (n = read(fd, text, sizeof text)) > 0;)
      if (write(STDERR_FILENO, text, static_cast<size_t>(n)) < 0) break;
    close(fd);
  });
  return server.port > 0;
}

size_t Gather(char *data, size_t size, size_t count, void *to) {
  static_cast<std::string *>(to)->append(data, size * count);
  return size * count;
}

struct tclient {
  CURL *curl = curl_easy_init();
  ~tclient() { curl_easy_cleanup(curl); }
  // The status (0 when no answer) and body of one request.
  long Call(const std::string &url, std::string &body, const std::vector<uint8_t> *post = nullptr,
            const std::vector<std::string> &headers = {}) {
    body.clear();
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Gather);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_slist *list = nullptr;
    for (const std::string &h : headers) list = curl_slist_append(list, h.c_str());
    if (post) {
      curl_easy_setopt(curl, CURLOPT_POSTFIELDS, post->data());
      curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post->size()));
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(list);
    return status;
  }
};

// Submits the games from 8 clients and waits until each is verified and ranked.
bool Submissions(const std::string &base, const std::vector<tbotgame> &games, uint32_t run) {
  std::vector<std::string> ids(games.size());
  std::atomic<size_t> next{0};
  std::atomic<int> refused{0};
  const auto started = Clock::now();
  std::vector<std::thread> clients;
  for (int c = 0; c < 8; ++c)
    clients.emplace_back([&] {
      tclient client;
      for (size_t i; (i = next++) < games.size();) {
        const tbotgame &g = games[i];
        std::string body;
        const std::string name = "bench" + std::to_string(run % 100000) + "x" + std::to_string(i);
        const long status =
            client.Call(base + "/v1/games", body, &g.bytes,
                        {"Content-Type: application/x-redsiege-replay", "Player-Name: " + name,
                         "Authorization: Bearer benchkey-" + std::to_string(run) + "-" + std::to_string(i),
                         "Claimed-Scores: " + std::to_string(g.scores.survive) + "," + std::to_string(g.scores.rescue) +
                             "," + std::to_string(g.scores.horde) + "," + std::to_string(g.scores.slayer)});
        const json answer = json::parse(body, nullptr, false);
        if (status != 202 || !answer.is_object() || !answer.contains("id")) {
          std::fprintf(stderr, "bench_server: submission answered %ld: %s\n", status, body.c_str());
          ++refused;
          continue;
        }
        ids[i] = answer["id"].get<std::string>();
      }
    });
  for (std::thread &t : clients) t.join();
  const double submitted = Since(started);
  // Every game read back until it has its rank.
  tclient client;
  size_t done = 0;
  int notVerified = 0;
  for (size_t i = 0; i < ids.size() && Since(started) < 1200; ++i) {
    if (ids[i].empty()) continue;
    for (;;) {
      std::string body;
      client.Call(base + "/v1/games/" + ids[i], body);
      const json game = json::parse(body, nullptr, false);
      const std::string status = game.is_object() && game.contains("status") ? game["status"].get<std::string>() : "";
      if (status == "verified" && game.contains("ranks")) break;
      if (status == "refused") {
        std::fprintf(stderr, "bench_server: game %s refused: %s\n", ids[i].c_str(), body.c_str());
        ++notVerified;
        break;
      }
      if (Since(started) > 1200) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ++done;
  }
  const double ranked = Since(started);
  std::printf(
      "submissions: %zu games accepted in %.2f s (%.0f a second); all verified and ranked after %.2f s: "
      "%.1f games a second%s\n",
      done, submitted, done / submitted, ranked, done / ranked,
      refused || notVerified ? " (some refused: see above)" : "");
  return !refused && !notVerified;
}

// 50 clients reading board pages at once.
void BoardReads(const std::string &base, int reads) {
  const int clients = 50;
  std::vector<std::vector<double>> costs(clients);
  std::atomic<int> failed{0};
  const char *const boards[] = {"survivors", "rescue", "horde", "slayer", "daily"};
  const auto started = Clock::now();
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c)
    threads.emplace_back([&, c] {
      tclient client;
      for (int i = c; i < reads; i += clients) {
        std::string body;
        const auto t = Clock::now();
        const long status =
            client.Call(base + "/v1/boards/" + boards[i % 5] + "?offset=" + std::to_string(i % 40) + "&limit=13", body);
        costs[c].push_back(Since(t) * 1000);
        if (status != 200) ++failed;
      }
    });
  for (std::thread &t : threads) t.join();
  const double elapsed = Since(started);
  std::vector<double> all;
  for (const auto &c : costs) all.insert(all.end(), c.begin(), c.end());
  std::sort(all.begin(), all.end());
  const double p99 = all.empty() ? 0 : all[std::min(all.size() - 1, all.size() * 99 / 100)];
  std::printf(
      "board reads: %zu by %d clients at once in %.2f s: %.0f a second, median %.2f ms, 99th percentile "
      "%.2f ms, %d failed\n",
      all.size(), clients, elapsed, all.size() / elapsed, Median(all), p99, failed.load());
}

}  // namespace

int main(int argc, char **argv) {
  std::string database;
  int games = 200, reads = 10000;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--database" && i + 1 < argc)
      database = argv[++i];
    else if (arg == "--games" && i + 1 < argc)
      games = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--reads" && i + 1 < argc)
      reads = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "Usage: %s [--database postgresql://...] [--games N] [--reads N]\n", argv[0]);
      return 2;
    }
  }
  const std::string dir = ExeDir();
  baseDirectory = dir + "/data";
  MaskFloatExceptions();
  if (!LoadGameRules().empty()) {
    std::fprintf(stderr, "bench_server: no data folder at %s\n", baseDirectory.c_str());
    return 1;
  }
  tverifyconfig config;
  config.program = dir + "/redsiege-verify";
  config.dataDir = baseDirectory;

  // 1. Verification speed, one replay at a time in the child (one core).
  const tbotgame tenDays = PlayGame(4242, 10, 1u << 22, 2);
  if (tenDays.day <= 10) {
    std::fprintf(stderr, "bench_server: the bot's game ended on day %d\n", tenDays.day);
    return 1;
  }
  tgameverdict v;
  if (!TimeVerification(config, tenDays.bytes, tenDays.scores, v)) return 1;
  PrintVerification("ten-day game (the bot's)", v.gameSeconds, v.verifySeconds, v.frames);
  double goldenGame = 0, goldenCpu = 0;
  uint64_t goldenFrames = 0;
  for (const char *name : {"lost", "night", "rescue"}) {
    const std::vector<uint8_t> bytes =
        FileBytes(std::string(REDSIEGE_SOURCE_DIR "/tests/data/golden/") + name + ".rsr");
    treplay replay;
    if (DecodeReplay(bytes.data(), bytes.size(), replay) != REPLAY_OK) continue;
    std::string missing;
    PlayHeadlessReplay(replay, nullptr, &missing);
    if (!TimeVerification(config, bytes, GameScores(Game), v)) return 1;
    goldenGame += v.gameSeconds;
    goldenCpu += v.verifySeconds;
    goldenFrames += v.frames;
  }
  PrintVerification("golden replays (played)", goldenGame, goldenCpu, goldenFrames);

  // 2. The server: submissions to ranks, then board reads.
  const uint32_t run = static_cast<uint32_t>(std::time(nullptr));
  std::vector<tbotgame> shortGames;
  for (int i = 0; i < games; ++i) shortGames.push_back(PlayGame(run * 1000u + i, 1, 1500, 2));
  char pattern[] = "/tmp/bench-server-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::string state = pattern;
  bool ok = false;
  {
    std::vector<std::string> args = {
        dir + "/redsiege-server", "--listen", "127.0.0.1:0", "--submit-rate", "1000000", "--read-rate", "1000000",
        "--per-ip-connections",   "200"};
    if (database.empty())
      args.insert(args.end(), {"--state", state});
    else
      args.insert(args.end(), {"--database", database});
    tserver server;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    if (!StartServer(server, args)) {
      std::fprintf(stderr, "bench_server: the server did not start:\n%s", server.log.c_str());
    } else {
      std::printf("server on %s, %d workers\n", database.empty() ? "SQLite" : "PostgreSQL",
                  static_cast<int>(std::thread::hardware_concurrency()));
      const std::string base = "http://127.0.0.1:" + std::to_string(server.port);
      ok = Submissions(base, shortGames, run);
      BoardReads(base, reads);
    }
  }
  curl_global_cleanup();
  std::filesystem::remove_all(state);
  return ok ? 0 : 1;
}
