// What the tools say about single recipients: which of a refused message's
// recipients no rule allowed, and the address and domain an entry names.
// scan lists the first and counts their domains; suggest and diff build on
// the same words.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RECIPIENT_REPORT_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RECIPIENT_REPORT_H_

#include <string>
#include <vector>

#include "config/rule_store.h"
#include "message/recipients.h"

namespace sendwarden_checker {

struct Recipient {
  sendwarden::Field field;
  std::string entry;  // as the check tested it: decoded, without its final "\r"
};

// Every entry of `recipients`, field by field in input order.
std::vector<Recipient> EntriesOf(const sendwarden::Recipients& recipients);

// The recipients of a message the rules refused that no rule allowed: not
// the default rule, nor any section whose sender pattern is found in the
// sender. When every recipient was allowed by some rule, though by no one
// rule that applies to all of them together, the default rule's remainder
// instead: the notice may name nobody, but the list never is empty. A
// pattern the engine gives up on counts as not allowing. Never throws but
// std::bad_alloc.
std::vector<Recipient> UnallowedRecipients(const sendwarden::AllowConfig& config,
                                           const sendwarden::Recipients& recipients);

// The first rule line that allows `recipient`: in the default rule, then in
// each section whose pattern is found in `sender`; ALL before the field's
// own list. Null when none does.
const sendwarden::PatternList::Entry* AllowingEntry(const sendwarden::AllowConfig& config,
                                                    const std::string& sender,
                                                    const Recipient& recipient);

// The address a decoded entry ends with ("a@example.com" for
// "Doe, Jane <a@example.com>" or "a@example.com"), or "" when it ends with
// none.
std::string AddressOf(const std::string& entry);

// The domain of `address` (after its last "@"), A-Z in lower case; the whole
// address, so folded, when it has no "@".
std::string DomainOf(const std::string& address);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RECIPIENT_REPORT_H_
