#include "config/config_loader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "base/ascii.h"
#include "config/pattern_gate.h"
#include "config/pattern_shape.h"
#include "config/settled_read.h"
#include "platform/platform.h"

namespace sendwarden {

namespace {

// The rule lines of the section being read, until its end hands them over.
struct WorkingLists {
  RecipientRule lists;

  bool Empty() const {
    for (RuleKey key : kRuleKeys) {
      if (!lists.List(key).empty()) return false;
    }
    return true;
  }

  std::unique_ptr<RecipientRule> TakeRule() {
    auto rule = std::make_unique<RecipientRule>(std::move(lists));
    lists = RecipientRule();
    for (RuleKey key : kRuleKeys) rule->List(key).BuildIndex();
    return rule;
  }
};

// Sets `out_of_memory` when memory ran out while the section was stored.
void EndSection(AllowConfig& config, WorkingLists& lists, size_t header_line,
                const std::string& name, LoadObserver* observer, bool& out_of_memory) {
  if (lists.Empty()) {
    if (observer != nullptr) observer->SectionEnded(header_line, name, false, false);
    return;
  }
  bool stored = config.RegisterSection(name, lists.TakeRule(), header_line, &out_of_memory);
  if (observer != nullptr) observer->SectionEnded(header_line, name, true, stored);
}

// Sets `out_of_memory` when memory ran out while the line was stored.
void ReadRuleLine(const std::string& line, size_t line_number, WorkingLists& lists,
                  LoadObserver* observer, const LoadOptions& options, bool& out_of_memory) {
  std::string key, value;
  if (!SplitKeyValue(line, "=", key, value)) {
    if (observer != nullptr) {
      observer->LineDropped(line_number, line,
                            line.find('=') == std::string::npos ? DropReason::kNoSeparator
                                                                : DropReason::kEmptyKeyOrValue,
                            "");
    }
    return;
  }
  ToUpperAscii(key);
  try {
    // A pattern of a recognised shape always compiles, so it needs no
    // compiled object to be known good.
    if (value.size() > kMaxPatternBytes) {
      if (observer != nullptr) observer->LineDropped(line_number, line, DropReason::kRefusedPattern, "");
      return;
    }
    std::optional<PatternShape> shape;
    if (!options.engineForEveryPattern) shape = RecognizeShape(value);
    std::unique_ptr<Pattern> pattern;
    if (!shape) {
      GateVerdict verdict;
      pattern = CompileKeptPattern(value, &verdict);
      if (pattern == nullptr) {
        if (observer == nullptr) return;
        // For a tool only: syntax the reader does not know may be no pattern
        // at all, and that is what to tell.
        if (verdict.refusal == GateRefusal::kUnread) CompilePattern(value);
        observer->LineDropped(line_number, line, DropReason::kRefusedPattern,
                              value.substr(verdict.begin, verdict.end - verdict.begin));
        return;
      }
    }
    std::optional<RuleKey> rule_key = ParseRuleKey(key);
    if (!rule_key) {
      if (observer != nullptr) observer->LineDropped(line_number, line, DropReason::kUnknownKey, key);
      return;
    }
    PatternList& list = lists.lists.List(*rule_key);
    if (shape) {
      list.push_back(std::move(*shape), value, line_number);
    } else {
      list.push_back(std::move(pattern), line_number);
    }
    if (observer != nullptr) observer->PatternAdded(line_number, line, key, value);
  } catch (const boost::regex_error& error) {
    if (observer != nullptr) {
      observer->LineDropped(line_number, line, DropReason::kBadPattern, error.what());
    }
  } catch (const std::bad_alloc&) {
    out_of_memory = true;
    if (observer != nullptr) observer->LineDropped(line_number, line, DropReason::kOutOfMemory, "");
  }
}

enum class HeaderKind { kNone, kHeader, kBroken };

// A section header: "[", at least one byte that is not a blank or tab, "]",
// with blanks, tabs or carriage returns around the brackets, and on the
// first line after a byte-order mark (Notepad writes one). The name is every
// byte between the brackets. A line meant as a header that is none is a
// broken header, so that what it was meant to start does not fall to the
// section before it (usually the default rule, for every sender):
//   - a line that begins with "[" or a full-width "［" (code page 932 81 6D,
//     as the Japanese input method types it): "[]", "[ ]", "[sales",
//     "[sales] # note", "[sales]=x";
//   - a line without "=" that ends with "]" or "］" ("sales]"), or that is
//     wrapped in parentheses instead ("(sales)").
HeaderKind ClassifyHeader(const std::string& line, bool first_line, std::string* name) {
  size_t first = first_line && line.compare(0, kUtf8BomSize, kUtf8Bom) == 0 ? kUtf8BomSize : 0;
  size_t last = line.size();
  while (first < last && IsBlankOrCr(line[first])) ++first;
  while (last > first && IsBlankOrCr(line[last - 1])) --last;
  if (first == last) return HeaderKind::kNone;
  --last;
  if (line[first] == '[' && line[last] == ']' && last > first + 1) {
    name->assign(line, first + 1, last - first - 1);
    bool blank = std::all_of(name->begin(), name->end(), IsBlank);
    return blank ? HeaderKind::kBroken : HeaderKind::kHeader;
  }
  bool opens = line[first] == '[' || line.compare(first, 2, "\x81\x6D") == 0;
  bool closes = line[last] == ']' || (last > first && line.compare(last - 1, 2, "\x81\x6E") == 0);
  bool parenthesised = line[first] == '(' && line[last] == ')';
  bool has_separator = line.find('=') != std::string::npos;
  if (opens || (!has_separator && (closes || parenthesised))) return HeaderKind::kBroken;
  return HeaderKind::kNone;
}

// A carriage return that is not the line's last byte (one there is a line
// that ended in two, kept as the format says).
bool HasLoneCarriageReturn(const std::string& line) {
  size_t cr = line.find('\r');
  return cr != std::string::npos && cr + 1 < line.size();
}

// Whether what follows a lone carriage return would be a section header,
// broken or not.
bool HeaderAfterLoneCarriageReturn(const std::string& line) {
  std::string name;
  for (size_t cr = line.find('\r'); cr != std::string::npos && cr + 1 < line.size();
       cr = line.find('\r', cr + 1)) {
    if (ClassifyHeader(line.substr(cr + 1), false, &name) != HeaderKind::kNone) return true;
  }
  return false;
}

}  // namespace

bool SplitKeyValue(const std::string& line, const std::string& separator,
                   std::string& key, std::string& value) {
  key.clear();
  value.clear();
  size_t at = line.find(separator);
  if (at == std::string::npos) return false;
  if (at + separator.size() == line.size()) return false;
  key = line.substr(0, at);
  value = line.substr(at + separator.size());
  TrimBlanks(key);
  TrimBlanks(value);
  return !key.empty() && !value.empty();
}

bool LoadAllowConfig(const std::string& path, AllowConfig& config, LoadObserver* observer,
                     LoadOptions options) {
  config.ClearRules();
  config.file.path = path;
  // Until this load has read the file, the store does not describe it.
  config.file.lastWriteTime.reset();

  FileStamp stamp;
  std::string bytes;
  if (!ReadSettledFile(path, &bytes, &stamp)) return false;

  // 0x1A ends the input. A line it cuts short is dropped: its pattern would
  // be cut too, and a shorter pattern usually allows more.
  std::string cut_line;
  size_t stop = bytes.find('\x1A');
  if (stop != std::string::npos) {
    size_t line_start = bytes.rfind('\n', stop);
    line_start = line_start == std::string::npos ? 0 : line_start + 1;
    cut_line = bytes.substr(line_start, stop - line_start);
    bytes.resize(line_start);
  }

  // A last line without a line feed, in a file written a moment ago, may be
  // a save caught half-way: its pattern would be cut, and a cut pattern
  // usually allows more. It is used once the file has been still for
  // kUnendedLineSettleSeconds; until then the store does not describe the
  // file, so the next send reads it again. (Notepad ends a file so.)
  std::string unended_line;
  if (!bytes.empty() && bytes.back() != '\n' && WrittenWithin(stamp, kUnendedLineSettleSeconds)) {
    size_t line_start = bytes.rfind('\n');
    line_start = line_start == std::string::npos ? 0 : line_start + 1;
    unended_line = bytes.substr(line_start);
    bytes.resize(line_start);
  }

  WorkingLists lists;
  bool out_of_memory = false;
  std::string section_name;
  size_t section_line = 0;
  size_t broken_header = 0;  // rule lines under a broken header allow nothing
  size_t line_number = 0;
  std::string line, name;
  // A line meant as a header that is none: what it was meant to start must
  // not fall to the section before it (usually the default rule).
  auto break_section = [&](DropReason reason) {
    if (broken_header == 0) {
      EndSection(config, lists, section_line, section_name, observer, out_of_memory);
    }
    broken_header = line_number;
    if (observer != nullptr) observer->LineDropped(line_number, line, reason, "");
  };
  ForEachLine(bytes, [&](std::string_view text, size_t number) {
    line.assign(text.data(), text.size());
    line_number = number;

    if (line.empty()) return;
    // A carriage return alone inside a line: old editors end lines so, and
    // other readers start a line there. A header after one is a broken
    // header; a rule line with one is dropped.
    if (HasLoneCarriageReturn(line)) {
      if (HeaderAfterLoneCarriageReturn(line)) return break_section(DropReason::kBrokenHeader);
      if (line[0] == '#') return;
      if (observer != nullptr) {
        observer->LineDropped(line_number, line,
                              broken_header != 0 ? DropReason::kUnderBrokenHeader
                                                 : DropReason::kLoneCarriageReturn,
                              broken_header != 0 ? std::to_string(broken_header) : "");
      }
      return;
    }
    if (line[0] == '#') {
      // A header put out of use with "#": the lines under it were its own.
      if (ClassifyHeader(line.substr(1), false, &name) == HeaderKind::kHeader) {
        break_section(DropReason::kCommentedOutHeader);
      }
      return;
    }
    switch (ClassifyHeader(line, line_number == 1, &name)) {
      case HeaderKind::kHeader:
        if (broken_header == 0) {
          EndSection(config, lists, section_line, section_name, observer, out_of_memory);
        }
        broken_header = 0;
        section_name = name;
        section_line = line_number;
        return;
      case HeaderKind::kBroken:
        return break_section(DropReason::kBrokenHeader);
      case HeaderKind::kNone:
        break;
    }
    if (broken_header != 0) {
      if (observer != nullptr) {
        observer->LineDropped(line_number, line, DropReason::kUnderBrokenHeader,
                              std::to_string(broken_header));
      }
      return;
    }
    ReadRuleLine(line, line_number, lists, observer, options, out_of_memory);
  });
  if (broken_header == 0) {
    EndSection(config, lists, section_line, section_name, observer, out_of_memory);
  }
  if (!cut_line.empty() && observer != nullptr) {
    observer->LineDropped(line_number + 1, cut_line, DropReason::kCutByEndOfFile, "");
  }
  if (!unended_line.empty() && observer != nullptr) {
    observer->LineDropped(line_number + 1, unended_line, DropReason::kUnendedWhileFresh, "");
  }

  // A store that lost lines to memory running out, or that waits for a last
  // line to settle, does not describe the file: leave the time unset so that
  // the next check reads it again.
  if (!out_of_memory && unended_line.empty()) {
    config.file.lastWriteTime = stamp.time;
    config.file.lastSize = stamp.size;
  }
  return true;
}

}  // namespace sendwarden
