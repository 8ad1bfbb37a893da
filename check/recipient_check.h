// Decides whether every recipient of one message is allowed for its sender.
// Pure: rules and recipients in, a verdict value out; nothing is shown and
// nothing process-wide is touched.
//
// A rule only ever allows. The default rule is tried first and consumes what
// it allows; then every sender section whose pattern is found in the sender
// text is tried on what is left, in file order, each on its own copy. The
// send is allowed when the default rule allows every entry, or when one
// section allows every entry the default rule left.
//
// Fields are AddressLines, one entry per piece: an empty entry is skipped,
// and an entry's final "\r" is not part of what is tested.
#ifndef SENDWARDEN_CHECK_RECIPIENT_CHECK_H_
#define SENDWARDEN_CHECK_RECIPIENT_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/rule_store.h"
#include "message/recipients.h"

namespace sendwarden {

enum class CheckMode : unsigned char {
  kStrict = 0,   // stop at the first entry no pattern allows; log it
  kCollect = 1,  // test every entry; keep only those no pattern allowed
};

// The entries the sender sections refused during one check, in the order
// they were refused; the notice names them. One section adds at most one.
using RejectionLog = std::vector<std::string>;

enum class Decider { kNone, kDefaultRule, kSection };

struct Verdict {
  bool allowed = false;
  Decider allowedBy = Decider::kNone;
  size_t section = 0;         // with kSection: the index in AllowConfig::sections
  RejectionLog rejectionLog;  // empty when allowed
};

// What one rule did, for tools that explain a verdict.
struct EntryTrace {
  Field field;
  std::string entry;                           // as tested: without its final "\r"
  const PatternList::Entry* allowedBy = nullptr;  // null: no pattern of the rule allowed it
  bool byAll = false;  // allowedBy is one of the ALL patterns, not of the field's own
};
struct RuleTrace {
  bool isDefault = false;
  size_t section = 0;    // with !isDefault: the index in AllowConfig::sections
  bool applies = true;   // a section's sender pattern was found in the sender
  bool allowed = false;
  // Every entry the rule tested, field by field in input order. A section
  // stops at the first entry it does not allow; `named` tells whether that
  // entry went to the rejection log (it does not when the field's own list
  // is empty).
  std::vector<EntryTrace> entries;
  bool named = false;
};
struct CheckTrace {
  std::vector<RuleTrace> rules;  // the default rule (if any), then every section in order
};

// Thrown by CheckRecipients when the engine gives up on a search that could
// decide the verdict (base/pattern.h): the caller refuses the send then, and
// a tool can name the line that did it.
class SearchGaveUp : public std::runtime_error {
 public:
  SearchGaveUp(const std::string& engineMessage, uint32_t line, std::string pattern,
               std::string text)
      : std::runtime_error(engineMessage), line(line), pattern(std::move(pattern)),
        text(std::move(text)) {}
  uint32_t line;        // the pattern's line in the file (a section's header line); 0 when unknown
  std::string pattern;  // as written
  std::string text;     // the entry or the sender it was searched in
};

// How lists are searched. kExact tests every pattern in list order. The
// prefilter skips patterns whose required literal is absent from the entry;
// kPrefilterConfirmed (the default) then walks every refusal again, checking
// each skip on its own, so that its answer is always the exact one (see the
// .cc). kPrefilterOnly exists to test that argument.
enum class Search { kExact, kPrefilterOnly, kPrefilterConfirmed };

// The whole decision under `config`. A `trace`, when given, is filled by the
// walk that gave the verdict (for a refusal, the second one). May throw
// SearchGaveUp (the engine gave up on a search) and std::bad_alloc; the
// caller refuses the send then.
Verdict CheckRecipients(const AllowConfig& config, const Recipients& recipients,
                        CheckTrace* trace = nullptr,
                        Search search = Search::kPrefilterConfirmed);

// The two steps it is made of, with an exact search. In kCollect mode
// `entries` is rewritten to those no pattern allowed (the remainder, each
// without its final "\r"); in kStrict mode the first such entry is appended
// to `log` and the answer is false. No entries pass; an empty list fails
// anything else, logging nothing.
bool CheckList(const PatternList& list, AddressLines& entries, CheckMode mode, RejectionLog& log);

// Applies `rule` to the three fields: in kCollect mode each field is reduced
// to what the rule did not allow and every field is tested; in kStrict mode
// the fields are left alone and the first field that fails ends the test.
bool CheckRule(const RecipientRule& rule, AddressLines& to, AddressLines& cc, AddressLines& bcc,
               CheckMode mode, RejectionLog& log);

// What one rule that applies to the sender does with one entry on its own:
// the first line that allows it (ALL before the field's own list), or none.
struct RuleDecision {
  bool isDefault = false;
  size_t section = 0;  // with !isDefault: the index in AllowConfig::sections
  const PatternList::Entry* allowedBy = nullptr;
  bool byAll = false;
  // The engine gave up on this line's search: the entry counts as not
  // allowed by the rule, as the plug-in refuses a send it cannot decide.
  const PatternList::Entry* gaveUpOn = nullptr;
};
struct EntryDecision {
  Field field;
  size_t index;       // in the field's AddressLines
  std::string entry;  // as tested: without its final "\r"
  // The default rule (if any), then each section whose sender pattern is
  // found in the sender, in file order.
  std::vector<RuleDecision> rules;
};

// For every entry of every field (empty ones skipped), in field order, what
// each rule that applies does with it alone: the same walk as
// CheckRecipients, through the same indexes. A section whose sender search
// the engine gives up on does not apply. Throws only std::bad_alloc.
std::vector<EntryDecision> DecideEachEntry(const AllowConfig& config, const Recipients& recipients);

}  // namespace sendwarden

#endif  // SENDWARDEN_CHECK_RECIPIENT_CHECK_H_
