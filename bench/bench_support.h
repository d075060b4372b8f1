// What the benchmarks share: a clock in milliseconds, the median of several runs and the process's CPU time.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vantrel::bench {

// Wall-clock time in milliseconds, from the performance counter.
inline double Now() {
  static const LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// Median of several runs of fn, in milliseconds.
template <typename Fn>
double Median(int runs, Fn fn) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = Now();
    fn();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// CPU time of this process (kernel and user) in milliseconds.
inline double CpuMs() {
  FILETIME c, e, k, u;
  ::GetProcessTimes(::GetCurrentProcess(), &c, &e, &k, &u);
  auto ms = [](FILETIME f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e4; };
  return ms(k) + ms(u);
}

}  // namespace vantrel::bench
