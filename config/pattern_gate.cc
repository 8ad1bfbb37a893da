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
  // The engine never sees what the reading refused, not even to compile it:
  // its parser has faults of its own on such syntax.
  *verdict = JudgePattern(text);
  if (!verdict->kept()) return nullptr;
  std::unique_ptr<Pattern> pattern = CompilePattern(text);
  if (!CompiledProgramIsPlain(*pattern)) {
    verdict->refusal = GateRefusal::kUnread;
    verdict->begin = 0;
    verdict->end = text.size();
    return nullptr;
  }
  return pattern;
}

}  // namespace sendwarden
