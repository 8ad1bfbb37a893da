#include "tools/check/scan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "message/header_block.h"
#include "message/recipients.h"
#include "tools/check/decide.h"
#include "tools/check/mbox_splitter.h"
#include "tools/common/charset.h"
#include "tools/common/encoded_words.h"
#include "tools/common/tool_decoder.h"

namespace sendwarden_checker {

namespace {

namespace fs = std::filesystem;
using sendwarden::AllowConfig;
using sendwarden::PatternList;

constexpr size_t kMaxHeader = 16u << 20;
constexpr size_t kChunk = 1u << 20;

struct Target {
  std::string path;
  bool sized = false;  // false: counts in no progress total
  uint64_t size = 0;
  Code problem = Code::kNone;  // set: the path cannot be scanned
  std::string detail;          // the system's reason
};

// Every file under `folder`, and every entry that could not be read, into
// `found`. A folder that cannot be opened or listed is reported and the
// walk goes on with its siblings. Links to folders are not followed.
void Walk(const fs::path& folder, std::vector<Target>& found) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) {
    found.push_back({folder.string(), false, 0, Code::kCannotOpen, error.message()});
    return;
  }
  std::vector<fs::path> folders;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    std::error_code entry_error;
    if (it->symlink_status(entry_error).type() == fs::file_type::directory) {
      folders.push_back(it->path());
      continue;
    }
    if (!it->is_regular_file(entry_error)) {
      if (entry_error && entry_error != std::errc::no_such_file_or_directory) {
        found.push_back({it->path().string(), false, 0, Code::kCannotOpen, entry_error.message()});
      }
      continue;
    }
    uint64_t size = it->file_size(entry_error);
    found.push_back({it->path().string(), !entry_error, entry_error ? 0 : size, Code::kNone, ""});
  }
  if (error) found.push_back({folder.string(), false, 0, Code::kCannotList, error.message()});
  for (const fs::path& inner : folders) Walk(inner, found);
}

// Every file the paths name, folders walked in name order.
std::vector<Target> Collect(const std::vector<std::string>& paths) {
  std::vector<Target> targets;
  for (const std::string& path : paths) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
      targets.push_back({path, false, 0, Code::kCannotOpen, error.message()});
    } else if (!fs::exists(status)) {
      targets.push_back({path, false, 0, Code::kNoSuchPath, ""});
    } else if (fs::is_directory(status)) {
      std::vector<Target> found;
      Walk(path, found);
      std::sort(found.begin(), found.end(),
                [](const Target& a, const Target& b) { return a.path < b.path; });
      targets.insert(targets.end(), found.begin(), found.end());
    } else {
      uint64_t size = fs::file_size(path, error);
      targets.push_back({path, !error, error ? 0 : size, Code::kNone, ""});
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

class Scanner {
 public:
  Scanner(const AllowConfig& config, ScanListener& listener)
      : config_(config), listener_(listener), usage_(config) {}

  ScanSummary Run(const std::vector<std::string>& paths) {
    std::vector<Target> targets = Collect(paths);
    for (const Target& target : targets) {
      if (target.sized) total_ += target.size;
    }
    for (const Target& target : targets) {
      if (target.problem != Code::kNone) {
        summary_.missingPath = summary_.missingPath || target.problem == Code::kNoSuchPath;
        Unreadable(target.path, false, 0, 0, target.problem, target.detail);
      } else {
        File(target);
      }
      if (target.sized) done_base_ += target.size;
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
      Unreadable(target.path, false, 0, 0, Code::kCannotOpen, std::strerror(errno));
      return;
    }
    std::vector<char> buffer(kChunk);
    size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    bool mbox = MboxSplitter::LooksLikeMbox(std::string(buffer.data(), std::min<size_t>(got, 5)));
    MboxSplitter splitter(mbox, kMaxHeader, [&](SplitMessage&& message) {
      Message(target.path, mbox, message);
    });
    uint64_t read = 0;
    while (got > 0) {
      splitter.Feed(buffer.data(), got);
      // A file that grew since it was sized counts no further than its size.
      read = std::min<uint64_t>(read + got, target.size);
      if (target.sized) {
        listener_.Progress(summary_.read + summary_.unreadable, done_base_ + read, total_);
      }
      // A single message needs no more than its header block.
      if (!mbox && splitter.HeaderDone()) break;
      got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    }
    bool failed = std::ferror(file.get()) != 0;
    splitter.Finish();
    if (failed) Unreadable(target.path, false, 0, 0, Code::kReadError, "");
  }

  void Message(const std::string& path, bool mbox, const SplitMessage& message) {
    if (message.headerTooLong) {
      Unreadable(path, mbox, message.number, message.offset, Code::kHeaderTooLong, "");
      return;
    }
    sendwarden::CheckTrace trace;
    ScanItem item = DecideMessage(message.header, config_, &trace);
    item.path = path;
    item.inMbox = mbox;
    item.number = message.number;
    item.offset = message.offset;
    if (item.Unread()) {
      Unreadable(std::move(item));
      return;
    }
    ++summary_.read;
    ++(item.Sent() ? summary_.sent : summary_.refused);
    if (item.outcome.code == Code::kNone) usage_.Count(trace, item.outcome.verdict);
    usage_.Sender(item.from);
    listener_.Item(item);
  }

  void Unreadable(const std::string& path, bool mbox, uint64_t number, uint64_t offset,
                  Code code, const std::string& detail) {
    ScanItem item;
    item.path = path;
    item.inMbox = mbox;
    item.number = number;
    item.offset = offset;
    item.outcome.code = code;
    item.outcome.detail = detail;
    Unreadable(std::move(item));
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
  uint64_t total_ = 0;
  uint64_t done_base_ = 0;
};

}  // namespace

ScanItem DecideMessage(const std::string& header, const AllowConfig& config,
                       sendwarden::CheckTrace* trace) {
  ScanItem item;
  if (header.find('\0') != std::string::npos) {
    item.outcome.code = Code::kBinaryData;
    return item;
  }
  sendwarden::HeaderMap headers;
  try {
    sendwarden::ParseHeaderBlock(header.c_str(), headers);
  } catch (const std::exception& error) {
    item.outcome.code = Code::kEngineGaveUp;
    item.outcome.detail = error.what();
    return item;
  }
  if (headers.empty()) {
    item.outcome.code = Code::kNotAMessage;
    return item;
  }
  item.date = headers["DATE"];
  item.subject =
      sendwarden_tools::DecodeEncodedWords(headers["SUBJECT"], &sendwarden_tools::ConvertToCp932);
  item.from =
      sendwarden_tools::DecodeEncodedWords(headers["FROM"], &sendwarden_tools::ConvertToCp932);
  sendwarden_tools::ToolDecoder decoder;
  item.outcome = Decide(
      config,
      [&] {
        sendwarden::Extraction extraction;
        std::string line;
        if (sendwarden::HasBareCarriageReturn(header.c_str(), &line)) {
          extraction.fault = sendwarden::ExtractionFault::kBareCarriageReturn;
          extraction.faultField = "HEADER";
          extraction.faultDetail = line;
          return extraction;
        }
        return sendwarden::ExtractRecipients(headers, decoder);
      },
      trace);
  return item;
}

ScanSummary Scan(const std::vector<std::string>& paths, const AllowConfig& config,
                 ScanListener& listener) {
  return Scanner(config, listener).Run(paths);
}

}  // namespace sendwarden_checker
