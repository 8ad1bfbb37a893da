// The rule store: the allow list in compiled form, kept between sends.
//
// A plain value. The plug-in keeps one in its state; the tools build their
// own. The loader empties and refills it, the recipient check only reads it.
#ifndef SENDWARDEN_CONFIG_RULE_STORE_H_
#define SENDWARDEN_CONFIG_RULE_STORE_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/pattern.h"
#include "config/config_file.h"
#include "config/pattern_list.h"
#include "platform/platform.h"

namespace sendwarden {

// The key of a rule line, naming the list its pattern goes to.
enum class RuleKey { kAll, kTo, kCc, kBcc };
constexpr RuleKey kRuleKeys[] = {RuleKey::kAll, RuleKey::kTo, RuleKey::kCc, RuleKey::kBcc};

// "ALL", "TO", "CC" or "BCC", as the file writes it (in any case).
const char* RuleKeyName(RuleKey key);

// The key an upper-cased key text names, compared byte for byte, or nothing.
std::optional<RuleKey> ParseRuleKey(std::string_view upper);

// What one section of the file allows. Each list holds its patterns in file
// order; the same text may appear twice, each its own object. A rule in the
// store always has at least one non-empty list.
struct RecipientRule {
  PatternList allPatterns;  // ALL: every recipient
  PatternList toPatterns;   // TO
  PatternList ccPatterns;   // CC
  PatternList bccPatterns;  // BCC

  // The one mapping from a key to its list.
  PatternList& List(RuleKey key);
  const PatternList& List(RuleKey key) const;
};

// A bracketed section: applies when `senderPattern` is found in the sender.
struct SenderSection {
  std::unique_ptr<const Pattern> senderPattern;
  std::unique_ptr<const RecipientRule> rule;
  size_t headerLine = 0;  // 1-based line of the "[...]" header
};

struct AllowConfig {
  ConfigFile file;  // where the rules came from; the rules never read it
  std::unique_ptr<const RecipientRule> defaultRule;  // lines before the first header
  std::vector<SenderSection> sections;               // in file order

  // Releases every rule and sender pattern. Leaves `file` alone.
  void ClearRules();

  // Takes ownership of `rule`. An empty `name` makes it the default rule.
  // Otherwise compiles `name` as the sender pattern and appends a section
  // whose header stood in `headerLine`; when the name does not compile, the
  // pattern gate does not keep it (pattern_gate.h), or memory runs out, the
  // rule is released, nothing is stored and the result
  // is false; `outOfMemory`, when given, is set when memory was the reason.
  bool RegisterSection(const std::string& name, std::unique_ptr<RecipientRule> rule,
                       size_t headerLine = 0, bool* outOfMemory = nullptr);

  bool Empty() const { return defaultRule == nullptr && sections.empty(); }
};

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_RULE_STORE_H_
