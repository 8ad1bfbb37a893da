#include "message/address_list.h"
#include "base/ascii.h"

#include <gtest/gtest.h>

#include <boost/token_functions.hpp>

namespace sendwarden {
namespace {

AddressPieces Split(const std::string& value) {
  AddressPieces pieces;
  SplitAddressList(value, pieces);
  return pieces;
}

TEST(TrimBlanks, RemovesOnlyBlanksAndTabsAtTheEnds) {
  struct Case {
    std::string in, out;
  } cases[] = {{"", ""},           {" \t ", ""},          {"a", "a"},
               {" \ta b\t ", "a b"}, {"\r a \n", "\r a \n"}, {"  x", "x"}};
  for (const Case& c : cases) {
    std::string text = c.in;
    TrimBlanks(text);
    EXPECT_EQ(text, c.out) << "input [" << c.in << "]";
  }
}

TEST(SplitAddressList, CommasMakePiecesAndEmptyOnesAreKept) {
  EXPECT_TRUE(Split("").empty());
  EXPECT_EQ(Split("   "), AddressPieces({""}));
  EXPECT_EQ(Split("a, b"), AddressPieces({"a", "b"}));
  EXPECT_EQ(Split("a,,b"), AddressPieces({"a", "", "b"}));
  EXPECT_EQ(Split("a,"), AddressPieces({"a", ""}));
  EXPECT_EQ(Split(",a"), AddressPieces({"", "a"}));
}

TEST(SplitAddressList, QuotesProtectCommasAndAreDropped) {
  EXPECT_EQ(Split("\"Doe, John\" <j@x.test>, b@x.test"),
            AddressPieces({"Doe, John <j@x.test>", "b@x.test"}));
  // Quotes go before trimming, so blanks just inside them are trimmed too.
  EXPECT_EQ(Split("\"  a@x.test  \""), AddressPieces({"a@x.test"}));
  // An unclosed quote runs to the end, commas and all.
  EXPECT_EQ(Split("a, \"b, c, d"), AddressPieces({"a", "b, c, d"}));
}

TEST(SplitAddressList, Escapes) {
  EXPECT_EQ(Split("a\\,b,c"), AddressPieces({"a,b", "c"}));
  EXPECT_EQ(Split("a\\nb"), AddressPieces({"a\nb"}));
  EXPECT_EQ(Split("\\\"q\\\\"), AddressPieces({"\"q\\"}));
  // A CP932 character whose second byte is 0x5C still acts as an escape.
  EXPECT_EQ(Split("\x95\x5C,x"), AddressPieces({"\x95,x"}));
}

TEST(SplitAddressList, MalformedEscapeFailsKeepingEarlierPieces) {
  AddressPieces pieces{"stale"};
  try {
    SplitAddressList("a, b, c\\d, e", pieces);
    FAIL() << "no error";
  } catch (const boost::escaped_list_error& error) {
    EXPECT_STREQ(error.what(), "unknown escape sequence");
  }
  EXPECT_EQ(pieces, AddressPieces({"a", "b"}));

  try {
    SplitAddressList("a, b\\", pieces);
    FAIL() << "no error";
  } catch (const boost::escaped_list_error& error) {
    EXPECT_STREQ(error.what(), "cannot end with escape");
  }
  EXPECT_EQ(pieces, AddressPieces({"a"}));
}

TEST(SplitAddressList, ReplacesThePreviousContent) {
  AddressPieces pieces;
  SplitAddressList("a, b, c", pieces);
  SplitAddressList("d", pieces);
  EXPECT_EQ(pieces, AddressPieces({"d"}));
}

}  // namespace
}  // namespace sendwarden
