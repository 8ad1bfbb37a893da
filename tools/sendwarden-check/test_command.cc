// sendwarden-check test: the verdict the plug-in would give one send, rule
// by rule.
//
//   test [--conf CONF] --from TEXT [--to A]... [--cc A]... [--bcc A]...
//   test [--conf CONF] MESSAGE...
//
// Exits 0 allowed, 1 refused (so too with a configuration that cannot be
// read, as the plug-in refuses then), 2 on a usage error, a message that
// cannot be read, a folder, or a file that is no mail;
// with several messages each is decided in turn after a line "== MESSAGE",
// and the exit status is the worst of theirs.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "check/rejection_notice.h"
#include "config/config_loader.h"
#include "message/recipients.h"
#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/config_unreadable.h"
#include "tools/sendwarden-check/decide.h"
#include "tools/sendwarden-check/explain.h"
#include "tools/sendwarden-check/message_reading.h"
#include "tools/sendwarden-check/options.h"
#include "tools/common/file_path.h"
#include "tools/common/terminal.h"
#include "tools/common/tool_decoder.h"

namespace sendwarden_checker {

namespace {

struct TestOptions {
  std::string conf = "Sendwarden.conf";
  std::vector<std::string> messages;
  bool haveFrom = false;
  bool haveAddresses = false;
  sendwarden::HeaderMap fields;  // FROM, and TO, CC, BCC with their values one a line
};

// 0, or the status of a usage mistake, said on the console.
int ReadOptions(const Arguments& args, TestOptions* options, const Console& console) {
  options->conf = args.Value("--conf", options->conf);
  options->messages = args.operands();
  if (args.Has("--from")) {
    options->fields["FROM"] = sendwarden_tools::FromCommandLine(args.Value("--from", ""));
    options->haveFrom = options->haveAddresses = true;
  }
  for (const char* field : {"--to", "--cc", "--bcc"}) {
    // Each value is read like one line of the header field it stands for;
    // the lines of a repeated field are kept apart by a line feed.
    const char* key = field[2] == 't' ? "TO" : field[2] == 'c' ? "CC" : "BCC";
    for (const std::string& value : args.Values(field)) {
      auto inserted = options->fields.emplace(key, std::string());
      if (!inserted.second) inserted.first->second += '\n';
      inserted.first->second += sendwarden_tools::FromCommandLine(value);
      options->haveAddresses = true;
    }
  }
  // Either addresses with a sender, or message files.
  if (options->messages.empty() == !options->haveAddresses) return console.Usage();
  return !options->messages.empty() || options->haveFrom ? 0 : console.Usage();
}

// `path` is a command-line argument.
bool ReadMessageFile(const std::string& path, std::string* text) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      sendwarden_tools::OpenForReading(sendwarden_tools::PathFromArgument(path)), &std::fclose);
  if (file == nullptr) return false;
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text->append(chunk, got);
  return std::ferror(file.get()) == 0;
}

// A command-line argument that names a file, as code page 932 text.
std::string Printable(const std::string& path) {
  return sendwarden_tools::PathForPrinting(sendwarden_tools::PathFromArgument(path));
}

// Prints the outcome and returns the exit status.
int Report(const sendwarden::AllowConfig& config, const Outcome& outcome,
           const sendwarden::CheckTrace& trace, const Console& console) {
  const Language l = console.language;
  bool allowed = outcome.code == Code::kNone && outcome.verdict.allowed;
  console.Print(Say(l, allowed ? Msg::kVerdictSend : Msg::kVerdictRefuse));
  console.Print(Say(l, Msg::kSender, {outcome.sender}));
  switch (outcome.code) {
    case Code::kNone:
      for (const std::string& line : Explain(config, outcome.verdict, trace, l)) {
        console.Print(line);
      }
      break;
    case Code::kCannotCheck:
      console.Print(Say(l, Msg::kCannotCheck, {outcome.unchecked.field,
                                               Say(l, FaultPhrase(outcome.unchecked)),
                                               outcome.detail}));
      break;
    default:
      if (outcome.gaveUpLine > 0) {
        console.Print(Say(l, Msg::kEngineGaveUpAtLine, {std::to_string(outcome.gaveUpLine),
                                                        outcome.gaveUpPattern, outcome.gaveUpText}));
      } else {
        console.Print(Say(l, Msg::kEngineGaveUp, {outcome.detail}));
      }
      break;
  }
  if (allowed) return 0;
  console.Print(Say(l, Msg::kNotice));
  // What cannot be checked shows the general text, as the plug-in does.
  console.Print(outcome.code == Code::kNone
                    ? sendwarden::NoticeText(outcome.verdict.rejectionLog)
                    : std::string(sendwarden::kNoticeGeneralText));
  return 1;
}

int TestOne(const sendwarden::AllowConfig& config, const TestOptions& options,
            const std::string& message_path, const Console& console) {
  std::string message;
  // "-": the message on standard input.
  const bool from_stdin = message_path == "-";
  if (from_stdin && !sendwarden_tools::ReadStandardInput(&message)) {
    console.Complain(Say(console.language, Msg::kCannotRead, {"-"}) + "\n");
    return 2;
  }
  if (!message_path.empty() && !from_stdin) {
    std::error_code error;
    if (std::filesystem::is_directory(sendwarden_tools::PathFromArgument(message_path), error)) {
      console.Complain(Say(console.language, Msg::kIsAFolder, {Printable(message_path)}) + "\n");
      return 2;
    }
  }
  if (!message_path.empty() && !from_stdin && !ReadMessageFile(message_path, &message)) {
    console.Complain(Say(console.language, Msg::kCannotRead, {Printable(message_path)}) + "\n");
    return 2;
  }
  // A file whose first line is empty holds no header field: it is no mail,
  // and a verdict on it would say nothing about the rules.
  if (!message_path.empty() && ReadHeaderFields(message).code == Code::kNotAMessage) {
    console.Print(Say(console.language, Msg::kNotAMessage));
    return 2;
  }
  sendwarden_tools::ToolDecoder decoder;
  sendwarden::CheckTrace trace;
  Outcome outcome = Decide(
      config,
      [&] {
        // The host hands the plug-in a NUL-terminated text.
        return message_path.empty() ? sendwarden::ExtractRecipients(options.fields, {}, decoder)
                                    : sendwarden::ExtractRecipients(message.c_str(), decoder);
      },
      &trace);
  return Report(config, outcome, trace, console);
}

}  // namespace

const CommandSpec kTestSpec = {"test", Msg::kUsageTest, Msg::kSummaryTest,
                               {{"--conf", "CONF", Msg::kOptionConf},
                                {"--from", "TEXT", Msg::kOptionFrom},
                                {"--to", "A", Msg::kOptionTo},
                                {"--cc", "A", Msg::kOptionCc},
                                {"--bcc", "A", Msg::kOptionBcc}}};

int RunTest(const Arguments& args, const Console& console) {
  TestOptions options;
  if (int mistake = ReadOptions(args, &options, console)) return mistake;
  // The plug-in refuses every send when its configuration cannot be read;
  // so does its tester, after saying why.
  sendwarden::AllowConfig config;
  if (!sendwarden::LoadAllowConfig(options.conf, config)) {  // the store stays empty
    console.Complain(ConfigUnreadableText(options.conf, console.language) +
                     Say(console.language, Msg::kTestRefusesEverySend) + "\n");
  }
  if (options.messages.size() <= 1) {
    return TestOne(config, options, options.messages.empty() ? "" : options.messages[0], console);
  }
  // One run decides many messages, each after a line naming it.
  int status = 0;
  for (const std::string& message : options.messages) {
    console.Print("== " + Printable(message));
    status = std::max(status, TestOne(config, options, message, console));
  }
  return status;
}

}  // namespace sendwarden_checker
