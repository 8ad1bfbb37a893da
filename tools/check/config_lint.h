// Loads a configuration exactly as the plug-in does, into a store of its
// own, and reports every line that has no effect and patterns that are
// legal but likely wrong.
#ifndef SENDWARDEN_TOOLS_CHECK_CONFIG_LINT_H_
#define SENDWARDEN_TOOLS_CHECK_CONFIG_LINT_H_

#include <string>
#include <vector>

#include "config/rule_store.h"
#include "tools/check/messages.h"

namespace sendwarden_check {

enum class Severity {
  kNoEffect,  // the line does nothing
  kError,     // the line makes a rule allow what it was not meant to
  kWarning,   // legal, but likely not what was meant
};

struct Finding {
  size_t line;          // 0: the file as a whole
  std::string text;     // the line as read
  Severity severity;
  std::string message;  // in the chosen language, code page 932 bytes
};

struct LintResult {
  bool readable = false;
  std::vector<Finding> findings;  // in line order
  size_t noEffect = 0;
  size_t errors = 0;
  size_t warnings = 0;
  sendwarden::AllowConfig config;  // what the plug-in would have loaded
};

LintResult LintConfig(const std::string& path, Language language);

}  // namespace sendwarden_check

#endif  // SENDWARDEN_TOOLS_CHECK_CONFIG_LINT_H_
