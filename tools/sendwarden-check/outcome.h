// What deciding one message came to, as a value: the plug-in's verdict and,
// when something other than the rules decided, a code saying what. Codes
// have stable names (CodeName) that JSON and CSV carry whatever the
// language; only the printers turn an outcome into words.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OUTCOME_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OUTCOME_H_

#include <string>

#include "check/recipient_check.h"
#include "message/recipients.h"
#include "tools/sendwarden-check/recipient_report.h"

namespace sendwarden_checker {

enum class Code {
  kNone,           // the rules decided: see the verdict
  // Refused, as the plug-in refuses, though no rule was asked.
  kCannotCheck,    // the extraction refused the message: see `fault`
  kEngineGaveUp,   // the pattern engine threw: `detail` is its message
  // Not read at all (scan only).
  kNotAMessage,    // no header field
  kHeaderTooLong,  // a header block over the limit
  kNoSuchPath,     // a path given on the command line does not exist
  kCannotOpen,     // a file or folder that cannot be opened: `detail` says why
  kCannotList,     // a folder whose listing failed part-way: `detail` says why
  kReadError,      // a file that failed part-way through reading
};

// Why the extraction refused a message, as much as a printer needs.
struct Unchecked {
  sendwarden::ExtractionFault fault = sendwarden::ExtractionFault::kNone;
  std::string field;  // "TO", "CC", "BCC", "FROM" or "HEADER"
  sendwarden::AddressSyntax syntax = sendwarden::AddressSyntax::kNone;
  bool quoteInComment = false;
  bool commaInComment = false;
};

struct Outcome {
  Code code = Code::kNone;
  std::string detail;  // untranslated: the piece, the engine's or the system's message
  // With kEngineGaveUp, when the check gave up on a pattern of the file: its
  // line (0: not known), the pattern and the text it was searched in.
  size_t gaveUpLine = 0;
  std::string gaveUpPattern;
  std::string gaveUpText;
  Unchecked unchecked;  // with kCannotCheck
  std::string sender;   // as the check saw it; empty when it never got that far
  // Allowed only when code is kNone and the rules allowed every recipient.
  sendwarden::Verdict verdict;
  // When the rules refused: the recipients no rule allowed (UnallowedRecipients).
  std::vector<Recipient> refused;
};

// The outcome of an extraction that refused the message.
Outcome CannotCheck(const sendwarden::Extraction& extraction);

// True for the codes of something that was not read at all.
bool NotRead(Code code);

// The stable name: "" for kNone, "engine-gave-up", "cannot-check/route", ...
std::string CodeName(const Outcome& outcome);


}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OUTCOME_H_
