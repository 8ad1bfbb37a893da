#include "tools/sendwarden-check/message_reading.h"

#include <algorithm>
#include <exception>
#include <new>

#include "tools/common/charset.h"
#include "tools/common/encoded_words.h"
#include "tools/common/tool_decoder.h"

namespace sendwarden_checker {

namespace {

// A NUL byte hides the fields after it from the plug-in, which then refuses
// the message: a file with such fields is mail all the same.
bool HasFieldPastNul(const std::string& header) {
  size_t nul = header.find('\0');
  if (nul == std::string::npos) return false;
  std::string rest = header.substr(nul);
  rest.erase(std::remove(rest.begin(), rest.end(), '\0'), rest.end());
  sendwarden::HeaderMap fields;
  sendwarden::ParseHeaderBlock(rest.c_str(), fields);
  return !fields.empty();
}

}  // namespace

HeaderReading ReadHeaderFields(const std::string& header) {
  HeaderReading reading;
  try {
    reading.text.assign(header.c_str());
    reading.ended =
        sendwarden::ParseHeaderBlock(reading.text.c_str(), reading.headers, &reading.folded);
    if (reading.headers.empty() && !HasFieldPastNul(header)) reading.code = Code::kNotAMessage;
  } catch (const std::exception& error) {
    reading.code = Code::kEngineGaveUp;
    reading.detail = error.what();
    reading.headers.clear();
  }
  return reading;
}

std::string ShownField(const sendwarden::HeaderMap& headers, const char* key) {
  auto found = headers.find(key);
  if (found == headers.end()) return "";
  return sendwarden_tools::DecodeEncodedWords(found->second, &sendwarden_tools::ConvertToCp932);
}

sendwarden::Extraction ExtractAsThePlugInDoes(const HeaderReading& reading) {
  sendwarden::Extraction extraction;
  std::string line;
  if (sendwarden::HasBareCarriageReturn(reading.text.c_str(), &line)) {
    extraction.fault = sendwarden::ExtractionFault::kBareCarriageReturn;
    extraction.faultField = "HEADER";
    extraction.faultDetail = line;
    return extraction;
  }
  if (!reading.ended) {
    extraction.fault = sendwarden::ExtractionFault::kHeaderNotEnded;
    extraction.faultField = "HEADER";
    return extraction;
  }
  sendwarden_tools::ToolDecoder decoder;
  return sendwarden::ExtractRecipients(reading.headers, reading.folded, decoder);
}

ShownFields ShownOf(const HeaderReading& reading) {
  ShownFields shown;
  auto date = reading.headers.find("DATE");
  if (date != reading.headers.end()) shown.date = date->second;
  shown.from = ShownField(reading.headers, "FROM");
  shown.subject = ShownField(reading.headers, "SUBJECT");
  return shown;
}

sendwarden::Extraction MessageRecord::Extract() const {
  if (failure) std::rethrow_exception(failure);
  return extraction;
}

MessageRecord ReadMessage(const std::string& header) {
  MessageRecord record;
  record.reading = ReadHeaderFields(header);
  if (record.reading.code != Code::kNone) return record;
  try {
    record.extraction = ExtractAsThePlugInDoes(record.reading);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    record.failure = std::current_exception();
  }
  return record;
}

}  // namespace sendwarden_checker
