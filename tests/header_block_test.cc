#include "message/header_block.h"

#include <gtest/gtest.h>

#include "base/ascii.h"

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
  EXPECT_EQ(headers["TO"], "first second\tthird,again");
  EXPECT_EQ(headers["CC"], "x@y,z@y");
  EXPECT_EQ(headers["BCC"], "b1,b2");
  EXPECT_EQ(headers["FROM"], "f1f2");
  EXPECT_EQ(headers["SUBJECT"], "abc  ");
  EXPECT_EQ(headers.size(), 5u);
}

TEST(ParseHeaderBlock, DropsLinesOfNoKnownShape) {
  HeaderMap headers = Parse(
      " orphan continuation\n"
      "To:a\n"           // no blank after the colon
      "Cc:   \n"         // empty value: dropped, current field stays
      "From: me\n"
      "Cc: \t\n"
      " more\n"          // goes to FROM, the last field taken
      "X:Y: z\n"         // the name may hold colons
      ": nameless\n"
      "garbage line\n");
  EXPECT_EQ(headers.count("TO"), 0u);
  EXPECT_EQ(headers.count("CC"), 0u);
  EXPECT_EQ(headers["FROM"], "me more");
  EXPECT_EQ(headers["X:Y"], "z");
  EXPECT_EQ(headers.size(), 2u);
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
