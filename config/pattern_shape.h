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
  // After "(?i)": ASCII letters match either case. The literal is then
  // ASCII only, kept in lower case.
  bool ignoreCase = false;
};

// The shape of the pattern `text`, or nothing when it is not one of them.
// The literal part is one or more bytes that the engine reads as themselves:
// any byte but \ ^ $ . | ? * + ( ) [ ] { }, or a backslash before one of
// . - @ / \ * + ? ( ) [ ] { } | ^ $ # ! " % & , : ; = ~ _ and blank.
// "^(.*<)?" counts only where the engine's "." matches every byte, which is
// asked of the engine itself once. A leading "(?i)" counts when the literal
// is ASCII only: the engine then folds exactly the letters A-Z, as ShapeFound
// does.
std::optional<PatternShape> RecognizeShape(const std::string& text);

// Exactly whether the engine finds a pattern of this shape in `text` (with
// "^" and "$" at the ends of the text only; see PatternFound).
// With `ignore_case`, `literal` is in lower case and the text's ASCII
// letters are compared in lower case.
bool ShapeFound(PatternShape::Start start, PatternShape::End end, std::string_view literal,
                bool ignore_case, std::string_view text);

// `text` with A-Z in lower case and every other byte as it stands.
std::string FoldAsciiCase(std::string_view text);

// Whether the literal may start at `at` in `text` under `start`.
bool ShapeStartHolds(PatternShape::Start start, std::string_view text, size_t at);

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_SHAPE_H_
