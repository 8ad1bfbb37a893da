#include "config/config_loader.h"

#include <cstring>
#include <new>
#include <optional>

#include "base/ascii.h"
#include "config/pattern_shape.h"
#include "platform/platform.h"

namespace sendwarden {

namespace {

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

  // The time is taken before the bytes: a write in between then shows as a
  // change at the next check instead of being missed.
  FileTime time;
  bool found = ReadLastWriteTime(path, &time);
  std::string bytes;
  if (!ReadFileBytes(path, &bytes)) return false;

  size_t stop = bytes.find('\x1A');
  if (stop != std::string::npos) bytes.resize(stop);

  WorkingLists lists;
  bool out_of_memory = false;
  std::string section_name;
  size_t section_line = 0;
  size_t line_number = 0;
  size_t cursor = 0;
  std::string line;
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
    if (line[0] == '[' && line.back() == ']' && line.size() != 2) {
      EndSection(config, lists, section_line, section_name, observer, out_of_memory);
      section_name = line.substr(1, line.size() - 2);
      section_line = line_number;
      continue;
    }
    ReadRuleLine(line, line_number, lists, observer, options, out_of_memory);
  }
  EndSection(config, lists, section_line, section_name, observer, out_of_memory);

  // A store that lost lines to memory running out does not describe the file:
  // leave the time unset so that the next check reads it again.
  if (found && !out_of_memory) config.lastWriteTime = time;
  return true;
}

}  // namespace sendwarden
