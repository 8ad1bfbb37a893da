// The recipient check's worst case for the list walk: every recipient is
// allowed only by the last pattern of the list.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bench/bench_support.h"
#include "check/recipient_check.h"
#include "config/config_loader.h"

namespace {

void CheckWorstCase(benchmark::State& state) {
  const int patterns = static_cast<int>(state.range(0));
  const int recipients = static_cast<int>(state.range(1));
  std::string path = (std::filesystem::temp_directory_path() / "sendwarden-check.conf").string();
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < patterns - 1; ++i) out << "ALL=^contact" << i << "@vendor\\.example\\.jp$\n";
    out << "ALL=@example\\.co\\.jp$\n";
  }
  sendwarden::AllowConfig config;
  sendwarden::LoadAllowConfig(path, config);
  sendwarden::AddressLines to;
  for (int i = 0; i < recipients; ++i) to.push_back("person" + std::to_string(i) + "@example.co.jp");
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        sendwarden::CheckRecipients(config, sendwarden::Recipients{"me@example.co.jp", to, {}, {}}));
  }
  std::filesystem::remove(path);
}
BENCHMARK(CheckWorstCase)->Args({1000, 1000})->Args({10000, 1000})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  auto times = sendwarden::RunBenchmarks(argc, argv);
  std::printf("1,000 recipients x 1,000 patterns: %.1f ms (target < 50 ms)\n",
              times["CheckWorstCase/1000/1000"] / 1e6);
  std::printf("1,000 recipients x 10,000 patterns: %.1f ms\n",
              times["CheckWorstCase/10000/1000"] / 1e6);
  return 0;
}
