// Converts text in a MIME charset into code page 932, the plug-in's code
// page. The Japanese charsets (ISO-2022-JP, EUC-JP, Shift_JIS) are converted
// here, the same on every platform; the others with the platform's own
// converter beneath: iconv on Linux, the Windows code-page functions on
// Windows. A byte the charset does not allow, and a character code page 932
// lacks, become "?".
#ifndef SENDWARDEN_TOOLS_COMMON_CHARSET_H_
#define SENDWARDEN_TOOLS_COMMON_CHARSET_H_

#include <string>

namespace sendwarden_tools {

// False, and `out` untouched, when the charset is not known here.
bool ConvertToCp932(const std::string& bytes, const std::string& charset, std::string* out);

// The platform's part of ConvertToCp932 (charset_posix.cc, charset_win32.cc).
bool PlatformConvertToCp932(const std::string& bytes, const std::string& charset,
                            std::string* out);

// Code page 932 text as UTF-8; a byte that starts no character becomes "?".
std::string Cp932ToUtf8(const std::string& text);

// True when `bytes` is text of code page 932 as the platform's converter
// reads it: no byte or pair it has no character for.
bool IsValidCp932(const std::string& bytes);

// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF) and holds at least one non-ASCII character.
bool IsUtf8WithNonAscii(const std::string& bytes);

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_CHARSET_H_
