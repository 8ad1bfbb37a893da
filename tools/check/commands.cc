#include "tools/check/commands.h"

#include "tools/common/terminal.h"

namespace sendwarden_checker {

namespace {

void Put(const std::string& cp932, std::FILE* stream) {
  std::string bytes = sendwarden_tools::Cp932ToTerminal(cp932);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

}  // namespace

void Console::Print(const std::string& cp932) const { Put(cp932 + "\n", out); }

void Console::Complain(const std::string& cp932) const { Put(cp932, err); }

int Console::Usage() const {
  Complain(Say(language, Msg::kUsage));
  return 2;
}

bool IsOption(const std::string& arg) { return arg.rfind("--", 0) == 0; }

const std::vector<Command>& Commands() {
  static const std::vector<Command> kCommands = {
      {"lint", &RunLint},
      {"test", &RunTest},
      {"scan", &RunScan},
  };
  return kCommands;
}

int RunCommandLine(const std::vector<std::string>& words, Language language, std::FILE* out,
                   std::FILE* err) {
  std::vector<std::string> args;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--lang" && i + 1 < words.size()) {
      language = words[++i] == "ja" ? Language::kJapanese : Language::kEnglish;
      continue;
    }
    args.push_back(words[i]);
  }
  Console console{out, err, language};
  if (args.empty()) return console.Usage();
  for (const Command& command : Commands()) {
    if (args[0] == command.name) {
      return command.run(std::vector<std::string>(args.begin() + 1, args.end()), console);
    }
  }
  return console.Usage();
}

}  // namespace sendwarden_checker
