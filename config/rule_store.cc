#include "config/rule_store.h"

#include <new>

namespace sendwarden {

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
    section.senderPattern = CompilePattern(name);
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
