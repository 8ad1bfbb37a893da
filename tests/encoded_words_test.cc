// The tools' encoded-word decoder against GMime, the decoder of the Linux
// substitute host, on generated header texts: valid words in every charset
// the tools know, adjacent and folded words, words inside quotes and other
// text, unknown charsets, bad base64 and quoted-printable. Where GMime is
// deliberately not followed, the test says how and checks that instead.
#include "tools/common/encoded_words.h"

#include <gmime/gmime.h>
#include <gtest/gtest.h>

#include <cctype>

#include "tools/common/charset.h"
#include "tools/common/iconv_text.h"
#include "tests/random_picker.h"

namespace sendwarden_tools {
namespace {

// What the Linux substitute host hands the plug-in for `text`.
std::string HostDecode(const std::string& text) {
  if (text.find("=?") == std::string::npos) return text;
  char* utf8 = g_mime_utils_header_decode_text(nullptr, text.c_str());
  std::string out = ConvertText(utf8 == nullptr ? text : utf8, "CP932", "UTF-8");
  g_free(utf8);
  return out;
}

std::string Ours(const std::string& text) { return DecodeEncodedWords(text, &ConvertToCp932); }

// The plug-in sees NUL-terminated texts.
std::string AsSeen(const std::string& text) { return text.substr(0, text.find('\0')); }

// Names without the characters whose Unicode mapping differs between
// converters (wave dash, minus sign and the like). Compiled to code page
// 932, like every literal here.
const char* const kNames[] = {"佐藤 三郎", "山田", "ｶﾀｶﾅ", "Sato", "営業部 表", "abc_def", "a=b?c"};

std::string Encode(const std::string& cp932, const std::string& charset) {
  if (charset == "ISO-2022-JP") return ConvertText(cp932, "ISO-2022-JP", "CP932");
  if (charset == "Shift_JIS") return cp932;
  if (charset == "EUC-JP") return ConvertText(cp932, "EUC-JP", "CP932");
  return ConvertText(cp932, "UTF-8", "CP932");
}

bool SameCharset(std::string a, std::string b) {
  for (char& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : b) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return a == b;
}

std::string Base64(const std::string& bytes, bool pad) {
  static const char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 2]);
    size_t chars = std::min<size_t>(4, (bytes.size() - i) * 4 / 3 + ((bytes.size() - i) % 3 != 0));
    for (size_t k = 0; k < 4; ++k) {
      if (k < chars) {
        out += kDigits[(value >> (18 - 6 * k)) & 63];
      } else if (pad) {
        out += '=';
      }
    }
  }
  return out;
}

std::string QEncode(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '_';
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "=%02X", c);
      out += hex;
    }
  }
  return out;
}

class Generator : public sendwarden::testing::RandomPicker {
 public:
  using RandomPicker::RandomPicker;

  // One encoded word of a name; `bytes` gets what it holds.
  std::string Word(std::string* charset, std::string* bytes, bool* padded_b) {
    static const char* const kCharsets[] = {"UTF-8", "ISO-2022-JP", "Shift_JIS", "EUC-JP",
                                            "us-ascii", "utf-8"};
    const char* name = kNames[Below(7)];
    *charset = kCharsets[Below(6)];
    if (*charset == "us-ascii") name = kNames[3 + 2 * Below(2)];
    *bytes = Encode(name, *charset);
    bool b = Below(2) == 0;
    // Base64 without padding only where no group is cut short: a word then
    // still holds whole characters (cut groups are among the malformed).
    bool pad = Below(4) != 0 || bytes->size() % 3 != 0;
    *padded_b = b && (pad || bytes->size() % 3 != 0);
    return "=?" + *charset + "?" + (b ? (Below(2) ? "B" : "b") : (Below(2) ? "Q" : "q")) + "?" +
           (b ? Base64(*bytes, pad) : QEncode(*bytes)) + "?=";
  }
};

TEST(EncodedWords, AgreeWithTheLinuxHostOnWellFormedText) {
  g_mime_init();
  Generator generate(15);
  static const char* const kBetween[] = {" ", "\t", "\r\n ", "\n\t", "  ", ""};
  static const char* const kAround[][2] = {{"", ""}, {"", " <a@x.test>"}, {"\"", "\" <a@x.test>"},
                                           {"(", ")"}, {"Dear ", ""}, {"x", "y"}};
  int compared = 0, by_word = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string text, per_word;  // the text, and GMime word by word
    bool adjacent_padded_b = false;
    std::string last_charset;
    bool last_padded = false;
    int words = 1 + generate.Below(3);
    const char* const* around = kAround[generate.Below(6)];
    text = around[0];
    per_word = HostDecode(around[0]);
    for (int w = 0; w < words; ++w) {
      std::string charset, bytes;
      bool padded_b;
      std::string word = generate.Word(&charset, &bytes, &padded_b);
      if (w > 0) {
        bool plain = generate.Below(4) == 0;
        std::string between = plain ? " and " : kBetween[generate.Below(6)];
        text += between;
        if (plain) per_word += between;
        // GMime joins the texts of adjacent words in one charset before
        // decoding them, and stops at the first padding: "=?B?YQ==?=
        // =?B?Yg==?=" gives "a", losing "b", and a word without padding
        // shifts the next one's bits. A name split over two words is common
        // in Japanese mail, so the tools decode word by word.
        if (!plain && SameCharset(charset, last_charset) && (padded_b || last_padded)) {
          adjacent_padded_b = true;
        }
      }
      text += word;
      per_word += HostDecode(word);
      last_charset = charset;
      last_padded = padded_b;
    }
    text += around[1];
    per_word += HostDecode(around[1]);
    // Word by word, the blanks between words dropped: what GMime gives for
    // each word on its own.
    ASSERT_EQ(AsSeen(Ours(text)), AsSeen(per_word)) << "[" << text << "]";
    if (adjacent_padded_b) {
      ++by_word;
      continue;
    }
    ASSERT_EQ(AsSeen(Ours(text)), AsSeen(HostDecode(text))) << "[" << text << "]";
    ++compared;
  }
  EXPECT_GT(compared, 2000);
  EXPECT_GT(by_word, 100);
}

// Malformed words: both decoders agree, or the difference is the one named.
TEST(EncodedWords, MalformedWordsAndTheKnownDifferences) {
  g_mime_init();
  struct Case {
    const char* text;
    const char* ours;  // null: as GMime
  } cases[] = {
      {"=?UTF-8?B?!!!?=", nullptr},           {"=?UTF-8?B?5L2Q6J?=", nullptr},
      {"=?UTF-8?B?YQ?=", nullptr},            {"=?UTF-8?B?YWI?=", nullptr},
      {"=?UTF-8?B?YQ=?=", nullptr},           {"=?UTF-8?B?Y Q==?=", nullptr},
      {"=?UTF-8?Q?a=?=", nullptr},            {"=?UTF-8?Q?a=4?=", nullptr},
      {"=?UTF-8?Q?a=Z?=", nullptr},           {"=?UTF-8?Q?a=4Zb?=", nullptr},
      {"=?UTF-8?Q?a b c?= d", nullptr},       {"=?UTF-8?Q?a?" "?=", nullptr},
      {"=?UTF-8?Q?a?b?=", nullptr},           {"=?UTF-8?X?a?=", nullptr},
      {"=??Q?a?=", nullptr},                  {"=?*en?Q?a?=", nullptr},
      {"=?utf-8*ja?Q?a?=", nullptr},          {"a=?UTF-8?Q?b?=c", nullptr},
      {"=?UTF-8?Q?a?==?UTF-8?Q?b?=", nullptr}, {"=?UTF-8?Q?a", nullptr},
      {"=?UTF-8?Q?=FF?=", nullptr},           {"=?UTF-8?B?gqA=?=", nullptr},
      // A character split over two words in one encoding comes out whole;
      // over two encodings, each word is converted on its own.
      {"=?UTF-8?Q?=E3=81?= =?UTF-8?Q?=82?=", nullptr},
      {"=?UTF-8?B?44E=?= =?UTF-8?Q?=82?=", nullptr},
      // Padded words in one charset: GMime joins their texts and stops at
      // the first padding, losing the second name.
      {"=?UTF-8?B?YQ==?= =?UTF-8?B?Yg==?=", "ab"},
      {"=?us-ascii?q?a@x.test=00?= <evil@bad.test>", nullptr},
      {"=?us-ascii?q?boss@corp.test=0D?= <evil@bad.test>", nullptr},
      // An unknown charset: GMime guesses (UTF-8, else Latin-1); the tools
      // leave the word as it stands.
      {"=?unknown?Q?abc?= x", "=?unknown?Q?abc?= x"},
      {"=?x-unknown?B?gqA=?=", "=?x-unknown?B?gqA=?="},
      // The blanks beside a word left as it stands stay.
      {"=?X-UNKNOWN?Q?a?= =?UTF-8?Q?b?=", "=?X-UNKNOWN?Q?a?= b"},
  };
  for (const Case& c : cases) {
    std::string expected = c.ours != nullptr ? c.ours : AsSeen(HostDecode(c.text));
    EXPECT_EQ(AsSeen(Ours(c.text)), expected) << c.text;
    if (c.ours != nullptr) {
      EXPECT_NE(AsSeen(HostDecode(c.text)), expected) << c.text;
    }
  }
}

}  // namespace
}  // namespace sendwarden_tools
