#include "tools/check/messages.h"

namespace sendwarden_check {

namespace {

struct Text {
  Msg id;
  const char* text;
};

constexpr Text kEnglish[] = {
    {Msg::kUsage,
     "usage: sendwarden-check lint [--lang ja|en] [CONF]\n"
     "       sendwarden-check test [--conf CONF] [--lang ja|en] --from TEXT [--to A]... "
     "[--cc A]... [--bcc A]...\n"
     "       sendwarden-check test [--conf CONF] [--lang ja|en] MESSAGE\n"
     "       sendwarden-check scan [--conf CONF] [--lang ja|en] [--format text|csv|json] "
     "PATH...\n"},
    {Msg::kCannotRead, "cannot read "},
    {Msg::kLine, "line"},
    {Msg::kNoEffect, "no effect"},
    {Msg::kError, "error"},
    {Msg::kWarning, "warning"},
    {Msg::kNoSeparator, "no \"=\""},
    {Msg::kEmptyKeyOrValue, "empty key or value"},
    {Msg::kUnknownKey, "unknown key "},
    {Msg::kBadPattern, "pattern does not compile: "},
    {Msg::kOutOfMemory, "out of memory while the line was read"},
    {Msg::kHintBom, " (the file starts with a byte-order mark; save it without one)"},
    {Msg::kHintSecondCr, " (the line ends in a second carriage return)"},
    {Msg::kHintLeadingBlank,
     " (a blank or tab stands before it; headers and comments must start at the first byte)"},
    {Msg::kHintTrailingBlank, " (a blank or tab stands after the \"]\")"},
    {Msg::kHintEmptyBrackets, " (\"[]\" is no section header)"},
    {Msg::kHintTrailingText, " (text stands after the \"]\"; a header must end with it)"},
    {Msg::kWidenedLines, "this is not a section header, so the rule lines below it join "},
    {Msg::kWidenedToDefault, "the default rule, for every sender"},
    {Msg::kWidenedToSection, "the rule of the section in line "},
    {Msg::kWidenedToSectionEnd, ""},
    {Msg::kAllowsEveryone,
     "this pattern of the default rule allows every recipient, whoever the sender is"},
    {Msg::kSectionWithoutRules, "section has no usable rule line; its header has no effect"},
    {Msg::kSectionBadName, "section name does not compile: "},
    {Msg::kLinesTakenDown, "; these lines have no effect with it: "},
    {Msg::kTakenDownBySection, "its section's name does not compile, see line "},
    {Msg::kPatternEndsInCr,
     "the pattern ends in a carriage return (two CRs before the line feed) and can never match"},
    {Msg::kNotAnchored,
     "pattern is not anchored at the end: a display name or x@example.co.jp.evil.test can "
     "satisfy it (end it with $, e.g. >?$)"},
    {Msg::kUnescapedDot, "\".\" between domain labels matches any character; write \"\\.\""},
    {Msg::kDuplicateSection, "the same section name already stands in line "},
    {Msg::kNoRules, "the file has no rule at all: every send is refused"},
    {Msg::kNotCp932,
     "the line is not code page 932 (Shift_JIS) text: the plug-in reads its bytes as they are, "
     "so a pattern with them never matches a name the mail client hands over"},
    {Msg::kSavedAsUtf8,
     "the file is saved as UTF-8, but the plug-in reads code page 932 (Shift_JIS): rules with "
     "Japanese text never match. Save it again as Shift_JIS: in Notepad, \"Save As\" "
     "(「名前を付けて保存」) with the encoding \"ANSI\"; in other editors, \"Shift_JIS\""},
    {Msg::kSummary, "lines without effect: %zu, warnings: %zu"},
    {Msg::kSummaryErrors, ", errors: %zu"},
    {Msg::kVerdictSend, "verdict: send"},
    {Msg::kVerdictRefuse, "verdict: refused"},
    {Msg::kSender, "sender"},
    {Msg::kDefaultRule, "default rule"},
    {Msg::kNoDefaultRule, "no default rule"},
    {Msg::kSection, "section"},
    {Msg::kNotAllowed, "not allowed by this rule"},
    {Msg::kSectionDoesNotApply, "does not apply to this sender"},
    {Msg::kSectionAllowsAll, "applies, and allows every entry left"},
    {Msg::kSectionRefusesNamed, "applies, and refuses (named in the notice): "},
    {Msg::kSectionRefusesUnnamed, "applies, and refuses (not named: the field has no list here): "},
    {Msg::kAllowedByDefault, "allowed by: the default rule"},
    {Msg::kAllowedBySection, "allowed by: section "},
    {Msg::kAllowedByNothing,
     "refused: neither the default rule nor any section that applies allows every recipient"},
    {Msg::kNotice, "notice the user would see:"},
    {Msg::kCannotCheck, "refused: the message cannot be checked: "},
    {Msg::kMalformedEscape, "a backslash the address list does not allow"},
    {Msg::kUnclosedQuote, "a double quote that is never closed"},
    {Msg::kNoDecodedText, "no decoded text"},
    {Msg::kEmptiedByDecoding, "the decoded text of a recipient is empty"},
    {Msg::kAddressLost, "an address in angle brackets is missing from the decoded text"},
    {Msg::kHiddenLineBreak, "a carriage return inside a recipient"},
    {Msg::kNotOneAddress,
     "a recipient that may be more than one address (text after \">\", or blanks, \";\" or a "
     "second \"@\" without \"<...>\")"},
    {Msg::kAddressFromDecoding, "decoding made an address out of a display name"},
    {Msg::kEngineGaveUp, "refused: the pattern engine gave up: "},
    {Msg::kScanRefused, "would be refused: "},
    {Msg::kScanMessageAt, "message %llu, byte %llu"},
    {Msg::kScanNoticeNames, "the notice would name: "},
    {Msg::kScanGeneralNotice, "the notice would name no address (the general text)"},
    {Msg::kScanWhy, "why: "},
    {Msg::kScanCannotCheck, "the message cannot be checked: "},
    {Msg::kScanEngineGaveUp, "the pattern engine gave up: "},
    {Msg::kScanRead, "messages read: "},
    {Msg::kScanSent, "would be sent: "},
    {Msg::kScanRefusedCount, "would be refused: "},
    {Msg::kScanUnreadable, "could not be read: "},
    {Msg::kScanRuleUsage, "rule usage (recipients each line allowed; the default rule in every "
                          "message, a section in the messages it allowed):"},
    {Msg::kScanAllowedCount, "allowed %llu"},
    {Msg::kScanNeverUsed, "lines that allowed no recipient (stale entries or typos?):"},
    {Msg::kScanUnusedSections, "sections whose sender pattern matched no message:"},
    {Msg::kScanNone, "  (none)"},
    {Msg::kScanProgress, "%llu messages, %.0f of %.0f MB, %.0f MB/s, %.0f s left"},
    {Msg::kNoSuchPath, "no such file or folder"},
    {Msg::kCannotOpen, "cannot be opened"},
    {Msg::kReadError, "a read error"},
    {Msg::kNotAMessage, "not a mail message: no header field"},
    {Msg::kBinaryData, "binary data: a NUL byte in the header"},
    {Msg::kHeaderTooLong, "the header block is longer than 16 MB"},
};

constexpr Text kJapanese[] = {
    {Msg::kUsage,
     "使い方: sendwarden-check lint [--lang ja|en] [設定ファイル]\n"
     "        sendwarden-check test [--conf 設定ファイル] [--lang ja|en] --from 差出人 "
     "[--to 宛先]... [--cc 宛先]... [--bcc 宛先]...\n"
     "        sendwarden-check test [--conf 設定ファイル] [--lang ja|en] メールファイル\n"
     "        sendwarden-check scan [--conf 設定ファイル] [--lang ja|en] [--format text|csv|json] "
     "ファイルかフォルダー...\n"},
    {Msg::kCannotRead, "読めません: "},
    {Msg::kLine, "行"},
    {Msg::kNoEffect, "無効"},
    {Msg::kError, "誤り"},
    {Msg::kWarning, "警告"},
    {Msg::kNoSeparator, "「=」がありません"},
    {Msg::kEmptyKeyOrValue, "キーまたは値が空です"},
    {Msg::kUnknownKey, "キーが不明です: "},
    {Msg::kBadPattern, "正規表現として正しくありません: "},
    {Msg::kOutOfMemory, "読み込み中にメモリーが不足しました"},
    {Msg::kHintBom, "（ファイルの先頭に BOM があります。BOM なしで保存してください）"},
    {Msg::kHintSecondCr, "（行末に余分な CR があります）"},
    {Msg::kHintLeadingBlank, "（前に空白かタブがあります。見出しとコメントは行頭から書きます）"},
    {Msg::kHintTrailingBlank, "（「]」の後に空白かタブがあります）"},
    {Msg::kHintEmptyBrackets, "（「[]」は見出しになりません）"},
    {Msg::kHintTrailingText, "（「]」の後に文字があります。見出しは「]」で終えます）"},
    {Msg::kWidenedLines, "見出しになっていないため、下の規則の行が"},
    {Msg::kWidenedToDefault, "既定の規則に加わり、すべての差出人に使われます"},
    {Msg::kWidenedToSection, "行 "},
    {Msg::kWidenedToSectionEnd, " の見出しの規則に加わります"},
    {Msg::kAllowsEveryone, "既定の規則のこのパターンは、差出人が誰でも、どの宛先も許可します"},
    {Msg::kSectionWithoutRules, "この見出しの規則に使える行がないため、見出しは無効です"},
    {Msg::kSectionBadName, "見出しが正規表現として正しくありません: "},
    {Msg::kLinesTakenDown, "。次の行も無効になります: "},
    {Msg::kTakenDownBySection, "この行の見出しが正規表現として正しくありません。見出しの行: "},
    {Msg::kPatternEndsInCr,
     "パターンの末尾に CR があります（行末の CR が 2 つ）。一致することはありません"},
    {Msg::kNotAnchored,
     "末尾に $ がありません。表示名や x@example.co.jp.evil.test にも一致します（例: >?$ で終える）"},
    {Msg::kUnescapedDot, "ドメインの区切りの「.」は任意の 1 文字に一致します。「\\.」と書いてください"},
    {Msg::kDuplicateSection, "同じ見出しがすでにあります: 行 "},
    {Msg::kNoRules, "規則が 1 つもありません。すべての送信が止められます"},
    {Msg::kNotCp932,
     "この行は Shift_JIS（CP932）の文字になっていません。プラグインはバイトのまま読むため、"
     "この部分はメールソフトが渡す名前と一致しません"},
    {Msg::kSavedAsUtf8,
     "このファイルは UTF-8 で保存されていますが、プラグインは Shift_JIS（CP932）として読みます。"
     "日本語を含む規則は一致しません。Shift_JIS で保存し直してください。メモ帳では"
     "「名前を付けて保存」で文字コードを「ANSI」に、ほかのエディターでは「Shift_JIS」にします"},
    {Msg::kSummary, "無効な行 %zu、警告 %zu"},
    {Msg::kSummaryErrors, "、誤り %zu"},
    {Msg::kVerdictSend, "判定: 送信"},
    {Msg::kVerdictRefuse, "判定: 送信中止"},
    {Msg::kSender, "差出人"},
    {Msg::kDefaultRule, "既定の規則"},
    {Msg::kNoDefaultRule, "既定の規則はありません"},
    {Msg::kSection, "送信者ごとの規則"},
    {Msg::kNotAllowed, "この規則では許可されていません"},
    {Msg::kSectionDoesNotApply, "この差出人には使われません"},
    {Msg::kSectionAllowsAll, "使われ、残りの宛先をすべて許可します"},
    {Msg::kSectionRefusesNamed, "使われ、次の宛先で止めます（通知に表示）: "},
    {Msg::kSectionRefusesUnnamed, "使われ、次の宛先で止めます（この欄の規則がないため通知には出ません）: "},
    {Msg::kAllowedByDefault, "許可した規則: 既定の規則"},
    {Msg::kAllowedBySection, "許可した規則: 送信者ごとの規則 "},
    {Msg::kAllowedByNothing,
     "送信中止: 既定の規則も、使われる送信者ごとの規則も、すべての宛先を許可していません"},
    {Msg::kNotice, "表示される通知:"},
    {Msg::kCannotCheck, "送信中止: メールを調べられません: "},
    {Msg::kMalformedEscape, "宛先に使えない「\\」があります"},
    {Msg::kUnclosedQuote, "閉じていない「\"」があります"},
    {Msg::kNoDecodedText, "復号した文字列がありません"},
    {Msg::kEmptiedByDecoding, "宛先を復号すると空になります"},
    {Msg::kAddressLost, "< > で囲まれたアドレスが復号後の文字列にありません"},
    {Msg::kHiddenLineBreak, "宛先の中に CR があります"},
    {Msg::kNotOneAddress,
     "1 つの宛先に複数のアドレスが入っているかもしれません（「>」の後の文字、または「<...>」なしの"
     "空白・「;」・2 つ目の「@」）"},
    {Msg::kAddressFromDecoding, "表示名を復号するとアドレスの形になります"},
    {Msg::kEngineGaveUp, "送信中止: 正規表現の照合が複雑すぎて打ち切られました: "},
    {Msg::kScanRefused, "送信中止になるメール: "},
    {Msg::kScanMessageAt, "%llu 通目、%llu バイト目"},
    {Msg::kScanNoticeNames, "通知に表示される宛先: "},
    {Msg::kScanGeneralNotice, "通知は宛先名のない文面（なんか駄目です。。。）になります"},
    {Msg::kScanWhy, "理由: "},
    {Msg::kScanCannotCheck, "メールを調べられません: "},
    {Msg::kScanEngineGaveUp, "正規表現の照合が複雑すぎて打ち切られました: "},
    {Msg::kScanRead, "読んだメール: "},
    {Msg::kScanSent, "送信されるメール: "},
    {Msg::kScanRefusedCount, "送信中止になるメール: "},
    {Msg::kScanUnreadable, "読めなかったもの: "},
    {Msg::kScanRuleUsage, "行ごとの利用数（その行が許可した宛先の数。既定の規則はすべてのメール、"
                          "送信者ごとの規則はその規則が許可したメールで数えます）:"},
    {Msg::kScanAllowedCount, "許可 %llu"},
    {Msg::kScanNeverUsed, "どの宛先も許可しなかった行（古い宛先や書き間違いかもしれません）:"},
    {Msg::kScanUnusedSections, "どのメールの差出人にも当てはまらなかった送信者ごとの規則:"},
    {Msg::kScanNone, "  （なし）"},
    {Msg::kScanProgress, "%llu 通、%.0f / %.0f MB、毎秒 %.0f MB、残り %.0f 秒"},
    {Msg::kNoSuchPath, "ファイルもフォルダーもありません"},
    {Msg::kCannotOpen, "開けません"},
    {Msg::kReadError, "読み込み中にエラーが起きました"},
    {Msg::kNotAMessage, "メールではありません（ヘッダー欄がありません）"},
    {Msg::kBinaryData, "バイナリーデータです（ヘッダーに NUL があります）"},
    {Msg::kHeaderTooLong, "ヘッダーが 16 MB より長いです"},
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

const char* Say(Language language, Msg id) {
  const Text* table = language == Language::kJapanese ? kJapanese : kEnglish;
  return table[static_cast<size_t>(id)].text;
}

}  // namespace sendwarden_check
