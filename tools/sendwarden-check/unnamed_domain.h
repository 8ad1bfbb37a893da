// Whether a recipient pattern allows addresses at domains no one named: a
// pattern meant for one partner that in fact lets mail go to any company
// ("@", "jp>?$", "(?i)@.*\.co\.jp>?$"). It is tried on made-up recipients:
// labels no list names, under the suffixes mail is commonly sent to, in
// every form the mail client hands a recipient over in.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_UNNAMED_DOMAIN_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_UNNAMED_DOMAIN_H_

#include <optional>
#include <string>

namespace sendwarden_checker {

// The first made-up recipient `pattern` is found in, or nothing: nothing
// too for a pattern the loader would not keep, or whose search the engine
// gives up on. A shape is decided without the engine, so a list of 100,000
// costs well under a second.
std::optional<std::string> AllowedUnnamedRecipient(const std::string& pattern);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_UNNAMED_DOMAIN_H_
