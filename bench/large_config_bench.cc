// Large allow lists: configurations of 10,000, 50,000 and 200,000 rule lines
// of a realistic mix (anchored whole addresses with and without a display-name
// prefix, domain suffixes, a few sender sections, a minority of general
// regular expressions). For each: the load (the first send after a change),
// the heap the loaded store holds, and the check of a message of 100
// recipients, allowed and refused; beside the same figures with the engine
// compiling every pattern, and whether both give the same verdicts, notices
// and dropped lines. Then bad input: a 10 MB line, a 100 MB file, random
// bytes. Builds for Linux and for Windows (run it under Wine there).
//
//   large_config_bench [--quick] [--keep FOLDER]
//
// --keep leaves the generated configurations in FOLDER (to time
// sendwarden-check lint on them); --quick stops at 50,000 lines.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <malloc.h>
#endif

#include "bench/timing.h"
#include "check/recipient_check.h"
#include "check/rejection_notice.h"
#include "config/config_loader.h"

// Every allocation is counted, so that the store's size is measured the same
// way on every platform: the bytes it asked for, live after the load.
namespace {
std::atomic<long long> g_live_bytes{0};
constexpr size_t kHeader = 16;
}  // namespace

void* operator new(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  g_live_bytes += static_cast<long long>(size);
  return static_cast<char*>(block) + kHeader;
}
void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  char* start = static_cast<char*>(block) - kHeader;
  g_live_bytes -= static_cast<long long>(*reinterpret_cast<size_t*>(start));
  std::free(start);
}
void operator delete(void* block, size_t) noexcept { operator delete(block); }

namespace {

using Clock = std::chrono::steady_clock;
using sendwarden::MedianMs;
using sendwarden::MillisecondsSince;
namespace fs = std::filesystem;

// What the operating system's heap has handed out, overhead included: the
// process's committed bytes on Windows (PagefileUsage, which Wine keeps up to
// date), the C library's bytes in use on Linux.
double HeapMegabytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters;
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PagefileUsage) / (1 << 20);
#else
  struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd) / (1 << 20);
#endif
}

struct Generated {
  std::string text;
  std::vector<std::string> allowed;  // recipients the default rule allows
};

// The mix: 65 % anchored addresses with a display-name prefix, 15 % without,
// 10 % domain suffixes, 5 % general regular expressions, the rest in a few
// sender sections; now and then a line that does not compile.
Generated Configuration(int lines) {
  Generated out;
  std::mt19937 random(static_cast<uint32_t>(lines));
  int sections = std::max(1, lines / 20000);
  int default_lines = lines - sections * 200;
  auto rule = [&](int i, std::string* text) {
    int kind = static_cast<int>(random() % 100);
    std::string n = std::to_string(i);
    std::string partner = std::to_string(i % 997);
    if (kind < 65) {
      *text = "ALL=^(.*<)?user" + n + "@partner" + partner + "\\.example\\.com>?$";
      return "Name " + n + " <user" + n + "@partner" + partner + ".example.com>";
    }
    if (kind < 80) {
      *text = "TO=^contact" + n + "@client" + partner + "\\.example\\.org$";
      return "contact" + n + "@client" + partner + ".example.org";
    }
    if (kind < 90) {
      *text = "ALL=@dept" + n + "\\.example\\.co\\.jp>?$";
      return "someone <a" + n + "@dept" + n + ".example.co.jp>";
    }
    if (kind < 95) {
      *text = "ALL=^(.*<)?(sales|info)" + n + "@vendor" + partner + "\\.example\\.net>?$";
      return "info" + n + "@vendor" + partner + ".example.net";
    }
    if (kind < 99) {
      *text = "CC=^[a-z]+\\." + n + "@shop" + partner + "\\.example\\.jp$";
      return std::string();
    }
    *text = "ALL=^(broken" + n + "@x\\.test$";
    return std::string();
  };
  std::string text;
  for (int i = 0; i < default_lines; ++i) {
    std::string address = rule(i, &text);
    out.text += text + "\r\n";
    if (!address.empty() && text.compare(0, 4, "ALL=") == 0 && out.allowed.size() < 5000) {
      out.allowed.push_back(address);
    }
  }
  for (int s = 0; s < sections; ++s) {
    out.text += "[^(.*<)?boss" + std::to_string(s) + "@corp\\.test>?$]\r\n";
    for (int i = 0; i < 200; ++i) {
      rule(default_lines + s * 200 + i, &text);
      out.text += text + "\r\n";
    }
  }
  return out;
}

struct DropCounter : sendwarden::LoadObserver {
  std::string drops;
  void LineDropped(size_t number, const std::string&, sendwarden::DropReason reason,
                   const std::string&) override {
    drops += std::to_string(number) + ":" + std::to_string(static_cast<int>(reason)) + " ";
  }
};

struct Loaded {
  sendwarden::AllowConfig config;
  double ms = 0;
  double megabytes = 0;      // bytes asked for
  double heapMegabytes = 0;  // the heap's own figure
  std::string drops;
};

void Load(const std::string& path, bool engine_for_every_pattern, Loaded* out) {
  DropCounter drops;
  long long before = g_live_bytes;
  double heap_before = HeapMegabytes();
  auto start = Clock::now();
  sendwarden::LoadAllowConfig(path, out->config, &drops,
                              sendwarden::LoadOptions{engine_for_every_pattern});
  out->ms = MillisecondsSince(start);
  out->megabytes = static_cast<double>(g_live_bytes - before) / (1 << 20);
  out->heapMegabytes = HeapMegabytes() - heap_before;
  out->drops = drops.drops;
}

sendwarden::Recipients Message(const Generated& generated, int count, bool with_stranger,
                               std::mt19937& random) {
  sendwarden::Recipients recipients;
  recipients.sender = "Boss <boss0@corp.test>";
  for (int i = 0; i < count; ++i) {
    const std::string& address = generated.allowed[random() % generated.allowed.size()];
    (i % 3 == 0 ? recipients.cc : recipients.to).push_back(address);
  }
  if (with_stranger) recipients.bcc.push_back("stranger@elsewhere.example");
  return recipients;
}

void Measure(int lines, const std::string& folder, bool keep) {
  Generated generated = Configuration(lines);
  std::string path = (fs::path(folder) / ("allow-" + std::to_string(lines) + ".conf")).string();
  {
    std::ofstream out(path, std::ios::binary);
    out << generated.text;
  }
  Loaded fast, engine;
  Load(path, false, &fast);
  Load(path, true, &engine);

  std::mt19937 random(7);
  sendwarden::Recipients allowed = Message(generated, 100, false, random);
  sendwarden::Recipients refused = Message(generated, 100, true, random);
  sendwarden::Verdict verdict;
  double allowed_ms = MedianMs(21, [&] { verdict = CheckRecipients(fast.config, allowed); });
  bool allowed_ok = verdict.allowed;
  double refused_ms = MedianMs(3, [&] { verdict = CheckRecipients(fast.config, refused); });
  bool refused_ok = !verdict.allowed;
  double engine_allowed_ms =
      MedianMs(3, [&] { verdict = CheckRecipients(engine.config, allowed); });

  // The same answers: on the two messages and on 200 more of every kind.
  bool same = fast.drops == engine.drops;
  for (int i = 0; i < 200 && same; ++i) {
    sendwarden::Recipients recipients = Message(generated, 1 + i % 7, i % 3 == 0, random);
    if (i % 5 == 0) recipients.sender = "someone@else.test";
    sendwarden::Verdict a = CheckRecipients(fast.config, recipients);
    sendwarden::Verdict b = CheckRecipients(engine.config, recipients);
    same = a.allowed == b.allowed &&
           sendwarden::NoticeText(a.rejectionLog) == sendwarden::NoticeText(b.rejectionLog);
  }

  std::printf("%7d lines  load %8.1f ms  store %6.1f MB (heap %6.1f MB)  check 100 allowed "
              "%7.3f ms  refused %7.1f ms%s\n",
              lines, fast.ms, fast.megabytes, fast.heapMegabytes, allowed_ms, refused_ms,
              allowed_ok && refused_ok ? "" : "  (UNEXPECTED VERDICT)");
  std::printf("%7s        engine for every line: load %8.1f ms  store %6.1f MB (heap %6.1f MB)  "
              "check 100 allowed %7.3f ms  same verdicts, notices, dropped lines: %s\n",
              "", engine.ms, engine.megabytes, engine.heapMegabytes, engine_allowed_ms,
              same ? "yes" : "NO");
  std::fflush(stdout);
  if (!keep) fs::remove(path);
}

// What sendwarden-check suggest writes for 100,000 recipient domains: a
// count comment above each case-ignoring domain line. Loaded without the
// engine and with it; checked with recipients in any letter case.
void MeasureSuggested(const std::string& folder) {
  const int domains = 100000;
  std::string text = "# made by sendwarden-check suggest\r\n";
  for (int i = 0; i < domains; ++i) {
    text += "# d" + std::to_string(i) + ".example.com: 3\r\nALL=(?i)@d" + std::to_string(i) +
            "\\.example\\.com>?$\r\n";
  }
  std::string path = (fs::path(folder) / "suggested.conf").string();
  {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  Loaded fast, engine;
  Load(path, false, &fast);
  Load(path, true, &engine);
  std::mt19937 random(9);
  sendwarden::Recipients recipients;
  for (int i = 0; i < 100; ++i) {
    std::string n = std::to_string(random() % domains);
    recipients.to.push_back(i % 2 ? "Name <a@D" + n + ".Example.COM>"
                                  : "b@d" + n + (i % 3 ? ".EXAMPLE.com" : ".example.com"));
  }
  sendwarden::Verdict verdict;
  double ms = MedianMs(21, [&] { verdict = CheckRecipients(fast.config, recipients); });
  bool same = verdict.allowed == CheckRecipients(engine.config, recipients).allowed;
  std::printf("%7d suggested domain lines  load %8.1f ms  store %6.1f MB  check 100 allowed "
              "%7.3f ms%s; engine for every line: load %8.1f ms%s\n",
              domains, fast.ms, fast.megabytes, ms, verdict.allowed ? "" : "  (UNEXPECTED VERDICT)",
              engine.ms, same ? "" : "  (VERDICTS DIFFER)");
  std::fflush(stdout);
  fs::remove(path);
}

void BadInput(const char* name, const std::string& bytes, const std::string& folder) {
  std::string path = (fs::path(folder) / "bad.conf").string();
  {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }
  Loaded loaded;
  Load(path, false, &loaded);
  sendwarden::Recipients recipients;
  recipients.to = {"a@example.co.jp"};
  auto start = Clock::now();
  bool allowed = CheckRecipients(loaded.config, recipients).allowed;
  std::printf("%-28s load %8.1f ms  store %6.1f MB (heap %6.1f MB)  check %6.2f ms  (%s)\n",
              name, loaded.ms, loaded.megabytes, loaded.heapMegabytes, MillisecondsSince(start),
              allowed ? "allowed" : "refused");
  std::fflush(stdout);
  fs::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false, keep = false;
  std::string folder = fs::temp_directory_path().string();
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) {
      keep = true;
      folder = argv[++i];
    }
  }
  std::printf("== allow lists (store: heap bytes the loaded store holds)\n");
  for (int lines : {10000, 50000, 200000}) {
    if (quick && lines > 50000) break;
    Measure(lines, folder, keep);
  }
  MeasureSuggested(folder);
  std::printf("== bad input\n");
  BadInput("one 10 MB line", "ALL=^" + std::string(10u << 20, 'a') + "$\n", folder);
  std::string big;
  for (int i = 0; big.size() < (100u << 20); ++i) {
    big += "ALL=^(.*<)?user" + std::to_string(i) + "@partner\\.example\\.com>?$\r\n";
  }
  BadInput("100 MB configuration", big, folder);
  big.clear();
  big.shrink_to_fit();
  std::mt19937 random(3);
  std::string junk(10u << 20, '\0');
  for (char& c : junk) c = static_cast<char>(random());
  BadInput("10 MB of random bytes", junk, folder);
  return 0;
}
