// One message's header block, read as the plug-in reads it: the header
// fields, then the recipients through the plug-in's own extraction, with
// encoded words decoded as the mail client hands them over. Every command
// that looks at past mail starts here.
#ifndef SENDWARDEN_TOOLS_CHECK_MESSAGE_READING_H_
#define SENDWARDEN_TOOLS_CHECK_MESSAGE_READING_H_

#include <string>

#include "message/header_block.h"
#include "message/recipients.h"
#include "tools/check/outcome.h"

namespace sendwarden_checker {

struct HeaderReading {
  // kNone, or why the block is no mail: kBinaryData (a NUL byte),
  // kNotAMessage (no header field), kEngineGaveUp (`detail` says why).
  Code code = Code::kNone;
  std::string detail;
  sendwarden::HeaderMap headers;  // with kNone
};

// Reads the fields of `header`. Never throws: whatever the parser throws
// (memory too) is kEngineGaveUp with its message.
HeaderReading ReadHeaderFields(const std::string& header);

// The field `key` ("FROM", "SUBJECT") of `headers`, its encoded words
// decoded into code page 932 as the mail client shows it; "" when absent.
std::string ShownField(const sendwarden::HeaderMap& headers, const char* key);

// The plug-in's extraction of the block `header` whose fields are
// `headers`: a bare carriage return in the block is a fault, as it is for
// the plug-in. May throw what ExtractRecipients throws.
sendwarden::Extraction ExtractAsThePlugInDoes(const std::string& header,
                                              const sendwarden::HeaderMap& headers);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_CHECK_MESSAGE_READING_H_
