#include "tools/sendwarden-check/config_lint.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>

#include "base/ascii.h"
#include "base/pattern.h"
#include "config/config_loader.h"
#include "config/pattern_gate.h"
#include "config/settled_read.h"
#include "config/pattern_shape.h"
#include "config/pattern_syntax.h"
#include "platform/platform.h"
#include "tools/sendwarden-check/nested_repeat.h"
#include "tools/sendwarden-check/unnamed_domain.h"
#include "tools/common/charset.h"

namespace sendwarden_checker {

namespace {

using sendwarden::DropReason;


// Why a line that looks meant as a header or comment was not taken as one.
Msg Hint(const std::string& line, size_t number) {
  if (number == 1 && line.compare(0, sendwarden::kUtf8BomSize, sendwarden::kUtf8Bom) == 0) {
    return Msg::kHintBom;
  }
  size_t cr = line.find('\r');
  if (cr != std::string::npos && cr + 1 < line.size()) return Msg::kHintLoneCr;
  if (!line.empty() && line.back() == '\r') return Msg::kHintSecondCr;
  if (line == "[]") return Msg::kHintEmptyBrackets;
  size_t first = line.find_first_not_of(" \t");
  if (first != std::string::npos && first > 0 && (line[first] == '[' || line[first] == '#')) {
    return Msg::kHintLeadingBlank;
  }
  size_t last = line.find_last_not_of(" \t\r");
  if (first != std::string::npos && line[first] == '[' && line.find(']', first) < last) {
    return Msg::kHintTrailingText;
  }
  if (first != std::string::npos && line[first] == '[' && line[last] != ']') {
    return Msg::kHintNoClosingBracket;
  }
  if (first != std::string::npos && line[first] != '[' && line[last] == ']') {
    return Msg::kHintNoOpeningBracket;
  }
  return Msg::kHintNone;
}

Phrase Said(Msg id, std::vector<Phrase> args = {}) {
  Phrase phrase;
  phrase.id = id;
  phrase.args = std::move(args);
  return phrase;
}

// The engine's complaint about a pattern, in words, with where it stands.
Phrase ExplainBadPattern(const std::string& pattern, const boost::regex_error& error) {
  namespace rc = boost::regex_constants;
  Msg why;
  switch (error.code()) {
    case rc::error_paren: case rc::error_right_paren: why = Msg::kRegexParen; break;
    case rc::error_brack: why = Msg::kRegexBracket; break;
    case rc::error_brace: case rc::error_badbrace: why = Msg::kRegexBrace; break;
    case rc::error_escape: why = Msg::kRegexEscape; break;
    case rc::error_badrepeat: why = Msg::kRegexRepeat; break;
    case rc::error_range: why = Msg::kRegexRange; break;
    case rc::error_complexity: case rc::error_stack: why = Msg::kRegexComplexity; break;
    default: why = Msg::kRegexOther; break;
  }
  Phrase explained = Said(why, {Word(error.what())});
  size_t at = std::min(static_cast<size_t>(std::max<std::ptrdiff_t>(error.position(), 0)),
                       pattern.size());
  // An arrow before the byte where the engine stopped.
  std::string marked = pattern.substr(0, at) + "→" + pattern.substr(at);
  return Said(Msg::kBadPatternAt, {explained, Word(std::to_string(at + 1)), Word(marked)});
}

// Why the gate does not keep a pattern that compiles (pattern_gate.h).
Phrase Refused(const std::string& pattern) {
  sendwarden::GateVerdict verdict = sendwarden::JudgePattern(pattern);
  Phrase construct = Word(pattern.substr(verdict.begin, verdict.end - verdict.begin));
  switch (verdict.refusal) {
    case sendwarden::GateRefusal::kVerb: return Said(Msg::kRefusedVerb, {construct});
    case sendwarden::GateRefusal::kRecursion: return Said(Msg::kRefusedRecursion, {construct});
    case sendwarden::GateRefusal::kTooDeep: return Said(Msg::kRefusedTooDeep);
    case sendwarden::GateRefusal::kTooLong:
      return Said(Msg::kRefusedTooLong,
                  {Word(std::to_string(pattern.size())),
                   Word(std::to_string(pattern.size() > sendwarden::kMaxPatternBytes
                                           ? sendwarden::kMaxPatternBytes
                                           : sendwarden::kMaxEnginePatternBytes))});
    case sendwarden::GateRefusal::kUnread:
      return Said(Msg::kRefusedUnread, {construct, Word(std::to_string(verdict.begin + 1))});
    case sendwarden::GateRefusal::kNone:
      break;
  }
  // Kept by the reading, refused by the engine's own program.
  return Said(Msg::kRefusedUnread, {Word(pattern), Word("1")});
}

Phrase NestedRepeatFinding(const std::string& pattern, const NestedRepeat& found) {
  Phrase rewrite = found.rewrite.empty() ? Word("") : Said(Msg::kNestedRepeatRewrite, {Word(found.rewrite)});
  return Said(Msg::kNestedRepeat, {Word(pattern.substr(found.begin, found.end - found.begin)), rewrite});
}

// Lines of the pattern that look like one thing and are another.
bool HasFullWidthMark(const std::string& pattern) {
  // Code page 932 ("＠" 81 97, "．" 81 44), walked by characters so that a
  // trail byte is never taken for a lead byte; and the same in UTF-8.
  for (size_t i = 0; i < pattern.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(pattern[i]);
    if (c == 0x81 && i + 1 < pattern.size() && (pattern[i + 1] == '\x97' || pattern[i + 1] == '\x44')) {
      return true;
    }
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ++i;
  }
  return pattern.find("\xEF\xBC\xA0") != std::string::npos ||
         pattern.find("\xEF\xBC\x8E") != std::string::npos;
}

using sendwarden::PatternBranch;
using sendwarden::PatternItem;
using Kind = sendwarden::PatternItem::Kind;

// The branch's items less inline options, which match nothing.
std::vector<const PatternItem*> Matching(const PatternBranch& branch) {
  std::vector<const PatternItem*> items;
  for (const PatternItem& item : branch) {
    if (item.kind != Kind::kFlags) items.push_back(&item);
  }
  return items;
}

// True when some item, at any depth, can match a "<".
bool CanMatchAngle(const std::string& pattern, const std::vector<PatternBranch>& branches) {
  for (const PatternBranch& branch : branches) {
    for (const PatternItem& item : branch) {
      switch (item.kind) {
        case Kind::kByte:
          if (item.byte == '<') return true;
          break;
        case Kind::kDot: return true;
        case Kind::kClassEscape:
          if (item.byte == 'S' || item.byte == 'W' || item.byte == 'D') return true;
          break;
        case Kind::kClass:
          if (item.negated || pattern.compare(item.begin, item.end - item.begin, "<") == 0 ||
              pattern.substr(item.begin, item.end - item.begin).find('<') != std::string::npos) {
            return true;
          }
          break;
        case Kind::kGroup:
          if (CanMatchAngle(pattern, item.alternatives)) return true;
          break;
        default:
          break;
      }
    }
  }
  return false;
}

// Every branch starts with an unquantified "^" and has more after it, and
// nothing can stretch over a display name and its "<".
bool AnchoredAtStartOnly(const std::string& pattern) {
  sendwarden::PatternSyntax syntax = sendwarden::ReadPatternSyntax(pattern);
  if (!syntax.modelled || CanMatchAngle(pattern, syntax.branches)) return false;
  for (const PatternBranch& branch : syntax.branches) {
    std::vector<const PatternItem*> items = Matching(branch);
    if (items.size() < 2 || items[0]->kind != Kind::kStart || items[0]->Quantified()) return false;
  }
  return true;
}

// Every match must reach the end of the text: each branch ends in "$",
// "\z" or "\Z", or in a group each of whose branches does, unquantified.
bool BranchesEndAnchored(const std::vector<PatternBranch>& branches) {
  for (const PatternBranch& branch : branches) {
    std::vector<const PatternItem*> items = Matching(branch);
    if (items.empty() || items.back()->Quantified()) return false;
    const PatternItem& last = *items.back();
    bool anchored = last.kind == Kind::kEnd ||
                    (last.kind == Kind::kAssertion && (last.byte == 'z' || last.byte == 'Z')) ||
                    (last.kind == Kind::kGroup && BranchesEndAnchored(last.alternatives));
    if (!anchored) return false;
  }
  return true;
}

// A "." between a letter or digit and a letter, at any depth: almost always
// meant as a domain separator.
bool DomainDotIn(const std::vector<PatternBranch>& branches) {
  auto is_byte = [](const PatternItem& item, int (*test)(int)) {
    return item.kind == Kind::kByte && test(static_cast<unsigned char>(item.byte)) != 0;
  };
  for (const PatternBranch& branch : branches) {
    for (size_t i = 0; i < branch.size(); ++i) {
      const PatternItem& item = branch[i];
      if (item.kind == Kind::kGroup && DomainDotIn(item.alternatives)) return true;
      if (item.kind == Kind::kDot && !item.Quantified() && i > 0 && i + 1 < branch.size() &&
          is_byte(branch[i - 1], &isalnum) && is_byte(branch[i + 1], &isalpha)) {
        return true;
      }
    }
  }
  return false;
}

// "3-5, 8": line numbers in order, runs of consecutive ones joined.
std::string LineRanges(const std::vector<size_t>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size();) {
    size_t j = i;
    while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1) ++j;
    if (!out.empty()) out += ", ";
    out += std::to_string(lines[i]);
    if (j > i) out += "-" + std::to_string(lines[j]);
    i = j + 1;
  }
  return out;
}

// True when every match must reach the end of the text. A pattern the
// syntax reader does not model is read by its last byte alone: an
// unescaped "$" or "\z" / "\Z" at the end.
bool AnchoredAtEnd(const std::string& pattern) {
  sendwarden::PatternSyntax syntax = sendwarden::ReadPatternSyntax(pattern);
  if (syntax.modelled) return BranchesEndAnchored(syntax.branches);
  size_t n = pattern.size(), anchor;
  if (n >= 2 && (pattern[n - 1] == 'z' || pattern[n - 1] == 'Z') && pattern[n - 2] == '\\') {
    anchor = n - 2;
  } else if (n >= 1 && pattern[n - 1] == '$') {
    anchor = n - 1;
  } else {
    return false;
  }
  size_t slashes = 0;  // before the anchor: an even number leaves it unescaped
  while (slashes < anchor && pattern[anchor - 1 - slashes] == '\\') ++slashes;
  return slashes % 2 == 0;
}

// The domain a pattern ends in when nothing fixes where that domain begins:
// "example\.co\.jp>?$" is found in "x@notexample.co.jp" too. Only a pattern
// of one branch that ends in "$" (or ">?$") after a literal domain, with
// nothing before it or something that may take any byte; "" otherwise.
std::string UnboundedDomain(const std::string& pattern) {
  sendwarden::PatternSyntax syntax = sendwarden::ReadPatternSyntax(pattern);
  if (!syntax.modelled || syntax.branches.size() != 1) return "";
  std::vector<const PatternItem*> items = Matching(syntax.branches[0]);
  size_t end = items.size();
  if (end == 0 || items[end - 1]->kind != Kind::kEnd || items[end - 1]->Quantified()) return "";
  --end;
  if (end > 0 && items[end - 1]->kind == Kind::kByte && items[end - 1]->byte == '>' &&
      sendwarden::QuantifierOf(pattern, *items[end - 1]) == "?") {
    --end;
  }
  size_t begin = end;
  auto domain_byte = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '@'; };
  while (begin > 0 && items[begin - 1]->kind == Kind::kByte && !items[begin - 1]->Quantified() &&
         domain_byte(items[begin - 1]->byte)) {
    --begin;
  }
  std::string domain;
  for (size_t i = begin; i < end; ++i) domain += items[i]->byte;
  if (domain.find('@') != std::string::npos || domain.find('.') == std::string::npos ||
      domain.front() == '.' || !std::isalpha(static_cast<unsigned char>(domain.back()))) {
    return "";
  }
  if (begin == 0) return domain;
  Kind before = items[begin - 1]->kind;
  return before == Kind::kDot || before == Kind::kClassEscape || before == Kind::kOtherClass ? domain : "";
}

bool HasUnescapedDomainDot(const std::string& pattern) {
  sendwarden::PatternSyntax syntax = sendwarden::ReadPatternSyntax(pattern);
  return syntax.modelled && DomainDotIn(syntax.branches);
}

class LintObserver : public sendwarden::LoadObserver {
 public:
  explicit LintObserver(LintResult& result) : result_(result) {}

  void LineDropped(size_t number, const std::string& line, DropReason reason,
                   const std::string& detail) override {
    // A comment after a byte-order mark is dropped, and a comment has no
    // effect either way.
    if (number == 1 && line.compare(0, sendwarden::kUtf8BomSize, sendwarden::kUtf8Bom) == 0 &&
        line.compare(sendwarden::kUtf8BomSize, 1, "#") == 0) {
      return;
    }
    Msg hint = Hint(line, number);
    switch (reason) {
      case DropReason::kNoSeparator: return NoEffect(number, line, Said(Msg::kNoSeparator), hint);
      case DropReason::kEmptyKeyOrValue:
        return NoEffect(number, line, Said(Msg::kEmptyKeyOrValue), hint);
      case DropReason::kUnknownKey:
        return NoEffect(number, line, Said(Msg::kUnknownKey, {Word(detail)}), hint);
      case DropReason::kBadPattern: return NoEffect(number, line, BadPattern(line));
      case DropReason::kOutOfMemory: return NoEffect(number, line, Said(Msg::kOutOfMemory));
      case DropReason::kBrokenHeader:
        // The finding names the lines it drops, known only later.
        broken_headers_.push_back({result_.findings.size(), {}, false});
        return Add(number, line, Severity::kError, Said(Msg::kBrokenHeader), hint);
      case DropReason::kUnderBrokenHeader:
        if (!broken_headers_.empty()) broken_headers_.back().dropped.push_back(number);
        return NoEffect(number, line, Said(Msg::kUnderBrokenHeader, {Word(detail)}));
      case DropReason::kCutByEndOfFile:
        return Add(number, line, Severity::kError, Said(Msg::kCutByEndOfFile));
      case DropReason::kCommentedOutHeader:
        broken_headers_.push_back({result_.findings.size(), {}, true});
        return Add(number, line, Severity::kError, Said(Msg::kCommentedOutHeader));
      case DropReason::kLoneCarriageReturn:
        return NoEffect(number, line, Said(Msg::kLoneCrInRule));
      case DropReason::kUnendedWhileFresh:
        fresh_unended_ = true;
        return;
      case DropReason::kRefusedPattern: {
        std::string key, value;
        sendwarden::SplitKeyValue(line, "=", key, value);
        return Add(number, line, Severity::kError, Refused(value));
      }
    }
  }

  // The plug-in waits before it uses the last line (the file is fresh and
  // that line has no line feed).
  bool FreshUnended() const { return fresh_unended_; }

  // Fills in what each broken header drops, once the whole file is read.
  void Finish() {
    for (const BrokenHeader& broken : broken_headers_) {
      Phrase lines = broken.dropped.empty()
                         ? Said(Msg::kBrokenHeaderNoLines)
                         : Said(Msg::kBrokenHeaderLines, {Word(LineRanges(broken.dropped))});
      result_.findings[broken.finding].message =
          Said(broken.commented ? Msg::kCommentedOutHeader : Msg::kBrokenHeader, {lines});
    }
    broken_headers_.clear();
  }

  void PatternAdded(size_t number, const std::string& line, const std::string&,
                    const std::string& pattern) override {
    pending_.push_back({number, line, ""});
    WarnAboutPattern(number, line, pattern, false);
    std::string domain = UnboundedDomain(pattern);
    if (!domain.empty()) {
      Add(number, line, Severity::kWarning, Said(Msg::kDomainWithoutAt, {Word(domain), Word(domain)}));
    }
    // The default rule applies to every sender: there it is an error; a
    // section may mean it, and is told after its header is known.
    if (std::optional<std::string> unnamed = AllowedUnnamedRecipient(pattern)) {
      if (in_default_) {
        Add(number, line, Severity::kError, Said(Msg::kAllowsUnnamedDomain, {Word(*unnamed)}));
      } else {
        pending_.back().unnamed = *unnamed;
      }
    }
  }

  void SectionEnded(size_t header_line, const std::string& name, bool had_rules,
                    bool stored) override {
    std::string header = "[" + name + "]";
    Phrase header_number = Word(std::to_string(header_line));
    if (header_line > 0 && !had_rules) {
      NoEffect(header_line, header, Said(Msg::kSectionWithoutRules));
    }
    if (had_rules && !stored) {
      std::string engine;
      bool compiles = true;
      if (sendwarden::JudgePattern(name).refusal == sendwarden::GateRefusal::kUnread) {
        try {
          sendwarden::CompilePattern(name);
        } catch (const boost::regex_error& error) {
          engine = error.what();
          compiles = false;
        }
      }
      std::string lines;
      for (const Source& source : pending_) {
        lines += (lines.empty() ? "" : ", ") + std::to_string(source.line);
        NoEffect(source.line, source.text, Said(Msg::kTakenDownBySection, {header_number}));
      }
      if (compiles) {
        Add(header_line, header, Severity::kError,
            Said(Msg::kSectionRefused, {Refused(name), Word(lines)}));
      } else {
        NoEffect(header_line, header, Said(Msg::kSectionBadName, {Word(engine), Word(lines)}));
      }
    }
    if (had_rules && stored && header_line > 0) {
      WarnAboutPattern(header_line, header, name, true);
      // A section that also applies to senders no one named ([^], say) is
      // the default rule for them: there too it is an error.
      std::optional<std::string> stranger;
      if (std::any_of(pending_.begin(), pending_.end(),
                      [](const Source& source) { return !source.unnamed.empty(); })) {
        stranger = AllowedUnnamedRecipient(name);
      }
      for (const Source& source : pending_) {
        if (source.unnamed.empty()) continue;
        if (stranger) {
          Add(source.line, source.text, Severity::kError,
              Said(Msg::kSectionForAnyoneAllowsUnnamed,
                   {Word(header), header_number, Word(*stranger), Word(source.unnamed)}));
        } else {
          Add(source.line, source.text, Severity::kWarning,
              Said(Msg::kSectionAllowsUnnamedDomain,
                   {Word(header), header_number, Word(source.unnamed)}));
        }
      }
      auto first = first_header_.find(name);
      if (first != first_header_.end()) {
        Add(header_line, header, Severity::kWarning,
            Said(Msg::kDuplicateSection, {Word(std::to_string(first->second))}));
      } else {
        first_header_[name] = header_line;
      }
    }
    pending_.clear();
    in_default_ = false;
  }

 private:
  struct Source {
    size_t line;
    std::string text;
    std::string unnamed;  // a made-up recipient its pattern allows
  };
  struct BrokenHeader {
    size_t finding;  // its entry in result_.findings
    std::vector<size_t> dropped;  // the rule lines under it
    bool commented;  // "#[...]"
  };

  static Phrase BadPattern(const std::string& line) {
    std::string key, value;
    sendwarden::SplitKeyValue(line, "=", key, value);
    try {
      sendwarden::CompilePattern(value);
    } catch (const boost::regex_error& error) {
      return ExplainBadPattern(value, error);
    } catch (const std::exception&) {
    }
    return Said(Msg::kBadPattern);
  }

  void Add(size_t line, const std::string& text, Severity severity, Phrase message,
           Msg hint = Msg::kHintNone) {
    result_.findings.push_back({line, text, severity, std::move(message), hint});
    switch (severity) {
      case Severity::kNoEffect: ++result_.noEffect; break;
      case Severity::kError: ++result_.errors; break;
      case Severity::kWarning: ++result_.warnings; break;
      case Severity::kHint: break;
    }
  }
  void NoEffect(size_t line, const std::string& text, Phrase message,
                Msg hint = Msg::kHintNone) {
    Add(line, text, Severity::kNoEffect, std::move(message), hint);
  }
  void Warn(size_t line, const std::string& text, Msg id) {
    Add(line, text, Severity::kWarning, Said(id));
  }

  void WarnAboutPattern(size_t line, const std::string& text, const std::string& pattern,
                        bool header) {
    // The section that names a refused address: "[^]" applies to every
    // sender and "(?!)" allows nothing, so neither has an end to anchor.
    if (header ? pattern == kEverySender : pattern == kNoRecipient) return;
    if (std::optional<NestedRepeat> found = FindNestedRepeat(pattern)) {
      Add(line, text, Severity::kError, NestedRepeatFinding(pattern, *found));
    }
    if (!pattern.empty() && pattern.back() == '\r') {
      Warn(line, text, Msg::kPatternEndsInCr);
    } else if (!AnchoredAtEnd(pattern)) {
      Warn(line, text, Msg::kNotAnchored);
    }
    if (HasUnescapedDomainDot(pattern)) Warn(line, text, Msg::kUnescapedDot);
    if (pattern.find(" #") != std::string::npos || pattern.find("\t#") != std::string::npos) {
      Warn(line, text, Msg::kHashInValue);
    }
    if (HasFullWidthMark(pattern)) Warn(line, text, Msg::kFullWidthMark);
    if (AnchoredAtStartOnly(pattern)) Warn(line, text, Msg::kAnchoredAtStart);
  }

  LintResult& result_;
  bool fresh_unended_ = false;   // the last line waits for the file to be still
  std::vector<Source> pending_;  // the rule lines of the section being read
  std::vector<BrokenHeader> broken_headers_;
  bool in_default_ = true;                    // still before the first header
  std::map<std::string, size_t> first_header_;
};

// The file's bytes as the loader reads them, in the code page it assumes.
void CheckEncoding(const std::string& path, LintResult& result) {
  std::string bytes;
  if (!sendwarden::ReadFileBytes(path, &bytes)) return;
  bytes.resize(std::min(bytes.find('\x1A'), bytes.size()));
  // A byte-order mark alone has its own finding; Japanese text in UTF-8 is
  // what never matches.
  bool bom = bytes.compare(0, sendwarden::kUtf8BomSize, sendwarden::kUtf8Bom) == 0;
  size_t text_start = bom ? sendwarden::kUtf8BomSize : 0;
  if (sendwarden_tools::IsUtf8WithNonAscii(bytes.substr(text_start))) {
    result.findings.push_back({0, "", Severity::kWarning, Said(Msg::kSavedAsUtf8)});
    ++result.warnings;
    // Said once for the file: a warning for each line would bury it.
    return;
  }
  sendwarden::ForEachLine(bytes, [&](std::string_view text, size_t number) {
    std::string line(text);
    bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii && !sendwarden_tools::IsValidCp932(line.substr(number == 1 ? text_start : 0))) {
      result.findings.push_back({number, line, Severity::kWarning, Said(Msg::kNotCp932)});
      ++result.warnings;
    }
  });
}

}  // namespace

// True when some section can name an address in the notice: a section that
// applies tries what the default rule left with its TO, CC and BCC lines,
// and the first entry they do not allow is the one named.
bool NoticeMayNameAnAddress(const sendwarden::AllowConfig& config) {
  for (const sendwarden::SenderSection& section : config.sections) {
    for (sendwarden::RuleKey key : {sendwarden::RuleKey::kTo, sendwarden::RuleKey::kCc,
                                    sendwarden::RuleKey::kBcc}) {
      if (!section.rule->List(key).empty()) return true;
    }
  }
  return false;
}

LintResult LintConfig(const std::string& path) {
  LintResult result;
  auto observer = std::make_unique<LintObserver>(result);
  result.readable = sendwarden::LoadAllowConfig(path, result.config, observer.get());
  if (result.readable && observer->FreshUnended()) {
    // Just saved, last line without a line feed: the plug-in uses it once
    // the file has been still a moment. Say what it will hold by then.
    sendwarden::SleepMilliseconds(sendwarden::kUnendedLineSettleSeconds * 1000 + 200);
    result = LintResult();
    observer = std::make_unique<LintObserver>(result);
    result.readable = sendwarden::LoadAllowConfig(path, result.config, observer.get());
  }
  if (!result.readable) return result;
  observer->Finish();
  CheckEncoding(path, result);
  if (result.config.Empty()) {
    // Every send will be refused: surely not what the file was written for.
    result.findings.push_back({0, "", Severity::kError, Said(Msg::kNoRules)});
    ++result.errors;
  }
  if (!result.config.Empty() && !NoticeMayNameAnAddress(result.config)) {
    result.findings.push_back({0, "", Severity::kHint, Said(Msg::kNoticeNeverNames)});
  }
  std::stable_sort(result.findings.begin(), result.findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return result;
}

}  // namespace sendwarden_checker
