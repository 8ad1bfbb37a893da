// sendwarden-check diff [--format text|csv|json] OLD.conf NEW.conf PATH...:
// decides every past message under both configurations and lists each one
// whose verdict changes, with the recipients that make the difference and
// the rule lines responsible. Exits 0 when nothing changes, 1 when messages
// are only newly refused, 3 when any is newly allowed (a rollout script
// stops there), 2 on a usage error, a configuration that cannot be read, a
// PATH that does not exist, or when no message at all could be read.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "config/config_loader.h"
#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/decide.h"
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

// One recipient that makes the difference, and the line that allowed it
// under the configuration that did.
struct Change {
  Recipient recipient;
  const sendwarden::PatternList::Entry* allowedBy = nullptr;
};

struct Changed {
  MailLocation where;
  bool newlyAllowed = false;
  std::string date, from, subject;  // code page 932, decoded
  std::vector<Change> changes;
};

class Comparer : public MailListener {
 public:
  Comparer(const AllowConfig& before, const AllowConfig& after, ScanFormat format,
           const Console& console)
      : before_(before), after_(after), format_(format), console_(console) {
    if (format_ != ScanFormat::kText && console_.out == stdout) {
      sendwarden_tools::UseBinaryStdout();
    }
    if (format_ == ScanFormat::kCsv) {
      Write("\"change\",\"file\",\"message\",\"offset\",\"date\",\"from\",\"subject\","
            "\"recipients\",\"lines\"\r\n");
    }
  }

  void Message(const MailLocation& where, const std::string& header) override {
    HeaderReading reading = ReadHeaderFields(header);
    if (reading.code != Code::kNone) return Unreadable(where, reading.code, reading.detail);
    ++compared_;
    // The extraction does not depend on the rules: read once, decide twice.
    sendwarden::Extraction extraction;
    std::exception_ptr thrown;
    try {
      extraction = ExtractAsThePlugInDoes(reading);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception&) {
      thrown = std::current_exception();
    }
    auto extract = [&] {
      if (thrown) std::rethrow_exception(thrown);
      return extraction;
    };
    Outcome before = Decide(before_, extract, nullptr);
    Outcome after = Decide(after_, extract, nullptr);
    bool allowed_before = before.code == Code::kNone && before.verdict.allowed;
    bool allowed_after = after.code == Code::kNone && after.verdict.allowed;
    if (allowed_before == allowed_after) return;

    Changed changed;
    changed.where = where;
    changed.newlyAllowed = allowed_after;
    changed.date = reading.headers["DATE"];
    changed.from = ShownField(reading.headers, "FROM");
    changed.subject = ShownField(reading.headers, "SUBJECT");
    // The recipients the refusing side did not allow, each with the line
    // of the allowing side that did.
    const Outcome& refusing = allowed_after ? before : after;
    const AllowConfig& allowing = allowed_after ? after_ : before_;
    std::vector<sendwarden::EntryDecision> decisions =
        sendwarden::DecideEachEntry(allowing, extraction.recipients);
    for (const Recipient& recipient : refusing.refused) {
      changed.changes.push_back({recipient, AllowingEntry(decisions, recipient)});
    }
    ++(allowed_after ? newlyAllowed_ : newlyRefused_);
    Print(changed);
  }

  void Unreadable(const MailLocation& where, Code code, const std::string& detail) override {
    ++unreadable_;
    console_.Complain(UnreadableText(where, code, detail, console_.language) + "\n");
  }

  void Finish() {
    std::vector<std::string> counts = {Number(compared_), Number(newlyRefused_),
                                       Number(newlyAllowed_), Number(unreadable_)};
    if (format_ == ScanFormat::kText) {
      Text(Say(console_.language, Msg::kDiffSummary, counts));
    } else if (format_ == ScanFormat::kJson) {
      Write("{\"summary\":{\"compared\":" + counts[0] + ",\"newlyRefused\":" + counts[1] +
            ",\"newlyAllowed\":" + counts[2] + ",\"unreadable\":" + counts[3] + "}}\n");
    }
    std::fflush(console_.out);
  }

  uint64_t compared() const { return compared_; }
  uint64_t newlyRefused() const { return newlyRefused_; }
  uint64_t newlyAllowed() const { return newlyAllowed_; }

 private:
  static std::string LineText(const Change& change) {
    const sendwarden::PatternList::Entry* entry = change.allowedBy;
    return entry == nullptr ? "" : Number(entry->line) + " " + entry->text;
  }

  void Print(const Changed& changed) {
    const Language l = console_.language;
    const char* kind = changed.newlyAllowed ? "newly-allowed" : "newly-refused";
    switch (format_) {
      case ScanFormat::kText: {
        Text(Say(l, changed.newlyAllowed ? Msg::kDiffNewlyAllowed : Msg::kDiffNewlyRefused,
                 {WhereText(changed.where, l)}));
        Text("    Date: " + changed.date);
        Text("    From: " + changed.from);
        Text("    Subject: " + changed.subject);
        for (const Change& change : changed.changes) {
          Text(Say(l, Msg::kDiffRecipient,
                   {sendwarden::FieldKey(change.recipient.field), change.recipient.entry}));
          if (change.allowedBy != nullptr) {
            Text(Say(l, changed.newlyAllowed ? Msg::kDiffAllowedNow : Msg::kDiffAllowedBefore,
                     {Number(change.allowedBy->line), change.allowedBy->text}));
          }
        }
        break;
      }
      case ScanFormat::kCsv: {
        std::string recipients, lines;
        for (const Change& change : changed.changes) {
          recipients += (recipients.empty() ? "" : "; ") + change.recipient.entry;
          std::string line = LineText(change);
          if (!line.empty()) lines += (lines.empty() ? "" : "; ") + line;
        }
        const MailLocation& where = changed.where;
        Write(std::string("\"") + kind + "\"," + CsvField(where.path) + "," +
              (where.inArchive ? Number(where.number) : "") + "," +
              (where.inArchive ? Number(where.offset) : "") + "," +
              CsvField(changed.date) + "," + CsvField(changed.from) + "," +
              CsvField(changed.subject) + "," + CsvField(recipients) + "," + CsvField(lines) +
              "\r\n");
        break;
      }
      case ScanFormat::kJson: {
        std::string recipients;
        for (const Change& change : changed.changes) {
          recipients += std::string(recipients.empty() ? "" : ",") + "{\"field\":\"" +
                        sendwarden::FieldKey(change.recipient.field) +
                        "\",\"entry\":" + JsonString(change.recipient.entry);
          if (change.allowedBy != nullptr) {
            recipients += ",\"line\":" + Number(change.allowedBy->line) +
                          ",\"rule\":" + JsonString(change.allowedBy->text);
          }
          recipients += "}";
        }
        Write(std::string("{\"change\":\"") + kind + "\",\"file\":" +
              JsonString(changed.where.path) + ",\"message\":" +
              (changed.where.inArchive ? Number(changed.where.number) : "null") +
              ",\"offset\":" + (changed.where.inArchive ? Number(changed.where.offset) : "null") +
              ",\"date\":" +
              JsonString(changed.date) + ",\"from\":" + JsonString(changed.from) +
              ",\"subject\":" + JsonString(changed.subject) + ",\"recipients\":[" + recipients +
              "]}\n");
        break;
      }
    }
  }

  void Write(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), console_.out); }
  void Text(const std::string& cp932) { console_.Print(cp932); }

  const AllowConfig& before_;
  const AllowConfig& after_;
  const ScanFormat format_;
  const Console& console_;
  uint64_t compared_ = 0, newlyRefused_ = 0, newlyAllowed_ = 0, unreadable_ = 0;
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
      std::string shown =
          sendwarden_tools::PathForPrinting(sendwarden_tools::PathFromArgument(words[i]));
      console.Complain(Say(console.language, Msg::kCannotRead, {shown}) + "\n");
      return 2;
    }
  }
  Comparer comparer(before, after, format, console);
  MailReadResult result =
      ReadMail(std::vector<std::string>(words.begin() + 2, words.end()), comparer);
  comparer.Finish();
  if (result.missingPath || comparer.compared() == 0) {
    if (!result.missingPath) console.Complain(Say(console.language, Msg::kNothingRead) + "\n");
    return 2;
  }
  if (comparer.newlyAllowed() > 0) return 3;
  return comparer.newlyRefused() > 0 ? 1 : 0;
}

}  // namespace sendwarden_checker
