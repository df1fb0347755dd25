// What the benchmark programs share: where the data folder is, CPU time and medians.
#pragma once
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

// The folder of the running program (the data folder is "data" beside it).
inline std::string ExeDir() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string p(buf, static_cast<size_t>(n));
  return p.substr(0, p.rfind('/'));
}

// User and system CPU seconds of this process so far.
inline double CpuSeconds() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}
