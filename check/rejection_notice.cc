#include "check/rejection_notice.h"

// The Japanese literals below are written in UTF-8 and compiled to code page
// 932 (-fexec-charset=CP932); a test compares the bytes.

namespace sendwarden {

const char kNoticeCaption[] = "Sendwarden";
const char kNoticeGeneralText[] =
    "なんか駄目です。。。\r\n送信先を見直すか、設定(Sendwarden.conf)を見直してください。";
const char kNoticeHead[] = "許可されていないアドレス(";
const char kNoticeMiddle[] = ")があります。。。\r\n";
const char kNoticeTail[] = "送信先を見直すか、設定(Sendwarden.conf)を見直してください。";

std::string NoticeText(const RejectionLog& log) {
  if (log.empty()) return kNoticeGeneralText;
  std::string text = kNoticeHead;
  for (const std::string& address : log) {
    text += address;
    text += '\n';
  }
  text += kNoticeMiddle;
  text += kNoticeTail;
  return text;
}

}  // namespace sendwarden
