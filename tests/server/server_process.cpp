#include "server/server_process.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

extern char **environ;

namespace {

using tclock = std::chrono::steady_clock;

// libcurl's global set-up, once, before any thread makes a handle.
struct tcurlglobal {
  tcurlglobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~tcurlglobal() { curl_global_cleanup(); }
} curlGlobal;

// Starts argv with stdout and stderr into a pipe; the pid, and the pipe's reading end in `out`.
pid_t Spawn(const std::vector<std::string> &argv, int &out) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (pid < 0) close(fds[0]);
  out = fds[0];
  return pid;
}

// Reads what is there within `ms`; false at the end of the stream.
bool ReadSome(int fd, std::string &into, int ms) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, ms) <= 0) return true;
  char buffer[4096];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n <= 0) return false;
  into.append(buffer, static_cast<size_t>(n));
  return true;
}

int ExitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

std::vector<std::string> StoreArguments(const tserverconfig &c) {
  if (!c.database.empty()) return {"--database", c.database};
  return {"--state", c.state};
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

// The calling thread's libcurl handle, kept so its connection stays alive between requests;
// `drop` closes it.
CURL *ThreadHandle(bool drop = false) {
  static thread_local std::unique_ptr<CURL, void (*)(CURL *)> handle(nullptr, curl_easy_cleanup);
  if (drop) handle.reset();
  if (!drop && !handle) handle.reset(curl_easy_init());
  return handle.get();
}

}  // namespace

std::string RamFolder() {
  std::error_code ignored;
  return std::filesystem::is_directory("/dev/shm", ignored) ? "/dev/shm" : "";
}

ttempdir::ttempdir(const std::string &prefix, const std::string &base) {
  const std::filesystem::path folder =
      base.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(base);
  std::string pattern = (folder / (prefix + "-XXXXXX")).string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

ttempdir::~ttempdir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool tserverprocess::Start() {
  if (pid_ > 0) return false;
  std::vector<std::string> argv = {REDSIEGE_SERVER,   "--listen", "127.0.0.1:0",  "--data",
                                   REDSIEGE_DATA_DIR, "--verify", REDSIEGE_VERIFY};
  for (const std::string &a : StoreArguments(config_)) argv.push_back(a);
  for (const std::string &a : config_.extra) argv.push_back(a);
  int out = -1;
  pid_ = Spawn(argv, out);
  if (pid_ < 0) return false;
  // The ready line: "redsiege-server: listening on 127.0.0.1:PORT (...)".
  std::string seen;
  const auto deadline = tclock::now() + std::chrono::seconds(30);
  const std::string mark = "listening on 127.0.0.1:";
  size_t at = std::string::npos;
  while (tclock::now() < deadline) {
    at = seen.find(mark);
    if (at != std::string::npos && seen.find('\n', at) != std::string::npos) break;
    if (!ReadSome(out, seen, 100)) break;
  }
  port_ = at == std::string::npos ? 0 : std::atoi(seen.c_str() + at + mark.size());
  {
    std::lock_guard<std::mutex> hold(logLock_);
    log_ += seen;  // a restart adds to what the run before wrote
  }
  // Keeps draining its output, so a chatty server never blocks on a full pipe.
  reader_ = std::thread([this, out] {
    std::string more;
    while (ReadSome(out, more, 200)) {
      std::lock_guard<std::mutex> hold(logLock_);
      log_ += more;
      more.clear();
    }
    close(out);
  });
  if (port_ > 0) return true;
  Kill();
  return false;
}

int tserverprocess::Wait() {
  int status = 0;
  const pid_t pid = pid_;
  pid_ = -1;
  if (waitpid(pid, &status, 0) != pid) status = -1;
  if (reader_.joinable()) reader_.join();
  return ExitStatus(status);
}

int tserverprocess::Stop() {
  if (pid_ <= 0) return -1;
  ThreadHandle(true);
  kill(pid_, SIGTERM);
  return Wait();
}

void tserverprocess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  Wait();
}

std::string tserverprocess::Url(const std::string &path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string tserverprocess::Log() const {
  std::lock_guard<std::mutex> hold(logLock_);
  return log_;
}

int RunProgram(const std::vector<std::string> &argv, std::string &output, int seconds) {
  int out = -1;
  const pid_t pid = Spawn(argv, out);
  if (pid < 0) return -1;
  const auto deadline = tclock::now() + std::chrono::seconds(seconds);
  bool killed = false;
  // Its own children may hold the output open after it ends: a few seconds more at most.
  while (ReadSome(out, output, 100) && tclock::now() < deadline + std::chrono::seconds(5))
    if (!killed && tclock::now() > deadline) kill(pid, SIGKILL), killed = true;
  close(out);
  int status = 0;
  waitpid(pid, &status, 0);
  return killed ? -1 : ExitStatus(status);
}

int RunModerator(const tserverconfig &config, const std::vector<std::string> &command, std::string &output) {
  std::vector<std::string> argv = {REDSIEGE_SERVER};
  for (const std::string &a : StoreArguments(config)) argv.push_back(a);
  argv.insert(argv.end(), command.begin(), command.end());
  return RunProgram(argv, output);
}

nlohmann::json thttpreply::Json() const { return nlohmann::json::parse(body, nullptr, false); }

std::string thttpreply::Header(const std::string &lowerName) const {
  const auto at = headers.find(lowerName);
  return at == headers.end() ? "" : at->second;
}

thttpreply HttpRequest(const std::string &method, const std::string &url, const std::vector<std::string> &headers,
                       const std::vector<uint8_t> &body) {
  thttpreply reply;
  CURL *curl = ThreadHandle();
  if (!curl) return reply.error = "no curl handle", reply;
  curl_easy_reset(curl);
  curl_slist *list = nullptr;
  for (const std::string &h : headers) list = curl_slist_append(list, h.c_str());
  list = curl_slist_append(list, "Expect:");  // the body goes at once, with no wait for 100
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, CollectHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
  if (method == "POST" || method == "PUT" || !body.empty()) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.empty() ? "" : reinterpret_cast<const char *>(body.data()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  }
  if (method == "HEAD") curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  const CURLcode code = curl_easy_perform(curl);
  if (code == CURLE_OK)
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
  else
    reply.error = curl_easy_strerror(code);
  curl_slist_free_all(list);
  return reply;
}

std::string PercentEncode(const std::string &text) {
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
  const auto deadline = tclock::now() + std::chrono::seconds(60);
  while (tclock::now() < deadline) {
    last = HttpGet(baseUrl + "/v1/games/" + id).Json();
    if (!last.is_object() || last.value("status", "") != "pending") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return last;
}

double Metric(const std::string &baseUrl, const std::string &name) {
  std::istringstream lines(HttpGet(baseUrl + "/metrics").body);
  for (std::string line; std::getline(lines, line);)
    if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 && line[name.size()] == ' ')
      return std::atof(line.c_str() + name.size() + 1);
  return -1;
}

int trawreply::Status() const {
  if (text.compare(0, 5, "HTTP/") != 0) return 0;
  const size_t space = text.find(' ');
  return space == std::string::npos ? 0 : std::atoi(text.c_str() + space + 1);
}

trawreply RawExchange(int port, const std::vector<std::string> &parts, std::chrono::milliseconds pause,
                      std::chrono::milliseconds readFor) {
  trawreply reply;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(static_cast<uint16_t>(port));
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || connect(fd, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0) {
    if (fd >= 0) close(fd);
    reply.cut = reply.closed = true;
    return reply;
  }
  for (size_t i = 0; i < parts.size() && !reply.cut; ++i) {
    if (i > 0) std::this_thread::sleep_for(pause);
    // An answer (or the close) that came early ends the sending.
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) > 0) {
      reply.closed = !ReadSome(fd, reply.text, 0);
      if (reply.closed || !reply.text.empty()) reply.cut = true;
      if (reply.cut) break;
    }
    if (send(fd, parts[i].data(), parts[i].size(), MSG_NOSIGNAL) != static_cast<ssize_t>(parts[i].size()))
      reply.cut = reply.closed = true;
  }
  const auto deadline = tclock::now() + readFor;
  while (!reply.closed && tclock::now() < deadline) reply.closed = !ReadSome(fd, reply.text, 50);
  close(fd);
  return reply;
}
