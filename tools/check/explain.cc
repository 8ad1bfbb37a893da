#include "tools/check/explain.h"

namespace sendwarden_check {

namespace {

using sendwarden::AllowConfig;
using sendwarden::EntryTrace;
using sendwarden::RuleTrace;

std::string SectionName(const AllowConfig& config, size_t index, Language l) {
  const sendwarden::SenderSection& section = config.sections[index];
  return "[" + section.senderPattern->str() + "] (" + Say(l, Msg::kLine) + " " +
         std::to_string(section.headerLine) + ")";
}

std::string EntryLabel(const EntryTrace& entry) {
  std::string label = sendwarden::FieldKey(entry.field);
  label.resize(4, ' ');
  return label + entry.entry;
}

std::string HowAllowed(const EntryTrace& entry, Language l) {
  if (entry.allowedBy == nullptr) return Say(l, Msg::kNotAllowed);
  return std::string(entry.byAll ? "ALL" : sendwarden::FieldKey(entry.field)) + " (" +
         Say(l, Msg::kLine) + " " + std::to_string(entry.allowedBy->line) + ") " +
         entry.allowedBy->text;
}

void ExplainRule(const AllowConfig& config, const RuleTrace& rule, Language l,
                 std::vector<std::string>& out) {
  if (rule.isDefault) {
    out.push_back(std::string(Say(l, Msg::kDefaultRule)) + ":");
  } else {
    std::string head = std::string(Say(l, Msg::kSection)) + " " +
                       SectionName(config, rule.section, l) + ": ";
    if (!rule.applies) {
      out.push_back(head + Say(l, Msg::kSectionDoesNotApply));
      return;
    }
    if (rule.allowed) {
      out.push_back(head + Say(l, Msg::kSectionAllowsAll));
    } else if (!rule.entries.empty() && rule.entries.back().allowedBy == nullptr) {
      out.push_back(head + Say(l, rule.named ? Msg::kSectionRefusesNamed
                                             : Msg::kSectionRefusesUnnamed) +
                    EntryLabel(rule.entries.back()));
    } else {
      out.push_back(head + Say(l, Msg::kSectionRefusesUnnamed));
    }
  }
  for (const EntryTrace& entry : rule.entries) {
    out.push_back("  " + EntryLabel(entry) + "\n      " + HowAllowed(entry, l));
  }
}

}  // namespace

const char* FaultText(sendwarden::ExtractionFault fault, Language l) {
  switch (fault) {
    case sendwarden::ExtractionFault::kMalformedEscape: return Say(l, Msg::kMalformedEscape);
    case sendwarden::ExtractionFault::kUnclosedQuote: return Say(l, Msg::kUnclosedQuote);
    case sendwarden::ExtractionFault::kNoDecodedText: return Say(l, Msg::kNoDecodedText);
    case sendwarden::ExtractionFault::kEmptiedByDecoding: return Say(l, Msg::kEmptiedByDecoding);
    case sendwarden::ExtractionFault::kAddressLost: return Say(l, Msg::kAddressLost);
    case sendwarden::ExtractionFault::kHiddenLineBreak: return Say(l, Msg::kHiddenLineBreak);
    case sendwarden::ExtractionFault::kNotOneAddress: return Say(l, Msg::kNotOneAddress);
    case sendwarden::ExtractionFault::kAddressFromDecoding:
      return Say(l, Msg::kAddressFromDecoding);
    case sendwarden::ExtractionFault::kNone: break;
  }
  return "";
}

std::vector<std::string> Explain(const AllowConfig& config, const sendwarden::Verdict& verdict,
                                 const sendwarden::CheckTrace& trace, Language l) {
  std::vector<std::string> out;
  if (config.defaultRule == nullptr) out.push_back(Say(l, Msg::kNoDefaultRule));
  for (const RuleTrace& rule : trace.rules) ExplainRule(config, rule, l, out);
  switch (verdict.allowedBy) {
    case sendwarden::Decider::kDefaultRule: out.push_back(Say(l, Msg::kAllowedByDefault)); break;
    case sendwarden::Decider::kSection:
      out.push_back(Say(l, Msg::kAllowedBySection) + SectionName(config, verdict.section, l));
      break;
    case sendwarden::Decider::kNone: out.push_back(Say(l, Msg::kAllowedByNothing)); break;
  }
  return out;
}

}  // namespace sendwarden_check
