// No recipient reaches the host unchecked. Address fields are generated from
// recipients (some refused, some allowed, some only quoted names) written in
// every form that might hide one: separators that are no separators, text
// after an angle address, escapes, quotes, line breaks, encoded words,
// repeated and Resent- fields. Whenever a refused address is one of the
// recipients, the message must be refused.
#include "message/recipients.h"

#include <gtest/gtest.h>


#include "check/recipient_check.h"
#include "config/config_loader.h"
#include "tests/random_picker.h"
#include "tests/test_support.h"
#include "tools/common/encoded_words.h"

namespace sendwarden {
namespace {

// Decodes encoded words byte for byte, as a mail client would hand them over.
class WordDecoder : public HeaderDecoder {
 public:
  bool DecodeAddress(const std::string& piece, std::string* decoded) override {
    *decoded = sendwarden_tools::DecodeEncodedWords(piece, &KeepBytes);
    return true;
  }
  bool DecodeSender(const std::string& from, std::string* decoded) override {
    return DecodeAddress(from, decoded);
  }

 private:
  static bool KeepBytes(const std::string& bytes, const std::string&, std::string* out) {
    *out = bytes;
    return true;
  }
};

struct Field {
  std::string text;
  bool refusedRecipient = false;  // a refused address is one of its recipients
};

class Generator : public testing::RandomPicker {
 public:
  using RandomPicker::RandomPicker;

  // One recipient as written; `refused` says whether it goes to bad.test.
  std::string Recipient(bool* refused) {
    *refused = Below(3) == 0;
    std::string address = *refused ? "evil@bad.test" : "x@example.co.jp";
    switch (Below(7)) {
      case 0: return address;
      case 1: return "<" + address + ">";
      case 2: return "Name <" + address + ">";
      case 3: return "\"Doe, John\" <" + address + ">";
      case 4: return "\"x@example.co.jp\" <" + address + ">";
      case 5: return "=?us-ascii?q?Boss?= <" + address + ">";
      default: return "=?utf-8?q?" + std::string(*refused ? "Evil" : "Good") + "?= <" + address + ">";
    }
  }

  // A text that joins two recipients: a real separator, or one that is none.
  std::string Joint() {
    static const char* const kJoints[] = {", ", ",", " , ", " ", "; ", ";", "\\,", "\r",
                                          " (c) ", "\t", "\x95\\,", ",\r\n ", ", \"x\" "};
    return Pick(kJoints);
  }

  Field Make() {
    Field field;
    int count = 1 + Below(3);
    for (int i = 0; i < count; ++i) {
      bool refused;
      std::string recipient = Recipient(&refused);
      field.refusedRecipient = field.refusedRecipient || refused;
      if (i > 0) field.text += Joint();
      field.text += recipient;
      // A decoded name that would make another address, or hide this one.
      if (Below(8) == 0) field.text += " =?us-ascii?q?=3Cx@example.co.jp=3E?=";
      if (Below(8) == 0) field.text += " x@example.co.jp";
    }
    return field;
  }
};

TEST(ExtractRecipients, ARefusedAddressAmongTheRecipientsIsNeverSent) {
  testing::ScratchDir dir;
  std::string path = dir.File("Sendwarden.conf");
  testing::WriteFile(path, "ALL=@example\\.co\\.jp>?$\nALL=^(.*<)?x@example\\.co\\.jp>?$\n");
  AllowConfig config;
  ASSERT_TRUE(LoadAllowConfig(path, config));

  Generator generate(18);
  static const char* const kFields[] = {"To", "Cc", "Bcc", "Resent-To", "to", "CC :", "Bcc:"};
  int refused_recipient = 0, sent = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string message = "From: me@example.co.jp\r\n";
    bool refused = false;
    int fields = 1 + generate.Below(3);
    for (int f = 0; f < fields; ++f) {
      Field field = generate.Make();
      refused = refused || field.refusedRecipient;
      std::string name = kFields[generate.Below(7)];
      message += name + (name.back() == ':' ? "" : ": ") + field.text + "\r\n";
    }
    message += "Subject: x\r\n\r\n";
    WordDecoder decoder;
    Extraction extraction = ExtractRecipients(message.c_str(), decoder);
    bool allowed = extraction.fault == ExtractionFault::kNone &&
                   CheckRecipients(config, extraction.recipients).allowed;
    if (refused) {
      ++refused_recipient;
      ASSERT_FALSE(allowed) << message;
    }
    sent += allowed;
  }
  EXPECT_GT(refused_recipient, 10000);
  EXPECT_GT(sent, 500);  // the generator also writes messages that may go
}

// Other mail programs end a header line at a carriage return without its
// line feed; the plug-in reads on to the line feed. What the CR starts must
// not be a recipient field no one checked, so such a header refuses. A CR
// that ends a line, or stands in the body, does not.
TEST(ExtractRecipients, ABareCarriageReturnInTheHeaderRefuses) {
  struct Case {
    const char* message;
    bool bare;
  };
  const Case cases[] = {
      {"From: me\r\nX-Note: x\rTo: evil@bad.test\r\nTo: a@x\r\n\r\n", true},
      {"From: me\r\nSubject:x\rBcc: evil@bad.test\r\n\r\n", true},
      {"From: me\nTo: a@x\r\r\nCc: evil@bad.test\n\n", true},
      {"From: me\r\nTo: a@x,\r\n\rb@x\r\n\r\n", true},
      {"From: me\r\nTo: a@x\r\n\r\nbody\rTo: evil@bad.test\r\n", false},
      {"From: me\r\nTo: a@x\r\n\r", false},
      {"From: me\nTo: a@x\n\r\n\r", false},
  };
  for (const Case& c : cases) {
    WordDecoder decoder;
    Extraction extraction = ExtractRecipients(c.message, decoder);
    EXPECT_EQ(extraction.fault,
              c.bare ? ExtractionFault::kBareCarriageReturn : ExtractionFault::kNone)
        << c.message;
  }
}

// The mail client pairs code page 932 bytes: "表" (0x95 0x5C) is a name to
// it and a backslash to a byte-wise reader, "ァ" (0x83 0x40) an "@". Such a
// field would be read two ways, so it refuses; other raw names still go.
TEST(ExtractRecipients, ADoubleByteCharacterEndingInAMarkRefuses) {
  enum Outcome { kSent, kMark, kOther };
  struct Case {
    const char* to;
    Outcome outcome;
  };
  const Case cases[] = {
      {"\"\x95\x5c\" <evil@bad.test>, x\" <a@x.test>", kMark},
      {"a\x83\x40x.test", kMark},
      {"\x83\x5c\x83\x74\x83\x67 <a@x.test>", kMark},
      {"\x8e\x52\x93\x63 <a@x.test>, \"\x8e\x52, \x93\x63\" <b@x.test>", kSent},
      {"\x81\x81\x81\x5c <a@x.test>", kMark},
      {"\x81\x81\x5c <a@x.test>", kOther},  // 0x81 0x81 is the pair: a plain backslash
      {"\xa0\x5c <a@x.test>", kOther},      // 0xA0 leads nothing
      // A lead byte without a valid second byte would still take the next
      // byte with it in a reader that steps by characters.
      {"\"\x95\" <a@x.test>, \"x <evil@bad.test>, y\" <b@x.test>", kMark},
      {"x\x95(<evil@bad.test>) <a@x.test>", kMark},
      {"<a@x.test>, b\x95", kMark},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAddressList(c.to).error == AddressSyntax::kDoubleByteMark, c.outcome == kMark)
        << c.to;
    WordDecoder decoder;
    std::string message = std::string("From: me\r\nTo: ") + c.to + "\r\n\r\n";
    Extraction extraction = ExtractRecipients(message.c_str(), decoder);
    EXPECT_EQ(extraction.fault == ExtractionFault::kNone, c.outcome == kSent) << c.to;
  }
}

// A comma in a comment adds a cut for the splitter, and a quote in a comment
// takes one away: with one of each, both readings count the same members,
// and every piece can show its member's address while the last piece holds
// two, the tail of which is a recipient no line names. Both readings must
// cut the field at the same commas.
TEST(ExtractRecipients, BothReadingsCutAtTheSameCommas) {
  struct Case {
    const char* to;
    ExtractionFault fault;
  };
  const Case cases[] = {
      {"X (Y <q@r.test>, Z) <q@r.test>, W (\") <q@r.test>, V (\") <evil@bad.test>",
       ExtractionFault::kPiecesDiffer},
      {"\"Doe, John\" <q@r.test>, (c) Name <b@r.test>, c@r.test", ExtractionFault::kNone},
      {"(c) Name <b@r.test>\r", ExtractionFault::kNone},  // a value that ends in a CR
  };
  for (const Case& c : cases) {
    WordDecoder decoder;
    HeaderMap headers = {{"FROM", "me"}, {"TO", c.to}};
    EXPECT_EQ(ExtractRecipients(headers, {}, decoder).fault, c.fault) << c.to;
  }
}

}  // namespace
}  // namespace sendwarden
