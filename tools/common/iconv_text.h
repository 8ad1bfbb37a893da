// Converts text between encodings with iconv (Linux tools only).
#ifndef SENDWARDEN_TOOLS_COMMON_ICONV_TEXT_H_
#define SENDWARDEN_TOOLS_COMMON_ICONV_TEXT_H_

#include <string>

namespace sendwarden_tools {

// `text` from encoding `from` to `to`; a byte that cannot be converted
// becomes '?' (from UTF-8, a whole character the target lacks does). An
// unknown encoding returns the text unchanged.
std::string ConvertText(const std::string& text, const char* to, const char* from);

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_ICONV_TEXT_H_
