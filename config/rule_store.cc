#include "config/rule_store.h"

#include <new>

#include "config/pattern_gate.h"

namespace sendwarden {

const char* RuleKeyName(RuleKey key) {
  switch (key) {
    case RuleKey::kAll: return "ALL";
    case RuleKey::kTo: return "TO";
    case RuleKey::kCc: return "CC";
    case RuleKey::kBcc: return "BCC";
  }
  return "";
}

std::optional<RuleKey> ParseRuleKey(std::string_view upper) {
  for (RuleKey key : kRuleKeys) {
    if (upper == RuleKeyName(key)) return key;
  }
  return std::nullopt;
}

PatternList& RecipientRule::List(RuleKey key) {
  return const_cast<PatternList&>(static_cast<const RecipientRule&>(*this).List(key));
}

const PatternList& RecipientRule::List(RuleKey key) const {
  switch (key) {
    case RuleKey::kAll: return allPatterns;
    case RuleKey::kTo: return toPatterns;
    case RuleKey::kCc: return ccPatterns;
    case RuleKey::kBcc: return bccPatterns;
  }
  return allPatterns;
}

void AllowConfig::ClearRules() {
  sections.clear();
  defaultRule.reset();
}

bool AllowConfig::RegisterSection(const std::string& name, std::unique_ptr<RecipientRule> rule,
                                  size_t headerLine, bool* outOfMemory) {
  if (name.empty()) {
    defaultRule = std::move(rule);
    return true;
  }
  try {
    SenderSection section;
    GateVerdict verdict;
    section.senderPattern = CompileKeptPattern(name, &verdict);
    if (section.senderPattern == nullptr) return false;
    section.rule = std::move(rule);
    section.headerLine = headerLine;
    sections.push_back(std::move(section));
    return true;
  } catch (const boost::regex_error&) {
  } catch (const std::bad_alloc&) {
    if (outOfMemory != nullptr) *outOfMemory = true;
  }
  return false;
}

}  // namespace sendwarden
