#include "tools/common/encoded_words.h"

#include <cctype>
#include <vector>

namespace sendwarden_tools {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Bytes of a "B" text. Characters outside the alphabet are skipped; a
// trailing partial group gives what its whole bytes hold.
std::string DecodeBase64(const std::string& text) {
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    int value = Base64Value(c);
    if (value < 0) continue;
    bits = (bits << 6) | static_cast<unsigned>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

// Bytes of a "Q" text: "_" is a blank, "=XX" a byte; a "=" without two hex
// digits stands for itself.
std::string DecodeQ(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '_') {
      out += ' ';
    } else if (c == '=' && i + 2 < text.size() + 0 && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

struct Word {
  size_t begin, end;     // the whole "=?...?=" in the text
  std::string charset;   // without an RFC 2231 "*language"
  std::string bytes;     // decoded, not yet converted
};

// Parses an encoded word that starts at `at` ("=?"); false when there is none.
bool ParseWord(const std::string& text, size_t at, Word* word) {
  size_t charset_end = text.find('?', at + 2);
  if (charset_end == std::string::npos || charset_end == at + 2) return false;
  if (charset_end + 2 >= text.size() || text[charset_end + 2] != '?') return false;
  char encoding = static_cast<char>(std::toupper(static_cast<unsigned char>(text[charset_end + 1])));
  if (encoding != 'B' && encoding != 'Q') return false;
  size_t text_begin = charset_end + 3;
  size_t text_end = text.find("?=", text_begin);
  if (text_end == std::string::npos) return false;
  for (size_t i = at + 2; i < text_end; ++i) {
    if (IsBlank(text[i])) return false;
  }
  word->begin = at;
  word->end = text_end + 2;
  word->charset = text.substr(at + 2, charset_end - at - 2);
  size_t star = word->charset.find('*');
  if (star != std::string::npos) word->charset.resize(star);
  std::string encoded = text.substr(text_begin, text_end - text_begin);
  word->bytes = encoding == 'B' ? DecodeBase64(encoded) : DecodeQ(encoded);
  return !word->charset.empty();
}

bool SameCharset(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string DecodeEncodedWords(const std::string& text, CharsetConverter convert) {
  // Every encoded word, in order.
  std::vector<Word> words;
  for (size_t at = text.find("=?"); at != std::string::npos; at = text.find("=?", at)) {
    Word word;
    if (ParseWord(text, at, &word)) {
      at = word.end;
      words.push_back(std::move(word));
    } else {
      at += 2;
    }
  }
  if (words.empty()) return text;

  std::string out;
  size_t cursor = 0;
  size_t i = 0;
  while (i < words.size()) {
    out.append(text, cursor, words[i].begin - cursor);
    // A run: words separated by blanks only, in one charset.
    size_t last = i;
    std::string bytes = words[i].bytes;
    while (last + 1 < words.size() && SameCharset(words[last + 1].charset, words[i].charset)) {
      bool only_blanks = true;
      for (size_t k = words[last].end; k < words[last + 1].begin; ++k) {
        if (!IsBlank(text[k])) only_blanks = false;
      }
      if (!only_blanks) break;
      bytes += words[++last].bytes;
    }
    std::string converted;
    if (convert(bytes, words[i].charset, &converted)) {
      out += converted;
    } else {
      out.append(text, words[i].begin, words[last].end - words[i].begin);
    }
    cursor = words[last].end;
    // Blanks between this run and a following encoded word go too.
    if (last + 1 < words.size()) {
      bool only_blanks = true;
      for (size_t k = cursor; k < words[last + 1].begin; ++k) {
        if (!IsBlank(text[k])) only_blanks = false;
      }
      if (only_blanks) cursor = words[last + 1].begin;
    }
    i = last + 1;
  }
  out.append(text, cursor, std::string::npos);
  return out;
}

}  // namespace sendwarden_tools
