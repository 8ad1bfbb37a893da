// Says, rule by rule, how the check reached a verdict: what allowed each
// entry, which sections applied, where a section stopped, and what decided.
#ifndef SENDWARDEN_TOOLS_CHECK_EXPLAIN_H_
#define SENDWARDEN_TOOLS_CHECK_EXPLAIN_H_

#include <string>
#include <vector>

#include "check/recipient_check.h"
#include "message/recipients.h"
#include "tools/check/messages.h"

namespace sendwarden_check {

// Why a message cannot be checked, in words: for a recipient the reader
// and the splitter do not agree on, what in the field makes them differ.
std::string FaultText(const sendwarden::Extraction& extraction, Language language);

// Printable lines (code page 932) for a verdict and the trace of the same
// check under `config`.
std::vector<std::string> Explain(const sendwarden::AllowConfig& config,
                                 const sendwarden::Verdict& verdict,
                                 const sendwarden::CheckTrace& trace, Language language);

}  // namespace sendwarden_check

#endif  // SENDWARDEN_TOOLS_CHECK_EXPLAIN_H_
