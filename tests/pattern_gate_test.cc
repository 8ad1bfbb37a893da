// The gate keeps out every pattern whose search the engine may not end, and
// keeps the rest of the engine's syntax usable; what it keeps ends in time.
#include "config/pattern_gate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "check/recipient_check.h"
#include "config/config_loader.h"
#include "config/pattern_shape.h"
#include "tests/random_picker.h"
#include "tests/test_support.h"

namespace sendwarden {
namespace {

TEST(PatternGate, RefusesVerbsAndRecursionWhereverTheyStandAndKeepsTheRest) {
  struct Case {
    const char* pattern;
    GateRefusal refusal;
    const char* construct;  // what a refusal names
  } cases[] = {
      // Each hung the engine, or ran for seconds, through the shipped DLL.
      {"(?!(*SKIP))x", GateRefusal::kVerb, "(*SKIP)"},
      {"(?<!(*SKIP))x", GateRefusal::kVerb, "(*SKIP)"},
      {"(*SKIP)(?!)", GateRefusal::kVerb, "(*SKIP)"},
      {"(?!a|(*SKIP))x", GateRefusal::kVerb, "(*SKIP)"},
      {"(?:(*SKIP)(?!))?@ok\\.test>?$", GateRefusal::kVerb, "(*SKIP)"},
      {"((*ACCEPT)?+){2}", GateRefusal::kVerb, "(*ACCEPT)"},
      {"(?:(*ACCEPT)++)?@ok\\.test>?$", GateRefusal::kVerb, "(*ACCEPT)"},
      {"(a|(?1)?|(|))@ok\\.test>?$", GateRefusal::kRecursion, "(?1)"},
      // Every verb and every kind of recursion.
      {"a(*PRUNE)b", GateRefusal::kVerb, "(*PRUNE)"},
      {"a(*COMMIT)b", GateRefusal::kVerb, "(*COMMIT)"},
      {"a(*THEN)b|c", GateRefusal::kVerb, "(*THEN)"},
      {"(*FAIL)|a", GateRefusal::kVerb, "(*FAIL)"},
      {"(*F)|a", GateRefusal::kVerb, "(*F)"},
      {"(a)(?R)?", GateRefusal::kRecursion, "(?R)"},
      {"(a)(?-1)?", GateRefusal::kRecursion, "(?-1)"},
      {"(?+1)?(a)", GateRefusal::kRecursion, "(?+1)"},
      {"(?<n>a)(?&n)?", GateRefusal::kRecursion, "(?&n)"},
      {"(?<n>a)(?P>n)?", GateRefusal::kRecursion, "(?P>n)"},
      {"(?(R)a|b)", GateRefusal::kRecursion, "(?(R)"},
      {"(?(DEFINE)(a))b", GateRefusal::kRecursion, "(?(DEFINE)"},
      // A verb where the "x" mode's comment ends (a CR ends it), not in it.
      {"(?x)# note\r(*SKIP)a", GateRefusal::kVerb, "(*SKIP)"},
      {"(?x:# note\f(*SKIP))a", GateRefusal::kVerb, "(*SKIP)"},
      // Read one way on Windows ("{" and text) and another elsewhere (a repeat).
      {"a.{+2}", GateRefusal::kUnread, "{"},
      {"a{1,-3}", GateRefusal::kUnread, "{"},
      // The same bytes where they are no verb: kept.
      {"\\Q(*SKIP)\\E@ok", GateRefusal::kNone, ""},
      {"[(*SKIP)]@ok", GateRefusal::kNone, ""},
      {"a(?#(*SKIP)", GateRefusal::kNone, ""},
      {"(?x)a # (*SKIP)", GateRefusal::kNone, ""},
      {"\\(*SKIP\\)", GateRefusal::kNone, ""},
      // The rest of the syntax stays usable.
      {"(?!)", GateRefusal::kNone, ""},
      {"(?=.*@)(?<!x)(?<=a)b(?!c)", GateRefusal::kNone, ""},
      {"(a)\\1(?<n>b)\\k<n>\\g{1}\\g-1", GateRefusal::kNone, ""},
      {"(a)?(?(1)b|c)(?(?=d)d|e)(?(<n>)f)", GateRefusal::kNone, ""},
      {"(?i)a(?-i:B)(?x) c # d", GateRefusal::kNone, ""},
      {"(?>a+)b*+c?+d{2,}+e{1,3}?f??", GateRefusal::kNone, ""},
      {"(?|(a)|(b))\\x41\\x{42}\\0101\\cA\\e\\N{space}\\pL\\P{L}\\h\\R\\X\\C\\K\\G", GateRefusal::kNone, ""},
      {"[[:alpha:]\\d-][^]x][[.a.]]\\<a\\>\\`\\'", GateRefusal::kNone, ""},
      {"a{,2}b{x}}]", GateRefusal::kNone, ""},
  };
  for (const Case& c : cases) {
    GateVerdict verdict;
    std::unique_ptr<Pattern> pattern = CompileKeptPattern(c.pattern, &verdict);
    EXPECT_EQ(verdict.refusal, c.refusal) << c.pattern;
    EXPECT_EQ(pattern == nullptr, c.refusal != GateRefusal::kNone) << c.pattern;
    EXPECT_EQ(std::string(c.pattern).substr(verdict.begin, verdict.end - verdict.begin),
              c.construct) << c.pattern;
  }
  // Too long for the engine, however plain; a shape of any length needs none.
  GateVerdict verdict;
  std::string long_pattern = "^(" + std::string(kMaxEnginePatternBytes, 'a') + ")$";
  EXPECT_EQ(CompileKeptPattern(long_pattern, &verdict), nullptr);
  EXPECT_EQ(verdict.refusal, GateRefusal::kTooLong);
  EXPECT_TRUE(RecognizeShape("@" + std::string(10000, 'a') + "\\.jp>?$").has_value());
  // Yet the loader keeps no pattern past kMaxPatternBytes: no address is that long.
  testing::ScratchDir dir;
  std::string path = dir.File("Sendwarden.conf");
  std::string shape = "@" + std::string(kMaxPatternBytes, 'a') + "\\.jp>?$";
  testing::WriteFile(path, "ALL=" + shape + "\nALL=" + shape.substr(shape.size() - 100) + "\n");
  AllowConfig config;
  ASSERT_TRUE(LoadAllowConfig(path, config));
  ASSERT_NE(config.defaultRule, nullptr);
  EXPECT_EQ(config.defaultRule->allPatterns.size(), 1u);
}

// Patterns from the engine's whole Perl syntax, verbs and recursion
// included, nested, with repeats of every kind, over a small alphabet.
class Composer : public testing::RandomPicker {
 public:
  using RandomPicker::RandomPicker;

  std::string Pattern(int depth = 0) {
    static const char* const kAtoms[] = {
        "a", "b", "@", "\\.", ".", "^", "$", "\\w", "\\d", "\\s", "[ab@]", "[^a]", "\\b", "\\B",
        "\\A", "\\z", "\\Z", "\\<", "\\>", "\\G", "\\K", "\\x41", "\\1", "\\Qa.\\E", "(?#c)",
        "(?i)", "(?-i)", "(?s)", "(?x) ", "\\h", "\\R", "\\X", "\\C", "(*SKIP)", "(*ACCEPT)",
        "(*FAIL)", "(*COMMIT)", "(*PRUNE)", "(?R)", "(?1)",
    };
    static const char* const kOpen[] = {"(", "(?:", "(?=", "(?!", "(?<=", "(?<!", "(?>", "(?|",
                                        "(?<n>", "(?i:", "(?(1)", "(?(?=a)"};
    static const char* const kRepeats[] = {"", "", "", "*", "+", "?", "{2}", "{0,2}", "{1,}",
                                           "*?", "+?", "??", "*+", "++", "?+"};
    std::string pattern;
    int items = 1 + Below(depth == 0 ? 5 : 3);
    for (int i = 0; i < items; ++i) {
      if (depth < 3 && Below(3) == 0) {
        pattern += Pick(kOpen) + Pattern(depth + 1);
        if (Below(3) == 0) pattern += "|" + Pattern(depth + 1);
        pattern += ")";
      } else {
        pattern += Pick(kAtoms);
      }
      pattern += Pick(kRepeats);
    }
    return pattern;
  }

  std::string Text() {
    static const char* const kPieces[] = {"a", "b", "@", ".", "A", " ", "<", ">", "ab", "aaaa", "\r"};
    return Joined(kPieces, 12);
  }
};

// The engine's own compiled program is the second lock: whatever the
// reading keeps holds no state for a verb or recursion.
TEST(PatternGate, WhatTheReadingKeepsTheEngineCompiledWithoutVerbsOrRecursion) {
  Composer compose(1);
  int kept = 0, refused = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text = compose.Pattern();
    if (!JudgePattern(text).kept()) {
      ++refused;
      continue;
    }
    std::unique_ptr<Pattern> compiled;
    try {
      compiled = CompilePattern(text);
    } catch (const boost::regex_error&) {
      continue;
    }
    ++kept;
    ASSERT_TRUE(CompiledProgramIsPlain(*compiled)) << text;
  }
  EXPECT_GT(kept, 2000);
  EXPECT_GT(refused, 2000);
}

// Every kept pattern's search ends at once on short texts. A watchdog ends
// the process, naming the pattern, if one does not end at all.
TEST(PatternGate, EveryKeptPatternsSearchEndsAtOnce) {
  std::mutex mutex;
  std::condition_variable wake;
  std::string current;
  bool done = false;
  std::atomic<int64_t> started{0};  // milliseconds of the search under way; 0: none
  auto now_ms = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
  };
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(mutex);
    while (!done) {
      wake.wait_for(lock, std::chrono::milliseconds(500));
      int64_t since = started.load();
      if (since != 0 && now_ms() - since > 20000) {
        std::fprintf(stderr, "a search did not end in 20 s: %s\n", current.c_str());
        std::fflush(stderr);
        std::_Exit(1);
      }
    }
  });

  Composer compose(2);
  int searched = 0;
  double slowest = 0;
  std::string slowest_case;
  for (int round = 0; round < 20000; ++round) {
    std::string text = compose.Pattern();
    GateVerdict verdict;
    std::unique_ptr<Pattern> pattern;
    try {
      pattern = CompileKeptPattern(text, &verdict);
    } catch (const boost::regex_error&) {
      continue;
    }
    if (pattern == nullptr) continue;
    for (int i = 0; i < 4; ++i) {
      std::string subject = compose.Text();
      {
        std::lock_guard<std::mutex> lock(mutex);
        current = "[" + text + "] on [" + subject + "]";
      }
      int64_t begin = now_ms();
      started = begin;
      try {
        PatternFound(*pattern, subject);
      } catch (const boost::regex_error&) {
        // Gave up within its bound: in time all the same.
      }
      started = 0;
      double ms = static_cast<double>(now_ms() - begin);
      ++searched;
      if (ms > slowest) {
        slowest = ms;
        slowest_case = current;
      }
    }
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  wake.notify_all();
  watchdog.join();
  EXPECT_GT(searched, 4000);
  EXPECT_LE(slowest, 200.0) << slowest_case;
}

}  // namespace
}  // namespace sendwarden
