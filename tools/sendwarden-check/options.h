// A command's options, declared as a table: each option's name, whether it
// takes a value, and one line of help. The command line is parsed by the
// table ("--opt value", "--opt=value", flags, and "--" after which every
// word is an operand), and the command's help is made from it.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OPTIONS_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OPTIONS_H_

#include <string>
#include <utility>
#include <vector>

#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/messages.h"

namespace sendwarden_checker {

struct Option {
  const char* name;   // "--conf"
  const char* value;  // what its value is called ("CONF"); null for a flag
  Msg help;           // one line: what it does
};

struct CommandSpec {
  const char* name;  // "scan"
  Msg usage;         // the usage line
  Msg summary;       // what the command does, one line
  std::vector<Option> options;
};

// What a command line said, read by a CommandSpec.
class Arguments {
 public:
  bool Has(const char* name) const;
  // The last value given to `name`, or `otherwise`.
  std::string Value(const char* name, const std::string& otherwise) const;
  // Every value given to `name`, in order.
  std::vector<std::string> Values(const char* name) const;
  const std::vector<std::string>& operands() const { return operands_; }

 private:
  friend bool ParseArguments(const CommandSpec&, const std::vector<std::string>&, const Console&,
                             Arguments*, int*);
  std::vector<std::pair<std::string, std::string>> given_;  // option, value ("" for a flag)
  std::vector<std::string> operands_;
};

// Parses `args` (the words after the command's name, "--lang" taken out) by
// `spec`. False on a mistake, said on the console (an unknown option or a
// flag given a value, named; an option without its value), with the exit
// status, 2, in `status`.
bool ParseArguments(const CommandSpec& spec, const std::vector<std::string>& args,
                    const Console& console, Arguments* out, int* status);

// The command's help: its usage line, what it does, one line per option,
// and the options every command takes.
std::string HelpText(const CommandSpec& spec, Language language);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OPTIONS_H_
