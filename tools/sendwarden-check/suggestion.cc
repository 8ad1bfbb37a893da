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

size_t Suggestion::Active() const {
  size_t active = 0;
  auto count = [&active](const std::vector<SuggestedLine>& lines) {
    for (const SuggestedLine& line : lines) active += line.on;
  };
  count(common);
  for (const SuggestedSection& section : sections) count(section.lines);
  return active;
}

Suggestion SuggestionCounter::Suggest(const SuggestOptions& options) const {
  Suggestion out;
  out.counted = counted_;
  out.notCounted = notCounted_;
  out.entriesNotCovered = entriesNotCovered_;
  out.minimum = options.minimum;
  // Only domains a pattern can stand for: a decoded From line may hold any
  // byte, and a line break in a comment would start a rule line.
  std::set<std::string> own;
  for (const auto& [address, sender] : senders_) {
    if (DomainPattern(sender.domain)) own.insert(sender.domain);
  }
  out.ownDomains.assign(own.begin(), own.end());

  // Each domain to the default rule, or with --by-sender to the section of
  // the one sender who used it.
  std::map<std::string, std::vector<SuggestedLine>> by_sender;
  for (const auto& [name, domain] : domains_) {
    auto sender = senders_.find(domain.onlySender);
    bool alone = options.bySender && !domain.shared && !own.count(name) &&
                 sender != senders_.end() && sender->second.sectionMatches;
    SuggestedLine line{name, domain.messages, own.count(name) > 0,
                       domain.messages >= options.minimum};
    (alone ? by_sender[domain.onlySender] : out.common).push_back(line);
  }
  auto order = [](std::vector<SuggestedLine>& lines) {
    std::sort(lines.begin(), lines.end(), [](const SuggestedLine& a, const SuggestedLine& b) {
      if (a.own != b.own) return a.own;
      if (a.messages != b.messages) return a.messages > b.messages;
      return a.domain < b.domain;
    });
  };
  order(out.common);
  for (auto& [address, lines] : by_sender) {
    order(lines);
    // A section all of whose lines are off is off too: a header with no
    // rule under it does nothing, and lint would say so.
    bool on = std::any_of(lines.begin(), lines.end(), [](const SuggestedLine& l) { return l.on; });
    out.sections.push_back({address, on, std::move(lines)});
  }
  return out;
}

std::string WriteSuggestion(const Suggestion& suggestion, Language language) {
  std::string text;
  auto line = [&text](const std::string& cp932) { text += cp932 + "\r\n"; };
  auto say = [&](Msg id, std::vector<std::string> values) { line(Say(language, id, values)); };
  // Each domain's count, then its pattern.
  auto rule = [&](const std::vector<SuggestedLine>& lines) {
    for (const SuggestedLine& domain : lines) {
      say(domain.own ? Msg::kSuggestOwnDomain : Msg::kSuggestDomain,
          {domain.domain, std::to_string(domain.messages)});
      line(std::string(domain.on ? "" : "#") + "ALL=" + *DomainPattern(domain.domain));
    }
  };

  say(Msg::kSuggestHead, {std::to_string(suggestion.counted)});
  say(Msg::kSuggestMinimum, {std::to_string(suggestion.minimum)});
  std::string own_list;
  for (const std::string& name : suggestion.ownDomains) {
    own_list += (own_list.empty() ? "" : ", ") + name;
  }
  if (!own_list.empty()) say(Msg::kSuggestOwnDomains, {own_list});
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
    line(std::string(section.on ? "" : "#") + "[" + *SenderPattern(section.sender) + "]");
    rule(section.lines);
  }
  return text;
}

}  // namespace sendwarden_checker
