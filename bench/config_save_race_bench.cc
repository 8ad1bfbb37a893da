// config_save_race_bench [SECONDS]: a writer saves the configuration again and
// again the way some editors do, in chunks with gaps between them, while the
// plug-in's reload and check run send after send. A load that caught half a
// save would keep a pattern cut short and let x@example.co.jp.evil.test
// through. Prints, per gap between the chunks, the sends tried, the sends of
// that recipient (must be 0), the sends of an allowed one that went out, and
// what the reload cost on the sends that followed a save.
// Exits 1 when any such send went out.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/timing.h"
#include "check/recipient_check.h"
#include "config/config_loader.h"
#include "config/reload.h"

namespace sendwarden {
namespace {

// 4 KiB of comment, then the one rule, so that a save cut after its first
// 4 KiB leaves "ALL=@example\.co\.jp" without its anchor.
std::string ConfigText() {
  const std::string rule = "ALL=@example\\.co\\.jp>?$\n";
  std::string text;
  while (text.size() + 80 < 4096 - 19) text += "# " + std::string(76, 'x') + "\n";
  text += "#" + std::string(4096 - 19 - text.size() - 2, 'y') + "\n";
  return text + rule;
}

void SaveInChunks(const std::string& path, const std::string& text, int gap_ms) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), 4096);
  out.flush();
  std::this_thread::sleep_for(std::chrono::milliseconds(gap_ms));
  out.write(text.data() + 4096, static_cast<std::streamsize>(text.size() - 4096));
}

struct Result {
  long checks = 0, leaked = 0, sent = 0, afterSave = 0;
  double afterSaveMs = 0, afterSaveMaxMs = 0;
};

// Sends for `seconds`, a millisecond apart, alternately to the recipient a
// cut pattern would let through and to one the file allows.
Result Race(const std::string& path, int gap_ms, double seconds) {
  const std::string text = ConfigText();
  SaveInChunks(path, text, 0);
  AllowConfig config;
  LoadAllowConfig(path, config);
  std::atomic<bool> done{false};
  std::atomic<long> saves{0};
  std::thread writer([&] {
    while (!done) {
      ++saves;  // counted as it starts: the next send follows a save
      SaveInChunks(path, text, gap_ms);
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }
  });
  Recipients outside, inside;
  outside.to = {"x@example.co.jp.evil.test"};
  inside.to = {"a@example.co.jp"};
  Result result;
  long seen_saves = 0;
  auto begin = BenchClock::now();
  for (long i = 0; MillisecondsSince(begin) < seconds * 1000; ++i) {
    long now_saves = saves;
    auto start = BenchClock::now();
    ReloadIfChanged(config);
    bool allowed = CheckRecipients(config, i % 2 == 0 ? outside : inside).allowed;
    double ms = MillisecondsSince(start);
    if (now_saves != seen_saves) {
      seen_saves = now_saves;
      ++result.afterSave;
      result.afterSaveMs += ms;
      if (ms > result.afterSaveMaxMs) result.afterSaveMaxMs = ms;
    }
    ++result.checks;
    if (allowed) ++(i % 2 == 0 ? result.leaked : result.sent);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  done = true;
  writer.join();
  return result;
}

}  // namespace
}  // namespace sendwarden

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 5;
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "sendwarden-race-bench";
  std::filesystem::create_directories(dir);
  std::string path = (dir / "Sendwarden.conf").string();
  bool leaked = false;
  std::printf("%7s %7s %14s %13s %11s %13s %10s\n", "gap ms", "sends", "cut-pattern", "allowed",
              "after save", "mean ms", "max ms");
  for (int gap : {0, 10, 50, 100}) {
    sendwarden::Result r = sendwarden::Race(path, gap, seconds);
    std::printf("%7d %7ld %14ld %13ld %11ld %13.1f %10.1f\n", gap, r.checks, r.leaked, r.sent,
                r.afterSave, r.afterSave ? r.afterSaveMs / r.afterSave : 0.0, r.afterSaveMaxMs);
    leaked |= r.leaked != 0;
  }
  std::filesystem::remove_all(dir);
  return leaked ? 1 : 0;
}
