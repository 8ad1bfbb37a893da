// The mbox splitter reads a stream in chunks of any size and must cut it
// exactly as a plain reading of the whole text does: generated archives
// (mboxes, .bmf files, single messages), fed in random pieces, against a
// reference over the whole text. A file is taken for an mbox exactly when it
// is one, whatever empty lines come first, and a message file never is.
#include "tools/sendwarden-check/mbox_splitter.h"
#include "tests/random_picker.h"

#include <gtest/gtest.h>


namespace sendwarden_checker {
namespace {

std::vector<SplitMessage> Split(const std::string& text, Framing framing, size_t max_header,
                                sendwarden::testing::RandomPicker* random) {
  std::vector<SplitMessage> out;
  MboxSplitter splitter(framing, max_header,
                        [&](SplitMessage&& m) { out.push_back(std::move(m)); });
  size_t at = 0;
  while (at < text.size()) {
    size_t piece = random == nullptr ? text.size() : 1 + random->Below(40);
    piece = std::min(piece, text.size() - at);
    splitter.Feed(text.data() + at, piece);
    at += piece;
  }
  splitter.Finish();
  return out;
}

// The same cut, read off the whole text line by line.
std::vector<SplitMessage> Reference(const std::string& text, Framing framing,
                                    size_t max_header) {
  std::vector<SplitMessage> out;
  bool open = false;       // a message is being read
  bool in_header = false;
  bool blank_only = false;  // every line of the open message is empty
  bool after_empty = true;
  auto start = [&](size_t at) {
    out.push_back(SplitMessage{out.size() + 1, at, "", false, false});
    open = in_header = true;
    blank_only = true;
  };
  if (framing == Framing::kMessage) start(0);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    bool line_end = end != std::string::npos;
    end = line_end ? end + 1 : text.size();
    std::string line = text.substr(at, end - at);
    bool empty = line == "\n" || line == "\r\n";
    std::string content = line_end ? line.substr(0, line.size() - 1) : line;
    if (!content.empty() && content.back() == '\r') content.pop_back();
    if (framing == Framing::kMbox && after_empty && line.compare(0, 5, "From ") == 0) {
      start(at);
      blank_only = false;
    } else if (framing == Framing::kBmf && content == ".") {
      open = false;
    } else {
      if (framing == Framing::kBmf && !open) start(at);
      if (open && in_header) {
        SplitMessage& m = out.back();
        if (empty) {
          m.headerEnded = true;
          m.header += line;  // kept with the block
          in_header = false;
        } else if (!line_end && line == "\r") {
        } else if (m.header.size() + line.size() > max_header) {
          m.headerTooLong = true;
          in_header = false;
        } else {
          m.header += line;
        }
      }
      if (!empty) blank_only = false;
    }
    after_empty = empty;
    at = end;
  }
  // Empty lines after a .bmf's last message are none.
  if (framing == Framing::kBmf && open && blank_only) out.pop_back();
  return out;
}

Framing Pick(sendwarden::testing::RandomPicker& random) {
  switch (random.Below(4)) {
    case 0: return Framing::kMessage;
    case 1: return Framing::kMbox;
    default: return Framing::kBmf;
  }
}

std::string Generate(sendwarden::testing::RandomPicker& random, Framing framing) {
  static const char* const kLines[] = {
      "To: a@x.test", "Subject: hello", " folded", "From: me@x.test", "From the body",
      ">From quoted", "", "", "\r", "x", "From ", "From", "FROM x", ".", "..", "...", ". ",
      "..From stuffed", ".x", "X-Becky-Include: C:\\att\\1.pdf", "X-Becky-Include: "};
  std::string text;
  int messages = framing != Framing::kMessage ? 1 + random.Below(4) : 1;
  for (int m = 0; m < messages; ++m) {
    if (framing == Framing::kMbox) {
      text += m == 0 ? "From sender@x.test Tue Dec  1 09:00:00 2026\n"
                     : "\nFrom sender@x.test Tue Dec  1 09:00:00 2026\n";
    }
    int lines = random.Below(12);
    for (int l = 0; l < lines; ++l) {
      text += kLines[random.Below(sizeof kLines / sizeof *kLines)];
      text += random.Below(3) == 0 ? "\r\n" : "\n";
    }
    if (framing == Framing::kBmf && random.Below(5) != 0) text += random.Below(2) ? ".\r\n" : ".\n";
  }
  if (random.Below(3) == 0 && !text.empty()) text.pop_back();  // no final line end
  return text;
}

TEST(MboxSplitter, ChunksOfAnySizeCutAsTheWholeTextReads) {
  sendwarden::testing::RandomPicker random(12);
  int messages = 0, too_long = 0, bmf = 0;
  for (int round = 0; round < 8000; ++round) {
    Framing framing = Pick(random);
    size_t max_header = round % 5 == 0 ? 20 : 1 << 20;
    std::string text = Generate(random, framing);
    std::vector<SplitMessage> expected = Reference(text, framing, max_header);
    std::vector<SplitMessage> got = Split(text, framing, max_header, &random);
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
      bmf += framing == Framing::kBmf;
    }
  }
  EXPECT_GT(messages, 12000);
  EXPECT_GT(too_long, 100);
  EXPECT_GT(bmf, 5000);
}

// The same messages written as an mbox and as a .bmf file give the same
// header blocks; each starts where its first line (in the mbox, its "From "
// line) does.
TEST(MboxSplitter, AnMboxAndABmfFileOfTheSameMessagesGiveTheSameHeaders) {
  sendwarden::testing::RandomPicker random(31);
  static const char* const kBody[] = {"text", "", ".", "..", "From me", "X-Becky-Include: a.pdf",
                                      "From: not a header"};
  for (int round = 0; round < 500; ++round) {
    std::string mbox, bmf;
    std::vector<std::string> headers;
    std::vector<uint64_t> mbox_offsets, bmf_offsets;
    int messages = 1 + random.Below(6);
    const char* end = random.Below(2) ? "\r\n" : "\n";
    for (int m = 0; m < messages; ++m) {
      std::string header = "From: a" + std::to_string(m) + "@x.test" + end + "To: b@y.test" + end;
      if (random.Below(2)) header += std::string("Subject: s") + end + " folded" + end;
      std::string body;
      for (int l = 0, n = random.Below(6); l < n; ++l) {
        body += kBody[random.Below(sizeof kBody / sizeof *kBody)] + std::string(end);
      }
      headers.push_back(header + end);  // with the empty line that ends it
      mbox_offsets.push_back(mbox.size());
      // An mbox writer quotes a body "From " line; a .bmf writer doubles a
      // leading dot.
      std::string quoted, stuffed;
      for (size_t at = 0; at < body.size();) {
        size_t stop = body.find('\n', at) + 1;
        std::string line = body.substr(at, stop - at);
        quoted += (line.compare(0, 5, "From ") == 0 ? ">" : "") + line;
        stuffed += (line[0] == '.' ? "." : "") + line;
        at = stop;
      }
      mbox += "From sender Tue Dec  1 09:00:00 2026" + std::string(end) + header + end + quoted +
              end;
      bmf_offsets.push_back(bmf.size());
      bmf += header + end + stuffed + "." + end;
    }
    std::vector<SplitMessage> from_mbox = Split(mbox, Framing::kMbox, 1 << 20, &random);
    std::vector<SplitMessage> from_bmf = Split(bmf, Framing::kBmf, 1 << 20, &random);
    ASSERT_EQ(from_mbox.size(), headers.size()) << mbox;
    ASSERT_EQ(from_bmf.size(), headers.size()) << bmf;
    for (size_t i = 0; i < headers.size(); ++i) {
      EXPECT_EQ(from_mbox[i].header, headers[i]);
      EXPECT_EQ(from_bmf[i].header, headers[i]);
      EXPECT_EQ(from_mbox[i].number, i + 1);
      EXPECT_EQ(from_bmf[i].number, i + 1);
      EXPECT_EQ(from_mbox[i].offset, mbox_offsets[i]);
      EXPECT_EQ(from_bmf[i].offset, bmf_offsets[i]);
    }
  }
}

// A message file starts with a header field, "From" among them, in any
// spacing old mail allowed: never an mbox. An mbox may start with empty
// lines.
TEST(MboxSplitter, OnlyAnMboxLooksLikeOne) {
  sendwarden::testing::RandomPicker random(5);
  static const char* const kNames[] = {"From", "To", "Subject", "Received", "Return-Path",
                                       "From_", "Fromage"};
  static const char* const kSpaces[] = {"", " ", "  ", "\t", " \t "};
  static const char* const kBlanks[] = {"", "\n", "\r\n", "\n\r\n\n"};
  for (int round = 0; round < 2000; ++round) {
    std::string blanks = kBlanks[random.Below(4)];
    std::string field = std::string(kNames[random.Below(7)]) + kSpaces[random.Below(5)] + ":" +
                        kSpaces[random.Below(5)] + "a@x.test\r\nTo: b@y.test\r\n\r\nbody\r\n";
    EXPECT_FALSE(MboxSplitter::LooksLikeMbox(field)) << field;
    EXPECT_FALSE(MboxSplitter::LooksLikeMbox(blanks + field)) << blanks + field;
    std::string mbox = blanks + "From sender@x.test Tue Dec  1 09:00:00 2026\r\n" + field;
    EXPECT_TRUE(MboxSplitter::LooksLikeMbox(mbox)) << mbox;
    // What an mbox reader takes for its first message is the message.
    std::vector<SplitMessage> cut = Split(mbox, Framing::kMbox, 1 << 20, &random);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].offset, blanks.size());
    EXPECT_EQ(cut[0].header, field.substr(0, field.find("\r\n\r\n") + 4));
  }
  EXPECT_FALSE(MboxSplitter::LooksLikeMbox(""));
  EXPECT_FALSE(MboxSplitter::LooksLikeMbox("\r\n\n"));
}

}  // namespace
}  // namespace sendwarden_checker
