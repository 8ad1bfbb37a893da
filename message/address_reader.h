// Reads an address field (To, Cc, Bcc, From and their Resent- forms) by the
// address grammar of the mail message format, as mail servers and mail
// programs read it: address lists, mailboxes, groups, angle addresses,
// quoted strings, nested comments with quoted pairs, domain literals and
// folding white space, with the obsolete forms real mail still carries
// (routes, dotted phrases, words as local parts, empty list members).
//
// The splitter the recipient check relies on reads the same field with a
// simpler rule (commas, double quotes, backslashes). The extraction trusts a
// piece only when this reader finds the same recipient in it, so that what
// the patterns see is where the mail goes.
#ifndef SENDWARDEN_MESSAGE_ADDRESS_READER_H_
#define SENDWARDEN_MESSAGE_ADDRESS_READER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sendwarden {

// Why a field cannot be read; kNone when it can.
enum class AddressSyntax {
  kNone,
  kUnclosedComment,      // "(" without its ")"
  kUnclosedQuote,        // '"' without its closing '"'
  kUnclosedAngle,        // "<" without its ">"
  kUnclosedDomainLiteral,// "[" without its "]"
  kUnclosedGroup,        // "name:" without its ";"
  kNestedGroup,          // a group inside a group
  kStrayCharacter,       // a byte no rule allows where it stands
  kNoLocalPart,          // "@" with nothing before it, "<>"
  kNoDomain,             // "@" with no domain after it
  kBadDots,              // a dot at an end of a local part or domain, or two in a row
  kTextAfterAddress,     // anything but "," (or ";" in a group) after a mailbox
  kEmptyDisplayName,     // ":" with no group name before it
  kDoubleByteMark,       // a code page 932 character whose second byte is "\\", "@", "[" or "]"
  kLineBreakInside,      // a CR or LF (a fold) inside a quoted string, a comment or a domain literal
  kLeadingDot,           // a display name that starts with a dot
};

// Bytes [begin, end) of the field value.
struct Span {
  size_t begin = 0;
  size_t end = 0;
};

// One member of the list: a mailbox, or a group that names nobody.
struct AddressMember {
  enum class Kind { kMailbox, kEmptyGroup };
  Kind kind = Kind::kMailbox;
  // The mailbox's address: local part, "@", domain, as written, less the
  // folding white space and comments the grammar allows between its tokens.
  // A mailbox with no domain (a bare word, as common readers take it) is
  // its local part alone. Empty for an empty group.
  std::string address;
  bool hasDomain = false;
  bool inGroup = false;          // a member of a group with members
  bool angle = false;            // written as "<...>"
  bool route = false;            // an obsolete route: "<@relay:a@x>"
  bool quotedLocalPart = false;  // '"a b"@x'
  bool commentAfter = false;     // "a@x (comment)", no angle brackets
  // Where the member stands: from after the comma before it to the comma
  // after it (or the field's ends), less the folding white space at either
  // end; a display name and comments are inside. The members of a group
  // share the group's span. Meaningful only in a reading without error.
  Span span;
};

struct AddressReading {
  std::vector<AddressMember> members;  // in the order they stand
  AddressSyntax error = AddressSyntax::kNone;
  size_t errorOffset = 0;       // byte of `value` where reading failed
  std::vector<Span> comments;   // every comment read, "(" to ")", outermost only
};

// Reads `value`, the raw field value (unfolded; encoded words are plain
// atoms here). Bytes of 0x80 and above are atom characters, but a field in
// which a code page 932 lead byte pairs with "\\", "@", "[" or "]" is not
// read at all: the mail client takes the pair for one character, and so
// would find other quotes, comments or addresses than this reader. On a syntax
// error the members read so far stay and `error` says why. Throws nothing
// but std::bad_alloc; time and stack are linear in the length.
AddressReading ReadAddressList(std::string_view value);

}  // namespace sendwarden

#endif  // SENDWARDEN_MESSAGE_ADDRESS_READER_H_
