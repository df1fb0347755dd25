#include "server/verify_sandbox.h"

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define REDSIEGE_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define REDSIEGE_LEAK_CHECKED 1
#endif

namespace {

bool sealed = false;

#if defined(__x86_64__)
constexpr uint32_t kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t kArch = AUDIT_ARCH_AARCH64;
#else
constexpr uint32_t kArch = 0;  // no filter written for this machine: EnterSandbox refuses
#endif

// What a sealed process may still do: memory, the descriptors it holds, the clock, signals' return, leaving.
const long kAllowed[] = {
    SYS_read,
    SYS_write,
    SYS_writev,
    SYS_lseek,
    SYS_fstat,
    SYS_close,
    SYS_brk,
    SYS_mmap,
    SYS_munmap,
    SYS_mremap,
    SYS_mprotect,
    SYS_madvise,
    SYS_futex,
    SYS_clock_gettime,
    SYS_gettimeofday,
    SYS_rt_sigreturn,
    SYS_rt_sigprocmask,
    SYS_getpid,
    SYS_gettid,
    SYS_tgkill,
    SYS_exit,
    SYS_exit_group,
#ifdef SYS_newfstatat
    SYS_newfstatat,
#endif
#ifdef SYS_restart_syscall
    SYS_restart_syscall,
#endif
};
// What it is refused with an error rather than killed for, so a fault shows as a failed call:
// opening files, sockets and new processes, and device controls (the C library asks whether
// standard output is a terminal before its first line: no, it learns).
const long kRefused[] = {
    SYS_openat,  SYS_socket, SYS_socketpair, SYS_execve, SYS_execveat, SYS_clone, SYS_ioctl,
#ifdef SYS_open
    SYS_open,
#endif
#ifdef SYS_creat
    SYS_creat,
#endif
#ifdef SYS_fork
    SYS_fork,
#endif
#ifdef SYS_vfork
    SYS_vfork,
#endif
#ifdef SYS_openat2
    SYS_openat2,
#endif
#ifdef SYS_clone3
    SYS_clone3,
#endif
};

sock_filter Statement(uint16_t code, uint32_t k) { return BPF_STMT(code, k); }
sock_filter Jump(uint16_t code, uint32_t k, uint8_t yes, uint8_t no) { return BPF_JUMP(code, k, yes, no); }

std::vector<sock_filter> Filter() {
  std::vector<sock_filter> f;
  // Another architecture's calls carry other numbers: killed outright.
  f.push_back(Statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)));
  f.push_back(Jump(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0));
  f.push_back(Statement(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
  f.push_back(Statement(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
#if defined(__x86_64__)
  // The x32 calls share the architecture with their own numbers, from this bit up.
  f.push_back(Jump(BPF_JMP | BPF_JGE | BPF_K, 0x40000000u, 0, 1));
  f.push_back(Statement(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
#endif
  for (long call : kAllowed) {
    f.push_back(Jump(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(call), 0, 1));
    f.push_back(Statement(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  }
  for (long call : kRefused) {
    f.push_back(Jump(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(call), 0, 1));
    f.push_back(Statement(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM));
  }
  f.push_back(Statement(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
  return f;
}

bool Limit(int resource, rlim_t most) {
  const rlimit limit{most, most};
  return setrlimit(resource, &limit) == 0;
}

bool IsFile(int fd) {
  struct stat st {};
  return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

#ifdef REDSIEGE_LEAK_CHECKED
// The sanitizers' leak check at exit stops the process's threads from a new one and reads /proc,
// which a sealed process cannot: it is skipped there (the unsealed runs still check).
extern "C" int __lsan_is_turned_off() { return sealed; }
#endif

bool EnterSandbox(std::string &why) {
  if (kArch == 0) {
    why = "the sandbox has no filter for this machine";
    return false;
  }
  // The second wall first, while setrlimit is still allowed. A file already open as standard
  // output or error is the caller's choice and may grow; any other file cannot.
  if (!Limit(RLIMIT_NOFILE, 0) || !Limit(RLIMIT_NPROC, 0) ||
      (!IsFile(STDOUT_FILENO) && !IsFile(STDERR_FILENO) && !Limit(RLIMIT_FSIZE, 0))) {
    why = std::string("the limits cannot be set (") + std::strerror(errno) + ")";
    return false;
  }
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    why = std::string("no new privileges cannot be set (") + std::strerror(errno) + ")";
    return false;
  }
  std::vector<sock_filter> filter = Filter();
  const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
  if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) != 0) {
    why = std::string("the system call filter cannot be set (") + std::strerror(errno) + ")";
    return false;
  }
  sealed = true;
  return true;
}
