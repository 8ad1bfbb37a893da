// What diff reports, as values, and the printer that writes them as text,
// CSV or JSON lines: each message whose verdict the new configuration
// changes, with the recipients that make the difference and the line that
// allowed each under the configuration that did, then the totals.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_DIFF_OUTPUT_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_DIFF_OUTPUT_H_

#include <cstdint>
#include <vector>

#include "config/pattern_list.h"
#include "tools/sendwarden-check/commands.h"
#include "tools/sendwarden-check/mail_source.h"
#include "tools/sendwarden-check/message_reading.h"
#include "tools/sendwarden-check/output_fields.h"
#include "tools/sendwarden-check/recipient_report.h"
#include "tools/sendwarden-check/rule_line_diff.h"

namespace sendwarden_checker {

// One recipient that makes the difference, and the line that allowed it
// under the configuration that did (null when no one line did on its own).
struct DiffChange {
  Recipient recipient;
  const sendwarden::PatternList::Entry* allowedBy = nullptr;
};

struct DiffItem {
  MailLocation where;
  bool newlyAllowed = false;
  ShownFields shown;
  std::vector<DiffChange> changes;
};

struct DiffSummary {
  uint64_t compared = 0, newlyRefused = 0, newlyAllowed = 0, unreadable = 0;
  std::vector<RuleLineChange> ruleLines;
  // A line was added or changed: the new file may allow more than any
  // past message shows.
  bool Widens() const;
};

class DiffPrinter {
 public:
  // Writes a CSV header row at once.
  DiffPrinter(ScanFormat format, const Console& console);

  void Item(const DiffItem& item);
  // What could not be read goes to standard error, as scan says it.
  void Unreadable(const MailLocation& where, Code code, const std::string& detail);
  void Finish(const DiffSummary& summary);

 private:
  void Write(const std::string& bytes);

  const ScanFormat format_;
  const Console& console_;
};

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_DIFF_OUTPUT_H_
