// What the pattern engine (Boost.Regex, Perl syntax) reads a backslash
// before a punctuation byte as. Shared by the literal prefilter and the
// pattern shapes, whose arguments both rest on it.
#ifndef SENDWARDEN_CONFIG_PATTERN_SYNTAX_H_
#define SENDWARDEN_CONFIG_PATTERN_SYNTAX_H_

#include <cstring>

namespace sendwarden {

// True when "\" followed by `c` stands for the byte `c` itself. Left out on
// purpose: "\<" and "\>" (word boundaries), "\`" and "\'" (buffer ends), and
// every letter and digit. A test compares each with the engine.
inline bool IsIdentityEscape(char c) {
  return c != '\0' && std::strchr(".-@/\\*+?()[]{}|^$#!\"%&,:;=~_ ", c) != nullptr;
}

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_SYNTAX_H_
