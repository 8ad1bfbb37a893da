#include "config/pattern_gate.h"

namespace sendwarden {

GateVerdict JudgePattern(std::string_view pattern) {
  GateVerdict verdict;
  if (pattern.size() > kMaxEnginePatternBytes) {
    verdict.refusal = GateRefusal::kTooLong;
    verdict.begin = kMaxEnginePatternBytes;
    verdict.end = pattern.size();
    return verdict;
  }
  PatternSyntax syntax = ReadPatternSyntax(pattern);
  if (syntax.modelled) return verdict;
  switch (syntax.refusal) {
    case PatternRefusal::kVerb: verdict.refusal = GateRefusal::kVerb; break;
    case PatternRefusal::kRecursion: verdict.refusal = GateRefusal::kRecursion; break;
    case PatternRefusal::kTooDeep: verdict.refusal = GateRefusal::kTooDeep; break;
    case PatternRefusal::kNone:
    case PatternRefusal::kUnread: verdict.refusal = GateRefusal::kUnread; break;
  }
  verdict.begin = syntax.refusedBegin;
  verdict.end = syntax.refusedEnd;
  return verdict;
}

std::unique_ptr<Pattern> CompileKeptPattern(const std::string& text, GateVerdict* verdict) {
  // What does not compile is the engine's to say, before the gate's view.
  std::unique_ptr<Pattern> pattern;
  if (text.size() <= kMaxEnginePatternBytes) pattern = CompilePattern(text);
  *verdict = JudgePattern(text);
  if (!verdict->kept()) return nullptr;
  if (!CompiledProgramIsPlain(*pattern)) {
    verdict->refusal = GateRefusal::kUnread;
    verdict->begin = 0;
    verdict->end = text.size();
    return nullptr;
  }
  return pattern;
}

}  // namespace sendwarden
