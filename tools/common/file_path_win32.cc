#include "tools/common/file_path.h"

#include <windows.h>

namespace sendwarden_tools {

std::filesystem::path PathFromArgument(const std::string& argument) {
  if (argument.empty()) return std::filesystem::path();
  int length = MultiByteToWideChar(932, 0, argument.data(), static_cast<int>(argument.size()),
                                   nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  MultiByteToWideChar(932, 0, argument.data(), static_cast<int>(argument.size()), &wide[0],
                      length);
  return std::filesystem::path(wide);
}

std::FILE* OpenForReading(const std::filesystem::path& path) {
  return _wfopen(path.c_str(), L"rb");
}

std::string PathForPrinting(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty()) return std::string();
  // No best fit: a character code page 932 lacks shows as "?", not as a
  // look-alike that names another file.
  int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(),
                                   static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
  std::string out(static_cast<size_t>(length > 0 ? length : 0), '\0');
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      &out[0], length, "?", nullptr);
  return out;
}

}  // namespace sendwarden_tools
