#include "tools/sendwarden-check/suggestion.h"

#include <algorithm>
#include <set>

#include "base/ascii.h"
#include "config/pattern_shape.h"
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

std::optional<std::string> SenderPattern(const std::string& address) {
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
    // The section must apply to every message its sender wrote, however
    // the From line put it.
    known.sectionMatches = known.sectionMatches && SenderPattern(sender) &&
                           FoundIgnoringCase(PatternShape::Start::kStartOrAngle, sender,
                                             recipients.sender);
  }
  std::set<std::string> used;
  for (const Recipient& recipient : EntriesOf(recipients)) {
    std::string address = AddressOf(recipient.entry);
    std::string domain = DomainOf(address);
    // Only what the domain's pattern will be seen to allow is counted.
    if (address.find('@') == std::string::npos || !DomainPattern(domain) ||
        !FoundIgnoringCase(PatternShape::Start::kAnywhere, "@" + domain, recipient.entry)) {
      ++entriesNotCovered_;
      continue;
    }
    used.insert(domain);
  }
  for (const std::string& name : used) {
    Domain& domain = domains_[name];
    if (domain.messages++ == 0) {
      domain.onlySender = sender;
      domain.shared = sender.empty();
    } else if (domain.onlySender != sender) {
      domain.shared = true;
    }
  }
}

std::string SuggestionCounter::Write(const SuggestOptions& options, Language language,
                                     size_t* active) const {
  // Only domains a pattern can stand for: a decoded From line may hold any
  // byte, and a line break in a comment would start a rule line.
  std::set<std::string> own;
  for (const auto& [address, sender] : senders_) {
    if (DomainPattern(sender.domain)) own.insert(sender.domain);
  }

  // Each domain to the default rule, or with --by-sender to the section of
  // the one sender who used it.
  std::vector<const std::string*> common;
  std::map<std::string, std::vector<const std::string*>> bySender;
  for (const auto& [name, domain] : domains_) {
    auto sender = senders_.find(domain.onlySender);
    bool alone = options.bySender && !domain.shared && !own.count(name) &&
                 sender != senders_.end() && sender->second.sectionMatches;
    (alone ? bySender[domain.onlySender] : common).push_back(&name);
  }
  auto order = [&](std::vector<const std::string*>& names) {
    std::sort(names.begin(), names.end(), [&](const std::string* a, const std::string* b) {
      bool own_a = own.count(*a) > 0, own_b = own.count(*b) > 0;
      if (own_a != own_b) return own_a;
      uint64_t count_a = domains_.at(*a).messages, count_b = domains_.at(*b).messages;
      if (count_a != count_b) return count_a > count_b;
      return *a < *b;
    });
  };

  std::string text;
  auto line = [&](const std::string& cp932) { text += cp932 + "\r\n"; };
  auto say = [&](Msg id, std::vector<std::string> values) { line(Say(language, id, values)); };
  *active = 0;
  // The lines of one rule: each domain's count, then its pattern.
  auto rule = [&](const std::vector<const std::string*>& names) {
    size_t enabled = 0;
    for (const std::string* name : names) {
      uint64_t count = domains_.at(*name).messages;
      say(own.count(*name) ? Msg::kSuggestOwnDomain : Msg::kSuggestDomain,
          {*name, std::to_string(count)});
      bool on = count >= options.minimum;
      line(std::string(on ? "" : "#") + "ALL=" + *DomainPattern(*name));
      enabled += on;
    }
    *active += enabled;
    return enabled;
  };

  say(Msg::kSuggestHead, {std::to_string(counted_)});
  say(Msg::kSuggestMinimum, {std::to_string(options.minimum)});
  std::string own_list;
  for (const std::string& name : own) own_list += (own_list.empty() ? "" : ", ") + name;
  if (!own.empty()) say(Msg::kSuggestOwnDomains, {own_list});
  if (notCounted_ > 0) say(Msg::kSuggestNotCounted, {std::to_string(notCounted_)});
  if (entriesNotCovered_ > 0) {
    say(Msg::kSuggestEntriesNotCovered, {std::to_string(entriesNotCovered_)});
  }
  line("");
  order(common);
  rule(common);
  for (auto& [address, names] : bySender) {
    order(names);
    // A section all of whose lines are off is off too: a header with no
    // rule under it does nothing, and lint would say so.
    bool any = std::any_of(names.begin(), names.end(), [&](const std::string* name) {
      return domains_.at(*name).messages >= options.minimum;
    });
    line("");
    say(Msg::kSuggestSection, {address});
    line(std::string(any ? "" : "#") + "[" + *SenderPattern(address) + "]");
    rule(names);
  }
  return text;
}

}  // namespace sendwarden_checker
