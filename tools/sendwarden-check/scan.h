// Replays a mail archive against a configuration: every message gets the
// verdict the plug-in would give it, with the plug-in's own recipient
// extraction and check, its encoded words decoded as the mail client hands
// them over. The mail is read by mail_source.h: one header block at a time,
// so memory does not grow with the archive.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SCAN_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SCAN_H_

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "check/recipient_check.h"
#include "config/rule_store.h"
#include "tools/sendwarden-check/mail_source.h"
#include "tools/sendwarden-check/message_reading.h"
#include "tools/sendwarden-check/outcome.h"

namespace sendwarden_checker {

// One message, or a path (or a message in an archive) that could not be read.
struct ScanItem {
  MailLocation where;
  ShownFields shown;
  // A refusal's notice names outcome.verdict.rejectionLog; none: the general text.
  Outcome outcome;

  bool Unread() const { return NotRead(outcome.code); }
  bool Sent() const { return !Unread() && outcome.verdict.allowed; }
  bool Refused() const { return !Unread() && !outcome.verdict.allowed; }
};

struct RuleUse {
  size_t line;
  std::string text;  // "KEY=pattern"
  uint64_t allowed;  // recipients it allowed
};

struct SectionUse {
  size_t line;
  std::string pattern;
  uint64_t matched;  // messages whose sender it was found in
};

struct ScanSummary {
  uint64_t read = 0, sent = 0, refused = 0, unreadable = 0;
  bool missingPath = false;  // a path given does not exist
  std::vector<ScanItem> unreadableItems;
  std::vector<RuleUse> rules;        // every rule line, in file order
  std::vector<SectionUse> sections;  // every section, in file order
  // The domains of recipients no rule allowed, with how many refused
  // messages had one there: the most first (then by name), at most ten.
  std::vector<std::pair<std::string, uint64_t>> refusedDomains;
};

// Hears of every item as it is decided, and of the progress.
class ScanListener {
 public:
  virtual ~ScanListener() = default;
  virtual void Item(const ScanItem& item) = 0;
  // `bytes_done` of `bytes_total` read; `messages` decided so far. Files
  // whose size could not be read count in neither.
  virtual void Progress(uint64_t /*messages*/, uint64_t /*bytes_done*/,
                        uint64_t /*bytes_total*/) {}
};

// Reads every PATH as ReadMail does (a message file, an mbox, a .bmf file,
// or a folder: every file in it and below it, in name order) and decides
// each message under `config`. Every path, file or folder that cannot be
// read, and every message that is no mail, is an item whose code says why;
// the walk goes on past each.
ScanSummary Scan(const std::vector<std::string>& paths, const sendwarden::AllowConfig& config,
                 ScanListener& listener);

// Decides one message given as its header block (no body needed).
ScanItem DecideMessage(const std::string& header, const sendwarden::AllowConfig& config,
                       sendwarden::CheckTrace* trace);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SCAN_H_
