// Says, rule by rule, how the check reached a verdict: what allowed each
// entry, which sections applied, where a section stopped, and what decided;
// and why a message could not be checked. These are printers: they return
// words in the chosen language.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_EXPLAIN_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_EXPLAIN_H_

#include <string>
#include <vector>

#include "check/recipient_check.h"
#include "tools/sendwarden-check/messages.h"
#include "tools/sendwarden-check/outcome.h"

namespace sendwarden_checker {

// Printable lines (code page 932) for a verdict and the trace of the same
// check under `config`.
std::vector<std::string> Explain(const sendwarden::AllowConfig& config,
                                 const sendwarden::Verdict& verdict,
                                 const sendwarden::CheckTrace& trace, Language language);

// Why a message cannot be checked, to be said: for a recipient the reader
// and the splitter do not agree on, what in the field makes them differ.
Phrase FaultPhrase(const Unchecked& unchecked);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_EXPLAIN_H_
