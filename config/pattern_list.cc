#include "config/pattern_list.h"

namespace sendwarden {

void PatternList::BuildPrefilter() {
  prefilter_.reset();
  std::vector<std::string> literals;
  literals.reserve(entries_.size());
  bool any = false;
  for (const Entry& entry : entries_) {
    literals.push_back(RequiredLiteral(entry.pattern->str()));
    any = any || !literals.back().empty();
  }
  // A list in which no pattern has a literal gains nothing from an index.
  if (any) prefilter_ = std::make_unique<const LiteralPrefilter>(literals);
}

}  // namespace sendwarden
