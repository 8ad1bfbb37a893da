// One message's header block, read as the plug-in reads it: the header
// fields, then the recipients through the plug-in's own extraction, with
// encoded words decoded as the mail client hands them over. Every command
// that looks at past mail starts here.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGE_READING_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGE_READING_H_

#include <string>

#include "message/header_block.h"
#include "message/recipients.h"
#include "tools/sendwarden-check/outcome.h"

namespace sendwarden_checker {

struct HeaderReading {
  // kNone, or why the block is no mail: kNotAMessage (no header field),
  // kEngineGaveUp (`detail` says why).
  Code code = Code::kNone;
  std::string detail;
  // With kNone: the block as the plug-in is handed it, up to a NUL byte (the
  // mail client hands over a C string), and what the parser read of it.
  std::string text;
  sendwarden::HeaderMap headers;
  sendwarden::FoldedFields folded;
  bool ended = false;  // an empty line ended the block before the text (or a NUL) did
};

// Reads the fields of `header` (a header block with the empty line that
// ended it) as the plug-in reads the message. Never throws: whatever the
// parser throws (memory too) is kEngineGaveUp with its message.
HeaderReading ReadHeaderFields(const std::string& header);

// The field `key` ("FROM", "SUBJECT") of `headers`, its encoded words
// decoded into code page 932 as the mail client shows it; "" when absent.
std::string ShownField(const sendwarden::HeaderMap& headers, const char* key);

// The plug-in's extraction of a block read by ReadHeaderFields: a bare
// carriage return in it, or a block the text ends in, is a fault, as it is
// for the plug-in. May throw what ExtractRecipients throws.
sendwarden::Extraction ExtractAsThePlugInDoes(const HeaderReading& reading);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGE_READING_H_
