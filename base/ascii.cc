#include "base/ascii.h"

namespace sendwarden {

void ToUpperAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  }
}

void TrimBlanks(std::string& text) {
  static const char kBlanks[] = " \t";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  size_t last = text.find_last_not_of(kBlanks);
  if (first == 0 && last == text.size() - 1) return;
  text = text.substr(first, last - first + 1);
}

}  // namespace sendwarden
