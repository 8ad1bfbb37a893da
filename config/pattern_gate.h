// Which patterns the loader keeps: only those whose search is known to end,
// within a cost judged before any send. The plug-in starts no threads and no
// timer can stop the engine once it searches, so a pattern that could freeze
// the mail client must be kept out when the file is loaded.
//
//   - The one reader of pattern syntax must read every construct of the
//     pattern, and none may be one the engine is known to loop on
//     (backtracking-control verbs, recursion; pattern_syntax.h).
//   - A pattern the engine searches may be at most kMaxEnginePatternBytes
//     long: the engine's budget grows with its square (base/pattern.h).
//   - The compiled program must hold none of the engine's states for verbs or
//     recursion (CompiledProgramIsPlain), a second lock on the first.
// A pattern that fails any of them makes its line unusable, as a pattern
// that does not compile does: the file only ever narrows.
#ifndef SENDWARDEN_CONFIG_PATTERN_GATE_H_
#define SENDWARDEN_CONFIG_PATTERN_GATE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "base/pattern.h"
#include "config/pattern_syntax.h"

namespace sendwarden {

// Long enough for a few addresses with their display-name prefix and
// anchors, short enough that every ordinary recipient (up to 122 bytes) can
// be searched within kMaxSearchSteps. A 300-partner alternation on one line
// (8,306 bytes) took 5 s per refused recipient.
constexpr size_t kMaxEnginePatternBytes = 200;
// No pattern is longer than this, even one of a shape the engine is not
// needed for: no address is, and reading a pattern costs memory in
// proportion (a 10 MB line took 3.5 s to load, inside a send).
constexpr size_t kMaxPatternBytes = 4096;

enum class GateRefusal : unsigned char {
  kNone,
  kVerb,       // "(*SKIP)" and the like
  kRecursion,  // "(?R)", "(?1)", "(?&name)", ...
  kUnread,     // syntax the reader does not know
  kTooDeep,    // groups nested past 100
  kTooLong,    // longer than kMaxEnginePatternBytes
};

struct GateVerdict {
  GateRefusal refusal = GateRefusal::kNone;
  size_t begin = 0, end = 0;  // the construct, in the pattern's bytes

  bool kept() const { return refusal == GateRefusal::kNone; }
};

// Judges the text of a pattern the engine is to search (a shape needs no
// engine: RecognizeShape). Reads the syntax; never compiles.
GateVerdict JudgePattern(std::string_view pattern);

// Compiles `text` when the gate keeps it: null, with `verdict` saying why,
// when the gate refuses it (a refused pattern is never handed to the engine,
// which is then not asked whether it compiles). Throws boost::regex_error
// when a kept pattern does not compile.
std::unique_ptr<Pattern> CompileKeptPattern(const std::string& text, GateVerdict* verdict);

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_GATE_H_
