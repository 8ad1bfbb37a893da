#include "tools/sendwarden-check/diff_output.h"

#include <algorithm>

#include "tools/sendwarden-check/scan_output.h"
#include "tools/common/terminal.h"

namespace sendwarden_checker {

namespace {

std::string LineText(const DiffChange& change) {
  const sendwarden::PatternList::Entry* entry = change.allowedBy;
  return entry == nullptr ? "" : Number(entry->line) + " " + entry->text;
}

std::string KeyAndPattern(const RuleLine& line) {
  return std::string(sendwarden::RuleKeyName(line.key)) + "=" + line.pattern;
}

std::string RuleName(const RuleLine& line, Language l) {
  return line.section.empty() ? Say(l, Msg::kDiffDefaultRule)
                              : Say(l, Msg::kSectionAt, {line.section, Number(line.sectionLine)});
}

const char* ChangeName(RuleLineChange::Kind kind) {
  switch (kind) {
    case RuleLineChange::Kind::kAdded: return "line-added";
    case RuleLineChange::Kind::kRemoved: return "line-removed";
    case RuleLineChange::Kind::kChanged: break;
  }
  return "line-changed";
}

std::string JsonLine(const RuleLine& line) {
  return "{\"section\":" + JsonString(line.section) + ",\"sectionLine\":" +
         Number(line.sectionLine) + ",\"key\":\"" + sendwarden::RuleKeyName(line.key) +
         "\",\"pattern\":" + JsonString(line.pattern) + ",\"line\":" + Number(line.line) + "}";
}

}  // namespace

bool DiffSummary::Widens() const {
  return std::any_of(ruleLines.begin(), ruleLines.end(), [](const RuleLineChange& change) {
    return change.kind != RuleLineChange::Kind::kRemoved;
  });
}

DiffPrinter::DiffPrinter(ScanFormat format, const Console& console)
    : format_(format), console_(console) {
  if (format_ != ScanFormat::kText && console_.out == stdout) sendwarden_tools::UseBinaryStdout();
  if (format_ == ScanFormat::kCsv) {
    Write(std::string("\"change\",\"file\",\"message\",\"offset\",") + kCsvShownHeader +
          ",\"recipients\",\"lines\"\r\n");
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
      Write(std::string("{\"type\":\"message\",\"change\":\"") + kind + "\"," + JsonLocation(item.where) + "," +
            JsonShown(item.shown) + ",\"recipients\":[" + recipients + "]}\n");
      break;
    }
  }
}

void DiffPrinter::Unreadable(const MailLocation& where, Code code, const std::string& detail) {
  console_.Complain(UnreadableText(where, code, detail, console_.language) + "\n");
}

void DiffPrinter::Finish(const DiffSummary& summary) {
  const Language l = console_.language;
  size_t added = 0, removed = 0, changed = 0;
  for (const RuleLineChange& change : summary.ruleLines) {
    const RuleLine& shown = change.kind == RuleLineChange::Kind::kRemoved ? change.before : change.after;
    switch (change.kind) {
      case RuleLineChange::Kind::kAdded: ++added; break;
      case RuleLineChange::Kind::kRemoved: ++removed; break;
      case RuleLineChange::Kind::kChanged: ++changed; break;
    }
    if (format_ == ScanFormat::kCsv) {
      // The rule line in the lines column, as "[section] line text" of the
      // new file (of the old one for a removed line), the old one first.
      std::string lines = shown.section.empty() ? "" : "[" + shown.section + "] ";
      if (change.kind == RuleLineChange::Kind::kChanged) {
        lines += Number(change.before.line) + " " + KeyAndPattern(change.before) + "; ";
      }
      lines += Number(shown.line) + " " + KeyAndPattern(shown);
      Write(std::string("\"") + ChangeName(change.kind) + "\",,,,,,,,," + CsvField(lines) + "\r\n");
    } else if (format_ == ScanFormat::kJson) {
      std::string json =
          std::string("{\"type\":\"rule-line\",\"change\":\"") + ChangeName(change.kind) + "\"";
      if (change.kind != RuleLineChange::Kind::kAdded) json += ",\"before\":" + JsonLine(change.before);
      if (change.kind != RuleLineChange::Kind::kRemoved) json += ",\"after\":" + JsonLine(change.after);
      Write(json + "}\n");
    }
  }
  if (format_ == ScanFormat::kText && !summary.ruleLines.empty()) {
    console_.Print(Say(l, Msg::kDiffRuleLines, {Number(added), Number(removed), Number(changed)}));
    for (const RuleLineChange& change : summary.ruleLines) {
      switch (change.kind) {
        case RuleLineChange::Kind::kAdded:
          console_.Print(Say(l, Msg::kDiffLineAdded, {Number(change.after.line),
                                                      RuleName(change.after, l),
                                                      KeyAndPattern(change.after)}));
          break;
        case RuleLineChange::Kind::kRemoved:
          console_.Print(Say(l, Msg::kDiffLineRemoved, {Number(change.before.line),
                                                        RuleName(change.before, l),
                                                        KeyAndPattern(change.before)}));
          break;
        case RuleLineChange::Kind::kChanged:
          console_.Print(Say(l, Msg::kDiffLineChanged,
                             {Number(change.before.line), Number(change.after.line),
                              RuleName(change.after, l), KeyAndPattern(change.before),
                              KeyAndPattern(change.after)}));
          break;
      }
    }
  }
  std::vector<std::string> counts = {Number(summary.compared), Number(summary.newlyRefused),
                                     Number(summary.newlyAllowed), Number(summary.unreadable)};
  if (format_ == ScanFormat::kText) {
    console_.Print(Say(l, Msg::kDiffSummary, counts));
  } else if (format_ == ScanFormat::kJson) {
    Write("{\"type\":\"summary\",\"summary\":{\"compared\":" + counts[0] + ",\"newlyRefused\":" + counts[1] +
          ",\"newlyAllowed\":" + counts[2] + ",\"unreadable\":" + counts[3] + "}}\n");
  }
  std::fflush(console_.out);
  if (summary.Widens()) console_.Complain(Say(l, Msg::kDiffLinesWiden) + "\n");
}

}  // namespace sendwarden_checker
