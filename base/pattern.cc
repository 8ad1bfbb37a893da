#include "base/pattern.h"

namespace sendwarden {

std::unique_ptr<Pattern> CompilePattern(const std::string& text) {
  return std::make_unique<Pattern>(text.data(), text.data() + text.size(),
                                   boost::regex_constants::normal);
}

bool PatternFound(const Pattern& pattern, const std::string& text) {
  // Without match_single_line, "^" and "$" also match next to a carriage
  // return, a form feed or any other line separator inside the text, so a
  // display name decoded to "boss@corp.test" CR " <evil@bad.test>" would
  // satisfy "@corp\.test>?$".
  return boost::regex_search(text, pattern, boost::match_default | boost::match_single_line);
}

}  // namespace sendwarden
