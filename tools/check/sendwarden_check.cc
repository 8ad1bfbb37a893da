// sendwarden-check: test and lint a Sendwarden configuration before relying
// on it. It runs the plug-in's own loader, recipient extraction and check, so
// its verdict is the plug-in's verdict.
//
//   sendwarden-check lint [--lang ja|en] [CONF]
//   sendwarden-check test [--conf CONF] [--lang ja|en] --from TEXT
//                         [--to A]... [--cc A]... [--bcc A]...
//   sendwarden-check test [--conf CONF] [--lang ja|en] MESSAGE...
//   sendwarden-check scan [--conf CONF] [--lang ja|en] [--format text|csv|json] PATH...
//
// lint exits 0 when no line lacks effect (warnings alone do not fail), 1 when
// one does, 2 when the file cannot be read or the usage is wrong. test exits
// 0 allowed, 1 refused, 2 usage error or an unreadable message; with several
// messages each is decided in turn after a line "== MESSAGE", and the exit
// status is the worst of theirs. scan exits 0 when no message would be
// refused, 1 when one would, 2 on a usage error or a configuration that
// cannot be read.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "check/recipient_check.h"
#include "check/rejection_notice.h"
#include "message/recipients.h"
#include "tools/check/config_lint.h"
#include "tools/check/explain.h"
#include "config/config_loader.h"
#include "tools/check/messages.h"
#include "tools/check/scan.h"
#include "tools/check/scan_output.h"
#include "tools/common/charset.h"
#include "tools/common/terminal.h"
#include "tools/common/tool_decoder.h"

namespace sendwarden_check {
namespace {

using sendwarden_tools::FromCommandLine;
using sendwarden_tools::SystemIsJapanese;
using sendwarden_tools::ToolDecoder;
using sendwarden_tools::ToTerminal;

void Print(const std::string& text) {
  std::string out = ToTerminal(text + "\n");
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintError(const std::string& text) {
  std::string out = ToTerminal(text);
  std::fwrite(out.data(), 1, out.size(), stderr);
}

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
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    out = "\\xEF\\xBB\\xBF";
    i = 3;
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

int Usage(Language l) {
  PrintError(Say(l, Msg::kUsage));
  return 2;
}

int Lint(const std::string& path, Language l) {
  LintResult result = LintConfig(path, l);
  if (!result.readable) {
    PrintError(Say(l, Msg::kCannotRead) + path + "\n");
    return 2;
  }
  for (const Finding& finding : result.findings) {
    std::string where = finding.line == 0 ? path
                                          : std::string(Say(l, Msg::kLine)) + " " +
                                                std::to_string(finding.line);
    Msg label = finding.severity == Severity::kNoEffect ? Msg::kNoEffect
                : finding.severity == Severity::kError  ? Msg::kError
                                                        : Msg::kWarning;
    Print(where + ": " + Say(l, label) + ": " + finding.message);
    if (finding.line != 0) Print("    " + Visible(finding.text));
  }
  char summary[200];
  std::snprintf(summary, sizeof summary, Say(l, Msg::kSummary), result.noEffect, result.warnings);
  std::string line = summary;
  if (result.errors > 0) {
    std::snprintf(summary, sizeof summary, Say(l, Msg::kSummaryErrors), result.errors);
    line += summary;
  }
  Print(line);
  return result.noEffect > 0 || result.errors > 0 ? 1 : 0;
}

struct TestRequest {
  std::string conf = "Sendwarden.conf";
  std::string message;  // a message file, or else the fields below
  bool haveFrom = false;
  sendwarden::HeaderMap fields;  // FROM, and TO, CC, BCC with the values joined by commas
};

bool ReadMessage(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int Refuse(const std::string& why, const std::string& sender, Language l) {
  Print(Say(l, Msg::kVerdictRefuse));
  Print(std::string(Say(l, Msg::kSender)) + ": " + sender);
  Print(why);
  Print(Say(l, Msg::kNotice));
  Print(sendwarden::kNoticeGeneralText);
  return 1;
}

int Test(const TestRequest& request, Language l) {
  ToolDecoder decoder;
  sendwarden::Extraction extraction;
  std::string message;
  if (!request.message.empty() && !ReadMessage(request.message, &message)) {
    PrintError(Say(l, Msg::kCannotRead) + request.message + "\n");
    return 2;
  }
  try {
    // The host hands the plug-in a NUL-terminated text.
    extraction = request.message.empty()
                     ? sendwarden::ExtractRecipients(request.fields, decoder)
                     : sendwarden::ExtractRecipients(message.c_str(), decoder);
  } catch (const std::exception& error) {
    // The plug-in refuses a message it cannot read; so does its tester.
    return Refuse(Say(l, Msg::kEngineGaveUp) + std::string(error.what()), "", l);
  }

  // The plug-in refuses every send when its configuration cannot be read;
  // so does its tester, after saying why.
  LintResult config = LintConfig(request.conf, l);
  if (!config.readable) PrintError(Say(l, Msg::kCannotRead) + request.conf + "\n");

  const sendwarden::Recipients& recipients = extraction.recipients;
  if (extraction.fault != sendwarden::ExtractionFault::kNone) {
    return Refuse(Say(l, Msg::kCannotCheck) + extraction.faultField + ": " +
                      FaultText(extraction, l) + " (" + extraction.faultDetail + ")",
                  recipients.sender, l);
  }
  sendwarden::Verdict verdict;
  sendwarden::CheckTrace trace;
  try {
    verdict = sendwarden::CheckRecipients(config.config, recipients, &trace);
  } catch (const std::exception& error) {
    // The plug-in refuses when its check breaks; so does its tester.
    return Refuse(Say(l, Msg::kEngineGaveUp) + std::string(error.what()), recipients.sender, l);
  }

  Print(Say(l, verdict.allowed ? Msg::kVerdictSend : Msg::kVerdictRefuse));
  Print(std::string(Say(l, Msg::kSender)) + ": " + recipients.sender);
  for (const std::string& line : Explain(config.config, verdict, trace, l)) Print(line);
  if (!verdict.allowed) {
    Print(Say(l, Msg::kNotice));
    Print(sendwarden::NoticeText(verdict.rejectionLog));
  }
  return verdict.allowed ? 0 : 1;
}

int RunScan(const std::vector<std::string>& args, Language l) {
  std::string conf = "Sendwarden.conf";
  ScanFormat format = ScanFormat::kText;
  std::vector<std::string> paths;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "--conf" || arg == "--format") && i + 1 >= args.size()) return Usage(l);
    if (arg == "--conf") {
      conf = args[++i];
    } else if (arg == "--format") {
      const std::string& value = args[++i];
      if (value == "text") {
        format = ScanFormat::kText;
      } else if (value == "csv") {
        format = ScanFormat::kCsv;
      } else if (value == "json") {
        format = ScanFormat::kJson;
      } else {
        return Usage(l);
      }
    } else if (arg.rfind("--", 0) == 0) {
      return Usage(l);
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty()) return Usage(l);
  sendwarden::AllowConfig config;
  if (!sendwarden::LoadAllowConfig(conf, config)) {
    PrintError(Say(l, Msg::kCannotRead) + conf + "\n");
    return 2;
  }
  ScanPrinter printer(format, l, sendwarden_tools::StderrIsTerminal());
  ScanSummary summary = Scan(paths, config, l, printer);
  printer.Finish(summary);
  std::fflush(stdout);
  return summary.refused > 0 ? 1 : 0;
}

void AddValue(sendwarden::HeaderMap& fields, const char* key, const std::string& value) {
  std::string& joined = fields[key];
  if (!joined.empty()) joined += ',';
  joined += value;
}

int Main(int argc, char** argv) {
  // One write a buffer, not one a line: on Windows every write to a pipe or
  // console is a system call, and a scan or a long lint writes thousands.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  std::vector<std::string> args;
  Language l = SystemIsJapanese() ? Language::kJapanese : Language::kEnglish;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--lang" && i + 1 < argc) {
      l = std::string(argv[++i]) == "ja" ? Language::kJapanese : Language::kEnglish;
      continue;
    }
    args.push_back(arg);
  }
  if (args.empty()) return Usage(l);

  if (args[0] == "lint") {
    if (args.size() > 2 || (args.size() == 2 && args[1].rfind("--", 0) == 0)) return Usage(l);
    return Lint(args.size() == 2 ? args[1] : "Sendwarden.conf", l);
  }
  if (args[0] == "scan") return RunScan(args, l);
  if (args[0] != "test") return Usage(l);

  TestRequest request;
  std::vector<std::string> messages;
  bool have_addresses = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool takes_value = arg == "--conf" || arg == "--from" || arg == "--to" || arg == "--cc" ||
                       arg == "--bcc";
    if (takes_value && i + 1 >= args.size()) return Usage(l);
    if (arg == "--conf") {
      request.conf = args[++i];
    } else if (arg == "--from") {
      request.fields["FROM"] = FromCommandLine(args[++i]);
      request.haveFrom = have_addresses = true;
    } else if (arg == "--to" || arg == "--cc" || arg == "--bcc") {
      // Each value is split like the header field it stands for.
      AddValue(request.fields, arg == "--to" ? "TO" : arg == "--cc" ? "CC" : "BCC",
               FromCommandLine(args[++i]));
      have_addresses = true;
    } else if (arg.rfind("--", 0) == 0) {
      return Usage(l);
    } else {
      messages.push_back(arg);
    }
  }
  if (messages.empty() == !have_addresses) return Usage(l);
  if (messages.empty() && !request.haveFrom) return Usage(l);
  if (messages.size() <= 1) {
    if (!messages.empty()) request.message = messages[0];
    return Test(request, l);
  }
  // One run decides many messages, each after a line naming it.
  int status = 0;
  for (const std::string& message : messages) {
    Print("== " + message);
    request.message = message;
    status = std::max(status, Test(request, l));
  }
  return status;
}

}  // namespace
}  // namespace sendwarden_check

int main(int argc, char** argv) { return sendwarden_check::Main(argc, argv); }
