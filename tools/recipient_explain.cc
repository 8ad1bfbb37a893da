#include "tools/recipient_explain.h"

#include "config/pattern.h"
#include "config/rule_store.h"

namespace sendwarden_check {

namespace {

using sendwarden::PatternList;
using sendwarden::RecipientRule;

const char* const kFieldKeys[] = {"TO", "CC", "BCC"};

// The first pattern of `list` (the patterns of `key`, in order) found in
// `address`, with its source; null when none is.
const PatternSource* FirstMatch(const PatternList& list, const RuleSource& source,
                                const std::string& key, const std::string& address) {
  size_t index = 0;
  for (const PatternSource& pattern : source.patterns) {
    if (pattern.key != key) continue;
    if (index < list.size() && sendwarden::PatternFound(*list[index], address)) return &pattern;
    ++index;
  }
  return nullptr;
}

const PatternSource* RuleMatch(const RecipientRule& rule, const RuleSource& source, int field,
                               const std::string& address) {
  const PatternSource* match = FirstMatch(rule.allPatterns, source, "ALL", address);
  if (match != nullptr) return match;
  const PatternList* own[] = {&rule.toPatterns, &rule.ccPatterns, &rule.bccPatterns};
  return FirstMatch(*own[field], source, kFieldKeys[field], address);
}

std::string Describe(const RuleSource& rule, const PatternSource& pattern, const Messages& m) {
  std::string where = rule.headerLine == 0
                          ? std::string(m.allowed_by_default)
                          : std::string(m.allowed_by_section) + " [" + rule.name + "] (" + m.line +
                                " " + std::to_string(rule.headerLine) + ")";
  return where + ": " + pattern.key + " (" + m.line + " " + std::to_string(pattern.line) +
         ") " + pattern.pattern;
}

}  // namespace

std::vector<std::string> ExplainRecipients(const std::string& sender, const std::string lines[3],
                                           const std::vector<RuleSource>& rules,
                                           const Messages& m) {
  const sendwarden::AllowConfig& config = sendwarden::GetAllowConfig();
  // The store's rules line up with the recorded sources: default first.
  std::vector<std::pair<const RecipientRule*, const RuleSource*>> applicable;
  size_t next = 0;
  const std::pair<const RecipientRule*, const RuleSource*>* default_rule = nullptr;
  std::pair<const RecipientRule*, const RuleSource*> default_pair;
  if (config.defaultRule != nullptr && next < rules.size()) {
    default_pair = {config.defaultRule.get(), &rules[next++]};
    default_rule = &default_pair;
  }
  std::vector<std::string> out;
  std::string applying;
  for (const sendwarden::SenderSection& section : config.sections) {
    if (next >= rules.size()) break;
    const RuleSource* source = &rules[next++];
    if (sendwarden::PatternFound(*section.senderPattern, sender)) {
      applicable.push_back({section.rule.get(), source});
      applying += "  [" + source->name + "] (" + m.line + " " +
                  std::to_string(source->headerLine) + ")\n";
    }
  }
  out.push_back(applying.empty() ? std::string(m.no_section_applies)
                                 : std::string(m.sections_applying) + "\n" + applying.substr(
                                       0, applying.size() - 1));

  for (int field = 0; field < 3; ++field) {
    const std::string& text = lines[field];
    size_t cursor = 0;
    while (cursor < text.size()) {
      size_t end = text.find('\n', cursor);
      if (end == std::string::npos) end = text.size();
      std::string address = text.substr(cursor, end - cursor);
      cursor = end + 1;
      if (address.empty()) continue;
      if (address.back() == '\r') address.pop_back();

      std::string how = m.not_allowed;
      const PatternSource* match = nullptr;
      if (default_rule != nullptr &&
          (match = RuleMatch(*default_rule->first, *default_rule->second, field, address))) {
        how = Describe(*default_rule->second, *match, m);
      } else {
        for (const auto& rule : applicable) {
          if ((match = RuleMatch(*rule.first, *rule.second, field, address)) != nullptr) {
            how = Describe(*rule.second, *match, m);
            break;
          }
        }
      }
      std::string label = kFieldKeys[field];
      label.resize(4, ' ');
      out.push_back("  " + label + address + "\n      " + how);
    }
  }
  return out;
}

}  // namespace sendwarden_check
