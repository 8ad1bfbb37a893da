// Prints a scan: as text for people (the messages that would be refused,
// then the summary and the rule usage), as CSV for a spreadsheet (one row per
// message; code page 932, CR LF, as Excel on a Japanese Windows opens it), or
// as JSON lines for scripts (one object per message, then the summary and the
// rule usage; UTF-8). On a terminal, a progress line on standard error.
// Text is said in the chosen language; CSV and JSON carry each item's stable
// code (CodeName) and its untranslated detail, whatever the language.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SCAN_OUTPUT_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SCAN_OUTPUT_H_

#include <chrono>
#include <cstdio>
#include <string>

#include "tools/sendwarden-check/messages.h"
#include "tools/sendwarden-check/output_fields.h"
#include "tools/sendwarden-check/scan.h"

namespace sendwarden_checker {

// Why an item was refused or not read, in words: "" when the rules decided.
std::string ReasonText(const ScanItem& item, Language language);

// "WHERE: REASON" for something that could not be read (`code` and the
// system's `detail`), as every command that reads mail reports it.
std::string UnreadableText(const MailLocation& where, Code code, const std::string& detail,
                           Language language);

class ScanPrinter : public ScanListener {
 public:
  // Writes to `out`, the progress line to `err`; neither is owned.
  // `progress`: draw the progress line (`err` is a terminal).
  ScanPrinter(ScanFormat format, Language language, bool progress, std::FILE* out,
              std::FILE* err);

  void Item(const ScanItem& item) override;
  void Progress(uint64_t messages, uint64_t bytes_done, uint64_t bytes_total) override;
  void Finish(const ScanSummary& summary);

 private:
  void Write(const std::string& bytes);
  void Print(const std::string& cp932);
  void Text(const ScanItem& item);
  void Csv(const ScanItem& item);
  void Json(const ScanItem& item);
  void ClearProgress();

  const ScanFormat format_;
  const Language l_;
  const bool progress_;
  std::FILE* const out_;
  std::FILE* const err_;
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point start_, lastDrawn_;
};

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SCAN_OUTPUT_H_
