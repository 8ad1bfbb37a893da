#include "base/pattern.h"

namespace sendwarden {

std::unique_ptr<Pattern> CompilePattern(const std::string& text) {
  return std::make_unique<Pattern>(text.data(), text.data() + text.size(),
                                   boost::regex_constants::normal);
}

bool PatternFound(const Pattern& pattern, const std::string& text) {
  return boost::regex_search(text, pattern, boost::match_default);
}

}  // namespace sendwarden
