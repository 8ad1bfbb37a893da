#include "tools/sendwarden-check/scan.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "message/recipients.h"
#include "tools/sendwarden-check/decide.h"
#include "tools/sendwarden-check/message_reading.h"
#include "tools/sendwarden-check/recipient_report.h"

namespace sendwarden_checker {

namespace {

using sendwarden::AllowConfig;
using sendwarden::PatternList;

// How often each rule line allowed a recipient, and each section applied.
class Usage {
 public:
  explicit Usage(const AllowConfig& config) : config_(config), matched_(config.sections.size()) {}

  void Count(const sendwarden::CheckTrace& trace, const sendwarden::Verdict& verdict) {
    for (const sendwarden::RuleTrace& rule : trace.rules) {
      bool counts = rule.isDefault || (verdict.allowedBy == sendwarden::Decider::kSection &&
                                       rule.section == verdict.section);
      if (!counts) continue;
      for (const sendwarden::EntryTrace& entry : rule.entries) {
        if (entry.allowedBy != nullptr) ++allowed_[entry.allowedBy];
      }
    }
  }

  void Sender(const std::string& sender) {
    for (size_t i = 0; i < config_.sections.size(); ++i) {
      try {
        if (sendwarden::PatternFound(*config_.sections[i].senderPattern, sender)) ++matched_[i];
      } catch (const std::exception&) {
      }
    }
  }

  void Report(ScanSummary* summary) const {
    auto add = [&](const sendwarden::RecipientRule& rule) {
      for (sendwarden::RuleKey key : sendwarden::kRuleKeys) {
        for (const PatternList::Entry& entry : rule.List(key)) {
          auto found = allowed_.find(&entry);
          summary->rules.push_back(
              {entry.line, std::string(sendwarden::RuleKeyName(key)) + "=" + entry.text,
               found == allowed_.end() ? 0 : found->second});
        }
      }
    };
    if (config_.defaultRule != nullptr) add(*config_.defaultRule);
    for (size_t i = 0; i < config_.sections.size(); ++i) {
      const sendwarden::SenderSection& section = config_.sections[i];
      add(*section.rule);
      summary->sections.push_back(
          {section.headerLine, section.senderPattern->str(), matched_[i]});
    }
    std::stable_sort(summary->rules.begin(), summary->rules.end(),
                     [](const RuleUse& a, const RuleUse& b) { return a.line < b.line; });
  }

 private:
  const AllowConfig& config_;
  std::unordered_map<const PatternList::Entry*, uint64_t> allowed_;
  std::vector<uint64_t> matched_;
};

// Decides each message the reader finds, and counts.
class Scanner : public MailListener {
 public:
  Scanner(const AllowConfig& config, ScanListener& listener)
      : config_(config), listener_(listener), usage_(config) {}

  ScanSummary Run(const std::vector<std::string>& paths) {
    summary_.missingPath = ReadMail(paths, *this).missingPath;
    usage_.Report(&summary_);
    ReportDomains();
    return std::move(summary_);
  }

  void Message(const MailLocation& where, const std::string& header) override {
    sendwarden::CheckTrace trace;
    ScanItem item = DecideMessage(header, config_, &trace);
    item.where = where;
    if (item.Unread()) {
      Unreadable(std::move(item));
      return;
    }
    ++summary_.read;
    ++(item.Sent() ? summary_.sent : summary_.refused);
    if (item.outcome.code == Code::kNone) usage_.Count(trace, item.outcome.verdict);
    usage_.Sender(item.shown.from);
    CountDomains(item.outcome);
    listener_.Item(item);
  }

  void Unreadable(const MailLocation& where, Code code, const std::string& detail) override {
    ScanItem item;
    item.where = where;
    item.outcome.code = code;
    item.outcome.detail = detail;
    Unreadable(std::move(item));
  }

  void Progress(uint64_t bytes_done, uint64_t bytes_total) override {
    listener_.Progress(summary_.read + summary_.unreadable, bytes_done, bytes_total);
  }

 private:
  void CountDomains(const Outcome& outcome) {
    std::set<std::string> domains;
    for (const Recipient& recipient : outcome.refused) {
      std::string address = AddressOf(recipient.entry);
      if (!address.empty()) domains.insert(DomainOf(address));
    }
    for (const std::string& domain : domains) ++refusedDomains_[domain];
  }

  void ReportDomains() {
    auto& top = summary_.refusedDomains;
    top.assign(refusedDomains_.begin(), refusedDomains_.end());
    std::stable_sort(top.begin(), top.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (top.size() > 10) top.resize(10);
  }

  void Unreadable(ScanItem item) {
    ++summary_.unreadable;
    listener_.Item(item);
    summary_.unreadableItems.push_back(std::move(item));
  }

  const AllowConfig& config_;
  ScanListener& listener_;
  Usage usage_;
  ScanSummary summary_;
  std::map<std::string, uint64_t> refusedDomains_;  // by name: ties stay in name order
};

}  // namespace

ScanItem DecideMessage(const std::string& header, const AllowConfig& config,
                       sendwarden::CheckTrace* trace) {
  ScanItem item;
  MessageRecord record = ReadMessage(header);
  if (record.reading.code != Code::kNone) {
    item.outcome.code = record.reading.code;
    item.outcome.detail = record.reading.detail;
    return item;
  }
  item.shown = ShownOf(record.reading);
  item.outcome = Decide(config, [&] { return record.Extract(); }, trace);
  return item;
}

ScanSummary Scan(const std::vector<std::string>& paths, const AllowConfig& config,
                 ScanListener& listener) {
  return Scanner(config, listener).Run(paths);
}

}  // namespace sendwarden_checker
