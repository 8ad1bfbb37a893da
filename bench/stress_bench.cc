// Hostile patterns and hostile sizes, each run in a child process of its own
// so that its time and peak memory can be told apart. Prints, per case, the
// send's answer, the boxes shown, the time, and the child's peak resident set.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "check/rejection_notice.h"
#include "config/config_loader.h"
#include "config/pattern_gate.h"
#include "host/plugin_state.h"
#include "host/send_hook.h"
#include "tests/fake_host.h"
#include "tests/test_support.h"

namespace {

using namespace sendwarden;

std::string ConfigPath() {
  return (std::filesystem::temp_directory_path() / "sendwarden-stress.conf").string();
}

// Loads `config`, sends `message` through the callback and reports.
void Send(const std::string& config, const std::string& message) {
  testing::WriteFile(ConfigPath(), config);
  auto start = std::chrono::steady_clock::now();
  PluginState state;
  LoadAllowConfig(ConfigPath(), state.config);
  double load_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  testing::FakeHost host;
  host.Install(state.hostApi);
  testing::BoxRecorder boxes;
  start = std::chrono::steady_clock::now();
  int result = CheckSend(state, message.c_str());
  double send_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const char* box = boxes.boxes().empty() ? "no box"
                    : boxes.boxes()[0].text == kNoticeGeneralText ? "general" : "named";
  std::printf("answer %2d  %-7s boxes %zu  texts freed %s  load %7.1f ms  send %7.1f ms", result,
              box, boxes.boxes().size(), host.AllFreedOnce() ? "yes" : "NO ", load_ms, send_ms);
}

void RunCase(const char* name, const std::function<void()>& body) {
  std::printf("%-48s ", name);
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    alarm(60);  // a send that hangs shows as a failed child, not as a hung bench
    body();
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  struct rusage usage;
  wait4(child, &status, 0, &usage);
  std::printf("  peak %7.1f MB%s\n", usage.ru_maxrss / 1024.0,
              WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "  (CHILD FAILED)");
  std::fflush(stdout);
}

}  // namespace

int main() {
  std::printf("== hostile patterns against long addresses (the engine must give up)\n");
  // Where a pattern has a literal, the address holds it, so that the
  // prefilter lets the pattern run and only the engine's limit stops it.
  // (.*)*x and (a|a)*c match whenever their literal is there, so they are
  // shown without it: the prefilter skips them and the engine never starts.
  struct Hostile {
    const char* pattern;
    const char* prefix;
  } hostile[] = {{"(a+)+$", ""},      {"(.*)*x", ""},  {"((a|aa)+)+b", "b"},
                 {"(a|a)*c", ""},    {"^(([a-z])+.)+[A-Z]([a-z])+$", ""},
                 {"(x+x+)+y", "y"}};
  for (const Hostile& h : hostile) {
    for (size_t length : {1000u, 10000u, 100000u}) {
      std::string label = std::string(h.pattern) + "  address of " + std::to_string(length);
      RunCase(label.c_str(), [&] {
        Send(std::string("[.]\nTO=^never$\nTO=") + h.pattern + "\n",
             "From: me\nTo: " + std::string(h.prefix) +
                 std::string(length, h.pattern[1] == 'x' ? 'x' : 'a') + "!\n\n");
      });
    }
  }

  std::printf("== patterns the loader refuses (kept, each hung the send or ran for seconds)\n");
  // Beside each, a line that allows a@ok.test: the first send must be sent,
  // the second refused, both at once.
  std::string partners = "(^|<)(\\w+\\.?)+@(";
  for (int i = 0; i < 300; ++i) partners += (i ? "|partner" : "partner") + std::to_string(i);
  partners += ")\\.co\\.jp>?$";
  struct Refused {
    const char* name;
    std::string pattern;
  } refused[] = {
      {"verb in a look-around", "(?!(*SKIP))x"},
      {"verb, then a failing look-around", "(?:(*SKIP)(?!))?@ok\\.test>?$"},
      {"(*ACCEPT) under a possessive repeat", "(?:(*ACCEPT)++)?@ok\\.test>?$"},
      {"recursion", "(a|(?1)?|(|))@ok\\.test>?$"},
      {"8,306-byte alternation (too long)", partners},
  };
  for (const Refused& r : refused) {
    for (const char* to : {"a@ok.test", "taro.yamada.sales.tokyo.office@partner7.co.jp.evil"}) {
      std::string label = std::string(r.name) + "  To: " + to;
      RunCase(label.c_str(), [&] {
        Send("ALL=" + r.pattern + "\nALL=@ok\\.test>?$\n", "From: me@ok.test\nTo: " + std::string(to) + "\n\n");
      });
    }
  }

  // The costliest pattern the loader keeps: a nested repeat (a lint error)
  // as long as the gate allows; the engine stops within kMaxSearchSteps.
  std::string longest = "(^|<)(\\w+\\.?)+@(";
  for (int i = 0; longest.size() < kMaxEnginePatternBytes - 20; ++i) {
    longest += (i ? "|partner" : "partner") + std::to_string(i);
  }
  longest += ")\\.co\\.jp>?$";
  for (const char* to : {"taro@partner1.co.jp", "taro.yamada.sales.tokyo.office@partner1.co.jp.evil"}) {
    std::string label = "kept nested repeat of " + std::to_string(longest.size()) + " bytes  To: " + to;
    RunCase(label.c_str(), [&] { Send("ALL=" + longest + "\n", "From: me@ok.test\nTo: " + std::string(to) + "\n\n"); });
  }

  std::printf("== refusals cost what allowances cost (1,000 nested-repeat lines: lint errors, kept)\n");
  auto recipients = [](int count, const std::string& last) {
    std::string to = "From: me@ok.test\nTo: ";
    for (int i = 0; i < count; ++i) to += "user" + std::to_string(i) + "@dom" + std::to_string(i % 1000) + ".co.jp, ";
    return to + last + "\n\n";
  };
  std::string nested;
  for (int i = 0; i < 1000; ++i) {
    nested += "ALL=(^|<)([\\w-]+\\.?)+@dom" + std::to_string(i) + "\\.co\\.jp>?$\n";
  }
  for (const char* last : {"user@dom1.co.jp", "user@evil.test"}) {
    std::string label = std::string("1,000 engine lines, 20 recipients, last ") + last;
    RunCase(label.c_str(), [&] { Send(nested, recipients(19, last)); });
  }
  std::string ignoring_case;
  for (int i = 0; i < 1000; ++i) {
    ignoring_case += "ALL=(?i)(^|<)[\\w.-]+@dom" + std::to_string(i) + "\\.co\\.jp>?$\n";
  }
  for (const char* last : {"user@dom1.co.jp", "user@evil.test"}) {
    std::string label = std::string("1,000 (?i) engine lines, 1,000 recipients, last ") + last;
    RunCase(label.c_str(), [&] { Send(ignoring_case, recipients(999, last)); });
  }
  std::string suggested;
  for (int i = 0; i < 100000; ++i) suggested += "ALL=(?i)@dom" + std::to_string(i) + "\\.co\\.jp>?$\n";
  for (int count : {1000, 10000}) {
    for (const char* last : {"user@dom1.co.jp", "user@evil.test"}) {
      std::string label = "100,000 suggested lines, " + std::to_string(count) + " recipients, last " + last;
      RunCase(label.c_str(), [&] { Send(suggested, recipients(count - 1, last)); });
    }
  }

  std::printf("== sizes\n");
  const std::string allow_all = "ALL=@example\\.co\\.jp>?$\n";
  RunCase("100 MB message (body)", [&] {
    Send(allow_all, "To: a@example.co.jp\n\n" + std::string(100u << 20, 'x'));
  });
  RunCase("header block of 100,000 recipients", [&] {
    std::string to = "To: ";
    for (int i = 0; i < 100000; ++i) to += "user" + std::to_string(i) + "@example.co.jp, ";
    to += "last@example.co.jp\n\n";
    Send(allow_all, to);
  });
  RunCase("one 10 MB header line (Subject)", [&] {
    Send(allow_all, "To: a@example.co.jp\nSubject: " + std::string(10u << 20, 's') + "\n\n");
  });
  RunCase("one 10 MB address", [&] {
    Send(allow_all, "To: " + std::string(10u << 20, 'a') + "@example.co.jp\n\n");
  });
  RunCase("10 MB configuration file", [&] {
    std::string config;
    for (int i = 0; config.size() < (10u << 20); ++i) {
      config += "ALL=^(.*<)?user" + std::to_string(i) + "@partner\\.example\\.com>?$\n";
    }
    config += allow_all;
    Send(config, "To: a@example.co.jp, user77@partner.example.com\n\n");
  });
  RunCase("1 MB pattern", [&] {
    std::string pattern = "^";
    while (pattern.size() < (1u << 20)) pattern += "(x|y)";
    Send("ALL=" + pattern + "$\n" + allow_all, "To: a@example.co.jp\n\n");
  });
  std::filesystem::remove(ConfigPath());
  return 0;
}
