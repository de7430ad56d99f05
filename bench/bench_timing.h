// Timing and memory figures shared by the benchmarks: the best of a few runs, by the wall
// clock or by this process's processor time, and the resident memory.
#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>

namespace tessaro::bench {

inline double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Processor time of this process (user and system), so that a figure does not depend on how
// many other jobs share the machine's cores.
inline double CpuSeconds() {
#ifdef CLOCK_PROCESS_CPUTIME_ID
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
#else
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

template <class F>
double SecondsOf(F&& work, double (*now)() = WallSeconds) {
  const double start = now();
  work();
  return now() - start;
}

// The best of a few runs, so that one hiccup of a shared machine does not decide.
template <class F>
double BestSecondsOf(int runs, F&& work, double (*now)() = WallSeconds) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) best = std::min(best, SecondsOf(work, now));
  return best;
}

// Resident memory of the process in bytes, where the system tells it; -1 elsewhere.
inline long long ResidentBytes() {
#ifdef __linux__
  std::ifstream statm("/proc/self/statm");
  long long pages = 0;
  long long resident = 0;
  if (statm >> pages >> resident) return resident * 4096;
#endif
  return -1;
}

}  // namespace tessaro::bench
