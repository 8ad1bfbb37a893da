#include "tools/sendwarden-check/options.h"

#include <algorithm>

namespace sendwarden_checker {

bool Arguments::Has(const char* name) const {
  return std::any_of(given_.begin(), given_.end(), [&](const auto& g) { return g.first == name; });
}

std::string Arguments::Value(const char* name, const std::string& otherwise) const {
  std::string value = otherwise;
  for (const auto& [option, given] : given_) {
    if (option == name) value = given;
  }
  return value;
}

std::vector<std::string> Arguments::Values(const char* name) const {
  std::vector<std::string> values;
  for (const auto& [option, given] : given_) {
    if (option == name) values.push_back(given);
  }
  return values;
}

bool ParseArguments(const CommandSpec& spec, const std::vector<std::string>& args,
                    const Console& console, Arguments* out, int* status) {
  *out = Arguments();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      out->operands_.insert(out->operands_.end(), args.begin() + i + 1, args.end());
      return true;
    }
    if (!IsOption(arg)) {
      out->operands_.push_back(arg);
      continue;
    }
    size_t equals = arg.find('=');
    std::string name = arg.substr(0, equals);
    auto option = std::find_if(spec.options.begin(), spec.options.end(),
                               [&](const Option& o) { return name == o.name; });
    if (option == spec.options.end()) {
      *status = console.Mistake(Msg::kUnknownOption, {name});
      return false;
    }
    std::string value;
    if (option->value == nullptr) {
      if (equals != std::string::npos) {
        *status = console.Mistake(Msg::kBadValue, {name, arg.substr(equals + 1)});
        return false;
      }
    } else if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      *status = console.Mistake(Msg::kMissingValue, {name});
      return false;
    }
    out->given_.emplace_back(name, value);
  }
  return true;
}

std::string HelpText(const CommandSpec& spec, Language language) {
  std::vector<std::pair<std::string, Msg>> lines;
  for (const Option& option : spec.options) {
    lines.emplace_back(std::string(option.name) + (option.value ? std::string(" ") + option.value : ""),
                       option.help);
  }
  lines.emplace_back("--lang ja|en", Msg::kOptionLang);
  lines.emplace_back("--help", Msg::kOptionHelp);
  size_t width = 0;
  for (const auto& line : lines) width = std::max(width, line.first.size());
  std::string text = Say(language, spec.usage) + "\n" + Say(language, spec.summary) + "\n";
  for (const auto& [left, help] : lines) {
    text += "  " + left + std::string(width - left.size() + 2, ' ') + Say(language, help) + "\n";
  }
  return text;
}

}  // namespace sendwarden_checker
