#include "tools/common/encoded_words.h"

#include "base/ascii.h"

#include <cctype>
#include <vector>

namespace sendwarden_tools {

namespace {


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

// Bytes of a "B" text, four characters to three bytes. Characters outside
// the alphabet are skipped; padding ("=") ends a group early, two characters
// then giving one byte and three two; a last group cut short without padding
// gives nothing.
std::string DecodeBase64(const std::string& text) {
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') {
      if (count >= 2) {
        bits <<= 6 * (4 - count);
        out += static_cast<char>((bits >> 16) & 0xFF);
        if (count == 3) out += static_cast<char>((bits >> 8) & 0xFF);
      }
      bits = 0;
      count = 0;
      continue;
    }
    int value = Base64Value(c);
    if (value < 0) continue;
    bits = (bits << 6) | static_cast<unsigned>(value);
    if (++count == 4) {
      out += static_cast<char>((bits >> 16) & 0xFF);
      out += static_cast<char>((bits >> 8) & 0xFF);
      out += static_cast<char>(bits & 0xFF);
      bits = 0;
      count = 0;
    }
  }
  return out;
}

// Bytes of a "Q" text: "_" is a blank, "=XX" a byte. A "=" at the very end,
// or with a single hex digit after it there, gives nothing; any other "="
// without two hex digits stands for itself.
std::string DecodeQ(const std::string& text) {
  std::string out;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    char c = text[i];
    if (c == '_') {
      out += ' ';
    } else if (c != '=') {
      out += c;
    } else if (i + 2 < n && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else if (i + 1 == n || (i + 2 == n && HexValue(text[i + 1]) >= 0)) {
      break;
    } else {
      out += c;
    }
  }
  return out;
}

struct Word {
  size_t begin, end;     // the whole "=?...?=" in the text
  std::string charset;   // without an RFC 2231 "*language"
  char encoding;         // 'B' or 'Q'
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
  // No blank in the charset; blanks and tabs inside the encoded text are
  // taken as mail programs write them, line breaks are not.
  for (size_t i = at + 2; i < charset_end; ++i) {
    if (sendwarden::IsWhiteSpace(text[i])) return false;
  }
  for (size_t i = text_begin; i < text_end; ++i) {
    if (text[i] == '\r' || text[i] == '\n') return false;
  }
  word->begin = at;
  word->end = text_end + 2;
  word->charset = text.substr(at + 2, charset_end - at - 2);
  word->encoding = encoding;
  size_t star = word->charset.find('*');
  if (star != std::string::npos) word->charset.resize(star);
  std::string encoded = text.substr(text_begin, text_end - text_begin);
  word->bytes = encoding == 'B' ? DecodeBase64(encoded) : DecodeQ(encoded);
  return !word->charset.empty();
}

// ISO-2022-JP switches character sets with escapes; each word starts in
// ASCII, so its words are converted one by one.
bool IsStateful(const std::string& charset) {
  std::string lower;
  for (char c : charset) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.compare(0, 8, "iso-2022") == 0 || lower == "csiso2022jp";
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

  auto only_blanks = [&text](size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) {
      if (!sendwarden::IsWhiteSpace(text[k])) return false;
    }
    return true;
  };

  // Runs of words separated by blanks only, in one charset and encoding,
  // each converted as one.
  struct Run {
    size_t first, last;
    bool converted;
    std::string text;
  };
  std::vector<Run> runs;
  for (size_t i = 0; i < words.size();) {
    size_t last = i;
    std::string bytes = words[i].bytes;
    while (last + 1 < words.size() && !IsStateful(words[i].charset) &&
           words[last + 1].encoding == words[i].encoding &&
           SameCharset(words[last + 1].charset, words[i].charset) &&
           only_blanks(words[last].end, words[last + 1].begin)) {
      bytes += words[++last].bytes;
    }
    Run run{i, last, false, std::string()};
    run.converted = convert(bytes, words[i].charset, &run.text);
    if (!run.converted) run.text = text.substr(words[i].begin, words[last].end - words[i].begin);
    runs.push_back(std::move(run));
    i = last + 1;
  }

  // The blanks between two decoded runs go; those beside a word left as it
  // stands stay.
  std::string out;
  size_t cursor = 0;
  for (size_t r = 0; r < runs.size(); ++r) {
    size_t begin = words[runs[r].first].begin;
    bool joined = r > 0 && runs[r - 1].converted && runs[r].converted &&
                  only_blanks(cursor, begin);
    if (!joined) out.append(text, cursor, begin - cursor);
    out += runs[r].text;
    cursor = words[runs[r].last].end;
  }
  out.append(text, cursor, std::string::npos);
  return out;
}

}  // namespace sendwarden_tools
