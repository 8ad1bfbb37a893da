// An ordered list of patterns, each with the configuration line it came
// from, and the indexes that tell quickly which of them can be found in a
// text: a hash of the literals of the patterns the engine is not needed for
// (pattern_shape.h), and a literal prefilter over the rest.
#ifndef SENDWARDEN_CONFIG_PATTERN_LIST_H_
#define SENDWARDEN_CONFIG_PATTERN_LIST_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/pattern.h"
#include "config/literal_prefilter.h"
#include "config/pattern_shape.h"

namespace sendwarden {

class PatternList {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  struct Entry {
    std::unique_ptr<const Pattern> pattern;  // the engine's; null for a shape
    std::string text;                        // the pattern as written
    // A shape's literal; for an engine pattern, once the list is indexed,
    // what every match contains (RequiredLiteral, or with ignoreCase
    // RequiredFoldedLiteral, in the folded text), "" when nothing is known.
    std::string literal;
    uint32_t line = 0;                       // 1-based line of the file; 0 when unknown
    uint32_t nextSameLiteral = kNone;        // the next shape with the same literal
    PatternShape::Start start = PatternShape::Start::kAnywhere;
    PatternShape::End end = PatternShape::End::kTextEnd;
    bool ignoreCase = false;  // after "(?i)": `literal` is folded (FoldCase)

    bool IsShape() const { return pattern == nullptr; }
  };

  // Appends a compiled pattern, or a pattern of a recognised shape. Either
  // drops the indexes, which no longer cover the whole list.
  void push_back(std::unique_ptr<const Pattern> pattern, size_t line = 0);
  void push_back(PatternShape shape, std::string text, size_t line = 0);
  void clear();

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const Entry& entry(size_t i) const { return entries_[i]; }
  std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
  std::vector<Entry>::const_iterator end() const { return entries_.end(); }

  // Builds the indexes, once the list is complete (at load).
  void BuildIndex();
  bool indexed() const { return indexed_; }

  // With the indexes: the first shape found in `text`, or kNone.
  uint32_t FirstShapeFound(std::string_view text) const;

  // With the indexes: the engine patterns that can be found in `text`, in
  // list order (those whose required literal occurs in it, and those without
  // one).
  void EngineCandidates(const std::string& text, std::vector<uint32_t>* out) const;

  // With the indexes: every engine pattern's index, in list order.
  const std::vector<uint32_t>& EnginePatterns() const { return enginePatterns_; }

 private:
  std::vector<Entry> entries_;
  bool indexed_ = false;
  // Shape literal -> the first shape with it; the others follow by
  // nextSameLiteral, in list order. The keys view the literals held by
  // entries_, so entries_ must not change once the index is built.
  // The shapes that ignore case have an index of their own, looked up with
  // the text in lower case.
  struct ShapeIndex {
    std::unordered_map<std::string_view, uint32_t> first;
    std::vector<uint32_t> lengths;  // distinct literal lengths, ascending
  };
  ShapeIndex shapes_;
  ShapeIndex foldedShapes_;
  std::vector<uint32_t> enginePatterns_;  // entry index of each engine pattern
  std::unique_ptr<const LiteralPrefilter> prefilter_;  // over enginePatterns_

  // The first shape of `index` that stands at the end of `text` (`key`: the
  // text the index is looked up with), below `first`, or `first`.
  uint32_t FirstIn(const ShapeIndex& index, std::string_view text, std::string_view key,
                   uint32_t first) const;
};

}  // namespace sendwarden

#endif  // SENDWARDEN_CONFIG_PATTERN_LIST_H_
