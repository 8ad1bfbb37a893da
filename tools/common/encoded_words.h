// Decodes the MIME encoded words of a header text (RFC 2047, "B" and "Q")
// into code page 932, the way the mail client decodes a header before it
// hands the text to the plug-in. The tools use it to see messages as the
// plug-in would.
//
//   "=?ISO-2022-JP?B?GyRCOjRGIxsoQg==?= <sato@x.test>"  ->  "佐藤 <sato@x.test>"
//
// An encoded word is "=?charset?B|Q?text?=" with no blank or tab inside. The
// blanks between two encoded words are dropped; consecutive words in the
// same charset are decoded together, so a character split across two words
// comes out whole. A word whose charset is unknown, or whose encoding is
// neither B nor Q, is left as it stands; so is all text outside encoded
// words, byte for byte.
#ifndef SENDWARDEN_TOOLS_COMMON_ENCODED_WORDS_H_
#define SENDWARDEN_TOOLS_COMMON_ENCODED_WORDS_H_

#include <string>

namespace sendwarden_tools {

// Converts bytes of `charset` into code page 932; false when the charset is
// unknown. ConvertToCp932 (charset.h) is the platform's.
using CharsetConverter = bool (*)(const std::string& bytes, const std::string& charset,
                                  std::string* cp932);

std::string DecodeEncodedWords(const std::string& text, CharsetConverter convert);

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_ENCODED_WORDS_H_
