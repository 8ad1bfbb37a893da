#include "tools/sendwarden-check/commands.h"

#include <algorithm>
#include <optional>

#include "base/version.h"
#include "tools/sendwarden-check/options.h"
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
  if (command == nullptr) {
    Complain(GlobalUsage(language));
  } else {
    Complain(Say(language, command->usage) + "\n" +
             Say(language, Msg::kSeeHelp, {command->name}) + "\n");
  }
  return 2;
}

int Console::Mistake(Msg id, const std::vector<std::string>& values) const {
  Complain(Say(language, id, values) + "\n");
  if (command == nullptr) return Usage();
  Complain(Say(language, Msg::kSeeHelp, {command->name}) + "\n");
  return 2;
}

std::string GlobalUsage(Language language) {
  std::string text = Say(language, Msg::kUsage) + "\n";
  size_t width = 0;
  for (const Command& command : Commands()) {
    width = std::max(width, std::string(command.spec.name).size());
  }
  for (const Command& command : Commands()) {
    std::string name = command.spec.name;
    text += "  " + name + std::string(width - name.size() + 2, ' ') +
            Say(language, command.spec.summary) + "\n";
  }
  return text + Say(language, Msg::kUsageTail) + "\n";
}

bool IsOption(const std::string& arg) { return arg.rfind("--", 0) == 0; }

bool ParseCount(const std::string& text, uint64_t* value) {
  if (text.empty() || text.size() > 18) return false;
  uint64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<uint64_t>(c - '0');
  }
  *value = result;
  return true;
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> kCommands = {
      {kLintSpec, &RunLint},
      {kTestSpec, &RunTest},
      {kScanSpec, &RunScan},
      {kSuggestSpec, &RunSuggest},
      {kDiffSpec, &RunDiff},
  };
  return kCommands;
}

namespace {

const Command* Find(const std::string& name) {
  for (const Command& command : Commands()) {
    if (name == command.spec.name) return &command;
  }
  return nullptr;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& words, Language language, std::FILE* out,
                   std::FILE* err) {
  std::vector<std::string> args;
  bool help = false, version = false;
  std::optional<std::string> bad_language;
  bool lang_without_value = false;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--") {
      // The rest are the command's operands, whatever they look like.
      args.insert(args.end(), words.begin() + i, words.end());
      break;
    }
    if (words[i] == "--lang" || words[i].rfind("--lang=", 0) == 0) {
      bool inline_value = words[i].size() > 6;
      if (!inline_value && i + 1 >= words.size()) {
        lang_without_value = true;
        break;
      }
      const std::string value = inline_value ? words[i].substr(7) : words[++i];
      if (value == "ja") {
        language = Language::kJapanese;
      } else if (value == "en") {
        language = Language::kEnglish;
      } else {
        bad_language = value;
      }
      continue;
    }
    help = help || words[i] == "--help" || words[i] == "-h";
    version = version || words[i] == "--version";
    args.push_back(words[i]);
  }
  Console console{out, err, language};
  // "help CMD" is "CMD --help".
  if (!args.empty() && args[0] == "help") {
    if (args.size() == 1) {
      help = true;
      args.clear();
    } else if (const Command* command = Find(args[1])) {
      Put(HelpText(command->spec, language), out);
      return 0;
    }
  }
  if (help) {
    const Command* command = args.empty() ? nullptr : Find(args[0]);
    Put(command != nullptr ? HelpText(command->spec, language) : GlobalUsage(language), out);
    return 0;
  }
  if (version) {
    Put("sendwarden-check " SENDWARDEN_VERSION "\n", out);
    return 0;
  }
  if (lang_without_value) return console.Mistake(Msg::kMissingValue, {"--lang"});
  if (bad_language) return console.Mistake(Msg::kBadValue, {"--lang", *bad_language});
  if (args.empty()) return console.Usage();
  if (const Command* command = Find(args[0])) {
    console.command = &command->spec;
    Arguments parsed;
    int status = 0;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (!ParseArguments(command->spec, rest, console, &parsed, &status)) return status;
    return command->run(parsed, console);
  }
  if (IsOption(args[0])) return console.Mistake(Msg::kUnknownOption, {args[0]});
  return console.Mistake(Msg::kUnknownCommand, {args[0]});
}

}  // namespace sendwarden_checker
