#include "config/config_loader.h"

#include <cstring>
#include <new>
#include <optional>

#include "base/ascii.h"
#include "config/pattern_shape.h"
#include "config/settled_read.h"
#include "platform/platform.h"

namespace sendwarden {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// The rule lines of the section being read, until its end hands them over.
struct WorkingLists {
  PatternList all, to, cc, bcc;

  bool Empty() const { return all.empty() && to.empty() && cc.empty() && bcc.empty(); }

  PatternList* ForKey(const std::string& key) {
    if (key == "ALL") return &all;
    if (key == "TO") return &to;
    if (key == "CC") return &cc;
    if (key == "BCC") return &bcc;
    return nullptr;
  }

  std::unique_ptr<RecipientRule> TakeRule() {
    auto rule = std::make_unique<RecipientRule>();
    rule->allPatterns = std::move(all);
    rule->toPatterns = std::move(to);
    rule->ccPatterns = std::move(cc);
    rule->bccPatterns = std::move(bcc);
    all.clear(), to.clear(), cc.clear(), bcc.clear();
    for (PatternList* list : {&rule->allPatterns, &rule->toPatterns, &rule->ccPatterns,
                              &rule->bccPatterns}) {
      list->BuildIndex();
    }
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
    std::optional<PatternShape> shape;
    if (!options.engineForEveryPattern) shape = RecognizeShape(value);
    std::unique_ptr<Pattern> pattern;
    if (!shape) pattern = CompilePattern(value);
    PatternList* list = lists.ForKey(key);
    if (list == nullptr) {
      if (observer != nullptr) observer->LineDropped(line_number, line, DropReason::kUnknownKey, key);
      return;
    }
    if (shape) {
      list->push_back(std::move(*shape), value, line_number);
    } else {
      list->push_back(std::move(pattern), line_number);
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

// A section header: "[", at least one byte, "]", with blanks, tabs or
// carriage returns around the brackets, and on the first line after a
// byte-order mark (Notepad writes one). The name is every byte between the
// brackets. A line without "=" that begins with "[" or ends with "]" but is
// no header ("[]", "[sales", "[sales] x", "sales]") is a broken header: what
// it was meant to start must not fall to the section before it.
HeaderKind ClassifyHeader(const std::string& line, bool first_line, std::string* name) {
  size_t start = first_line && line.compare(0, sizeof kUtf8Bom - 1, kUtf8Bom) == 0
                     ? sizeof kUtf8Bom - 1
                     : 0;
  size_t first = line.find_first_not_of(" \t\r", start);
  if (first == std::string::npos) return HeaderKind::kNone;
  size_t last = line.find_last_not_of(" \t\r");
  bool opens = line[first] == '[';
  bool closes = line[last] == ']';
  if (opens && closes && last > first + 1) {
    name->assign(line, first + 1, last - first - 1);
    return HeaderKind::kHeader;
  }
  if ((opens || closes) && line.find('=') == std::string::npos) return HeaderKind::kBroken;
  return HeaderKind::kNone;
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
  config.configPath = path;
  // Until this load has read the file, the store does not describe it.
  config.lastWriteTime.reset();

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

  WorkingLists lists;
  bool out_of_memory = false;
  std::string section_name;
  size_t section_line = 0;
  size_t broken_header = 0;  // rule lines under a broken header allow nothing
  size_t line_number = 0;
  size_t cursor = 0;
  std::string line, name;
  while (cursor < bytes.size()) {
    size_t line_end = bytes.find('\n', cursor);
    size_t next = line_end == std::string::npos ? bytes.size() : line_end + 1;
    if (line_end == std::string::npos) {
      line_end = bytes.size();
    } else if (line_end > cursor && bytes[line_end - 1] == '\r') {
      --line_end;
    }
    line.assign(bytes, cursor, line_end - cursor);
    cursor = next;
    ++line_number;

    if (line.empty() || line[0] == '#') continue;
    switch (ClassifyHeader(line, line_number == 1, &name)) {
      case HeaderKind::kHeader:
        if (broken_header == 0) {
          EndSection(config, lists, section_line, section_name, observer, out_of_memory);
        }
        broken_header = 0;
        section_name = name;
        section_line = line_number;
        continue;
      case HeaderKind::kBroken:
        if (broken_header == 0) {
          EndSection(config, lists, section_line, section_name, observer, out_of_memory);
        }
        broken_header = line_number;
        if (observer != nullptr) {
          observer->LineDropped(line_number, line, DropReason::kBrokenHeader, "");
        }
        continue;
      case HeaderKind::kNone:
        break;
    }
    if (broken_header != 0) {
      if (observer != nullptr) {
        observer->LineDropped(line_number, line, DropReason::kUnderBrokenHeader,
                              std::to_string(broken_header));
      }
      continue;
    }
    ReadRuleLine(line, line_number, lists, observer, options, out_of_memory);
  }
  if (broken_header == 0) {
    EndSection(config, lists, section_line, section_name, observer, out_of_memory);
  }
  if (!cut_line.empty() && observer != nullptr) {
    observer->LineDropped(line_number + 1, cut_line, DropReason::kCutByEndOfFile, "");
  }

  // A store that lost lines to memory running out does not describe the file:
  // leave the time unset so that the next check reads it again.
  if (!out_of_memory) config.lastWriteTime = stamp.time;
  return true;
}

}  // namespace sendwarden
