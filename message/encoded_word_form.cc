#include "message/encoded_word_form.h"

#include <cstring>

namespace sendwarden {

namespace {

bool IsTokenByte(char c) {
  return c > 0x20 && c < 0x7F && std::strchr("()<>@,;:\"/[]?.=", c) == nullptr;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  return c == '+' ? 62 : c == '/' ? 63 : -1;
}

// True when the word's text decodes to a NUL byte somewhere. The mail
// client hands its decoding over as a C string, which ends there; the
// decoders before it do not all agree on what is lost.
bool DecodesToNul(std::string_view text, char encoding) {
  if (encoding == 'Q' || encoding == 'q') {
    for (size_t i = 0; i + 2 < text.size(); ++i) {
      if (text[i] == '=' && HexValue(text[i + 1]) == 0 && HexValue(text[i + 2]) == 0) return true;
    }
    return false;
  }
  // Base64, skipping what is no base64 character, as decoders do. A group
  // cut short (by "=" or by the end) counts with the whole bytes it holds:
  // some decoders give them.
  unsigned bits = 0;
  int count = 0;
  auto group_has_nul = [&] {
    bool nul = false;
    for (int byte = 0; byte < count * 6 / 8; ++byte) {
      nul |= ((bits >> (count * 6 - 8 * (byte + 1))) & 0xFF) == 0;
    }
    bits = 0;
    count = 0;
    return nul;
  };
  for (char c : text) {
    int value = Base64Value(c);
    if (value < 0) {
      if (c == '=' && group_has_nul()) return true;
      continue;
    }
    bits = (bits << 6) | static_cast<unsigned>(value);
    if (++count == 4 && group_has_nul()) return true;
  }
  return group_has_nul();
}

// The end of the encoded word that starts at `at`, or npos.
size_t WordEnd(std::string_view raw, size_t at) {
  size_t i = at + 2;
  size_t charset = i;
  while (i < raw.size() && IsTokenByte(raw[i])) ++i;
  if (i == charset || i + 2 >= raw.size() || raw[i] != '?') return std::string_view::npos;
  char encoding = raw[i + 1];
  if (std::strchr("BbQq", encoding) == nullptr || encoding == '\0' || raw[i + 2] != '?') {
    return std::string_view::npos;
  }
  size_t text = i + 3;
  for (i = text; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '?') {
      if (i + 1 >= raw.size() || raw[i + 1] != '=') return std::string_view::npos;
      return DecodesToNul(raw.substr(text, i - text), encoding) ? std::string_view::npos : i + 2;
    }
    if (c <= 0x20 || c >= 0x7F) return std::string_view::npos;
  }
  return std::string_view::npos;
}

}  // namespace

// What may stand beside an encoded word: a blank or line end, or the
// brackets and parentheses around a display name or a comment. Glued to
// text or to another word, it is no encoded word to some decoders and one to
// others.
bool Delimits(char c) { return std::strchr(" \t\r\n()<>\"", c) != nullptr && c != '\0'; }

size_t FindUnclearEncodedWord(std::string_view raw) {
  for (size_t at = raw.find("=?"); at != std::string_view::npos; at = raw.find("=?", at)) {
    size_t end = WordEnd(raw, at);
    if (end == std::string_view::npos) return at;
    if ((at > 0 && !Delimits(raw[at - 1])) || (end < raw.size() && !Delimits(raw[end]))) return at;
    at = end;
  }
  return std::string_view::npos;
}

}  // namespace sendwarden
