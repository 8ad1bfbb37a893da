#include <windows.h>

#include <cctype>
#include <cstring>

#include "tools/common/charset.h"
#include "tools/common/recode_win32.h"

namespace sendwarden_tools {

namespace {

struct Charset {
  const char* name;
  UINT codePage;
};

// MIME charset names (lower case) and the Windows code pages that read them.
const Charset kCharsets[] = {
    {"utf-8", CP_UTF8},        {"utf8", CP_UTF8},           {"us-ascii", 20127},
    {"ascii", 20127},          {"iso-8859-1", 28591},
    {"latin1", 28591},         {"iso-8859-2", 28592},       {"iso-8859-15", 28605},
    {"windows-1252", 1252},    {"cp1252", 1252},            {"gb2312", 936},
    {"gbk", 936},              {"big5", 950},               {"euc-kr", 949},
    {"ks_c_5601-1987", 949},   {"koi8-r", 20866},           {"iso-8859-5", 28595},
    {"windows-1251", 1251},
};

UINT CodePageOf(const std::string& charset) {
  std::string lower;
  for (char c : charset) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const Charset& known : kCharsets) {
    if (lower == known.name) return known.codePage;
  }
  return 0;
}

}  // namespace

bool PlatformConvertToCp932(const std::string& bytes, const std::string& charset,
                            std::string* out) {
  UINT code_page = CodePageOf(charset);
  if (code_page == 0 || !IsValidCodePage(code_page)) return false;
  // No best fit: a character code page 932 lacks becomes "?", as iconv makes
  // it, not a look-alike.
  *out = Recode(bytes, code_page, 932, true);
  return true;
}

std::string Cp932ToUtf8(const std::string& text) { return Recode(text, 932, CP_UTF8); }

bool IsValidCp932(const std::string& bytes) {
  if (bytes.empty()) return true;
  return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(),
                             static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

}  // namespace sendwarden_tools
