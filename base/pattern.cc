#include "base/pattern.h"

#include <algorithm>

namespace sendwarden {

std::unique_ptr<Pattern> CompilePattern(const std::string& text) {
  return std::make_unique<Pattern>(text.data(), text.data() + text.size(),
                                   boost::regex_constants::normal);
}

unsigned long long SearchBudget(size_t textBytes, size_t patternBytes) {
  // The engine's own estimate (perl_matcher::estimate_max_state_count), in
  // wider numbers.
  constexpr unsigned long long kEngineCap = 100000000, kEngineBase = 100000;
  unsigned long long n = textBytes == 0 ? 1 : textBytes;
  unsigned long long s = patternBytes == 0 ? 1 : patternBytes;
  unsigned long long linear = s > (1ull << 20) || n > (1ull << 24) ? ~0ull : n * s * s + kEngineBase;
  unsigned long long square = n > kEngineCap ? kEngineCap : std::min(n * n + kEngineBase, kEngineCap);
  return std::max(linear, square);
}

bool CompiledProgramIsPlain(const Pattern& pattern) {
  namespace detail = boost::BOOST_REGEX_DETAIL_NS;
  for (const detail::re_syntax_base* state = pattern.get_first_state(); state != nullptr;
       state = state->next.p) {
    switch (state->type) {
      case detail::syntax_element_recurse:
      case detail::syntax_element_fail:
      case detail::syntax_element_accept:
      case detail::syntax_element_commit:
      case detail::syntax_element_then:
        return false;
      default:
        break;
    }
  }
  return true;
}

bool PatternFound(const Pattern& pattern, const std::string& text) {
  if (SearchBudget(text.size(), pattern.size()) > kMaxSearchSteps) {
    throw boost::regex_error(boost::regex_constants::error_complexity);
  }
  // Without match_single_line, "^" and "$" also match next to a carriage
  // return, a form feed or any other line separator inside the text, so a
  // display name decoded to "boss@corp.test" CR " <evil@bad.test>" would
  // satisfy "@corp\.test>?$".
  return boost::regex_search(text, pattern, boost::match_default | boost::match_single_line);
}

}  // namespace sendwarden
