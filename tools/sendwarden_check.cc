// sendwarden-check: test and lint a Sendwarden configuration before relying
// on it. It runs the plug-in's own loader and check, so its verdict is the
// plug-in's verdict.
//
//   sendwarden-check lint [--lang ja|en] [CONF]
//   sendwarden-check test [--conf CONF] [--lang ja|en] --from TEXT
//                         [--to A]... [--cc A]... [--bcc A]...
//   sendwarden-check test [--conf CONF] [--lang ja|en] MESSAGE
//
// lint exits 0 when no line lacks effect (warnings alone do not fail), 1 when
// one does, 2 when the file cannot be read or the usage is wrong. test exits
// 0 allowed, 1 refused, 2 usage error.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "check/recipient_check.h"
#include "headers/address_list.h"
#include "headers/header_block.h"
#include "platform/platform.h"
#include "tools/check_messages.h"
#include "tools/config_lint.h"
#include "tools/recipient_explain.h"
#include "tools/terminal.h"

namespace sendwarden_check {
namespace {

const Messages* g_messages = nullptr;
std::string g_notice;

void Print(const std::string& text) {
  std::string out = ToTerminal(text + "\n");
  std::fwrite(out.data(), 1, out.size(), stdout);
}

// A line as read, with control bytes and a byte-order mark made visible.
std::string Visible(const std::string& line) {
  std::string out;
  size_t start = 0;
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    out = "\\xEF\\xBB\\xBF";
    start = 3;
  }
  for (unsigned char c : line.substr(start)) {
    if (c < 0x20 && c != '\t') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, c == '\r' ? "\\r" : "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void PrintError(const std::string& text) {
  std::string out = ToTerminal(text);
  std::fwrite(out.data(), 1, out.size(), stderr);
}

void KeepNotice(sendwarden::WindowHandle, const char* text, const char*, unsigned) {
  g_notice = text;
}

int Usage() {
  PrintError(g_messages->usage);
  return 2;
}

int Lint(const std::string& path) {
  const Messages& m = *g_messages;
  LintResult result = LintConfig(path, m);
  if (!result.readable) {
    PrintError(std::string(m.cannot_read) + path + "\n");
    return 2;
  }
  for (const Finding& finding : result.findings) {
    std::string where = finding.line == 0 ? path : std::string(m.line) + " " +
                                                       std::to_string(finding.line);
    Print(where + ": " + (finding.noEffect ? m.error : m.warning) + ": " + finding.message);
    if (finding.line != 0) Print("    " + Visible(finding.text));
  }
  char summary[200];
  std::snprintf(summary, sizeof summary, m.summary, result.noEffect, result.warnings);
  Print(summary);
  return result.noEffect > 0 ? 1 : 0;
}

bool ReadMessage(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int Test(const std::string& conf, const std::string& message_path, const std::string& from,
         bool have_from, const std::vector<std::string> addresses[3]) {
  const Messages& m = *g_messages;
  std::string sender = from;
  std::string lines[3];
  if (!message_path.empty()) {
    std::string message;
    if (!ReadMessage(message_path, &message)) {
      PrintError(std::string(m.cannot_read) + message_path + "\n");
      return 2;
    }
    sendwarden::HeaderMap headers;
    sendwarden::ParseHeaderBlock(message.c_str(), headers);
    const char* fields[] = {"TO", "CC", "BCC"};
    sendwarden::AddressPieces pieces;
    for (int field = 0; field < 3; ++field) {
      try {
        sendwarden::SplitAddressList(headers[fields[field]], pieces);
      } catch (const std::exception& error) {
        PrintError(std::string(fields[field]) + ": " + error.what() + "\n");
        pieces.clear();
      }
      for (const std::string& piece : pieces) lines[field] += piece + "\n";
    }
    sender = headers["FROM"];
    Print(m.no_decoding);
  } else {
    if (!have_from) return Usage();
    for (int field = 0; field < 3; ++field) {
      for (const std::string& address : addresses[field]) lines[field] += address + "\n";
    }
  }

  LintResult config = LintConfig(conf, m);
  if (!config.readable) PrintError(std::string(m.cannot_read) + conf + "\n");

  sendwarden::SetMessageBoxHook(&KeepNotice);
  bool allowed = false;
  try {
    allowed = sendwarden::CheckRecipients(sender, lines[0], lines[1], lines[2]);
  } catch (const std::exception& error) {
    // The plug-in refuses when its check breaks; so does its tester.
    PrintError(std::string(error.what()) + "\n");
    allowed = false;
  }
  sendwarden::SetMessageBoxHook(nullptr);

  Print(allowed ? m.verdict_send : m.verdict_refuse);
  Print(std::string(m.sender) + ": " + sender);
  for (const std::string& line : ExplainRecipients(sender, lines, config.rules, m)) Print(line);
  if (!allowed) {
    Print(m.notice);
    Print(g_notice);
  }
  return allowed ? 0 : 1;
}

int Main(int argc, char** argv) {
  std::vector<std::string> args;
  bool japanese = SystemIsJapanese();
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--lang" && i + 1 < argc) {
      japanese = std::string(argv[++i]) == "ja";
      continue;
    }
    args.push_back(arg);
  }
  g_messages = japanese ? &JapaneseMessages() : &EnglishMessages();
  if (args.empty()) return Usage();

  if (args[0] == "lint") {
    if (args.size() > 2 || (args.size() == 2 && args[1].rfind("--", 0) == 0)) return Usage();
    return Lint(args.size() == 2 ? args[1] : "Sendwarden.conf");
  }
  if (args[0] != "test") return Usage();

  std::string conf = "Sendwarden.conf", message, from;
  bool have_from = false;
  std::vector<std::string> addresses[3];
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool takes_value = arg == "--conf" || arg == "--from" || arg == "--to" || arg == "--cc" ||
                       arg == "--bcc";
    if (takes_value && i + 1 >= args.size()) return Usage();
    if (arg == "--conf") {
      conf = args[++i];
    } else if (arg == "--from") {
      from = FromCommandLine(args[++i]);
      have_from = true;
    } else if (arg == "--to") {
      addresses[0].push_back(FromCommandLine(args[++i]));
    } else if (arg == "--cc") {
      addresses[1].push_back(FromCommandLine(args[++i]));
    } else if (arg == "--bcc") {
      addresses[2].push_back(FromCommandLine(args[++i]));
    } else if (arg.rfind("--", 0) == 0 || !message.empty()) {
      return Usage();
    } else {
      message = arg;
    }
  }
  bool have_addresses = have_from || !addresses[0].empty() || !addresses[1].empty() ||
                        !addresses[2].empty();
  if (message.empty() == !have_addresses) return Usage();
  return Test(conf, message, from, have_from, addresses);
}

}  // namespace
}  // namespace sendwarden_check

int main(int argc, char** argv) { return sendwarden_check::Main(argc, argv); }
