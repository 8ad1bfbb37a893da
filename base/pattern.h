// Compiled allow-list and sender patterns, and the one test made with them.
#ifndef SENDWARDEN_BASE_PATTERN_H_
#define SENDWARDEN_BASE_PATTERN_H_

#include <memory>
#include <string>

#include "platform_regex.h"  // per target: which traits the patterns use

namespace sendwarden {

// Boost.Regex, Perl syntax. On Windows the build selects the Win32 traits
// (BOOST_REGEX_USE_WIN32_LOCALE), so character classes follow the system's
// code page as the host's users expect.
using Pattern = boost::regex;

// Compiles every byte of `text` (by length: a NUL byte is part of the
// pattern) with the default Perl syntax, case-sensitive, no other option.
// Throws boost::regex_error when `text` is not a valid pattern.
std::unique_ptr<Pattern> CompilePattern(const std::string& text);

// True when `pattern` is found anywhere in `text` (regex_search, not a whole
// match). "^" and "$" match only at the start and the end of `text`, never
// beside a line separator inside it; for text without line separators that
// is the engine's default. May throw boost::regex_error when the search
// grows too complex.
bool PatternFound(const Pattern& pattern, const std::string& text);

}  // namespace sendwarden

#endif  // SENDWARDEN_BASE_PATTERN_H_
