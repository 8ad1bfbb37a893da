#include "base/ascii.h"

namespace sendwarden {

void ToUpperAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  }
}

void ToLowerAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
  }
}

void TrimBlanks(std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  if (first == last) {
    text.clear();
    return;
  }
  --last;
  if (first == 0 && last == text.size() - 1) return;
  text = text.substr(first, last - first + 1);
}

}  // namespace sendwarden
