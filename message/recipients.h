// The one recipient extraction: from a raw message to the decoded sender and
// the To, Cc and Bcc AddressLines the recipient check reads. The plug-in's
// send hook and every tool call it, each with its own decoder, so that what
// a tool says about a message is what the plug-in would decide.
#ifndef SENDWARDEN_MESSAGE_RECIPIENTS_H_
#define SENDWARDEN_MESSAGE_RECIPIENTS_H_

#include <string>
#include <string_view>
#include <vector>

#include "message/address_reader.h"
#include "message/header_block.h"

namespace sendwarden {

// The three address fields, in the order they are always taken.
enum class Field { kTo, kCc, kBcc };
constexpr Field kAddressFields[] = {Field::kTo, Field::kCc, Field::kBcc};

// "TO", "CC" or "BCC": the field's key in a HeaderMap and in the
// configuration file.
const char* FieldKey(Field field);

// One address field as the check reads it: for every piece of the field in
// order, its decoded text (an empty piece, or one the decoder emptied, is an
// empty entry, which the check skips).
using AddressLines = std::vector<std::string>;

// An entry as the check tests it and a notice names it: without a final
// carriage return (a line that ended in two keeps one).
inline std::string_view TestedEntry(std::string_view entry) {
  if (!entry.empty() && entry.back() == '\r') entry.remove_suffix(1);
  return entry;
}

// What the check is given.
struct Recipients {
  std::string sender;  // the decoded From value, whole
  AddressLines to;
  AddressLines cc;
  AddressLines bcc;

  AddressLines& Lines(Field field);
  const AddressLines& Lines(Field field) const;
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
  kMalformedEscape,      // a backslash the address splitter rejects
  kNoDecodedText,        // the decoder gave no text for a piece or the sender
  kEmptiedByDecoding,    // a piece with text decoded to nothing (a NUL, say)
  kAddressLost,          // the decoded text shows another address than the piece
  kHiddenLineBreak,      // a line feed, or a carriage return before the end, in a piece
  kAddressFromDecoding,  // decoding made an angle bracket (or, bare, an "@")
  kUnreadable,           // the address reader cannot read the field: `syntax` says why
  kPiecesDiffer,         // the splitter and the reader cut the field differently
  kAddressDiffers,       // a piece shows the patterns another address than its mailbox's
  kGroupWithMembers,     // "name: a@x, b@y;"
  kQuotedLocalPart,      // '"a b"@x': refused on purpose
  kRoute,                // "<@relay:a@x>": refused on purpose
  kCommentAfterAddress,  // "a@x (comment)" without angle brackets: refused on purpose
  kTwoSenders,           // two From lines
  kSenderNotOne,         // a From with more than one mailbox, or a group with members
  kSenderUnreadable,     // a From with an "@" that the reader cannot read
  kSenderFromDecoding,   // decoding the From brings in an "@", "<" or ">"
  kBareCarriageReturn,   // a CR without its LF in a header line: other programs start a line there
  kHeaderNotEnded,       // the text ends inside the header block (a NUL byte there, say)
  kUnclearEncodedWord,   // an encoded word decoders read differently, or one left undecoded
  kTextAfterAngleAddress,  // "name <a@x> (comment)": text after the "<...>"
};

// Where in the extraction a fault arises: the header block as a whole, the
// splitting of a field, its reading by the grammar, the agreement of the two,
// a form refused on purpose, the decoding, or the sender.
enum class ExtractionStage { kNone, kHeader, kSplit, kRead, kAgree, kForm, kDecode, kSender };

// A fault's stage and stable name ("pieces-differ", ...): the one table the
// tools take their codes from.
struct FaultInfo {
  ExtractionFault fault;
  ExtractionStage stage;
  const char* code;
};
const FaultInfo& InfoOf(ExtractionFault fault);

struct Extraction {
  Recipients recipients;
  ExtractionFault fault = ExtractionFault::kNone;
  std::string faultField;   // "TO", "CC", "BCC", "FROM", or "HEADER" for the whole block
  std::string faultDetail;  // the piece, the field value or the splitter's message
  // With kUnreadable and kSenderUnreadable: why the reader stopped.
  AddressSyntax syntax = AddressSyntax::kNone;
  // With kPiecesDiffer: what in the field makes the two readings differ.
  bool quoteInComment = false;
  bool commaInComment = false;
};


// Reads the header block of the NUL-terminated `message`, splits To, Cc and
// Bcc (in that order; each with its Resent- counterpart) into pieces and
// decodes each in turn, then decodes the whole From value. Stops at the
// first fault; a bare carriage return in the header block is one, and so is
// a text that ends before the header block does: the mail client hands the
// message over up to its first NUL byte, and a NUL inside the header block
// would hide the fields after it (a To line, say) from the check alone.
//
// The address reader is the judge: every non-empty piece must be one
// mailbox the reader finds in the field, in the same order, one to one, and
// show the patterns that mailbox's address byte for byte, as written and
// as decoded (see Shown in the .cc). Every non-empty piece, an empty
// group's too, must be what the splitter makes of its member's own text
// (its span), so that both cut the field at the same commas; that is asked
// only where they could differ, where a comment holds a '"' or a "," or a
// domain literal stands. A piece the reader sees as a group that names
// nobody is decoded but not checked. The sender may not name more than one
// mailbox, nor gain an address by decoding. May throw std::bad_alloc, and
// the pattern engine's errors on lines too complex for it.
Extraction ExtractRecipients(const char* message, HeaderDecoder& decoder);

// The same from fields already read: "TO", "CC", "BCC" and "FROM" of
// `headers` (absent ones read as empty), and the address fields as they
// stand, `folded` (empty for fields given without a message). The caller
// checks the header block with HasBareCarriageReturn first, and that it ends.
Extraction ExtractRecipients(const HeaderMap& headers, const FoldedFields& folded,
                             HeaderDecoder& decoder);


}  // namespace sendwarden

#endif  // SENDWARDEN_MESSAGE_RECIPIENTS_H_
