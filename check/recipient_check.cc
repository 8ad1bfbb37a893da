#include "check/recipient_check.h"

#include "check/rejection_notice.h"

namespace sendwarden {

namespace {

// True when some pattern of `list` is found in `line`. Patterns the
// prefilter rules out cannot match and are not run; the rest are tried in
// list order, as they would be without it.
bool AnyPatternFound(const PatternList& list, const std::string& line,
                     std::vector<uint32_t>& candidates) {
  const LiteralPrefilter* prefilter = list.prefilter();
  if (prefilter == nullptr) {
    for (const auto& pattern : list) {
      if (PatternFound(*pattern, line)) return true;
    }
    return false;
  }
  prefilter->Candidates(line, &candidates);
  for (uint32_t index : candidates) {
    if (PatternFound(*list[index], line)) return true;
  }
  return false;
}

}  // namespace

bool CheckList(const PatternList& list, std::string& text, CheckMode mode) {
  if (text.empty()) return true;
  if (list.empty()) return false;

  const bool collect = mode != Strict;
  std::string remainder;
  bool left = false;
  std::string line;
  std::vector<uint32_t> candidates;  // reused for every line
  size_t cursor = 0;
  while (cursor < text.size()) {
    size_t line_end = text.find('\n', cursor);
    if (line_end == std::string::npos) line_end = text.size();
    line.assign(text, cursor, line_end - cursor);
    cursor = line_end + 1;

    if (line.empty()) continue;
    if (line.back() == '\r') line.pop_back();
    if (AnyPatternFound(list, line, candidates)) continue;

    if (!collect) {
      RejectionLog() += line;
      RejectionLog() += '\n';
      return false;
    }
    remainder += line;
    remainder += '\n';
    left = true;
  }
  if (!collect) return true;
  text.swap(remainder);
  return !left;
}

bool CheckRule(const RecipientRule& rule, std::string& to, std::string& cc,
               std::string& bcc, CheckMode mode) {
  struct Field {
    std::string& text;
    const PatternList& own;
  } fields[] = {{to, rule.toPatterns}, {cc, rule.ccPatterns}, {bcc, rule.bccPatterns}};

  if (mode != Strict) {
    bool all_ok = true;
    for (Field& field : fields) {
      bool ok = CheckList(rule.allPatterns, field.text, Collect);
      if (!ok) ok = CheckList(field.own, field.text, Collect);
      if (!ok) all_ok = false;
    }
    return all_ok;
  }
  for (Field& field : fields) {
    std::string copy = field.text;
    bool ok = CheckList(rule.allPatterns, copy, Collect);
    if (!ok) ok = CheckList(field.own, copy, Strict);
    if (!ok) return false;
  }
  return true;
}

bool CheckRecipients(std::string sender, std::string to, std::string cc, std::string bcc) {
  const AllowConfig& config = GetAllowConfig();
  if (config.defaultRule != nullptr && CheckRule(*config.defaultRule, to, cc, bcc, Collect)) {
    return true;
  }
  for (const SenderSection& section : config.sections) {
    if (!PatternFound(*section.senderPattern, sender)) continue;
    if (CheckRule(*section.rule, to, cc, bcc, Strict)) {
      RejectionLog().clear();
      return true;
    }
  }
  ShowRejectionNotice();
  return false;
}

}  // namespace sendwarden
