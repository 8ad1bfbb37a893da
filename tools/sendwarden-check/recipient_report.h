// What the tools say about single recipients, in their words: which of a
// refused message's recipients no rule allowed and which line allowed one,
// read off the check's own decisions (DecideEachEntry), and the address and
// domain an entry names. scan lists the first and counts their domains;
// suggest and diff build on the same words.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RECIPIENT_REPORT_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RECIPIENT_REPORT_H_

#include <string>
#include <vector>

#include "check/recipient_check.h"
#include "config/rule_store.h"
#include "message/recipients.h"

namespace sendwarden_checker {

struct Recipient {
  sendwarden::Field field;
  size_t index = 0;   // in the field's AddressLines
  std::string entry;  // as the check tested it: decoded, without its final "\r"
};

// Every entry of `recipients`, field by field in input order, empty ones left
// out, as the check tests them.
std::vector<Recipient> EntriesOf(const sendwarden::Recipients& recipients);

// The recipients of a message the rules refused that no rule allowed: not
// the default rule, nor any section whose sender pattern is found in the
// sender. When every recipient was allowed by some rule, though by no one
// rule that applies to all of them together, those the default rule did not
// allow (all of them without one) instead: the notice may name nobody, but
// the list never is empty. A search the engine gave up on allows nothing.
std::vector<Recipient> UnallowedRecipients(const std::vector<sendwarden::EntryDecision>& decisions);

// The first rule line that allows `recipient` on its own, in the order the
// check asks (the default rule, then each section that applies; ALL before
// the field's own list), or null.
const sendwarden::PatternList::Entry* AllowingEntry(
    const std::vector<sendwarden::EntryDecision>& decisions, const Recipient& recipient);

// The address a decoded entry ends with ("a@example.com" for
// "Doe, Jane <a@example.com>" or "a@example.com"), or "" when it ends with
// none.
std::string AddressOf(const std::string& entry);

// The domain of `address` (after its last "@"), A-Z in lower case; the whole
// address, so folded, when it has no "@".
std::string DomainOf(const std::string& address);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RECIPIENT_REPORT_H_
