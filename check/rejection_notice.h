// What the user is told, in Japanese, when a send is refused. Pure: builds
// the text; the host shows it.
#ifndef SENDWARDEN_CHECK_REJECTION_NOTICE_H_
#define SENDWARDEN_CHECK_REJECTION_NOTICE_H_

#include <string>

#include "check/recipient_check.h"

namespace sendwarden {

// Texts of the box, code page 932 bytes.
extern const char kNoticeCaption[];      // "Sendwarden"
extern const char kNoticeGeneralText[];  // something is wrong; review recipients or file
extern const char kNoticeHead[];         // before the addresses
extern const char kNoticeMiddle[];       // after the addresses
extern const char kNoticeTail[];         // last

// The text for a refusal: with an empty log the general text; otherwise the
// head, each logged address followed by "\n", the middle and the tail, so
// the closing parenthesis starts the line after the last address.
std::string NoticeText(const RejectionLog& log);

}  // namespace sendwarden

#endif  // SENDWARDEN_CHECK_REJECTION_NOTICE_H_
