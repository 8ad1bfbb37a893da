// The subcommands of sendwarden-check, one table: each entry parses its own
// options, runs, prints through a Console and returns the exit status.
// Adding a command is one file with its Run function and one row here.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_COMMANDS_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_COMMANDS_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/sendwarden-check/messages.h"

namespace sendwarden_checker {

struct CommandSpec;

// Where a command writes (neither stream owned) and in which language.
struct Console {
  std::FILE* out;
  std::FILE* err;
  Language language;
  const CommandSpec* command = nullptr;  // the one running, when one is

  // Code page 932 text and a line end, converted for the terminal, to `out`.
  void Print(const std::string& cp932) const;
  // The same to `err`, without adding a line end.
  void Complain(const std::string& cp932) const;
  // The usage to `err`: the running command's, or the list of commands;
  // returns 2, the status of a usage error.
  int Usage() const;
  // A usage mistake named (`id` filled with `values`) to `err`, then where
  // help is: the running command's --help, or the list of commands; returns 2.
  int Mistake(Msg id, const std::vector<std::string>& values) const;
};

class Arguments;

// The list of commands, each with what it does, and what they share.
std::string GlobalUsage(Language language);

struct Command {
  const CommandSpec& spec;  // its name, options and help (options.h)
  // `args` as the option table read them.
  int (*run)(const Arguments& args, const Console& console);
};

extern const CommandSpec kLintSpec, kTestSpec, kScanSpec, kSuggestSpec, kDiffSpec;
int RunLint(const Arguments& args, const Console& console);
int RunTest(const Arguments& args, const Console& console);
int RunScan(const Arguments& args, const Console& console);
int RunSuggest(const Arguments& args, const Console& console);
int RunDiff(const Arguments& args, const Console& console);

// Every command, in the order the usage text lists them.
const std::vector<Command>& Commands();

// A whole command line less the program name: "--lang ja|en" (or
// "--lang=ja") anywhere before a "--" chooses the language (else
// `language`), the first other word the command. "--help" or "-h" there
// prints the command's help, or without a command the usage, to `out` and
// returns 0, as "help" with a command's name or none does; "--version"
// prints the version. Returns the exit status; 2 for no command, an unknown
// one, or "--lang" without ja or en.
int RunCommandLine(const std::vector<std::string>& words, Language language, std::FILE* out,
                   std::FILE* err);

// True when `arg` is "--" something: an option no command knows is a usage error.
bool IsOption(const std::string& arg);

// A count in decimal digits, no sign; false when it is none or too large.
bool ParseCount(const std::string& text, uint64_t* value);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_COMMANDS_H_
