// Loads a configuration exactly as the plug-in does and reports every line
// that has no effect, and patterns that are legal but likely wrong. Also keeps
// where each stored pattern came from, for explaining a verdict.
#ifndef SENDWARDEN_TOOLS_CONFIG_LINT_H_
#define SENDWARDEN_TOOLS_CONFIG_LINT_H_

#include <string>
#include <vector>

#include "tools/check_messages.h"

namespace sendwarden_check {

struct Finding {
  size_t line;          // 0: the file as a whole
  std::string text;     // the line as read
  bool noEffect;        // false: a warning
  std::string message;  // in the chosen language, code page 932 bytes
};

// Where a stored pattern came from.
struct PatternSource {
  size_t line;
  std::string text;     // the line as read
  std::string key;      // ALL, TO, CC or BCC
  std::string pattern;
};

// One rule of the store with its sources, in the store's order.
struct RuleSource {
  size_t headerLine = 0;  // 0: the default rule
  std::string name;
  std::vector<PatternSource> patterns;  // in file order
};

struct LintResult {
  bool readable = false;
  std::vector<Finding> findings;  // in line order
  std::vector<RuleSource> rules;  // default rule (if any) first, then sections
  size_t noEffect = 0;
  size_t warnings = 0;
};

// Loads `path` into the process-wide rule store (as the plug-in would) and
// reports on it.
LintResult LintConfig(const std::string& path, const Messages& messages);

}  // namespace sendwarden_check

#endif  // SENDWARDEN_TOOLS_CONFIG_LINT_H_
