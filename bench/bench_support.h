// Google Benchmark runner that also keeps each benchmark's time per
// iteration, so a program can print ratios between them.
#ifndef SENDWARDEN_BENCH_BENCH_SUPPORT_H_
#define SENDWARDEN_BENCH_BENCH_SUPPORT_H_

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace sendwarden {

// Runs every registered benchmark; returns name -> nanoseconds per iteration.
inline std::map<std::string, double> RunBenchmarks(int argc, char** argv) {
  struct Keeper : benchmark::ConsoleReporter {
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
      for (const Run& run : runs) {
        times[run.benchmark_name()] = run.GetAdjustedRealTime() *
                                      benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                                      benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
      ConsoleReporter::ReportRuns(runs);
    }
  } keeper;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&keeper);
  return keeper.times;
}

}  // namespace sendwarden

#endif  // SENDWARDEN_BENCH_BENCH_SUPPORT_H_
