// Fuzzes the address reader against the splitter, through the extraction:
// any bytes as a To value (its line feeds part To lines, as header_block
// joins a repeated field). When the extraction accepts the field (the two
// agree), the address each piece shows the patterns must be a mailbox the
// reader found in one of the lines, and every mailbox must be shown by
// exactly one piece. Each mailbox's address must read back as itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ascii.h"
#include "message/address_reader.h"
#include "message/recipients.h"

namespace {

// Hands every piece over unchanged, so that what the patterns see is the
// field as written.
class SameText : public sendwarden::HeaderDecoder {
 public:
  bool DecodeAddress(const std::string& piece, std::string* decoded) override {
    *decoded = piece;
    return true;
  }
  bool DecodeSender(const std::string& from, std::string* decoded) override {
    *decoded = from;
    return true;
  }
};

// What a pattern anchored as the examples anchor it takes for the address:
// inside the final "<...>", or the whole entry.
std::string Shown(std::string entry) {
  sendwarden::TrimBlanks(entry);
  if (!entry.empty() && entry.back() == '>') {
    size_t open = entry.rfind('<');
    if (open == std::string::npos) __builtin_trap();
    entry = entry.substr(open + 1, entry.size() - open - 2);
    sendwarden::TrimBlanks(entry);
  }
  return entry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string value(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> mailboxes;
  bool unreadable = false;
  for (size_t start = 0; start <= value.size();) {
    size_t end = std::min(value.find('\n', start), value.size());
    std::string_view line(value.data() + start, end - start);
    start = end + 1;
    sendwarden::AddressReading reading = sendwarden::ReadAddressList(line);
    if (reading.errorOffset > line.size()) __builtin_trap();
    unreadable = unreadable || reading.error != sendwarden::AddressSyntax::kNone;
    // A member's span is its own text: read alone, it gives the members that
    // share it (a group's), and spans follow one another in the line.
    size_t last_end = 0;
    size_t spanned = reading.error == sendwarden::AddressSyntax::kNone ? reading.members.size() : 0;
    for (size_t k = 0; k < spanned;) {
      sendwarden::Span span = reading.members[k].span;
      if (span.begin < last_end || span.begin >= span.end || span.end > line.size()) __builtin_trap();
      last_end = span.end;
      sendwarden::AddressReading alone =
          sendwarden::ReadAddressList(line.substr(span.begin, span.end - span.begin));
      if (alone.error != sendwarden::AddressSyntax::kNone || alone.members.empty()) __builtin_trap();
      for (const sendwarden::AddressMember& again : alone.members) {
        if (k == reading.members.size() || reading.members[k].span.begin != span.begin ||
            reading.members[k].address != again.address || reading.members[k].kind != again.kind) {
          __builtin_trap();
        }
        ++k;
      }
      if (k < reading.members.size() && reading.members[k].span.begin == span.begin) __builtin_trap();
    }
    for (const sendwarden::AddressMember& member : reading.members) {
      if (member.kind == sendwarden::AddressMember::Kind::kEmptyGroup) {
        if (!member.address.empty()) __builtin_trap();
        continue;
      }
      if (member.address.empty()) __builtin_trap();
      if (member.hasDomain != (member.address.find('@') != std::string::npos) &&
          !member.quotedLocalPart) {
        __builtin_trap();
      }
      // An address is written without blanks or comments: it reads back as
      // the one mailbox it is. (Its tokens end on whole double-byte
      // characters, or the field would not have been read, so joining them
      // pairs no bytes anew.)
      sendwarden::AddressReading again = sendwarden::ReadAddressList(member.address);
      if (again.error != sendwarden::AddressSyntax::kNone || again.members.size() != 1 ||
          again.members[0].address != member.address) {
        __builtin_trap();
      }
      mailboxes.push_back(member.address);
    }
  }

  sendwarden::HeaderMap headers;
  headers["TO"] = value;
  SameText decoder;
  sendwarden::Extraction extraction = sendwarden::ExtractRecipients(headers, {}, decoder);
  if (extraction.fault != sendwarden::ExtractionFault::kNone) return 0;
  // Accepted: the reader read every line whole.
  if (unreadable) __builtin_trap();
  std::vector<std::string> shown;
  for (const std::string& decoded : extraction.recipients.to) {
    std::string entry(sendwarden::TestedEntry(decoded));
    if (entry.find_first_of("\r\n") != std::string::npos) __builtin_trap();
    if (entry.find_first_not_of(" \t") == std::string::npos) continue;
    shown.push_back(Shown(entry));
  }
  std::sort(shown.begin(), shown.end());
  std::sort(mailboxes.begin(), mailboxes.end());
  if (shown != mailboxes) __builtin_trap();
  return 0;
}
