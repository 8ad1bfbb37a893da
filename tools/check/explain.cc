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

namespace {

Msg SyntaxWhy(sendwarden::AddressSyntax syntax) {
  using sendwarden::AddressSyntax;
  switch (syntax) {
    case AddressSyntax::kUnclosedComment: return Msg::kWhyUnclosedComment;
    case AddressSyntax::kUnclosedQuote: return Msg::kWhyUnclosedQuote;
    case AddressSyntax::kUnclosedAngle: return Msg::kWhyUnclosedAngle;
    case AddressSyntax::kUnclosedDomainLiteral: return Msg::kWhyUnclosedDomainLiteral;
    case AddressSyntax::kUnclosedGroup: return Msg::kWhyUnclosedGroup;
    case AddressSyntax::kNestedGroup: return Msg::kWhyNestedGroup;
    case AddressSyntax::kNoLocalPart: return Msg::kWhyNoLocalPart;
    case AddressSyntax::kNoDomain: return Msg::kWhyNoDomain;
    case AddressSyntax::kBadDots: return Msg::kWhyBadDots;
    case AddressSyntax::kTextAfterAddress: return Msg::kWhyTextAfterAddress;
    case AddressSyntax::kEmptyDisplayName: return Msg::kWhyEmptyDisplayName;
    case AddressSyntax::kDoubleByteMark: return Msg::kWhyDoubleByteMark;
    case AddressSyntax::kStrayCharacter:
    case AddressSyntax::kNone: break;
  }
  return Msg::kWhyStrayCharacter;
}

// `template_id` with its one "%s" replaced by the text `why`.
std::string Fill(Language l, Msg template_id, Msg why) {
  std::string text = Say(l, template_id);
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, Say(l, why));
  return text;
}

}  // namespace

std::string FaultText(const sendwarden::Extraction& extraction, Language l) {
  using sendwarden::ExtractionFault;
  switch (extraction.fault) {
    case ExtractionFault::kMalformedEscape: return Say(l, Msg::kMalformedEscape);
    case ExtractionFault::kNoDecodedText: return Say(l, Msg::kNoDecodedText);
    case ExtractionFault::kEmptiedByDecoding: return Say(l, Msg::kEmptiedByDecoding);
    case ExtractionFault::kAddressLost: return Say(l, Msg::kAddressLost);
    case ExtractionFault::kHiddenLineBreak: return Say(l, Msg::kHiddenLineBreak);
    case ExtractionFault::kBareCarriageReturn: return Say(l, Msg::kBareCarriageReturn);
    case ExtractionFault::kAddressFromDecoding: return Say(l, Msg::kAddressFromDecoding);
    case ExtractionFault::kUnreadable:
      return Fill(l, Msg::kAddressUnreadable, SyntaxWhy(extraction.syntax));
    case ExtractionFault::kPiecesDiffer:
      return Fill(l, Msg::kAddressUnreadable,
                  extraction.quoteInComment   ? Msg::kWhyQuoteInComment
                  : extraction.commaInComment ? Msg::kWhyCommaInComment
                                              : Msg::kWhyPiecesDiffer);
    case ExtractionFault::kAddressDiffers:
      return Fill(l, Msg::kAddressUnreadable, Msg::kWhyAddressDiffers);
    case ExtractionFault::kGroupWithMembers:
      return Fill(l, Msg::kAddressUnreadable, Msg::kWhyGroupWithMembers);
    case ExtractionFault::kQuotedLocalPart:
      return Fill(l, Msg::kAddressUnreadable, Msg::kWhyQuotedLocalPart);
    case ExtractionFault::kRoute: return Fill(l, Msg::kAddressUnreadable, Msg::kWhyRoute);
    case ExtractionFault::kCommentAfterAddress:
      return Fill(l, Msg::kAddressUnreadable, Msg::kWhyCommentAfterAddress);
    case ExtractionFault::kTwoSenders: return Say(l, Msg::kTwoSenders);
    case ExtractionFault::kSenderNotOne: return Say(l, Msg::kSenderNotOne);
    case ExtractionFault::kSenderUnreadable:
      return Fill(l, Msg::kSenderUnreadable, SyntaxWhy(extraction.syntax));
    case ExtractionFault::kSenderFromDecoding: return Say(l, Msg::kSenderFromDecoding);
    case ExtractionFault::kNone: break;
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
