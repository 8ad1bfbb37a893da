#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/common/iconv_text.h"
#include "tools/common/terminal.h"

namespace sendwarden_tools {

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

std::string Cp932ToTerminal(const std::string& text) {
  return ConvertText(text, Codeset(), "CP932");
}

std::string FromCommandLine(const std::string& argument) {
  return ConvertText(argument, "CP932", Codeset());
}

bool StderrIsTerminal() { return isatty(2) != 0; }

void UseBinaryStdout() {}

bool ReadStandardInput(std::string* bytes) {
  bytes->clear();
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) bytes->append(buffer, got);
  return std::ferror(stdin) == 0;
}

}  // namespace sendwarden_tools
