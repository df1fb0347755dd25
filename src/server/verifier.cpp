// One replay played in a child process: redsiege-verify sealed in its sandbox, its CPU time,
// memory and files limited before it starts, its wall-clock time and output bounded by us.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

#include "persist/replay.h"
#include "server/verifier_child.h"
#include "server/verifier_verdict.h"

namespace {

constexpr size_t kMostOutput = 64 << 10;  // a verdict's line is a few hundred bytes

struct tfd {
  int fd = -1;
  ~tfd() { Close(); }
  void Close() {
    if (fd >= 0) close(fd);
    fd = -1;
  }
};

// What the child is started with, made before fork: the child may only call what is safe
// between fork and exec in a process with threads.
struct tlaunch {
  std::vector<std::string> args;
  std::vector<char *> argv;
  rlimit cpu{}, memory{}, nothing{0, 0};
  bool limitMemory = false;
};

[[noreturn]] void StartChild(const tlaunch &launch, int in, int out, int nullFd) {
  if (dup2(in, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(nullFd, STDERR_FILENO) < 0) _exit(126);
  // Whatever else the server holds open (its sockets, the database) stays out of the child.
  if (syscall(SYS_close_range, 3u, ~0u, 0u) != 0) {
    rlimit open{};
    getrlimit(RLIMIT_NOFILE, &open);
    for (rlim_t fd = 3; fd < open.rlim_cur && fd < (1u << 20); ++fd) close(static_cast<int>(fd));
  }
  if (setrlimit(RLIMIT_CPU, &launch.cpu) != 0 || setrlimit(RLIMIT_FSIZE, &launch.nothing) != 0 ||
      setrlimit(RLIMIT_CORE, &launch.nothing) != 0 || (launch.limitMemory && setrlimit(RLIMIT_AS, &launch.memory) != 0))
    _exit(126);
  // The server may ignore or block signals; the child starts with the defaults.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  execv(launch.argv[0], launch.argv.data());
  _exit(127);
}

double Seconds(const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// A write to a pipe whose reader is gone raises SIGPIPE at the writing thread: blocked here and
// taken back after, so the server never dies of a child that stopped reading.
struct tnosigpipe {
  sigset_t pipe{}, old{};
  tnosigpipe() {
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
  }
  ~tnosigpipe() {
    const timespec now{0, 0};
    while (sigtimedwait(&pipe, nullptr, &now) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
  }
};

}  // namespace

double CpuBudget(const tverifyconfig &config, uint64_t frames) {
  return config.cpuSecondsBase + static_cast<double>(frames) / config.framesPerCpuSecond;
}

double WallBudget(const tverifyconfig &config, uint64_t frames) { return 2 * CpuBudget(config, frames) + 10; }

tgameverdict VerifyInChildUnless(const tverifyconfig &config, const std::vector<uint8_t> &replay,
                                 const tgamescores &claimed, const std::atomic<bool> *stop, bool *abandoned) {
  if (abandoned) *abandoned = false;
  // The budget from what the header announces; a header that is no replay's gets the base, and
  // the child refuses it anyway.
  treplay header;
  uint32_t frames = 0;
  if (DecodeReplayHeader(replay.data(), replay.size(), header, frames) != REPLAY_OK) frames = 0;
  frames = std::min(frames, REPLAY_MOST_FRAMES);
  const double cpu = CpuBudget(config, frames);

  tlaunch launch;
  launch.args = {config.program, "--sandbox", "--data", config.dataDir, "-"};
  for (std::string &arg : launch.args) launch.argv.push_back(arg.data());
  launch.argv.push_back(nullptr);
  // Past the soft limit the kernel sends SIGXCPU, a second later SIGKILL.
  const rlim_t cpuSeconds = static_cast<rlim_t>(std::ceil(cpu));
  launch.cpu = {cpuSeconds, cpuSeconds + 1};
  launch.limitMemory = config.memoryBytes > 0;
  launch.memory = {config.memoryBytes, config.memoryBytes};

  int in[2], out[2];
  // What fails before the replay is read is the server's fault, not the game's: given up, to be
  // tried again.
  const auto ours = [abandoned](const std::string &why) {
    if (abandoned) *abandoned = true;
    return VerifierFailed(why);
  };
  if (pipe2(in, O_CLOEXEC) != 0) return ours("no pipe for the verifier");
  tfd inRead{in[0]}, inWrite{in[1]};
  if (pipe2(out, O_CLOEXEC) != 0) return ours("no pipe for the verifier");
  tfd outRead{out[0]}, outWrite{out[1]};
  tfd nullFd{open("/dev/null", O_WRONLY | O_CLOEXEC)};
  if (nullFd.fd < 0) return ours("no /dev/null for the verifier");

  const auto started = std::chrono::steady_clock::now();
  const auto deadline = started + std::chrono::duration<double>(WallBudget(config, frames));
  const pid_t child = fork();
  if (child < 0) return ours(std::string("cannot start the verifier: ") + std::strerror(errno));
  if (child == 0) StartChild(launch, inRead.fd, outWrite.fd, nullFd.fd);
  inRead.Close();
  outWrite.Close();
  nullFd.Close();
  // Its CPU time watched as it runs, to the budget's fraction: the kernel's limit counts whole
  // seconds and stands behind as the second wall.
  clockid_t childClock{};
  const bool watched = clock_getcpuclockid(child, &childClock) == 0;
  fcntl(inWrite.fd, F_SETFL, O_NONBLOCK);
  fcntl(outRead.fd, F_SETFL, O_NONBLOCK);

  // Feed the replay and gather the output together, so a child that does not read cannot hold
  // us, nor one that writes without end.
  std::string output;
  size_t written = 0;
  bool killed = false, overflow = false, stopped = false, overCpu = false;
  {
    tnosigpipe quiet;
    while (outRead.fd >= 0) {
      const auto now = std::chrono::steady_clock::now();
      if (now >= deadline || (stop && stop->load())) {
        (now >= deadline ? killed : stopped) = true;
        break;
      }
      timespec used{};
      if (watched && clock_gettime(childClock, &used) == 0 && used.tv_sec + used.tv_nsec / 1e9 > cpu) {
        overCpu = true;
        break;
      }
      pollfd fds[2] = {{outRead.fd, POLLIN, 0}, {inWrite.fd, POLLOUT, 0}};
      const int count = inWrite.fd >= 0 ? 2 : 1;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
      if (poll(fds, count, static_cast<int>(std::min<long long>(left + 1, 50))) < 0 && errno != EINTR) break;
      if (count == 2 && fds[1].revents) {
        const ssize_t n = write(inWrite.fd, replay.data() + written, replay.size() - written);
        if (n > 0) written += static_cast<size_t>(n);
        if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == replay.size()) inWrite.Close();
      }
      if (fds[0].revents) {
        char chunk[4096];
        const ssize_t n = read(outRead.fd, chunk, sizeof chunk);
        if (n > 0) output.append(chunk, static_cast<size_t>(n));
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) outRead.Close();
        if (output.size() > kMostOutput) {
          overflow = true;
          break;
        }
      }
    }
  }
  inWrite.Close();
  outRead.Close();
  if (killed || overflow || stopped || overCpu) kill(child, SIGKILL);

  // Its output closed, the child is ending: waited for until the deadline, then killed.
  int status = 0;
  rusage usage{};
  bool reaped = false;
  for (;;) {
    const pid_t done = wait4(child, &status, WNOHANG, &usage);
    reaped = done == child;
    if (reaped || (done < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() >= deadline && !killed) {
      killed = true;
      kill(child, SIGKILL);
    }
    usleep(killed ? 1000 : 5000);
  }
  if (stopped) return ours("the server stopped");
  if (!reaped) return ours(std::string("the verifier was lost: ") + std::strerror(errno));
  // The child could not start the verifier (126, 127) or the verifier took its command line for
  // wrong (2): nothing of the replay's doing.
  if (WIFEXITED(status) && (WEXITSTATUS(status) == 126 || WEXITSTATUS(status) == 127 || WEXITSTATUS(status) == 2))
    return ours("the verifier " + config.program + " could not run (status " + std::to_string(WEXITSTATUS(status)) +
                ")");
  tchildend end;
  end.exited = WIFEXITED(status);
  end.code = end.exited ? WEXITSTATUS(status) : -1;
  end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  end.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  // Over the budget however it ended: a child that finished between two looks still took too long.
  end.overCpu = overCpu || end.signal == SIGXCPU || end.cpuSeconds > cpu;
  end.overWall = killed;
  end.overflow = overflow;
  end.output = output;
  return JudgeChild(end, claimed);
}

tgameverdict VerifyInChild(const tverifyconfig &config, const std::vector<uint8_t> &replay,
                           const tgamescores &claimed) {
  return VerifyInChildUnless(config, replay, claimed, nullptr, nullptr);
}
