#include <iconv.h>

#include <cerrno>

#include "tools/common/charset.h"
#include "tools/common/iconv_text.h"

namespace sendwarden_tools {

// Through UTF-8, as the Linux substitute host does: its decoder gives UTF-8,
// which it then converts into the plug-in's code page.
bool ConvertToCp932(const std::string& bytes, const std::string& charset, std::string* out) {
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  *out = ConvertText(ConvertText(bytes, "UTF-8", charset.c_str()), "CP932", "UTF-8");
  return true;
}

}  // namespace sendwarden_tools
