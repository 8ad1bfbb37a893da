// What sendwarden-check needs of the system: the user's language and the
// terminal's encoding. Texts inside the tool are code page 932 bytes, like
// the configuration files and messages it reads.
#ifndef SENDWARDEN_TOOLS_COMMON_TERMINAL_H_
#define SENDWARDEN_TOOLS_COMMON_TERMINAL_H_

#include <string>

namespace sendwarden_tools {

// True on a Japanese system: ANSI code page 932 on Windows, a ja_* locale on
// Linux.
bool SystemIsJapanese();

// Code page 932 bytes as the terminal wants them.
std::string Cp932ToTerminal(const std::string& text);

// A command-line argument as code page 932 bytes.
std::string FromCommandLine(const std::string& argument);

// True when standard error is a terminal (a console window on Windows).
bool StderrIsTerminal();

// Standard output takes bytes as they are: no line-end translation.
void UseBinaryStdout();

// Standard input read to its end as bytes, line ends as they are. False on a
// read error.
bool ReadStandardInput(std::string* bytes);

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_TERMINAL_H_
