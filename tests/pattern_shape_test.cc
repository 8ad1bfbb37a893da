// Patterns of a recognised shape are decided without the engine; every answer
// must be the engine's. Generated patterns of those shapes and of near misses,
// and texts built from the same pieces, are tested both ways; then whole
// configurations are loaded both ways and must give the same verdicts,
// notices and dropped lines.
#include "config/pattern_shape.h"

#include <gtest/gtest.h>


#include "check/recipient_check.h"
#include "config/pattern_list.h"
#include "config/config_loader.h"
#include "tests/random_picker.h"
#include "tests/test_support.h"

namespace sendwarden {
namespace {

class Generator : public testing::RandomPicker {
 public:
  using RandomPicker::RandomPicker;

  std::string Pattern() {
    static const char* const kStarts[] = {"",        "",         "^",      "(^|<)",   "^(.*<)?",
                                          "(?:^|<)", "^(?:.*<)?", "(^|<",  "^(.*<)", "<",
                                          "(<|^)",   "^^",        "\\^",   "(.*<)?",
                                          "(?i)",    "(?i)^",     "(?i)(^|<)", "(?i)^(.*<)?",
                                          "(?i)(?:^|<)", "(?-i)",   "(?s)",   "(?i)(?i)",
                                          "(?i)*",   "^(?i)"};
    static const char* const kAtoms[] = {
        "a", "b", "@", "x", ".", "\\.", "\\-", "-", "\\\\", "\\$", ">", "<", " ", "\\ ", "_",
        "\\@", "\xe4", "\x82\x5c", "\x95\\@", "\x82\xa0", "\\<", "\\>", "\\x41", "?", "*", "|",
        "(", "[a]", "\\d", "#", "=", "\\Q", "a{2}", "A", "X", "\\A", "\x5b", "\x60"};
    static const char* const kEnds[] = {"$", "$", ">?$", ">?$", ">$", "\\$", ">?", "", "$$",
                                        "?$", "\\>?$", ">*$", "\\\\$", "$)"};
    std::string pattern = Pick(kStarts);
    int atoms = Below(5);
    for (int i = 0; i < atoms; ++i) pattern += Pick(kAtoms);
    return pattern + Pick(kEnds);
  }

  std::string Text() {
    static const char* const kPieces[] = {"a", "b", "@", "x", ".", "-", "\\", "$", ">", "<",
                                          " ", "_", "\xe4", "\x82\x5c", "\x95@", "\x82\xa0",
                                          "Name ", "\r", "\n", "\x0c", "ab@x.", "a@b",
                                          "A", "B", "X", "AB@X.", "\x82" "A", "[", "`", "\xc4", "\xef"};
    return Joined(kPieces, 9);
  }
};

TEST(PatternShape, EveryShapeAnswersAsTheEngineDoes) {
  Generator generate(16);
  int recognised = 0, folded = 0, compared = 0, found = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text = generate.Pattern();
    std::optional<PatternShape> shape = RecognizeShape(text);
    std::unique_ptr<Pattern> engine;
    try {
      engine = CompilePattern(text);
    } catch (const boost::regex_error&) {
      ASSERT_FALSE(shape) << "a shape the engine rejects: [" << text << "]";
      continue;
    }
    if (!shape) continue;
    ++recognised;
    folded += shape->ignoreCase;
    for (int i = 0; i < 30; ++i) {
      std::string subject = generate.Text();
      // Texts that hold the literal where it matters, too.
      if (i % 3 == 0) subject += shape->literal + (i % 2 ? ">" : "");
      if (i % 5 == 0) subject = generate.Text() + "<" + shape->literal;
      if (i % 7 == 0) {
        for (char& c : subject) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
      }
      bool expected = PatternFound(*engine, subject);
      ASSERT_EQ(ShapeFound(shape->start, shape->end, shape->literal, shape->ignoreCase, subject), expected)
          << "pattern [" << text << "] on [" << subject << "]";
      ++compared;
      found += expected;
    }
  }
  EXPECT_GT(recognised, 1500);
  EXPECT_GT(folded, 200);
  EXPECT_GT(found, compared / 10);
  std::printf("%d shapes recognised, %d texts compared, %d found\n", recognised, compared, found);
}

// The list's hash finds the first shape a walk over the list would find.
// Short literals over three letters, so that lists hold the same literal
// under several starts and ends, and literals that end others.
TEST(PatternShape, TheIndexFindsTheFirstShapeAWalkFinds) {
  testing::RandomPicker random(18);
  auto literal = [&] {
    std::string text;
    for (int i = 1 + random.Below(4); i > 0; --i) text += "abAB@"[random.Below(5)];
    return text;
  };
  static const char* const kStarts[] = {"", "^", "(^|<)", "^(.*<)?",
                                        "(?i)", "(?i)^", "(?i)(^|<)", "(?i)^(.*<)?"};
  static const char* const kEnds[] = {"$", ">?$"};
  static const char* const kAround[][2] = {{"", ""},  {"<", ">"}, {"N <", ">"}, {"", ">"},
                                           {"x", ""}, {"<", ""},  {"", ">>"},   {"<<", ">"}};
  int found = 0;
  for (int round = 0; round < 2000; ++round) {
    PatternList list;
    for (int i = 1 + random.Below(30); i > 0; --i) {
      std::string text = std::string(kStarts[random.Below(8)]) + literal() + kEnds[random.Below(2)];
      std::optional<PatternShape> shape = RecognizeShape(text);
      ASSERT_TRUE(shape) << text;
      list.push_back(std::move(*shape), text);
    }
    list.BuildIndex();
    for (int t = 0; t < 20; ++t) {
      const char* const* around = kAround[random.Below(8)];
      std::string subject = around[0] + literal() + around[1];
      uint32_t expected = PatternList::kNone;
      for (uint32_t i = 0; i < list.size(); ++i) {
        const PatternList::Entry& entry = list.entry(i);
        if (ShapeFound(entry.start, entry.end, entry.literal, entry.ignoreCase, subject)) {
          expected = i;
          break;
        }
      }
      ASSERT_EQ(list.FirstShapeFound(subject), expected) << "text [" << subject << "]";
      found += expected != PatternList::kNone;
    }
  }
  EXPECT_GT(found, 9000);
}

// A configuration of shapes, near misses and general patterns, loaded with
// and without the shortcut: every verdict and notice, and every dropped
// line, must be the same.
TEST(PatternShape, ConfigurationsAnswerAsWithTheEngineForEveryPattern) {
  struct Recorder : LoadObserver {
    std::string log;
    void LineDropped(size_t number, const std::string&, DropReason reason,
                     const std::string& detail) override {
      log += std::to_string(number) + ":" + std::to_string(static_cast<int>(reason)) + detail + " ";
    }
  };
  Generator generate(17);
  testing::ScratchDir dir;
  const std::string path = dir.File("Sendwarden.conf");
  int compared = 0, allowed = 0;
  for (int round = 0; round < 300; ++round) {
    static const char* const kKeys[] = {"ALL", "TO", "CC", "BCC", "FROM"};
    std::string config;
    int lines = 1 + generate.Below(25);
    for (int i = 0; i < lines; ++i) {
      if (generate.Below(8) == 0) config += "[" + generate.Pattern() + "]\n";
      config += std::string(kKeys[generate.Below(5)]) + "=" + generate.Pattern() + "\n";
    }
    testing::WriteFile(path, config);
    AllowConfig fast, engine;
    Recorder fast_drops, engine_drops;
    LoadAllowConfig(path, fast, &fast_drops);
    LoadAllowConfig(path, engine, &engine_drops, LoadOptions{true});
    ASSERT_EQ(fast_drops.log, engine_drops.log) << config;
    ASSERT_EQ(testing::DumpStore(fast), testing::DumpStore(engine)) << config;
    for (int m = 0; m < 10; ++m) {
      Recipients recipients;
      recipients.sender = generate.Text();
      for (Field field : kAddressFields) {
        int entries = generate.Below(4);
        for (int e = 0; e < entries; ++e) recipients.Lines(field).push_back(generate.Text());
      }
      Verdict a = CheckRecipients(fast, recipients);
      Verdict b = CheckRecipients(engine, recipients);
      ASSERT_EQ(a.allowed, b.allowed) << config;
      ASSERT_EQ(a.rejectionLog, b.rejectionLog) << config;
      ASSERT_EQ(a.section, b.section) << config;
      ++compared;
      allowed += a.allowed;
    }
  }
  EXPECT_GT(allowed, compared / 10);
  EXPECT_LT(allowed, compared * 9 / 10);
}

}  // namespace
}  // namespace sendwarden
