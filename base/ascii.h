// Byte-wise text helpers shared by the header parser and the configuration
// loader. Both work on single bytes of the system code page and never consult
// a locale, so the second byte of a double-byte character is treated like
// any other byte.
#ifndef SENDWARDEN_BASE_ASCII_H_
#define SENDWARDEN_BASE_ASCII_H_

#include <string>

namespace sendwarden {

// Turns bytes a-z into A-Z and leaves every other byte as it is.
void ToUpperAscii(std::string& text);

// Removes leading and trailing blanks (0x20) and tabs (0x09), nothing else.
void TrimBlanks(std::string& text);

}  // namespace sendwarden

#endif  // SENDWARDEN_BASE_ASCII_H_
