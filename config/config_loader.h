// Reads Sendwarden.conf into the rule store.
//
// The file is lines of bytes in the system's code page. A line feed ends a
// line; one carriage return right before it goes with it; byte 0x1A ends the
// input. Each line, exactly as read, is one of:
//   ""                 ignored
//   "#..."             comment (only at the very first byte)
//   "[name]"           starts a sender section; name is every byte between
//                      the brackets (at least one), used as a pattern
//   "KEY = pattern"    KEY is ALL, TO, CC or BCC in any letter case
// Rule lines before the first header form the default rule. Anything that
// cannot be used is dropped without a word: the plug-in cannot argue with a
// user in the middle of a send. A LoadObserver hears about every drop.
#ifndef SENDWARDEN_CONFIG_CONFIG_LOADER_H_
#define SENDWARDEN_CONFIG_CONFIG_LOADER_H_

#include <cstddef>
#include <string>

#include "config/rule_store.h"

namespace sendwarden {

enum class DropReason {
  kNoSeparator,       // no "=" (or "=" is the last byte)
  kEmptyKeyOrValue,   // key or value empty after trimming
  kBadPattern,        // the value does not compile; detail = engine's message
  kUnknownKey,        // key is none of ALL, TO, CC, BCC
  kOutOfMemory,       // memory ran out while the line was compiled or stored
};

// Hears what the loader does with each line, for tools that explain a
// configuration. The plug-in itself passes none.
class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  virtual void LineDropped(size_t /*lineNumber*/, const std::string& /*line*/,
                           DropReason /*reason*/, const std::string& /*detail*/) {}
  virtual void PatternAdded(size_t /*lineNumber*/, const std::string& /*line*/,
                            const std::string& /*key*/, const std::string& /*pattern*/) {}
  // A section ended. `headerLine` is 0 for the default section. `hadRules`
  // is false when no usable rule line was in it (nothing is stored);
  // otherwise `stored` says whether its name compiled.
  virtual void SectionEnded(size_t /*headerLine*/, const std::string& /*name*/,
                            bool /*hadRules*/, bool /*stored*/) {}
};

// How patterns are kept. By default a pattern of a recognised shape
// (pattern_shape.h) is kept without the engine's compiled object; with
// engineForEveryPattern every pattern is compiled, as benchmarks and tests
// compare.
struct LoadOptions {
  bool engineForEveryPattern = false;
};

// Empties `config`, records `path` as its configPath, and fills it from the
// file. Returns false when the file cannot be read (the store stays empty
// and lastWriteTime is cleared, so the next ReloadIfChanged tries again);
// true otherwise. lastWriteTime is set to the time of the file that was read,
// unless memory ran out on the way and lines were lost. Lines that memory ran
// out for are dropped like any unusable line; an allocation failure anywhere
// else leaves the function with std::bad_alloc and the store partly filled.
bool LoadAllowConfig(const std::string& path, AllowConfig& config,
                     LoadObserver* observer = nullptr, LoadOptions options = LoadOptions());

// Splits `line` at the first `separator` and trims both halves. True when both
// are non-empty. `key` and `value` are overwritten (empty when there is no
// separator or it ends the line).
bool SplitKeyValue(const std::string& line, const std::string& separator,
                   std::string& key, std::string& value);

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_CONFIG_LOADER_H_
