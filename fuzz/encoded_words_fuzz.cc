// Fuzzes the tools' encoded-word decoder: any bytes as a header text. It
// must not fail, must hand back a text without "=?" unchanged, and its
// output stays within a small multiple of its input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/common/charset.h"
#include "tools/common/encoded_words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string decoded =
      sendwarden_tools::DecodeEncodedWords(text, &sendwarden_tools::ConvertToCp932);
  if (text.find("=?") == std::string::npos && decoded != text) __builtin_trap();
  if (decoded.size() > 3 * text.size() + 16) __builtin_trap();
  return 0;
}
