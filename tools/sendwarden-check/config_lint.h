// Loads a configuration exactly as the plug-in does, into a store of its
// own, and reports every line that has no effect and patterns that are
// legal but likely wrong.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_CONFIG_LINT_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_CONFIG_LINT_H_

#include <string>
#include <vector>

#include "config/rule_store.h"
#include "tools/sendwarden-check/messages.h"

namespace sendwarden_checker {

enum class Severity {
  kNoEffect,  // the line does nothing
  kError,     // the line makes a rule allow what it was not meant to, or could
              // make every send hang or slow (a pattern the plug-in drops for it)
  kWarning,   // legal, but likely not what was meant
  kHint,      // nothing wrong; how the file could serve better (not counted)
};

// The lines of the section that makes the notice name a refused address:
// for every sender, what the default rule left is tried against patterns
// that allow nothing, and the first such entry is named.
constexpr const char* kEverySender = "^";
constexpr const char* kNoRecipient = "(?!)";

struct Finding {
  size_t line;          // 0: the file as a whole
  std::string text;     // the line as read
  Severity severity;
  Phrase message;       // what is wrong, said by the printer
  // Why a line that looks meant as a header or comment was not taken as
  // one: a sentence of its own, said after the message.
  Msg hint = Msg::kHintNone;
};

struct LintResult {
  bool readable = false;
  std::vector<Finding> findings;  // in line order
  size_t noEffect = 0;
  size_t errors = 0;
  size_t warnings = 0;
  sendwarden::AllowConfig config;  // what the plug-in would have loaded
};

// Loads the file at `path` with the plug-in's loader, watching every line
// it drops or takes, and then reads its bytes for the encoding. `readable`
// is false exactly when the plug-in would fail the load (and refuse every
// send); then nothing else is filled in. Otherwise `config` is what the
// plug-in would hold, and the findings are sorted by line, the file's own
// (line 0) first. Findings carry phrases, not text: lint_command says them.
LintResult LintConfig(const std::string& path);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_CONFIG_LINT_H_
