#include "message/header_block.h"

#include <gtest/gtest.h>


#include "base/ascii.h"
#include "tests/random_picker.h"

namespace sendwarden {
namespace {

HeaderMap Parse(const std::string& message) {
  HeaderMap headers;
  ParseHeaderBlock(message.c_str(), headers);
  return headers;
}

TEST(ToUpperAscii, ChangesOnlyAsciiLetters) {
  std::string text = "To-cc_z@\x82\x61\xE0\x7A";  // CP932 second bytes in a-z change too
  ToUpperAscii(text);
  EXPECT_EQ(text, "TO-CC_Z@\x82\x41\xE0\x5A");
}

// Repeated fields join with nothing between them, except the address
// fields, which join with a comma so that no two addresses merge into one.
TEST(ParseHeaderBlock, FoldedAndRepeatedFields) {
  HeaderMap headers = Parse(
      "To: first\r\n"
      " second\r\n"
      "\tthird\r\n"
      "subject: a\r\n"
      "Subject: b\r\n"
      "SUBJECT: c  \r\n"
      "To: again\r\n"
      "cc: x@y\r\n"
      "CC: z@y\r\n"
      "Bcc: b1\r\n"
      "bcc: b2\r\n"
      "From: f1\r\n"
      "From: f2\r\n"
      "\r\n");
  // Repeated address fields keep their lines apart, each read on its own.
  EXPECT_EQ(headers["TO"], "first second\tthird\nagain");
  EXPECT_EQ(headers["CC"], "x@y\nz@y");
  EXPECT_EQ(headers["BCC"], "b1\nb2");
  EXPECT_EQ(headers["FROM"], "f1\nf2");  // kept apart: two senders refuse
  EXPECT_EQ(headers["SUBJECT"], "abc  ");
  EXPECT_EQ(headers.size(), 5u);
}

// A dropped line takes its continuation lines with it: they are its own (a
// value that starts on the next line), never the field's before it.
TEST(ParseHeaderBlock, DropsLinesOfNoKnownShapeWithTheirContinuations) {
  HeaderMap headers = Parse(
      " orphan continuation\n"
      "Subject:a\n"      // no blank after the colon
      "From: me\n"
      "Keywords: \t\n"   // empty value
      " more\n"          // belongs to Keywords, which is dropped
      "X:Y: z\n"         // the name may hold colons
      ": nameless\n"
      "garbage line\n"
      "\tafter garbage\n");
  EXPECT_EQ(headers["FROM"], "me");
  EXPECT_EQ(headers["X:Y"], "z");
  EXPECT_EQ(headers.size(), 2u);
}

// Whatever other fields stand among them, and however they are written and
// folded, the address fields' values do not change.
TEST(ParseHeaderBlock, OtherFieldsNeverReachTheAddressFields) {
  static const char* const kOthers[] = {
      "References:\r\n <20240101.ABCD@example.co.jp>\r\n", "Subject:hello\r\n",
      "In-Reply-To:\r\n\t<a@example.co.jp>\r\n", "X-Empty: \r\n x@example.co.jp\r\n",
      "garbage\r\n <g@example.co.jp>\r\n", "Comments: ok\r\n folded@example.co.jp\r\n",
      ": x\r\n y@example.co.jp\r\n"};
  static const char* const kAddresses[] = {
      "To: a@x.test\r\n", "Cc:\r\n b@x.test\r\n", "Bcc :c@x.test\r\n",
      "To: d@x.test,\r\n e@x.test\r\n", "Resent-To: f@x.test\r\n"};
  testing::RandomPicker random(21);
  for (int round = 0; round < 2000; ++round) {
    std::string plain, mixed;
    int lines = 1 + random.Below(6);
    for (int i = 0; i < lines; ++i) {
      std::string address = kAddresses[random.Below(5)];
      plain += address;
      mixed += address;
      for (int k = random.Below(3); k > 0; --k) mixed += kOthers[random.Below(7)];
    }
    HeaderMap expected = Parse(plain + "\r\n"), got = Parse(mixed + "\r\n");
    for (const char* key : {"TO", "CC", "BCC", "RESENT-TO"}) {
      ASSERT_EQ(got[key], expected[key]) << mixed;
    }
  }
}

// Every first line of To, Cc and Bcc is read, whatever its form, and starts
// the field even when its value is empty; each line is one more list.
TEST(ParseHeaderBlock, EveryAddressFieldLineIsRead) {
  struct Case {
    const char* message;
    const char* to;
  } cases[] = {
      {"To:\r\n evil@bad.test\r\n\r\n", " evil@bad.test"},
      {"To: \r\n\tevil@bad.test\r\n\r\n", "\tevil@bad.test"},
      {"To:evil@bad.test\n\n", "evil@bad.test"},
      {"To : evil@bad.test\n\n", "evil@bad.test"},
      {"tO\t:\t evil@bad.test \n\n", "evil@bad.test "},
      {"To:: x\n\n", ": x"},
      {"To: a\nTo:\n b\n\n", "a\n b"},
      {"To:\nTo: b\n\n", "\nb"},
      {"To:\n\n", ""},
      {"Tox: y\nTo y\n\n", nullptr},
  };
  for (const Case& c : cases) {
    HeaderMap headers = Parse(c.message);
    if (c.to == nullptr) {
      EXPECT_EQ(headers.count("TO"), 0u) << c.message;
    } else {
      EXPECT_EQ(headers["TO"], c.to) << c.message;
    }
  }
  // From is read in the same shapes, so that a second one always shows.
  EXPECT_EQ(Parse("From:x\nFROM : y\n\n")["FROM"], "x\ny");
  HeaderMap headers = Parse("Cc:   \n more\nBCC :x\n");
  EXPECT_EQ(headers["CC"], " more");
  EXPECT_EQ(headers["BCC"], "x");
}

TEST(ParseHeaderBlock, BlankOnlyLineIsAContinuationNotTheEnd) {
  HeaderMap headers = Parse("To: a\n \t\nCc: b\n\nBcc: body\n");
  EXPECT_EQ(headers["TO"], "a \t");
  EXPECT_EQ(headers["CC"], "b");
  EXPECT_EQ(headers.count("BCC"), 0u);
}

TEST(ParseHeaderBlock, LineEndsAndTheEndOfTheBlock) {
  HeaderMap lf = Parse("To: a\nCc: b\n\nBcc: c\n");
  HeaderMap crlf = Parse("To: a\r\nCc: b\r\n\r\nBcc: c\r\n");
  EXPECT_EQ(lf, crlf);
  EXPECT_EQ(lf.count("BCC"), 0u);

  // A lone carriage return ends the block like an empty line.
  EXPECT_EQ(Parse("To: a\r\n\r\nCc: b\r\n").count("CC"), 0u);
  // Only one carriage return is removed.
  EXPECT_EQ(Parse("To: a\r\r\n")["TO"], "a\r");
  // No empty line: read to the end; the last line needs no line feed.
  EXPECT_EQ(Parse("To: a\nCc: b")["CC"], "b");
  EXPECT_TRUE(Parse("").empty());
}

TEST(ParseHeaderBlock, AddsToTheCallersMapWithoutClearingIt) {
  HeaderMap headers{{"SUBJECT", "x"}, {"KEEP", "y"}};
  ParseHeaderBlock("Subject: z\n", headers);
  EXPECT_EQ(headers["SUBJECT"], "xz");
  EXPECT_EQ(headers["KEEP"], "y");
}

TEST(ParseHeaderBlock, ReadsAHugeBodyNeverAndALongLineWhole) {
  std::string body(4 << 20, 'x');
  std::string message = "To: a\n\n" + body;
  EXPECT_EQ(Parse(message)["TO"], "a");

  std::string value(1 << 20, 'v');
  EXPECT_EQ(Parse("Subject: " + value + "\n")["SUBJECT"], value);
}

}  // namespace
}  // namespace sendwarden
