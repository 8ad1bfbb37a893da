#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "tools/common/terminal.h"

namespace sendwarden_tools {

bool SystemIsJapanese() { return GetACP() == 932; }

std::string ToTerminal(const std::string& text) {
  // A console shows its own code page; a pipe or file gets the ANSI code page.
  UINT target = GetConsoleOutputCP();
  if (target == 0) target = GetACP();
  if (target == 932 || text.empty()) return text;
  int wide_length = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0);
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), &wide[0], wide_length);
  int length = WideCharToMultiByte(target, 0, wide.data(), wide_length, nullptr, 0, nullptr,
                                   nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(target, 0, wide.data(), wide_length, &out[0], length, nullptr, nullptr);
  return out;
}

std::string FromCommandLine(const std::string& argument) { return argument; }

bool StderrIsTerminal() {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void UseBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace sendwarden_tools
