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

namespace {
constexpr unsigned kMbOk = 0;
unsigned long g_notices_shown = 0;
}  // namespace

std::string& RejectionLog() {
  static std::string* log = new std::string;
  return *log;
}

WindowHandle& MainWindow() {
  static WindowHandle window = nullptr;
  return window;
}

unsigned long NoticesShown() { return g_notices_shown; }

void ShowRejectionNotice() {
  std::string& log = RejectionLog();
  if (log.empty()) {
    ++g_notices_shown;
    ShowMessageBox(MainWindow(), kNoticeGeneralText, kNoticeCaption, kMbOk);
    return;
  }
  std::string text = kNoticeHead;
  text += log;
  text += kNoticeMiddle;
  text += kNoticeTail;
  ++g_notices_shown;
  ShowMessageBox(MainWindow(), text.c_str(), kNoticeCaption, kMbOk);
  log.clear();
}

}  // namespace sendwarden
