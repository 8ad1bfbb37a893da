#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "tools/terminal.h"

namespace sendwarden_check {

namespace {

const char* Codeset() {
  static bool initialised = false;
  if (!initialised) {
    std::setlocale(LC_ALL, "");
    initialised = true;
  }
  const char* codeset = nl_langinfo(CODESET);
  // The C locale reports ASCII; terminals here speak UTF-8.
  return std::strcmp(codeset, "ANSI_X3.4-1968") == 0 ? "UTF-8" : codeset;
}

std::string Convert(const std::string& text, const char* to, const char* from) {
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
  iconv_close(cd);
  return out;
}

}  // namespace

bool SystemIsJapanese() {
  Codeset();
  const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return std::strncmp(value, "ja", 2) == 0;
  }
  return false;
}

std::string ToTerminal(const std::string& text) { return Convert(text, Codeset(), "CP932"); }

std::string FromCommandLine(const std::string& argument) {
  return Convert(argument, "CP932", Codeset());
}

}  // namespace sendwarden_check
