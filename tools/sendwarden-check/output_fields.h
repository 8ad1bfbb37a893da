// The small pieces every printer of past mail writes the same way: numbers,
// where a message is, CSV fields and JSON strings.
#ifndef SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OUTPUT_FIELDS_H_
#define SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OUTPUT_FIELDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sendwarden-check/mail_source.h"
#include "tools/sendwarden-check/message_reading.h"
#include "tools/sendwarden-check/messages.h"

namespace sendwarden_checker {

// How scan and diff print: text for people, CSV for a spreadsheet, JSON
// lines for scripts.
enum class ScanFormat { kText, kCsv, kJson };

// "text", "csv" or "json"; false for anything else.
bool ParseFormat(const std::string& word, ScanFormat* format);

std::string Number(uint64_t value);

// Where a message is: its file, and in an mbox or a .bmf file the message's
// number and the byte it starts at.
std::string WhereText(const MailLocation& where, Language language);

// The columns that say where a message is, the same in every CSV and JSON
// line: "file","message","offset" (empty, or null, outside an archive).
std::string CsvLocation(const MailLocation& where);
std::string JsonLocation(const MailLocation& where);

// What is shown of a message, in the text reports: Date, From, Subject,
// each on a line of its own (without line ends).
std::vector<std::string> ShownLines(const ShownFields& shown);
// CSV and JSON give the date also in ISO 8601 ("isoDate", empty or null
// when the field is no date), which a spreadsheet sorts.
std::string CsvShown(const ShownFields& shown);   // "date","isoDate","from","subject"
std::string JsonShown(const ShownFields& shown);  // "date":..,"isoDate":..,"from":..,"subject":..
// The CSV header of those columns.
constexpr char kCsvShownHeader[] = "\"date\",\"isoDate\",\"from\",\"subject\"";

// A CSV field of code page 932 text, quoted. A field that a spreadsheet
// would take for a formula gets a leading apostrophe: subjects and names
// come from anyone.
std::string CsvField(const std::string& cp932);

// A JSON string (UTF-8) of code page 932 text.
std::string JsonString(const std::string& cp932);

}  // namespace sendwarden_checker

#endif  // SENDWARDEN_TOOLS_SENDWARDEN_CHECK_OUTPUT_FIELDS_H_
