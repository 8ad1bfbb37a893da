#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/common/recode_win32.h"
#include "tools/common/terminal.h"

namespace sendwarden_tools {

bool SystemIsJapanese() { return GetACP() == 932; }

std::string Cp932ToTerminal(const std::string& text) {
  // A console shows its own code page; a pipe or file gets the ANSI code page.
  UINT target = GetConsoleOutputCP();
  if (target == 0) target = GetACP();
  if (target == 932) return text;
  return Recode(text, 932, target);
}

std::string FromCommandLine(const std::string& argument) { return argument; }

bool StderrIsTerminal() {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void UseBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

bool ReadStandardInput(std::string* bytes) {
  _setmode(_fileno(stdin), _O_BINARY);
  bytes->clear();
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) bytes->append(buffer, got);
  return std::ferror(stdin) == 0;
}

}  // namespace sendwarden_tools
