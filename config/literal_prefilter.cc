#include "config/literal_prefilter.h"

#include "config/aho_corasick.h"
#include "config/pattern_shape.h"
#include "config/pattern_syntax.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace sendwarden {

namespace {

using Kind = PatternItem::Kind;

bool HasFlags(const std::vector<PatternBranch>& branches) {
  return AnyItem(branches, [](const PatternItem& item) { return item.kind == Kind::kFlags; });
}

// The longest run of unquantified byte items from `from` on; with
// `ascii_only`, a byte of 0x80 and above ends a run too.
std::string LongestRun(const PatternBranch& items, size_t from, bool ascii_only) {
  std::string run, best;
  auto cut = [&] {
    if (run.size() > best.size()) best = run;
    run.clear();
  };
  for (size_t i = from; i < items.size(); ++i) {
    const PatternItem& item = items[i];
    bool byte = item.kind == Kind::kByte && !item.Quantified() &&
                !(ascii_only && static_cast<unsigned char>(item.byte) >= 0x80);
    if (byte) {
      run += item.byte;
    } else {
      cut();
    }
  }
  cut();
  return best;
}

}  // namespace

// Why the result is required: a modelled pattern of one top-level branch is
// a concatenation, so every match consumes, left to right, one match of each
// item in turn. An unquantified byte item consumes exactly that byte, and
// consecutive ones consume consecutive bytes. Every other item (quantified
// ones too, look-arounds, back-references, classes) only ends the current
// run. So each run, and the longest kept, occurs in every match, hence in
// every text the pattern is found in. Nothing inside a group counts. Inline
// options (case-insensitive, say) would make a byte stand for more than
// itself, so they give up too.
std::string RequiredLiteral(const std::string& pattern) {
  PatternSyntax syntax = ReadPatternSyntax(pattern);
  if (!syntax.modelled || syntax.branches.size() != 1 || HasFlags(syntax.branches)) return "";
  return LongestRun(syntax.branches[0], 0, false);
}

// The same argument after a leading "(?i)": each ASCII byte item then
// consumes one byte of its case class, and FoldCase maps every byte to its
// class exactly as the engine compares (else it gives nothing here), so the
// folded run occurs in the folded text of every match.
std::string RequiredFoldedLiteral(const std::string& pattern) {
  if (!FoldCaseIsTheEngines()) return "";
  PatternSyntax syntax = ReadPatternSyntax(pattern);
  if (!syntax.modelled || syntax.branches.size() != 1) return "";
  PatternBranch& items = syntax.branches[0];
  if (items.empty() || items[0].kind != Kind::kFlags || items[0].Quantified() ||
      pattern.compare(items[0].begin, items[0].end - items[0].begin, "(?i)") != 0) {
    return "";
  }
  std::vector<PatternBranch> rest(1, PatternBranch(items.begin() + 1, items.end()));
  if (HasFlags(rest)) return "";
  return FoldCase(LongestRun(items, 1, true));
}

LiteralPrefilter::LiteralPrefilter(const std::vector<std::string>& literals,
                                   const std::vector<bool>& folded) {
  // Literal texts, each once per way of finding it, with the patterns that
  // require them.
  std::unordered_map<std::string, uint32_t> ids[2];
  std::vector<const std::string*> texts[2];
  for (uint32_t index = 0; index < literals.size(); ++index) {
    if (literals[index].empty()) {
      always_.push_back(index);
      continue;
    }
    int way = index < folded.size() && folded[index] ? 1 : 0;
    auto inserted = ids[way].emplace(literals[index], static_cast<uint32_t>(texts[way].size()));
    if (inserted.second) {
      texts[way].push_back(&inserted.first->first);
      literalPatterns_[way].emplace_back();
    }
    literalPatterns_[way][inserted.first->second].push_back(index);
  }
  automaton_ = std::make_unique<AhoCorasick>(texts[0]);
  if (!texts[1].empty()) foldedAutomaton_ = std::make_unique<AhoCorasick>(texts[1]);
}

void LiteralPrefilter::Candidates(const std::string& text, std::vector<uint32_t>* out) const {
  out->clear();
  std::vector<uint32_t> found;
  automaton_->Matches(text, &found);
  for (uint32_t literal : found) {
    const auto& patterns = literalPatterns_[0][literal];
    out->insert(out->end(), patterns.begin(), patterns.end());
  }
  if (foldedAutomaton_ != nullptr) {
    found.clear();
    foldedAutomaton_->Matches(FoldCase(text), &found);
    for (uint32_t literal : found) {
      const auto& patterns = literalPatterns_[1][literal];
      out->insert(out->end(), patterns.begin(), patterns.end());
    }
  }
  if (!out->empty()) {
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
  }
  if (!always_.empty()) {
    std::vector<uint32_t> merged;
    merged.reserve(out->size() + always_.size());
    std::merge(out->begin(), out->end(), always_.begin(), always_.end(),
               std::back_inserter(merged));
    out->swap(merged);
  }
}

}  // namespace sendwarden
