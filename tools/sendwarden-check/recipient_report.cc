#include "tools/sendwarden-check/recipient_report.h"

#include <string_view>

#include "base/ascii.h"

namespace sendwarden_checker {

std::vector<Recipient> EntriesOf(const sendwarden::Recipients& recipients) {
  std::vector<Recipient> entries;
  for (sendwarden::Field field : sendwarden::kAddressFields) {
    const sendwarden::AddressLines& lines = recipients.Lines(field);
    for (size_t index = 0; index < lines.size(); ++index) {
      if (!lines[index].empty()) {
        entries.push_back({field, index, std::string(sendwarden::TestedEntry(lines[index]))});
      }
    }
  }
  return entries;
}

std::vector<Recipient> UnallowedRecipients(const std::vector<sendwarden::EntryDecision>& decisions) {
  std::vector<Recipient> unallowed, left_by_default;
  for (const sendwarden::EntryDecision& decision : decisions) {
    bool allowed = false, by_default = false;
    for (const sendwarden::RuleDecision& rule : decision.rules) {
      allowed = allowed || rule.allowedBy != nullptr;
      by_default = by_default || (rule.isDefault && rule.allowedBy != nullptr);
    }
    Recipient recipient{decision.field, decision.index, decision.entry};
    if (!allowed) unallowed.push_back(recipient);
    if (!by_default) left_by_default.push_back(std::move(recipient));
  }
  return unallowed.empty() ? left_by_default : unallowed;
}

const sendwarden::PatternList::Entry* AllowingEntry(
    const std::vector<sendwarden::EntryDecision>& decisions, const Recipient& recipient) {
  for (const sendwarden::EntryDecision& decision : decisions) {
    if (decision.field != recipient.field || decision.index != recipient.index) continue;
    for (const sendwarden::RuleDecision& rule : decision.rules) {
      if (rule.allowedBy != nullptr) return rule.allowedBy;
    }
  }
  return nullptr;
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
