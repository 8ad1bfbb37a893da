#include "tools/sendwarden-check/diff_output.h"

#include "tools/sendwarden-check/scan_output.h"
#include "tools/common/terminal.h"

namespace sendwarden_checker {

namespace {

std::string LineText(const DiffChange& change) {
  const sendwarden::PatternList::Entry* entry = change.allowedBy;
  return entry == nullptr ? "" : Number(entry->line) + " " + entry->text;
}

}  // namespace

DiffPrinter::DiffPrinter(ScanFormat format, const Console& console)
    : format_(format), console_(console) {
  if (format_ != ScanFormat::kText && console_.out == stdout) sendwarden_tools::UseBinaryStdout();
  if (format_ == ScanFormat::kCsv) {
    Write("\"change\",\"file\",\"message\",\"offset\",\"date\",\"from\",\"subject\","
          "\"recipients\",\"lines\"\r\n");
  }
}

void DiffPrinter::Write(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), console_.out);
}

void DiffPrinter::Item(const DiffItem& item) {
  const Language l = console_.language;
  const char* kind = item.newlyAllowed ? "newly-allowed" : "newly-refused";
  switch (format_) {
    case ScanFormat::kText:
      console_.Print(Say(l, item.newlyAllowed ? Msg::kDiffNewlyAllowed : Msg::kDiffNewlyRefused,
                         {WhereText(item.where, l)}));
      for (const std::string& line : ShownLines(item.shown)) console_.Print(line);
      for (const DiffChange& change : item.changes) {
        console_.Print(Say(l, Msg::kDiffRecipient,
                           {sendwarden::FieldKey(change.recipient.field), change.recipient.entry}));
        if (change.allowedBy != nullptr) {
          console_.Print(Say(l, item.newlyAllowed ? Msg::kDiffAllowedNow : Msg::kDiffAllowedBefore,
                             {Number(change.allowedBy->line), change.allowedBy->text}));
        }
      }
      break;
    case ScanFormat::kCsv: {
      std::string recipients, lines;
      for (const DiffChange& change : item.changes) {
        recipients += (recipients.empty() ? "" : "; ") + change.recipient.entry;
        std::string line = LineText(change);
        if (!line.empty()) lines += (lines.empty() ? "" : "; ") + line;
      }
      Write(std::string("\"") + kind + "\"," + CsvLocation(item.where) + "," +
            CsvShown(item.shown) + "," + CsvField(recipients) + "," + CsvField(lines) + "\r\n");
      break;
    }
    case ScanFormat::kJson: {
      std::string recipients;
      for (const DiffChange& change : item.changes) {
        recipients += std::string(recipients.empty() ? "" : ",") + "{\"field\":\"" +
                      sendwarden::FieldKey(change.recipient.field) +
                      "\",\"entry\":" + JsonString(change.recipient.entry);
        if (change.allowedBy != nullptr) {
          recipients += ",\"line\":" + Number(change.allowedBy->line) +
                        ",\"rule\":" + JsonString(change.allowedBy->text);
        }
        recipients += "}";
      }
      Write(std::string("{\"change\":\"") + kind + "\"," + JsonLocation(item.where) + "," +
            JsonShown(item.shown) + ",\"recipients\":[" + recipients + "]}\n");
      break;
    }
  }
}

void DiffPrinter::Unreadable(const MailLocation& where, Code code, const std::string& detail) {
  console_.Complain(UnreadableText(where, code, detail, console_.language) + "\n");
}

void DiffPrinter::Finish(const DiffSummary& summary) {
  std::vector<std::string> counts = {Number(summary.compared), Number(summary.newlyRefused),
                                     Number(summary.newlyAllowed), Number(summary.unreadable)};
  if (format_ == ScanFormat::kText) {
    console_.Print(Say(console_.language, Msg::kDiffSummary, counts));
  } else if (format_ == ScanFormat::kJson) {
    Write("{\"summary\":{\"compared\":" + counts[0] + ",\"newlyRefused\":" + counts[1] +
          ",\"newlyAllowed\":" + counts[2] + ",\"unreadable\":" + counts[3] + "}}\n");
  }
  std::fflush(console_.out);
}

}  // namespace sendwarden_checker
