// Says, for every recipient of a send, which rule line allowed it, using the
// compiled patterns of the store the plug-in's loader built.
#ifndef SENDWARDEN_TOOLS_RECIPIENT_EXPLAIN_H_
#define SENDWARDEN_TOOLS_RECIPIENT_EXPLAIN_H_

#include <string>
#include <vector>

#include "tools/check_messages.h"
#include "tools/config_lint.h"

namespace sendwarden_check {

// `lines` are the To, Cc and Bcc AddressLines; `rules` the sources LintConfig
// recorded for the current store. Returns printable lines (code page 932).
std::vector<std::string> ExplainRecipients(const std::string& sender, const std::string lines[3],
                                           const std::vector<RuleSource>& rules,
                                           const Messages& messages);

}  // namespace sendwarden_check

#endif  // SENDWARDEN_TOOLS_RECIPIENT_EXPLAIN_H_
