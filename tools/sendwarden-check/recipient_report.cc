#include "tools/sendwarden-check/recipient_report.h"

#include <exception>
#include <string_view>

#include "base/ascii.h"
#include "check/recipient_check.h"
#include "config/pattern_shape.h"

namespace sendwarden_checker {

namespace {

using sendwarden::Field;

// Whether `rule` allows `entry` in `field`, on its own.
bool RuleAllows(const sendwarden::RecipientRule& rule, const Recipient& recipient) {
  std::string to, cc, bcc;
  std::string& text = recipient.field == Field::kTo   ? to
                      : recipient.field == Field::kCc ? cc
                                                      : bcc;
  text = recipient.entry + "\n";
  sendwarden::RejectionLog log;
  try {
    return sendwarden::CheckRule(rule, to, cc, bcc, sendwarden::CheckMode::kCollect, log);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

bool SectionApplies(const sendwarden::SenderSection& section, const std::string& sender) {
  try {
    return sendwarden::PatternFound(*section.senderPattern, sender);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

const sendwarden::PatternList::Entry* FirstAllowing(const sendwarden::PatternList& list,
                                                    const std::string& entry) {
  for (const sendwarden::PatternList::Entry& candidate : list) {
    bool found = false;
    if (candidate.IsShape()) {
      found = sendwarden::ShapeFound(candidate.start, candidate.end, candidate.literal,
                                     candidate.ignoreCase, entry);
    } else {
      try {
        found = sendwarden::PatternFound(*candidate.pattern, entry);
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception&) {
      }
    }
    if (found) return &candidate;
  }
  return nullptr;
}

const sendwarden::PatternList::Entry* RuleAllowing(const sendwarden::RecipientRule& rule,
                                                   const Recipient& recipient) {
  sendwarden::RuleKey own = recipient.field == Field::kTo   ? sendwarden::RuleKey::kTo
                            : recipient.field == Field::kCc ? sendwarden::RuleKey::kCc
                                                            : sendwarden::RuleKey::kBcc;
  // ALL first, as the plug-in asks.
  const sendwarden::PatternList::Entry* found =
      FirstAllowing(rule.List(sendwarden::RuleKey::kAll), recipient.entry);
  return found != nullptr ? found : FirstAllowing(rule.List(own), recipient.entry);
}

}  // namespace

const sendwarden::PatternList::Entry* AllowingEntry(const sendwarden::AllowConfig& config,
                                                    const std::string& sender,
                                                    const Recipient& recipient) {
  if (config.defaultRule != nullptr) {
    if (const auto* found = RuleAllowing(*config.defaultRule, recipient)) return found;
  }
  for (const sendwarden::SenderSection& section : config.sections) {
    if (!SectionApplies(section, sender)) continue;
    if (const auto* found = RuleAllowing(*section.rule, recipient)) return found;
  }
  return nullptr;
}

std::vector<Recipient> EntriesOf(const sendwarden::Recipients& recipients) {
  std::vector<Recipient> entries;
  for (Field field : sendwarden::kAddressFields) {
    const std::string& lines = recipients.Lines(field);
    size_t start = 0;
    while (start < lines.size()) {
      size_t end = lines.find('\n', start);
      if (end == std::string::npos) end = lines.size();
      std::string entry = lines.substr(start, end - start);
      if (!entry.empty() && entry.back() == '\r') entry.pop_back();
      if (!entry.empty()) entries.push_back({field, std::move(entry)});
      start = end + 1;
    }
  }
  return entries;
}

std::vector<Recipient> UnallowedRecipients(const sendwarden::AllowConfig& config,
                                           const sendwarden::Recipients& recipients) {
  // Sent alone, a recipient goes exactly when the default rule or one
  // section that applies allows it; the plug-in's own indexed check says so.
  std::vector<Recipient> entries = EntriesOf(recipients), unallowed;
  for (const Recipient& recipient : entries) {
    sendwarden::Recipients one;
    one.sender = recipients.sender;
    one.Lines(recipient.field) = recipient.entry + "\n";
    bool allowed = false;
    try {
      allowed = sendwarden::CheckRecipients(config, one).allowed;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception&) {
    }
    if (!allowed) unallowed.push_back(recipient);
  }
  if (!unallowed.empty()) return unallowed;
  std::vector<Recipient> remainder;
  for (const Recipient& recipient : entries) {
    if (config.defaultRule == nullptr || !RuleAllows(*config.defaultRule, recipient)) {
      remainder.push_back(recipient);
    }
  }
  return remainder;
}

std::string AddressOf(const std::string& entry) {
  // The extraction lets through only entries that show their address at the
  // end, bare or in angle brackets; the display name before it is decoded
  // text and no longer obeys the grammar ("Doe, Jane" loses its quotes).
  std::string_view text = entry;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (!text.empty() && text.back() == '>') {
    size_t open = text.rfind('<');
    if (open == std::string_view::npos) return "";
    text = text.substr(open + 1, text.size() - open - 2);
  }
  if (text.empty() || text.find_first_of(" <>()\",") != std::string_view::npos) return "";
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return "";
  }
  return std::string(text);
}

std::string DomainOf(const std::string& address) {
  size_t at = address.rfind('@');
  std::string domain = at == std::string::npos ? address : address.substr(at + 1);
  sendwarden::ToLowerAscii(domain);
  return domain;
}

}  // namespace sendwarden_checker
