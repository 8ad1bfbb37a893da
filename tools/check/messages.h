// The texts sendwarden-check prints, in Japanese (code page 932 bytes) and
// English. Each text has a name; a table per language lists every name in
// order, and the build fails when a table misses one or has them out of
// order.
#ifndef SENDWARDEN_TOOLS_CHECK_MESSAGES_H_
#define SENDWARDEN_TOOLS_CHECK_MESSAGES_H_

#include <cstddef>

namespace sendwarden_check {

enum class Msg {
  kUsage,
  kCannotRead,            // + path
  kLine,                  // "line"
  kNoEffect,              // marks a line without effect
  kError,                 // marks a line that changes what a rule allows
  kWarning,
  kNoSeparator,
  kEmptyKeyOrValue,
  kUnknownKey,            // + key
  kBadPattern,            // + engine message
  kOutOfMemory,
  kHintBom,
  kHintSecondCr,
  kHintLeadingBlank,
  kHintEmptyBrackets,
  kHintTrailingText,
  kHintNoClosingBracket,
  kHintNoOpeningBracket,
  kBrokenHeader,          // "%s": a hint or ""; "%s": kBrokenHeaderLines or kBrokenHeaderNoLines
  kBrokenHeaderLines,     // "%s": line numbers
  kBrokenHeaderNoLines,
  kUnderBrokenHeader,     // "%s": the broken header's line
  kCutByEndOfFile,
  kHashInValue,
  kFullWidthMark,
  kAnchoredAtStart,
  kBadPatternAt,          // "%s": why; "%s": position; "%s": the pattern, marked
  kRegexParen,
  kRegexBracket,
  kRegexBrace,
  kRegexEscape,
  kRegexRepeat,
  kRegexRange,
  kRegexComplexity,
  kRegexOther,            // "%s": the engine's own message
  kAllowsEveryone,
  kSectionWithoutRules,
  kSectionBadName,        // + engine message
  kLinesTakenDown,        // + line numbers
  kTakenDownBySection,    // + header line
  kPatternEndsInCr,
  kNotAnchored,
  kUnescapedDot,
  kDuplicateSection,      // + first line
  kNoRules,
  kNotCp932,
  kSavedAsUtf8,
  kSummary,               // "%zu lines without effect, %zu warnings"
  kSummaryErrors,         // ", %zu errors"
  kVerdictSend,
  kVerdictRefuse,
  kSender,
  kDefaultRule,
  kNoDefaultRule,
  kSection,
  kNotAllowed,
  kSectionDoesNotApply,
  kSectionAllowsAll,
  kSectionRefusesNamed,   // + field and entry
  kSectionRefusesUnnamed, // + field and entry
  kAllowedByDefault,
  kAllowedBySection,      // + section
  kAllowedByNothing,
  kNotice,
  kCannotCheck,           // + reason
  kMalformedEscape,
  kNoDecodedText,
  kEmptiedByDecoding,
  kAddressLost,
  kHiddenLineBreak,
  kBareCarriageReturn,
  kAddressFromDecoding,
  kAddressUnreadable,     // "%s": one of the kWhy texts
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
  kWhyDoubleByteMark,
  kWhyQuoteInComment,
  kWhyCommaInComment,
  kWhyPiecesDiffer,
  kWhyAddressDiffers,
  kWhyGroupWithMembers,
  kWhyQuotedLocalPart,
  kWhyRoute,
  kWhyCommentAfterAddress,
  kTwoSenders,
  kSenderNotOne,
  kSenderUnreadable,      // "%s": one of the kWhy texts
  kSenderFromDecoding,
  kEngineGaveUp,          // + engine message
  kScanRefused,           // + where
  kScanMessageAt,         // "message %llu, byte %llu"
  kScanNoticeNames,       // + addresses
  kScanGeneralNotice,
  kScanWhy,               // + reason
  kScanCannotCheck,       // + field and fault
  kScanEngineGaveUp,      // + engine message
  kScanRead,
  kScanSent,
  kScanRefusedCount,
  kScanUnreadable,
  kScanRuleUsage,
  kScanAllowedCount,      // "allowed %llu"
  kScanNeverUsed,
  kScanUnusedSections,
  kScanNone,
  kScanProgress,          // messages, MB done, MB total, MB/s, seconds left
  kNoSuchPath,
  kCannotOpen,
  kReadError,
  kNotAMessage,
  kBinaryData,
  kHeaderTooLong,
  kCount
};

enum class Language { kEnglish, kJapanese };

// The text `id` in `language`.
const char* Say(Language language, Msg id);

}  // namespace sendwarden_check

#endif  // SENDWARDEN_TOOLS_CHECK_MESSAGES_H_
