#include "host/send_hook.h"

#include "check/recipient_check.h"
#include "check/rejection_notice.h"
#include "config/reload.h"
#include "host/host_text.h"
#include "host/lifecycle.h"
#include "message/recipients.h"

namespace sendwarden {

int CheckSend(PluginState& state, const char* message) {
  try {
    if (message != nullptr) {
      HostDecoder decoder(state.hostApi);  // holds the sender's text until the end
      Extraction extraction = ExtractRecipients(message, decoder);
      if (extraction.fault == ExtractionFault::kNone) {
        if (state.configPathPending) LoadConfigBesideModule(state);
        ReloadIfChanged(state.config);
        Verdict verdict = CheckRecipients(state.config, extraction.recipients);
        if (verdict.allowed) return 0;
        std::string text = NoticeText(verdict.rejectionLog);
        ShowMessageBox(state.mainWindow, text.c_str(), kNoticeCaption, kMbOk);
        return -1;
      }
    }
  } catch (...) {
  }
  // The check broke, or the message cannot be checked. Nothing has been
  // shown yet; this allocates nothing.
  ShowMessageBox(state.mainWindow, kNoticeGeneralText, kNoticeCaption, kMbOk);
  return -1;
}

}  // namespace sendwarden

extern "C" int SENDWARDEN_WINAPI BKC_OnSend(const char* message) {
  return sendwarden::CheckSend(sendwarden::Plugin(), message);
}
