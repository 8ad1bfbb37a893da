// The one reader of pattern syntax (Boost.Regex, Perl syntax), for
// everything that reasons about a pattern's text without the engine: the
// loader's gate (which patterns are kept at all), the literal prefilter, the
// shapes kept without the engine, and lint.
//
// It reads the engine's whole Perl syntax, as Boost 1.81 parses it: bytes and
// escapes, classes, anchors and assertions, every kind of group, look-ahead
// and look-behind, back-references, conditionals, inline options (with "x"
// mode's blanks and comments), comments and \Q...\E, and repeats of every
// kind. Two families it reads but refuses, because the engine's search is not
// known to end with them: backtracking-control verbs ("(*SKIP)", "(*ACCEPT)",
// any "(*...)"), and recursion ("(?R)", "(?1)", "(?&name)", "(?P>name)", and
// the conditions "(?(R)" and "(?(DEFINE)" that go with it). Syntax it does
// not know is refused too: the gate keeps only what it has read.
//
// The items users reason about are those of the grammar below; everything
// else is an item of its own kind, which each user treats as "unknown" in
// the direction that is safe for it:
//
//   pattern    := branch {"|" branch}
//   branch     := {item [quantifier]}
//   item       := byte | "\" identity | "\" d D w W s S | "\" b B A z Z ...
//                 | "." | "^" | "$" | class | "(" pattern ")" | "(?:" pattern ")"
//                 | "(?" flags ")" | ...
//   quantifier := ("*" | "+" | "?" | "{n}" | "{n,}" | "{n,m}") ["?" | "+"]
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
    kAssertion,    // \b \B \A \z \Z \< \> \` \' \G \K: `byte` is the letter
    kDot,          // "."
    kStart,        // "^"
    kEnd,          // "$"
    kClass,        // "[...]"; `negated` for "[^...]"
    kGroup,        // "(...)", "(?:...)", "(?|...)", "(?<name>...)": `alternatives`
    kFlags,        // "(?i)" and the like
    // Read, but left to the engine by every user but the gate:
    kOtherByte,    // one byte by another spelling: \n \x41 \101 \cA \e \N{..}, an
                   // escaped letter the engine takes as itself, "{", "}", "]";
                   // `byte` is its value, `known` false when it is not known here
    kOtherClass,   // \h \H \v \V \l \L \u \U \pX \p{..} \PX \X \R \C
    kBackReference,  // \1 \g1 \g{-1} \k<name> \k'name' \k{name} (?P=name)
    kQuoted,         // \Q...\E (its bytes are the text between)
    kLookaround,     // (?=..) (?!..) (?<=..) (?<!..): `negated`, `behind`
    kAtomic,         // (?>...)
    kOptionGroup,    // (?i:...) and the like
    kConditional,    // (?(cond)yes|no): `alternatives` are yes and no, and
                     // `condition` holds a look-around item, or is empty
  };
  Kind kind = Kind::kByte;
  char byte = 0;
  bool negated = false;
  bool behind = false;
  bool known = true;
  size_t begin = 0, end = 0;            // the item's text, quantifier left out
  size_t quantifierEnd = 0;             // == end when there is no quantifier
  std::vector<PatternBranch> alternatives;
  std::vector<PatternItem> condition;

  bool Quantified() const { return quantifierEnd != end; }
};

// Why a pattern is not kept, and so not modelled.
enum class PatternRefusal : uint8_t {
  kNone,
  kVerb,       // "(*...)": the engine's search may never end
  kRecursion,  // "(?R)", "(?1)", "(?&name)", ...: the same
  kUnread,     // syntax this reader does not know, or a pattern the engine rejects
  kTooDeep,    // groups nested more than 100 deep
};

struct PatternSyntax {
  // True when every construct was read and none is refused: the engine's
  // search is known to end. Only then are `branches` filled.
  bool modelled = false;
  std::vector<PatternBranch> branches;  // the top-level alternatives, at least one
  PatternRefusal refusal = PatternRefusal::kNone;
  size_t refusedBegin = 0, refusedEnd = 0;  // the construct that stopped the reading
};

// Reads `pattern`. Never throws but std::bad_alloc.
PatternSyntax ReadPatternSyntax(std::string_view pattern);

// The quantifier's text of `item` in `pattern` ("" when none).
inline std::string_view QuantifierOf(std::string_view pattern, const PatternItem& item) {
  return pattern.substr(item.end, item.quantifierEnd - item.end);
}

// True when the item holds items of its own (alternatives or a condition).
inline bool HasInnerItems(const PatternItem& item) {
  return !item.alternatives.empty() || !item.condition.empty();
}

// Calls `visit` for every item at every depth, conditions included; stops
// and answers true as soon as `visit` does.
template <typename Visit>
bool AnyItem(const std::vector<PatternBranch>& branches, const Visit& visit) {
  for (const PatternBranch& branch : branches) {
    for (const PatternItem& item : branch) {
      if (visit(item) || AnyItem(item.alternatives, visit)) return true;
      for (const PatternItem& condition : item.condition) {
        if (visit(condition) || AnyItem(condition.alternatives, visit)) return true;
      }
    }
  }
  return false;
}

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_SYNTAX_H_
