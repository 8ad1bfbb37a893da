#include "config/config_loader.h"

#include <gtest/gtest.h>

#include <random>

#include "config/rule_store.h"
#include "tests/test_support.h"

namespace sendwarden {
namespace {

using testing::DumpStore;
using testing::ScratchDir;
using testing::WriteFile;

class ConfigLoaderTest : public ::testing::Test {
 protected:
  // Loads `bytes` as a configuration file and returns the store's dump.
  std::string Load(const std::string& bytes) {
    WriteFile(path_, bytes);
    EXPECT_TRUE(LoadAllowConfig(path_, config_));
    return DumpStore(config_);
  }

  ScratchDir dir_;
  std::string path_ = dir_.File("Sendwarden.conf");
  AllowConfig config_;
};

TEST_F(ConfigLoaderTest, ExampleFileGivesTheDocumentedStore) {
  const std::string file =
      "#every sender\n"
      "ALL = [.]test$\n"
      "bcc=^archive-\n"
      "\n"
      "[^ops-]\n"
      "TO=^oncall-\n"
      "Cc = ^lead=team$\n"
      "NOTE=ignored\n"
      "\n"
      "[^nobody$]\n"
      "\n"
      "[^sales-]\n"
      "to=^customer-\n";
  const char* expected =
      "default\n"
      "  ALL [[.]test$]\n"
      "  BCC [^archive-]\n"
      "[^ops-]\n"
      "  TO [^oncall-]\n"
      "  CC [^lead=team$]\n"
      "[^sales-]\n"
      "  TO [^customer-]\n";
  EXPECT_EQ(Load(file), expected);
  // CR LF line ends give the same store, and a second load replaces the first.
  std::string crlf;
  for (char c : file) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(Load(crlf), expected);
}

TEST_F(ConfigLoaderTest, KeysAndValues) {
  EXPECT_EQ(Load("all=a\nAll = b\n\tTO \t=\t c d \nTO==x\n"),
            "default\n  ALL [a] [b]\n  TO [c d] [=x]\n");
  // Empty key, empty value, no "=", blanks only, unknown keys.
  EXPECT_EQ(Load("=x\nTO=\nTO=  \nTO\n \t \nFROM=x\nTOO=x\n"), "");
}

// A mistake in a header narrows what is allowed, never widens it: a header
// with blanks around its brackets (or behind a byte-order mark) is read as
// one, and the rule lines under a broken one allow nothing.
TEST_F(ConfigLoaderTest, HeadersAndBrokenHeaders) {
  EXPECT_EQ(Load("[ x ]\nTO=a\n"), "[ x ]\n  TO [a]\n");
  EXPECT_EQ(Load("TO=a\n \t[s] \r\nCC=b\n"), "default\n  TO [a]\n[s]\n  CC [b]\n");
  // "[]", a missing "]", text after it, a missing "[": the lines under it
  // are dropped up to the next header; "[s]=x" is a rule line.
  for (const char* broken : {"[]", "[s", "[s] x", "s]", " [ "}) {
    SCOPED_TRACE(broken);
    EXPECT_EQ(Load(std::string("TO=a\n") + broken + "\nCC=b\n[t]\nBCC=c\n"),
              "default\n  TO [a]\n[t]\n  BCC [c]\n");
  }
  // Also a line that begins with "[" and holds "=", a header typed with
  // full-width brackets, a blank name, or parentheses for brackets.
  for (const char* broken : {"[s]=x", "[s] # sales = eigyo", "\x81\x6Ds\x81\x6E", "[ ]",
                             "(s)"}) {
    SCOPED_TRACE(broken);
    EXPECT_EQ(Load(std::string("TO=a\n") + broken + "\nCC=b\n"), "default\n  TO [a]\n");
  }
  // A rule line's pattern may end in "]" or be wrapped in parentheses.
  EXPECT_EQ(Load("TO=[ab]\nCC=(c)\n"), "default\n  TO [[ab]]\n  CC [(c)]\n");
  // "#" counts only as the first byte.
  EXPECT_EQ(Load("#ALL=x\n #ALL=y\n # note\nALL=z\n"), "default\n  ALL [z]\n");
}

TEST_F(ConfigLoaderTest, SectionsWithoutRulesOrWithBadNamesLeaveNothing) {
  EXPECT_EQ(Load("[a]\n[b]\nTO=x\n[(]\nTO=y\n[c]\nTO=z\n"), "[b]\n  TO [x]\n[c]\n  TO [z]\n");
  // Same name twice: two sections, in file order.
  EXPECT_EQ(Load("[s]\nTO=1\n[s]\nTO=2\n"), "[s]\n  TO [1]\n[s]\n  TO [2]\n");
  EXPECT_EQ(config_.defaultRule, nullptr);
}

TEST_F(ConfigLoaderTest, BadPatternIsDroppedAndItsNeighboursLoad) {
  EXPECT_EQ(Load("ALL=a\nALL=(\nALL=b\n"), "default\n  ALL [a] [b]\n");
}

TEST_F(ConfigLoaderTest, ByteLevelReadingRules) {
  // Two CRs keep one: the pattern ends in CR; the header is still a header.
  EXPECT_EQ(Load("ALL=a\r\r\n[s]\r\r\nTO=b\r\n"), "default\n  ALL [a\r]\n[s]\n  TO [b]\n");
  // A byte-order mark belongs to the first line, but a header behind it is
  // a header.
  EXPECT_EQ(Load("\xEF\xBB\xBF[s]\nTO=a\n"), "[s]\n  TO [a]\n");
  EXPECT_EQ(Load("\xEF\xBB\xBFTO=a\nCC=b\n"), "default\n  CC [b]\n");
  // 0x1A ends the input, and a line it cuts is dropped; the last line needs
  // no line feed.
  EXPECT_EQ(Load("TO=a\nCC=b\x1A\nBCC=c\n"), "default\n  TO [a]\n");
  EXPECT_EQ(Load("TO=a\nCC=b\n\x1A\nBCC=c\n"), "default\n  TO [a]\n  CC [b]\n");
  // A CR alone inside a line, where other readers end it: the rule line is
  // dropped, and a header after it is a broken one.
  EXPECT_EQ(Load("TO=a\rb\nCC=c\n"), "default\n  CC [c]\n");
  EXPECT_EQ(Load("TO=a\n# note\r[s]\nCC=c\n[t]\nBCC=d\n"), "default\n  TO [a]\n[t]\n  BCC [d]\n");
  // A NUL byte is part of the pattern, which is compiled by length.
  EXPECT_EQ(Load(std::string("TO=a\0b\n", 7)), std::string("default\n  TO [a\0b]\n", 19));
}

TEST_F(ConfigLoaderTest, EmptyAndCommentOnlyFilesGiveAnEmptyStore) {
  EXPECT_EQ(Load(""), "");
  EXPECT_EQ(Load("# nothing\n\n#\n"), "");
}

TEST_F(ConfigLoaderTest, UnreadableFileEmptiesTheStoreAndForgetsItsTime) {
  Load("TO=a\n");
  ASSERT_TRUE(config_.file.lastWriteTime.has_value());
  EXPECT_FALSE(LoadAllowConfig(dir_.File("missing.conf"), config_));
  EXPECT_EQ(DumpStore(config_), "");
  EXPECT_EQ(config_.file.path, dir_.File("missing.conf"));
  EXPECT_FALSE(config_.file.lastWriteTime.has_value());

  std::filesystem::create_directory(dir_.File("folder.conf"));
  EXPECT_FALSE(LoadAllowConfig(dir_.File("folder.conf"), config_));
  EXPECT_FALSE(config_.file.lastWriteTime.has_value());
}

TEST_F(ConfigLoaderTest, HostileInputNeverStopsTheLoad) {
  std::mt19937 random(7);
  std::string noise;
  while (noise.size() < 200000) {
    char c = static_cast<char>(random());
    if (c != '\x1A') noise += c;  // 0x1A would end the input
  }
  // 10 MB: long comments with a pattern every hundred lines.
  std::string big;
  const std::string comment = "#" + std::string(1000, 'c') + "\n";
  for (int i = 0; big.size() < (10u << 20); ++i) {
    big += i % 100 == 0 ? "ALL=^user" + std::to_string(i) + "@x\\.test$\n" : comment;
  }
  std::string long_line = "TO=" + std::string(1 << 20, 'a') + "\n";

  for (const std::string& middle : {noise, big, long_line}) {
    std::string store = Load("CC=first\n" + middle + "\n[^final$]\nBCC=last\n");
    EXPECT_NE(store.find("CC [first]"), std::string::npos);
    EXPECT_NE(store.find("BCC [last]"), std::string::npos);
  }
}

TEST(SplitKeyValue, TrimsAndNeedsBothHalves) {
  std::string key, value;
  EXPECT_TRUE(SplitKeyValue(" a = b=c ", "=", key, value));
  EXPECT_EQ(key, "a");
  EXPECT_EQ(value, "b=c");
  EXPECT_FALSE(SplitKeyValue("a=", "=", key, value));
  EXPECT_EQ(key, "");
  EXPECT_FALSE(SplitKeyValue("a= ", "=", key, value));
  EXPECT_EQ(key, "a");
  EXPECT_FALSE(SplitKeyValue("ab", "=", key, value));
}

// The observer hears every dropped line with its number and reason.
TEST_F(ConfigLoaderTest, ObserverHearsEveryDroppedLine) {
  struct Recorder : LoadObserver {
    std::string log;
    void LineDropped(size_t number, const std::string&, DropReason reason,
                     const std::string& detail) override {
      log += std::to_string(number) + ":" + std::to_string(static_cast<int>(reason)) +
             (detail.empty() ? "" : "+") + " ";
    }
    void SectionEnded(size_t line, const std::string&, bool had, bool stored) override {
      log += "S" + std::to_string(line) + (had ? "r" : "") + (stored ? "s" : "") + " ";
    }
  } observer;
  WriteFile(path_, "TO=a\nnothing\nTO=\nALL=(\nX=y\n[(]\nTO=b\n[ok]\n");
  EXPECT_TRUE(LoadAllowConfig(path_, config_, &observer));
  EXPECT_EQ(observer.log, "2:0 3:1 4:2+ 5:3+ S0rs S6r S8 ");
}

}  // namespace
}  // namespace sendwarden
