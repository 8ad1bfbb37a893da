// The rule lines two configurations differ by: a line added to a file can
// widen what it allows although no past message went there, so diff names
// every line added, removed or changed, by section, key and pattern.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RULE_LINE_DIFF_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RULE_LINE_DIFF_H_

#include <cstddef>
#include <string>
#include <vector>

#include "config/rule_store.h"

namespace sendwarden_checker {

// One rule line as the plug-in holds it.
struct RuleLine {
  std::string section;  // the sender pattern; "" for the default rule
  size_t sectionLine = 0;
  sendwarden::RuleKey key = sendwarden::RuleKey::kAll;
  std::string pattern;
  size_t line = 0;
};

struct RuleLineChange {
  enum class Kind { kAdded, kRemoved, kChanged };
  Kind kind;
  RuleLine before;  // with kRemoved and kChanged
  RuleLine after;   // with kAdded and kChanged
};

// The lines of `after` no line of `before` has the same section, key and
// pattern as (added), the lines of `before` none of `after` has (removed),
// in file order; a removed and an added line of the same section and key
// pair up in order as changed. Lines the loader dropped are in neither.
std::vector<RuleLineChange> CompareRuleLines(const sendwarden::AllowConfig& before,
                                             const sendwarden::AllowConfig& after);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_RULE_LINE_DIFF_H_
