// An ordered list of compiled patterns, with an optional prefilter that tells
// which of them can possibly be found in a text.
#ifndef SENDWARDEN_CONFIG_PATTERN_LIST_H_
#define SENDWARDEN_CONFIG_PATTERN_LIST_H_

#include <memory>
#include <string>
#include <vector>

#include "config/literal_prefilter.h"
#include "config/pattern.h"

namespace sendwarden {

class PatternList {
 public:
  using Patterns = std::vector<std::unique_ptr<const Pattern>>;

  // Appends a pattern; any prefilter is dropped, since it no longer covers
  // the whole list.
  void push_back(std::unique_ptr<const Pattern> pattern) {
    patterns_.push_back(std::move(pattern));
    prefilter_.reset();
  }
  void clear() {
    patterns_.clear();
    prefilter_.reset();
  }

  size_t size() const { return patterns_.size(); }
  bool empty() const { return patterns_.empty(); }
  const std::unique_ptr<const Pattern>& operator[](size_t i) const { return patterns_[i]; }
  const std::unique_ptr<const Pattern>& front() const { return patterns_.front(); }
  Patterns::const_iterator begin() const { return patterns_.begin(); }
  Patterns::const_iterator end() const { return patterns_.end(); }

  // Indexes the patterns' required literals (done once the list is complete,
  // at load). Without a prefilter every pattern is a candidate.
  void BuildPrefilter();
  void DropPrefilter() { prefilter_.reset(); }
  const LiteralPrefilter* prefilter() const { return prefilter_.get(); }

 private:
  Patterns patterns_;
  std::unique_ptr<const LiteralPrefilter> prefilter_;
};

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_LIST_H_
