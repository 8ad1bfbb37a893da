// Domains anyone can have an address at: free mail and the mobile
// carriers' mail. That the staff wrote to one says nothing about a partner
// company, so suggest never allows one on its own, and never takes one for
// the organisation's own domain.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_PUBLIC_MAIL_DOMAINS_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_PUBLIC_MAIL_DOMAINS_H_

#include <string>

namespace sendwarden_checker {

enum class PublicMail { kNone, kFreeMail, kMobileCarrier };

// What `domain` (A-Z folded) is: one of the shipped list, or a subdomain of
// one ("jp.yahoo.com" is Yahoo's too).
PublicMail PublicMailOf(const std::string& domain);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_PUBLIC_MAIL_DOMAINS_H_
