// Whether a domain looks like another: a typo of it (one letter added,
// dropped or changed, two in a registered name of 8 letters or more:
// osaka-denkl.co.jp for osaka-denki.co.jp; not a change of digits alone,
// branch1 against branch2) or the same name under another suffix
// (partner.com for partner.co.jp).
// Mail to a look-alike of a partner is the mistake an allow list is for.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_LOOKALIKE_DOMAIN_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_LOOKALIKE_DOMAIN_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace sendwarden_checker {

// True when `a` and `b` (A-Z folded, different) look alike as above.
bool LooksAlike(const std::string& a, const std::string& b);

// For each domain of `uses` (A-Z folded, with how often each was used)
// that looks like one used at least three times as often, or like one of
// `own`: the one it
// looks like (an own domain first, then the most used, then A-Z). Own
// domains look like nothing. Near-linear: candidates share a spelling with
// up to two letters dropped from each.
std::map<std::string, std::string> MoreUsedLookAlikes(const std::map<std::string, uint64_t>& uses,
                                                      const std::set<std::string>& own);

// The edit distance of `a` and `b` (letters added, dropped or changed),
// or `limit` + 1 when it is over `limit`.
size_t EditDistance(const std::string& a, const std::string& b, size_t limit);

// A domain cut before its public suffix: "mail.partner.co.jp" is
// ("mail.partner", "co.jp"). The suffixes of two labels are those of the
// common country domains ("co.jp", "ne.jp", "co.uk", ...). Only the whole
// name counts as the same under another suffix: partner.com is like
// partner.co.jp, but mail.partner.com is not like other.partner.co.jp.
std::pair<std::string, std::string> NameAndSuffix(const std::string& domain);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_LOOKALIKE_DOMAIN_H_
