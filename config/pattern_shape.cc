#include "config/pattern_shape.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>

#include "base/pattern.h"
#include "config/pattern_syntax.h"

namespace sendwarden {

namespace {

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

// How the engine, told to ignore case, compares bytes with an ASCII byte of
// a pattern: as a map of every byte to a class, or null when no such map
// describes it. The case table comes from the locale the engine runs in:
// A-Z with a-z at least, and under some code pages more (a Japanese Windows
// takes the lone byte 0xEF for "@"). Asked of the engine once.
const std::array<unsigned char, 256>* EngineCaseClasses() {
  static const std::optional<std::array<unsigned char, 256>> classes =
      []() -> std::optional<std::array<unsigned char, 256>> {
    auto lower = [](int byte) { return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte; };
    std::array<std::array<bool, 256>, 0x80> matches{};
    for (int literal = 1; literal < 0x80; ++literal) {
      char text[16];
      std::snprintf(text, sizeof text, "(?i)^\\x%02x$", literal);
      std::unique_ptr<Pattern> pattern = CompilePattern(text);
      for (int byte = 0; byte < 256; ++byte) {
        matches[literal][byte] = PatternFound(*pattern, std::string(1, static_cast<char>(byte)));
      }
    }
    // A byte's class: the first ASCII byte that matches it, folded to lower
    // case; a byte no ASCII byte matches is a class of its own.
    std::array<unsigned char, 256> of{};
    for (int byte = 0; byte < 256; ++byte) {
      of[byte] = static_cast<unsigned char>(byte);
      for (int literal = 1; literal < 0x80; ++literal) {
        if (matches[literal][byte]) {
          of[byte] = static_cast<unsigned char>(lower(literal));
          break;
        }
      }
    }
    for (int literal = 1; literal < 0x80; ++literal) {
      for (int byte = 0; byte < 256; ++byte) {
        if (matches[literal][byte] != (of[byte] == of[literal])) return std::nullopt;
      }
    }
    return of;
  }();
  return classes ? &*classes : nullptr;
}

}  // namespace

namespace {

using Kind = PatternItem::Kind;

bool IsByte(const PatternItem& item, char byte) {
  return item.kind == Kind::kByte && item.byte == byte && !item.Quantified();
}

// "^|<": one alternative "^", the other "<", in that order.
bool IsStartOrAngle(const std::vector<PatternBranch>& alternatives) {
  return alternatives.size() == 2 && alternatives[0].size() == 1 && alternatives[1].size() == 1 &&
         alternatives[0][0].kind == Kind::kStart && !alternatives[0][0].Quantified() &&
         IsByte(alternatives[1][0], '<');
}

// ".*<" as a group's one alternative.
bool IsDisplayNamePrefix(std::string_view text, const std::vector<PatternBranch>& alternatives) {
  return alternatives.size() == 1 && alternatives[0].size() == 2 &&
         alternatives[0][0].kind == Kind::kDot && QuantifierOf(text, alternatives[0][0]) == "*" &&
         IsByte(alternatives[0][1], '<');
}

}  // namespace

std::optional<PatternShape> RecognizeShape(const std::string& text) {
  PatternSyntax syntax = ReadPatternSyntax(text);
  if (!syntax.modelled || syntax.branches.size() != 1) return std::nullopt;
  const PatternBranch& items = syntax.branches[0];
  PatternShape shape;
  size_t first = 0, last = items.size();

  // "(?i)" and nothing else for options: the literal is folded below.
  if (last >= 1 && items[0].kind == Kind::kFlags) {
    if (text.compare(items[0].begin, items[0].end - items[0].begin, "(?i)") != 0 ||
        items[0].Quantified()) {
      return std::nullopt;
    }
    shape.ignoreCase = true;
    first = 1;
  }

  // The start: "^(.*<)?", "(^|<)", "^" or nothing; groups may be "(?:".
  shape.start = PatternShape::Start::kAnywhere;
  const size_t s = first;
  if (last >= s + 2 && items[s].kind == Kind::kStart && !items[s].Quantified() &&
      items[s + 1].kind == Kind::kGroup && QuantifierOf(text, items[s + 1]) == "?" &&
      IsDisplayNamePrefix(text, items[s + 1].alternatives)) {
    if (!DotMatchesEveryByte()) return std::nullopt;
    shape.start = PatternShape::Start::kStartOrAngle;
    first = s + 2;
  } else if (last >= s + 1 && items[s].kind == Kind::kGroup && !items[s].Quantified() &&
             IsStartOrAngle(items[s].alternatives)) {
    shape.start = PatternShape::Start::kStartOrAngle;
    first = s + 1;
  } else if (last >= s + 1 && items[s].kind == Kind::kStart && !items[s].Quantified()) {
    shape.start = PatternShape::Start::kTextStart;
    first = s + 1;
  }

  // The end: ">?$" or "$" (">$" is a literal ending in ">" before "$").
  if (last == first || items[last - 1].kind != Kind::kEnd || items[last - 1].Quantified()) {
    return std::nullopt;
  }
  --last;
  shape.end = PatternShape::End::kTextEnd;
  if (last > first && items[last - 1].kind == Kind::kByte && items[last - 1].byte == '>' &&
      QuantifierOf(text, items[last - 1]) == "?") {
    shape.end = PatternShape::End::kOptionalAngleEnd;
    --last;
  }

  // The literal between them: unquantified bytes only.
  for (size_t i = first; i < last; ++i) {
    if (items[i].kind != Kind::kByte || items[i].Quantified()) return std::nullopt;
    shape.literal += items[i].byte;
  }
  if (shape.literal.empty()) return std::nullopt;
  if (shape.ignoreCase) {
    for (char c : shape.literal) {
      if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    }
    if (EngineCaseClasses() == nullptr) return std::nullopt;
    shape.literal = FoldCase(shape.literal);
  }
  return shape;
}

bool FoldCaseIsTheEngines() { return EngineCaseClasses() != nullptr; }

std::string FoldCase(std::string_view text) {
  std::string folded(text);
  const std::array<unsigned char, 256>* classes = EngineCaseClasses();
  for (char& c : folded) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (classes != nullptr) {
      c = static_cast<char>((*classes)[byte]);
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
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
                bool ignore_case, std::string_view text) {
  auto same = [&](size_t p) {
    if (!ignore_case) return text.compare(p, literal.size(), literal) == 0;
    // Only recognised when the classes exist.
    const std::array<unsigned char, 256>& classes = *EngineCaseClasses();
    for (size_t i = 0; i < literal.size(); ++i) {
      if (classes[static_cast<unsigned char>(text[p + i])] != static_cast<unsigned char>(literal[i])) {
        return false;
      }
    }
    return true;
  };
  auto stands_before = [&](size_t q) {
    if (q < literal.size()) return false;
    size_t p = q - literal.size();
    return same(p) && ShapeStartHolds(start, text, p);
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
