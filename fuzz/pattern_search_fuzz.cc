// Fuzzes the promise that no send waits without bound: the input is a
// pattern, a NUL byte, and a text. The pattern goes through the loader's
// gate as a rule line would; when it is kept, the plug-in's own check runs
// with it on the text, as a recipient and as the sender. A search that does
// not end within the fuzzer's time limit is a failure (libFuzzer's
// -timeout), and so is a pattern whose syntax the gate keeps while the
// engine's compiled program holds a state for a verb or recursion.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/pattern.h"
#include "check/recipient_check.h"
#include "config/pattern_gate.h"
#include "config/pattern_shape.h"
#include "config/rule_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sendwarden;
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\0');
  if (split == std::string::npos) return 0;
  std::string pattern_text = input.substr(0, split);
  std::string text = input.substr(split + 1);

  auto rule = std::make_unique<RecipientRule>();
  if (std::optional<PatternShape> shape = RecognizeShape(pattern_text)) {
    rule->toPatterns.push_back(std::move(*shape), pattern_text, 1);
  } else {
    // As the loader: what the gate refuses never reaches the engine.
    if (!JudgePattern(pattern_text).kept()) return 0;
    std::unique_ptr<Pattern> compiled;
    try {
      compiled = CompilePattern(pattern_text);
    } catch (const boost::regex_error&) {
      return 0;
    }
    if (!CompiledProgramIsPlain(*compiled)) __builtin_trap();
    rule->toPatterns.push_back(std::move(compiled), 1);
  }
  rule->toPatterns.BuildIndex();

  AllowConfig config;
  config.RegisterSection("", std::move(rule));
  auto section_rule = std::make_unique<RecipientRule>();
  section_rule->toPatterns.push_back(CompilePattern("^$"), 2);
  section_rule->toPatterns.BuildIndex();
  config.RegisterSection(pattern_text, std::move(section_rule), 2);  // the same gate
  Recipients recipients;
  recipients.sender = text;
  recipients.to = {text};
  try {
    CheckRecipients(config, recipients);
  } catch (const SearchGaveUp&) {
    // The engine gave up within its bound: the send is refused, in time.
  }
  return 0;
}
