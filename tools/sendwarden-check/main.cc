// sendwarden-check: test and lint a Sendwarden configuration before relying
// on it, and replay sent mail against it. It runs the plug-in's own loader,
// recipient extraction and check, so its verdict is the plug-in's verdict.
// The commands are in commands.h; this is only the process around them.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/sendwarden-check/commands.h"
#include "tools/common/command_line.h"
#include "tools/common/terminal.h"

int main(int argc, char** argv) {
  // One write a buffer, not one a line: on Windows every write to a pipe or
  // console is a system call, and a scan or a long lint writes thousands.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  std::vector<std::string> words = sendwarden_tools::CommandLineWords(argc, argv);
  sendwarden_checker::Language language = sendwarden_tools::SystemIsJapanese()
                                               ? sendwarden_checker::Language::kJapanese
                                               : sendwarden_checker::Language::kEnglish;
  int status = 2;
  try {
    status = sendwarden_checker::RunCommandLine(words, language, stdout, stderr);
  } catch (const std::exception& error) {
    // Out of memory, say: an abort would exit 3 on Windows, which diff uses
    // for "newly allowed". Whatever went wrong, the input was not all read.
    std::fflush(stdout);
    std::fprintf(stderr, "sendwarden-check: %s\n", error.what());
    return 2;
  }
  std::fflush(stdout);
  return status;
}
