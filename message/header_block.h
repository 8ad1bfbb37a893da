// Reads the header block of a raw message into a table of fields.
//
// Only the header block is read: reading stops at the first empty line (or a
// line that is a lone carriage return), so the cost does not grow with the body.
#ifndef SENDWARDEN_MESSAGE_HEADER_BLOCK_H_
#define SENDWARDEN_MESSAGE_HEADER_BLOCK_H_

#include <map>
#include <string>
#include <vector>

namespace sendwarden {

// Upper-cased field name -> unfolded value. A repeated field's values are
// joined with nothing between them, except for the address fields (To, Cc,
// Bcc, their Resent- forms, and From), whose lines are joined with a line
// feed, which no line holds, so that each can be read on its own;
// continuation lines are appended with nothing between them and keep their
// leading blanks and tabs.
using HeaderMap = std::map<std::string, std::string>;

// The address fields as they stand in the message: for each field (key as
// in HeaderMap), each of its lines with its continuation lines, a line feed
// before each continuation line. Where a fold stands matters: other mail
// programs end a quoted string or a comment at a line end.
using FoldedFields = std::map<std::string, std::vector<std::string>>;

// Fills `headers` from the NUL-terminated `message`; adds entries and extends
// values, never clears. A line is a continuation when it starts with a blank
// or a tab. A line is the first line of an address field when it is the
// field's name (any case), blanks and tabs, ":", and the value (possibly
// empty; its leading blanks and tabs are skipped): such a line starts the
// field even when its value is empty, so that continuation lines go to it.
// Any other field's first line must match "^(\S+):[ \t]+(.*)" whole with a
// non-empty value; anything else is dropped, with the continuation lines
// that follow it. Never fails on any input, though the pattern engine may
// throw on a line too complex for it. Fills `folded`, when given, with the
// address fields' lines as they stand. True when an empty line (or a lone
// carriage return) ended the block, false when the text ended first.
bool ParseHeaderBlock(const char* message, HeaderMap& headers, FoldedFields* folded = nullptr);

// True when a line of the header block of the NUL-terminated `message` holds
// a carriage return that no line feed follows (a CR just before the line
// feed, or at the very end, ends the line). ParseHeaderBlock keeps such a
// byte inside the line, but other mail programs end the line there, and what
// follows may be a To line no check read. Writes that line to `line`.
bool HasBareCarriageReturn(const char* message, std::string* line);

}  // namespace sendwarden

#endif  // SENDWARDEN_MESSAGE_HEADER_BLOCK_H_
