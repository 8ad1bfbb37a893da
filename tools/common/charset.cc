#include "tools/common/charset.h"

#include <cctype>

namespace sendwarden_tools {

namespace {

std::string Lower(const std::string& text) {
  std::string out;
  for (char c : text) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A JIS X 0208 character (row and cell bytes 0x21..0x7E) in code page 932.
void AppendJis(unsigned char high, unsigned char low, std::string* out) {
  if (high < 0x21 || high > 0x7E || low < 0x21 || low > 0x7E) {
    *out += '?';
    return;
  }
  unsigned char first = static_cast<unsigned char>(((high + 1) >> 1) + (high <= 0x5E ? 0x70 : 0xB0));
  unsigned char second;
  if (high & 1) {
    second = static_cast<unsigned char>(low + (low < 0x60 ? 0x1F : 0x20));
  } else {
    second = static_cast<unsigned char>(low + 0x7E);
  }
  *out += static_cast<char>(first);
  *out += static_cast<char>(second);
}

// ISO-2022-JP: ASCII and JIS X 0201 Roman, JIS X 0208 after ESC $ @ or
// ESC $ B, half-width katakana after ESC ( I. JIS X 0212 has no place in
// code page 932 and becomes "?".
std::string FromIso2022Jp(const std::string& bytes) {
  enum class Set { kAscii, kJis0208, kKatakana, kOther } set = Set::kAscii;
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0x1B) {
      std::string escape = bytes.substr(i + 1, 3);
      // An escape cut short at the end gives nothing.
      if (escape.size() < 2 || escape == "$(") break;
      if (escape.compare(0, 2, "(B") == 0 || escape.compare(0, 2, "(J") == 0) {
        set = Set::kAscii, i += 2;
      } else if (escape.compare(0, 2, "$@") == 0 || escape.compare(0, 2, "$B") == 0) {
        set = Set::kJis0208, i += 2;
      } else if (escape.compare(0, 2, "(I") == 0) {
        set = Set::kKatakana, i += 2;
      } else if (escape.compare(0, 3, "$(D") == 0) {
        set = Set::kOther, i += 3;
      } else {
        // Another escape: its intermediate bytes and its final byte go.
        out += '?';
        size_t k = i + 1;
        while (k < bytes.size() && bytes[k] >= 0x20 && bytes[k] <= 0x2F) ++k;
        i = k < bytes.size() ? k : bytes.size() - 1;
      }
      continue;
    }
    if (c == '\r' || c == '\n') {
      set = Set::kAscii;
      out += static_cast<char>(c);
      continue;
    }
    switch (set) {
      case Set::kAscii: out += c < 0x80 ? static_cast<char>(c) : '?'; break;
      case Set::kKatakana:
        out += c >= 0x21 && c <= 0x5F ? static_cast<char>(c + 0x80) : '?';
        break;
      case Set::kJis0208:
      case Set::kOther:
        if (i + 1 >= bytes.size()) break;  // cut short at the end: nothing

        if (set == Set::kJis0208) {
          AppendJis(c, static_cast<unsigned char>(bytes[i + 1]), &out);
        } else {
          out += '?';
        }
        ++i;
        break;
    }
  }
  return out;
}

// EUC-JP: ASCII, JIS X 0208 as two bytes 0xA1..0xFE, half-width katakana
// after 0x8E; JIS X 0212 (after 0x8F) becomes "?".
std::string FromEucJp(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c == 0x8E || (c >= 0xA1 && c <= 0xFE)) && i + 1 >= bytes.size()) {
      break;  // cut short at the end: nothing
    } else if (c == 0x8F && i + 2 >= bytes.size()) {
      break;
    } else if (c == 0x8E) {
      unsigned char kana = static_cast<unsigned char>(bytes[++i]);
      out += kana >= 0xA1 && kana <= 0xDF ? static_cast<char>(kana) : '?';
    } else if (c == 0x8F) {
      i += 2;
      out += '?';
    } else if (c >= 0xA1 && c <= 0xFE) {
      AppendJis(c - 0x80, static_cast<unsigned char>(bytes[++i]) - 0x80, &out);
    } else {
      out += '?';
    }
  }
  return out;
}

// Shift_JIS is code page 932 already: kept, but a lead byte without a trail
// byte, or a byte no character starts with, becomes "?", and a lead byte
// cut short at the end gives nothing.
std::string FromShiftJis(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (!lead) {
      out += c < 0x80 || (c >= 0xA1 && c <= 0xDF) ? static_cast<char>(c) : '?';
      continue;
    }
    if (i + 1 >= bytes.size()) break;
    unsigned char trail = static_cast<unsigned char>(bytes[i + 1]);
    if ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)) {
      out += bytes.substr(i++, 2);
    } else {
      out += '?';
    }
  }
  return out;
}

}  // namespace

bool ConvertToCp932(const std::string& bytes, const std::string& charset, std::string* out) {
  std::string name = Lower(charset);
  if (name == "iso-2022-jp" || name == "csiso2022jp" || name == "iso-2022-jp-1") {
    *out = FromIso2022Jp(bytes);
    return true;
  }
  if (name == "euc-jp" || name == "x-euc-jp" || name == "eucjp") {
    *out = FromEucJp(bytes);
    return true;
  }
  if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "x-sjis" ||
      name == "cp932" || name == "windows-31j" || name == "ms_kanji") {
    *out = FromShiftJis(bytes);
    return true;
  }
  return PlatformConvertToCp932(bytes, name, out);
}

}  // namespace sendwarden_tools
