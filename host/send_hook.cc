// BKC_OnSend: collects the recipients and the sender of a message about to go
// out, brings the rule store up to date, and turns the check's answer into the
// host's 0 (send) or -1 (refuse).
//
// Whatever goes wrong inside (a malformed escape in an address field, the
// pattern engine giving up, memory running out, the host returning no text)
// refuses the send with one general notice: letting a message through because
// the check broke is the one unsafe answer.
#include "check/recipient_check.h"
#include "check/rejection_notice.h"
#include "config/reload.h"
#include "headers/address_list.h"
#include "headers/header_block.h"
#include "host/host_api.h"
#include "host/host_text.h"

namespace sendwarden {

namespace {

enum class Verdict { kSend, kRefuse, kBroken };

Verdict CheckMessage(const char* message) {
  if (message == nullptr) return Verdict::kBroken;
  HeaderMap headers;
  ParseHeaderBlock(message, headers);

  static const char* const kAddressFields[] = {"TO", "CC", "BCC"};
  std::string address_lines[3];
  AddressPieces pieces;
  for (int field = 0; field < 3; ++field) {
    SplitAddressList(headers[kAddressFields[field]], pieces);
    for (const std::string& piece : pieces) {
      HostText decoded = DecodeHeaderText(piece);  // freed before the next piece
      if (decoded.get() == nullptr) return Verdict::kBroken;
      address_lines[field] += decoded.get();
      address_lines[field] += '\n';
    }
  }

  HostText sender = DecodeHeaderText(headers["FROM"]);  // freed after the check
  if (sender.get() == nullptr) return Verdict::kBroken;

  ReloadIfChanged();
  return CheckRecipients(sender.get(), address_lines[0], address_lines[1], address_lines[2])
             ? Verdict::kSend
             : Verdict::kRefuse;
}

// Refuses after a failure: the log may hold addresses of this broken check,
// which a later notice must never name; and the user is told exactly once.
void RefuseBrokenCheck(unsigned long notices_before) {
  try {
    RejectionLog().clear();
    if (NoticesShown() == notices_before) ShowRejectionNotice();
  } catch (...) {
  }
}

}  // namespace

}  // namespace sendwarden

extern "C" int SENDWARDEN_WINAPI BKC_OnSend(const char* message) {
  using namespace sendwarden;
  const unsigned long notices_before = NoticesShown();
  Verdict verdict = Verdict::kBroken;
  try {
    verdict = CheckMessage(message);
  } catch (...) {
    verdict = Verdict::kBroken;
  }
  if (verdict == Verdict::kSend) return 0;
  if (verdict == Verdict::kBroken) RefuseBrokenCheck(notices_before);
  return -1;
}
