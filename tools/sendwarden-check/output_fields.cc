#include "tools/sendwarden-check/output_fields.h"

#include "tools/sendwarden-check/iso_date.h"

#include <cinttypes>
#include <cstdio>

#include "tools/common/charset.h"

namespace sendwarden_checker {

bool ParseFormat(const std::string& word, ScanFormat* format) {
  if (word == "text") {
    *format = ScanFormat::kText;
  } else if (word == "csv") {
    *format = ScanFormat::kCsv;
  } else if (word == "json") {
    *format = ScanFormat::kJson;
  } else {
    return false;
  }
  return true;
}

std::string Number(uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%" PRIu64, value);
  return text;
}

std::string WhereText(const MailLocation& where, Language l) {
  if (!where.inArchive) return where.path;
  return Say(l, Msg::kScanInMbox, {where.path, Number(where.number), Number(where.offset)});
}

std::string CsvField(const std::string& cp932) {
  std::string field = cp932;
  if (!field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos) {
    field.insert(0, "'");
  }
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string JsonString(const std::string& cp932) {
  std::string out = "\"";
  for (unsigned char c : sendwarden_tools::Cp932ToUtf8(cp932)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string CsvLocation(const MailLocation& where) {
  return CsvField(where.path) + "," + (where.inArchive ? Number(where.number) : "") + "," +
         (where.inArchive ? Number(where.offset) : "");
}

std::string JsonLocation(const MailLocation& where) {
  return "\"file\":" + JsonString(where.path) +
         ",\"message\":" + (where.inArchive ? Number(where.number) : "null") +
         ",\"offset\":" + (where.inArchive ? Number(where.offset) : "null");
}

std::vector<std::string> ShownLines(const ShownFields& shown) {
  return {"    Date: " + shown.date, "    From: " + shown.from, "    Subject: " + shown.subject};
}

std::string CsvShown(const ShownFields& shown) {
  return CsvField(shown.date) + "," + CsvField(IsoDate(shown.date)) + "," + CsvField(shown.from) +
         "," + CsvField(shown.subject);
}

std::string JsonShown(const ShownFields& shown) {
  std::string iso = IsoDate(shown.date);
  return "\"date\":" + JsonString(shown.date) +
         ",\"isoDate\":" + (iso.empty() ? std::string("null") : JsonString(iso)) +
         ",\"from\":" + JsonString(shown.from) + ",\"subject\":" + JsonString(shown.subject);
}

}  // namespace sendwarden_checker
