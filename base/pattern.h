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
// is the engine's default. Throws boost::regex_error (error_complexity) when
// the search grows too complex, and without searching at all when its budget
// would exceed kMaxSearchSteps.
bool PatternFound(const Pattern& pattern, const std::string& text);

// The engine gives a search of a text of N bytes, with a pattern of S bytes,
// a budget of max(N*S^2, min(N^2, 10^8)) + 100,000 steps, and gives up past
// it. A step costs about 17 ns on this project's machines, so the budget
// alone would let one search of a long pattern over a long address run for
// seconds before it gives up. No search starts whose budget is above this:
// 5,000,000 steps, under 0.1 s. With the longest pattern the loader keeps
// (200 bytes, pattern_gate.h) every text of up to 122 bytes is searched; a
// pattern of 50 bytes reaches 1,960 bytes, and no text over 2,212 bytes is.
constexpr unsigned long long kMaxSearchSteps = 5000000;
unsigned long long SearchBudget(size_t textBytes, size_t patternBytes);

// True when the compiled program holds none of the engine's states for
// backtracking control or recursion, with which its search may never end.
// The loader's reading of the syntax keeps such patterns out; this asks the
// engine's own program as well.
bool CompiledProgramIsPlain(const Pattern& pattern);

}  // namespace sendwarden

#endif  // SENDWARDEN_BASE_PATTERN_H_
