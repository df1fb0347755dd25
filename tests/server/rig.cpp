#include "server/rig.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "base/files.h"
#include "base/vector.h"
#include "game/load.h"
#include "game/rules_version.h"
#include "game/runner.h"
#include "game/state.h"
#include "server/daily.h"
#include "server/pg_cluster.h"

extern char **environ;

namespace {

using tclock = std::chrono::steady_clock;

struct tcurlglobal {
  tcurlglobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~tcurlglobal() { curl_global_cleanup(); }
} curlGlobal;

// The rules read their data through baseDirectory: pointed at the build's for one game.
struct tdatafolder {
  std::string saved = baseDirectory;
  tdatafolder() { MaskFloatExceptions(), baseDirectory = REDSIEGE_DATA_DIR; }
  ~tdatafolder() { baseDirectory = saved; }
};

// Starts argv with stdout and stderr appended to `log`.
pid_t Spawn(const std::vector<std::string> &argv, const std::string &log) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

std::string ReadText(const std::string &path) {
  std::vector<uint8_t> bytes;
  ReadFileBytes(path, bytes);
  return {bytes.begin(), bytes.end()};
}

// Waits for `pid` until `deadline`: its exit status, -1 when it was killed or is still running
// (`running`).
int WaitUntil(pid_t pid, tclock::time_point deadline, bool *running = nullptr) {
  int status = 0;
  pid_t done = 0;
  while ((done = waitpid(pid, &status, WNOHANG)) == 0 && tclock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (running) *running = done == 0;
  return done == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads what comes within `ms`; false at the end of the stream.
bool ReadSome(int fd, std::string &into, int ms) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, ms) <= 0) return true;
  char buffer[4096];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) into.append(buffer, static_cast<size_t>(n));
  return n > 0;
}

size_t CollectBody(char *data, size_t size, size_t count, void *into) {
  static_cast<std::string *>(into)->append(data, size * count);
  return size * count;
}

size_t CollectHeader(char *data, size_t size, size_t count, void *into) {
  const std::string line(data, size * count);
  const size_t colon = line.find(':');
  if (colon != std::string::npos) {
    std::string name = line.substr(0, colon), value = line.substr(colon + 1);
    for (char &c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t\r\n") + 1);
    (*static_cast<std::map<std::string, std::string> *>(into))[name] = value;
  }
  return size * count;
}

// The calling thread's handle, kept so its connection stays alive; `drop` closes it.
CURL *ThreadHandle(bool drop = false) {
  static thread_local std::unique_ptr<CURL, void (*)(CURL *)> handle(nullptr, curl_easy_cleanup);
  if (drop) handle.reset();
  if (!drop && !handle) handle.reset(curl_easy_init());
  return handle.get();
}

}  // namespace

std::string ReplayId(const std::vector<uint8_t> &bytes) { return Sha256Hex(bytes.data(), bytes.size()).substr(0, 16); }

tplayedgame PlayScriptedGame(uint32_t seed, int frames, int32_t helpBase) {
  tdatafolder data;
  static const std::string missing = LoadGameRules();  // once: the load test makes a thousand
  static const uint64_t checksum = GameDataChecksum();
  tplayedgame game;
  game.seed = seed;
  if (!missing.empty()) return game;
  treplay replay;
  replay.rulesVersion = RULES_VERSION;
  replay.seed = seed;
  replay.helpBase = helpBase;
  replay.skyScroll = 0.5;
  replay.dataChecksum = checksum;
  SetupReplayGame(replay, {nullptr, nullptr, nullptr, nullptr});
  uint16_t held = 0;
  for (int f = 0; f < frames; ++f) {
    // Walks one way then the other, jumps, fires in bursts, and for a stretch of the seed's
    // length hurries the day along: each seed scores differently.
    uint16_t now = (f / 90 + seed) % 2 ? ACTION_RIGHT : ACTION_LEFT;
    if (f % 70 < 3) now |= ACTION_JUMP;
    if (f % 4 < 2) now |= ACTION_FIRE;
    if (f < static_cast<int>(seed % 97) * 3) now |= ACTION_RUSH;
    tframeinput in{852.0 / 65536, now, static_cast<uint16_t>(now & ~held), {2.0, (f % 50) / 25.0 - 1}};
    held = now;
    QuantiseFrameInput(in);
    replay.frames.push_back(in);
    const tframeresult r = StepHeadlessGame(in);
    if (r.ended) {
      game.won = r.won;
      break;
    }
  }
  game.scores = GameScores(Game);
  game.frames = replay.frames.size();
  game.bytes = EncodeReplay(replay);
  game.id = ReplayId(game.bytes);
  return game;
}

bool PlayReplayBytes(const std::vector<uint8_t> &bytes, tplayedgame &game) {
  treplay replay;
  const treplaystatus status = DecodeReplay(bytes.data(), bytes.size(), replay);
  if (status != REPLAY_OK && status != REPLAY_TRUNCATED) return false;
  tdatafolder data;
  game.won = PlayHeadlessReplay(replay, &game.frames).won;
  game.bytes = bytes;
  game.id = ReplayId(bytes);
  game.scores = GameScores(Game);
  game.seed = replay.seed;
  return true;
}

std::vector<uint8_t> Rewritten(const std::vector<uint8_t> &bytes, const std::function<void(treplay &)> &edit) {
  treplay replay;
  if (DecodeReplay(bytes.data(), bytes.size(), replay) != REPLAY_OK) return {};
  edit(replay);
  for (tframeinput &in : replay.frames) QuantiseFrameInput(in);
  return EncodeReplay(replay);
}

std::string ClaimedScores(const tgamescores &s) {
  std::ostringstream out;
  out << s.survive << ',' << s.rescue << ',' << s.horde << ',' << s.slayer;
  return out.str();
}

tplayedgame WonGame() {
  tplayedgame game;
  std::vector<uint8_t> bytes;
  if (ReadFileBytes(std::string(REDSIEGE_SOURCE_DIR) + "/tests/data/golden/rescue.rsr", bytes))
    PlayReplayBytes(bytes, game);
  return game;
}

ttempdir::ttempdir(const std::string &base) {
  path = (base.empty() ? std::filesystem::temp_directory_path().string() : base) + "/redsiege-test-XXXXXX";
  if (!mkdtemp(path.data())) path.clear();
}

ttempdir::~ttempdir() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

int RunProgram(const std::vector<std::string> &argv, std::string &output) {
  ttempdir dir;
  const pid_t pid = Spawn(argv, dir.path + "/output");
  if (pid < 0) return -1;
  bool running = false;
  int status = WaitUntil(pid, tclock::now() + std::chrono::seconds(60), &running);
  if (running) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
  output += ReadText(dir.path + "/output");
  return status;
}

std::vector<std::string> RaisedRates() { return {"--submit-rate", "1000000", "--read-rate", "1000000"}; }

tserver::tserver(tbackend backend, std::vector<std::string> extra, const std::string &base)
    : dir(base), extra_(std::move(extra)), log_(dir.path + "/server.log") {
  store = {"--state", dir.path};
  if (backend == POSTGRESQL)
    if (tpgcluster *cluster = tpgcluster::Shared(why)) store = {"--database", cluster->NewDatabase(why)};
}

bool tserver::Start() {
  std::vector<std::string> argv = {REDSIEGE_SERVER,   "--listen", "127.0.0.1:0",  "--data",
                                   REDSIEGE_DATA_DIR, "--verify", REDSIEGE_VERIFY};
  argv.insert(argv.end(), store.begin(), store.end());
  argv.insert(argv.end(), extra_.begin(), extra_.end());
  const size_t from = Log().size();  // a restart adds to what the run before wrote
  if (pid_ > 0 || (pid_ = Spawn(argv, log_)) < 0) return false;
  // The ready line: "redsiege-server: listening on 127.0.0.1:PORT (...)".
  const std::string mark = "listening on 127.0.0.1:";
  bool running = true;
  for (const auto end = tclock::now() + std::chrono::seconds(30); running && tclock::now() < end;) {
    const std::string seen = Log().substr(from);
    const size_t at = seen.find(mark);
    if (at != std::string::npos && seen.find('\n', at) != std::string::npos)
      return port_ = std::atoi(seen.c_str() + at + mark.size()), true;
    WaitUntil(pid_, tclock::now() + std::chrono::milliseconds(20), &running);
  }
  if (!running) pid_ = -1;
  Kill();
  return false;
}

int tserver::Stop() {
  if (pid_ <= 0) return -1;
  ThreadHandle(true);  // this thread's kept-alive connection goes, as a client's would
  kill(pid_, SIGTERM);
  const int status = WaitUntil(pid_, tclock::time_point::max());
  pid_ = -1;
  return status;
}

void tserver::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string tserver::Url(const std::string &path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

std::string tserver::Log() const { return ReadText(log_); }

thttpreply HttpRequest(const std::string &method, const std::string &url, const std::vector<std::string> &headers,
                       const std::vector<uint8_t> &body) {
  thttpreply reply;
  CURL *curl = ThreadHandle();
  curl_easy_reset(curl);
  curl_slist *list = curl_slist_append(nullptr, "Expect:");  // the body at once, no wait for 100
  for (const std::string &h : headers) list = curl_slist_append(list, h.c_str());
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, CollectHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
  if (method == "POST") {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.empty() ? "" : reinterpret_cast<const char *>(body.data()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  }
  const CURLcode code = curl_easy_perform(curl);
  if (code == CURLE_OK)
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
  else
    reply.error = curl_easy_strerror(code);
  curl_slist_free_all(list);
  return reply;
}

std::string PercentEncode(const std::string &text) {
  char *escaped = curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size()));
  const std::string out = escaped ? escaped : "";
  curl_free(escaped);
  return out;
}

tsubmission SubmissionOf(const tplayedgame &game, const std::string &name) {
  tsubmission s;
  s.replay = game.bytes;
  s.name = name;
  s.key = "key-" + Sha256Hex(name.data(), name.size()).substr(0, 16);
  s.claimed = ClaimedScores(game.scores);
  return s;
}

thttpreply Submit(const std::string &baseUrl, const tsubmission &s) {
  std::vector<std::string> headers = {"Content-Type: " + s.contentType};
  if (s.sendName) headers.push_back("Player-Name: " + PercentEncode(s.name));
  if (s.sendKey) headers.push_back("Authorization: Bearer " + s.key);
  if (s.sendClaimed) headers.push_back("Claimed-Scores: " + s.claimed);
  headers.insert(headers.end(), s.extra.begin(), s.extra.end());
  return HttpRequest("POST", baseUrl + "/v1/games", headers, s.replay);
}

nlohmann::json WaitVerdict(const std::string &baseUrl, const std::string &id) {
  nlohmann::json last;
  for (const auto deadline = tclock::now() + std::chrono::seconds(60); tclock::now() < deadline;) {
    last = HttpGet(baseUrl + "/v1/games/" + id).Json();
    if (!last.is_object() || last.value("status", "") != "pending") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return last;
}

nlohmann::json Board(const std::string &baseUrl, const std::string &board, const std::string &query) {
  return HttpGet(baseUrl + "/v1/boards/" + board + "?offset=0&limit=100" + query).Json();
}

std::vector<std::string> BoardIds(const std::string &baseUrl, const std::string &board) {
  std::vector<std::string> ids;
  const nlohmann::json page = Board(baseUrl, board);
  if (page.is_object() && page["entries"].is_array())
    for (const nlohmann::json &e : page["entries"]) ids.push_back(e.value("game", ""));
  return ids;
}

double Metric(const std::string &baseUrl, const std::string &name) {
  std::istringstream lines(HttpGet(baseUrl + "/metrics").body);
  for (std::string line; std::getline(lines, line);)
    if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 && line[name.size()] == ' ')
      return std::atof(line.c_str() + name.size() + 1);
  return -1;
}

int trawreply::Status() const { return text.compare(0, 5, "HTTP/") == 0 ? std::atoi(text.c_str() + 9) : 0; }

trawreply RawExchange(int port, const std::vector<std::string> &parts, std::chrono::milliseconds pause,
                      std::chrono::milliseconds readFor) {
  trawreply reply;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(static_cast<uint16_t>(port));
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0) reply.cut = reply.closed = true;
  for (size_t i = 0; i < parts.size() && !reply.cut; ++i) {
    if (i > 0) std::this_thread::sleep_for(pause);
    // An answer (or the close) that came early ends the sending.
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) > 0 && (reply.closed = !ReadSome(fd, reply.text, 0), reply.closed || !reply.text.empty()))
      reply.cut = true;
    else if (send(fd, parts[i].data(), parts[i].size(), MSG_NOSIGNAL) != static_cast<ssize_t>(parts[i].size()))
      reply.cut = reply.closed = true;
  }
  for (const auto deadline = tclock::now() + readFor; !reply.closed && tclock::now() < deadline;)
    reply.closed = !ReadSome(fd, reply.text, 50);
  close(fd);
  return reply;
}
