// For tests/address_differential.py: reads a file of messages, each
// preceded by a line with its length in bytes, and prints one line per
// message:
//
//   verdicts <TAB> whys <TAB> gmime-recipients <TAB> gmime-senders
//
// `verdicts` holds, comma-separated, one "sent" or "refused" per CONF: the
// plug-in's own verdict (ExtractRecipients with the tools' decoder, then
// CheckRecipients under that configuration). `whys` names, for each, the
// extraction fault, "check" for a refusal by the patterns, or "-". The next column
// lists, each after a 0x1f, the address of every mailbox GMime's own
// message parser and address-list reader (default options) find in the
// To, Cc and Bcc fields and their Resent- forms, groups included; bytes
// below 0x21, 0x7f and '\' are written as \xHH. "!" there means GMime
// built no message. The last lists the mailboxes of every From field.
#include <gmime/gmime.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "check/recipient_check.h"
#include "config/config_loader.h"
#include "message/recipients.h"
#include "tools/common/tool_decoder.h"

namespace {

const char* FaultName(sendwarden::ExtractionFault fault) {
  return fault == sendwarden::ExtractionFault::kNone ? "-" : sendwarden::InfoOf(fault).code;
}

std::string Escape(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c <= 0x20 || c == 0x7f || c == '\\') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void CollectMailboxes(InternetAddressList* list, std::string* out) {
  if (list == nullptr) return;
  int count = internet_address_list_length(list);
  for (int i = 0; i < count; ++i) {
    InternetAddress* address = internet_address_list_get_address(list, i);
    if (INTERNET_ADDRESS_IS_GROUP(address)) {
      CollectMailboxes(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)), out);
    } else if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
      const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
      *out += '\x1f';
      *out += Escape(addr == nullptr ? "" : addr);
    }
  }
}

enum class FieldKind { kRecipients, kSender, kOther };

FieldKind KindOf(std::string name) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  for (char& c : name) c = static_cast<char>(g_ascii_tolower(c));
  if (name == "from") return FieldKind::kSender;
  if (name == "to" || name == "cc" || name == "bcc" || name == "resent-to" ||
      name == "resent-cc" || name == "resent-bcc") {
    return FieldKind::kRecipients;
  }
  return FieldKind::kOther;
}

// The two last columns.
std::string GmimeMailboxes(const std::string& raw) {
  GMimeStream* stream = g_mime_stream_mem_new_with_buffer(raw.data(), raw.size());
  GMimeParser* parser = g_mime_parser_new_with_stream(stream);
  g_object_unref(stream);
  GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
  g_object_unref(parser);
  if (message == nullptr) return "!\t!";
  std::string recipients, senders;
  GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(message));
  int count = g_mime_header_list_get_count(headers);
  for (int i = 0; i < count; ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
    const char* name = g_mime_header_get_name(header);
    const char* value = g_mime_header_get_raw_value(header);
    if (name == nullptr || value == nullptr) continue;
    FieldKind kind = KindOf(name);
    if (kind == FieldKind::kOther) continue;
    InternetAddressList* list = internet_address_list_parse(nullptr, value);
    CollectMailboxes(list, kind == FieldKind::kSender ? &senders : &recipients);
    if (list != nullptr) g_object_unref(list);
  }
  g_object_unref(message);
  return recipients + '\t' + senders;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: address_oracle MESSAGES CONF...\n";
    return 2;
  }
  std::vector<sendwarden::AllowConfig> configs(static_cast<size_t>(argc - 2));
  for (int i = 2; i < argc; ++i) {
    if (!sendwarden::LoadAllowConfig(argv[i], configs[static_cast<size_t>(i - 2)])) {
      std::cerr << "address_oracle: cannot load " << argv[i] << "\n";
      return 2;
    }
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "address_oracle: cannot read " << argv[1] << "\n";
    return 2;
  }
  g_mime_init();
  std::ostringstream report;
  std::string length_line;
  while (std::getline(in, length_line)) {
    size_t length = std::stoul(length_line);
    std::string raw(length, '\0');
    in.read(&raw[0], static_cast<std::streamsize>(length));
    if (static_cast<size_t>(in.gcount()) != length) {
      std::cerr << "address_oracle: truncated input\n";
      return 2;
    }
    sendwarden_tools::ToolDecoder decoder;
    sendwarden::Extraction extraction = sendwarden::ExtractRecipients(raw.c_str(), decoder);
    std::string verdicts, whys;
    for (const sendwarden::AllowConfig& config : configs) {
      bool sent = false;
      const char* why = FaultName(extraction.fault);
      if (extraction.fault == sendwarden::ExtractionFault::kNone) {
        try {
          sent = sendwarden::CheckRecipients(config, extraction.recipients).allowed;
          if (!sent) why = "check";
        } catch (const std::exception&) {
          why = "engine";  // the plug-in refuses when the engine gives up
        }
      }
      verdicts += verdicts.empty() ? "" : ",";
      verdicts += sent ? "sent" : "refused";
      whys += whys.empty() ? "" : ",";
      whys += why;
    }
    report << verdicts << '\t' << whys << '\t' << GmimeMailboxes(raw) << '\n';
  }
  g_mime_shutdown();
  std::cout << report.str();
  return 0;
}
