// Prints a scan: as text for people (the messages that would be refused,
// then the summary and the rule usage), as CSV for a spreadsheet (one row per
// message; code page 932, CR LF, as Excel on a Japanese Windows opens it), or
// as JSON lines for scripts (one object per message, then the summary and the
// rule usage; UTF-8). On a terminal, a progress line on standard error.
#ifndef SENDWARDEN_TOOLS_CHECK_SCAN_OUTPUT_H_
#define SENDWARDEN_TOOLS_CHECK_SCAN_OUTPUT_H_

#include <chrono>
#include <cstdio>
#include <string>

#include "tools/check/scan.h"

namespace sendwarden_check {

enum class ScanFormat { kText, kCsv, kJson };

class ScanPrinter : public ScanListener {
 public:
  // `progress`: draw the progress line (standard error is a terminal).
  ScanPrinter(ScanFormat format, Language language, bool progress);

  void Item(const ScanItem& item) override;
  void Progress(uint64_t messages, uint64_t bytes_done, uint64_t bytes_total) override;
  void Finish(const ScanSummary& summary);

 private:
  void Text(const ScanItem& item);
  void Csv(const ScanItem& item);
  void Json(const ScanItem& item);
  void ClearProgress();

  const ScanFormat format_;
  const Language l_;
  const bool progress_;
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point start_, lastDrawn_;
};

}  // namespace sendwarden_check

#endif  // SENDWARDEN_TOOLS_CHECK_SCAN_OUTPUT_H_
