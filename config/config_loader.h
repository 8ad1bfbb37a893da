// Reads Sendwarden.conf into the rule store.
//
// The file is lines of bytes in the system's code page. A line feed ends a
// line; one carriage return right before it goes with it; byte 0x1A ends the
// input, and a line it cuts short is dropped. Each line is one of:
//   ""                 ignored
//   "#..."             comment (only at the very first byte)
//   "[name]"           starts a sender section; name is every byte between
//                      the brackets (at least one), used as a pattern;
//                      blanks, tabs and carriage returns may stand around the
//                      brackets, and a byte-order mark before them on line 1
//   "[..." or "...]"   without "=" and not a header: a broken header; the
//                      rule lines after it, up to the next header, are dropped;
//                      so is a comment "#[name]" (a header put out of use),
//                      and a header after a carriage return alone inside a
//                      line (old editors end lines so)
//   "KEY = pattern"    KEY is ALL, TO, CC or BCC in any letter case
// Rule lines before the first header form the default rule. Anything that
// cannot be used is dropped without a word: the plug-in cannot argue with a
// user in the middle of a send. Every mistake narrows what is allowed, never
// widens it. A LoadObserver hears about every drop.
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
  kBrokenHeader,      // a line meant as a section header that is none ("[]", "[x", "x]")
  kUnderBrokenHeader, // a rule line under a broken header; detail = the header's line number
  kCutByEndOfFile,    // a line cut short by byte 0x1A, which ends the input
  kRefusedPattern,    // the gate does not keep the pattern (pattern_gate.h); detail = the construct
  kCommentedOutHeader,  // "#[...]": a header put out of use; the lines under it are dropped
  kLoneCarriageReturn,  // a rule line with a carriage return inside it
  kUnendedWhileFresh,   // a last line without a line feed in a file written a moment ago
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

// Empties `config`, records `path` as its file.path, and fills it from the
// file once it holds still (ReadSettledFile). Returns false when the file
// cannot be read whole, or kept changing (the store stays empty
// and file.lastWriteTime is cleared, so the next ReloadIfChanged tries again);
// true otherwise. file.lastWriteTime and lastSize are set to the stamp of the file that was read,
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
