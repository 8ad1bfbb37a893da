// The one reader of pattern syntax (Boost.Regex, Perl syntax), for
// everything that reasons about a pattern's text without the engine: the
// literal prefilter, the shapes kept without the engine, and lint. It models
// a short list of syntax completely and says so; anything else (inline
// options other than a leading "(?flags)", verbs, look-around, conditionals,
// back-references, \Q..\E, hex and control escapes, POSIX classes, braces
// that are no plain quantifier, ...) leaves the pattern unmodelled, and each
// user then falls back to the engine or to no opinion.
//
//   pattern    := branch {"|" branch}
//   branch     := {item [quantifier]}
//   item       := byte | "\" identity | "\" d D w W s S | "\" b B A z Z
//                 | "." | "^" | "$" | class | "(" pattern ")" | "(?:" pattern ")"
//                 | "(?" flags ")"          flags: letters i m s x, "-"
//   quantifier := ("*" | "+" | "?" | "{n}" | "{n,}" | "{n,m}") ["?" | "+"]
//   class      := "[" ["^"] ["]"] {member} "]", a member being a byte other
//                 than "[", "\" and "]", or "\" with an identity escape or
//                 one of d D w W s S; a "]" right after "[" or "[^" is a member
#ifndef SENDWARDEN_CONFIG_PATTERN_SYNTAX_H_
#define SENDWARDEN_CONFIG_PATTERN_SYNTAX_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace sendwarden {

// True when "\" followed by `c` stands for the byte `c` itself. Left out on
// purpose: "\<" and "\>" (word boundaries), "\`" and "\'" (buffer ends), and
// every letter and digit. A test compares each with the engine.
inline bool IsIdentityEscape(char c) {
  return c != '\0' && std::strchr(".-@/\\*+?()[]{}|^$#!\"%&,:;=~_ ", c) != nullptr;
}

struct PatternItem;
using PatternBranch = std::vector<PatternItem>;

struct PatternItem {
  enum class Kind : uint8_t {
    kByte,         // a byte, or "\" and an identity escape: `byte`
    kClassEscape,  // \d \D \w \W \s \S: `byte` is the letter
    kAssertion,    // \b \B \A \z \Z: `byte` is the letter
    kDot,          // "."
    kStart,        // "^"
    kEnd,          // "$"
    kClass,        // "[...]"; `negated` for "[^...]"
    kGroup,        // "(...)" or "(?:...)": `alternatives`
    kFlags,        // "(?i)" and the like
  };
  Kind kind = Kind::kByte;
  char byte = 0;
  bool negated = false;
  size_t begin = 0, end = 0;            // the item's text, quantifier left out
  size_t quantifierEnd = 0;             // == end when there is no quantifier
  std::vector<PatternBranch> alternatives;

  bool Quantified() const { return quantifierEnd != end; }
};

struct PatternSyntax {
  bool modelled = false;                // false: the pattern uses syntax not modelled here
  std::vector<PatternBranch> branches;  // the top-level alternatives, at least one when modelled
};

// Reads `pattern`. Never throws but std::bad_alloc; gives up (unmodelled)
// past a nesting of 100 groups.
PatternSyntax ReadPatternSyntax(std::string_view pattern);

// The quantifier's text of `item` in `pattern` ("" when none).
inline std::string_view QuantifierOf(std::string_view pattern, const PatternItem& item) {
  return pattern.substr(item.end, item.quantifierEnd - item.end);
}

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_SYNTAX_H_
