// The one recipient extraction: from a raw message to the decoded sender and
// the To, Cc and Bcc AddressLines the recipient check reads. The plug-in's
// send hook and every tool call it, each with its own decoder, so that what
// a tool says about a message is what the plug-in would decide.
#ifndef SENDWARDEN_MESSAGE_RECIPIENTS_H_
#define SENDWARDEN_MESSAGE_RECIPIENTS_H_

#include <string>

#include "message/header_block.h"

namespace sendwarden {

// The three address fields, in the order they are always taken.
enum class Field { kTo, kCc, kBcc };
constexpr Field kAddressFields[] = {Field::kTo, Field::kCc, Field::kBcc};

// "TO", "CC" or "BCC": the field's key in a HeaderMap and in the
// configuration file.
const char* FieldKey(Field field);

// What the check is given. Each AddressLines text holds, for every piece of
// the field in order, its decoded text followed by one "\n"; a field without
// pieces gives "".
struct Recipients {
  std::string sender;  // the decoded From value, whole
  std::string to;
  std::string cc;
  std::string bcc;

  std::string& Lines(Field field);
  const std::string& Lines(Field field) const;
};

// Decodes header texts the way the mail client does: MIME encoded words
// turned into text of the system code page.
class HeaderDecoder {
 public:
  virtual ~HeaderDecoder() = default;
  // Writes the decoded form of one address piece. False when the decoder has
  // no text to give.
  virtual bool DecodeAddress(const std::string& piece, std::string* decoded) = 0;
  // The same for the whole From value. The plug-in's decoder keeps the
  // host's text until it is itself destroyed, after the check.
  virtual bool DecodeSender(const std::string& from, std::string* decoded) = 0;
};

// Why a message cannot be checked. Every fault refuses the send.
enum class ExtractionFault {
  kNone,
  kMalformedEscape,   // a backslash the address splitter rejects
  kUnclosedQuote,     // a double quote that never closes: the rest would be one piece
  kNoDecodedText,     // the decoder gave no text for a piece or the sender
  kEmptiedByDecoding, // a piece with text decoded to nothing (a NUL, say)
  kAddressLost,       // a "<...>" of the piece is not in its decoded text
  kHiddenLineBreak,   // a carriage return inside a piece
  kNotOneAddress,     // text after the angle address, or a bare piece that is not one word
  kAddressFromDecoding,  // decoding made an angle bracket (or, bare, an "@")
};

struct Extraction {
  Recipients recipients;
  ExtractionFault fault = ExtractionFault::kNone;
  std::string faultField;   // "TO", "CC", "BCC" or "FROM"
  std::string faultDetail;  // the piece or the splitter's message
};

// Reads the header block of the NUL-terminated `message`, splits To, Cc and
// Bcc (in that order; each with its Resent- counterpart) into pieces and
// decodes each in turn, then decodes the whole From value. Stops at the
// first fault. Each piece must be one address, as written and as decoded
// (see PieceFault in the .cc): otherwise the text the check would see may
// not be the recipient the mail goes to. May throw std::bad_alloc, and the
// pattern engine's errors on lines too complex for it.
Extraction ExtractRecipients(const char* message, HeaderDecoder& decoder);

// The same from fields already read: "TO", "CC", "BCC" and "FROM" of
// `headers` (absent ones read as empty).
Extraction ExtractRecipients(const HeaderMap& headers, HeaderDecoder& decoder);

// A decoder that hands every text back unchanged, for texts that are
// already decoded.
class IdentityDecoder : public HeaderDecoder {
 public:
  bool DecodeAddress(const std::string& piece, std::string* decoded) override;
  bool DecodeSender(const std::string& from, std::string* decoded) override;
};

}  // namespace sendwarden

#endif  // SENDWARDEN_MESSAGE_RECIPIENTS_H_
