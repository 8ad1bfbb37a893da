// An ordered list of compiled patterns, each with the configuration line it
// came from, and an optional prefilter that tells which of them can possibly
// be found in a text.
#ifndef SENDWARDEN_CONFIG_PATTERN_LIST_H_
#define SENDWARDEN_CONFIG_PATTERN_LIST_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "base/pattern.h"
#include "config/literal_prefilter.h"

namespace sendwarden {

class PatternList {
 public:
  struct Entry {
    std::unique_ptr<const Pattern> pattern;
    size_t line = 0;  // 1-based line of the configuration file; 0 when unknown
  };

  // Appends a pattern; any prefilter is dropped, since it no longer covers
  // the whole list.
  void push_back(std::unique_ptr<const Pattern> pattern, size_t line = 0) {
    entries_.push_back({std::move(pattern), line});
    prefilter_.reset();
  }
  void clear() {
    entries_.clear();
    prefilter_.reset();
  }

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const Pattern& operator[](size_t i) const { return *entries_[i].pattern; }
  const Entry& entry(size_t i) const { return entries_[i]; }
  std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
  std::vector<Entry>::const_iterator end() const { return entries_.end(); }

  // Indexes the patterns' required literals (done once the list is complete,
  // at load). Without a prefilter every pattern is a candidate.
  void BuildPrefilter();
  void DropPrefilter() { prefilter_.reset(); }
  const LiteralPrefilter* prefilter() const { return prefilter_.get(); }

 private:
  std::vector<Entry> entries_;
  std::unique_ptr<const LiteralPrefilter> prefilter_;
};

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_LIST_H_
