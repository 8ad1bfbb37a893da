#include "tools/common/iconv_text.h"

#include <iconv.h>

#include <cerrno>

namespace sendwarden_tools {

std::string ConvertText(const std::string& text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  char buffer[4096];
  char* in = const_cast<char*>(text.data());
  size_t in_left = text.size();
  while (in_left > 0) {
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    size_t done = iconv(cd, &in, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<size_t>(out_ptr - buffer));
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      out += '?';
      ++in;
      --in_left;
    }
  }
  // A stateful encoding (ISO-2022-JP) ends in its initial state.
  char* out_ptr = buffer;
  size_t out_left = sizeof buffer;
  iconv(cd, nullptr, nullptr, &out_ptr, &out_left);
  out.append(buffer, static_cast<size_t>(out_ptr - buffer));
  iconv_close(cd);
  return out;
}

}  // namespace sendwarden_tools
