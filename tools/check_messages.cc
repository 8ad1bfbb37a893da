#include "tools/check_messages.h"

namespace sendwarden_check {

const Messages& EnglishMessages() {
  static const Messages messages = {
      "usage: sendwarden-check lint [--lang ja|en] [CONF]\n"
      "       sendwarden-check test [--conf CONF] [--lang ja|en] --from TEXT [--to A]... "
      "[--cc A]... [--bcc A]...\n"
      "       sendwarden-check test [--conf CONF] [--lang ja|en] MESSAGE\n",
      "cannot read ",
      "line",
      "no effect",
      "warning",
      "no \"=\"",
      "empty key or value",
      "unknown key ",
      "pattern does not compile: ",
      "out of memory while the line was read",
      " (the file starts with a byte-order mark; save it without one)",
      " (the line ends in a second carriage return)",
      " (a blank or tab stands before it; headers and comments must start at the first byte)",
      " (a blank or tab stands after the \"]\")",
      " (\"[]\" is no section header)",
      "section has no usable rule line; its header has no effect",
      "section name does not compile: ",
      "; these lines have no effect with it: ",
      "its section's name does not compile, see line ",
      "the pattern ends in a carriage return (two CRs before the line feed) and can never match",
      "pattern is not anchored at the end: a display name or x@example.co.jp.evil.test can "
      "satisfy it (end it with $, e.g. >?$)",
      "\".\" between domain labels matches any character; write \"\\.\"",
      "the same section name already stands in line ",
      "the file has no rule at all: every send is refused",
      "lines without effect: %zu, warnings: %zu",
      "verdict: send",
      "verdict: refused",
      "default rule",
      "section",
      "allowed by no rule that applies to this sender",
      "sections that apply to this sender:",
      "no section applies to this sender",
      "notice the user would see:",
      "(encoded words are not decoded here; the mail client decodes them)",
      "sender",
  };
  return messages;
}

const Messages& JapaneseMessages() {
  static const Messages messages = {
      "使い方: sendwarden-check lint [--lang ja|en] [設定ファイル]\n"
      "        sendwarden-check test [--conf 設定ファイル] [--lang ja|en] --from 差出人 "
      "[--to 宛先]... [--cc 宛先]... [--bcc 宛先]...\n"
      "        sendwarden-check test [--conf 設定ファイル] [--lang ja|en] メールファイル\n",
      "読めません: ",
      "行",
      "無効",
      "警告",
      "「=」がありません",
      "キーまたは値が空です",
      "キーが不明です: ",
      "正規表現として正しくありません: ",
      "読み込み中にメモリーが不足しました",
      "（ファイルの先頭に BOM があります。BOM なしで保存してください）",
      "（行末に余分な CR があります）",
      "（前に空白かタブがあります。見出しとコメントは行頭から書きます）",
      "（「]」の後に空白かタブがあります）",
      "（「[]」は見出しになりません）",
      "この見出しの規則に使える行がないため、見出しは無効です",
      "見出しが正規表現として正しくありません: ",
      "。次の行も無効になります: ",
      "この行の見出しが正規表現として正しくありません。見出しの行: ",
      "パターンの末尾に CR があります（行末の CR が 2 つ）。一致することはありません",
      "末尾に $ がありません。表示名や x@example.co.jp.evil.test にも一致します（例: >?$ で終える）",
      "ドメインの区切りの「.」は任意の 1 文字に一致します。「\\.」と書いてください",
      "同じ見出しがすでにあります: 行 ",
      "規則が 1 つもありません。すべての送信が止められます",
      "無効な行 %zu、警告 %zu",
      "判定: 送信",
      "判定: 送信中止",
      "既定の規則",
      "送信者ごとの規則",
      "この差出人に使われる規則のどれにも許可されていません",
      "この差出人に使われる送信者ごとの規則:",
      "この差出人に使われる送信者ごとの規則はありません",
      "表示される通知:",
      "（ここではエンコードされた表示名を復号しません。メールソフトは復号します）",
      "差出人",
  };
  return messages;
}

}  // namespace sendwarden_check
