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

#include "bench/timing.h"
#include "check/recipient_check.h"
#include "config/config_loader.h"
#include "config/rule_store.h"

namespace {

using Clock = std::chrono::steady_clock;
using sendwarden::MedianMs;
using sendwarden::MillisecondsSince;

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

// One row: the plain walk and the prefiltered walk over the same mixed
// addresses (the walk alone, as RE2::Set matches them); then whole sends:
// one whose recipients are all allowed, and a refused one, whose answer the
// exact walk confirms.
void Measure(int recipients, int patterns, bool refusal_row) {
  std::string path =
      (std::filesystem::temp_directory_path() / "sendwarden-prefilter.conf").string();
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < patterns; ++i) out << "ALL=" << PatternText(i) << "\n";
  }
  sendwarden::AllowConfig config;
  double load_ms = MedianMs(3, [&] { sendwarden::LoadAllowConfig(path, config); });
  std::filesystem::remove(path);

  std::mt19937 random(42);
  std::vector<std::string> addresses = Addresses(patterns, recipients, random);
  sendwarden::Recipients mixed{"", addresses, {}, {}};
  using sendwarden::Search;
  sendwarden::Verdict fast, plain;
  double fast_ms = MedianMs(51, [&] {
    fast = sendwarden::CheckRecipients(config, mixed, nullptr, Search::kPrefilterOnly);
  });
  double plain_ms = MedianMs(recipients * patterns > 2000000 ? 1 : 3, [&] {
    plain = sendwarden::CheckRecipients(config, mixed, nullptr, Search::kExact);
  });
  sendwarden::CheckTrace trace;
  sendwarden::CheckRecipients(config, mixed, &trace);
  size_t refused = 0;
  for (const auto& entry : trace.rules[0].entries) refused += entry.allowedBy == nullptr;

  std::printf("%6d x %6d  load %7.1f ms  plain %9.3f ms  prefiltered %8.3f ms  refused %zu%s",
              recipients, patterns, load_ms, plain_ms, fast_ms, refused,
              fast.allowed == plain.allowed ? "" : "  (VERDICTS DIFFER)");
#ifdef SENDWARDEN_WITH_RE2
  RE2::Options options;
  options.set_max_mem(1 << 30);
  options.set_log_errors(false);
  RE2::Set set(options, RE2::UNANCHORED);
  for (int i = 0; i < patterns; ++i) set.Add(PatternText(i), nullptr);
  set.Compile();
  size_t re2_refused = 0;
  std::vector<int> matched;
  double re2_ms = MedianMs(51, [&] {
    re2_refused = 0;
    for (const std::string& a : addresses) {
      if (!set.Match(a, &matched)) ++re2_refused;
    }
  });
  std::printf("  RE2::Set %7.3f ms  ratio %.2f%s", re2_ms, fast_ms / re2_ms,
              re2_refused == refused ? "" : "  (RE2 DISAGREES)");
#endif
  std::printf("\n");

  // The same with every pattern compiled by the engine: the literal
  // prefilter alone, without the shapes' hash.
  sendwarden::AllowConfig engine;
  std::filesystem::path engine_path =
      std::filesystem::temp_directory_path() / "sendwarden-prefilter-engine.conf";
  {
    std::ofstream out(engine_path, std::ios::binary);
    for (int i = 0; i < patterns; ++i) out << "ALL=" << PatternText(i) << "\n";
  }
  double engine_load_ms = MedianMs(1, [&] {
    sendwarden::LoadAllowConfig(engine_path.string(), engine, nullptr,
                                sendwarden::LoadOptions{true});
  });
  std::filesystem::remove(engine_path);
  double engine_fast_ms = MedianMs(51, [&] {
    fast = sendwarden::CheckRecipients(engine, mixed, nullptr, Search::kPrefilterOnly);
  });
  double engine_plain_ms = MedianMs(recipients * patterns > 2000000 ? 1 : 3, [&] {
    plain = sendwarden::CheckRecipients(engine, mixed, nullptr, Search::kExact);
  });
  std::printf("%6d x %6d  engine for every pattern: load %7.1f ms  plain %9.3f ms  "
              "prefiltered %8.3f ms\n",
              recipients, patterns, engine_load_ms, engine_plain_ms, engine_fast_ms);

  if (refusal_row) {
    std::vector<std::string> allowed_only;
    for (size_t i = 0; i < addresses.size(); ++i) {
      if (trace.rules[0].entries[i].allowedBy != nullptr) allowed_only.push_back(addresses[i]);
    }
    sendwarden::Recipients allowed{"", allowed_only, {}, {}};
    sendwarden::Verdict verdict;
    double allowed_ms =
        MedianMs(51, [&] { verdict = sendwarden::CheckRecipients(config, allowed); });
    bool allowed_ok = verdict.allowed;
    auto start = Clock::now();
    verdict = sendwarden::CheckRecipients(config, mixed);
    double refusal_ms = MillisecondsSince(start);
    std::printf("%6d x %6d  allowed send (%zu recipients) %8.3f ms  refused send %9.3f ms "
                "(prefiltered walk, then the exact walk)%s\n",
                recipients, patterns, allowed_only.size(), allowed_ms, refusal_ms,
                allowed_ok && !verdict.allowed ? "" : "  (UNEXPECTED VERDICT)");
  }
  std::fflush(stdout);
}

}  // namespace

int main() {
  std::printf("recipients x patterns\n");
  Measure(1000, 1000, true);
  Measure(100, 10000, true);
  Measure(1000, 10000, false);
  return 0;
}
