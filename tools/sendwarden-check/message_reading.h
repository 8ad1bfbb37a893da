// One message's header block, read as the plug-in reads it: the header
// fields, then the recipients through the plug-in's own extraction, with
// encoded words decoded as the mail client hands them over. Every command
// that looks at past mail starts here.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGE_READING_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGE_READING_H_

#include <exception>
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

// What a person is shown of a message: its Date as written, and its From
// and Subject decoded, in code page 932.
struct ShownFields {
  std::string date, from, subject;
};

// What is shown of a message read by ReadHeaderFields: decoding costs, so
// only those that print it ask.
ShownFields ShownOf(const HeaderReading& reading);

// One message as every command that reads past mail sees it: its fields
// and the plug-in's extraction, read once. What the
// extraction threw (but for memory running out, which leaves ReadMessage)
// is kept, to be thrown where the message is decided.
struct MessageRecord {
  HeaderReading reading;  // reading.code says whether the rest is filled in
  sendwarden::Extraction extraction;
  std::exception_ptr failure;

  // The extraction, or what it threw.
  sendwarden::Extraction Extract() const;
};

// Reads the header block `header` (with the empty line that ended it).
MessageRecord ReadMessage(const std::string& header);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_MESSAGE_READING_H_
