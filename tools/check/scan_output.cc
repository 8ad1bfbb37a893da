#include "tools/check/scan_output.h"

#include <cinttypes>

#include "tools/common/charset.h"
#include "tools/common/terminal.h"

namespace sendwarden_check {

namespace {

using sendwarden_tools::Cp932ToUtf8;
using sendwarden_tools::FromCommandLine;
using sendwarden_tools::ToTerminal;

void Write(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

void Print(const std::string& text) { Write(ToTerminal(text + "\n")); }

std::string Number(uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%" PRIu64, value);
  return text;
}

std::string Format(const char* format, uint64_t a, uint64_t b = 0) {
  char text[200];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(a),
                static_cast<unsigned long long>(b));
  return text;
}

// Where an item is: the file, and in an mbox the message and its byte.
std::string Where(const ScanItem& item, Language l) {
  std::string where = FromCommandLine(item.path);
  if (item.inMbox) where += " (" + Format(Say(l, Msg::kScanMessageAt), item.number, item.offset) + ")";
  return where;
}

std::string Joined(const sendwarden::RejectionLog& named) {
  std::string out;
  for (const std::string& address : named) out += (out.empty() ? "" : ", ") + address;
  return out;
}

// A CSV field, quoted. A field that a spreadsheet would take for a formula
// gets a leading apostrophe: subjects and names come from anyone.
std::string CsvField(const std::string& text) {
  std::string field = text;
  if (!field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos) {
    field.insert(0, "'");
  }
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// A JSON string of code page 932 text.
std::string JsonString(const std::string& cp932) {
  std::string out = "\"";
  for (unsigned char c : Cp932ToUtf8(cp932)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

const char* VerdictWord(Outcome outcome) {
  switch (outcome) {
    case Outcome::kSend: return "send";
    case Outcome::kRefuse: return "refuse";
    case Outcome::kUnreadable: return "unreadable";
  }
  return "";
}

}  // namespace

ScanPrinter::ScanPrinter(ScanFormat format, Language language, bool progress)
    : format_(format), l_(language), progress_(progress),
      start_(std::chrono::steady_clock::now()), lastDrawn_(start_) {
  if (format_ != ScanFormat::kText) sendwarden_tools::UseBinaryStdout();
  if (format_ == ScanFormat::kCsv) {
    Write("\"file\",\"message\",\"offset\",\"verdict\",\"date\",\"from\",\"subject\",\"named\","
          "\"reason\"\r\n");
  }
}

void ScanPrinter::Item(const ScanItem& item) {
  ClearProgress();
  switch (format_) {
    case ScanFormat::kText: Text(item); break;
    case ScanFormat::kCsv: Csv(item); break;
    case ScanFormat::kJson: Json(item); break;
  }
}

void ScanPrinter::Text(const ScanItem& item) {
  if (item.outcome != Outcome::kRefuse) return;
  Print(Say(l_, Msg::kScanRefused) + Where(item, l_));
  Print("    Date: " + item.date);
  Print("    From: " + item.from);
  Print("    Subject: " + item.subject);
  if (item.named.empty()) {
    Print(std::string("    ") + Say(l_, Msg::kScanGeneralNotice));
  } else {
    Print(std::string("    ") + Say(l_, Msg::kScanNoticeNames) + Joined(item.named));
  }
  if (!item.reason.empty()) Print(std::string("    ") + Say(l_, Msg::kScanWhy) + item.reason);
  Print("");
}

void ScanPrinter::Csv(const ScanItem& item) {
  std::string row = CsvField(FromCommandLine(item.path)) + "," +
                    (item.inMbox ? Number(item.number) : "") + "," +
                    (item.inMbox ? Number(item.offset) : "") + "," + VerdictWord(item.outcome) +
                    "," + CsvField(item.date) + "," + CsvField(item.from) + "," +
                    CsvField(item.subject) + "," + CsvField(Joined(item.named)) + "," +
                    CsvField(item.reason) + "\r\n";
  Write(row);
}

void ScanPrinter::Json(const ScanItem& item) {
  std::string named;
  for (const std::string& address : item.named) {
    named += (named.empty() ? "" : ",") + JsonString(address);
  }
  Write("{\"file\":" + JsonString(FromCommandLine(item.path)) +
        ",\"message\":" + (item.inMbox ? Number(item.number) : "null") +
        ",\"offset\":" + (item.inMbox ? Number(item.offset) : "null") + ",\"verdict\":\"" +
        VerdictWord(item.outcome) + "\",\"date\":" + JsonString(item.date) +
        ",\"from\":" + JsonString(item.from) + ",\"subject\":" + JsonString(item.subject) +
        ",\"named\":[" + named + "],\"reason\":" + JsonString(item.reason) + "}\n");
}

void ScanPrinter::Finish(const ScanSummary& summary) {
  ClearProgress();
  if (format_ == ScanFormat::kCsv) return;
  if (format_ == ScanFormat::kJson) {
    Write("{\"summary\":{\"read\":" + Number(summary.read) + ",\"sent\":" + Number(summary.sent) +
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
    Write("{\"rules\":[" + rules + "],\"sections\":[" + sections + "]}\n");
    return;
  }
  Print(Say(l_, Msg::kScanRead) + Number(summary.read));
  Print(Say(l_, Msg::kScanSent) + Number(summary.sent));
  Print(Say(l_, Msg::kScanRefusedCount) + Number(summary.refused));
  Print(Say(l_, Msg::kScanUnreadable) + Number(summary.unreadable));
  for (const ScanItem& item : summary.unreadableItems) {
    Print("  " + Where(item, l_) + ": " + item.reason);
  }
  Print("");
  Print(Say(l_, Msg::kScanRuleUsage));
  std::string line_word = Say(l_, Msg::kLine);
  std::vector<const RuleUse*> unused;
  for (const RuleUse& rule : summary.rules) {
    Print("  " + line_word + " " + Number(rule.line) + "  " +
          Format(Say(l_, Msg::kScanAllowedCount), rule.allowed) + "  " + rule.text);
    if (rule.allowed == 0) unused.push_back(&rule);
  }
  if (summary.rules.empty()) Print(Say(l_, Msg::kScanNone));
  Print(Say(l_, Msg::kScanNeverUsed));
  for (const RuleUse* rule : unused) {
    Print("  " + line_word + " " + Number(rule->line) + "  " + rule->text);
  }
  if (unused.empty()) Print(Say(l_, Msg::kScanNone));
  Print(Say(l_, Msg::kScanUnusedSections));
  bool any = false;
  for (const SectionUse& section : summary.sections) {
    if (section.matched > 0) continue;
    Print("  " + line_word + " " + Number(section.line) + "  [" + section.pattern + "]");
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
  double mb_done = static_cast<double>(bytes_done) / (1 << 20);
  double mb_total = static_cast<double>(bytes_total) / (1 << 20);
  double rate = seconds > 0 ? mb_done / seconds : 0;
  double left = rate > 0 ? (mb_total - mb_done) / rate : 0;
  char line[160];
  std::snprintf(line, sizeof line, Say(l_, Msg::kScanProgress),
                static_cast<unsigned long long>(messages), mb_done, mb_total, rate, left);
  std::string text = ToTerminal("\r" + std::string(line) + "   ");
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
  progressShown_ = true;
}

void ScanPrinter::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r                                                                       \r",
             stderr);
  progressShown_ = false;
}

}  // namespace sendwarden_check
