#include <iconv.h>

#include <cerrno>

#include "tools/common/charset.h"
#include "tools/common/iconv_text.h"

namespace sendwarden_tools {

// Through UTF-8, as the Linux substitute host does: its decoder gives UTF-8,
// which it then converts into the plug-in's code page.
bool PlatformConvertToCp932(const std::string& bytes, const std::string& charset,
                            std::string* out) {
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  *out = ConvertText(ConvertText(bytes, "UTF-8", charset.c_str()), "CP932", "UTF-8");
  return true;
}

std::string Cp932ToUtf8(const std::string& text) { return ConvertText(text, "UTF-8", "CP932"); }

bool IsValidCp932(const std::string& bytes) {
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  bool valid = true;
  while (in_left > 0 && valid) {
    char buffer[4096];
    char* out = buffer;
    size_t out_left = sizeof buffer;
    if (iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) && errno != E2BIG) {
      valid = false;
    }
  }
  iconv_close(cd);
  return valid;
}

}  // namespace sendwarden_tools
