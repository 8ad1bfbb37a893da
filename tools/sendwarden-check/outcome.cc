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

std::string CodeName(const Outcome& outcome) {
  switch (outcome.code) {
    case Code::kNone: return "";
    case Code::kCannotCheck:
      return std::string("cannot-check/") + sendwarden::InfoOf(outcome.unchecked.fault).code;
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
