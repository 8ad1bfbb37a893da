// Fuzzes the address splitter: any bytes as a field value.
#include <cstddef>
#include <cstdint>
#include <string>

#include <boost/token_functions.hpp>

#include "message/address_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string value(reinterpret_cast<const char*>(data), size);
  sendwarden::AddressPieces pieces{"stale"};
  try {
    sendwarden::SplitAddressList(value, pieces);
  } catch (const boost::escaped_list_error&) {
    // A malformed escape: the pieces before it stay.
  }
  size_t commas = 0;
  for (char c : value) commas += c == ',';
  if (pieces.size() > commas + 1) __builtin_trap();
  if (value.empty() && !pieces.empty()) __builtin_trap();
  for (const std::string& piece : pieces) {
    if (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t' || piece.back() == ' ' ||
                           piece.back() == '\t')) {
      __builtin_trap();
    }
  }
  return 0;
}
