#include "tools/config_lint.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "config/config_loader.h"
#include "config/pattern.h"
#include "config/rule_store.h"

namespace sendwarden_check {

namespace {

using sendwarden::DropReason;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Why a line that looks meant as a header or comment was not taken as one.
std::string Hint(const std::string& line, size_t number, const Messages& m) {
  if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) return m.hint_bom;
  if (!line.empty() && line.back() == '\r') return m.hint_second_cr;
  if (line == "[]") return m.hint_empty_brackets;
  size_t first = line.find_first_not_of(" \t");
  if (first != std::string::npos && first > 0 && (line[first] == '[' || line[first] == '#')) {
    return m.hint_leading_blank;
  }
  if (!line.empty() && line[0] == '[' && IsBlank(line.back())) {
    size_t last = line.find_last_not_of(" \t");
    if (last != std::string::npos && line[last] == ']') return m.hint_trailing_blank;
  }
  return "";
}

// True when a match must reach the end of the text: the pattern ends in an
// unescaped "$", or "\z" / "\Z".
bool AnchoredAtEnd(const std::string& pattern) {
  size_t n = pattern.size();
  if (n >= 2 && pattern[n - 2] == '\\' && (pattern[n - 1] == 'z' || pattern[n - 1] == 'Z')) {
    size_t slashes = 0;
    for (size_t i = n - 2; i < n && pattern[i] == '\\'; --i) ++slashes;
    return slashes % 2 == 1;
  }
  if (n == 0 || pattern[n - 1] != '$') return false;
  size_t slashes = 0;
  for (size_t i = n - 1; i-- > 0 && pattern[i] == '\\';) ++slashes;
  return slashes % 2 == 0;
}

// A "." outside brackets, not escaped, between a letter or digit and a
// letter: almost always meant as a domain separator.
bool HasUnescapedDomainDot(const std::string& pattern) {
  bool in_class = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\') {
      ++i;
      continue;
    }
    if (in_class) {
      if (c == ']') in_class = false;
      continue;
    }
    if (c == '[') {
      in_class = true;
      if (i + 1 < pattern.size() && pattern[i + 1] == ']') ++i;
      continue;
    }
    if (c == '.' && i > 0 && i + 1 < pattern.size() &&
        std::isalnum(static_cast<unsigned char>(pattern[i - 1])) &&
        std::isalpha(static_cast<unsigned char>(pattern[i + 1]))) {
      return true;
    }
  }
  return false;
}

class LintObserver : public sendwarden::LoadObserver {
 public:
  LintObserver(const Messages& messages, LintResult& result)
      : m_(messages), result_(result) {}

  void LineDropped(size_t number, const std::string& line, DropReason reason,
                   const std::string& detail) override {
    std::string message;
    switch (reason) {
      case DropReason::kNoSeparator: message = m_.no_separator; break;
      case DropReason::kEmptyKeyOrValue: message = m_.empty_key_or_value; break;
      case DropReason::kUnknownKey: message = std::string(m_.unknown_key) + detail; break;
      case DropReason::kBadPattern: message = std::string(m_.bad_pattern) + detail; break;
      case DropReason::kOutOfMemory: message = m_.out_of_memory; break;
    }
    if (reason != DropReason::kBadPattern) message += Hint(line, number, m_);
    Add(number, line, true, message);
  }

  void PatternAdded(size_t number, const std::string& line, const std::string& key,
                    const std::string& pattern) override {
    pending_.push_back({number, line, key, pattern});
    WarnAboutPattern(number, line, pattern);
  }

  void SectionEnded(size_t header_line, const std::string& name, bool had_rules,
                    bool stored) override {
    std::string header = "[" + name + "]";
    if (header_line > 0 && !had_rules) Add(header_line, header, true, m_.section_without_rules);
    if (had_rules && !stored) {
      std::string engine;
      try {
        sendwarden::CompilePattern(name);
      } catch (const boost::regex_error& error) {
        engine = error.what();
      }
      std::string lines;
      for (const PatternSource& source : pending_) {
        lines += (lines.empty() ? "" : ", ") + std::to_string(source.line);
        Add(source.line, source.text, true,
            m_.taken_down_by_section + std::to_string(header_line));
      }
      Add(header_line, header, true, std::string(m_.section_bad_name) + engine +
                                         m_.lines_taken_down + lines);
    }
    if (had_rules && stored) {
      if (header_line > 0) {
        WarnAboutPattern(header_line, header, name);
        auto first = first_header_.find(name);
        if (first != first_header_.end()) {
          Add(header_line, header, false, m_.duplicate_section + std::to_string(first->second));
        } else {
          first_header_[name] = header_line;
        }
      }
      result_.rules.push_back({header_line, name, pending_});
    }
    pending_.clear();
  }

 private:
  void Add(size_t line, const std::string& text, bool no_effect, const std::string& message) {
    result_.findings.push_back({line, text, no_effect, message});
    ++(no_effect ? result_.noEffect : result_.warnings);
  }

  void WarnAboutPattern(size_t line, const std::string& text, const std::string& pattern) {
    if (!pattern.empty() && pattern.back() == '\r') {
      Add(line, text, false, m_.pattern_ends_in_cr);
    } else if (!AnchoredAtEnd(pattern)) {
      Add(line, text, false, m_.not_anchored);
    }
    if (HasUnescapedDomainDot(pattern)) Add(line, text, false, m_.unescaped_dot);
  }

  const Messages& m_;
  LintResult& result_;
  std::vector<PatternSource> pending_;
  std::map<std::string, size_t> first_header_;
};

}  // namespace

LintResult LintConfig(const std::string& path, const Messages& messages) {
  LintResult result;
  LintObserver observer(messages, result);
  result.readable = sendwarden::LoadAllowConfig(path, &observer);
  if (!result.readable) return result;
  const sendwarden::AllowConfig& config = sendwarden::GetAllowConfig();
  if (config.defaultRule == nullptr && config.sections.empty()) {
    result.findings.push_back({0, "", false, messages.no_rules});
    ++result.warnings;
  }
  std::stable_sort(result.findings.begin(), result.findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return result;
}

}  // namespace sendwarden_check
