#include "tools/sendwarden-check/suggestion.h"

#include <algorithm>
#include <set>

#include "base/ascii.h"
#include "config/pattern_shape.h"
#include "tools/sendwarden-check/config_lint.h"
#include "tools/sendwarden-check/lookalike_domain.h"
#include "tools/sendwarden-check/public_mail_domains.h"
#include "tools/sendwarden-check/recipient_report.h"

namespace sendwarden_checker {

namespace {

using sendwarden::PatternShape;

// `bytes` as a literal the shape recogniser reads back byte for byte:
// ASCII only, the engine's special characters escaped.
std::optional<std::string> Literal(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7f) return std::nullopt;
    if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

// `pattern` if it is read back as a case-ignoring shape of `literal`.
std::optional<std::string> Checked(std::string pattern, const std::string& literal) {
  std::optional<PatternShape> shape = sendwarden::RecognizeShape(pattern);
  if (!shape || !shape->ignoreCase || shape->literal != sendwarden::FoldCase(literal)) {
    return std::nullopt;
  }
  return pattern;
}

bool FoundIgnoringCase(PatternShape::Start start, const std::string& literal,
                       const std::string& text) {
  return sendwarden::ShapeFound(start, PatternShape::End::kOptionalAngleEnd,
                                sendwarden::FoldCase(literal), true, text);
}

}  // namespace

std::optional<std::string> DomainPattern(const std::string& domain) {
  if (domain.empty()) return std::nullopt;
  std::optional<std::string> literal = Literal("@" + domain);
  if (!literal) return std::nullopt;
  return Checked("(?i)" + *literal + ">?$", "@" + domain);
}

std::optional<std::string> AddressPattern(const std::string& address) {
  // A bracket would end the section header early.
  if (address.find_first_of("[]") != std::string::npos) return std::nullopt;
  std::optional<std::string> literal = Literal(address);
  if (!literal) return std::nullopt;
  return Checked("(?i)(^|<)" + *literal + ">?$", address);
}

void SuggestionCounter::Count(const sendwarden::Recipients& recipients) {
  ++counted_;
  std::string sender = AddressOf(recipients.sender);
  sendwarden::ToLowerAscii(sender);
  if (!sender.empty()) {
    Sender& known = senders_[sender];
    known.domain = DomainOf(sender);
    ++known.messages;
    // The section must apply to every message its sender wrote, however
    // the From line put it.
    known.sectionMatches = known.sectionMatches && AddressPattern(sender) &&
                           FoundIgnoringCase(PatternShape::Start::kStartOrAngle, sender,
                                             recipients.sender);
  }
  // Each target once per message, with the address as first written.
  std::map<std::string, std::string> domains, addresses;
  for (const Recipient& recipient : EntriesOf(recipients)) {
    std::string address = AddressOf(recipient.entry);
    std::string domain = DomainOf(address);
    // Only what the domain's pattern will be seen to allow is counted; a
    // domain counted before has a pattern.
    if (address.find('@') == std::string::npos ||
        (!domains_.count(domain) && !DomainPattern(domain)) ||
        !FoundIgnoringCase(PatternShape::Start::kAnywhere, "@" + domain, recipient.entry)) {
      ++entriesNotCovered_;
      continue;
    }
    domains.emplace(domain, address);
    if (!byAddress_) continue;
    std::string folded = address;
    sendwarden::ToLowerAscii(folded);
    // An address no address pattern stands for counts by its domain alone.
    if (AddressPattern(folded) &&
        FoundIgnoringCase(PatternShape::Start::kStartOrAngle, folded, recipient.entry)) {
      addresses.emplace(folded, address);
    }
  }
  for (auto* map : {&domains, &addresses}) {
    auto& targets = map == &domains ? domains_ : addresses_;
    for (const auto& [name, example] : *map) {
      Target& target = targets[name];
      ++target.messages;
      target.senders.insert(sender);
      if (target.example.empty()) target.example = example;
    }
  }
}

size_t Suggestion::Active() const {
  size_t active = 0;
  auto count = [&active](const std::vector<SuggestedLine>& lines) {
    for (const SuggestedLine& line : lines) active += line.on();
  };
  count(common);
  for (const SuggestedSection& section : sections) count(section.lines);
  return active;
}

size_t Suggestion::Off(OffReason reason) const {
  size_t off = 0;
  auto count = [&](const std::vector<SuggestedLine>& lines) {
    for (const SuggestedLine& line : lines) off += line.off == reason;
  };
  count(common);
  for (const SuggestedSection& section : sections) count(section.lines);
  return off;
}

Suggestion SuggestionCounter::Suggest(const SuggestOptions& options) const {
  Suggestion out;
  out.counted = counted_;
  out.notCounted = notCounted_;
  out.entriesNotCovered = entriesNotCovered_;
  out.minimum = options.minimum;

  // The own domains: as given, or those whose senders wrote a tenth of the
  // messages or more (the most used one at least), never free mail. Only
  // domains a pattern can stand for: a decoded From line may hold any byte,
  // and a line break in a comment would start a rule line.
  std::set<std::string> own;
  if (!options.ownDomains.empty()) {
    out.ownDomainsGiven = true;
    for (std::string domain : options.ownDomains) {
      sendwarden::ToLowerAscii(domain);
      if (DomainPattern(domain)) own.insert(domain);
    }
  } else {
    std::map<std::string, uint64_t> written;
    for (const auto& [address, sender] : senders_) {
      out.messagesWithSender += sender.messages;
      if (DomainPattern(sender.domain) && PublicMailOf(sender.domain) == PublicMail::kNone) {
        written[sender.domain] += sender.messages;
      }
    }
    const std::pair<const std::string, uint64_t>* most = nullptr;
    for (const auto& entry : written) {
      if (most == nullptr || entry.second > most->second) most = &entry;
      if (entry.second * 10 >= out.messagesWithSender) own.insert(entry.first);
    }
    if (own.empty() && most != nullptr) own.insert(most->first);
    for (const std::string& domain : own) out.ownMessages += written[domain];
  }
  out.ownDomains.assign(own.begin(), own.end());

  std::map<std::string, uint64_t> uses;
  for (const auto& [name, target] : domains_) uses[name] = target.messages;
  std::map<std::string, std::string> lookalikes = MoreUsedLookAlikes(uses, own);

  auto line_of = [&](const std::string& name, const Target& target, bool address) {
    SuggestedLine line;
    line.name = name;
    line.address = address;
    line.messages = target.messages;
    std::string domain = address ? DomainOf(name) : name;
    line.own = own.count(domain) > 0;
    line.example = target.example;
    for (const std::string& sender : target.senders) {
      if (sender.empty()) continue;
      if (line.senders.size() < 3) {
        line.senders.push_back(sender);
      } else {
        ++line.moreSenders;
      }
    }
    PublicMail kind = line.own ? PublicMail::kNone : PublicMailOf(domain);
    auto lookalike = line.own ? lookalikes.end() : lookalikes.find(domain);
    if (kind == PublicMail::kFreeMail) {
      line.off = OffReason::kFreeMail;
    } else if (kind == PublicMail::kMobileCarrier) {
      line.off = OffReason::kMobileCarrier;
    } else if (lookalike != lookalikes.end()) {
      line.off = OffReason::kLooksLike;
      line.resembles = lookalike->second;
    } else if (target.messages < options.minimum) {
      line.off = OffReason::kBelowMinimum;
    }
    return line;
  };

  // Each line to the default rule, or with --by-sender to the section of
  // the one sender who used it. By address, the own domains stay a line
  // each: colleagues are not partners.
  std::map<std::string, std::vector<SuggestedLine>> by_sender;
  auto place = [&](const std::string& name, const Target& target, bool address) {
    SuggestedLine line = line_of(name, target, address);
    const std::string& only = *target.senders.begin();
    auto sender = senders_.find(only);
    bool alone = options.bySender && target.senders.size() == 1 && !line.own &&
                 sender != senders_.end() && sender->second.sectionMatches;
    (alone ? by_sender[only] : out.common).push_back(std::move(line));
  };
  for (const auto& [name, target] : domains_) {
    if (!options.byAddress || own.count(name)) place(name, target, false);
  }
  if (options.byAddress) {
    for (const auto& [name, target] : addresses_) {
      if (!own.count(DomainOf(name))) place(name, target, true);
    }
  }
  auto order = [](std::vector<SuggestedLine>& lines) {
    std::sort(lines.begin(), lines.end(), [](const SuggestedLine& a, const SuggestedLine& b) {
      if (a.own != b.own) return a.own;
      if (a.messages != b.messages) return a.messages > b.messages;
      return a.name < b.name;
    });
  };
  order(out.common);
  for (auto& [address, lines] : by_sender) {
    order(lines);
    // A section all of whose lines are off is off too: a header with no
    // rule under it does nothing, and lint would say so.
    bool on = std::any_of(lines.begin(), lines.end(), [](const SuggestedLine& l) { return l.on(); });
    out.sections.push_back({address, on, std::move(lines)});
  }
  return out;
}

std::string WriteSuggestion(const Suggestion& suggestion, Language language) {
  std::string text;
  auto line = [&text](const std::string& cp932) { text += cp932 + "\r\n"; };
  auto say = [&](Msg id, std::vector<std::string> values) { line(Say(language, id, values)); };
  auto rule = [&](const std::vector<SuggestedLine>& lines) {
    for (const SuggestedLine& entry : lines) {
      switch (entry.off) {
        case OffReason::kLooksLike: say(Msg::kSuggestOffLooksLike, {entry.resembles}); break;
        case OffReason::kFreeMail: say(Msg::kSuggestOffFreeMail, {}); break;
        case OffReason::kMobileCarrier: say(Msg::kSuggestOffCarrier, {}); break;
        case OffReason::kBelowMinimum:
        case OffReason::kNone: break;
      }
      std::string senders;
      for (const std::string& sender : entry.senders) {
        senders += (senders.empty() ? "" : ", ") + sender;
      }
      if (senders.empty()) senders = Say(language, Msg::kSuggestNoSender);
      if (entry.moreSenders > 0) {
        senders += Say(language, Msg::kSuggestMoreSenders, {std::to_string(entry.moreSenders)});
      }
      say(entry.own ? Msg::kSuggestOwnDomain : Msg::kSuggestDomain,
          {entry.name, std::to_string(entry.messages), senders, entry.example});
      std::string pattern = entry.address ? *AddressPattern(entry.name) : *DomainPattern(entry.name);
      line(std::string(entry.on() ? "" : "#") + "ALL=" + pattern);
    }
  };

  say(Msg::kSuggestHead, {std::to_string(suggestion.counted)});
  say(Msg::kSuggestMinimum, {std::to_string(suggestion.minimum)});
  std::string own_list;
  for (const std::string& name : suggestion.ownDomains) {
    own_list += (own_list.empty() ? "" : ", ") + name;
  }
  if (!own_list.empty()) {
    say(suggestion.ownDomainsGiven ? Msg::kSuggestOwnDomainsGiven : Msg::kSuggestOwnDomains,
        {own_list});
  }
  if (suggestion.notCounted > 0) {
    say(Msg::kSuggestNotCounted, {std::to_string(suggestion.notCounted)});
  }
  if (suggestion.entriesNotCovered > 0) {
    say(Msg::kSuggestEntriesNotCovered, {std::to_string(suggestion.entriesNotCovered)});
  }
  line("");
  rule(suggestion.common);
  for (const SuggestedSection& section : suggestion.sections) {
    line("");
    say(Msg::kSuggestSection, {section.sender});
    line(std::string(section.on ? "" : "#") + "[" + *AddressPattern(section.sender) + "]");
    rule(section.lines);
  }
  line("");
  say(Msg::kSuggestNamingSection, {});
  line(std::string("[") + kEverySender + "]");
  for (const char* key : {"TO", "CC", "BCC"}) line(std::string(key) + "=" + kNoRecipient);
  return text;
}

}  // namespace sendwarden_checker
