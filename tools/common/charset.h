// Converts text in a MIME charset into code page 932, the plug-in's code
// page, with the platform's own converter beneath: iconv on Linux, the
// Windows code-page functions on Windows. A character code page 932 lacks
// becomes "?".
#ifndef SENDWARDEN_TOOLS_COMMON_CHARSET_H_
#define SENDWARDEN_TOOLS_COMMON_CHARSET_H_

#include <string>

namespace sendwarden_tools {

// False, and `out` untouched, when the charset is not known here.
bool ConvertToCp932(const std::string& bytes, const std::string& charset, std::string* out);

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_CHARSET_H_
