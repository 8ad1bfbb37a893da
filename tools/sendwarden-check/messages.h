// The texts sendwarden-check prints, in Japanese (code page 932 bytes) and
// English. Each text is one whole template per language; "%s" marks take
// the values a phrase carries, in order. No template ends in a line feed:
// the writer ends the lines. A table per language lists every
// name in order, and the build fails when a table misses one or has them out
// of order. Only the printers call Say: results carry Msg values, never text.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGES_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGES_H_

#include <cstddef>
#include <string>
#include <vector>

namespace sendwarden_checker {

enum class Msg {
  kVerbatim,              // no template: a Phrase's own word
  kUsage,                 // the first line of the usage: commands follow
  kUsageTail,
  kSeeHelp,               // the command
  kCannotRead,            // path
  kCannotReadConfig,      // full path, why
  kConfigIsAFolder,
  kConfigKeptChanging,
  kConfigNamedLonger,     // the longer name, the name
  kTestRefusesEverySend,
  kFindingAtLine,         // line number, label, finding
  kFindingAtLineWithHint, // line number, label, finding, hint (a kHint text)
  kFindingInFile,         // path, label, finding
  kNoEffect,              // labels a line without effect
  kError,                 // labels a line that changes what a rule allows
  kWarning,
  kHint,
  kNoSeparator,
  kEmptyKeyOrValue,
  kUnknownKey,            // key
  kBadPattern,
  kOutOfMemory,
  kHintNone,
  kHintBom,
  kHintSecondCr,
  kHintLeadingBlank,
  kHintEmptyBrackets,
  kHintTrailingText,
  kHintNoClosingBracket,
  kHintNoOpeningBracket,
  kHintLoneCr,
  kBrokenHeader,          // kBrokenHeaderLines or kBrokenHeaderNoLines
  kBrokenHeaderLines,     // line numbers
  kBrokenHeaderNoLines,
  kUnderBrokenHeader,     // the broken header's line
  kCutByEndOfFile,
  kRefusedVerb,           // the construct
  kRefusedRecursion,      // the construct
  kRefusedUnread,         // the construct, where it starts
  kRefusedTooDeep,
  kRefusedTooLong,        // the pattern's length, the longest kept
  kNestedRepeat,          // the repeat, the rewrite (kNestedRepeatRewrite) or nothing
  kNestedRepeatRewrite,   // the rewrite
  kSectionRefused,        // why (a kRefused text), the lines it takes down
  kCommentedOutHeader,    // kBrokenHeaderLines or kBrokenHeaderNoLines
  kLoneCrInRule,
  kDomainWithoutAt,       // the domain
  kHashInValue,
  kFullWidthMark,
  kAnchoredAtStart,
  kBadPatternAt,          // why (a kRegex text), position, the pattern marked
  kRegexParen,
  kRegexBracket,
  kRegexBrace,
  kRegexEscape,
  kRegexRepeat,
  kRegexRange,
  kRegexComplexity,
  kRegexOther,            // the engine's own message
  kNoticeNeverNames,
  kAllowsUnnamedDomain,         // a made-up recipient it allows
  kSectionAllowsUnnamedDomain,  // the section, its line, a made-up recipient
  kSectionForAnyoneAllowsUnnamed,  // the section, its line, a made-up sender, a made-up recipient
  kSectionWithoutRules,
  kSectionBadName,        // engine message, the lines it takes down
  kTakenDownBySection,    // header line
  kPatternEndsInCr,
  kNotAnchored,
  kUnescapedDot,
  kDuplicateSection,      // first line
  kNoRules,
  kNotCp932,
  kSavedAsUtf8,
  kSummary,               // lines without effect, warnings
  kSummaryWithErrors,     // lines without effect, warnings, errors
  kVerdictSend,
  kVerdictRefuse,
  kSender,                // the sender
  kDefaultRuleHead,
  kNoDefaultRule,
  kSectionAt,             // pattern, header line
  kNotAllowed,
  kAllowedByLine,         // list key, line, rule text
  kSectionDoesNotApply,   // section
  kSectionAllowsAll,      // section
  kSectionRefusesNamed,   // section, field and entry
  kSectionRefusesUnnamed, // section, field and entry
  kAllowedByDefault,
  kAllowedBySection,      // section
  kAllowedByNothing,
  kNotice,
  kCannotCheck,           // field, fault, the piece
  kMalformedEscape,
  kNoDecodedText,
  kEmptiedByDecoding,
  kAddressLost,
  kHiddenLineBreak,
  kBareCarriageReturn,
  kHeaderNotEnded,
  kUnclearEncodedWord,
  kAddressFromDecoding,
  kAddressUnreadable,     // one of the kWhy texts
  kWhyUnclosedComment,
  kWhyUnclosedQuote,
  kWhyUnclosedAngle,
  kWhyUnclosedDomainLiteral,
  kWhyUnclosedGroup,
  kWhyNestedGroup,
  kWhyStrayCharacter,
  kWhyNoLocalPart,
  kWhyNoDomain,
  kWhyBadDots,
  kWhyTextAfterAddress,
  kWhyEmptyDisplayName,
  kWhyLineBreakInside,
  kWhyLeadingDot,
  kWhyDoubleByteMark,
  kWhyQuoteInComment,
  kWhyCommaInComment,
  kWhyPiecesDiffer,
  kWhyAddressDiffers,
  kWhyGroupWithMembers,
  kWhyQuotedLocalPart,
  kWhyRoute,
  kWhyCommentAfterAddress,
  kWhyTextAfterAngle,
  kTwoSenders,
  kSenderNotOne,
  kSenderUnreadable,      // one of the kWhy texts
  kSenderFromDecoding,
  kEngineGaveUp,          // engine message
  kEngineGaveUpAtLine,    // line, pattern, the text searched
  kScanRefused,           // where
  kScanInMbox,            // path, message number, byte
  kScanNoticeNames,       // addresses
  kScanGeneralNotice,
  kScanWhy,               // reason
  kScanCannotCheck,       // field, fault
  kScanEngineGaveUp,      // engine message
  kScanEngineGaveUpAtLine,  // line, pattern
  kScanRead,              // count
  kScanSent,              // count
  kScanRefusedCount,      // count
  kScanUnreadable,        // count
  kScanRuleUsage,
  kScanRuleLine,          // line, count, rule text
  kScanNeverUsed,
  kScanUnusedLine,        // line, rule text
  kScanUnusedSections,
  kScanUnusedSection,     // line, pattern
  kScanNone,
  kScanProgress,          // messages, MB done, MB total, MB/s, seconds left
  kNoSuchPath,
  kCannotOpen,            // the system's reason
  kCannotList,            // the system's reason
  kCannotSize,            // the system's reason
  kReadError,
  kNotAMessage,
  kHeaderTooLong,
  kScanNotAllowed,        // field, entry
  kScanTopDomains,
  kScanDomainCount,       // count, domain
  kSuggestHead,           // messages
  kSuggestMinimum,        // the minimum
  kSuggestOwnDomains,     // the domains
  kSuggestOwnDomainsGiven,  // the domains
  kSuggestNoSender,
  kSuggestMoreSenders,      // how many
  kSuggestOffLooksLike,     // the domain it looks like
  kSuggestOffFreeMail,
  kSuggestOffCarrier,
  kSuggestSummary,          // written, on, off; under minimum, look-alike, free mail, carrier
  kSuggestOwnTaken,         // domains, their messages, messages with a sender
  kSuggestNotCounted,     // messages
  kSuggestEntriesNotCovered,  // recipients
  kSuggestDomain,         // domain, messages
  kSuggestOwnDomain,      // domain, messages
  kSuggestSection,        // sender address
  kSuggestNamingSection,
  kSuggestNothingActive,  // the minimum
  kNothingRead,
  kDiffNewlyRefused,      // where
  kDiffNewlyAllowed,      // where
  kDiffRecipient,         // field, entry
  kDiffAllowedBefore,     // line, rule text
  kDiffAllowedNow,        // line, rule text
  kDiffSummary,           // compared, newly refused, newly allowed, unreadable
  kDiffRuleLines,         // added, removed, changed
  kDiffLineAdded,         // line, rule, key=pattern
  kDiffLineRemoved,       // line, rule, key=pattern
  kDiffLineChanged,       // old line, new line, rule, old key=pattern, new key=pattern
  kDiffDefaultRule,
  kDiffLinesWiden,
  kUnknownOption,         // the option
  kUnknownCommand,        // the word
  kMissingValue,          // the option
  kBadValue,              // the option, the value
  kIsAFolder,             // path
  kUsageLint,
  kSummaryLint,
  kUsageTest,
  kSummaryTest,
  kUsageScan,
  kSummaryScan,
  kUsageSuggest,
  kSummarySuggest,
  kUsageDiff,
  kSummaryDiff,
  kOptionConf,
  kOptionFormat,
  kOptionFrom,
  kOptionTo,
  kOptionCc,
  kOptionBcc,
  kOptionBySender,
  kOptionMin,
  kOptionByAddress,
  kOptionOwnDomain,
  kOptionLang,
  kOptionHelp,
  kCount
};

enum class Language { kEnglish, kJapanese };

// A text to be said later, in whichever language: a template and the
// phrases that fill its "%s" marks, in order. With Msg::kVerbatim, `word`
// is the text itself (a path, a number, a pattern: never translated).
struct Phrase {
  Msg id = Msg::kVerbatim;
  std::string word;
  std::vector<Phrase> args;
};

// A phrase that is `text` as it stands.
Phrase Word(std::string text);

// The template `id` in `language`, its "%s" marks unfilled.
const char* Template(Language language, Msg id);

// The template `id` with its marks filled by `values`, in order; a mark
// left without a value stays as "%s", and extra values are ignored.
std::string Say(Language language, Msg id, const std::vector<std::string>& values = {});

// The phrase, its arguments said first.
std::string Say(Language language, const Phrase& phrase);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGES_H_
