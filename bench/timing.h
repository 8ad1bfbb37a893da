// Timing helpers for the benchmark programs that also build for Windows.
#ifndef SENDWARDEN_BENCH_TIMING_H_
#define SENDWARDEN_BENCH_TIMING_H_

#include <algorithm>
#include <chrono>
#include <vector>

namespace sendwarden {

using BenchClock = std::chrono::steady_clock;

inline double MillisecondsSince(BenchClock::time_point start) {
  return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// The median of `repeats` runs of `run`, in milliseconds.
template <typename F>
double MedianMs(int repeats, F run) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    auto start = BenchClock::now();
    run();
    times.push_back(MillisecondsSince(start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace sendwarden

#endif  // SENDWARDEN_BENCH_TIMING_H_
