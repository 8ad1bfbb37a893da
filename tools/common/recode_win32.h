// Windows only: text from one code page into another, through UTF-16, with
// the code-page functions.
#ifndef SENDWARDEN_TOOLS_COMMON_RECODE_WIN32_H_
#define SENDWARDEN_TOOLS_COMMON_RECODE_WIN32_H_

#include <string>

namespace sendwarden_tools {

// `text` of code page `from` in code page `to`. With `exact`, a character
// `to` lacks becomes "?" rather than a look-alike (no best fit).
std::string Recode(const std::string& text, unsigned from, unsigned to, bool exact = false);

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_RECODE_WIN32_H_
