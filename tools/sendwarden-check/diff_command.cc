// sendwarden-check diff [--format text|csv|json] OLD.conf NEW.conf PATH...:
// decides every past message under both configurations and lists each one
// whose verdict changes, with the recipients that make the difference and
// the rule lines responsible, and then every rule line added, removed or
// changed. Exits 0 when nothing changes, 1 when messages are only newly
// refused, 3 when any is newly allowed or a rule line was added or changed
// (a rollout script stops there), 2 on a usage error, a configuration that cannot be read, a
// PATH that does not exist, or when no message at all could be read.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "config/config_loader.h"
#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/config_unreadable.h"
#include "tools/sendwarden-check/decide.h"
#include "tools/sendwarden-check/diff_output.h"
#include "tools/sendwarden-check/mail_source.h"
#include "tools/sendwarden-check/message_reading.h"
#include "tools/sendwarden-check/options.h"
#include "tools/sendwarden-check/output_fields.h"
#include "tools/sendwarden-check/scan_output.h"
#include "tools/common/file_path.h"
#include "tools/common/terminal.h"

namespace sendwarden_checker {

namespace {

using sendwarden::AllowConfig;

// Decides each message under both configurations and hands each whose
// verdict changes to the printer.
class Comparer : public MailListener {
 public:
  Comparer(const AllowConfig& before, const AllowConfig& after, DiffPrinter& printer)
      : before_(before), after_(after), printer_(printer) {}

  void Message(const MailLocation& where, const std::string& header) override {
    // The extraction does not depend on the rules: read once, decide twice.
    MessageRecord record = ReadMessage(header);
    if (record.reading.code != Code::kNone) {
      return Unreadable(where, record.reading.code, record.reading.detail);
    }
    ++summary_.compared;
    auto extract = [&] { return record.Extract(); };
    // Verdicts first; the refused list only for a message that changes.
    Outcome before = Decide(before_, extract, nullptr, false);
    Outcome after = Decide(after_, extract, nullptr, false);
    bool allowed_before = before.code == Code::kNone && before.verdict.allowed;
    bool allowed_after = after.code == Code::kNone && after.verdict.allowed;
    if (allowed_before == allowed_after) return;
    (allowed_after ? before : after) = Decide(allowed_after ? before_ : after_, extract, nullptr);

    DiffItem item;
    item.where = where;
    item.newlyAllowed = allowed_after;
    item.shown = ShownOf(record.reading);
    // The recipients the refusing side did not allow, each with the line
    // of the allowing side that did.
    const Outcome& refusing = allowed_after ? before : after;
    std::vector<sendwarden::EntryDecision> decisions =
        sendwarden::DecideEachEntry(allowed_after ? after_ : before_, record.extraction.recipients);
    for (const Recipient& recipient : refusing.refused) {
      item.changes.push_back({recipient, AllowingEntry(decisions, recipient)});
    }
    ++(allowed_after ? summary_.newlyAllowed : summary_.newlyRefused);
    printer_.Item(item);
  }

  void Unreadable(const MailLocation& where, Code code, const std::string& detail) override {
    ++summary_.unreadable;
    printer_.Unreadable(where, code, detail);
  }

  const DiffSummary& summary() const { return summary_; }
  void SetRuleLines(std::vector<RuleLineChange> lines) { summary_.ruleLines = std::move(lines); }

 private:
  const AllowConfig& before_;
  const AllowConfig& after_;
  DiffPrinter& printer_;
  DiffSummary summary_;
};

}  // namespace

const CommandSpec kDiffSpec = {"diff", Msg::kUsageDiff, Msg::kSummaryDiff,
                               {{"--format", "FORMAT", Msg::kOptionFormat}}};

int RunDiff(const Arguments& args, const Console& console) {
  ScanFormat format = ScanFormat::kText;
  for (const std::string& value : args.Values("--format")) {
    if (!ParseFormat(value, &format)) return console.Mistake(Msg::kBadValue, {"--format", value});
  }
  const std::vector<std::string>& words = args.operands();
  if (words.size() < 3) return console.Usage();
  AllowConfig before, after;
  for (size_t i = 0; i < 2; ++i) {
    if (!sendwarden::LoadAllowConfig(words[i], i == 0 ? before : after)) {
      console.Complain(ConfigUnreadableText(words[i], console.language));
      return 2;
    }
  }
  DiffPrinter printer(format, console);
  Comparer comparer(before, after, printer);
  comparer.SetRuleLines(CompareRuleLines(before, after));
  MailReadResult result =
      ReadMail(std::vector<std::string>(words.begin() + 2, words.end()), comparer);
  printer.Finish(comparer.summary());
  const DiffSummary& summary = comparer.summary();
  if (result.missingPath || summary.compared == 0) {
    if (!result.missingPath) console.Complain(Say(console.language, Msg::kNothingRead) + "\n");
    return 2;
  }
  if (summary.newlyAllowed > 0 || summary.Widens()) return 3;
  return summary.newlyRefused > 0 ? 1 : 0;
}

}  // namespace sendwarden_checker
