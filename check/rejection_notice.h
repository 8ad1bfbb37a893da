// Tells the user, in Japanese, why a send was refused.
//
// RejectionLog collects the addresses the sender sections refused during one
// check, each followed by "\n". The notice names them, or shows a general text
// when none was recorded, and then empties the log, so a notice never names an
// address of an earlier check.
#ifndef SENDWARDEN_CHECK_REJECTION_NOTICE_H_
#define SENDWARDEN_CHECK_REJECTION_NOTICE_H_

#include <string>

#include "platform/platform.h"

namespace sendwarden {

// Texts of the box, code page 932 bytes.
extern const char kNoticeCaption[];      // "Sendwarden"
extern const char kNoticeGeneralText[];  // something is wrong; review recipients or file
extern const char kNoticeHead[];         // before the addresses
extern const char kNoticeMiddle[];       // after the addresses
extern const char kNoticeTail[];         // last

// Process-wide, empty at load and whenever a check begins.
std::string& RejectionLog();

// Owner of the notice's box: null until BKC_OnStart fetches the host's main
// window, and then the box has no owner.
WindowHandle& MainWindow();

// Shows the notice (MB_OK, caption "Sendwarden", owner MainWindow) and
// empties RejectionLog. With an empty log it shows the general text and
// allocates nothing, so it still works when memory has run out.
void ShowRejectionNotice();

// How many notices have been put on screen in this process; lets a caller
// tell whether one was already shown for the current send.
unsigned long NoticesShown();

}  // namespace sendwarden

#endif  // SENDWARDEN_CHECK_REJECTION_NOTICE_H_
