#include "tools/common/iconv_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace sendwarden_tools {

std::string ConvertText(const std::string& text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  const bool utf8_source = std::strcmp(from, "UTF-8") == 0;
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
      // One "?" a character: from UTF-8, a character the target lacks is
      // skipped whole.
      size_t skip = 1;
      unsigned char lead = static_cast<unsigned char>(*in);
      if (utf8_source && errno == EILSEQ && lead >= 0xC2 && lead <= 0xF4) {
        skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        for (size_t k = 1; k < skip; ++k) {
          if (k >= in_left || (static_cast<unsigned char>(in[k]) & 0xC0) != 0x80) skip = 1;
        }
      }
      out += '?';
      in += skip;
      in_left -= skip;
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
