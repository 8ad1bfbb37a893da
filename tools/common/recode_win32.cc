#include "tools/common/recode_win32.h"

#include <windows.h>

namespace sendwarden_tools {

std::string Recode(const std::string& text, unsigned from, unsigned to, bool exact) {
  if (text.empty()) return text;
  int wide_length =
      MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide_length <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], wide_length);
  // Code page 65001 takes neither a default character nor flags.
  DWORD flags = exact && to != CP_UTF8 ? WC_NO_BEST_FIT_CHARS : 0;
  const char* missing = to != CP_UTF8 ? "?" : nullptr;
  int length =
      WideCharToMultiByte(to, flags, wide.data(), wide_length, nullptr, 0, missing, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(to, flags, wide.data(), wide_length, &out[0], length, missing, nullptr);
  return out;
}

}  // namespace sendwarden_tools
