#include "check/recipient_check.h"

#include <gtest/gtest.h>

#include "check/rejection_notice.h"
#include "config/config_loader.h"
#include "tests/test_support.h"

namespace sendwarden {
namespace {

using testing::Entries;
using testing::Hex;

PatternList List(std::initializer_list<const char*> texts) {
  PatternList list;
  for (const char* text : texts) list.push_back(CompilePattern(text));
  return list;
}

RejectionLog Log(std::initializer_list<const char*> entries) {
  return RejectionLog(entries.begin(), entries.end());
}

TEST(CheckList, CollectKeepsEachUnallowedLineOnceInOrder) {
  PatternList list = List({"^p", "^q"});
  RejectionLog log;
  AddressLines entries = Entries("q1\nx\np2\ny\r\n\n");
  EXPECT_FALSE(CheckList(list, entries, CheckMode::kCollect, log));
  EXPECT_EQ(entries, Entries("x\ny\n"));  // CR gone from the remainder
  EXPECT_TRUE(log.empty());

  entries = Entries("p\nq\r\n");
  EXPECT_TRUE(CheckList(list, entries, CheckMode::kCollect, log));
  EXPECT_TRUE(entries.empty());
  // Any nonzero mode collects.
  entries = Entries("z\n");
  EXPECT_FALSE(CheckList(list, entries, static_cast<CheckMode>(7), log));
  EXPECT_EQ(entries, Entries("z\n"));
}

TEST(CheckList, StrictLogsOnlyTheFirstUnallowedLine) {
  PatternList list = List({"^B"});
  RejectionLog log;
  AddressLines entries = Entries("A\r\nB\nC\n");
  EXPECT_FALSE(CheckList(list, entries, CheckMode::kStrict, log));
  EXPECT_EQ(log, Log({"A"}));
  EXPECT_EQ(entries, Entries("A\r\nB\nC\n"));  // strict never rewrites
  AddressLines allowed = Entries("B1\nB2");
  EXPECT_TRUE(CheckList(list, allowed, CheckMode::kStrict, log));
}

TEST(CheckList, EmptyTextsAndEmptyLists) {
  PatternList empty;
  PatternList list = List({"x"});
  RejectionLog log;
  AddressLines entries;
  EXPECT_TRUE(CheckList(empty, entries, CheckMode::kStrict, log));
  entries = Entries("a\n");
  EXPECT_FALSE(CheckList(empty, entries, CheckMode::kStrict, log));
  EXPECT_TRUE(log.empty());  // an empty list logs nothing
  entries = Entries("\n\n\n");
  EXPECT_TRUE(CheckList(list, entries, CheckMode::kCollect, log));
  EXPECT_TRUE(entries.empty());
  entries = Entries("\n\n");
  EXPECT_FALSE(CheckList(empty, entries, CheckMode::kStrict, log));
  EXPECT_TRUE(log.empty());
  // A lone CR is a line that becomes empty and is still tested.
  PatternList empty_match = List({"^$"});
  entries = Entries("\r\n");
  EXPECT_TRUE(CheckList(empty_match, entries, CheckMode::kStrict, log));
  EXPECT_FALSE(CheckList(list, entries, CheckMode::kStrict, log));
  EXPECT_EQ(log, Log({""}));
}

TEST(CheckRule, DefaultRuleReducesEveryFieldEvenAfterOneFails) {
  RecipientRule rule;
  rule.allPatterns = List({"@ok$"});
  rule.ccPatterns = List({"^cc-only$"});
  RejectionLog log;
  AddressLines to = Entries("a@ok\nx@bad\n"), cc = Entries("cc-only\nb@ok\n"), bcc = Entries("y@bad\n");
  EXPECT_FALSE(CheckRule(rule, to, cc, bcc, CheckMode::kCollect, log));
  EXPECT_EQ(to, Entries("x@bad\n"));
  EXPECT_TRUE(cc.empty());
  EXPECT_EQ(bcc, Entries("y@bad\n"));
}

// Decisions under a real configuration.
class CheckRecipientsTest : public ::testing::Test {
 protected:
  void UseConfig(const std::string& text) {
    testing::WriteFile(path_, text);
    ASSERT_TRUE(LoadAllowConfig(path_, config_));
  }

  Verdict Check(const std::string& sender, const std::string& to, const std::string& cc = "",
                const std::string& bcc = "") {
    return CheckRecipients(config_, Recipients{sender, Entries(to), Entries(cc), Entries(bcc)});
  }

  testing::ScratchDir dir_;
  std::string path_ = dir_.File("Sendwarden.conf");
  AllowConfig config_;
};

TEST_F(CheckRecipientsTest, EmptyFields) {
  UseConfig("[^ops]\nTO=never\n");
  EXPECT_TRUE(Check("ops@x", "").allowed);  // a section applies
  Verdict refused = Check("dev@x", "");      // none applies
  EXPECT_FALSE(refused.allowed);
  EXPECT_TRUE(refused.rejectionLog.empty());

  UseConfig("TO=never\n");
  EXPECT_TRUE(Check("anyone", "").allowed);
  EXPECT_EQ(Check("anyone", "").allowedBy, Decider::kDefaultRule);
}

TEST_F(CheckRecipientsTest, SectionSeesOnlyWhatTheDefaultRuleLeft) {
  UseConfig("ALL=^A$\n[^me$]\nTO=^B$\n");
  Verdict allowed = Check("me", "A\nB\n");
  EXPECT_TRUE(allowed.allowed);
  EXPECT_EQ(allowed.allowedBy, Decider::kSection);
  EXPECT_TRUE(allowed.rejectionLog.empty());
  EXPECT_EQ(Check("me", "A\nC\n").rejectionLog, Log({"C"}));
}

TEST_F(CheckRecipientsTest, SectionsAreTriedInFileOrder) {
  UseConfig("[^s]\nTO=^B$\n[^s]\nTO=^A$\n[^s-all]\nTO=.\n");
  Verdict allowed = Check("s-all", "A\nB\n");
  EXPECT_TRUE(allowed.allowed);
  EXPECT_EQ(allowed.section, 2u);
  EXPECT_TRUE(allowed.rejectionLog.empty());  // entries of failed sections are dropped on allow
  EXPECT_EQ(Check("s", "A\nB\n").rejectionLog, Log({"A", "B"}));
}

TEST_F(CheckRecipientsTest, ASectionStopsAtItsFirstFailingField) {
  UseConfig("[^me$]\nTO=^t$\nCC=^c$\nBCC=^b$\n");
  EXPECT_EQ(Check("me", "bad-to\n", "bad-cc\n", "bad-bcc\n").rejectionLog, Log({"bad-to"}));
}

TEST_F(CheckRecipientsTest, EmptyOwnListFailsWithoutNamingAnyone) {
  UseConfig("[^me$]\nALL=@ok$\nTO=^x$\n");
  Verdict verdict = Check("me", "a@ok\n", "c@other\n");
  EXPECT_FALSE(verdict.allowed);
  EXPECT_TRUE(verdict.rejectionLog.empty());
}

TEST_F(CheckRecipientsTest, TwoSectionsFailingOnTheSameAddressNameItTwice) {
  UseConfig("[^me$]\nTO=^ok$\n[me]\nTO=^ok$\n");
  EXPECT_EQ(Check("me", "ok\nb@x.test\r\n").rejectionLog, Log({"b@x.test", "b@x.test"}));
}

TEST_F(CheckRecipientsTest, PatternsAreSearchedNotMatchedWhole) {
  UseConfig("[x]\nALL=ok\n[^$]\nALL=.\n");
  EXPECT_TRUE(Check("a x b", "not ok really\n").allowed);
  EXPECT_FALSE(Check("abc", "z\n").allowed);
  EXPECT_TRUE(Check("", "z\n").allowed);  // only ^$ applies to ""
}

// The trace says, for each rule, what allowed each entry and where a section
// stopped; a section allows all or nothing, so two sections that each allow
// one of two entries refuse.
TEST_F(CheckRecipientsTest, TraceFollowsEachRule) {
  UseConfig("ALL=^home$\n[^me$]\nTO=^a$\n[^me$]\nTO=^b$\n[^other$]\nTO=.\n");
  CheckTrace trace;
  Verdict verdict = CheckRecipients(config_, Recipients{"me", Entries("home\na\nb\n"), {}, {}}, &trace);
  EXPECT_FALSE(verdict.allowed);
  ASSERT_EQ(trace.rules.size(), 4u);
  const RuleTrace& rule = trace.rules[0];
  EXPECT_TRUE(rule.isDefault);
  ASSERT_EQ(rule.entries.size(), 3u);
  EXPECT_EQ(rule.entries[0].allowedBy->line, 1u);
  EXPECT_TRUE(rule.entries[0].byAll);
  EXPECT_EQ(rule.entries[1].allowedBy, nullptr);
  const RuleTrace& first = trace.rules[1];
  ASSERT_EQ(first.entries.size(), 2u);  // allowed a, stopped at b
  EXPECT_EQ(first.entries[0].allowedBy->line, 3u);
  EXPECT_EQ(first.entries[1].entry, "b");
  EXPECT_EQ(first.entries[1].allowedBy, nullptr);
  EXPECT_TRUE(first.named);
  EXPECT_EQ(trace.rules[2].entries[0].entry, "a");  // stopped at once
  EXPECT_FALSE(trace.rules[3].applies);
  EXPECT_EQ(verdict.rejectionLog, Log({"b", "a"}));
}

TEST(NoticeText, BytesOfBothTexts) {
  EXPECT_EQ(Hex(NoticeText(Log({"b@x.test", "b@x.test"}))),
            "8b9689c282b382ea82c482a282c882a283418368838c8358"  // head
            "28"
            "6240782e746573740a6240782e746573740a"  // b@x.test twice
            "2982aa82a082e882dc82b78142814281420d0a"  // middle
            "9197904d90e682f08ca992bc82b782a9814190dd92e82853656e6477617264656e2e636f6e66"
            "2982f08ca992bc82b582c482ad82be82b382a28142");  // tail
  EXPECT_EQ(Hex(NoticeText({})),
            "82c882f182a991ca96da82c582b78142814281420d0a9197904d90e682f08ca992bc82b782a981"
            "4190dd92e82853656e6477617264656e2e636f6e662982f08ca992bc82b582c482ad82be82b382"
            "a28142");
  EXPECT_EQ(std::string(kNoticeCaption), "Sendwarden");
}

}  // namespace
}  // namespace sendwarden
