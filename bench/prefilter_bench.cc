// The recipient check on large allow lists: the plain pattern-by-pattern walk,
// the prefiltered check, and (Linux) RE2::Set on the same patterns and
// addresses. Workload: 70 % of the patterns are single addresses, 30 %
// domains; 70 % of the addresses are allowed by a random pattern, 15 % only
// by one of the last patterns, 15 % by none.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#ifdef SENDWARDEN_WITH_RE2
#include <re2/re2.h>
#include <re2/set.h>
#endif

#include "check/recipient_check.h"
#include "config/config_loader.h"
#include "config/rule_store.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string PatternText(int i) {
  if (i % 10 < 7) {
    return "^(.*<)?u" + std::to_string(i) + "@p" + std::to_string(i % 53) + "\\.example\\.com>?$";
  }
  return "@d" + std::to_string(i) + "\\.example\\.co\\.jp>?$";
}

std::string AddressFor(int i, int serial) {
  if (i % 10 < 7) {
    return "Name " + std::to_string(serial) + " <u" + std::to_string(i) + "@p" +
           std::to_string(i % 53) + ".example.com>";
  }
  return "someone" + std::to_string(serial) + "@d" + std::to_string(i) + ".example.co.jp";
}

std::vector<std::string> Addresses(int patterns, int count, std::mt19937& random) {
  std::vector<std::string> out;
  int tail = std::max(1, patterns / 100);
  for (int serial = 0; serial < count; ++serial) {
    int kind = static_cast<int>(random() % 100);
    if (kind < 70) {
      out.push_back(AddressFor(static_cast<int>(random() % patterns), serial));
    } else if (kind < 85) {
      out.push_back(AddressFor(patterns - 1 - static_cast<int>(random() % tail), serial));
    } else {
      out.push_back("stranger" + std::to_string(serial) + "@elsewhere.example.org");
    }
  }
  return out;
}

template <typename F>
double MedianMs(int repeats, F run) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    auto start = Clock::now();
    run();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Measure(int recipients, int patterns) {
  std::string path =
      (std::filesystem::temp_directory_path() / "sendwarden-prefilter.conf").string();
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < patterns; ++i) out << "ALL=" << PatternText(i) << "\n";
  }
  double load_ms = MedianMs(3, [&] { sendwarden::LoadAllowConfig(path); });
  std::filesystem::remove(path);
  sendwarden::PatternList& list = const_cast<sendwarden::PatternList&>(
      sendwarden::GetAllowConfig().defaultRule->allPatterns);

  std::mt19937 random(42);
  std::vector<std::string> addresses = Addresses(patterns, recipients, random);
  std::string lines;
  for (const std::string& a : addresses) lines += a + "\n";

  std::string left_fast, left_plain;
  double fast_ms = MedianMs(7, [&] {
    left_fast = lines;
    sendwarden::CheckList(list, left_fast, sendwarden::Collect);
  });
  list.DropPrefilter();
  double plain_ms = MedianMs(recipients * patterns > 2000000 ? 1 : 3, [&] {
    left_plain = lines;
    sendwarden::CheckList(list, left_plain, sendwarden::Collect);
  });
  list.BuildPrefilter();
  size_t refused = static_cast<size_t>(std::count(left_fast.begin(), left_fast.end(), '\n'));

  std::printf("%6d x %6d  load %7.1f ms  plain %9.3f ms  prefiltered %8.3f ms  refused %zu%s",
              recipients, patterns, load_ms, plain_ms, fast_ms, refused,
              left_fast == left_plain ? "" : "  (REMAINDERS DIFFER)");
#ifdef SENDWARDEN_WITH_RE2
  RE2::Options options;
  options.set_max_mem(1 << 30);
  options.set_log_errors(false);
  RE2::Set set(options, RE2::UNANCHORED);
  for (int i = 0; i < patterns; ++i) set.Add(PatternText(i), nullptr);
  set.Compile();
  size_t re2_refused = 0;
  std::vector<int> matched;
  double re2_ms = MedianMs(7, [&] {
    re2_refused = 0;
    for (const std::string& a : addresses) {
      if (!set.Match(a, &matched)) ++re2_refused;
    }
  });
  std::printf("  RE2::Set %7.3f ms  ratio %.2f%s", re2_ms, fast_ms / re2_ms,
              re2_refused == refused ? "" : "  (RE2 DISAGREES)");
#endif
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace

int main() {
  std::printf("recipients x patterns\n");
  Measure(1000, 1000);
  Measure(100, 10000);
  Measure(1000, 10000);
  return 0;
}
