// Fuzzes the header block parser: any bytes as a message.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "message/header_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string message(reinterpret_cast<const char*>(data), size);
  sendwarden::HeaderMap headers;
  try {
    sendwarden::ParseHeaderBlock(message.c_str(), headers);
  } catch (const std::runtime_error&) {
    return 0;  // the pattern engine gave up on a line; the send hook refuses then
  }
  for (const auto& entry : headers) {
    // Only an address field (From among them) may be started by a line with
    // an empty value.
    std::string field = entry.first.compare(0, 7, "RESENT-") == 0 ? entry.first.substr(7)
                                                                  : entry.first;
    bool address = field == "TO" || field == "CC" || field == "BCC" || entry.first == "FROM";
    if (entry.first.empty() || (entry.second.empty() && !address)) __builtin_trap();
    for (char c : entry.first) {
      if (c >= 'a' && c <= 'z') __builtin_trap();  // keys are upper-cased
    }
  }
  return 0;
}
