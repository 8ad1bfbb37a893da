#include "tools/sendwarden-check/scan_output.h"

#include <cinttypes>

#include "tools/sendwarden-check/explain.h"
#include "tools/common/charset.h"
#include "tools/common/terminal.h"

namespace sendwarden_checker {

namespace {

using sendwarden_tools::Cp932ToTerminal;

// Where an item is: the file, and in an mbox or a .bmf file the message and
// its byte.
std::string Where(const ScanItem& item, Language l) { return WhereText(item.where, l); }

// The recipients no rule allowed, "TO a@x.example; CC b@y.example".
std::string NotAllowed(const Outcome& outcome) {
  std::string out;
  for (const Recipient& recipient : outcome.refused) {
    out += std::string(out.empty() ? "" : "; ") + sendwarden::FieldKey(recipient.field) + " " +
           recipient.entry;
  }
  return out;
}

std::string Joined(const sendwarden::RejectionLog& named) {
  std::string out;
  for (const std::string& address : named) out += (out.empty() ? "" : ", ") + address;
  return out;
}

const char* VerdictWord(const ScanItem& item) {
  return item.Unread() ? "unreadable" : item.Sent() ? "send" : "refuse";
}

// What goes beside the code in CSV and JSON, untranslated: the field for a
// message that cannot be checked, else the engine's or the system's words.
std::string Detail(const Outcome& outcome) {
  return outcome.code == Code::kCannotCheck ? outcome.unchecked.field : outcome.detail;
}

std::string Mb(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", static_cast<double>(bytes) / (1 << 20));
  return text;
}

}  // namespace

std::string ReasonText(const ScanItem& item, Language l) {
  const Outcome& outcome = item.outcome;
  switch (outcome.code) {
    case Code::kNone: return "";
    case Code::kCannotCheck:
      return Say(l, Msg::kScanCannotCheck,
                 {outcome.unchecked.field, Say(l, FaultPhrase(outcome.unchecked))});
    case Code::kEngineGaveUp:
      if (outcome.gaveUpLine > 0) {
        return Say(l, Msg::kScanEngineGaveUpAtLine,
                   {std::to_string(outcome.gaveUpLine), outcome.gaveUpPattern});
      }
      return Say(l, Msg::kScanEngineGaveUp, {outcome.detail});
    case Code::kNotAMessage: return Say(l, Msg::kNotAMessage);
    case Code::kHeaderTooLong: return Say(l, Msg::kHeaderTooLong);
    case Code::kNoSuchPath: return Say(l, Msg::kNoSuchPath);
    case Code::kCannotOpen: return Say(l, Msg::kCannotOpen, {outcome.detail});
    case Code::kCannotList: return Say(l, Msg::kCannotList, {outcome.detail});
    case Code::kReadError: return Say(l, Msg::kReadError);
  }
  return "";
}

namespace {

bool IsPathProblem(Code code) {
  return code == Code::kNoSuchPath || code == Code::kCannotOpen || code == Code::kCannotList;
}

}  // namespace

std::string UnreadableText(const MailLocation& where, Code code, const std::string& detail,
                           Language l) {
  ScanItem item;
  item.where = where;
  item.outcome.code = code;
  item.outcome.detail = detail;
  return WhereText(where, l) + ": " + ReasonText(item, l);
}

ScanPrinter::ScanPrinter(ScanFormat format, Language language, bool progress, std::FILE* out,
                         std::FILE* err)
    : format_(format), l_(language), progress_(progress), out_(out), err_(err),
      start_(std::chrono::steady_clock::now()), lastDrawn_(start_) {
  if (format_ != ScanFormat::kText && out_ == stdout) sendwarden_tools::UseBinaryStdout();
  if (format_ == ScanFormat::kCsv) {
    Write(std::string("\"file\",\"message\",\"offset\",\"verdict\",") + kCsvShownHeader +
          ",\"named\",\"reason\",\"detail\",\"notAllowed\"\r\n");
  }
}

void ScanPrinter::Write(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), out_);
}

void ScanPrinter::Print(const std::string& cp932) { Write(Cp932ToTerminal(cp932 + "\n")); }

void ScanPrinter::Item(const ScanItem& item) {
  ClearProgress();
  // A path that could not be read at all is a mistake of the command line:
  // said at once on stderr, not only in a summary or a record.
  if (item.Unread() && !item.where.inArchive && IsPathProblem(item.outcome.code)) {
    std::string text = Cp932ToTerminal("sendwarden-check: " + Where(item, l_) + ": " +
                                       ReasonText(item, l_) + "\n");
    std::fwrite(text.data(), 1, text.size(), err_);
  }
  switch (format_) {
    case ScanFormat::kText: Text(item); break;
    case ScanFormat::kCsv: Csv(item); break;
    case ScanFormat::kJson: Json(item); break;
  }
}

void ScanPrinter::Text(const ScanItem& item) {
  if (!item.Refused()) return;
  const sendwarden::RejectionLog& named = item.outcome.verdict.rejectionLog;
  Print(Say(l_, Msg::kScanRefused, {Where(item, l_)}));
  for (const std::string& line : ShownLines(item.shown)) Print(line);
  if (named.empty()) {
    Print("    " + Say(l_, Msg::kScanGeneralNotice));
  } else {
    Print("    " + Say(l_, Msg::kScanNoticeNames, {Joined(named)}));
  }
  for (const Recipient& recipient : item.outcome.refused) {
    Print("  " + Say(l_, Msg::kScanNotAllowed,
                     {sendwarden::FieldKey(recipient.field), recipient.entry}));
  }
  std::string reason = ReasonText(item, l_);
  if (!reason.empty()) Print("    " + Say(l_, Msg::kScanWhy, {reason}));
  Print("");
}

void ScanPrinter::Csv(const ScanItem& item) {
  std::string row = CsvLocation(item.where) + "," + VerdictWord(item) + "," +
                    CsvShown(item.shown) + "," +
                    CsvField(Joined(item.outcome.verdict.rejectionLog)) + "," +
                    CsvField(CodeName(item.outcome)) + "," + CsvField(Detail(item.outcome)) +
                    "," + CsvField(NotAllowed(item.outcome)) + "\r\n";
  Write(row);
}

void ScanPrinter::Json(const ScanItem& item) {
  std::string named;
  for (const std::string& address : item.outcome.verdict.rejectionLog) {
    named += (named.empty() ? "" : ",") + JsonString(address);
  }
  std::string not_allowed;
  for (const Recipient& recipient : item.outcome.refused) {
    not_allowed += std::string(not_allowed.empty() ? "" : ",") + "{\"field\":\"" +
                   sendwarden::FieldKey(recipient.field) +
                   "\",\"entry\":" + JsonString(recipient.entry) + "}";
  }
  Write("{\"type\":\"message\"," + JsonLocation(item.where) + ",\"verdict\":\"" + VerdictWord(item) + "\"," +
        JsonShown(item.shown) + ",\"named\":[" + named + "],\"reason\":" +
        JsonString(CodeName(item.outcome)) +
        ",\"detail\":" + JsonString(Detail(item.outcome)) + ",\"notAllowed\":[" + not_allowed +
        "]}\n");
}

void ScanPrinter::Finish(const ScanSummary& summary) {
  ClearProgress();
  if (summary.read == 0 && format_ != ScanFormat::kText) {
    std::string text = Cp932ToTerminal(Say(l_, Msg::kNothingRead) + "\n");
    std::fwrite(text.data(), 1, text.size(), err_);
  }
  if (format_ == ScanFormat::kCsv) return;
  if (format_ == ScanFormat::kJson) {
    Write("{\"type\":\"summary\",\"summary\":{\"read\":" + Number(summary.read) + ",\"sent\":" + Number(summary.sent) +
          ",\"refused\":" + Number(summary.refused) +
          ",\"unreadable\":" + Number(summary.unreadable) + "}}\n");
    std::string rules, sections;
    for (const RuleUse& rule : summary.rules) {
      rules += std::string(rules.empty() ? "" : ",") + "{\"line\":" + Number(rule.line) +
               ",\"text\":" + JsonString(rule.text) + ",\"allowed\":" + Number(rule.allowed) +
               "}";
    }
    for (const SectionUse& section : summary.sections) {
      sections += std::string(sections.empty() ? "" : ",") + "{\"line\":" +
                  Number(section.line) + ",\"pattern\":" + JsonString(section.pattern) +
                  ",\"matched\":" + Number(section.matched) + "}";
    }
    std::string domains;
    for (const auto& [domain, count] : summary.refusedDomains) {
      domains += std::string(domains.empty() ? "" : ",") + "{\"domain\":" + JsonString(domain) +
                 ",\"refused\":" + Number(count) + "}";
    }
    Write("{\"type\":\"usage\",\"rules\":[" + rules + "],\"sections\":[" + sections +
          "],\"refusedDomains\":[" + domains + "]}\n");
    return;
  }
  if (summary.read == 0) {
    // Nothing read is no answer: no summary of rules that allowed nothing,
    // only what could not be read and why.
    std::string text;
    for (const ScanItem& item : summary.unreadableItems) {
      if (item.where.inArchive || !IsPathProblem(item.outcome.code)) {
        text += Where(item, l_) + ": " + ReasonText(item, l_) + "\n";
      }
    }
    text = Cp932ToTerminal(text + Say(l_, Msg::kNothingRead) + "\n");
    std::fwrite(text.data(), 1, text.size(), err_);
    return;
  }
  Print(Say(l_, Msg::kScanRead, {Number(summary.read)}));
  Print(Say(l_, Msg::kScanSent, {Number(summary.sent)}));
  Print(Say(l_, Msg::kScanRefusedCount, {Number(summary.refused)}));
  Print(Say(l_, Msg::kScanUnreadable, {Number(summary.unreadable)}));
  for (const ScanItem& item : summary.unreadableItems) {
    Print("  " + Where(item, l_) + ": " + ReasonText(item, l_));
  }
  if (!summary.refusedDomains.empty()) {
    Print(Say(l_, Msg::kScanTopDomains));
    for (const auto& [domain, count] : summary.refusedDomains) {
      Print(Say(l_, Msg::kScanDomainCount, {Number(count), domain}));
    }
  }
  Print("");
  Print(Say(l_, Msg::kScanRuleUsage));
  std::vector<const RuleUse*> unused;
  for (const RuleUse& rule : summary.rules) {
    Print(Say(l_, Msg::kScanRuleLine, {Number(rule.line), Number(rule.allowed), rule.text}));
    if (rule.allowed == 0) unused.push_back(&rule);
  }
  if (summary.rules.empty()) Print(Say(l_, Msg::kScanNone));
  Print(Say(l_, Msg::kScanNeverUsed));
  for (const RuleUse* rule : unused) {
    Print(Say(l_, Msg::kScanUnusedLine, {Number(rule->line), rule->text}));
  }
  if (unused.empty()) Print(Say(l_, Msg::kScanNone));
  Print(Say(l_, Msg::kScanUnusedSections));
  bool any = false;
  for (const SectionUse& section : summary.sections) {
    if (section.matched > 0) continue;
    Print(Say(l_, Msg::kScanUnusedSection, {Number(section.line), section.pattern}));
    any = true;
  }
  if (!any) Print(Say(l_, Msg::kScanNone));
}

// "12,345 messages, 512 of 1,024 MB, 180 MB/s, 3 s left", redrawn in place at
// most four times a second.
void ScanPrinter::Progress(uint64_t messages, uint64_t bytes_done, uint64_t bytes_total) {
  if (!progress_) return;
  auto now = std::chrono::steady_clock::now();
  if (now - lastDrawn_ < std::chrono::milliseconds(250)) return;
  lastDrawn_ = now;
  double seconds = std::chrono::duration<double>(now - start_).count();
  double rate = seconds > 0 ? static_cast<double>(bytes_done) / seconds : 0;
  uint64_t left = bytes_total > bytes_done ? bytes_total - bytes_done : 0;
  char seconds_left[32];
  std::snprintf(seconds_left, sizeof seconds_left, "%.0f",
                rate > 0 ? static_cast<double>(left) / rate : 0.0);
  std::string line = Say(l_, Msg::kScanProgress,
                         {Number(messages), Mb(bytes_done), Mb(bytes_total),
                          Mb(static_cast<uint64_t>(rate)), seconds_left});
  std::string text = Cp932ToTerminal("\r" + line + "   ");
  std::fwrite(text.data(), 1, text.size(), err_);
  std::fflush(err_);
  progressShown_ = true;
}

void ScanPrinter::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r                                                                       \r",
             err_);
  progressShown_ = false;
}

}  // namespace sendwarden_checker
