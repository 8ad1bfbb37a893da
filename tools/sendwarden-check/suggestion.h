// A first allow list, worked out from sent mail: the organisation's own
// domains are the senders' domains, and every recipient domain gets one
// pattern, with how many messages went there. The patterns are of a shape
// the plug-in decides without the pattern engine, and ignore case, so a list
// of 100,000 of them loads as fast as the plug-in's large lists.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SUGGESTION_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SUGGESTION_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "message/recipients.h"
#include "tools/sendwarden-check/messages.h"

namespace sendwarden_checker {

struct SuggestOptions {
  uint64_t minimum = 2;   // domains used by fewer messages are written commented out
  bool bySender = false;  // domains only one sender used go into its section
};

// The configuration a count suggests, before it is written: every line it
// will hold, each on or off, in the order it is written.
struct SuggestedLine {
  std::string domain;
  uint64_t messages = 0;
  bool own = false;  // a domain the senders write from
  bool on = false;   // written as a rule line, not commented out
};
struct SuggestedSection {
  std::string sender;  // the one sender whose section it is, A-Z folded
  bool on = false;     // any of its lines is on
  std::vector<SuggestedLine> lines;
};
struct Suggestion {
  uint64_t counted = 0, notCounted = 0, entriesNotCovered = 0, minimum = 0;
  std::vector<std::string> ownDomains;   // A-Z
  std::vector<SuggestedLine> common;     // the default rule
  std::vector<SuggestedSection> sections;
  // The lines left on that allow something.
  size_t Active() const;
};

// Counts what sent messages were addressed to. Feed it every message whose
// recipients the plug-in could read; count the others with NotCounted.
class SuggestionCounter {
 public:
  void Count(const sendwarden::Recipients& recipients);
  void NotCounted() { ++notCounted_; }

  uint64_t counted() const { return counted_; }
  uint64_t notCounted() const { return notCounted_; }

  // What the count suggests under `options`. Own domains come first in each
  // rule, then the most used, then A-Z.
  Suggestion Suggest(const SuggestOptions& options) const;

 private:
  struct Domain {
    uint64_t messages = 0;
    std::string onlySender;  // the first sender who used it
    bool shared = false;     // a second sender used it, or one whose address is unknown
  };
  struct Sender {
    std::string domain;
    bool sectionMatches = true;  // its section pattern is found in every From it wrote
  };

  std::map<std::string, Domain> domains_;  // by domain, A-Z folded
  std::map<std::string, Sender> senders_;  // by address, A-Z folded
  uint64_t counted_ = 0;
  uint64_t notCounted_ = 0;
  uint64_t entriesNotCovered_ = 0;
};

// `suggestion` as a configuration: code page 932 text with CRLF line ends,
// its comments in `language`.
std::string WriteSuggestion(const Suggestion& suggestion, Language language);

// The pattern that allows every address of `domain` whatever its case, with
// or without a display name: "(?i)@example\.co\.jp>?$". Nothing when the
// domain has bytes no such pattern can stand for.
std::optional<std::string> DomainPattern(const std::string& domain);

// The sender pattern of a section for `address`: "(?i)(^|<)a@example\.co\.jp>?$".
std::optional<std::string> SenderPattern(const std::string& address);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SUGGESTION_H_
