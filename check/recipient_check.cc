#include "check/recipient_check.h"

#include <array>
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

// What of one field a rule has yet to allow: the indexes of its entries,
// empty ones too (a field of empty entries is no empty field to a list that
// holds no pattern). Once a list has collected them they stand without their
// final CR, as the list left them, so an entry that was a lone CR is then an
// empty one.
struct FieldLeft {
  std::vector<uint32_t> at;
  bool stripped = false;
};
using Left = std::array<FieldLeft, 3>;

size_t Slot(Field field) { return static_cast<size_t>(field); }

RuleKey OwnKey(Field field) {
  switch (field) {
    case Field::kTo: return RuleKey::kTo;
    case Field::kCc: return RuleKey::kCc;
    case Field::kBcc: return RuleKey::kBcc;
  }
  return RuleKey::kTo;
}

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

  // CheckList over the entries of `entries` at the indexes `at`: in
  // kCollect mode `at` keeps those no pattern allowed; in kStrict mode the
  // first of them is logged. `decisions`, when given, gets every entry
  // tested, in order.
  bool List(const PatternList& list, const AddressLines& entries, FieldLeft& left,
            CheckMode mode, Field field, std::vector<EntryTrace>* decisions) {
    std::vector<uint32_t>& at = left.at;
    if (at.empty()) return true;
    if (list.empty()) return false;
    const bool collect = mode != CheckMode::kStrict;
    size_t kept = 0;
    for (uint32_t index : at) {
      const std::string& tested = Tested(entries[index]);
      // An empty entry is skipped; so, by the lists after the first, is one
      // that was a lone CR: a list leaves it without its CR.
      if (entries[index].empty() || (left.stripped && tested.empty())) continue;
      const PatternList::Entry* found = FirstFound(list, tested);
      if (decisions != nullptr) decisions->push_back({field, tested, found});
      if (found != nullptr) continue;
      if (!collect) {
        log_.push_back(tested);
        return false;
      }
      at[kept++] = index;
    }
    if (!collect) return true;
    at.resize(kept);
    left.stripped = true;
    return kept == 0;
  }

  // The rule on the entries `left` (per field, indexes into the fields): in
  // kCollect mode each field's indexes are reduced to what the rule did not
  // allow and every field is tested; in kStrict mode `left` stays and the
  // first field that fails ends the test.
  bool Rule(const RecipientRule& rule, const Recipients& recipients, Left& left, CheckMode mode,
            RuleTrace* trace) {
    bool all_ok = true;
    for (Field field : kAddressFields) {
      const AddressLines& entries = recipients.Lines(field);
      FieldLeft copy;
      FieldLeft& at = mode == CheckMode::kStrict ? (copy = left[Slot(field)]) : left[Slot(field)];
      size_t logged = log_.size();
      std::vector<EntryTrace> by_all, by_own;
      bool ok = List(rule.List(RuleKey::kAll), entries, at, CheckMode::kCollect, field,
                     trace ? &by_all : nullptr);
      if (!ok) ok = List(rule.List(OwnKey(field)), entries, at, mode, field, trace ? &by_own : nullptr);
      if (trace != nullptr) {
        Merge(by_all, by_own, rule.List(RuleKey::kAll).empty(), entries, at, field, mode, ok, trace);
        trace->named = log_.size() > logged;
      }
      if (!ok) {
        all_ok = false;
        if (mode == CheckMode::kStrict) return false;
      }
    }
    return all_ok;
  }

  // What `rule` does with the one entry `tested` of `field`.
  RuleDecision Decide(const RecipientRule& rule, Field field, const std::string& tested) {
    RuleDecision decision;
    for (RuleKey key : {RuleKey::kAll, OwnKey(field)}) {
      try {
        decision.allowedBy = FirstFound(rule.List(key), tested);
      } catch (const SearchGaveUp& gave_up) {
        decision.gaveUpOn = LineOf(rule.List(key), gave_up.line);
        return decision;
      }
      if (decision.allowedBy != nullptr) {
        decision.byAll = key == RuleKey::kAll;
        return decision;
      }
    }
    return decision;
  }

  // The entry as tested (TestedEntry).
  const std::string& Tested(const std::string& entry) {
    std::string_view tested = TestedEntry(entry);
    if (tested.size() == entry.size()) return entry;
    line_.assign(tested);
    return line_;
  }

 private:
  static const PatternList::Entry* LineOf(const PatternList& list, uint32_t line) {
    for (const PatternList::Entry& candidate : list) {
      if (candidate.line == line) return &candidate;
    }
    return nullptr;
  }

  // One entry per tested entry of the field: what ALL allowed, and for the
  // rest what the field's own list allowed, matched up in order (the own
  // list saw ALL's remainder). A section that failed on this field ends at
  // the entry it stopped at.
  void Merge(const std::vector<EntryTrace>& by_all, const std::vector<EntryTrace>& by_own,
             bool all_empty, const AddressLines& entries, const FieldLeft& untested,
             Field field, CheckMode mode, bool ok, RuleTrace* trace) {
    std::vector<EntryTrace> merged;
    if (all_empty) {
      merged = by_own;
    } else {
      size_t next = 0;
      for (const EntryTrace& entry : by_all) {
        merged.push_back(entry);
        merged.back().byAll = entry.allowedBy != nullptr;
        // An entry that was a lone CR is empty now: the own list skips it.
        if (entry.allowedBy == nullptr && !entry.entry.empty() && next < by_own.size()) {
          merged.back() = by_own[next++];
        }
      }
    }
    // An empty own list tests nothing: what it was given stays unallowed.
    if (merged.empty() && !ok) {
      for (uint32_t index : untested.at) {
        const std::string& tested = Tested(entries[index]);
        if (entries[index].empty() || (untested.stripped && tested.empty())) continue;
        merged.push_back({field, tested, nullptr});
      }
    }
    for (EntryTrace& entry : merged) {
      trace->entries.push_back(std::move(entry));
      if (mode == CheckMode::kStrict && !ok && trace->entries.back().allowedBy == nullptr) break;
    }
  }

  const Way way_;
  RejectionLog& log_;
  std::string line_;                  // an entry less its final CR
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

// Every entry of every field, by index: what the first rule sees.
Left AllEntries(const Recipients& recipients) {
  Left left;
  for (Field field : kAddressFields) {
    const AddressLines& entries = recipients.Lines(field);
    for (uint32_t i = 0; i < entries.size(); ++i) left[Slot(field)].at.push_back(i);
  }
  return left;
}

Verdict WalkRules(const AllowConfig& config, const Recipients& recipients, Way way,
                  CheckTrace* trace) {
  Verdict verdict;
  Walk walk(way, verdict.rejectionLog);
  Left left = AllEntries(recipients);
  if (config.defaultRule != nullptr) {
    RuleTrace* rule_trace = nullptr;
    if (trace != nullptr) {
      trace->rules.emplace_back();
      rule_trace = &trace->rules.back();
      rule_trace->isDefault = true;
    }
    if (walk.Rule(*config.defaultRule, recipients, left, CheckMode::kCollect, rule_trace)) {
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
    if (walk.Rule(*section.rule, recipients, left, CheckMode::kStrict, rule_trace)) {
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

namespace {

// The entries no pattern allowed, as a list leaves them.
void KeepLeft(AddressLines& entries, const FieldLeft& left, Walk& walk) {
  AddressLines kept;
  for (uint32_t index : left.at) kept.push_back(walk.Tested(entries[index]));
  entries.swap(kept);
}

}  // namespace

bool CheckList(const PatternList& list, AddressLines& entries, CheckMode mode, RejectionLog& log) {
  Walk walk(Way::kEvery, log);
  Recipients fields;
  fields.to.swap(entries);
  FieldLeft left = AllEntries(fields)[Slot(Field::kTo)];
  bool ok = walk.List(list, fields.to, left, mode, Field::kTo, nullptr);
  fields.to.swap(entries);
  if (mode != CheckMode::kStrict && left.stripped) KeepLeft(entries, left, walk);
  return ok;
}

bool CheckRule(const RecipientRule& rule, AddressLines& to, AddressLines& cc, AddressLines& bcc,
               CheckMode mode, RejectionLog& log) {
  Walk walk(Way::kEvery, log);
  Recipients fields;
  fields.to.swap(to);
  fields.cc.swap(cc);
  fields.bcc.swap(bcc);
  Left left = AllEntries(fields);
  bool ok = walk.Rule(rule, fields, left, mode, nullptr);
  to.swap(fields.to);
  cc.swap(fields.cc);
  bcc.swap(fields.bcc);
  if (mode != CheckMode::kStrict) {
    for (Field field : kAddressFields) {
      AddressLines& entries = field == Field::kTo ? to : field == Field::kCc ? cc : bcc;
      if (left[Slot(field)].stripped) KeepLeft(entries, left[Slot(field)], walk);
    }
  }
  return ok;
}

std::vector<EntryDecision> DecideEachEntry(const AllowConfig& config, const Recipients& recipients) {
  // The rules that apply to this sender, in the check's order.
  std::vector<std::pair<const RecipientRule*, RuleDecision>> rules;
  if (config.defaultRule != nullptr) {
    RuleDecision head;
    head.isDefault = true;
    rules.push_back({config.defaultRule.get(), head});
  }
  for (size_t index = 0; index < config.sections.size(); ++index) {
    const SenderSection& section = config.sections[index];
    bool applies = false;
    try {
      applies = SenderFound(section, recipients.sender);
    } catch (const SearchGaveUp&) {
    }
    if (!applies) continue;
    RuleDecision head;
    head.section = index;
    rules.push_back({section.rule.get(), head});
  }
  RejectionLog unused;
  Walk walk(Way::kIndexed, unused);
  std::vector<EntryDecision> decisions;
  for (Field field : kAddressFields) {
    const AddressLines& entries = recipients.Lines(field);
    for (size_t index = 0; index < entries.size(); ++index) {
      if (entries[index].empty()) continue;
      EntryDecision decision{field, index, walk.Tested(entries[index]), {}};
      for (const auto& [rule, head] : rules) {
        RuleDecision made = walk.Decide(*rule, field, decision.entry);
        made.isDefault = head.isDefault;
        made.section = head.section;
        decision.rules.push_back(made);
      }
      decisions.push_back(std::move(decision));
    }
  }
  return decisions;
}

}  // namespace sendwarden
