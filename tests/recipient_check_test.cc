#include "check/recipient_check.h"

#include <gtest/gtest.h>

#include "check/rejection_notice.h"
#include "config/config_loader.h"
#include "tests/test_support.h"

namespace sendwarden {
namespace {

using testing::BoxRecorder;
using testing::Hex;

PatternList List(std::initializer_list<const char*> texts) {
  PatternList list;
  for (const char* text : texts) list.push_back(CompilePattern(text));
  return list;
}

class CheckListTest : public ::testing::Test {
 protected:
  void SetUp() override { RejectionLog().clear(); }
  void TearDown() override { RejectionLog().clear(); }
};

TEST_F(CheckListTest, CollectKeepsEachUnallowedLineOnceInOrder) {
  PatternList list = List({"^p", "^q"});
  std::string text = "q1\nx\np2\ny\r\n\n";
  EXPECT_FALSE(CheckList(list, text, Collect));
  EXPECT_EQ(text, "x\ny\n");  // CR gone from the remainder
  EXPECT_EQ(RejectionLog(), "");

  text = "p\nq\r\n";
  EXPECT_TRUE(CheckList(list, text, Collect));
  EXPECT_EQ(text, "");
  // Any nonzero mode collects.
  text = "z\n";
  EXPECT_FALSE(CheckList(list, text, static_cast<CheckMode>(7)));
  EXPECT_EQ(text, "z\n");
}

TEST_F(CheckListTest, StrictLogsOnlyTheFirstUnallowedLine) {
  PatternList list = List({"^B"});
  std::string text = "A\r\nB\nC\n";
  EXPECT_FALSE(CheckList(list, text, Strict));
  EXPECT_EQ(RejectionLog(), "A\n");
  EXPECT_EQ(text, "A\r\nB\nC\n");  // strict never rewrites
  std::string allowed = "B1\nB2";
  EXPECT_TRUE(CheckList(list, allowed, Strict));
}

TEST_F(CheckListTest, EmptyTextsAndEmptyLists) {
  PatternList empty;
  PatternList list = List({"x"});
  std::string text;
  EXPECT_TRUE(CheckList(empty, text, Strict));
  text = "a\n";
  EXPECT_FALSE(CheckList(empty, text, Strict));
  EXPECT_EQ(RejectionLog(), "");  // an empty list logs nothing
  text = "\n\n\n";
  EXPECT_TRUE(CheckList(list, text, Collect));
  EXPECT_EQ(text, "");
  text = "\n\n";
  EXPECT_FALSE(CheckList(empty, text, Strict));
  EXPECT_EQ(RejectionLog(), "");
  // A lone CR is a line that becomes empty and is still tested.
  PatternList empty_match = List({"^$"});
  text = "\r\n";
  EXPECT_TRUE(CheckList(empty_match, text, Strict));
  text = "\r\n";
  EXPECT_FALSE(CheckList(list, text, Strict));
  EXPECT_EQ(RejectionLog(), "\n");
}

TEST_F(CheckListTest, DefaultRuleReducesEveryFieldEvenAfterOneFails) {
  RecipientRule rule;
  rule.allPatterns = List({"@ok$"});
  rule.ccPatterns = List({"^cc-only$"});
  std::string to = "a@ok\nx@bad\n", cc = "cc-only\nb@ok\n", bcc = "y@bad\n";
  EXPECT_FALSE(CheckRule(rule, to, cc, bcc, Collect));
  EXPECT_EQ(to, "x@bad\n");
  EXPECT_EQ(cc, "");
  EXPECT_EQ(bcc, "y@bad\n");
}

// Recipient decisions under a real configuration, with every box recorded.
class CheckRecipientsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ResetStore();
    RejectionLog().clear();
    MainWindow() = nullptr;
  }
  void TearDown() override { MainWindow() = nullptr; }

  void UseConfig(const std::string& text) {
    testing::WriteFile(path_, text);
    ASSERT_TRUE(LoadAllowConfig(path_));
  }

  // The one box the last refusal showed, as addresses between the parentheses
  // ("" for the general text).
  std::string NamedAddresses() {
    EXPECT_EQ(boxes_.boxes().size(), 1u);
    if (boxes_.boxes().empty()) return "?";
    const std::string& text = boxes_.boxes().back().text;
    if (text == kNoticeGeneralText) return "";
    size_t open = text.find('(');
    size_t close = text.find(")\x82\xaa");
    return text.substr(open + 1, close - open - 1);
  }

  testing::ScratchDir dir_;
  std::string path_ = dir_.File("Sendwarden.conf");
  BoxRecorder boxes_;
};

TEST_F(CheckRecipientsTest, EmptyFields) {
  UseConfig("[^ops]\nTO=never\n");
  EXPECT_TRUE(CheckRecipients("ops@x", "", "", ""));  // a section applies
  EXPECT_FALSE(CheckRecipients("dev@x", "", "", ""));  // none applies
  EXPECT_EQ(NamedAddresses(), "");

  UseConfig("TO=never\n");
  EXPECT_TRUE(CheckRecipients("anyone", "", "", ""));
}

TEST_F(CheckRecipientsTest, SectionSeesOnlyWhatTheDefaultRuleLeft) {
  UseConfig("ALL=^A$\n[^me$]\nTO=^B$\n");
  EXPECT_TRUE(CheckRecipients("me", "A\nB\n", "", ""));
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(RejectionLog(), "");

  EXPECT_FALSE(CheckRecipients("me", "A\nC\n", "", ""));
  EXPECT_EQ(NamedAddresses(), "C\n");
  EXPECT_EQ(RejectionLog(), "");  // emptied by the notice
}

TEST_F(CheckRecipientsTest, NoticeBytesOwnerCaptionAndStyle) {
  UseConfig("[^me$]\nTO=^ok$\n[me]\nTO=^ok$\n");
  MainWindow() = reinterpret_cast<WindowHandle>(0x1234);
  EXPECT_FALSE(CheckRecipients("me", "ok\nb@x.test\r\n", "", ""));
  ASSERT_EQ(boxes_.boxes().size(), 1u);
  const testing::RecordedBox& box = boxes_.boxes()[0];
  EXPECT_EQ(box.owner, reinterpret_cast<WindowHandle>(0x1234));
  EXPECT_EQ(box.caption, "Sendwarden");
  EXPECT_EQ(box.style, 0u);
  // Two sections failed on the same address: it is named twice.
  EXPECT_EQ(Hex(box.text),
            "8b9689c282b382ea82c482a282c882a283418368838c8358"  // head
            "28"
            "6240782e746573740a6240782e746573740a"  // b@x.test twice
            "2982aa82a082e882dc82b78142814281420d0a"  // middle
            "9197904d90e682f08ca992bc82b782a9814190dd92e82853656e6477617264656e2e636f6e66"
            "2982f08ca992bc82b582c482ad82be82b382a28142");  // tail
}

TEST_F(CheckRecipientsTest, GeneralTextBytesAndNoOwnerBeforeStart) {
  EXPECT_FALSE(CheckRecipients("me", "a\n", "", ""));  // empty store
  ASSERT_EQ(boxes_.boxes().size(), 1u);
  EXPECT_EQ(boxes_.boxes()[0].owner, nullptr);
  EXPECT_EQ(Hex(boxes_.boxes()[0].text),
            "82c882f182a991ca96da82c582b78142814281420d0a9197904d90e682f08ca992bc82b782a981"
            "4190dd92e82853656e6477617264656e2e636f6e662982f08ca992bc82b582c482ad82be82b382"
            "a28142");
}

TEST_F(CheckRecipientsTest, SectionsAreTriedInFileOrder) {
  UseConfig("[^s]\nTO=^B$\n[^s]\nTO=^A$\n[^s-all]\nTO=.\n");
  EXPECT_TRUE(CheckRecipients("s-all", "A\nB\n", "", ""));
  EXPECT_EQ(RejectionLog(), "");  // entries of failed sections are dropped on allow
  EXPECT_FALSE(CheckRecipients("s", "A\nB\n", "", ""));
  EXPECT_EQ(NamedAddresses(), "A\nB\n");
}

TEST_F(CheckRecipientsTest, ASectionStopsAtItsFirstFailingField) {
  UseConfig("[^me$]\nTO=^t$\nCC=^c$\nBCC=^b$\n");
  EXPECT_FALSE(CheckRecipients("me", "bad-to\n", "bad-cc\n", "bad-bcc\n"));
  EXPECT_EQ(NamedAddresses(), "bad-to\n");
}

TEST_F(CheckRecipientsTest, EmptyOwnListFailsWithoutNamingAnyone) {
  UseConfig("[^me$]\nALL=@ok$\nTO=^x$\n");
  EXPECT_FALSE(CheckRecipients("me", "a@ok\n", "c@other\n", ""));
  EXPECT_EQ(NamedAddresses(), "");
}

TEST_F(CheckRecipientsTest, EachNoticeNamesOnlyItsOwnCheck) {
  UseConfig("ALL=^ok$\n[^me$]\nTO=^ok2$\n");
  EXPECT_FALSE(CheckRecipients("me", "A\n", "", ""));
  EXPECT_TRUE(CheckRecipients("me", "ok\n", "", ""));
  EXPECT_FALSE(CheckRecipients("me", "B\n", "", ""));
  ASSERT_EQ(boxes_.boxes().size(), 2u);
  EXPECT_NE(boxes_.boxes()[1].text.find("(B\n)"), std::string::npos);
  EXPECT_EQ(boxes_.boxes()[1].text.find("A\n"), std::string::npos);
}

TEST_F(CheckRecipientsTest, PatternsAreSearchedNotMatchedWhole) {
  UseConfig("[x]\nALL=ok\n[^$]\nALL=.\n");
  EXPECT_TRUE(CheckRecipients("a x b", "not ok really\n", "", ""));
  EXPECT_FALSE(CheckRecipients("abc", "z\n", "", ""));
  EXPECT_TRUE(CheckRecipients("", "z\n", "", ""));  // only ^$ applies to ""
}

}  // namespace
}  // namespace sendwarden
