// sendwarden-check lint [CONF]: every line of the configuration that has no
// effect, changes what a rule allows, or is likely wrong. Exits 0 when no
// line lacks effect and none is an error (warnings alone do not fail), 1
// when one does, 2 when the file cannot be read or the usage is wrong.
#include <cstdio>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/options.h"
#include "tools/sendwarden-check/config_lint.h"
#include "tools/sendwarden-check/config_unreadable.h"
#include "tools/common/charset.h"
#include "tools/common/file_path.h"

namespace sendwarden_checker {

namespace {

// A line as read, with control bytes, a byte-order mark and bytes that are
// no code page 932 character made visible.
std::string Visible(const std::string& line) {
  std::string out;
  auto escape = [&out](unsigned char c) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, c == '\r' ? "\\r" : "\\x%02X", c);
    out += escaped;
  };
  size_t i = 0;
  if (line.compare(0, sendwarden::kUtf8BomSize, sendwarden::kUtf8Bom) == 0) {
    out = "\\xEF\\xBB\\xBF";
    i = sendwarden::kUtf8BomSize;
  }
  while (i < line.size()) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (c < 0x80) {
      if (c < 0x20 && c != '\t') {
        escape(c);
      } else {
        out += static_cast<char>(c);
      }
      ++i;
    } else if (i + 1 < line.size() && sendwarden_tools::IsValidCp932(line.substr(i, 2))) {
      out += line.substr(i, 2);
      i += 2;
    } else if (sendwarden_tools::IsValidCp932(line.substr(i, 1))) {
      out += static_cast<char>(c);
      ++i;
    } else {
      escape(c);
      ++i;
    }
  }
  return out;
}

Msg Label(Severity severity) {
  switch (severity) {
    case Severity::kNoEffect: return Msg::kNoEffect;
    case Severity::kError: return Msg::kError;
    case Severity::kHint: return Msg::kHint;
    case Severity::kWarning: break;
  }
  return Msg::kWarning;
}

}  // namespace

const CommandSpec kLintSpec = {"lint", Msg::kUsageLint, Msg::kSummaryLint, {}};

int RunLint(const Arguments& args, const Console& console) {
  if (args.operands().size() > 1) return console.Usage();
  const std::string path = args.operands().empty() ? "Sendwarden.conf" : args.operands()[0];
  const Language l = console.language;
  LintResult result = LintConfig(path);
  const std::string shown =
      sendwarden_tools::PathForPrinting(sendwarden_tools::PathFromArgument(path));
  if (!result.readable) {
    console.Complain(ConfigUnreadableText(path, l));
    return 2;
  }
  for (const Finding& finding : result.findings) {
    std::string label = Say(l, Label(finding.severity));
    std::string message = Say(l, finding.message);
    if (finding.line == 0) {
      console.Print(Say(l, Msg::kFindingInFile, {shown, label, message}));
    } else {
      std::string number = std::to_string(finding.line);
      console.Print(finding.hint == Msg::kHintNone
                        ? Say(l, Msg::kFindingAtLine, {number, label, message})
                        : Say(l, Msg::kFindingAtLineWithHint,
                              {number, label, message, Say(l, finding.hint)}));
      console.Print("    " + Visible(finding.text));
    }
  }
  std::vector<std::string> counts = {std::to_string(result.noEffect),
                                     std::to_string(result.warnings)};
  if (result.errors > 0) counts.push_back(std::to_string(result.errors));
  console.Print(Say(l, result.errors > 0 ? Msg::kSummaryWithErrors : Msg::kSummary, counts));
  return result.noEffect > 0 || result.errors > 0 ? 1 : 0;
}

}  // namespace sendwarden_checker
