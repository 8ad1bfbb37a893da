// Decides whether every recipient of one message is allowed for its sender.
//
// A rule only ever allows. The default rule is tried first and consumes what
// it allows; then every sender section whose pattern is found in the sender
// text is tried on what is left, in file order. When none allows it all, the
// rejection notice is shown and the answer is refuse.
//
// Texts are AddressLines: one address per line, each ended by "\n"; a line's
// final "\r" is not part of the address.
#ifndef SENDWARDEN_CHECK_RECIPIENT_CHECK_H_
#define SENDWARDEN_CHECK_RECIPIENT_CHECK_H_

#include <string>

#include "config/rule_store.h"

namespace sendwarden {

enum CheckMode : unsigned char {
  Strict = 0,   // stop at the first line no pattern allows; log it
  Collect = 1,  // test every line; keep only those no pattern allowed
};

// True when `text` has no line that `list` leaves unallowed. An empty text
// passes any list, even an empty one; a non-empty text fails an empty list
// (and logs nothing). In Collect mode any nonzero mode counts, `text` is
// rewritten to the lines no pattern allowed. In Strict mode the first such
// line is appended to RejectionLog and the rest are not looked at.
// May throw boost::regex_error from the pattern engine.
bool CheckList(const PatternList& list, std::string& text, CheckMode mode);

// Collect (the default rule): every field is tested and reduced to what
// neither allPatterns nor its own list allowed. Strict (a section): each field
// is tested on a copy, and the first failing field ends the test.
bool CheckRule(const RecipientRule& rule, std::string& to, std::string& cc,
               std::string& bcc, CheckMode mode);

// The whole decision under the process-wide rule store. Shows the notice
// before answering false. Empties RejectionLog when a section allows.
bool CheckRecipients(std::string sender, std::string to, std::string cc, std::string bcc);

}  // namespace sendwarden

#endif  // SENDWARDEN_CHECK_RECIPIENT_CHECK_H_
