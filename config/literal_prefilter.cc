#include "config/literal_prefilter.h"

#include "config/aho_corasick.h"
#include "config/pattern_syntax.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace sendwarden {

namespace {

bool HasFlags(const std::vector<PatternBranch>& branches) {
  for (const PatternBranch& branch : branches) {
    for (const PatternItem& item : branch) {
      if (item.kind == PatternItem::Kind::kFlags || HasFlags(item.alternatives)) return true;
    }
  }
  return false;
}

}  // namespace

// Why the result is required: a modelled pattern of one top-level branch is
// a concatenation, so every match consumes, left to right, one match of each
// item in turn. An unquantified byte item consumes exactly that byte, and
// consecutive ones consume consecutive bytes. Every other item (quantified
// ones too) only ends the current run. So each run, and the longest kept,
// occurs in every match, hence in every text the pattern is found in.
// Nothing inside a group counts. Inline options (case-insensitive, say)
// would make a byte stand for more than itself, so they give up too.
std::string RequiredLiteral(const std::string& pattern) {
  PatternSyntax syntax = ReadPatternSyntax(pattern);
  if (!syntax.modelled || syntax.branches.size() != 1 || HasFlags(syntax.branches)) return "";
  std::string run, best;
  auto cut = [&] {
    if (run.size() > best.size()) best = run;
    run.clear();
  };
  for (const PatternItem& item : syntax.branches[0]) {
    if (item.kind == PatternItem::Kind::kByte && !item.Quantified()) {
      run += item.byte;
    } else {
      cut();
    }
  }
  cut();
  return best;
}

LiteralPrefilter::LiteralPrefilter(const std::vector<std::string>& literals) {
  // Literal texts, each once, with the patterns that require them.
  std::unordered_map<std::string, uint32_t> ids;
  std::vector<const std::string*> texts;
  for (uint32_t index = 0; index < literals.size(); ++index) {
    if (literals[index].empty()) {
      always_.push_back(index);
      continue;
    }
    auto inserted = ids.emplace(literals[index], static_cast<uint32_t>(texts.size()));
    if (inserted.second) {
      texts.push_back(&inserted.first->first);
      literalPatterns_.emplace_back();
    }
    literalPatterns_[inserted.first->second].push_back(index);
  }

  automaton_ = std::make_unique<AhoCorasick>(texts);
}

void LiteralPrefilter::Candidates(const std::string& text, std::vector<uint32_t>* out) const {
  out->clear();
  std::vector<uint32_t> found;
  automaton_->Matches(text, &found);
  for (uint32_t literal : found) {
    const auto& patterns = literalPatterns_[literal];
    out->insert(out->end(), patterns.begin(), patterns.end());
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
