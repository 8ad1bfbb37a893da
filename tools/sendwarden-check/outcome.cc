#include "tools/sendwarden-check/outcome.h"

namespace sendwarden_checker {

Outcome CannotCheck(const sendwarden::Extraction& extraction) {
  Outcome outcome;
  outcome.code = Code::kCannotCheck;
  outcome.detail = extraction.faultDetail;
  outcome.sender = extraction.recipients.sender;
  outcome.unchecked.fault = extraction.fault;
  outcome.unchecked.field = extraction.faultField;
  outcome.unchecked.syntax = extraction.syntax;
  outcome.unchecked.quoteInComment = extraction.quoteInComment;
  outcome.unchecked.commaInComment = extraction.commaInComment;
  return outcome;
}

bool NotRead(Code code) {
  switch (code) {
    case Code::kNone:
    case Code::kCannotCheck:
    case Code::kEngineGaveUp:
      return false;
    case Code::kNotAMessage:
    case Code::kHeaderTooLong:
    case Code::kNoSuchPath:
    case Code::kCannotOpen:
    case Code::kCannotList:
    case Code::kReadError:
      break;
  }
  return true;
}

const char* FaultName(sendwarden::ExtractionFault fault) {
  using sendwarden::ExtractionFault;
  switch (fault) {
    case ExtractionFault::kNone: return "none";
    case ExtractionFault::kMalformedEscape: return "malformed-escape";
    case ExtractionFault::kNoDecodedText: return "no-decoded-text";
    case ExtractionFault::kEmptiedByDecoding: return "emptied-by-decoding";
    case ExtractionFault::kAddressLost: return "address-lost";
    case ExtractionFault::kHiddenLineBreak: return "hidden-line-break";
    case ExtractionFault::kAddressFromDecoding: return "address-from-decoding";
    case ExtractionFault::kUnreadable: return "unreadable";
    case ExtractionFault::kPiecesDiffer: return "pieces-differ";
    case ExtractionFault::kAddressDiffers: return "address-differs";
    case ExtractionFault::kGroupWithMembers: return "group-with-members";
    case ExtractionFault::kQuotedLocalPart: return "quoted-local-part";
    case ExtractionFault::kRoute: return "route";
    case ExtractionFault::kCommentAfterAddress: return "comment-after-address";
    case ExtractionFault::kTwoSenders: return "two-senders";
    case ExtractionFault::kSenderNotOne: return "sender-not-one";
    case ExtractionFault::kSenderUnreadable: return "sender-unreadable";
    case ExtractionFault::kSenderFromDecoding: return "sender-from-decoding";
    case ExtractionFault::kBareCarriageReturn: return "bare-carriage-return";
    case ExtractionFault::kHeaderNotEnded: return "header-not-ended";
    case ExtractionFault::kUnclearEncodedWord: return "unclear-encoded-word";
  }
  return "unknown";
}

std::string CodeName(const Outcome& outcome) {
  switch (outcome.code) {
    case Code::kNone: return "";
    case Code::kCannotCheck:
      return std::string("cannot-check/") + FaultName(outcome.unchecked.fault);
    case Code::kEngineGaveUp: return "engine-gave-up";
    case Code::kNotAMessage: return "not-a-message";
    case Code::kHeaderTooLong: return "header-too-long";
    case Code::kNoSuchPath: return "no-such-path";
    case Code::kCannotOpen: return "cannot-open";
    case Code::kCannotList: return "cannot-list";
    case Code::kReadError: return "read-error";
  }
  return "unknown";
}

}  // namespace sendwarden_checker
