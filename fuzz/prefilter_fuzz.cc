// Fuzzes the literal prefilter: the input is a pattern, a NUL byte, and a
// text. Whenever the engine finds the pattern in the text, the prefilter
// must list the pattern as a candidate for that text, by its literal or, for
// a pattern that ignores case, by its folded literal; otherwise the check
// would skip a pattern that allows.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/pattern.h"
#include "config/literal_prefilter.h"
#include "config/pattern_gate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\0');
  if (split == std::string::npos) return 0;
  std::string pattern_text = input.substr(0, split);
  std::string text = input.substr(split + 1);

  // Only what the loader keeps: a pattern the gate refuses is never searched.
  std::unique_ptr<sendwarden::Pattern> pattern;
  try {
    sendwarden::GateVerdict verdict;
    pattern = sendwarden::CompileKeptPattern(pattern_text, &verdict);
  } catch (const boost::regex_error&) {
    return 0;
  }
  if (pattern == nullptr) return 0;
  bool found = false;
  try {
    found = sendwarden::PatternFound(*pattern, text);
  } catch (const boost::regex_error&) {
    return 0;
  }
  if (!found) return 0;

  std::string literal = sendwarden::RequiredLiteral(pattern_text);
  bool folded = literal.empty();
  if (folded) literal = sendwarden::RequiredFoldedLiteral(pattern_text);
  sendwarden::LiteralPrefilter prefilter({literal}, {folded});
  std::vector<uint32_t> candidates;
  prefilter.Candidates(text, &candidates);
  if (candidates != std::vector<uint32_t>{0}) __builtin_trap();
  return 0;
}
