// One message through the plug-in's own recipient extraction and check, the
// way the plug-in takes it: whatever throws or cannot be checked refuses.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_DECIDE_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_DECIDE_H_

#include <functional>

#include "check/recipient_check.h"
#include "config/rule_store.h"
#include "message/recipients.h"
#include "tools/sendwarden-check/outcome.h"

namespace sendwarden_checker {

// Calls `extract` (which may throw) and checks what it found under `config`.
// Never throws. `trace`, when given, holds the check's trace when the
// outcome's code is kNone, and no rules otherwise. `list_refused` false
// leaves Outcome::refused empty: listing walks every rule again for each
// entry, which a caller that only compares verdicts need not pay.
Outcome Decide(const sendwarden::AllowConfig& config,
               const std::function<sendwarden::Extraction()>& extract,
               sendwarden::CheckTrace* trace, bool list_refused = true);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_DECIDE_H_
