#include "tools/sendwarden-check/explain.h"

namespace sendwarden_checker {

namespace {

using sendwarden::AllowConfig;
using sendwarden::EntryTrace;
using sendwarden::RuleTrace;

std::string Number(size_t value) { return std::to_string(value); }

std::string SectionName(const AllowConfig& config, size_t index, Language l) {
  const sendwarden::SenderSection& section = config.sections[index];
  return Say(l, Msg::kSectionAt, {section.senderPattern->str(), Number(section.headerLine)});
}

std::string EntryLabel(const EntryTrace& entry) {
  std::string label = sendwarden::FieldKey(entry.field);
  label.resize(4, ' ');
  return label + entry.entry;
}

std::string HowAllowed(const EntryTrace& entry, Language l) {
  if (entry.allowedBy == nullptr) return Say(l, Msg::kNotAllowed);
  const char* key = entry.byAll ? sendwarden::RuleKeyName(sendwarden::RuleKey::kAll)
                                : sendwarden::FieldKey(entry.field);
  return Say(l, Msg::kAllowedByLine, {key, Number(entry.allowedBy->line), entry.allowedBy->text});
}

void ExplainRule(const AllowConfig& config, const RuleTrace& rule, Language l,
                 std::vector<std::string>& out) {
  if (rule.isDefault) {
    out.push_back(Say(l, Msg::kDefaultRuleHead));
  } else {
    std::string name = SectionName(config, rule.section, l);
    if (!rule.applies) {
      out.push_back(Say(l, Msg::kSectionDoesNotApply, {name}));
      return;
    }
    if (rule.allowed) {
      out.push_back(Say(l, Msg::kSectionAllowsAll, {name}));
    } else if (!rule.entries.empty() && rule.entries.back().allowedBy == nullptr) {
      out.push_back(Say(l, rule.named ? Msg::kSectionRefusesNamed : Msg::kSectionRefusesUnnamed,
                        {name, EntryLabel(rule.entries.back())}));
    } else {
      out.push_back(Say(l, Msg::kSectionRefusesUnnamed, {name, ""}));
    }
  }
  for (const EntryTrace& entry : rule.entries) {
    out.push_back("  " + EntryLabel(entry) + "\n      " + HowAllowed(entry, l));
  }
}

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
    case AddressSyntax::kLineBreakInside: return Msg::kWhyLineBreakInside;
    case AddressSyntax::kLeadingDot: return Msg::kWhyLeadingDot;
    case AddressSyntax::kStrayCharacter:
    case AddressSyntax::kNone: break;
  }
  return Msg::kWhyStrayCharacter;
}

Phrase Said(Msg id) {
  Phrase phrase;
  phrase.id = id;
  return phrase;
}

Phrase Said(Msg id, Msg why) {
  Phrase phrase = Said(id);
  phrase.args.push_back(Said(why));
  return phrase;
}

}  // namespace

Phrase FaultPhrase(const Unchecked& unchecked) {
  using sendwarden::ExtractionFault;
  using sendwarden::ExtractionStage;
  switch (unchecked.fault) {
    case ExtractionFault::kUnreadable:
      return Said(Msg::kAddressUnreadable, SyntaxWhy(unchecked.syntax));
    case ExtractionFault::kSenderUnreadable:
      return Said(Msg::kSenderUnreadable, SyntaxWhy(unchecked.syntax));
    case ExtractionFault::kPiecesDiffer:
      return Said(Msg::kAddressUnreadable,
                  unchecked.quoteInComment   ? Msg::kWhyQuoteInComment
                  : unchecked.commaInComment ? Msg::kWhyCommaInComment
                                             : Msg::kWhyPiecesDiffer);
    default:
      break;
  }
  // Every other fault has a text of its own: the forms refused on purpose,
  // and where the two readings part, as why the recipients cannot be read.
  struct Text {
    ExtractionFault fault;
    Msg text;
  };
  static constexpr Text kTexts[] = {
      {ExtractionFault::kMalformedEscape, Msg::kMalformedEscape},
      {ExtractionFault::kNoDecodedText, Msg::kNoDecodedText},
      {ExtractionFault::kEmptiedByDecoding, Msg::kEmptiedByDecoding},
      {ExtractionFault::kAddressLost, Msg::kAddressLost},
      {ExtractionFault::kHiddenLineBreak, Msg::kHiddenLineBreak},
      {ExtractionFault::kAddressFromDecoding, Msg::kAddressFromDecoding},
      {ExtractionFault::kAddressDiffers, Msg::kWhyAddressDiffers},
      {ExtractionFault::kGroupWithMembers, Msg::kWhyGroupWithMembers},
      {ExtractionFault::kQuotedLocalPart, Msg::kWhyQuotedLocalPart},
      {ExtractionFault::kRoute, Msg::kWhyRoute},
      {ExtractionFault::kCommentAfterAddress, Msg::kWhyCommentAfterAddress},
      {ExtractionFault::kTextAfterAngleAddress, Msg::kWhyTextAfterAngle},
      {ExtractionFault::kTwoSenders, Msg::kTwoSenders},
      {ExtractionFault::kSenderNotOne, Msg::kSenderNotOne},
      {ExtractionFault::kSenderFromDecoding, Msg::kSenderFromDecoding},
      {ExtractionFault::kBareCarriageReturn, Msg::kBareCarriageReturn},
      {ExtractionFault::kHeaderNotEnded, Msg::kHeaderNotEnded},
      {ExtractionFault::kUnclearEncodedWord, Msg::kUnclearEncodedWord},
  };
  for (const Text& text : kTexts) {
    if (text.fault != unchecked.fault) continue;
    ExtractionStage stage = sendwarden::InfoOf(text.fault).stage;
    bool why = stage == ExtractionStage::kForm || stage == ExtractionStage::kAgree;
    return why ? Said(Msg::kAddressUnreadable, text.text) : Said(text.text);
  }
  return Word("");
}

std::vector<std::string> Explain(const AllowConfig& config, const sendwarden::Verdict& verdict,
                                 const sendwarden::CheckTrace& trace, Language l) {
  std::vector<std::string> out;
  if (config.defaultRule == nullptr) out.push_back(Say(l, Msg::kNoDefaultRule));
  for (const RuleTrace& rule : trace.rules) ExplainRule(config, rule, l, out);
  switch (verdict.allowedBy) {
    case sendwarden::Decider::kDefaultRule: out.push_back(Say(l, Msg::kAllowedByDefault)); break;
    case sendwarden::Decider::kSection:
      out.push_back(Say(l, Msg::kAllowedBySection, {SectionName(config, verdict.section, l)}));
      break;
    case sendwarden::Decider::kNone: out.push_back(Say(l, Msg::kAllowedByNothing)); break;
  }
  return out;
}

}  // namespace sendwarden_checker
