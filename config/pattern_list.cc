#include "config/pattern_list.h"

#include <algorithm>

namespace sendwarden {

void PatternList::push_back(std::unique_ptr<const Pattern> pattern, size_t line) {
  Entry entry;
  entry.text = pattern->str();
  entry.pattern = std::move(pattern);
  entry.line = static_cast<uint32_t>(line);
  entries_.push_back(std::move(entry));
  indexed_ = false;
}

void PatternList::push_back(PatternShape shape, std::string text, size_t line) {
  Entry entry;
  entry.text = std::move(text);
  entry.literal = std::move(shape.literal);
  entry.line = static_cast<uint32_t>(line);
  entry.start = shape.start;
  entry.end = shape.end;
  entry.ignoreCase = shape.ignoreCase;
  entries_.push_back(std::move(entry));
  indexed_ = false;
}

void PatternList::clear() {
  entries_.clear();
  shapes_ = {};
  foldedShapes_ = {};
  enginePatterns_.clear();
  prefilter_.reset();
  indexed_ = false;
}

void PatternList::BuildIndex() {
  // The list is complete: give back what its growth reserved.
  entries_.shrink_to_fit();
  shapes_ = {};
  foldedShapes_ = {};
  enginePatterns_.clear();
  prefilter_.reset();
  // Backwards, so that each chain ends up in list order.
  for (size_t i = entries_.size(); i-- > 0;) {
    Entry& entry = entries_[i];
    if (!entry.IsShape()) continue;
    ShapeIndex& index = entry.ignoreCase ? foldedShapes_ : shapes_;
    auto inserted = index.first.emplace(std::string_view(entry.literal), static_cast<uint32_t>(i));
    if (!inserted.second) {
      entry.nextSameLiteral = inserted.first->second;
      inserted.first->second = static_cast<uint32_t>(i);
    } else {
      entry.nextSameLiteral = kNone;
      index.lengths.push_back(static_cast<uint32_t>(entry.literal.size()));
    }
  }
  for (ShapeIndex* index : {&shapes_, &foldedShapes_}) {
    std::sort(index->lengths.begin(), index->lengths.end());
    index->lengths.erase(std::unique(index->lengths.begin(), index->lengths.end()),
                         index->lengths.end());
  }

  std::vector<std::string> literals;
  std::vector<bool> folded;
  bool any = false;
  for (size_t i = 0; i < entries_.size(); ++i) {
    Entry& entry = entries_[i];
    if (entry.IsShape()) continue;
    enginePatterns_.push_back(static_cast<uint32_t>(i));
    entry.literal = RequiredLiteral(entry.text);
    entry.ignoreCase = false;
    if (entry.literal.empty()) {
      entry.literal = RequiredFoldedLiteral(entry.text);
      entry.ignoreCase = !entry.literal.empty();
    }
    literals.push_back(entry.literal);
    folded.push_back(entry.ignoreCase);
    any = any || !literals.back().empty();
  }
  // A list in which no engine pattern has a literal gains nothing from one.
  if (any) prefilter_ = std::make_unique<const LiteralPrefilter>(literals, folded);
  indexed_ = true;
}

// A shape ends where the text ends, or one byte before a final ">". So for
// every literal length in the list, the text's last bytes (before a final
// ">" too) are the only literals of that length that can stand there; the
// chain of shapes with that literal then says which start and end hold.
uint32_t PatternList::FirstShapeFound(std::string_view text) const {
  uint32_t first = FirstIn(shapes_, text, text, kNone);
  if (foldedShapes_.first.empty()) return first;
  return FirstIn(foldedShapes_, text, FoldCase(text), first);
}

uint32_t PatternList::FirstIn(const ShapeIndex& index, std::string_view text,
                              std::string_view key, uint32_t first) const {
  const bool angle = !text.empty() && text.back() == '>';
  for (uint32_t length : index.lengths) {
    for (int before_angle = 0; before_angle <= (angle ? 1 : 0); ++before_angle) {
      size_t q = text.size() - before_angle;
      if (q < length) continue;
      auto found = index.first.find(key.substr(q - length, length));
      if (found == index.first.end()) continue;
      for (uint32_t i = found->second; i != kNone && i < first; i = entries_[i].nextSameLiteral) {
        const Entry& entry = entries_[i];
        bool end_holds = before_angle == 0 || entry.end == PatternShape::End::kOptionalAngleEnd;
        if (end_holds && ShapeStartHolds(entry.start, text, q - length)) {
          first = i;
          break;
        }
      }
    }
  }
  return first;
}

void PatternList::EngineCandidates(const std::string& text, std::vector<uint32_t>* out) const {
  if (prefilter_ == nullptr) {
    *out = enginePatterns_;
    return;
  }
  prefilter_->Candidates(text, out);
  for (uint32_t& index : *out) index = enginePatterns_[index];
}

}  // namespace sendwarden
