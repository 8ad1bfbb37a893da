#include "tools/common/charset.h"

namespace sendwarden_tools {

bool IsUtf8WithNonAscii(const std::string& bytes) {
  bool non_ascii = false;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    non_ascii = true;
    size_t length;
    unsigned value;
    unsigned minimum;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2, value = c & 0x1F, minimum = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3, value = c & 0x0F, minimum = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4, value = c & 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += length;
  }
  return non_ascii;
}

}  // namespace sendwarden_tools
