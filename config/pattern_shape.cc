#include "config/pattern_shape.h"

#include <cstring>

#include "base/pattern.h"
#include "config/pattern_syntax.h"

namespace sendwarden {

namespace {

bool IsMeta(char c) { return c != '\0' && std::strchr("\\^$.|?*+()[]{}", c) != nullptr; }

bool StartsWith(const std::string& text, size_t at, const char* prefix) {
  return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// Whether the engine's "." matches every one of the 256 bytes; asked once.
bool DotMatchesEveryByte() {
  static const bool every = [] {
    std::unique_ptr<Pattern> dot = CompilePattern("^.$");
    for (int byte = 0; byte < 256; ++byte) {
      if (!PatternFound(*dot, std::string(1, static_cast<char>(byte)))) return false;
    }
    return true;
  }();
  return every;
}

}  // namespace

std::optional<PatternShape> RecognizeShape(const std::string& text) {
  PatternShape shape;
  size_t begin = 0;
  if (StartsWith(text, 0, "^(.*<)?") || StartsWith(text, 0, "^(?:.*<)?")) {
    if (!DotMatchesEveryByte()) return std::nullopt;
    shape.start = PatternShape::Start::kStartOrAngle;
    begin = text[2] == '?' ? 9 : 7;
  } else if (StartsWith(text, 0, "(^|<)") || StartsWith(text, 0, "(?:^|<)")) {
    shape.start = PatternShape::Start::kStartOrAngle;
    begin = text[1] == '?' ? 7 : 5;
  } else if (StartsWith(text, 0, "^")) {
    shape.start = PatternShape::Start::kTextStart;
    begin = 1;
  } else {
    shape.start = PatternShape::Start::kAnywhere;
  }

  // The end: ">?$" or "$" (">$" is a literal ending in ">" before "$").
  size_t end = text.size();
  if (end == 0 || text[end - 1] != '$') return std::nullopt;
  --end;
  shape.end = PatternShape::End::kTextEnd;
  if (end >= 2 && text[end - 1] == '?' && text[end - 2] == '>') {
    shape.end = PatternShape::End::kOptionalAngleEnd;
    end -= 2;
  }

  // The literal between them. A backslash escapes the byte after it, so the
  // "$" (or "?") taken as the end must not be escaped: walking the literal
  // from the start finds out.
  for (size_t i = begin; i < end; ++i) {
    char c = text[i];
    if (c == '\\') {
      if (i + 1 >= end || !IsIdentityEscape(text[i + 1])) return std::nullopt;
      shape.literal += text[++i];
    } else if (IsMeta(c)) {
      return std::nullopt;
    } else {
      shape.literal += c;
    }
  }
  if (shape.literal.empty()) return std::nullopt;
  return shape;
}

bool ShapeStartHolds(PatternShape::Start start, std::string_view text, size_t at) {
  switch (start) {
    case PatternShape::Start::kAnywhere: return true;
    case PatternShape::Start::kTextStart: return at == 0;
    case PatternShape::Start::kStartOrAngle: return at == 0 || text[at - 1] == '<';
  }
  return false;
}

// Why this is exactly the engine's answer. With "^" and "$" only at the ends
// of the text, the pattern matches when the literal stands at some position
// p, ending at q, with:
//   end:   "$": q is the text's end; ">?$": q is the end, or q + 1 is and
//          the byte at q is ">".
//   start: nothing: any p; "^": p = 0; "(^|<)": p = 0 or the byte before p
//          is "<"; "^(.*<)?": p = 0, or ".*" takes bytes 0 .. p-2 and "<"
//          stands at p - 1, which (as "." matches every byte, a condition of
//          recognising the shape) is again p = 0 or "<" before p.
// The end fixes q to at most two places and the literal's length fixes p,
// so the search below tries every way the engine could match. The engine
// never gives up on these shapes: its budget is at least N * S^2 + 100,000
// states for a text of N bytes and a machine of S states, and a search of
// one of them visits at most a few states per byte of the text.
bool ShapeFound(PatternShape::Start start, PatternShape::End end, std::string_view literal,
                std::string_view text) {
  auto stands_before = [&](size_t q) {
    if (q < literal.size()) return false;
    size_t p = q - literal.size();
    return text.compare(p, literal.size(), literal) == 0 && ShapeStartHolds(start, text, p);
  };
  bool angle = !text.empty() && text.back() == '>';
  switch (end) {
    case PatternShape::End::kTextEnd: return stands_before(text.size());
    case PatternShape::End::kOptionalAngleEnd:
      return stands_before(text.size()) || (angle && stands_before(text.size() - 1));
  }
  return false;
}

}  // namespace sendwarden
