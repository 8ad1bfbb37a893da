// Finds, in one pass over a text, which patterns of a list can possibly be
// found in it, so the check runs the pattern engine only on those.
//
// At load, each pattern gives a literal that every match must contain, when
// one can be proven from its text (RequiredLiteral). At check time an
// Aho-Corasick automaton over all literals of the list reports which occur in
// the text; a pattern whose literal is absent cannot match and is skipped.
// Patterns without a literal are always candidates. A skipped pattern cannot
// match; the recipient check says why that never changes a verdict.
#ifndef SENDWARDEN_CONFIG_LITERAL_PREFILTER_H_
#define SENDWARDEN_CONFIG_LITERAL_PREFILTER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/aho_corasick.h"

namespace sendwarden {

// A byte string that every match of the Perl-syntax, case-sensitive pattern
// `pattern` must contain, or "" when none can be proven. The pattern is read
// by ReadPatternSyntax (pattern_syntax.h); an unmodelled pattern, one with
// top-level alternatives or with inline options has none. Groups, classes,
// "." and anchors only cut a literal short, and a quantified byte is left
// out. The .cc says why the result is required.
std::string RequiredLiteral(const std::string& pattern);

// For a pattern that starts with "(?i)" (and has no other inline options):
// a byte string that the text of every match contains once folded
// (FoldCase), in folded form; "" when none can be proven. ASCII bytes only.
std::string RequiredFoldedLiteral(const std::string& pattern);

class LiteralPrefilter {
 public:
  // `literals[i]` belongs to pattern i; "" means the pattern has none. With
  // `folded[i]` it is looked for in the folded text (RequiredFoldedLiteral).
  explicit LiteralPrefilter(const std::vector<std::string>& literals,
                            const std::vector<bool>& folded = {});

  // Indexes (ascending, each once) of every pattern that can be found in
  // `text`: those whose literal occurs in it and those without a literal.
  void Candidates(const std::string& text, std::vector<uint32_t>* out) const;

 private:
  std::unique_ptr<AhoCorasick> automaton_;        // over the distinct literals
  std::unique_ptr<AhoCorasick> foldedAutomaton_;  // over the folded ones, if any
  std::vector<std::vector<uint32_t>> literalPatterns_[2];  // literal id -> pattern indexes
  std::vector<uint32_t> always_;                        // patterns without a literal
};

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_LITERAL_PREFILTER_H_
