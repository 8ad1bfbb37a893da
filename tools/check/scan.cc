#include "tools/check/scan.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "message/header_block.h"
#include "message/recipients.h"
#include "tools/check/explain.h"
#include "tools/check/mbox_splitter.h"
#include "tools/common/charset.h"
#include "tools/common/encoded_words.h"
#include "tools/common/tool_decoder.h"

namespace sendwarden_check {

namespace {

namespace fs = std::filesystem;
using sendwarden::AllowConfig;
using sendwarden::PatternList;

constexpr size_t kMaxHeader = 16u << 20;
constexpr size_t kChunk = 1u << 20;

struct Target {
  std::string path;
  uint64_t size = 0;
  const char* problem = nullptr;  // set: the path cannot be scanned
};

// Every file the paths name, folders walked in name order.
std::vector<Target> Collect(const std::vector<std::string>& paths, Language l) {
  std::vector<Target> targets;
  for (const std::string& path : paths) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) {
      targets.push_back({path, 0, Say(l, Msg::kNoSuchPath)});
    } else if (fs::is_directory(status)) {
      std::vector<Target> found;
      fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied,
                                          error);
      if (error) targets.push_back({path, 0, Say(l, Msg::kCannotOpen)});
      for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code entry_error;
        if (!it->is_regular_file(entry_error)) continue;
        uint64_t size = it->file_size(entry_error);
        found.push_back({it->path().string(), entry_error ? 0 : size, nullptr});
      }
      std::sort(found.begin(), found.end(),
                [](const Target& a, const Target& b) { return a.path < b.path; });
      targets.insert(targets.end(), found.begin(), found.end());
    } else {
      targets.push_back({path, static_cast<uint64_t>(fs::file_size(path, error)), nullptr});
    }
  }
  return targets;
}

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
      const std::pair<const char*, const PatternList*> lists[] = {
          {"ALL", &rule.allPatterns}, {"TO", &rule.toPatterns},
          {"CC", &rule.ccPatterns}, {"BCC", &rule.bccPatterns}};
      for (const auto& list : lists) {
        for (const PatternList::Entry& entry : *list.second) {
          auto found = allowed_.find(&entry);
          summary->rules.push_back({entry.line, std::string(list.first) + "=" + entry.text,
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

class Scanner {
 public:
  Scanner(const AllowConfig& config, Language language, ScanListener& listener)
      : config_(config), l_(language), listener_(listener), usage_(config) {}

  ScanSummary Run(const std::vector<std::string>& paths) {
    std::vector<Target> targets = Collect(paths, l_);
    for (const Target& target : targets) total_ += target.size;
    for (const Target& target : targets) {
      if (target.problem != nullptr) {
        Unreadable(target.path, false, 0, 0, target.problem);
      } else {
        File(target);
      }
      done_base_ += target.size;
      listener_.Progress(summary_.read + summary_.unreadable, done_base_, total_);
    }
    usage_.Report(&summary_);
    return std::move(summary_);
  }

 private:
  void File(const Target& target) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(target.path.c_str(), "rb"),
                                                         &std::fclose);
    if (file == nullptr) {
      Unreadable(target.path, false, 0, 0, Say(l_, Msg::kCannotOpen));
      return;
    }
    std::vector<char> buffer(kChunk);
    size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    bool mbox = MboxSplitter::LooksLikeMbox(std::string(buffer.data(), std::min<size_t>(got, 5)));
    MboxSplitter splitter(mbox, kMaxHeader, [&](sendwarden_check::SplitMessage&& message) {
      Message(target.path, mbox, message);
    });
    uint64_t read = 0;
    while (got > 0) {
      splitter.Feed(buffer.data(), got);
      read += got;
      listener_.Progress(summary_.read + summary_.unreadable, done_base_ + read, total_);
      // A single message needs no more than its header block.
      if (!mbox && splitter.HeaderDone()) break;
      got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    }
    bool failed = std::ferror(file.get()) != 0;
    splitter.Finish();
    if (failed) Unreadable(target.path, false, 0, 0, Say(l_, Msg::kReadError));
  }

  void Message(const std::string& path, bool mbox, const SplitMessage& message) {
    if (message.headerTooLong) {
      Unreadable(path, mbox, message.number, message.offset, Say(l_, Msg::kHeaderTooLong));
      return;
    }
    sendwarden::CheckTrace trace;
    ScanItem item = DecideMessage(message.header, config_, l_, &trace);
    item.path = path;
    item.inMbox = mbox;
    item.number = message.number;
    item.offset = message.offset;
    if (item.outcome == Outcome::kUnreadable) {
      Unreadable(std::move(item));
      return;
    }
    ++summary_.read;
    ++(item.outcome == Outcome::kSend ? summary_.sent : summary_.refused);
    sendwarden::Verdict verdict;
    verdict.allowed = item.outcome == Outcome::kSend;
    if (!trace.rules.empty()) {
      for (const sendwarden::RuleTrace& rule : trace.rules) {
        if (rule.allowed) {
          verdict.allowedBy = rule.isDefault ? sendwarden::Decider::kDefaultRule
                                             : sendwarden::Decider::kSection;
          verdict.section = rule.section;
        }
      }
      usage_.Count(trace, verdict);
    }
    usage_.Sender(item.from);
    listener_.Item(item);
  }

  void Unreadable(const std::string& path, bool mbox, uint64_t number, uint64_t offset,
                  const char* reason) {
    ScanItem item;
    item.path = path;
    item.inMbox = mbox;
    item.number = number;
    item.offset = offset;
    item.reason = reason;
    Unreadable(std::move(item));
  }

  void Unreadable(ScanItem item) {
    item.outcome = Outcome::kUnreadable;
    ++summary_.unreadable;
    listener_.Item(item);
    summary_.unreadableItems.push_back(std::move(item));
  }

  const AllowConfig& config_;
  const Language l_;
  ScanListener& listener_;
  Usage usage_;
  ScanSummary summary_;
  uint64_t total_ = 0;
  uint64_t done_base_ = 0;
};

}  // namespace

ScanItem DecideMessage(const std::string& header, const AllowConfig& config, Language l,
                       sendwarden::CheckTrace* trace) {
  ScanItem item;
  if (header.find('\0') != std::string::npos) {
    item.reason = Say(l, Msg::kBinaryData);
    return item;
  }
  sendwarden::HeaderMap headers;
  try {
    sendwarden::ParseHeaderBlock(header.c_str(), headers);
  } catch (const std::exception& error) {
    item.outcome = Outcome::kRefuse;
    item.reason = Say(l, Msg::kScanEngineGaveUp) + std::string(error.what());
    return item;
  }
  if (headers.empty()) {
    item.reason = Say(l, Msg::kNotAMessage);
    return item;
  }
  item.date = headers["DATE"];
  item.subject =
      sendwarden_tools::DecodeEncodedWords(headers["SUBJECT"], &sendwarden_tools::ConvertToCp932);

  item.from =
      sendwarden_tools::DecodeEncodedWords(headers["FROM"], &sendwarden_tools::ConvertToCp932);
  item.outcome = Outcome::kRefuse;
  sendwarden_tools::ToolDecoder decoder;
  sendwarden::Extraction extraction;
  try {
    std::string line;
    if (sendwarden::HasBareCarriageReturn(header.c_str(), &line)) {
      extraction.fault = sendwarden::ExtractionFault::kBareCarriageReturn;
      extraction.faultField = "HEADER";
      extraction.faultDetail = line;
    } else {
      extraction = sendwarden::ExtractRecipients(headers, decoder);
    }
  } catch (const std::exception& error) {
    item.reason = Say(l, Msg::kScanEngineGaveUp) + std::string(error.what());
    return item;
  }
  if (extraction.fault != sendwarden::ExtractionFault::kNone) {
    item.reason = Say(l, Msg::kScanCannotCheck) + extraction.faultField + ": " +
                  FaultText(extraction, l);
    return item;
  }
  try {
    sendwarden::Verdict verdict = sendwarden::CheckRecipients(config, extraction.recipients, trace);
    item.outcome = verdict.allowed ? Outcome::kSend : Outcome::kRefuse;
    item.named = verdict.rejectionLog;
  } catch (const std::exception& error) {
    if (trace != nullptr) trace->rules.clear();
    item.reason = Say(l, Msg::kScanEngineGaveUp) + std::string(error.what());
  }
  return item;
}

ScanSummary Scan(const std::vector<std::string>& paths, const AllowConfig& config, Language l,
                 ScanListener& listener) {
  return Scanner(config, l, listener).Run(paths);
}

}  // namespace sendwarden_check
