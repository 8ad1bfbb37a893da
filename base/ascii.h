// Byte-wise text helpers shared by the header parser, the address reader and
// the configuration loader. All work on single bytes of the system code page
// and never consult a locale, so the second byte of a double-byte character
// is treated like any other byte.
#ifndef SENDWARDEN_BASE_ASCII_H_
#define SENDWARDEN_BASE_ASCII_H_

#include <string>
#include <string_view>
#include <type_traits>

namespace sendwarden {

// The byte-order mark Notepad writes before UTF-8 text.
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr size_t kUtf8BomSize = sizeof kUtf8Bom - 1;

// The three meanings of "blank" the file formats use:
// a blank (0x20) or a tab: what TrimBlanks removes and header fields skip;
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// the same or a carriage return: what may stand around a section header's
// brackets, since a line that ended in two CRs keeps one;
inline bool IsBlankOrCr(char c) { return IsBlank(c) || c == '\r'; }
// the same or a line feed: the white space an encoded word may not hold.
inline bool IsWhiteSpace(char c) { return IsBlankOrCr(c) || c == '\n'; }

// Turns bytes a-z into A-Z and leaves every other byte as it is.
void ToUpperAscii(std::string& text);

// Turns bytes A-Z into a-z and leaves every other byte as it is.
void ToLowerAscii(std::string& text);

// Removes leading and trailing blanks (0x20) and tabs (0x09), nothing else.
void TrimBlanks(std::string& text);

// Calls `line(text, number)` for each line of `text`, numbered from 1: a
// line feed ends a line, one carriage return right before it goes with it,
// and the last line needs no line feed. An empty text has no line. A `line`
// that returns bool stops the walk by returning false.
template <typename F>
void ForEachLine(std::string_view text, F line) {
  size_t number = 0;
  for (size_t cursor = 0; cursor < text.size();) {
    size_t end = text.find('\n', cursor);
    size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) {
      end = text.size();
    } else if (end > cursor && text[end - 1] == '\r') {
      --end;
    }
    std::string_view current = text.substr(cursor, end - cursor);
    cursor = next;
    if constexpr (std::is_same_v<decltype(line(current, number)), bool>) {
      if (!line(current, ++number)) return;
    } else {
      line(current, ++number);
    }
  }
}

}  // namespace sendwarden

#endif  // SENDWARDEN_BASE_ASCII_H_
