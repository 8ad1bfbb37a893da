#include "tools/common/command_line.h"

#include <windows.h>
#include <shellapi.h>

namespace sendwarden_tools {

namespace {

std::string ToCp932(const wchar_t* wide) {
  // No best fit: a look-alike would name another file.
  int length =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, "?", nullptr);
  if (length <= 1) return std::string();
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, -1, &out[0], length, "?", nullptr);
  out.resize(static_cast<size_t>(length - 1));  // the terminating NUL
  return out;
}

}  // namespace

std::vector<std::string> CommandLineWords(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> words;
  for (int i = 1; i < count; ++i) words.push_back(ToCp932(wide[i]));
  LocalFree(wide);
  return words;
}

}  // namespace sendwarden_tools
