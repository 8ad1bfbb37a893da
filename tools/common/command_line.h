// The words a tool was started with, as code page 932 text, the encoding
// every text inside the tools has.
#ifndef SENDWARDEN_TOOLS_COMMON_COMMAND_LINE_H_
#define SENDWARDEN_TOOLS_COMMON_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace sendwarden_tools {

// The words after the program's name. On Windows they are read from the
// wide command line and converted into code page 932: the C runtime's
// narrow `argv` is in the ANSI code page, and holds "?" for every character
// that lacks, whatever the user typed. Elsewhere `argv` as given: the
// terminal's bytes, which commands convert where they need text.
std::vector<std::string> CommandLineWords(int argc, char** argv);

}  // namespace sendwarden_tools

#endif  // SENDWARDEN_TOOLS_COMMON_COMMAND_LINE_H_
