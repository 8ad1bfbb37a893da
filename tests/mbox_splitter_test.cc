// The mbox splitter reads a stream in chunks of any size and must cut it
// exactly as a plain reading of the whole text does: generated archives,
// fed in random pieces, against a reference over the whole text.
#include "tools/check/mbox_splitter.h"

#include <gtest/gtest.h>

#include <random>

namespace sendwarden_checker {
namespace {

std::vector<SplitMessage> Split(const std::string& text, bool mbox, size_t max_header,
                                std::mt19937* random) {
  std::vector<SplitMessage> out;
  MboxSplitter splitter(mbox, max_header, [&](SplitMessage&& m) { out.push_back(std::move(m)); });
  size_t at = 0;
  while (at < text.size()) {
    size_t piece = random == nullptr ? text.size() : 1 + (*random)() % 40;
    piece = std::min(piece, text.size() - at);
    splitter.Feed(text.data() + at, piece);
    at += piece;
  }
  splitter.Finish();
  return out;
}

// The same cut, read off the whole text line by line.
std::vector<SplitMessage> Reference(const std::string& text, bool mbox, size_t max_header) {
  std::vector<SplitMessage> out;
  bool in_header = !mbox;
  bool after_empty = true;
  if (!mbox) out.push_back(SplitMessage{1, 0, "", false, false});
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(at, end - at);
    bool empty = line == "\n" || line == "\r\n";
    if (mbox && after_empty && line.compare(0, 5, "From ") == 0) {
      out.push_back(SplitMessage{out.size() + 1, at, "", false, false});
      in_header = true;
    } else if (in_header && !out.empty()) {
      SplitMessage& m = out.back();
      if (line == "\n" || line == "\r\n" || line == "\r") {
        m.headerEnded = line != "\r";
        in_header = false;
      } else if (m.header.size() + line.size() > max_header) {
        m.headerTooLong = true;
        in_header = false;
      } else {
        m.header += line;
      }
    }
    after_empty = empty;
    at = end;
  }
  return out;
}

std::string Generate(std::mt19937& random, bool mbox) {
  static const char* const kLines[] = {"To: a@x.test", "Subject: hello", " folded",
                                       "From: me@x.test", "From the body", ">From quoted",
                                       "", "\r", "x", "From ", "From", "FROM x"};
  std::string text;
  int messages = mbox ? 1 + static_cast<int>(random() % 4) : 1;
  for (int m = 0; m < messages; ++m) {
    if (mbox) text += m == 0 ? "From sender@x.test Tue Dec  1 09:00:00 2026\n"
                             : "\nFrom sender@x.test Tue Dec  1 09:00:00 2026\n";
    int lines = static_cast<int>(random() % 12);
    for (int l = 0; l < lines; ++l) {
      text += kLines[random() % (sizeof kLines / sizeof *kLines)];
      text += random() % 3 == 0 ? "\r\n" : "\n";
    }
  }
  if (random() % 3 == 0 && !text.empty()) text.pop_back();  // no final line end
  return text;
}

TEST(MboxSplitter, ChunksOfAnySizeCutAsTheWholeTextReads) {
  std::mt19937 random(12);
  int messages = 0, too_long = 0;
  for (int round = 0; round < 5000; ++round) {
    bool mbox = round % 4 != 0;
    size_t max_header = round % 5 == 0 ? 20 : 1 << 20;
    std::string text = Generate(random, mbox);
    std::vector<SplitMessage> expected = Reference(text, mbox, max_header);
    std::vector<SplitMessage> got = Split(text, mbox, max_header, &random);
    ASSERT_EQ(got.size(), expected.size()) << text;
    for (size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(text);
      EXPECT_EQ(got[i].number, expected[i].number);
      EXPECT_EQ(got[i].offset, expected[i].offset);
      EXPECT_EQ(got[i].headerTooLong, expected[i].headerTooLong);
      if (!expected[i].headerTooLong) {
        EXPECT_EQ(got[i].header, expected[i].header);
      }
      ++messages;
      too_long += got[i].headerTooLong;
    }
  }
  EXPECT_GT(messages, 8000);
  EXPECT_GT(too_long, 100);
}

}  // namespace
}  // namespace sendwarden_checker
