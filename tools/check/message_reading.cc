#include "tools/check/message_reading.h"

#include <exception>

#include "tools/common/charset.h"
#include "tools/common/encoded_words.h"
#include "tools/common/tool_decoder.h"

namespace sendwarden_checker {

HeaderReading ReadHeaderFields(const std::string& header) {
  HeaderReading reading;
  if (header.find('\0') != std::string::npos) {
    reading.code = Code::kBinaryData;
    return reading;
  }
  try {
    sendwarden::ParseHeaderBlock(header.c_str(), reading.headers);
  } catch (const std::exception& error) {
    reading.code = Code::kEngineGaveUp;
    reading.detail = error.what();
    reading.headers.clear();
    return reading;
  }
  if (reading.headers.empty()) reading.code = Code::kNotAMessage;
  return reading;
}

std::string ShownField(const sendwarden::HeaderMap& headers, const char* key) {
  auto found = headers.find(key);
  if (found == headers.end()) return "";
  return sendwarden_tools::DecodeEncodedWords(found->second, &sendwarden_tools::ConvertToCp932);
}

sendwarden::Extraction ExtractAsThePlugInDoes(const std::string& header,
                                              const sendwarden::HeaderMap& headers) {
  sendwarden::Extraction extraction;
  std::string line;
  if (sendwarden::HasBareCarriageReturn(header.c_str(), &line)) {
    extraction.fault = sendwarden::ExtractionFault::kBareCarriageReturn;
    extraction.faultField = "HEADER";
    extraction.faultDetail = line;
    return extraction;
  }
  sendwarden_tools::ToolDecoder decoder;
  return sendwarden::ExtractRecipients(headers, decoder);
}

}  // namespace sendwarden_checker
