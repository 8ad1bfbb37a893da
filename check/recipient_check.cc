#include "check/recipient_check.h"

#include <cstdint>

namespace sendwarden {

namespace {

// One walk over the rules of a store, in one of three ways of finding the
// first pattern of a list found in an entry:
//   - kEvery tests every pattern in list order: a shape by its own test
//     (pattern_shape.h, exactly the engine's answer), every other pattern
//     with the engine;
//   - kIndexed asks the list's indexes: the first shape found (by hashing
//     the entry's tail), and the engine patterns whose required literal the
//     Aho-Corasick automaton finds in the entry, run before that shape in
//     list order;
//   - kConfirm does the same, but looks each engine pattern's literal up in
//     the entry on its own, without the automaton.
// A pattern any of them skips cannot match the entry, so each finds the
// pattern kEvery finds.
enum class Way { kEvery, kIndexed, kConfirm };

class Walk {
 public:
  Walk(Way way, RejectionLog& log) : way_(way), log_(log) {}

  // The first pattern of `list` found in `entry`, or null.
  const PatternList::Entry* FirstFound(const PatternList& list, const std::string& entry) {
    if (way_ == Way::kEvery || !list.indexed()) {
      for (const PatternList::Entry& candidate : list) {
        if (Found(candidate, entry)) return &candidate;
      }
      return nullptr;
    }
    uint32_t shape = list.FirstShapeFound(entry);
    if (way_ == Way::kIndexed) {
      list.EngineCandidates(entry, &candidates_);
      for (uint32_t index : candidates_) {
        if (index > shape) break;
        if (Found(list.entry(index), entry)) return &list.entry(index);
      }
    } else {
      folded_.clear();
      for (uint32_t index : list.EnginePatterns()) {
        if (index > shape) break;
        const PatternList::Entry& candidate = list.entry(index);
        if (!candidate.literal.empty()) {
          if (candidate.ignoreCase && folded_.empty()) folded_ = FoldCase(entry);
          const std::string& text = candidate.ignoreCase ? folded_ : entry;
          if (text.find(candidate.literal) == std::string::npos) continue;
        }
        if (Found(candidate, entry)) return &candidate;
      }
    }
    return shape == PatternList::kNone ? nullptr : &list.entry(shape);
  }

  // The pattern test. When the engine gives up on a search, a pattern whose
  // required literal is absent from the entry still counts as not found: it
  // cannot match, and it is exactly the pattern the indexed walks skip, so
  // every walk gives the same answer and breaks on the same searches.
  static bool Found(const PatternList::Entry& candidate, const std::string& entry) {
    if (candidate.IsShape()) {
      return ShapeFound(candidate.start, candidate.end, candidate.literal, candidate.ignoreCase,
                        entry);
    }
    try {
      return PatternFound(*candidate.pattern, entry);
    } catch (const boost::regex_error& error) {
      std::string literal = RequiredLiteral(candidate.text);
      if (!literal.empty() && entry.find(literal) == std::string::npos) return false;
      literal = RequiredFoldedLiteral(candidate.text);
      if (!literal.empty() && FoldCase(entry).find(literal) == std::string::npos) return false;
      throw SearchGaveUp(error.what(), candidate.line, candidate.text, entry);
    }
  }

  // CheckList; `decisions`, when given, gets every entry tested, in order.
  bool List(const PatternList& list, std::string& text, CheckMode mode, Field field,
            std::vector<EntryTrace>* decisions) {
    if (text.empty()) return true;
    if (list.empty()) return false;

    const bool collect = mode != CheckMode::kStrict;
    std::string remainder;
    bool left = false;
    // Not ForEachLine: a lone carriage return is an entry here, one that is
    // empty once the CR is gone and is still tested.
    size_t cursor = 0;
    while (cursor < text.size()) {
      size_t line_end = text.find('\n', cursor);
      if (line_end == std::string::npos) line_end = text.size();
      line_.assign(text, cursor, line_end - cursor);
      cursor = line_end + 1;

      if (line_.empty()) continue;
      if (line_.back() == '\r') line_.pop_back();
      const PatternList::Entry* found = FirstFound(list, line_);
      if (decisions != nullptr) decisions->push_back({field, line_, found});
      if (found != nullptr) continue;

      if (!collect) {
        log_.push_back(line_);
        return false;
      }
      remainder += line_;
      remainder += '\n';
      left = true;
    }
    if (!collect) return true;
    text.swap(remainder);
    return !left;
  }

  bool Rule(const RecipientRule& rule, Recipients& texts, CheckMode mode, RuleTrace* trace) {
    bool all_ok = true;
    for (Field field : kAddressFields) {
      const PatternList& own = OwnList(rule, field);
      std::string copy;
      std::string& text = mode == CheckMode::kStrict ? (copy = texts.Lines(field)) : texts.Lines(field);
      size_t logged = log_.size();
      std::vector<EntryTrace> by_all, by_own;
      bool ok = List(rule.List(RuleKey::kAll), text, CheckMode::kCollect, field, trace ? &by_all : nullptr);
      if (!ok) ok = List(own, text, mode, field, trace ? &by_own : nullptr);
      if (trace != nullptr) {
        Merge(by_all, by_own, rule.List(RuleKey::kAll).empty(), text, field, mode, ok, trace);
        trace->named = log_.size() > logged;
      }
      if (!ok) {
        all_ok = false;
        if (mode == CheckMode::kStrict) return false;
      }
    }
    return all_ok;
  }

 private:
  static const PatternList& OwnList(const RecipientRule& rule, Field field) {
    switch (field) {
      case Field::kTo: return rule.List(RuleKey::kTo);
      case Field::kCc: return rule.List(RuleKey::kCc);
      case Field::kBcc: return rule.List(RuleKey::kBcc);
    }
    return rule.List(RuleKey::kTo);
  }

  // One entry per tested entry of the field: what ALL allowed, and for the
  // rest what the field's own list allowed, matched up in order (the own
  // list saw ALL's remainder, in which an entry that is empty is skipped).
  // A section that failed on this field ends at the entry it stopped at.
  static void Merge(const std::vector<EntryTrace>& by_all, const std::vector<EntryTrace>& by_own,
                    bool all_empty, const std::string& untested, Field field, CheckMode mode,
                    bool ok, RuleTrace* trace) {
    std::vector<EntryTrace> merged;
    if (all_empty) {
      merged = by_own;
    } else {
      size_t next = 0;
      for (const EntryTrace& entry : by_all) {
        merged.push_back(entry);
        merged.back().byAll = entry.allowedBy != nullptr;
        if (entry.allowedBy == nullptr && !entry.entry.empty() && next < by_own.size()) {
          merged.back() = by_own[next++];
        }
      }
    }
    // An empty own list tests nothing: what it was given stays unallowed.
    if (merged.empty() && !ok) {
      size_t cursor = 0;
      while (cursor < untested.size()) {
        size_t end = untested.find('\n', cursor);
        if (end == std::string::npos) end = untested.size();
        std::string entry = untested.substr(cursor, end - cursor);
        cursor = end + 1;
        if (entry.empty()) continue;
        if (entry.back() == '\r') entry.pop_back();
        merged.push_back({field, entry, nullptr});
      }
    }
    for (EntryTrace& entry : merged) {
      trace->entries.push_back(std::move(entry));
      if (mode == CheckMode::kStrict && !ok && trace->entries.back().allowedBy == nullptr) break;
    }
  }

  const Way way_;
  RejectionLog& log_;
  std::string line_;                 // reused for every entry
  std::vector<uint32_t> candidates_;  // reused for every prefiltered search
  std::string folded_;                // the entry folded, when a literal needs it
};

// The sender pattern's test, which gives up as a list's does.
bool SenderFound(const SenderSection& section, const std::string& sender) {
  try {
    return PatternFound(*section.senderPattern, sender);
  } catch (const boost::regex_error& error) {
    throw SearchGaveUp(error.what(), static_cast<uint32_t>(section.headerLine),
                       section.senderPattern->str(), sender);
  }
}

Verdict WalkRules(const AllowConfig& config, const Recipients& recipients, Way way,
                  CheckTrace* trace) {
  Verdict verdict;
  Walk walk(way, verdict.rejectionLog);
  Recipients texts = recipients;
  if (config.defaultRule != nullptr) {
    RuleTrace* rule_trace = nullptr;
    if (trace != nullptr) {
      trace->rules.emplace_back();
      rule_trace = &trace->rules.back();
      rule_trace->isDefault = true;
    }
    if (walk.Rule(*config.defaultRule, texts, CheckMode::kCollect, rule_trace)) {
      if (rule_trace != nullptr) rule_trace->allowed = true;
      verdict.allowed = true;
      verdict.allowedBy = Decider::kDefaultRule;
      return verdict;
    }
  }
  for (size_t index = 0; index < config.sections.size(); ++index) {
    const SenderSection& section = config.sections[index];
    RuleTrace* rule_trace = nullptr;
    if (trace != nullptr) {
      trace->rules.emplace_back();
      rule_trace = &trace->rules.back();
      rule_trace->section = index;
    }
    if (!SenderFound(section, recipients.sender)) {
      if (rule_trace != nullptr) rule_trace->applies = false;
      continue;
    }
    if (walk.Rule(*section.rule, texts, CheckMode::kStrict, rule_trace)) {
      if (rule_trace != nullptr) rule_trace->allowed = true;
      verdict.rejectionLog.clear();
      verdict.allowed = true;
      verdict.allowedBy = Decider::kSection;
      verdict.section = index;
      return verdict;
    }
  }
  return verdict;
}

}  // namespace

// Why the prefilter cannot change an answer.
//
// 1. A prefiltered search finds a pattern only by testing it, so "found with
//    the prefilter" implies "found by the exact walk"; the prefilter can only
//    lose matches, never add one. (With a sound literal it loses none, and
//    both find the same first pattern: the trace of an allowed send is the
//    exact walk's too.)
// 2. The decision is monotone in the matches: with more matches the default
//    rule allows a superset of entries, leaves a subset for the sections,
//    and each section then allows a superset of what it allowed before. So
//    losing matches can only turn an allow into a refusal, never a refusal
//    into an allow: if the prefiltered walk allows, the exact walk allows.
// 3. An allow is therefore final, and a refusal is walked again and its
//    rejection log (the notice) comes from that second walk. The second walk
//    skips only what is proven not to match each entry on its own (the
//    shapes whose literal does not end it, the engine patterns whose literal
//    it lacks), without the automaton: a refusal costs what an allowance does.
// Errors agree too: a search the engine gives up on breaks both walks, unless
// the pattern's literal is absent, when both count it as not found (Found).
Verdict CheckRecipients(const AllowConfig& config, const Recipients& recipients,
                        CheckTrace* trace, Search search) {
  if (search == Search::kExact) return WalkRules(config, recipients, Way::kEvery, trace);
  Verdict fast = WalkRules(config, recipients, Way::kIndexed, trace);
  if (fast.allowed || search == Search::kPrefilterOnly) return fast;
  if (trace != nullptr) trace->rules.clear();
  return WalkRules(config, recipients, Way::kConfirm, trace);
}

bool CheckList(const PatternList& list, std::string& text, CheckMode mode, RejectionLog& log) {
  return Walk(Way::kEvery, log).List(list, text, mode, Field::kTo, nullptr);
}

bool CheckRule(const RecipientRule& rule, std::string& to, std::string& cc, std::string& bcc,
               CheckMode mode, RejectionLog& log) {
  Recipients texts;
  texts.to.swap(to);
  texts.cc.swap(cc);
  texts.bcc.swap(bcc);
  bool ok = Walk(Way::kEvery, log).Rule(rule, texts, mode, nullptr);
  to.swap(texts.to);
  cc.swap(texts.cc);
  bcc.swap(texts.bcc);
  return ok;
}

}  // namespace sendwarden
