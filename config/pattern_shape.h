// Patterns of a few shapes that allow lists are mostly made of, decided
// without the pattern engine: a literal address or domain anchored at the end
// of the recipient, with an optional display-name prefix and an optional ">".
//
//   ^(.*<)?user1@partner\.example\.com>?$     @example\.co\.jp>?$
//   (^|<)sales@example\.co\.jp>?$             ^archive@example\.co\.jp$
//   (?i)@example\.co\.jp>?$   (any of them after "(?i)", an ASCII literal)
//
// Such a pattern needs no compiled object (the engine's takes kilobytes), and
// a list of them is searched by hashing the entry's tail instead of running
// the engine once per pattern. Everything else goes to the engine.
#ifndef SENDWARDEN_CONFIG_PATTERN_SHAPE_H_
#define SENDWARDEN_CONFIG_PATTERN_SHAPE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sendwarden {

struct PatternShape {
  enum class Start : uint8_t {
    kAnywhere,      // nothing before the literal
    kTextStart,     // "^"
    kStartOrAngle,  // "(^|<)", "(?:^|<)", "^(.*<)?" or "^(?:.*<)?"
  };
  enum class End : uint8_t {
    kTextEnd,           // "$"
    kOptionalAngleEnd,  // ">?$"
  };
  Start start;
  End end;
  std::string literal;  // the bytes the literal part stands for, escapes resolved
  // After "(?i)": bytes are compared as the engine compares them ignoring
  // case (FoldCase). The literal is then ASCII only, kept folded.
  bool ignoreCase = false;
};

// The shape of the pattern `text`, or nothing when it is not one of them.
// The literal part is one or more bytes that the engine reads as themselves:
// any byte but \ ^ $ . | ? * + ( ) [ ] { }, or a backslash before one of
// . - @ / \ * + ? ( ) [ ] { } | ^ $ # ! " % & , : ; = ~ _ and blank.
// "^(.*<)?" counts only where the engine's "." matches every byte, which is
// asked of the engine itself once. A leading "(?i)" counts when the literal
// is ASCII only and the engine's case-blind comparison of a byte with an
// ASCII byte is a map of bytes to classes (asked of the engine once, too;
// it holds for the C locale and for Windows code page 932).
std::optional<PatternShape> RecognizeShape(const std::string& text);

// Exactly whether the engine finds a pattern of this shape in `text` (with
// "^" and "$" at the ends of the text only; see PatternFound).
// With `ignore_case`, `literal` is folded (FoldCase) and so is each byte of
// the text before it is compared.
bool ShapeFound(PatternShape::Start start, PatternShape::End end, std::string_view literal,
                bool ignore_case, std::string_view text);

// `text` with each byte replaced by its class under the engine's case-blind
// comparison: A-Z become a-z, and whatever else the engine's locale takes
// for one of them becomes it too. Where the engine's comparison is no such
// map, A-Z in lower case only (and no shape ignores case).
std::string FoldCase(std::string_view text);

// True when FoldCase is the engine's own case-blind comparison (a map of
// bytes to classes), not the fallback.
bool FoldCaseIsTheEngines();

// Whether the literal may start at `at` in `text` under `start`.
bool ShapeStartHolds(PatternShape::Start start, std::string_view text, size_t at);

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_SHAPE_H_
