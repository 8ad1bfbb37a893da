#include "tools/sendwarden-check/rule_line_diff.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace sendwarden_checker {

namespace {

std::vector<RuleLine> RuleLinesOf(const sendwarden::AllowConfig& config) {
  std::vector<RuleLine> out;
  auto add = [&out](const sendwarden::RecipientRule& rule, const std::string& section,
                    size_t section_line) {
    for (sendwarden::RuleKey key : sendwarden::kRuleKeys) {
      for (const sendwarden::PatternList::Entry& entry : rule.List(key)) {
        out.push_back({section, section_line, key, entry.text, entry.line});
      }
    }
  };
  if (config.defaultRule) add(*config.defaultRule, "", 0);
  for (const sendwarden::SenderSection& section : config.sections) {
    add(*section.rule, section.senderPattern->str(), section.headerLine);
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const RuleLine& a, const RuleLine& b) { return a.line < b.line; });
  return out;
}

// The lines of `lines` no line of `others` matches, each match used once.
std::vector<RuleLine> Unmatched(const std::vector<RuleLine>& lines,
                                const std::vector<RuleLine>& others) {
  std::map<std::tuple<std::string, sendwarden::RuleKey, std::string>, size_t> left;
  for (const RuleLine& line : others) ++left[{line.section, line.key, line.pattern}];
  std::vector<RuleLine> out;
  for (const RuleLine& line : lines) {
    size_t& count = left[{line.section, line.key, line.pattern}];
    if (count > 0) {
      --count;
    } else {
      out.push_back(line);
    }
  }
  return out;
}

}  // namespace

std::vector<RuleLineChange> CompareRuleLines(const sendwarden::AllowConfig& before,
                                             const sendwarden::AllowConfig& after) {
  std::vector<RuleLine> old_lines = RuleLinesOf(before), new_lines = RuleLinesOf(after);
  std::vector<RuleLine> removed = Unmatched(old_lines, new_lines);
  std::vector<RuleLine> added = Unmatched(new_lines, old_lines);
  std::vector<RuleLineChange> out;
  std::vector<bool> paired(added.size(), false);
  // The added lines of each section and key, in order, and how many of them
  // are paired: a removed line takes the next one of its own (linear time).
  std::map<std::pair<std::string, sendwarden::RuleKey>, std::pair<std::vector<size_t>, size_t>> by_place;
  for (size_t i = 0; i < added.size(); ++i) {
    by_place[std::make_pair(added[i].section, added[i].key)].first.push_back(i);
  }
  for (const RuleLine& gone : removed) {
    size_t partner = added.size();
    auto place = by_place.find(std::make_pair(gone.section, gone.key));
    if (place != by_place.end() && place->second.second < place->second.first.size()) {
      partner = place->second.first[place->second.second++];
    }
    if (partner < added.size()) {
      paired[partner] = true;
      out.push_back({RuleLineChange::Kind::kChanged, gone, added[partner]});
    } else {
      out.push_back({RuleLineChange::Kind::kRemoved, gone, {}});
    }
  }
  for (size_t i = 0; i < added.size(); ++i) {
    if (!paired[i]) out.push_back({RuleLineChange::Kind::kAdded, {}, added[i]});
  }
  auto line_of = [](const RuleLineChange& change) {
    return change.kind == RuleLineChange::Kind::kRemoved ? change.before.line : change.after.line;
  };
  std::stable_sort(out.begin(), out.end(), [&](const RuleLineChange& a, const RuleLineChange& b) {
    return line_of(a) < line_of(b);
  });
  return out;
}

}  // namespace sendwarden_checker
