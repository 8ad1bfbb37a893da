// The prefilter may only skip patterns that cannot match: every decision,
// remainder and log entry must be those of the plain pattern-by-pattern walk.
#include "config/literal_prefilter.h"

#include <gtest/gtest.h>

#include <random>

#include "check/recipient_check.h"
#include "config/pattern_list.h"

namespace sendwarden {
namespace {

TEST(RequiredLiteral, ProvesOnlyWhatEveryMatchContains) {
  struct Case {
    const char* pattern;
    const char* literal;
  } cases[] = {
      {"@example\\.co\\.jp>?$", "@example.co.jp"},
      {"^(.*<)?user1@x\\.test>?$", "user1@x.test"},
      {"(^|<)sales@x\\.test$", "sales@x.test"},
      {"abc\\d+def", "abc"},
      {"x{2,3}yz", "yz"},
      {"[abc]def", "def"},
      {"[]x]yz", "yz"},
      {"(?:ab)cd", "cd"},
      {"ab+?c", "a"},
      {"a|bcd", ""},              // alternation at the top
      {"(?i)abc", ""},            // inline flags change everything after them
      {"a(?i:b)cd", ""},
      {"\\Qa.b\\E", ""},
      {"a(*ACCEPT)bcd", ""},      // a verb can end the match early
      {"\\x41bc", ""},
      {"(a)\\1bc", ""},
      {"\\nbc", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RequiredLiteral(c.pattern), c.literal) << c.pattern;
}

TEST(LiteralPrefilter, ReportsOverlappingAndSharedLiteralsInOrder) {
  LiteralPrefilter prefilter({"he", "", "she", "hers", "he", "zz"});
  std::vector<uint32_t> found;
  prefilter.Candidates("ushers", &found);
  EXPECT_EQ(found, std::vector<uint32_t>({0, 1, 2, 3, 4}));
  prefilter.Candidates("nothing", &found);
  EXPECT_EQ(found, std::vector<uint32_t>({1}));
}

// Random patterns and texts over a small alphabet, so that matches, near
// misses and engine corner cases are all common.
class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  std::string Pattern() {
    static const char* const kAtoms[] = {
        "a", "b", "x", "@", "\\.", ".", "[ab]", "[^a]", "(a|b)", "(?:ab)", "^", "$", "(b)\\1",
        "\\d", "\\w", "(?i)", "(?i:a)", "\\b", "ab", "x@b", "[.]", "\\Qa.\\E", "(a+)+",
    };
    static const char* const kQuantifiers[] = {"", "", "", "*", "+", "?", "{1,2}", "*?", "+"};
    std::string pattern;
    int atoms = 1 + Below(6);
    for (int i = 0; i < atoms; ++i) {
      pattern += kAtoms[Below(sizeof kAtoms / sizeof *kAtoms)];
      pattern += kQuantifiers[Below(sizeof kQuantifiers / sizeof *kQuantifiers)];
      if (Below(12) == 0) pattern += "|";
    }
    return pattern;
  }

  std::string Line() {
    static const char kBytes[] = "abx@.1AB<> ";
    std::string line;
    int length = Below(9);
    for (int i = 0; i < length; ++i) line += kBytes[Below(sizeof kBytes - 1)];
    return line;
  }

  int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

 private:
  std::mt19937 random_;
};

TEST(LiteralPrefilter, EveryMatchContainsTheLiteral) {
  Generator generate(1);
  int proven = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = generate.Pattern();
    std::unique_ptr<Pattern> pattern;
    try {
      pattern = CompilePattern(text);
    } catch (const boost::regex_error&) {
      continue;
    }
    std::string literal = RequiredLiteral(text);
    if (literal.empty()) continue;
    ++proven;
    for (int i = 0; i < 40; ++i) {
      std::string line = generate.Line();
      bool found = false;
      try {
        found = PatternFound(*pattern, line);
      } catch (const std::runtime_error&) {
        continue;
      }
      if (found) {
        ASSERT_NE(line.find(literal), std::string::npos) << text << " on " << line;
      }
    }
  }
  EXPECT_GT(proven, 300);  // the generator must exercise the prefilter
}

struct Outcome {
  bool threw = false;
  bool result = false;
  std::string text;
  std::string log;
  bool operator==(const Outcome& o) const {
    return threw == o.threw && result == o.result && text == o.text && log == o.log;
  }
};

Outcome RunCheckList(const PatternList& list, const std::string& text, CheckMode mode) {
  Outcome outcome;
  outcome.text = text;
  RejectionLog log;
  try {
    outcome.result = CheckList(list, outcome.text, mode, log);
  } catch (const std::runtime_error&) {
    outcome.threw = true;
  }
  for (const std::string& entry : log) outcome.log += entry + "\n";
  return outcome;
}

TEST(LiteralPrefilter, CheckListAgreesWithThePlainWalk) {
  Generator generate(2);
  int compared = 0;
  for (int round = 0; round < 400; ++round) {
    PatternList list;
    int size = 1 + generate.Below(12);
    while (static_cast<int>(list.size()) < size) {
      try {
        list.push_back(CompilePattern(generate.Pattern()));
      } catch (const boost::regex_error&) {
      }
    }
    for (int i = 0; i < 10; ++i) {
      std::string text;
      int lines = generate.Below(5);
      for (int l = 0; l < lines; ++l) text += generate.Line() + (generate.Below(4) ? "\n" : "\r\n");
      for (CheckMode mode : {CheckMode::kCollect, CheckMode::kStrict}) {
        list.BuildPrefilter();
        Outcome fast = RunCheckList(list, text, mode);
        list.DropPrefilter();
        Outcome plain = RunCheckList(list, text, mode);
        // Skipping a pattern that cannot match also skips an engine error it
        // would have raised; every other outcome is the same.
        if (plain.threw) continue;
        ASSERT_TRUE(fast == plain) << "mode " << int(mode) << " text [" << text << "]";
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 5000);
}

}  // namespace
}  // namespace sendwarden
