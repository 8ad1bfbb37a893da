#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

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

}  // namespace sendwarden_tools
