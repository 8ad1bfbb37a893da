// sendwarden-check suggest [--by-sender] [--by-address] [--min N]
// [--own-domain D]... PATH...: reads sent mail and writes a first
// configuration to standard output, in code page 932 whatever the terminal,
// since it is meant for a file, and on standard error what it wrote (a
// redirected run is not silent). Exits 0; 1 when no line was left on; 2 on
// a usage error, a PATH that does not exist, or when no message at all
// could be read.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/mail_source.h"
#include "tools/sendwarden-check/message_reading.h"
#include "tools/sendwarden-check/options.h"
#include "tools/sendwarden-check/output_fields.h"
#include "tools/sendwarden-check/scan_output.h"
#include "tools/sendwarden-check/suggestion.h"
#include "tools/common/terminal.h"

namespace sendwarden_checker {

namespace {

class Counter : public MailListener {
 public:
  Counter(const Console& console, bool by_address) : console_(console), counter_(by_address) {}

  void Message(const MailLocation& where, const std::string& header) override {
    MessageRecord record = ReadMessage(header);
    if (record.reading.code != Code::kNone) {
      return Unreadable(where, record.reading.code, record.reading.detail);
    }
    ++read_;
    if (!record.failure && record.extraction.fault == sendwarden::ExtractionFault::kNone) {
      counter_.Count(record.extraction.recipients);
      return;
    }
    counter_.NotCounted();
  }

  void Unreadable(const MailLocation& where, Code code, const std::string& detail) override {
    ++unreadable_;
    console_.Complain(UnreadableText(where, code, detail, console_.language) + "\n");
  }

  const SuggestionCounter& counter() const { return counter_; }
  uint64_t read() const { return read_; }
  uint64_t unreadable() const { return unreadable_; }

 private:
  const Console& console_;
  SuggestionCounter counter_;
  uint64_t read_ = 0;
  uint64_t unreadable_ = 0;
};

}  // namespace

const CommandSpec kSuggestSpec = {"suggest", Msg::kUsageSuggest, Msg::kSummarySuggest,
                                  {{"--by-sender", nullptr, Msg::kOptionBySender},
                                   {"--by-address", nullptr, Msg::kOptionByAddress},
                                   {"--min", "N", Msg::kOptionMin},
                                   {"--own-domain", "D", Msg::kOptionOwnDomain}}};

int RunSuggest(const Arguments& args, const Console& console) {
  SuggestOptions options;
  options.bySender = args.Has("--by-sender");
  options.byAddress = args.Has("--by-address");
  options.ownDomains = args.Values("--own-domain");
  for (const std::string& value : args.Values("--min")) {
    if (!ParseCount(value, &options.minimum)) return console.Mistake(Msg::kBadValue, {"--min", value});
  }
  const std::vector<std::string>& paths = args.operands();
  if (paths.empty()) return console.Usage();

  Counter counter(console, options.byAddress);
  MailReadResult result = ReadMail(paths, counter);
  if (result.missingPath || counter.read() == 0) {
    if (!result.missingPath) console.Complain(Say(console.language, Msg::kNothingRead) + "\n");
    return 2;
  }
  Suggestion suggestion = counter.counter().Suggest(options);
  std::string text = WriteSuggestion(suggestion, console.language);
  if (console.out == stdout) sendwarden_tools::UseBinaryStdout();
  std::fwrite(text.data(), 1, text.size(), console.out);
  std::fflush(console.out);
  const Language l = console.language;
  if (!suggestion.ownDomainsGiven && !suggestion.ownDomains.empty()) {
    std::string own;
    for (const std::string& domain : suggestion.ownDomains) own += (own.empty() ? "" : ", ") + domain;
    console.Complain(Say(l, Msg::kSuggestOwnTaken, {own, Number(suggestion.ownMessages),
                                                    Number(suggestion.messagesWithSender)}) + "\n");
  }
  size_t on = suggestion.Active();
  size_t below = suggestion.Off(OffReason::kBelowMinimum),
         alike = suggestion.Off(OffReason::kLooksLike), free = suggestion.Off(OffReason::kFreeMail),
         carrier = suggestion.Off(OffReason::kMobileCarrier);
  size_t off = below + alike + free + carrier;
  console.Complain(Say(l, Msg::kSuggestSummary,
                       {Number(on + off), Number(on), Number(off), Number(below), Number(alike),
                        Number(free), Number(carrier)}) + "\n");
  if (suggestion.Active() == 0) {
    console.Complain(Say(console.language, Msg::kSuggestNothingActive,
                         {Number(options.minimum)}) + "\n");
    return 1;
  }
  return 0;
}

}  // namespace sendwarden_checker
