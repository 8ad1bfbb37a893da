#include "tools/sendwarden-check/messages.h"

#include <utility>

namespace sendwarden_checker {

namespace {

struct Text {
  Msg id;
  const char* text;
};

constexpr Text kEnglish[] = {
    {Msg::kVerbatim, "%s"},
    {Msg::kUsage, "usage: sendwarden-check COMMAND [OPTION]... [--lang ja|en]"},
    {Msg::kUsageTail,
     "sendwarden-check COMMAND --help shows a command's options; sendwarden-check --version the "
     "version.\n"
     "PATH: a message file, an mbox, a .bmf mail folder file, or a folder of them.\n"
     "Exit status: 0 allowed or clean; 1 refused or errors found; 2 a usage mistake or input\n"
     "that could not be read; 3 (diff) a message newly allowed, or a rule line added or changed."},
    {Msg::kSeeHelp, "see: sendwarden-check %s --help"},
    {Msg::kCannotRead, "cannot read %s"},
    {Msg::kCannotReadConfig, "cannot read the configuration %s: %s"},
    {Msg::kConfigIsAFolder, "it is a folder"},
    {Msg::kConfigKeptChanging, "it kept changing while it was read (is it being saved?)"},
    {Msg::kConfigNamedLonger,
     "  %s is beside it: did the editor add to the name when it was saved? Rename it to %s"},
    {Msg::kTestRefusesEverySend,
     "the plug-in refuses every send while its configuration cannot be read, and so does this "
     "test"},
    {Msg::kFindingAtLine, "line %s: %s: %s"},
    {Msg::kFindingAtLineWithHint, "line %s: %s: %s %s"},
    {Msg::kFindingInFile, "%s: %s: %s"},
    {Msg::kNoEffect, "no effect"},
    {Msg::kError, "error"},
    {Msg::kWarning, "warning"},
    {Msg::kHint, "hint"},
    {Msg::kNoSeparator, "no \"=\""},
    {Msg::kEmptyKeyOrValue, "empty key or value"},
    {Msg::kUnknownKey, "unknown key %s"},
    {Msg::kBadPattern, "pattern does not compile: "},
    {Msg::kOutOfMemory, "out of memory while the line was read"},
    {Msg::kHintNone, ""},
    {Msg::kHintBom, "(The file starts with a byte-order mark. Save it without one.)"},
    {Msg::kHintSecondCr, "(The line ends in a second carriage return.)"},
    {Msg::kHintLeadingBlank,
     "(A blank or tab stands before it. Headers and comments start at the first byte.)"},
    {Msg::kHintEmptyBrackets, "(\"[]\" is no section header.)"},
    {Msg::kHintTrailingText, "(Text stands after the \"]\". A header ends with it.)"},
    {Msg::kHintNoClosingBracket, "(The \"]\" is missing.)"},
    {Msg::kHintNoOpeningBracket, "(The \"[\" is missing.)"},
    {Msg::kHintLoneCr,
     "(A carriage return alone inside the line, as old editors end lines, puts it after the "
     "text before it.)"},
    {Msg::kBrokenHeader,
     "not a section header: the rule lines under it allow nothing until the next header (%s)"},
    {Msg::kBrokenHeaderLines, "line %s"},
    {Msg::kBrokenHeaderNoLines, "no rule line follows"},
    {Msg::kUnderBrokenHeader, "dropped: under the broken section header in line %s"},
    {Msg::kCutByEndOfFile,
     "byte 0x1A (an end-of-file mark) cuts this line: the line is dropped, and nothing after it "
     "is read"},
    {Msg::kRefusedVerb,
     "\"%s\" is a backtracking-control verb: with it the pattern engine can search forever and "
     "freeze the mail client at every send, so the plug-in does not use this pattern"},
    {Msg::kRefusedRecursion,
     "\"%s\" is a recursion: with it the pattern engine can search for seconds or forever and "
     "freeze the mail client at every send, so the plug-in does not use this pattern"},
    {Msg::kRefusedUnread,
     "\"%s\" (character %s) is syntax the plug-in does not read, so it cannot be sure the "
     "search ends: the plug-in does not use this pattern"},
    {Msg::kRefusedTooDeep,
     "groups are nested more than 100 deep: the plug-in does not use this pattern"},
    {Msg::kRefusedTooLong,
     "the pattern is %s bytes long, and the plug-in drops patterns of its kind over %s bytes (the "
     "pattern engine's time grows with the square of the length): put each address or domain on "
     "a line of its own"},
    {Msg::kNestedRepeat,
     "\"%s\" repeats a group that can share the same text between its turns in many ways: a "
     "recipient it does not allow can take the pattern engine millions of steps (a slow send, "
     "then a refusal)%s"},
    {Msg::kNestedRepeatRewrite, ". Write \"%s\" instead"},
    {Msg::kSectionRefused, "section name: %s; these lines have no effect with it: %s"},
    {Msg::kCommentedOutHeader,
     "a section header put out of use with \"#\": the rule lines under it allow nothing until "
     "the next header (%s); put \"#\" before them too, or remove the \"#\""},
    {Msg::kLoneCrInRule,
     "a carriage return alone inside the line (old editors end lines so): the line is dropped"},
    {Msg::kDomainWithoutAt,
     "nothing says where \"%s\" begins: it also allows x@not%s; put \"@\" before it, or "
     "\"(@|\\.)\" to allow its subdomains too"},
    {Msg::kHashInValue,
     "\" #\" is part of the pattern, not a comment: a comment must start its own line"},
    {Msg::kFullWidthMark,
     "a full-width \"＠\" or \"．\" in the pattern: addresses use the half-width \"@\" and "
     "\".\""},
    {Msg::kAnchoredAtStart,
     "\"^\" anchors the pattern at the start of the text, so it never matches \"Name "
     "<address>\" as the mail client writes it: use \"(^|<)\" instead"},
    {Msg::kBadPatternAt, "the pattern does not compile: %s, at character %s: %s"},
    {Msg::kRegexParen, "a parenthesis without its partner"},
    {Msg::kRegexBracket, "a \"[\" without its \"]\""},
    {Msg::kRegexBrace, "a repeat count in \"{ }\" that is not closed or not valid"},
    {Msg::kRegexEscape, "a backslash that escapes nothing valid"},
    {Msg::kRegexRepeat, "a repeat (*, +, ?, {n}) with nothing before it to repeat"},
    {Msg::kRegexRange, "a range of characters whose end comes before its start"},
    {Msg::kRegexComplexity, "a pattern too complex for the engine"},
    {Msg::kRegexOther, "the engine says: %s"},
    {Msg::kNoticeNeverNames,
     "no section has TO, CC or BCC lines, so the notice staff see never names the refused "
     "address; to name it, end the file with a section for every sender that allows nothing: "
     "[^] with TO=(?!), CC=(?!) and BCC=(?!) (suggest writes it)"},
    {Msg::kAllowsUnnamedDomain,
     "this pattern of the default rule allows addresses at domains no one named, whoever the "
     "sender is: it allows the made-up recipient %s (write each partner's domain in full, e.g. "
     "@partner\\.co\\.jp>?$)"},
    {Msg::kSectionAllowsUnnamedDomain,
     "this pattern allows addresses at domains no one named to every sender the section %s "
     "(line %s) applies to: it allows the made-up recipient %s"},
    {Msg::kSectionForAnyoneAllowsUnnamed,
     "this pattern allows addresses at domains no one named, and the section %s (line %s) "
     "applies to senders no one named too (the made-up sender %s): it allows the made-up "
     "recipient %s"},
    {Msg::kSectionWithoutRules, "section has no usable rule line; its header has no effect"},
    {Msg::kSectionBadName, "section name does not compile: %s; these lines have no effect with it: %s"},
    {Msg::kTakenDownBySection, "its section's name is not used, see line %s"},
    {Msg::kPatternEndsInCr,
     "the pattern ends in a carriage return (two CRs before the line feed) and can never match"},
    {Msg::kNotAnchored,
     "pattern is not anchored at the end: a display name or x@example.co.jp.evil.test can "
     "satisfy it (end it with $, e.g. >?$)"},
    {Msg::kUnescapedDot, "\".\" between domain labels matches any character; write \"\\.\""},
    {Msg::kDuplicateSection, "the same section name already stands in line %s"},
    {Msg::kNoRules, "the file has no rule at all: every send is refused"},
    {Msg::kNotCp932,
     "the line is not code page 932 (Shift_JIS) text: the plug-in reads its bytes as they are, "
     "so a pattern with them never matches a name the mail client hands over"},
    {Msg::kSavedAsUtf8,
     "the file is saved as UTF-8, but the plug-in reads code page 932 (Shift_JIS): rules with "
     "Japanese text never match. Save it again as Shift_JIS: in Notepad, \"Save As\" "
     "(「名前を付けて保存」) with the encoding \"ANSI\"; in other editors, \"Shift_JIS\""},
    {Msg::kSummary, "lines without effect: %s, warnings: %s"},
    {Msg::kSummaryWithErrors, "lines without effect: %s, warnings: %s, errors: %s"},
    {Msg::kVerdictSend, "verdict: send"},
    {Msg::kVerdictRefuse, "verdict: refused"},
    {Msg::kSender, "sender: %s"},
    {Msg::kDefaultRuleHead, "default rule:"},
    {Msg::kNoDefaultRule, "no default rule"},
    {Msg::kSectionAt, "[%s] (line %s)"},
    {Msg::kNotAllowed, "not allowed by this rule"},
    {Msg::kAllowedByLine, "%s (line %s) %s"},
    {Msg::kSectionDoesNotApply, "section %s: does not apply to this sender"},
    {Msg::kSectionAllowsAll, "section %s: applies, and allows every entry left"},
    {Msg::kSectionRefusesNamed, "section %s: applies, and refuses (named in the notice): %s"},
    {Msg::kSectionRefusesUnnamed, "section %s: applies, and refuses (not named: the field has no list here): %s"},
    {Msg::kAllowedByDefault, "allowed by: the default rule"},
    {Msg::kAllowedBySection, "allowed by: section %s"},
    {Msg::kAllowedByNothing,
     "refused: neither the default rule nor any section that applies allows every recipient"},
    {Msg::kNotice, "notice the user would see:"},
    {Msg::kCannotCheck, "refused: the message cannot be checked: %s: %s (%s)"},
    {Msg::kMalformedEscape, "a backslash the address list does not allow"},
    {Msg::kNoDecodedText, "no decoded text"},
    {Msg::kEmptiedByDecoding, "the decoded text of a recipient is empty"},
    {Msg::kAddressLost, "the decoded text shows another address than the recipient as written"},
    {Msg::kHiddenLineBreak, "a line break (CR or LF) inside a recipient"},
    {Msg::kBareCarriageReturn, "a carriage return without a line feed in a header line"},
    {Msg::kHeaderNotEnded,
     "the header block does not end before the text does (a NUL byte in it ends the text the "
     "plug-in is handed)"},
    {Msg::kUnclearEncodedWord,
     "an encoded word (=?...?=) that mail programs decode differently, or in a charset that is "
     "not known"},
    {Msg::kAddressFromDecoding, "decoding made an address out of a display name"},
    {Msg::kAddressUnreadable, "cannot read how the recipients are written (%s)"},
    {Msg::kWhyUnclosedComment, "a parenthesis that is never closed"},
    {Msg::kWhyUnclosedQuote, "a double quote that is never closed"},
    {Msg::kWhyUnclosedAngle, "a \"<\" that is never closed"},
    {Msg::kWhyUnclosedDomainLiteral, "a \"[\" that is never closed"},
    {Msg::kWhyUnclosedGroup, "a group that no \";\" closes"},
    {Msg::kWhyNestedGroup, "a group inside a group"},
    {Msg::kWhyStrayCharacter, "a character that cannot stand there"},
    {Msg::kWhyNoLocalPart, "nothing before the \"@\""},
    {Msg::kWhyNoDomain, "no domain after the \"@\""},
    {Msg::kWhyBadDots, "a dot at the start or end, or two dots in a row"},
    {Msg::kWhyTextAfterAddress, "text after an address"},
    {Msg::kWhyEmptyDisplayName, "a group without a name"},
    {Msg::kWhyLineBreakInside,
     "a line break (a folded line) inside quotes, parentheses or a \"[...]\""},
    {Msg::kWhyLeadingDot, "a display name that starts with a dot"},
    {Msg::kWhyDoubleByteMark,
     "a double-byte character whose second byte is \\, @, [ or ], which other programs read "
     "as a mark"},
    {Msg::kWhyQuoteInComment, "a double quote inside parentheses"},
    {Msg::kWhyCommaInComment, "a comma inside parentheses"},
    {Msg::kWhyPiecesDiffer, "the list is cut into recipients differently from how mail servers cut it"},
    {Msg::kWhyAddressDiffers, "the address shown is not the one the mail goes to"},
    {Msg::kWhyGroupWithMembers, "recipients inside a group (name: addresses;)"},
    {Msg::kWhyQuotedLocalPart, "a quoted part before the \"@\""},
    {Msg::kWhyRoute, "a route (<@relay:address>)"},
    {Msg::kWhyCommentAfterAddress, "parentheses after an address without \"<...>\""},
    {Msg::kWhyTextAfterAngle,
     "text after the address in \"<...>\" (put a note such as a title in the name, before the "
     "\"<\")"},
    {Msg::kTwoSenders, "two From lines"},
    {Msg::kSenderNotOne, "more than one address in From"},
    {Msg::kSenderUnreadable, "cannot read how the sender is written (%s)"},
    {Msg::kSenderFromDecoding, "decoding the sender adds an \"@\", \"<\" or \">\""},
    {Msg::kEngineGaveUp, "refused: the pattern engine gave up: %s"},
    {Msg::kEngineGaveUpAtLine,
     "refused: the pattern engine gave up on line %s (%s), searching \"%s\""},
    {Msg::kScanRefused, "would be refused: %s"},
    {Msg::kScanInMbox, "%s (message %s, byte %s)"},
    {Msg::kScanNoticeNames, "the notice would name: %s"},
    {Msg::kScanGeneralNotice, "the notice would name no address (the general text)"},
    {Msg::kScanWhy, "why: %s"},
    {Msg::kScanCannotCheck, "the message cannot be checked: %s: %s"},
    {Msg::kScanEngineGaveUp, "the pattern engine gave up: %s"},
    {Msg::kScanEngineGaveUpAtLine, "the pattern engine gave up on line %s (%s)"},
    {Msg::kScanRead, "messages read: %s"},
    {Msg::kScanSent, "would be sent: %s"},
    {Msg::kScanRefusedCount, "would be refused: %s"},
    {Msg::kScanUnreadable, "could not be read: %s"},
    {Msg::kScanRuleUsage, "rule usage (recipients each line allowed; the default rule in every "
                          "message, a section in the messages it allowed):"},
    {Msg::kScanRuleLine, "  line %s  allowed %s  %s"},
    {Msg::kScanNeverUsed, "lines that allowed no recipient (stale entries or typos?):"},
    {Msg::kScanUnusedLine, "  line %s  %s"},
    {Msg::kScanUnusedSections, "sections whose sender pattern matched no message:"},
    {Msg::kScanUnusedSection, "  line %s  [%s]"},
    {Msg::kScanNone, "  (none)"},
    {Msg::kScanProgress, "%s messages, %s of %s MB, %s MB/s, %s s left"},
    {Msg::kNoSuchPath, "no such file or folder"},
    {Msg::kCannotOpen, "cannot be opened (%s)"},
    {Msg::kCannotList, "the folder cannot be read to its end (%s)"},
    {Msg::kCannotSize, "its size cannot be read (%s)"},
    {Msg::kReadError, "a read error"},
    {Msg::kNotAMessage, "not a mail message: no header field"},
    {Msg::kHeaderTooLong, "the header block is longer than 16 MB"},
    {Msg::kScanNotAllowed, "  not allowed: %s  %s"},
    {Msg::kScanTopDomains, "most refused recipient domains:"},
    {Msg::kScanDomainCount, "  %s  %s"},
    {Msg::kSuggestHead, "# Made by sendwarden-check suggest from %s sent messages."},
    {Msg::kSuggestMinimum,
     "# Lines fewer than %s messages went to are commented out, and so are free mail, mobile "
     "carriers and look-alikes of a more-used domain: check each, then remove its #."},
    {Msg::kSuggestOwnDomains,
     "# Own domains (worked out from the senders; choose them with --own-domain): %s"},
    {Msg::kSuggestOwnDomainsGiven, "# Own domains (given with --own-domain): %s"},
    {Msg::kSuggestNoSender, "(sender unknown)"},
    {Msg::kSuggestMoreSenders, " and %s more"},
    {Msg::kSuggestOffLooksLike,
     "# Commented out: looks like %s, which is used more (a typo?)"},
    {Msg::kSuggestOffFreeMail, "# Commented out: free mail, where anyone can have an address"},
    {Msg::kSuggestOffCarrier,
     "# Commented out: a mobile carrier's mail, where anyone can have an address"},
    {Msg::kSuggestSummary,
     "suggest: %s rule lines written, %s on, %s commented out (%s under --min, %s look like a "
     "more-used domain, %s free mail, %s mobile carrier)"},
    {Msg::kSuggestOwnTaken,
     "suggest: own domains taken from the senders: %s (they wrote %s of %s messages); choose "
     "them with --own-domain"},
    {Msg::kSuggestNotCounted,
     "# %s messages whose recipients cannot be read were not counted: scan shows them."},
    {Msg::kSuggestEntriesNotCovered,
     "# %s recipients without a domain a pattern can name were not counted: scan shows them."},
    {Msg::kSuggestDomain, "# %s: in %s messages, from %s; e.g. %s"},
    {Msg::kSuggestOwnDomain, "# %s: in %s messages (own domain), from %s; e.g. %s"},
    {Msg::kSuggestSection, "# Domains only %s sent to:"},
    {Msg::kSuggestNamingSection,
     "# Allows nothing: for every sender, the first recipient no line above allows is named in "
     "the notice staff see. Keep it last."},
    {Msg::kSuggestNothingActive,
     "no recipient domain was used by %s messages or more: every line is commented out"},
    {Msg::kNothingRead, "no message could be read"},
    {Msg::kDiffNewlyRefused, "newly refused: %s"},
    {Msg::kDiffNewlyAllowed, "newly allowed: %s"},
    {Msg::kDiffRecipient, "  %s  %s"},
    {Msg::kDiffAllowedBefore, "      allowed before by line %s: %s"},
    {Msg::kDiffAllowedNow, "      allowed now by line %s: %s"},
    {Msg::kDiffSummary, "%s messages compared: %s newly refused, %s newly allowed, %s unreadable"},
    {Msg::kDiffRuleLines, "rule lines: %s added, %s removed, %s changed"},
    {Msg::kDiffLineAdded, "  added, new line %s, %s: %s"},
    {Msg::kDiffLineRemoved, "  removed, old line %s, %s: %s"},
    {Msg::kDiffLineChanged, "  changed, old line %s, new line %s, %s: %s -> %s"},
    {Msg::kDiffDefaultRule, "default rule"},
    {Msg::kDiffLinesWiden,
     "a rule line was added or changed: the new file may allow recipients no past message "
     "went to (exit 3); read the lines above before you deploy it"},
    {Msg::kUnknownOption, "unknown option: %s"},
    {Msg::kUnknownCommand, "unknown command: %s"},
    {Msg::kMissingValue, "%s needs a value"},
    {Msg::kBadValue, "%s does not take %s"},
    {Msg::kIsAFolder, "%s is a folder, not a message file"},
    {Msg::kUsageLint, "usage: sendwarden-check lint [CONF]"},
    {Msg::kSummaryLint, "Loads a configuration as the plug-in does and says which lines have no effect and which are likely wrong."},
    {Msg::kUsageTest, "usage: sendwarden-check test [--conf CONF] --from TEXT [--to A]... [--cc A]... [--bcc A]...\n       sendwarden-check test [--conf CONF] MESSAGE... (- reads standard input)"},
    {Msg::kSummaryTest, "Says what the plug-in would decide for one send, rule by rule, and the notice the user would see."},
    {Msg::kUsageScan, "usage: sendwarden-check scan [--conf CONF] [--format text|csv|json] PATH..."},
    {Msg::kSummaryScan, "Replays sent mail: which messages the plug-in would refuse and why, and what each rule line allowed."},
    {Msg::kUsageSuggest, "usage: sendwarden-check suggest [--by-sender] [--by-address] [--min N] [--own-domain D]... PATH... > CONF"},
    {Msg::kSummarySuggest, "Writes a first configuration from sent mail, a line for each recipient domain."},
    {Msg::kUsageDiff, "usage: sendwarden-check diff [--format text|csv|json] OLD.conf NEW.conf PATH..."},
    {Msg::kSummaryDiff, "Compares two configurations on sent mail: the messages one refuses and the other allows."},
    {Msg::kOptionConf, "the configuration file (Sendwarden.conf in this folder when not given)"},
    {Msg::kOptionFormat, "text (when not given), csv (code page 932, CR LF) or json (UTF-8, one line each)"},
    {Msg::kOptionFrom, "the sender, as the From field would hold it"},
    {Msg::kOptionTo, "a To recipient, as the field would hold it; give it again for more"},
    {Msg::kOptionCc, "a Cc recipient; give it again for more"},
    {Msg::kOptionBcc, "a Bcc recipient; give it again for more"},
    {Msg::kOptionBySender, "puts a domain only one sender wrote to in that sender's own section"},
    {Msg::kOptionMin, "leaves a line commented out unless N messages or more went to it (2 when not given)"},
    {Msg::kOptionByAddress,
     "writes a line per recipient address instead of per domain (own domains stay a line each): "
     "a first-time recipient is then refused"},
    {Msg::kOptionOwnDomain,
     "names one of the organisation's own domains (repeat it for more); without it they are "
     "worked out from the senders"},
    {Msg::kOptionLang, "the language of what is said: ja or en"},
    {Msg::kOptionHelp, "this text"},
};

constexpr Text kJapanese[] = {
    {Msg::kVerbatim, "%s"},
    {Msg::kUsage, "使い方: sendwarden-check コマンド [オプション]... [--lang ja|en]"},
    {Msg::kUsageTail,
     "コマンドのオプションは sendwarden-check コマンド --help で、版は sendwarden-check --version で"
     "表示します。\n"
     "ファイルかフォルダー: メールのファイル、mbox、メールフォルダーの .bmf ファイル、またはそれらのフォルダー\n"
     "終了コード: 0 送信できる・問題なし、1 止まる・誤りがある、2 使い方の誤り・読めない入力、\n"
     "3（diff）新しい設定で新たに送れるメールがある、または規則の行が増えたか変わった"},
    {Msg::kSeeHelp, "使い方は sendwarden-check %s --help で確かめてください"},
    {Msg::kCannotRead, "読めません: %s"},
    {Msg::kCannotReadConfig, "設定ファイル %s を読めません: %s"},
    {Msg::kConfigIsAFolder, "フォルダーです"},
    {Msg::kConfigKeptChanging, "読んでいるあいだに書き換わりました（保存している途中ではありませんか）"},
    {Msg::kConfigNamedLonger,
     "  同じフォルダーに %s があります。保存したときに名前の後ろに付け足されたのではありませんか。名前を %s に変えてください"},
    {Msg::kTestRefusesEverySend,
     "設定ファイルを読めないあいだ、プラグインはすべての送信を止めます。このテストの判定も同じです"},
    {Msg::kFindingAtLine, "行 %s: %s: %s"},
    {Msg::kFindingAtLineWithHint, "行 %s: %s: %s%s"},
    {Msg::kFindingInFile, "%s: %s: %s"},
    {Msg::kNoEffect, "無効"},
    {Msg::kError, "誤り"},
    {Msg::kWarning, "警告"},
    {Msg::kHint, "ヒント"},
    {Msg::kNoSeparator, "「=」がありません"},
    {Msg::kEmptyKeyOrValue, "キーまたは値が空です"},
    {Msg::kUnknownKey, "キーが不明です: %s"},
    {Msg::kBadPattern, "正規表現として正しくありません: "},
    {Msg::kOutOfMemory, "読み込み中にメモリーが不足しました"},
    {Msg::kHintNone, ""},
    {Msg::kHintBom, "（ファイルの先頭に BOM があります。BOM なしで保存してください）"},
    {Msg::kHintSecondCr, "（行末に余分な CR があります）"},
    {Msg::kHintLeadingBlank, "（前に空白かタブがあります。見出しとコメントは行頭から書きます）"},
    {Msg::kHintEmptyBrackets, "（「[]」は見出しになりません）"},
    {Msg::kHintTrailingText, "（「]」の後に文字があります。見出しは「]」で終えます）"},
    {Msg::kHintNoClosingBracket, "（「]」がありません）"},
    {Msg::kHintNoOpeningBracket, "（「[」がありません）"},
    {Msg::kHintLoneCr, "（行の途中に CR だけの改行があります。古いエディターの改行で、前の文字と同じ行になっています）"},
    {Msg::kBrokenHeader, "見出しになっていません。次の見出しまでの規則の行は何も許可しません（%s）"},
    {Msg::kBrokenHeaderLines, "行 %s"},
    {Msg::kBrokenHeaderNoLines, "規則の行はありません"},
    {Msg::kUnderBrokenHeader, "使われません: 行 %s の見出しが壊れています"},
    {Msg::kCutByEndOfFile,
     "0x1A（ファイルの終わりの印）で行が切れています。この行とそれより後は使われません"},
    {Msg::kRefusedVerb,
     "「%s」はバックトラック制御の動詞です。照合が終わらなくなり、送信のたびにメールソフトが"
     "固まるおそれがあるため、プラグインはこのパターンを使いません"},
    {Msg::kRefusedRecursion,
     "「%s」は再帰です。照合に何秒もかかったり終わらなくなったりして、送信のたびにメールソフトが"
     "固まるおそれがあるため、プラグインはこのパターンを使いません"},
    {Msg::kRefusedUnread,
     "「%s」（%s 文字目）はプラグインが読めない書き方で、照合が終わると確かめられないため、"
     "プラグインはこのパターンを使いません"},
    {Msg::kRefusedTooDeep, "括弧の入れ子が 100 段を超えているため、プラグインはこのパターンを使いません"},
    {Msg::kRefusedTooLong,
     "パターンが %s バイトあります。この種類のパターンは %s バイトまでしか使いません（照合の時間は"
     "長さの 2 乗で増えます）。アドレスやドメインを 1 行に 1 つずつ書いてください"},
    {Msg::kNestedRepeat,
     "「%s」は、繰り返しの中でまた繰り返すため、同じ文字列の分け方が何通りもあります。"
     "許可しない宛先で照合が何百万手もかかり、送信が遅くなります（その後止まります）%s"},
    {Msg::kNestedRepeatRewrite, "。代わりに「%s」と書いてください"},
    {Msg::kSectionRefused, "見出しのパターン: %s。次の行は使われません: %s"},
    {Msg::kCommentedOutHeader,
     "「#」で使わなくした見出しです。次の見出しまでの規則の行は何も許可しません（%s）。その行にも"
     "「#」を付けるか、見出しの「#」を外してください"},
    {Msg::kLoneCrInRule, "行の途中に CR だけの改行があります（古いエディターの改行）。この行は使われません"},
    {Msg::kDomainWithoutAt,
     "「%s」の始まりが決まっていないため、x@not%s も許可します。前に「@」を付けるか、"
     "サブドメインも許可するなら「(@|\\.)」を付けてください"},
    {Msg::kHashInValue, "「 #」はコメントではなくパターンの一部です。コメントは行頭から書きます"},
    {Msg::kFullWidthMark,
     "パターンに全角の「＠」か「．」があります。アドレスの「@」「.」は半角です"},
    {Msg::kAnchoredAtStart,
     "「^」で始まるため、メールソフトが書く「名前 <アドレス>」の形に一致しません。"
     "「(^|<)」を使ってください"},
    {Msg::kBadPatternAt, "正規表現として正しくありません: %s（%s 文字目: %s）"},
    {Msg::kRegexParen, "括弧「( )」の対応が取れていません"},
    {Msg::kRegexBracket, "「[」に対応する「]」がありません"},
    {Msg::kRegexBrace, "回数指定「{ }」が閉じていないか、正しくありません"},
    {Msg::kRegexEscape, "「\\」の後の文字が正しくありません"},
    {Msg::kRegexRepeat, "繰り返し（* + ? {n}）の前に繰り返すものがありません"},
    {Msg::kRegexRange, "文字の範囲（a-z など）の始めと終わりが逆です"},
    {Msg::kRegexComplexity, "正規表現が複雑すぎます"},
    {Msg::kRegexOther, "正規表現エンジンのメッセージ: %s"},
    {Msg::kNoticeNeverNames,
     "TO・CC・BCC の行を持つ見出しがないため、通知に許可されない宛先が表示されません。表示するには、"
     "何も許可しない全差出人向けの見出しをファイルの最後に置きます: [^] と TO=(?!)、CC=(?!)、BCC=(?!)"
     "（suggest が書き出します）"},
    {Msg::kAllowsUnnamedDomain,
     "既定の規則のこのパターンは、差出人が誰でも、誰も指定していないドメインのアドレスを許可します"
     "（架空の宛先 %s も許可されます）。取引先のドメインは @partner\\.co\\.jp>?$ のように完全に書いてください"},
    {Msg::kSectionAllowsUnnamedDomain,
     "このパターンは、見出し %s（%s 行目）が当てはまる差出人に、誰も指定していないドメインのアドレスを"
     "許可します（架空の宛先 %s も許可されます）"},
    {Msg::kSectionForAnyoneAllowsUnnamed,
     "このパターンは誰も指定していないドメインのアドレスを許可し、見出し %s（%s 行目）は誰も指定して"
     "いない差出人にも当てはまります（架空の差出人 %s）。架空の宛先 %s も許可されます"},
    {Msg::kSectionWithoutRules, "この見出しの規則に使える行がないため、見出しは無効です"},
    {Msg::kSectionBadName, "見出しが正規表現として正しくありません: %s。次の行も無効になります: %s"},
    {Msg::kTakenDownBySection, "この行の見出しのパターンが使われません。見出しの行: %s"},
    {Msg::kPatternEndsInCr,
     "パターンの末尾に CR があります（行末の CR が 2 つ）。一致することはありません"},
    {Msg::kNotAnchored,
     "末尾に $ がありません。表示名や x@example.co.jp.evil.test にも一致します（例: >?$ で終える）"},
    {Msg::kUnescapedDot, "ドメインの区切りの「.」は任意の 1 文字に一致します。「\\.」と書いてください"},
    {Msg::kDuplicateSection, "同じ見出しがすでにあります: 行 %s"},
    {Msg::kNoRules, "規則が 1 つもありません。すべての送信が止められます"},
    {Msg::kNotCp932,
     "この行は Shift_JIS（CP932）の文字になっていません。プラグインはバイトのまま読むため、"
     "この部分はメールソフトが渡す名前と一致しません"},
    {Msg::kSavedAsUtf8,
     "このファイルは UTF-8 で保存されていますが、プラグインは Shift_JIS（CP932）として読みます。"
     "日本語を含む規則は一致しません。Shift_JIS で保存し直してください。メモ帳では"
     "「名前を付けて保存」で文字コードを「ANSI」に、ほかのエディターでは「Shift_JIS」にします"},
    {Msg::kSummary, "無効な行 %s、警告 %s"},
    {Msg::kSummaryWithErrors, "無効な行 %s、警告 %s、誤り %s"},
    {Msg::kVerdictSend, "判定: 送信"},
    {Msg::kVerdictRefuse, "判定: 送信中止"},
    {Msg::kSender, "差出人: %s"},
    {Msg::kDefaultRuleHead, "既定の規則:"},
    {Msg::kNoDefaultRule, "既定の規則はありません"},
    {Msg::kSectionAt, "[%s] (行 %s)"},
    {Msg::kNotAllowed, "この規則では許可されていません"},
    {Msg::kAllowedByLine, "%s (行 %s) %s"},
    {Msg::kSectionDoesNotApply, "送信者ごとの規則 %s: この差出人には使われません"},
    {Msg::kSectionAllowsAll, "送信者ごとの規則 %s: 使われ、残りの宛先をすべて許可します"},
    {Msg::kSectionRefusesNamed, "送信者ごとの規則 %s: 使われ、次の宛先で止めます（通知に表示）: %s"},
    {Msg::kSectionRefusesUnnamed, "送信者ごとの規則 %s: 使われ、次の宛先で止めます（この欄の規則がないため通知には出ません）: %s"},
    {Msg::kAllowedByDefault, "許可した規則: 既定の規則"},
    {Msg::kAllowedBySection, "許可した規則: 送信者ごとの規則 %s"},
    {Msg::kAllowedByNothing,
     "送信中止: 既定の規則も、使われる送信者ごとの規則も、すべての宛先を許可していません"},
    {Msg::kNotice, "表示される通知:"},
    {Msg::kCannotCheck, "送信中止: メールを調べられません: %s: %s (%s)"},
    {Msg::kMalformedEscape, "宛先に使えない「\\」があります"},
    {Msg::kNoDecodedText, "復号した文字列がありません"},
    {Msg::kEmptiedByDecoding, "宛先を復号すると空になります"},
    {Msg::kAddressLost, "復号した文字列に、書かれたとおりのアドレスがありません"},
    {Msg::kHiddenLineBreak, "宛先の中に改行（CR・LF）があります"},
    {Msg::kBareCarriageReturn, "ヘッダーの行の中に LF のない CR があります"},
    {Msg::kHeaderNotEnded,
     "ヘッダーが終わる前に文字列が終わっています（ヘッダーの中の NUL で、プラグインに渡される文字列が"
     "終わります）"},
    {Msg::kUnclearEncodedWord,
     "メールソフトによって読み方の違う符号化（=?...?=）か、知られていない文字コードの符号化があります"},
    {Msg::kAddressFromDecoding, "表示名を復号するとアドレスの形になります"},
    {Msg::kAddressUnreadable, "宛先の書き方が読み取れません（%s）"},
    {Msg::kWhyUnclosedComment, "閉じていない括弧"},
    {Msg::kWhyUnclosedQuote, "閉じていない引用符"},
    {Msg::kWhyUnclosedAngle, "閉じていない「<」"},
    {Msg::kWhyUnclosedDomainLiteral, "閉じていない「[」"},
    {Msg::kWhyUnclosedGroup, "「;」で閉じていないグループ"},
    {Msg::kWhyNestedGroup, "グループの中のグループ"},
    {Msg::kWhyStrayCharacter, "その位置に書けない文字"},
    {Msg::kWhyNoLocalPart, "「@」の前に何もありません"},
    {Msg::kWhyNoDomain, "「@」の後にドメインがありません"},
    {Msg::kWhyBadDots, "先頭・末尾の点、または続いた点"},
    {Msg::kWhyTextAfterAddress, "アドレスの後の余分な文字"},
    {Msg::kWhyEmptyDisplayName, "名前のないグループ"},
    {Msg::kWhyLineBreakInside, "引用符・括弧・「[...]」の中の改行（折り返した行）"},
    {Msg::kWhyLeadingDot, "点で始まる表示名"},
    {Msg::kWhyDoubleByteMark, "2 バイト目が \\ @ [ ] の全角文字（符号化されていない表示名など）"},
    {Msg::kWhyQuoteInComment, "括弧の中の引用符"},
    {Msg::kWhyCommaInComment, "括弧の中のカンマ"},
    {Msg::kWhyPiecesDiffer, "宛先の区切り方がメールサーバーの読み方と違います"},
    {Msg::kWhyAddressDiffers, "表示されるアドレスと届け先が違います"},
    {Msg::kWhyGroupWithMembers, "グループ（名前: 宛先;）の中の宛先"},
    {Msg::kWhyQuotedLocalPart, "「@」の前が引用符で囲まれています"},
    {Msg::kWhyRoute, "経路指定（<@中継:宛先>）"},
    {Msg::kWhyCommentAfterAddress, "「<...>」のないアドレスの後の括弧"},
    {Msg::kWhyTextAfterAngle, "「<...>」のアドレスの後に文字があります（肩書などは「<」の前の名前に書きます）"},
    {Msg::kTwoSenders, "差出人（From）の行が 2 つあります"},
    {Msg::kSenderNotOne, "差出人（From）に複数のアドレスがあります"},
    {Msg::kSenderUnreadable, "差出人の書き方が読み取れません（%s）"},
    {Msg::kSenderFromDecoding, "差出人を復号すると「@」「<」「>」が増えます"},
    {Msg::kEngineGaveUp, "送信中止: 正規表現の照合が複雑すぎて打ち切られました: %s"},
    {Msg::kEngineGaveUpAtLine,
     "送信中止: 行 %s のパターン（%s）で「%s」の照合が複雑すぎて打ち切られました"},
    {Msg::kScanRefused, "送信中止になるメール: %s"},
    {Msg::kScanInMbox, "%s (%s 通目、%s バイト目)"},
    {Msg::kScanNoticeNames, "通知に表示される宛先: %s"},
    {Msg::kScanGeneralNotice, "通知は宛先名のない文面（なんか駄目です。。。）になります"},
    {Msg::kScanWhy, "理由: %s"},
    {Msg::kScanCannotCheck, "メールを調べられません: %s: %s"},
    {Msg::kScanEngineGaveUp, "正規表現の照合が複雑すぎて打ち切られました: %s"},
    {Msg::kScanEngineGaveUpAtLine, "行 %s のパターン（%s）で照合が複雑すぎて打ち切られました"},
    {Msg::kScanRead, "読んだメール: %s"},
    {Msg::kScanSent, "送信されるメール: %s"},
    {Msg::kScanRefusedCount, "送信中止になるメール: %s"},
    {Msg::kScanUnreadable, "読めなかったもの: %s"},
    {Msg::kScanRuleUsage, "行ごとの利用数（その行が許可した宛先の数。既定の規則はすべてのメール、"
                          "送信者ごとの規則はその規則が許可したメールで数えます）:"},
    {Msg::kScanRuleLine, "  行 %s  許可 %s  %s"},
    {Msg::kScanNeverUsed, "どの宛先も許可しなかった行（古い宛先や書き間違いかもしれません）:"},
    {Msg::kScanUnusedLine, "  行 %s  %s"},
    {Msg::kScanUnusedSections, "どのメールの差出人にも当てはまらなかった送信者ごとの規則:"},
    {Msg::kScanUnusedSection, "  行 %s  [%s]"},
    {Msg::kScanNone, "  （なし）"},
    {Msg::kScanProgress, "%s 通、%s / %s MB、毎秒 %s MB、残り %s 秒"},
    {Msg::kNoSuchPath, "ファイルもフォルダーもありません"},
    {Msg::kCannotOpen, "開けません（%s）"},
    {Msg::kCannotList, "フォルダーを最後まで読めません（%s）"},
    {Msg::kCannotSize, "大きさを読めません（%s）"},
    {Msg::kReadError, "読み込み中にエラーが起きました"},
    {Msg::kNotAMessage, "メールではありません（ヘッダー欄がありません）"},
    {Msg::kHeaderTooLong, "ヘッダーが 16 MB より長いです"},
    {Msg::kScanNotAllowed, "  許可されていない宛先: %s  %s"},
    {Msg::kScanTopDomains, "止められた回数の多い宛先ドメイン:"},
    {Msg::kScanDomainCount, "  %s  %s"},
    {Msg::kSuggestHead, "# sendwarden-check suggest が送信済みメール %s 通から作りました。"},
    {Msg::kSuggestMinimum,
     "# %s 通に満たない行と、フリーメール・携帯電話会社・よく使うドメインに似たドメインの行は # で無効に"
     "してあります。確かめてから # を外してください。"},
    {Msg::kSuggestOwnDomains, "# 自社のドメイン（送信者から判断。--own-domain で指定できます）: %s"},
    {Msg::kSuggestOwnDomainsGiven, "# 自社のドメイン（--own-domain で指定）: %s"},
    {Msg::kSuggestNoSender, "（送信者不明）"},
    {Msg::kSuggestMoreSenders, " ほか %s 人"},
    {Msg::kSuggestOffLooksLike, "# 無効: より多く使われている %s に似ています（打ち間違いではありませんか）"},
    {Msg::kSuggestOffFreeMail, "# 無効: フリーメールです（誰でもアドレスを持てます）"},
    {Msg::kSuggestOffCarrier, "# 無効: 携帯電話会社のメールです（誰でもアドレスを持てます）"},
    {Msg::kSuggestSummary,
     "suggest: 規則の行 %s 行（有効 %s、無効 %s: 数が --min 未満 %s、よく使うドメインに似ている %s、"
     "フリーメール %s、携帯電話会社 %s）"},
    {Msg::kSuggestOwnTaken,
     "suggest: 自社のドメインを送信者から判断しました: %s（これらの送信者が %s 通、差出人の分かるメールは全部で %s 通）。"
     "--own-domain で指定できます"},
    {Msg::kSuggestNotCounted, "# 宛先を読み取れないメール %s 通は数えていません。scan で確かめてください。"},
    {Msg::kSuggestEntriesNotCovered,
     "# パターンにできるドメインのない宛先 %s 件は数えていません。scan で確かめてください。"},
    {Msg::kSuggestDomain, "# %s: %s 通、送信者 %s、例 %s"},
    {Msg::kSuggestOwnDomain, "# %s: %s 通（自社）、送信者 %s、例 %s"},
    {Msg::kSuggestSection, "# %s だけが送った宛先ドメイン:"},
    {Msg::kSuggestNamingSection,
     "# 何も許可しない見出しです。どの差出人でも、上の行で許可されない最初の宛先を通知に表示します。最後に置いてください。"},
    {Msg::kSuggestNothingActive,
     "%s 通以上のメールで使われた宛先ドメインがありません。すべての行を # で無効にしてあります"},
    {Msg::kNothingRead, "メールを 1 通も読めませんでした"},
    {Msg::kDiffNewlyRefused, "新たに止まるメール: %s"},
    {Msg::kDiffNewlyAllowed, "新たに送れるメール: %s"},
    {Msg::kDiffRecipient, "  %s  %s"},
    {Msg::kDiffAllowedBefore, "      これまでは行 %s が許可: %s"},
    {Msg::kDiffAllowedNow, "      これからは行 %s が許可: %s"},
    {Msg::kDiffSummary, "%s 通を比べました。新たに止まる: %s 通、新たに送れる: %s 通、読めない: %s 通"},
    {Msg::kDiffRuleLines, "規則の行: 追加 %s、削除 %s、変更 %s"},
    {Msg::kDiffLineAdded, "  追加（新しい設定の行 %s）%s: %s"},
    {Msg::kDiffLineRemoved, "  削除（前の設定の行 %s）%s: %s"},
    {Msg::kDiffLineChanged, "  変更（前の設定の行 %s、新しい設定の行 %s）%s: %s → %s"},
    {Msg::kDiffDefaultRule, "既定の規則"},
    {Msg::kDiffLinesWiden,
     "規則の行が追加または変更されました。過去のメールの宛先になかった相手にも送れるようになるかもしれません"
     "（終了コード 3）。配る前に上の行を確かめてください"},
    {Msg::kUnknownOption, "不明なオプションです: %s"},
    {Msg::kUnknownCommand, "不明なコマンドです: %s"},
    {Msg::kMissingValue, "%s の値がありません"},
    {Msg::kBadValue, "%s に %s は指定できません"},
    {Msg::kIsAFolder, "%s はフォルダーです。メールのファイルを指定してください"},
    {Msg::kUsageLint, "使い方: sendwarden-check lint [設定ファイル]"},
    {Msg::kSummaryLint, "設定ファイルをプラグインと同じように読み、無効な行と誤りらしい行を示します。"},
    {Msg::kUsageTest, "使い方: sendwarden-check test [--conf 設定ファイル] --from 差出人 [--to 宛先]... [--cc 宛先]... [--bcc 宛先]...\n        sendwarden-check test [--conf 設定ファイル] メールファイル...（- は標準入力）"},
    {Msg::kSummaryTest, "1 通の送信をプラグインがどう判定するかを、規則ごとに、利用者に出る通知とともに示します。"},
    {Msg::kUsageScan, "使い方: sendwarden-check scan [--conf 設定ファイル] [--format text|csv|json] ファイルかフォルダー..."},
    {Msg::kSummaryScan, "送信済みのメールを調べ、送信中止になるメールとその理由、規則の行ごとの利用数を示します。"},
    {Msg::kUsageSuggest, "使い方: sendwarden-check suggest [--by-sender] [--by-address] [--min 通数] [--own-domain ドメイン]... ファイルかフォルダー... > 設定ファイル"},
    {Msg::kSummarySuggest, "送信済みのメールから最初の設定ファイルを作ります。宛先のドメインごとに 1 行です。"},
    {Msg::kUsageDiff, "使い方: sendwarden-check diff [--format text|csv|json] 旧設定 新設定 ファイルかフォルダー..."},
    {Msg::kSummaryDiff, "2 つの設定を送信済みのメールで比べ、一方で止まりもう一方で送れるメールを示します。"},
    {Msg::kOptionConf, "設定ファイル（指定しなければ、このフォルダーの Sendwarden.conf）"},
    {Msg::kOptionFormat, "text（指定しないとき）、csv（Shift_JIS、CR LF）、json（UTF-8、1 件 1 行）"},
    {Msg::kOptionFrom, "差出人（From 欄に書くとおりに）"},
    {Msg::kOptionTo, "To の宛先（欄に書くとおりに）。複数あるときは繰り返し指定します"},
    {Msg::kOptionCc, "Cc の宛先。複数あるときは繰り返し指定します"},
    {Msg::kOptionBcc, "Bcc の宛先。複数あるときは繰り返し指定します"},
    {Msg::kOptionBySender, "1 人の差出人だけが送ったドメインを、その差出人の見出しの下に書きます"},
    {Msg::kOptionMin, "N 通以上のメールが送られた行だけを有効にします（指定しなければ 2）"},
    {Msg::kOptionByAddress,
     "ドメインごとではなく宛先のアドレスごとに 1 行書きます（自社のドメインはドメインで 1 行）。初めての宛先は止められます"},
    {Msg::kOptionOwnDomain,
     "自社のドメインを指定します（複数あれば繰り返します）。指定しなければ送信者から判断します"},
    {Msg::kOptionLang, "表示する言語: ja か en"},
    {Msg::kOptionHelp, "この説明"},
};

template <size_t N>
constexpr bool EveryTextInOrder(const Text (&table)[N]) {
  if (N != static_cast<size_t>(Msg::kCount)) return false;
  for (size_t i = 0; i < N; ++i) {
    if (table[i].id != static_cast<Msg>(i)) return false;
  }
  return true;
}
static_assert(EveryTextInOrder(kEnglish), "the English table must list every Msg, in order");
static_assert(EveryTextInOrder(kJapanese), "the Japanese table must list every Msg, in order");

}  // namespace

Phrase Word(std::string text) {
  Phrase phrase;
  phrase.word = std::move(text);
  return phrase;
}

const char* Template(Language language, Msg id) {
  const Text* table = language == Language::kJapanese ? kJapanese : kEnglish;
  return table[static_cast<size_t>(id)].text;
}

std::string Say(Language language, Msg id, const std::vector<std::string>& values) {
  std::string text = Template(language, id);
  size_t at = 0;
  for (const std::string& value : values) {
    at = text.find("%s", at);
    if (at == std::string::npos) break;
    text.replace(at, 2, value);
    at += value.size();  // a value's own "%s" is not a mark
  }
  return text;
}

std::string Say(Language language, const Phrase& phrase) {
  if (phrase.id == Msg::kVerbatim) return phrase.word;
  std::vector<std::string> values;
  for (const Phrase& arg : phrase.args) values.push_back(Say(language, arg));
  return Say(language, phrase.id, values);
}

}  // namespace sendwarden_checker
