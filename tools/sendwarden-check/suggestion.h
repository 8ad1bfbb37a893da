// A first allow list, worked out from sent mail: every recipient domain (or
// with --by-address every address) gets one pattern, with how many messages
// went there, who wrote to it and an example. What is likely a mistake is
// written commented out with the reason: too few messages, a look-alike of a
// more-used domain, free mail or a mobile carrier. The patterns are of a
// shape the plug-in decides without the pattern engine, and ignore case, so
// a list of 100,000 of them loads as fast as the plug-in's large lists. The
// file ends with the section that makes the notice name a refused address.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SUGGESTION_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SUGGESTION_H_

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "message/recipients.h"
#include "tools/sendwarden-check/messages.h"

namespace sendwarden_checker {

struct SuggestOptions {
  uint64_t minimum = 2;   // lines used by fewer messages are written commented out
  bool bySender = false;  // lines only one sender used go into its section
  bool byAddress = false;  // a line per recipient address, not per domain
  // The organisation's own domains (A-Z folded); empty: worked out from the
  // senders.
  std::vector<std::string> ownDomains;
};

// Why a line is written commented out.
enum class OffReason { kNone, kBelowMinimum, kLooksLike, kFreeMail, kMobileCarrier };

// The configuration a count suggests, before it is written: every line it
// will hold, each on or off, in the order it is written.
struct SuggestedLine {
  std::string name;      // the domain, or with byAddress the address
  bool address = false;  // `name` is an address
  uint64_t messages = 0;
  bool own = false;      // a domain of the organisation's own
  OffReason off = OffReason::kNone;
  std::string resembles;             // with kLooksLike: the domain it looks like
  std::vector<std::string> senders;  // who wrote to it, up to three, A-Z
  size_t moreSenders = 0;            // how many others did
  std::string example;               // one address written to, as first seen
  bool on() const { return off == OffReason::kNone; }
};
struct SuggestedSection {
  std::string sender;  // the one sender whose section it is, A-Z folded
  bool on = false;     // any of its lines is on
  std::vector<SuggestedLine> lines;
};
struct Suggestion {
  uint64_t counted = 0, notCounted = 0, entriesNotCovered = 0, minimum = 0;
  std::vector<std::string> ownDomains;  // A-Z
  bool ownDomainsGiven = false;         // by --own-domain, not worked out
  // With the own domains worked out: the messages their senders wrote, and
  // the messages with a known sender.
  uint64_t ownMessages = 0, messagesWithSender = 0;
  std::vector<SuggestedLine> common;  // the default rule
  std::vector<SuggestedSection> sections;
  // The lines left on, and those written off for `reason`.
  size_t Active() const;
  size_t Off(OffReason reason) const;
};

// Counts what sent messages were addressed to. Feed it every message whose
// recipients the plug-in could read; count the others with NotCounted.
class SuggestionCounter {
 public:
  // `by_address`: also count each address, for SuggestOptions::byAddress
  // (a map as large as the folder's address book, so only when asked).
  explicit SuggestionCounter(bool by_address = false) : byAddress_(by_address) {}

  void Count(const sendwarden::Recipients& recipients);
  void NotCounted() { ++notCounted_; }

  uint64_t counted() const { return counted_; }
  uint64_t notCounted() const { return notCounted_; }

  // What the count suggests under `options`. Own domains come first in each
  // rule, then the most used, then A-Z.
  Suggestion Suggest(const SuggestOptions& options) const;

 private:
  // What went to one domain or address.
  struct Target {
    uint64_t messages = 0;
    std::set<std::string> senders;  // "" for a message without a readable sender
    std::string example;
  };
  struct Sender {
    std::string domain;
    uint64_t messages = 0;
    bool sectionMatches = true;  // its section pattern is found in every From it wrote
  };

  std::map<std::string, Target> domains_;    // by domain, A-Z folded
  std::map<std::string, Target> addresses_;  // by address, A-Z folded
  std::map<std::string, Sender> senders_;    // by address, A-Z folded
  bool byAddress_;
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

// The pattern of one address, whatever its case, with or without a display
// name: "(?i)(^|<)a@example\.co\.jp>?$". It is a section's sender pattern
// too; nothing when no such pattern can stand for the address.
std::optional<std::string> AddressPattern(const std::string& address);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_SUGGESTION_H_
